// Dialogs and side sheets driven as a user drives them: closing by the close button, Escape and
// the scrim, and the no-dismiss option; Escape left to a field being edited and to a popup above;
// the keyboard kept inside the topmost sheet; the slide and fade over the animation clock; and
// deep or unbalanced nesting that leaves no scope open.
#include <gtest/gtest.h>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

// A page with a button and a field, and a dialog "Print" over it holding a field and two buttons.
struct dialog_rig {
    widget_rig rig;
    uint8_t open = 1;
    qel_dialog_options opts = {};
    int page_clicks = 0, ok_clicks = 0;
    char page_text[32] = "", dialog_text[32] = "";
    bool with_menu = false;

    dialog_rig() : rig(600, 400)
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            page_clicks += qel_button(ctx, "Page", nullptr);
            qel_input_text(ctx, "page field", page_text, sizeof page_text, nullptr);
            if (qel_dialog_begin(ctx, "Print", &open, &opts)) {
                qel_input_text(ctx, "copies", dialog_text, sizeof dialog_text, nullptr);
                if (with_menu && qel_dropdown_begin(ctx, "More", nullptr)) {
                    qel_menu_item(ctx, "Again", nullptr);
                    qel_dropdown_end(ctx);
                }
                qel_dialog_footer_begin(ctx);
                qel_button(ctx, "Cancel", nullptr);
                ok_clicks += qel_button(ctx, "OK", nullptr);
                qel_dialog_footer_end(ctx);
                qel_dialog_end(ctx);
            }
            qel_container_end(ctx);
        };
        rig.h.run(3);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t sheet() { return qel_id(ctx(), "Print") ^ PART_DIALOG; }
    uint32_t inner(const char* label)
    {
        qel_push_id_int(ctx(), (int32_t)sheet());
        uint32_t id = qel_id(ctx(), label);
        qel_pop_id(ctx());
        return id;
    }
    uint32_t close_button() { return qel_hash_str(QEL_ICON_X, inner("Close")); }
    void click_scrim()
    {
        rig.h.click(5, 5);
        rig.h.run();
    }
};

TEST(Dialog, ClosesByEscapeScrimOrButtonUnlessItMayNotBeDismissed)
{
    dialog_rig d;
    d.rig.h.tap(QEL_KEY_ESCAPE);
    d.rig.h.run();
    EXPECT_EQ(d.open, 0);

    d.open = 1;
    d.rig.h.run(3);
    d.click_scrim();
    EXPECT_EQ(d.open, 0);
    EXPECT_EQ(d.page_clicks, 0) << "the scrim keeps the page from the click";

    d.open = 1;
    d.opts.no_dismiss = 1;
    d.rig.h.run(3);
    d.rig.h.tap(QEL_KEY_ESCAPE);
    d.click_scrim();
    EXPECT_EQ(d.open, 1);
    qel_vec2 c = d.rig.centre(d.close_button());
    d.rig.h.click(c.x, c.y);
    EXPECT_EQ(d.open, 0);
}

TEST(Dialog, EscapeGoesFirstToAnEditedFieldAndToAPopupAbove)
{
    dialog_rig d;
    qel_vec2 field = d.rig.centre(d.inner("copies"));
    d.rig.h.click(field.x, field.y);
    d.rig.h.type("2");
    d.rig.h.run();
    d.rig.h.tap(QEL_KEY_ESCAPE);
    d.rig.h.run();
    EXPECT_EQ(d.open, 1) << "the field being edited took that Escape";
    d.rig.h.run();
    d.rig.h.tap(QEL_KEY_ESCAPE);
    d.rig.h.run();
    EXPECT_EQ(d.open, 0);

    d.open = 1;
    d.with_menu = true;
    d.rig.h.run(3);
    qel_vec2 more = d.rig.centre(d.inner("More"));
    d.rig.h.click(more.x, more.y);
    uint32_t popup = d.inner("More") ^ PART_DROPDOWN;
    ASSERT_TRUE(qel_popup_find(d.ctx(), popup, false)->open);
    d.rig.h.tap(QEL_KEY_ESCAPE);
    d.rig.h.run();
    EXPECT_FALSE(qel_popup_find(d.ctx(), popup, false)->open);
    EXPECT_EQ(d.open, 1);
}

TEST(Dialog, TheKeyboardStaysInsideTheDialog)
{
    dialog_rig d;
    d.open = 0;
    d.rig.h.run(30);
    qel_vec2 field = d.rig.centre(qel_id(d.ctx(), "page field"));
    d.rig.h.click(field.x, field.y);
    ASSERT_EQ(qel_focused_id(d.ctx()), qel_id(d.ctx(), "page field"));
    d.open = 1;
    d.rig.h.run();
    EXPECT_EQ(qel_focused_id(d.ctx()), 0u) << "opening takes the focus from the page";
    d.rig.h.type("x");
    d.rig.h.run();
    EXPECT_STREQ(d.page_text, "");

    for (int i = 0; i < 6; i++) {
        d.rig.h.tap(QEL_KEY_TAB);
        d.rig.h.run();
        uint32_t f = qel_focused_id(d.ctx());
        EXPECT_TRUE(f == d.inner("copies") || f == d.inner("Cancel") || f == d.inner("OK") || f == d.close_button())
            << "Tab left the dialog at step " << i;
    }
    qel_set_focus(d.ctx(), qel_id(d.ctx(), "Page"), true);
    d.rig.h.tap(QEL_KEY_ENTER);
    d.rig.h.tap(QEL_KEY_SPACE);
    d.rig.h.run();
    EXPECT_EQ(d.page_clicks, 0) << "Enter and Space do not reach the page";
    qel_set_focus(d.ctx(), d.inner("OK"), true);
    d.rig.h.tap(QEL_KEY_ENTER);
    d.rig.h.run();
    EXPECT_EQ(d.ok_clicks, 1);
}

TEST(SideSheet, SlidesInFromItsSideAndFadesOutBeforeItsBodyStops)
{
    widget_rig rig(600, 400, QEL_THEME_LIGHT, false);
    uint8_t open = 0;
    int built = 0;
    rig.h.ui = [&](qel_context* ctx) {
        if (qel_side_sheet_begin(ctx, "Details", &open, nullptr)) {
            built++;
            qel_text_ex(ctx, "Body", nullptr);
            qel_side_sheet_end(ctx);
        }
    };
    rig.h.run(2);  // motion starts from the third frame
    open = 1;
    rig.h.run(6);
    const qel_node* panel = node_with_id(rig.h.ctx, (qel_id(rig.h.ctx, "Details") ^ PART_SIDE_SHEET) ^ PART_PANEL);
    ASSERT_NE(panel, nullptr);
    EXPECT_GT(panel->translate_x, 1.0f) << "still sliding in from the right";
    rig.h.run(60);
    qel_rect r = rig.h.rect((qel_id(rig.h.ctx, "Details") ^ PART_SIDE_SHEET) ^ PART_PANEL);
    EXPECT_NEAR(r.x + r.w, 592.0f, 0.5f);
    EXPECT_NEAR(r.w, 400.0f, 0.5f);

    open = 0;
    built = 0;
    rig.h.run(60);
    EXPECT_GT(built, 3);
    EXPECT_LT(built, 30);
}

TEST(Sheet, DeepAndUnbalancedNestingLeavesNoScopeOpen)
{
    widget_rig rig;
    qel_context* ctx = rig.h.ctx;
    uint8_t open[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    int32_t begun = 0;
    rig.h.ui = [&](qel_context* c) {
        begun = 0;
        for (uint32_t i = 0; i < 10; i++) begun += qel_sheet_begin(c, 900 + i, "S", &open[i], nullptr, 300, 0, 1, 0, 0);
        for (int32_t i = 0; i < 11; i++) qel_sheet_end(c, false);
        qel_text_ex(c, "after", nullptr);
    };
    rig.h.run(2);
    EXPECT_EQ(begun, 10);
    EXPECT_EQ(inspect_current_layer(ctx), 0u);
    EXPECT_EQ(inspect_disabled_scopes(ctx), 0);
    EXPECT_EQ(node_with_text(ctx, "after")->parent, 0);
}
