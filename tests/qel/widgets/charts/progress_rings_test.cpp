// Progress rings: percent texts, the size fitted beside the legend, rings and legend rows hovering
// and clicking their item, and rings too small to draw neither drawn nor hit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(ProgressRings, PercentTextsKeepATenthOnlyBelowTen)
{
    qel_headless h;
    const struct {
        float value;
        const char* text;
    } cases[] = {{0.05f, "5%"}, {0.5f, "50%"}, {0.055f, "5.5%"}, {0.123f, "12%"}, {1.5f, "150%"}, {0, "0%"}};
    for (const auto& c : cases) EXPECT_STREQ(qel_progress_percent_text(h.ctx, c.value), c.text) << c.value;
}

struct rings_scene : chart_scene<qel_progress_payload> {
    std::vector<qel_chart_item> items = {{"Ribbon", 0.42f, 0}, {"Labels", 0.8f, 0}, {"Stock", 1.2f, 0}};
    qel_progress_list_options options = {};
    int32_t clicked = -1;
    rings_scene(float width, bool legend) : chart_scene(width, 300, "rings")
    {
        options.show_legend = legend;
        rig.h.ui = [this](qel_context* ctx) {
            int32_t c = qel_progress_list(ctx, "rings", items.data(), (int32_t)items.size(), &options);
            if (c >= 0) clicked = c;
        };
        rig.h.run(2);
    }
};

TEST(ProgressRings, RingsAndLegendRowsHoverAndClickTheirItem)
{
    rings_scene s(600, true);
    const qel_progress_payload* p = s.payload();
    EXPECT_EQ(p->size, 150);
    EXPECT_EQ(p->thickness, 15);
    EXPECT_FLOAT_EQ(qel_progress_ring_radius(150, 15, 1), 75 - 7.5f - 18);
    EXPECT_EQ(s.hovered_at(75, 75 - 67.5f), 0) << "the outer ring's centre line, at the top";
    EXPECT_EQ(s.hovered_at(75 + 49.5f, 75), 1);
    EXPECT_STREQ(s.payload()->view.tip.row_values[0], "80%");
    EXPECT_EQ(s.hovered_at(75, 75), -1) << "the empty middle";
    EXPECT_EQ(s.hovered_at(150 + 30, 75 - 39 + 2 * 26 + 5), 2) << "the third legend row";
    EXPECT_EQ(s.hovered_at(150 + 30, 75 - 39 - 3), -1) << "above the legend";
    qel_rect r = s.rig.h.rect(s.id());
    s.rig.h.click(r.x + 75, r.y + 75 - 67.5f);
    s.rig.h.run();
    EXPECT_EQ(s.clicked, 0);
}

TEST(ProgressRings, OnlyEightFittingRingsAreDrawnOrHit)
{
    rings_scene s(600, false);
    s.items.assign(12, {"many", 0.5f, 0});
    s.options.size = 120;
    s.options.thickness = 14;
    s.rig.h.run(2);
    const qel_progress_payload* p = s.payload();
    EXPECT_EQ(p->count, 8);
    EXPECT_FLOAT_EQ(qel_progress_ring_radius(120, 14, 2), 19);
    EXPECT_FLOAT_EQ(qel_progress_ring_radius(120, 14, 3), 2) << "the fourth ring would be too small";
    qel_rect r = s.rig.h.rect(s.id());
    float cx = r.w / 2;
    EXPECT_EQ(s.hovered_at(cx + 19, 60), 2);
    EXPECT_EQ(s.hovered_at(cx + 2, 60), -1) << "an undrawn ring";
    EXPECT_TRUE(all_vertices_finite(s.rig.h.draw_data()));
}

TEST(ProgressRings, ANarrowParentShrinksTheRingsBesideTheLegend)
{
    rings_scene s(200, true);
    EXPECT_EQ(s.payload()->size, 96) << "not below the smallest size";
    rings_scene wide(600, false);
    qel_rect r = wide.rig.h.rect(wide.id());
    EXPECT_EQ(wide.hovered_at(r.w / 2, 75 - 67.5f), 0) << "centred without the legend";
}
