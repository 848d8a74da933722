#include "qel/input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core.h"
#include "qel/scroll_container.h"
#include "qel_headless.h"

// --- Intake ---

TEST(Input, ClickCountNeedsQuickAndClosePresses)
{
    const struct {
        float seconds, dx;
        int32_t count;
    } cases[] = {{0.39f, 4, 2}, {0.41f, 0, 1}, {0.2f, 5, 1}, {0.2f, 3, 2}};
    for (const auto& c : cases) {
        qel_headless h;
        h.run(3);
        h.move(100, 100);
        h.button(0, true);
        h.button(0, false);
        h.step = c.seconds / 2;  // a frame's step is at most 0.25 s
        h.run(2);
        h.move(100 + c.dx, 100);
        h.button(0, true);
        EXPECT_EQ(h.ctx->input.click_count, c.count) << c.seconds << " s, " << c.dx << " px";
    }
}

TEST(Input, ThePointerCountsAsMovedOnlyInTheFrameAfterAMove)
{
    qel_headless h;
    std::vector<bool> moved;
    h.ui = [&](qel_context* ctx) { moved.push_back(qel_mouse_moved(ctx)); };
    h.move(50, 50);
    h.run(2);
    h.move(50, 50);  // to where it already is
    h.run();
    h.move(60, 50);
    h.run();
    EXPECT_EQ(moved, (std::vector<bool>{true, false, false, true}));
}

TEST(Input, TypedTextKeepsWholeChunksAndDropsControlBytes)
{
    qel_headless h;
    qel_input_chars(h.ctx, nullptr);
    h.type(std::string(200, 'a').c_str());
    h.type(std::string(60, 'b').c_str());
    EXPECT_EQ(h.ctx->input.text_length, 200);
    h.run();
    EXPECT_EQ(h.ctx->input.text_length, 0);  // per frame
    h.type("x\ty\x7f\n\xc3\xa9z");
    EXPECT_STREQ(h.ctx->input.text, "xy\xc3\xa9z");
    h.type(std::string(250, 'c').c_str());  // 5 + 250 fits exactly
    EXPECT_EQ(h.ctx->input.text_length, 255);
}

TEST(Input, KeysAndModifiers)
{
    qel_headless h;
    for (int i = 0; i < 300; i++) h.key(QEL_KEY_A, true, QEL_MOD_CTRL);
    EXPECT_EQ(h.ctx->input.key_presses[QEL_KEY_A], 255);
    EXPECT_TRUE(qel_shortcut_pressed(h.ctx, QEL_MOD_CTRL, QEL_KEY_A));
    EXPECT_FALSE(qel_shortcut_pressed(h.ctx, QEL_MOD_CTRL | QEL_MOD_SHIFT, QEL_KEY_A));
    h.key(QEL_KEY_A, false, 0);  // a key-up keeps the modifiers
    EXPECT_FALSE(qel_key_down(h.ctx, QEL_KEY_A));
    EXPECT_EQ(qel_modifiers(h.ctx), (uint32_t)QEL_MOD_CTRL);
    h.key(QEL_KEY_NONE, false, QEL_MOD_SHIFT);  // a modifier-only event stores them
    EXPECT_EQ(qel_modifiers(h.ctx), (uint32_t)QEL_MOD_SHIFT);
    for (int32_t bad : {-1, 68, 1000, INT32_MIN}) {
        h.key(bad, true, 0);
        h.key(bad, false, 0);  // never used as an index
        EXPECT_FALSE(qel_key_pressed(h.ctx, bad));
        EXPECT_FALSE(qel_key_down(h.ctx, bad));
    }
    EXPECT_FALSE(qel_mouse_down(h.ctx, 3));
    qel_input_mouse_button(h.ctx, 7, true);
    EXPECT_FALSE(qel_mouse_pressed(h.ctx, 7));
    h.run();
    EXPECT_FALSE(qel_key_pressed(h.ctx, QEL_KEY_A));
}

TEST(Input, DroppedFiles)
{
    qel_headless h;
    qel_input_drag_hover(h.ctx, true, 40, 50);
    EXPECT_TRUE(qel_drag_hovering(h.ctx));
    EXPECT_EQ(qel_mouse_pos(h.ctx).x, 40);
    std::vector<std::string> names;
    for (int i = 0; i < 70; i++) names.push_back("C:\\labels\\file-" + std::string(40, 'x') + std::to_string(i) + ".csv");
    std::vector<const char*> paths;
    for (const std::string& n : names) paths.push_back(n.c_str());
    paths[1] = nullptr;
    qel_input_drop_files(h.ctx, paths.data(), 70, 60, 70);
    EXPECT_FALSE(qel_drag_hovering(h.ctx));
    ASSERT_EQ(qel_dropped_file_count(h.ctx), 64);  // the 65th and later are ignored
    EXPECT_STREQ(qel_dropped_file_path(h.ctx, 0), names[0].c_str());
    EXPECT_STREQ(qel_dropped_file_path(h.ctx, 1), names[2].c_str());
    EXPECT_STREQ(qel_dropped_file_path(h.ctx, 63), names[64].c_str());
    EXPECT_EQ(qel_dropped_file_path(h.ctx, 64), nullptr);
    EXPECT_EQ(qel_dropped_file_path(h.ctx, -1), nullptr);
    h.ctx->drops.consumed = 1;  // as a drop zone under the drop marks it
    EXPECT_EQ(qel_dropped_file_count(h.ctx), 0);
    EXPECT_EQ(qel_dropped_file_path(h.ctx, 0), nullptr);
    h.run();
    EXPECT_EQ(h.ctx->drops.count, 0);
}

// --- Interaction over frames ---

// A frame with three buttons side by side (ids 1, 2, 3, each 100 x 40 at x = 0, 100, 200) and a
// record of what each reported.
struct buttons {
    qel_headless h;
    qel_interaction got[4] = {};
    uint32_t flags[4] = {0, 0, 0, 0};
    bool disabled[4] = {};

    buttons()
    {
        h.ui = [this](qel_context* ctx) {
            qel_row_begin(ctx, nullptr);
            for (uint32_t id = 1; id <= 3; id++) {
                qel_push_disabled(ctx, disabled[id]);
                got[id] = qel_interact(ctx, id, flags[id]);
                qel_pop_disabled(ctx);
                qel_node_mark_interactive(ctx, qel_node_sized(ctx, id, fixed(100), fixed(40)), flags[id]);
            }
            qel_container_end(ctx);
        };
        h.run();
    }
};

TEST(Interaction, HoverPressAndClick)
{
    buttons b;
    b.h.move(50, 20);
    b.h.run();
    EXPECT_TRUE(b.got[1].hovered);
    EXPECT_FALSE(b.got[2].hovered);
    EXPECT_TRUE(qel_any_item_hot(b.h.ctx));
    b.h.button(0, true);
    b.h.run();
    EXPECT_TRUE(b.got[1].held && b.got[1].active);
    EXPECT_FALSE(b.got[1].clicked);
    b.h.run();
    EXPECT_TRUE(b.got[1].held);
    b.h.button(0, false);
    b.h.run();
    EXPECT_TRUE(b.got[1].clicked && b.got[1].released);
    EXPECT_FALSE(b.got[1].double_clicked);
    b.h.run();
    EXPECT_FALSE(b.got[1].clicked);  // a click is reported once
    EXPECT_FALSE(b.got[1].active);

    b.h.button(0, true);  // the second press of a double click
    b.h.run();
    EXPECT_TRUE(b.got[1].double_clicked);
    b.h.button(0, false);
    b.h.button(1, true);
    b.h.run();
    EXPECT_TRUE(b.got[1].right_pressed);
    EXPECT_TRUE(b.got[1].clicked);
}

TEST(Interaction, LosingWindowFocusReleasesEverything)
{
    buttons b;
    b.h.move(50, 20);
    b.h.button(0, true);
    b.h.key(QEL_KEY_SPACE, true, QEL_MOD_ALT);
    b.h.run();
    ASSERT_TRUE(b.got[1].held);
    qel_input_focus(b.h.ctx, false);
    b.h.run();
    EXPECT_TRUE(b.got[1].released);  // the press ends as a release over the item
    EXPECT_FALSE(b.got[1].clicked);  // another window took it: no click
    EXPECT_FALSE(qel_mouse_down(b.h.ctx, 0));
    EXPECT_FALSE(qel_key_down(b.h.ctx, QEL_KEY_SPACE));
    EXPECT_EQ(qel_modifiers(b.h.ctx), 0u);
    b.h.run();
    EXPECT_FALSE(b.got[1].active);
    // With the window back, the next press clicks as usual.
    qel_input_focus(b.h.ctx, true);
    b.h.button(0, true);
    b.h.run();
    b.h.button(0, false);
    b.h.run();
    EXPECT_TRUE(b.got[1].clicked);
}

TEST(Interaction, DraggingOffAnItemReleasesWithoutAClick)
{
    for (uint32_t flags : {0u, (uint32_t)QEL_INTERACT_HOLD_OUTSIDE}) {
        buttons b;
        b.flags[1] = flags;
        b.h.move(50, 20);
        b.h.run();
        b.h.button(0, true);
        b.h.run();
        b.h.move(150, 20);  // over the second item
        b.h.run();
        EXPECT_FALSE(b.got[1].hovered);
        EXPECT_TRUE(b.got[1].active);
        EXPECT_EQ(b.got[1].held, flags != 0);
        EXPECT_FALSE(b.got[2].hovered);  // another item owns the pointer
        EXPECT_FALSE(b.got[2].active);
        b.h.button(0, false);
        b.h.run();
        EXPECT_TRUE(b.got[1].released);
        EXPECT_FALSE(b.got[1].clicked);
        EXPECT_FALSE(b.got[2].clicked);
        b.h.run();
        EXPECT_FALSE(b.got[1].active);
        EXPECT_TRUE(b.got[2].hovered);
    }
}

TEST(Interaction, TabCyclesThroughFocusableItems)
{
    buttons b;
    for (uint32_t id = 1; id <= 3; id++) b.flags[id] = QEL_INTERACT_FOCUSABLE;
    b.h.run();
    auto focused = [&] {
        for (uint32_t id = 1; id <= 3; id++)
            if (b.got[id].focused) return (int)id;
        return 0;
    };
    std::vector<int> order;
    for (int i = 0; i < 4; i++) {
        b.h.tap(QEL_KEY_TAB);
        order.push_back(focused());
        EXPECT_FALSE(qel_key_pressed(b.h.ctx, QEL_KEY_TAB));  // consumed
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 1}));
    EXPECT_TRUE(b.got[1].focus_visible);
    b.h.tap(QEL_KEY_TAB, QEL_MOD_SHIFT);
    EXPECT_EQ(focused(), 3);
    b.h.tap(QEL_KEY_TAB, QEL_MOD_CTRL);
    EXPECT_EQ(focused(), 3);
}

TEST(Interaction, TabStaysInTheTopmostPopupLayer)
{
    qel_headless h;
    uint32_t focused = 0;
    h.ui = [&](qel_context* ctx) {
        focused = 0;
        auto item = [&](uint32_t id) {
            if (qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE).focused) focused = id;
        };
        item(1);
        item(2);
        qel_overlay_begin(ctx, 500, 1001, 0, QEL_PLACE_CENTER, 0);
        ctx->interaction.top_layer = 500;  // as the popup layer records its topmost popup
        item(3);
        item(4);
        qel_overlay_end(ctx);
    };
    h.run();
    std::vector<uint32_t> order;
    for (int i = 0; i < 3; i++) {
        h.tap(QEL_KEY_TAB);
        order.push_back(focused);
    }
    EXPECT_EQ(order, (std::vector<uint32_t>{3, 4, 3}));
}

TEST(Interaction, KeyboardActivatesTheFocusedItem)
{
    const struct {
        int32_t key;
        uint32_t flags;
        bool clicked, visible;
    } cases[] = {
        {QEL_KEY_ENTER, 0, true, true},  {QEL_KEY_SPACE, 0, true, true}, {QEL_KEY_DOWN, 0, false, true},
        {QEL_KEY_A, 0, false, false},    {QEL_KEY_ENTER, QEL_INTERACT_NO_KEYS, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        buttons b;
        b.flags[1] = QEL_INTERACT_FOCUSABLE | c.flags;
        b.h.click(50, 20);  // a press focuses without the ring
        ASSERT_TRUE(b.got[1].focused);
        EXPECT_FALSE(b.got[1].focus_visible);
        b.h.tap(c.key);
        EXPECT_EQ(b.got[1].clicked, c.clicked);
        EXPECT_EQ(b.got[1].activated_by_key, c.clicked);
        EXPECT_EQ(b.got[1].focus_visible, c.visible);
        EXPECT_FALSE(b.got[2].clicked);
    }
}

TEST(Interaction, FocusIsLostToAPressElsewhere)
{
    buttons b;
    b.flags[1] = QEL_INTERACT_FOCUSABLE;
    b.flags[3] = QEL_INTERACT_KEEP_FOCUS;
    b.h.click(50, 20);
    EXPECT_TRUE(b.got[1].focused);
    b.h.click(250, 20);  // keeps the focus
    EXPECT_TRUE(b.got[1].focused);
    b.h.click(150, 20);  // an item that does not keep it
    EXPECT_FALSE(b.got[1].focused);
    b.h.click(50, 20);
    b.h.click(500, 300);  // empty space
    EXPECT_FALSE(b.got[1].focused);
}

TEST(Interaction, DisabledItemsReportNothingAndLoseFocus)
{
    buttons b;
    b.flags[1] = QEL_INTERACT_FOCUSABLE;
    b.h.click(50, 20);
    b.h.button(0, true);
    b.h.run();
    ASSERT_TRUE(b.got[1].active && b.got[1].focused);
    b.disabled[1] = true;
    b.h.run();
    EXPECT_EQ(b.h.ctx->interaction.focused, 0u);
    EXPECT_EQ(b.h.ctx->interaction.active, 0u);
    b.h.button(0, false);
    b.h.run();
    const qel_interaction none = {};
    EXPECT_EQ(memcmp(&b.got[1], &none, sizeof none), 0);
    b.h.tap(QEL_KEY_TAB);
    EXPECT_FALSE(b.got[1].focused);  // a disabled item leaves the Tab order

    qel_push_disabled(b.h.ctx, false);
    EXPECT_FALSE(qel_is_disabled(b.h.ctx));
    for (int i = 0; i < 40; i++) qel_push_disabled(b.h.ctx, true);  // past 32 levels: counted only
    EXPECT_TRUE(qel_is_disabled(b.h.ctx));
    for (int i = 0; i < 40; i++) qel_pop_disabled(b.h.ctx);
    EXPECT_FALSE(qel_is_disabled(b.h.ctx));
    qel_pop_disabled(b.h.ctx);
    qel_pop_disabled(b.h.ctx);
    EXPECT_FALSE(qel_is_disabled(b.h.ctx));
}

TEST(Interaction, IdZeroIsNoItem)
{
    qel_headless h;
    qel_interaction got = {};
    h.ui = [&](qel_context* ctx) { got = qel_interact(ctx, 0, QEL_INTERACT_FOCUSABLE); };
    h.move(500, 500);  // over nothing: the hovered id is 0 too
    h.button(0, true);
    h.run();
    EXPECT_FALSE(got.hovered || got.active || got.focused);
    EXPECT_EQ(h.ctx->interaction.active, 0u);
}

TEST(Interaction, LastItem)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_node_mark_interactive(ctx, qel_node_sized(ctx, 5, fixed(80), fixed(30)), 0);
        qel_interact(ctx, 5, 0);
        ctx->interaction.last_item = 5;  // as a widget records itself when it finishes
    };
    h.move(10, 10);
    h.run(2);
    EXPECT_EQ(qel_last_item_id(h.ctx), 5u);
    EXPECT_TRUE(qel_last_item_hovered(h.ctx));
    EXPECT_EQ(qel_last_item_rect(h.ctx).w, 80);
}

// --- Hover and the wheel's target ---

// Two nested scroll rectangles (outer 10, inner 20) with a button (30) inside the inner one.
struct nested_scroll {
    qel_headless h;
    float inner_content = 1000;
    uint32_t outer_flags = QEL_NODE_SCROLL_Y, inner_flags = QEL_NODE_SCROLL_Y, button_flags = QEL_NODE_INTERACTIVE;

    nested_scroll()
    {
        h.ui = [this](qel_context* ctx) {
            int32_t o = qel_node_sized(ctx, 10, fixed(300), fixed(300));
            qel_node_at(ctx, o)->flags |= outer_flags;
            qel_node_push(ctx, o);
            int32_t i = qel_node_sized(ctx, 20, fixed(200), fixed(200));
            qel_node_at(ctx, i)->flags |= inner_flags;
            qel_node_push(ctx, i);
            qel_node_at(ctx, qel_node_sized(ctx, 30, fixed(50), fixed(50)))->flags |= button_flags;
            qel_node_pop(ctx);
            qel_node_pop(ctx);
        };
        frame();
    }

    void frame()
    {
        h.run();
        auto* s = (qel_scroll_state*)qel_state_get(h.ctx, 20, sizeof(qel_scroll_state));
        s->content_h = inner_content;  // the layout wrote the real content
        s->view_h = 200;
        s = (qel_scroll_state*)qel_state_get(h.ctx, 10, sizeof(qel_scroll_state));
        s->content_h = 2000;
        s->view_h = 300;
    }
};

TEST(Interaction, WheelGoesToTheInnermostContainerThatCanScroll)
{
    const struct {
        const char* name;
        float inner_content, wheel_x, wheel_y;
        uint32_t modifiers;
        uint32_t inner_flags;
        uint32_t target, hovered;
    } cases[] = {
        {"the inner list can scroll", 1000, 0, -1, 0, QEL_NODE_SCROLL_Y, 20, 30},
        {"the inner list is too short: the outer", 200, 0, -1, 0, QEL_NODE_SCROLL_Y, 10, 30},
        {"no wheel: the innermost", 200, 0, 0, 0, QEL_NODE_SCROLL_Y, 20, 30},
        {"a horizontal wheel that none can take: the fallback", 1000, 1, 0, 0, QEL_NODE_SCROLL_Y, 20, 30},
        {"shift turns the wheel horizontal", 1000, 0, -1, QEL_MOD_SHIFT, QEL_NODE_SCROLL_Y, 20, 30},
        {"a blocking fallback ends the search", 200, 0, -1, 0, QEL_NODE_SCROLL_Y | QEL_NODE_BLOCKING, 20, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        nested_scroll n;
        n.inner_content = c.inner_content;
        n.inner_flags = c.inner_flags;
        n.frame();
        n.h.move(25, 25);
        n.h.wheel(c.wheel_x, c.wheel_y);
        n.h.key(QEL_KEY_NONE, false, c.modifiers);
        n.frame();
        EXPECT_EQ(n.h.ctx->interaction.scroll_target, c.target);
        EXPECT_EQ(n.h.ctx->interaction.hovered, c.hovered);
    }
}

TEST(Interaction, BlockingAndOpaqueRectanglesHideWhatIsBehind)
{
    qel_headless h;
    uint32_t cover = 0;
    h.ui = [&](qel_context* ctx) {
        qel_node_mark_interactive(ctx, qel_node_sized(ctx, 1, fixed(100), fixed(100)), 0);
        if (!cover) return;
        int32_t o = qel_overlay_begin(ctx, 900, 1001, 0, cover == QEL_NODE_BLOCKING ? QEL_PLACE_FILL : QEL_PLACE_AT, 0);
        qel_node* n = qel_node_at(ctx, o);
        n->flags |= cover;
        n->x = n->y = 0;
        n->width = n->height = fixed(50);
        qel_overlay_end(ctx);
    };
    h.move(60, 60);
    h.run(2);
    EXPECT_EQ(h.ctx->interaction.hovered, 1u);
    cover = QEL_NODE_BLOCKING;
    h.run(2);
    EXPECT_EQ(h.ctx->interaction.hovered, 0u);  // a scrim over everything takes the hover
    EXPECT_EQ(h.ctx->interaction.hover_layer, 900u);
    cover = QEL_NODE_HOVER_OPAQUE;
    h.run(2);
    EXPECT_EQ(h.ctx->interaction.hovered, 1u);  // the opaque panel is elsewhere (8, 8, 50, 50)
    h.move(20, 20);
    h.run();
    EXPECT_EQ(h.ctx->interaction.hovered, 0u);
    qel_input_mouse_leave(h.ctx);
    h.run();
    EXPECT_EQ(h.ctx->interaction.hover_layer, 0u);
    EXPECT_EQ(qel_mouse_pos(h.ctx).x, -1000000.0f);
}
