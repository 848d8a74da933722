// Delayed tooltips and confirm popovers over scripted frames: the card waits for the delay, stays
// while the pointer moves into it, closes a moment after the pointer leaves both and never opens
// under a held button; the confirm popover confirms by Enter and closes by Escape or Cancel.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct tooltip_scene {
    widget_rig rig{500, 400, QEL_THEME_LIGHT, false};
    bool built = false;

    tooltip_scene()
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_button(ctx, "Paper", nullptr);
            built = qel_tooltip_delayed_begin(ctx, "paper-card", nullptr);
            if (!built) return;
            qel_text_medium(ctx, "Roll of 500 labels, 40 x 30 mm");
            qel_tooltip_delayed_end(ctx);
        };
        rig.h.run(2);
    }
    bool open() const
    {
        qel_context* ctx = rig.h.ctx;
        const qel_popup_slot* s = qel_popup_find(ctx, qel_id(ctx, "paper-card") ^ PART_HOVER_CARD, false);
        return s && s->open;
    }
    qel_vec2 anchor() const
    {
        const qel_node* n = node_with_text(rig.h.ctx, "Paper");
        return {n->rect.x + n->rect.w / 2, n->rect.y + n->rect.h / 2};
    }
};

TEST(DelayedTooltip, OpensAfterTheDelayAndNotUnderAHeldButton)
{
    tooltip_scene s;
    qel_vec2 at = s.anchor();
    s.rig.h.move(at.x, at.y);
    s.rig.h.run(22);  // about 0.37 s of rest
    EXPECT_FALSE(s.open());
    EXPECT_GT(qel_wake_timeout(s.rig.h.ctx), 0) << "a frame is asked for when the delay ends";
    s.rig.h.run(8);
    EXPECT_TRUE(s.open());
    s.rig.h.button(0, true);
    s.rig.h.run();
    EXPECT_FALSE(s.open()) << "a press on the anchor closes it";
    s.rig.h.run(60);
    EXPECT_FALSE(s.open()) << "never opens while the button is held";
    s.rig.h.button(0, false);
    s.rig.h.run();
}

TEST(DelayedTooltip, StaysWhileThePointerIsInTheCardAndClosesAfterTheGrace)
{
    tooltip_scene s;
    qel_vec2 at = s.anchor();
    s.rig.h.move(at.x, at.y);
    s.rig.h.run(40);
    ASSERT_TRUE(s.open());
    s.rig.h.run(20);
    const qel_node* text = node_with_text(s.rig.h.ctx, "Roll of 500 labels, 40 x 30 mm");
    ASSERT_NE(text, nullptr);
    s.rig.h.move(text->rect.x + 4, text->rect.y + 4);
    s.rig.h.run(60);
    EXPECT_TRUE(s.open()) << "the card holds it open";
    s.rig.h.move(490, 390);
    s.rig.h.run(6);  // 0.1 s
    EXPECT_TRUE(s.open()) << "within the grace";
    s.rig.h.move(at.x, at.y);
    s.rig.h.run(20);
    EXPECT_TRUE(s.open()) << "coming back keeps it";
    s.rig.h.move(490, 390);
    s.rig.h.run(18);  // 0.3 s
    EXPECT_FALSE(s.open());
}

TEST(ConfirmPopover, EnterConfirmsEscapeAndCancelDoNot)
{
    for (int32_t way : {(int32_t)QEL_KEY_ENTER, (int32_t)QEL_KEY_ESCAPE, 0}) {
        widget_rig rig(500, 400);
        int confirmed = 0;
        rig.h.ui = [&](qel_context* ctx) {
            if (qel_button(ctx, "Delete template", nullptr)) qel_popup_open(ctx, "really");
            qel_confirm_options o = {"Delete the template?", "Labels printed from it stay as they are.", "Delete",
                                     nullptr, 1, 0};
            confirmed += qel_confirm_buttons(ctx, "really", &o);
        };
        rig.h.run(2);
        qel_context* ctx = rig.h.ctx;
        const qel_node* guard = node_with_text(ctx, "Delete template");
        rig.h.click(guard->rect.x + 5, guard->rect.y + 5);
        rig.h.run(30);
        ASSERT_TRUE(qel_popup_is_open(ctx, "really")) << way;
        ASSERT_NE(node_with_text(ctx, "Delete the template?"), nullptr);
        if (way) {
            rig.h.tap(way);
        } else {
            const qel_node* cancel = node_with_text(ctx, "Cancel");
            rig.h.click(cancel->rect.x + cancel->rect.w / 2, cancel->rect.y + cancel->rect.h / 2);
        }
        rig.h.run(30);
        EXPECT_EQ(confirmed, way == QEL_KEY_ENTER ? 1 : 0) << way;
        EXPECT_FALSE(qel_popup_is_open(ctx, "really")) << way;
    }
}
