// The assistant's input widgets driven as a user drives them: Enter in the composer with and
// without Shift, on blank text and while busy, the Stop button, the field's line cap, removing an
// attachment, picking models from the selector, and the orb frozen without motion.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

const qel_assistant_model MODELS[3] = {{"Swift", "Quick answers", nullptr, nullptr},
                                       {"Deep", "Careful answers", "new", nullptr},
                                       {"Tiny", nullptr, nullptr, nullptr}};

struct composer_rig {
    widget_rig rig{640, 480};
    char text[512] = "";
    qel_assistant_composer_opts o = {};
    uint32_t bits = 0;
    int32_t model = 0, removed = -1;

    composer_rig()
    {
        o.models = MODELS;
        o.model_count = 3;
        o.selected_model = &model;
        rig.h.ui = [this](qel_context* ctx) {
            qel_style s = {};
            s.padding = 12;
            s.width = {QEL_SIZE_GROW, 1};
            s.height = {QEL_SIZE_GROW, 1};
            s.justify = QEL_JUSTIFY_END;
            qel_column_begin(ctx, &s);
            bits = qel_assistant_composer(ctx, "ask", text, sizeof text, &o);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t id(uint32_t key) { return qel_id(rig.h.ctx, "ask") ^ key; }
    void focus()
    {
        qel_set_focus(rig.h.ctx, id(0xF1E1D), true);
        rig.h.run();
    }
    // Runs a frame with Enter pressed (modifiers held) and gives the bits of that frame.
    uint32_t enter(uint32_t modifiers = 0)
    {
        rig.h.key(QEL_KEY_ENTER, true, modifiers);
        rig.h.run();
        uint32_t got = bits;
        rig.h.key(QEL_KEY_ENTER, false, modifiers);
        rig.h.run();
        return got;
    }
};

// The popup is built after the trigger, which may show the same name.
const qel_node* last_node_with_text(qel_context* ctx, const char* text)
{
    for (int32_t i = inspect_node_count(ctx) - 1; i >= 0; i--) {
        const qel_node* n = inspect_node(ctx, i);
        if ((n->flags & QEL_NODE_TEXT) && n->text && std::strcmp(n->text, text) == 0) return n;
    }
    return nullptr;
}

}  // namespace

TEST(AssistantComposer, EnterSendsShiftEnterBreaksTheLine)
{
    composer_rig c;
    c.focus();
    EXPECT_EQ(c.enter(), 0u) << "blank text sends nothing";
    EXPECT_STREQ(c.text, "") << "and inserts nothing";
    c.rig.h.type("two labels");
    c.rig.h.run();
    EXPECT_EQ(c.enter(QEL_MOD_SHIFT), 0u);
    EXPECT_STREQ(c.text, "two labels\n");
    c.rig.h.type("please");
    c.rig.h.run();
    EXPECT_EQ(c.enter(), (uint32_t)QEL_COMPOSER_SEND);
    EXPECT_STREQ(c.text, "two labels\nplease") << "the caller clears the buffer";
    c.o.busy = 1;
    c.rig.h.run();
    EXPECT_EQ(c.enter(), 0u) << "nothing is sent while a reply streams";
    c.rig.click_on(c.id(0x5E7D));
    EXPECT_EQ(c.bits, (uint32_t)QEL_COMPOSER_STOP);
    c.o.busy = 0;
    c.rig.h.run();
    c.rig.click_on(c.id(0x5E7D));
    EXPECT_EQ(c.bits, (uint32_t)QEL_COMPOSER_SEND);
    std::strcpy(c.text, " \n\t");
    c.rig.h.run();
    c.rig.click_on(c.id(0x5E7D));
    EXPECT_EQ(c.bits, 0u) << "the button is off on blank text";
}

TEST(AssistantComposer, TheFieldGrowsToEightLines)
{
    composer_rig c;
    qel_rect one = c.rig.h.rect(c.id(0xF1E1D));
    std::string ten;
    for (int i = 0; i < 10; i++) ten += "line\n";
    ten += "end";
    std::strcpy(c.text, ten.c_str());
    c.rig.h.run(3);
    qel_rect eight = c.rig.h.rect(c.id(0xF1E1D));
    float body = 13;
    EXPECT_NEAR(one.h, 1.5f * body + 12, 0.5f);
    EXPECT_NEAR(eight.h, 8 * 1.5f * body + 12, 0.5f);
    c.o.max_lines = 3;
    c.rig.h.run(2);
    EXPECT_NEAR(c.rig.h.rect(c.id(0xF1E1D)).h, 3 * 1.5f * body + 12, 0.5f);
}

TEST(AssistantComposer, RemovingAnAttachmentWritesItsIndex)
{
    composer_rig c;
    const char* files[3] = {"prices.csv", "logo.png", "notes.txt"};
    c.o.attachments = files;
    c.o.attachment_count = 3;
    c.o.removed = &c.removed;
    c.rig.h.run(2);
    EXPECT_NE(node_with_text(c.rig.h.ctx, "logo.png"), nullptr);
    qel_push_id(c.rig.h.ctx, "ask");
    qel_push_id_int(c.rig.h.ctx, 1);
    uint32_t remove = qel_hash_str(QEL_ICON_X, qel_id(c.rig.h.ctx, "Remove"));
    qel_pop_id(c.rig.h.ctx);
    qel_pop_id(c.rig.h.ctx);
    c.rig.click_on(remove);
    EXPECT_EQ(c.bits, (uint32_t)QEL_COMPOSER_REMOVED);
    EXPECT_EQ(c.removed, 1);
    c.o.removed = nullptr;
    c.rig.h.run();
    c.rig.click_on(remove);
    EXPECT_EQ(c.bits, 0u) << "no removal is reported without a place for its index";
}

TEST(AssistantModelSelect, PickingAModel)
{
    composer_rig c;
    uint32_t trigger = scoped_id(c.rig.h.ctx, "ask", "model");
    EXPECT_NE(node_with_text(c.rig.h.ctx, "Swift"), nullptr);
    qel_push_id(c.rig.h.ctx, "ask");
    uint32_t popup = qel_id(c.rig.h.ctx, "model") ^ 0x30DE;
    qel_pop_id(c.rig.h.ctx);
    auto pick = [&](const char* name) {
        c.rig.click_on(trigger);
        c.rig.h.run(2);
        const qel_node* row = last_node_with_text(c.rig.h.ctx, name);
        EXPECT_NE(row, nullptr) << name;
        if (!row) return 0u;
        c.rig.h.click(row->rect.x + 2, row->rect.y + 2);
        uint32_t got = c.bits;
        EXPECT_FALSE(qel_popup_find(c.rig.h.ctx, popup, false)->open) << "a pick closes the list";
        c.rig.h.run(2);
        return got;
    };
    EXPECT_EQ(pick("Deep"), (uint32_t)QEL_COMPOSER_MODEL);
    EXPECT_EQ(c.model, 1);
    EXPECT_EQ(pick("Deep"), 0u) << "the selected model again: no change";
    EXPECT_EQ(c.model, 1);
    EXPECT_EQ(pick("Tiny"), (uint32_t)QEL_COMPOSER_MODEL);
    EXPECT_EQ(c.model, 2);
}

TEST(AssistantOrb, FrozenWithoutMotionAndClickable)
{
    widget_rig rig(300, 300, QEL_THEME_LIGHT, true);
    bool clicked = false;
    rig.h.ui = [&](qel_context* ctx) { clicked |= qel_assistant_orb(ctx, "orb", 2, 0.5f, nullptr); };
    rig.h.run(3);
    EXPECT_FALSE(inspect_redraw_requested(rig.h.ctx)) << "no continuous frames at motion scale 0";
    picture a = rig.shot();
    rig.h.run(20);
    picture b = rig.shot();
    EXPECT_TRUE(a.rgba == b.rgba) << "time stands at 0";
    rig.click_on(qel_id(rig.h.ctx, "orb"));
    EXPECT_TRUE(clicked);
    widget_rig moving(300, 300, QEL_THEME_LIGHT, false);
    moving.h.ui = [&](qel_context* ctx) { qel_assistant_orb(ctx, "orb", 1, 0.2f, nullptr); };
    moving.h.run(3);
    EXPECT_TRUE(inspect_redraw_requested(moving.h.ctx));
}
