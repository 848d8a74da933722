// The stat strip's items and the colours of good and bad news, and the ticker: its first frame,
// its speed, its wrap at one strip width (also when the strip narrows), the pause under the
// pointer and its defaults for sizes that are no number.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const qel_stat_item FIGURES[3] = {
    {"Labels", "1,284", 12.5f, 0}, {"Misprints", "17", -2.5f, 1}, {"Queue", nullptr, 3, 1}};

TEST(StatStrip, ShowsGoodNewsInSuccessAndBadInDanger)
{
    widget_rig rig(640, 120);
    rig.h.ui = [](qel_context* ctx) { qel_stat_strip(ctx, 0, FIGURES, 3); };
    rig.h.run();
    qel_context* ctx = rig.h.ctx;
    const qel_node* fall = node_with_text(ctx, "-2.5%");
    ASSERT_NE(fall, nullptr);
    EXPECT_EQ(fall->text_color, qel_theme_color(ctx, QEL_COLOR_SUCCESS)) << "a fall is good news here";
    EXPECT_EQ(node_with_text(ctx, QEL_ICON_TRENDING_DOWN)->text_color, qel_theme_color(ctx, QEL_COLOR_SUCCESS));
    EXPECT_EQ(node_with_text(ctx, "+12.5%")->text_color, qel_theme_color(ctx, QEL_COLOR_SUCCESS));
    EXPECT_EQ(node_with_text(ctx, "+3.0%")->text_color, qel_theme_color(ctx, QEL_COLOR_DANGER));
    const qel_node* queue = node_with_text(ctx, "Queue");
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(inspect_node(ctx, queue->parent)->child_count, 3) << "label, icon and change: no value";
}

struct ticker_scene {
    widget_rig rig;
    const qel_stat_item* items = FIGURES;
    int32_t count = 3;
    qel_stat_ticker_opts o = {};
    ticker_scene() : rig(400, 120, QEL_THEME_LIGHT, false)
    {
        rig.h.ui = [this](qel_context* ctx) { qel_stat_ticker(ctx, "ticker", items, count, &o); };
    }
    uint32_t id() { return qel_id(rig.h.ctx, "ticker"); }
    qel_rect strip() { return rig.h.rect(id() ^ 0x5E7u); }
    float offset() { return rig.h.rect(id()).x - strip().x; }
};

TEST(StatTicker, StartsStillThenScrollsAndWrapsAtOneStripWidth)
{
    ticker_scene s;
    s.rig.h.run();
    const qel_node* row = inspect_node(s.rig.h.ctx, 2);  // the floating row in the ticker
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->rect.w, 6000) << "the width is not known yet";
    EXPECT_EQ(s.offset(), 0);
    s.rig.h.run();
    EXPECT_NEAR(s.offset(), 40.0f / 60, 1e-3);
    float width = s.strip().w;
    EXPECT_EQ(inspect_node(s.rig.h.ctx, 2)->rect.w, width * 3 + 16);
    s.rig.h.step = 0.25f;
    for (int i = 0; i < 200; i++) {
        s.rig.h.run();
        ASSERT_GE(s.offset(), 0);
        ASSERT_LT(s.offset(), width) << "the view never runs past the second copy";
    }
    // A narrower strip: the offset wraps into its width in the next frame, not over several.
    s.rig.h.step = 1.0f / 60;
    s.count = 1;
    s.rig.h.run(2);
    EXPECT_LT(s.offset(), s.strip().w);
}

TEST(StatTicker, PausesUnderThePointerAndTakesDefaultsForSizesThatAreNoNumber)
{
    ticker_scene s;
    s.o.speed = std::numeric_limits<float>::quiet_NaN();
    s.o.height = std::numeric_limits<float>::infinity();
    s.rig.h.run(3);
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 40);
    EXPECT_NEAR(s.offset(), 2 * 40.0f / 60, 1e-3);
    s.rig.move_to(s.id());
    s.rig.h.run(2);
    float held = s.offset();
    s.rig.h.run(5);
    EXPECT_EQ(s.offset(), held);
    EXPECT_FALSE(qel_needs_redraw(s.rig.h.ctx));
}
