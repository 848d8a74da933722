// The bar list: rows that stand at their places while their bars grow, glide when the order
// changes, slide away beyond the row limit, the hit band of each row, and clicks by the caller's
// index.
#include <gtest/gtest.h>

#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

struct bar_list_scene {
    widget_rig rig;
    std::vector<qel_chart_item> items = {{"Sencha", 10, 0}, {"Assam", 40, 0}, {"Chai", 20, 0}};
    qel_bar_list_options options = {};
    int32_t clicked = -1;
    bool shown = false;
    explicit bar_list_scene(bool motion = false) : rig(400, 300, QEL_THEME_LIGHT, !motion)
    {
        rig.h.ui = [this](qel_context* ctx) {
            if (!shown) return;
            int32_t c = qel_bar_list(ctx, "ranks", items.data(), (int32_t)items.size(), &options);
            if (c >= 0) clicked = c;
        };
        rig.h.run(2);  // the core's springs jump on a context's first frame
        shown = true;
        rig.h.run();
    }
    uint32_t id() { return qel_id(rig.h.ctx, "ranks"); }
    const qel_bar_list_payload* payload()
    {
        return (const qel_bar_list_payload*)node_with_id(rig.h.ctx, id())->draw_user;
    }
    const qel_bar_list_row* row(const char* label)
    {
        for (int32_t i = 0; i < payload()->count; i++)
            if (std::string(payload()->rows[i].label) == label) return &payload()->rows[i];
        return nullptr;
    }
};

TEST(BarList, BarsGrowWhileRowsStandAtTheirPlacesThenGlideOnReorder)
{
    bar_list_scene s(true);
    EXPECT_EQ(s.row("Assam")->y, 0);
    EXPECT_EQ(s.row("Chai")->y, 40);
    EXPECT_GT(s.row("Assam")->fraction, 0);
    EXPECT_LT(s.row("Assam")->fraction, 0.9f) << "growing";
    s.rig.h.run(120);
    EXPECT_NEAR(s.row("Assam")->fraction, 1, 0.01f);
    EXPECT_NEAR(s.row("Sencha")->fraction, 0.25f, 0.01f);
    s.items[0].value = 80;  // Sencha to the top
    s.rig.h.run(3);
    EXPECT_GT(s.row("Sencha")->y, 0);
    EXPECT_LT(s.row("Sencha")->y, 80) << "gliding up";
    s.rig.h.run(120);
    EXPECT_NEAR(s.row("Sencha")->y, 0, 0.01f);
    EXPECT_NEAR(s.row("Assam")->y, 40, 0.01f);
}

TEST(BarList, RowsBeyondTheLimitSlideDownAndGo)
{
    bar_list_scene s(true);
    s.items.push_back({"Rooibos", 5, 0});
    s.items.push_back({"Mate", 3, 0});
    s.rig.h.run(120);
    s.options.max_rows = 3;
    s.rig.h.run();
    EXPECT_EQ(s.rig.h.rect(s.id()).h, 114);
    ASSERT_NE(s.row("Mate"), nullptr) << "still sliding";
    s.rig.h.run(120);
    EXPECT_EQ(s.row("Mate"), nullptr);
    EXPECT_EQ(s.payload()->count, 3);
}

TEST(BarList, EachRowsBandReachesHalfTheGapAndAClickGivesTheCallersIndex)
{
    bar_list_scene s;
    s.rig.h.run();
    qel_rect r = s.rig.h.rect(s.id());
    s.rig.h.click(r.x + 50, r.y + 36.5f);
    EXPECT_EQ(s.clicked, 1) << "row 0 is Assam";
    s.rig.h.click(r.x + 50, r.y + 37.5f);
    EXPECT_EQ(s.clicked, 2) << "row 1 is Chai";
    s.options.keep_order = 1;
    s.rig.h.run();
    s.rig.h.click(r.x + 50, r.y + 5);
    EXPECT_EQ(s.clicked, 0);
}

TEST(BarList, ZeroValuesShowTheShortestBar)
{
    bar_list_scene s;
    s.items = {{"a", 0, 0}, {"b", -2, 0}};
    s.rig.h.run(2);
    qel_color c = qel_color_alpha(qel_chart_series_color(s.rig.h.ctx, 0), 0.16f);
    auto bars = boxes_filled(s.rig.h.draw_data(), c);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].w, 4);
    EXPECT_EQ(bars[1].w, 4);
}
