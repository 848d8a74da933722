// Button groups, copy buttons and hold buttons over scripted frames: a group joins its buttons
// (outer corners only, no borders, no press shrink) and tightens them when short of room; the copy
// button writes a recording clipboard once and confirms for 1.6 s before the window idles again;
// the hold button fires once, only after its full hold, by pointer or keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static const char COPY_GLYPH[] = QEL_ICON_COPY;
static const char CHECK_GLYPH[] = QEL_ICON_CHECK;

TEST(ButtonGroup, JoinsItsButtonsAndReportsTheirClicks)
{
    widget_rig rig(400, 200, QEL_THEME_LIGHT, false);
    int32_t chosen = 0;
    const char* labels[] = {"Left", "Center", "Right"};
    int32_t depth_inside = 0, depth_after = -1;
    rig.h.ui = [&](qel_context* ctx) {
        qel_button_group_begin(ctx);
        depth_inside = qel_scope_count<qel_button_group_scope>(ctx);
        for (int32_t i = 0; i < 3; i++) {
            qel_button_opts o = {};
            o.selected = i == chosen;
            if (qel_button(ctx, labels[i], &o)) chosen = i;
        }
        qel_button_group_end(ctx);
        qel_button_group_begin(ctx);
        qel_button(ctx, "Alone", nullptr);
        qel_button_group_end(ctx);
        depth_after = qel_scope_count<qel_button_group_scope>(ctx);
    };
    rig.h.run(2);
    EXPECT_EQ(depth_inside, 1);
    EXPECT_EQ(depth_after, 0);
    qel_context* ctx = rig.h.ctx;
    float r = node_with_id(ctx, qel_id(ctx, "Left"))->radii[0];
    EXPECT_GT(r, 0);
    const struct {
        const char* label;
        float tl, tr, br, bl;
    } corners[] = {{"Left", r, 0, 0, r}, {"Center", 0, 0, 0, 0}, {"Right", 0, r, r, 0}, {"Alone", r, r, r, r}};
    for (const auto& c : corners) {
        SCOPED_TRACE(c.label);
        const qel_node* b = node_with_id(ctx, qel_id(ctx, c.label));
        EXPECT_EQ(b->radii[0], c.tl);
        EXPECT_EQ(b->radii[1], c.tr);
        EXPECT_EQ(b->radii[2], c.br);
        EXPECT_EQ(b->radii[3], c.bl);
        EXPECT_EQ(b->border_width, 0);
    }
    qel_button_style ghost;
    qel_button_palette(&ghost, ctx, QEL_BUTTON_GHOST, true);
    rig.move_to(qel_id(ctx, "Right"));
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run(10);
    EXPECT_EQ(node_with_id(ctx, qel_id(ctx, "Right"))->scale, 1) << "no press shrink inside a group";
    rig.h.button(0, false);
    rig.h.run(2);
    EXPECT_EQ(chosen, 2);
    EXPECT_EQ(node_with_id(ctx, qel_id(ctx, "Right"))->fill, ghost.background) << "plain buttons turn ghost";
    const qel_node* group = inspect_node(ctx, node_with_id(ctx, qel_id(ctx, "Left"))->parent);
    EXPECT_EQ(group->id, qel_id(ctx, "Left") ^ PART_BUTTON_GROUP);
    EXPECT_EQ(group->draw, qel_button_group_separator);
}

TEST(ButtonGroup, TightensItsButtonsOnlyWhileShortOfRoom)
{
    widget_rig rig(500, 100);
    float room = 400;
    rig.h.ui = [&](qel_context* ctx) {
        qel_style box = {};
        box.width = {QEL_SIZE_FIXED, room};
        qel_row_begin(ctx, &box);
        qel_button_group_begin(ctx);
        for (const char* label : {"Spreadsheet", "Typed label", "Template"}) qel_button(ctx, label, nullptr);
        qel_button_group_end(ctx);
        qel_container_end(ctx);
    };
    auto pad = [&] { return node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "Typed label"))->pad_left; };
    rig.h.run(3);
    EXPECT_EQ(pad(), 14);
    room = 200;
    rig.h.run(3);
    EXPECT_EQ(pad(), 8);
    room = 400;
    rig.h.run(3);
    EXPECT_EQ(pad(), 14);
    qel_button_group_end(rig.h.ctx);  // outside any frame's group: ignored
    EXPECT_EQ(qel_scope_count<qel_button_group_scope>(rig.h.ctx), 0);
}

// A clipboard that records what it is given.
struct recording_clipboard {
    std::vector<std::string> writes;
    static void set(void* user, const char* utf8) { ((recording_clipboard*)user)->writes.push_back(utf8); }
};

struct copy_rig {
    widget_rig rig{300, 100};
    recording_clipboard clipboard;
    const char* text = "4006381333931";
    int clicks = 0;

    explicit copy_rig(bool with_setter = true)
    {
        qel_platform p = {};
        p.user = &clipboard;
        if (with_setter) p.set_clipboard = recording_clipboard::set;
        qel_ctx_set_platform(rig.h.ctx, &p);
        rig.h.ui = [this](qel_context* ctx) { clicks += qel_copy_button(ctx, "barcode", text); };
        rig.h.run(2);
    }
    uint32_t look(const char* glyph, const char* tooltip)
    {
        qel_push_id(rig.h.ctx, "barcode");
        uint32_t id = qel_hash_str(glyph, qel_id(rig.h.ctx, tooltip));
        qel_pop_id(rig.h.ctx);
        return id;
    }
    bool copied() { return node_with_id(rig.h.ctx, look(CHECK_GLYPH, "Copied")) != nullptr; }
    void click()
    {
        qel_vec2 c = rig.centre(look(COPY_GLYPH, "Copy"));
        rig.h.click(c.x, c.y);
    }
};

TEST(CopyButton, WritesTheClipboardOnceAndConfirmsFor1_6Seconds)
{
    copy_rig c;
    EXPECT_FALSE(c.copied());
    c.click();
    EXPECT_EQ(c.clicks, 1);
    EXPECT_EQ(c.clipboard.writes, std::vector<std::string>{"4006381333931"});
    c.rig.h.run();
    ASSERT_TRUE(c.copied());
    EXPECT_EQ(node_with_text(c.rig.h.ctx, CHECK_GLYPH)->text_color, qel_theme_color(c.rig.h.ctx, QEL_COLOR_SUCCESS));
    float wake = qel_wake_timeout(c.rig.h.ctx);
    EXPECT_GT(wake, 1.5f);
    EXPECT_LE(wake, 1.61f) << "the window sleeps until the confirmation ends";
    c.rig.h.step = 0.1f;
    c.rig.h.run(14);  // 1.4 s more
    EXPECT_TRUE(c.copied());
    c.rig.h.run(2);
    EXPECT_FALSE(c.copied()) << "back to the copy icon after 1.6 s";
    EXPECT_LT(qel_wake_timeout(c.rig.h.ctx), 0) << "and nothing more to wake for";
    EXPECT_EQ(c.clipboard.writes.size(), 1u);
}

TEST(CopyButton, ConfirmsEvenWithNothingToWrite)
{
    copy_rig none;
    none.text = nullptr;
    none.click();
    none.rig.h.run();
    EXPECT_TRUE(none.copied());
    EXPECT_TRUE(none.clipboard.writes.empty());

    copy_rig no_setter(false);
    no_setter.click();
    no_setter.rig.h.run();
    EXPECT_TRUE(no_setter.copied());
    EXPECT_EQ(no_setter.clicks, 1);
}

TEST(CopyButton, KeepsTheKeyboardFocusAcrossItsTwoLooks)
{
    copy_rig c;
    c.rig.h.tap(QEL_KEY_TAB);
    c.rig.h.run();
    c.rig.h.tap(QEL_KEY_ENTER);
    c.rig.h.run();
    EXPECT_EQ(c.clipboard.writes.size(), 1u);
    EXPECT_EQ(qel_focused_id(c.rig.h.ctx), c.look(CHECK_GLYPH, "Copied"));
    c.rig.h.step = 0.25f;
    c.rig.h.run(8);
    EXPECT_EQ(qel_focused_id(c.rig.h.ctx), c.look(COPY_GLYPH, "Copy"));
    c.rig.h.step = 1.0f / 60;
    c.rig.h.tap(QEL_KEY_ENTER);
    c.rig.h.run();
    EXPECT_EQ(c.clipboard.writes.size(), 2u) << "Enter copies again";
}

// A hold button "Delete all" whose firing frames are counted.
struct hold_rig {
    widget_rig rig;
    qel_hold_opts opts = {};
    std::vector<int> fired_at;  // frame numbers
    int frame = 0;

    explicit hold_rig(bool reduced_motion = false) : rig(300, 100, QEL_THEME_LIGHT, reduced_motion)
    {
        rig.h.ui = [this](qel_context* ctx) {
            frame++;
            if (qel_hold_button(ctx, "Delete all", &opts)) fired_at.push_back(frame);
        };
        rig.h.run(2);
        rig.move_to(qel_id(rig.h.ctx, "Delete all"));
        rig.h.run();
    }
    float progress()
    {
        const qel_node* n = node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "Delete all"));
        return ((const qel_hold_record*)n->draw_user)->progress;
    }
};

TEST(HoldButton, FiresOnceAfterTheWholeHold)
{
    hold_rig h;
    h.rig.h.button(0, true);
    h.rig.h.run();
    int first_held = h.frame + 1;  // the press frame makes it active; holding counts from the next
    h.rig.h.run(71);
    EXPECT_TRUE(h.fired_at.empty()) << "not before 1.2 s";
    EXPECT_NEAR(h.progress(), 71.0f / 72, 0.002f);
    h.rig.h.run(120);
    ASSERT_EQ(h.fired_at.size(), 1u) << "holding on does not fire again";
    EXPECT_EQ(h.fired_at[0] - first_held + 1, 72);
    EXPECT_EQ(h.progress(), 0) << "the fill drained while still held";
    EXPECT_FALSE(inspect_redraw_requested(h.rig.h.ctx));
    h.rig.h.button(0, false);
    h.rig.h.run();
    h.rig.h.button(0, true);
    h.rig.h.run(80);
    EXPECT_EQ(h.fired_at.size(), 2u) << "a new hold fires again";
}

TEST(HoldButton, LettingGoEarlyDrainsTheFill)
{
    for (bool reduced : {false, true}) {
        SCOPED_TRACE(reduced ? "reduced motion" : "motion on");
        hold_rig h(reduced);
        h.rig.h.button(0, true);
        h.rig.h.run(40);
        float held = h.progress();
        EXPECT_GT(held, 0.5f);
        h.rig.h.button(0, false);
        h.rig.h.run();
        if (reduced) EXPECT_EQ(h.progress(), 0);
        else EXPECT_LT(h.progress(), held);
        h.rig.h.run(60);
        EXPECT_EQ(h.progress(), 0);
        EXPECT_TRUE(h.fired_at.empty());
        h.rig.h.button(0, true);  // dragged off before the time is up: no hold either
        h.rig.h.run(30);
        h.rig.h.move(295, 95);
        h.rig.h.run(60);
        h.rig.h.button(0, false);
        h.rig.h.run();
        EXPECT_TRUE(h.fired_at.empty());
    }
}

TEST(HoldButton, HoldsWithKeysAndItsOwnDuration)
{
    hold_rig h;
    h.opts.duration = 0.5f;
    h.rig.h.move(295, 95);
    h.rig.h.tap(QEL_KEY_TAB);
    h.rig.h.run();
    h.rig.h.key(QEL_KEY_SPACE, true);
    h.rig.h.run(25);
    EXPECT_TRUE(h.fired_at.empty());
    h.rig.h.run(10);
    EXPECT_EQ(h.fired_at.size(), 1u) << "0.5 s of Space";
    h.rig.h.key(QEL_KEY_SPACE, false);
    h.rig.h.run();
    const qel_node* n = node_with_id(h.rig.h.ctx, qel_id(h.rig.h.ctx, "Delete all"));
    EXPECT_TRUE(n->flags & QEL_NODE_CLIP);
    EXPECT_FALSE(n->flags & QEL_NODE_DRAW_AFTER) << "the fill draws under the label";
}
