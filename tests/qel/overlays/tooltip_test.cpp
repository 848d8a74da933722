// Tooltips as a user meets them: the rest before one shows, the next item's shown at once and
// gliding over, keycaps for a button's shortcut, and the whole text of a cut line.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

static bool tooltip_shown(qel_context* ctx)
{
    return node_with_id(ctx, PART_TOOLTIP_LAYER) != nullptr;
}

struct tooltip_rig {
    widget_rig rig;
    explicit tooltip_rig(bool reduced_motion = true) : rig(400, 200, QEL_THEME_LIGHT, reduced_motion)
    {
        rig.h.step = 1.0f / 64;  // exact in binary, so the delays fall on known frames
        rig.h.ui = [](qel_context* ctx) {
            board_begin(ctx);
            row_begin(ctx, 8);
            qel_button_opts save = {};
            save.tooltip = "Save";
            save.shortcut = "Ctrl S";
            qel_icon_button(ctx, QEL_ICON_ARROW_LEFT, &save);
            qel_button_opts open = {};
            open.tooltip = "Open";
            qel_icon_button(ctx, QEL_ICON_ARROW_RIGHT, &open);
            qel_container_end(ctx);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t button(const char* tip, const char* glyph) { return qel_hash_str(glyph, qel_id(ctx(), tip)); }
};

TEST(Tooltip, ShowsAfterTheRestDelayWithTheShortcutAsKeycaps)
{
    tooltip_rig t;
    t.rig.move_to(t.button("Save", QEL_ICON_ARROW_LEFT));
    t.rig.h.run(33);  // hovered for 0.5 s
    EXPECT_FALSE(tooltip_shown(t.ctx()));
    t.rig.h.run(4);  // 0.5625 s
    ASSERT_TRUE(tooltip_shown(t.ctx()));
    EXPECT_NE(node_with_text(t.ctx(), "Save"), nullptr);
    EXPECT_NE(node_with_text(t.ctx(), "Ctrl"), nullptr);
    EXPECT_NE(node_with_text(t.ctx(), "S"), nullptr);

    t.rig.h.button(0, true);
    t.rig.h.run(20);
    EXPECT_FALSE(tooltip_shown(t.ctx())) << "a held button hides it";
}

TEST(Tooltip, TheNeighbourShowsAtOnceAndGlidesOver)
{
    tooltip_rig t(false);
    t.rig.move_to(t.button("Save", QEL_ICON_ARROW_LEFT));
    t.rig.h.run(60);
    ASSERT_TRUE(tooltip_shown(t.ctx()));
    t.rig.move_to(t.button("Open", QEL_ICON_ARROW_RIGHT));
    t.rig.h.run(2);
    ASSERT_NE(node_with_text(t.ctx(), "Open"), nullptr);
    const qel_node* panel = node_with_id(t.ctx(), PART_TOOLTIP_LAYER);
    EXPECT_LT(panel->translate_x, -1.0f) << "it starts over the first button, to the left";
    t.rig.h.run(60);
    EXPECT_NEAR(node_with_id(t.ctx(), PART_TOOLTIP_LAYER)->translate_x, 0.0f, 0.5f);
    t.rig.h.move(399, 199);
    t.rig.h.run(30);
    EXPECT_FALSE(tooltip_shown(t.ctx()));
}

TEST(Tooltip, ACutLineShowsItsWholeTextAndAFittingOneNothing)
{
    for (float width : {60.0f, 380.0f}) {
        widget_rig rig(400, 100);
        rig.h.ui = [width](qel_context* ctx) {
            qel_text_opts o = {};
            o.single_line = 1;
            o.width = {QEL_SIZE_FIXED, width};
            qel_text_ex(ctx, "A rather long product name", &o);
        };
        rig.h.run(2);
        rig.h.move(20, 8);
        rig.h.run(60);
        EXPECT_EQ(tooltip_shown(rig.h.ctx), width < 100) << width;
    }
}
