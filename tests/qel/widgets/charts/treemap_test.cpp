// The treemap: the squarified layout's worked first row, its areas in proportion without overlap
// and covering the whole, zero items without tiles, the stable order, and hover and clicks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chart_rig.h"
#include "widgets/charts/chart_parts.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static std::vector<qel_chart_item> items_of(std::vector<float> values)
{
    std::vector<qel_chart_item> out;
    for (float v : values) out.push_back({"item", v, 0});
    return out;
}

TEST(TreemapLayout, TheFirstRowOfTheWorkedExample)
{
    qel_headless h;
    auto items = items_of({6, 6, 4, 3, 2, 2, 1});
    int32_t* order = qel_chart_order_by_value(h.ctx, items.data(), 7);
    qel_rect r = {0, 0, 6, 4};
    qel_rect* t = qel_chart_treemap_layout(h.ctx, &r, items.data(), order, 7, 24);
    EXPECT_EQ(t[0].x, 0);
    EXPECT_EQ(t[0].w, 3);
    EXPECT_EQ(t[0].h, 2);
    EXPECT_EQ(t[1].y, 2);
    EXPECT_EQ(t[1].w, 3);
    EXPECT_EQ(t[2].x, 3) << "the 4 starts the next row";
}

TEST(TreemapLayout, AreasFollowTheValuesWithoutOverlapAndCoverTheWhole)
{
    qel_headless h;
    const std::vector<std::vector<float>> cases = {
        {5}, {1, 1, 1, 1}, {40, 3, 3, 2, 1, 1, 0.5f, 0.25f}, {9, 0, 7, 0, 1e-3f, 3, 3, 3, 2}, {1e9f, 1, 1}};
    for (const auto& values : cases) {
        auto items = items_of(values);
        int32_t n = (int32_t)items.size();
        int32_t* order = qel_chart_order_by_value(h.ctx, items.data(), n);
        double total = 0;
        for (float v : values) total += v;
        qel_rect r = {10, 20, 320, 180};
        qel_rect* t = qel_chart_treemap_layout(h.ctx, &r, items.data(), order, n, (float)total);
        double covered = 0;
        for (int32_t k = 0; k < n; k++) {
            double want = values[order[k]] / total * r.w * r.h;
            EXPECT_NEAR(t[k].w * t[k].h, want, 0.01 * want + 0.05) << k;
            covered += t[k].w * t[k].h;
            EXPECT_GE(t[k].x, r.x - 0.05f);
            EXPECT_LE(t[k].x + t[k].w, r.x + r.w + 0.05f);
            EXPECT_LE(t[k].y + t[k].h, r.y + r.h + 0.05f);
            for (int32_t j = 0; j < k; j++) {
                float ox = std::fmin(t[k].x + t[k].w, t[j].x + t[j].w) - std::fmax(t[k].x, t[j].x);
                float oy = std::fmin(t[k].y + t[k].h, t[j].y + t[j].h) - std::fmax(t[k].y, t[j].y);
                EXPECT_FALSE(ox > 0.01f && oy > 0.01f) << "tiles " << j << " and " << k << " overlap";
            }
        }
        EXPECT_NEAR(covered, r.w * r.h, 0.5);
    }
}

TEST(TreemapOrder, EqualValuesKeepTheirInputOrder)
{
    qel_headless h;
    auto items = items_of({2, 5, 2, 5, 1});
    int32_t* order = qel_chart_order_by_value(h.ctx, items.data(), 5);
    const int32_t want[5] = {1, 3, 0, 2, 4};
    for (int i = 0; i < 5; i++) EXPECT_EQ(order[i], want[i]);
}

TEST(Treemap, HoverNamesTheTileAndAClickReturnsTheCallersIndex)
{
    widget_rig rig(400, 340);
    std::vector<qel_chart_item> items = {{"Sencha", 0, 0}, {"Assam", 30, 0}, {"Darjeeling", 10, 0}};
    int32_t clicked = -1;
    rig.h.ui = [&](qel_context* ctx) {
        qel_treemap_options o = {};
        o.height = 200;
        int32_t c = qel_treemap(ctx, "map", items.data(), 3, &o);
        if (c >= 0) clicked = c;
    };
    rig.h.run(2);
    uint32_t id = qel_id(rig.h.ctx, "map");
    qel_rect r = rig.h.rect(id);
    auto payload = [&] { return (const qel_treemap_payload*)node_with_id(rig.h.ctx, id)->draw_user; };
    rig.h.click(r.x + 10, r.y + 10);
    EXPECT_EQ(clicked, 1) << "the largest at the top left";
    EXPECT_STREQ(payload()->view.tip.title, "Assam");
    EXPECT_STREQ(payload()->view.tip.row_values[1], "75%");
    rig.h.move(r.x + r.w - 5, r.y + r.h - 5);
    rig.h.run();
    EXPECT_EQ(payload()->view.hovered, 2) << "the zero item has no tile";
    items[1].value = items[2].value = 0;
    rig.h.run(2);
    EXPECT_EQ(payload()->view.hovered, -1);
    EXPECT_EQ(rig.h.draw_data().vertex_count, 0u) << "all zero draws nothing";
}

TEST(ChartEntry, IntroGrowsOnceAndTheTooltipFadesOutOnTheLastItem)
{
    widget_rig rig(400, 340, QEL_THEME_LIGHT, false);
    const qel_chart_item items[2] = {{"Assam", 30, 0}, {"Sencha", 10, 0}};
    bool shown = false;
    rig.h.ui = [&](qel_context* ctx) {
        if (shown) qel_treemap(ctx, "map", items, 2, nullptr);
    };
    rig.h.run(2);  // the core's springs jump on a context's first frame
    shown = true;
    rig.h.run();
    uint32_t id = qel_id(rig.h.ctx, "map");
    auto state = [&] { return (const qel_chart_state*)qel_state_find(rig.h.ctx, id, 0, false); };
    EXPECT_GT(state()->intro, 0);
    EXPECT_LT(state()->intro, 0.5f) << "a new chart grows in";
    rig.h.run(90);
    EXPECT_EQ(state()->intro, 1) << "and stays grown";
    qel_rect r = rig.h.rect(id);
    rig.h.move(r.x + 10, r.y + 10);
    rig.h.run(30);
    EXPECT_EQ(state()->hovered, 0);
    EXPECT_EQ(state()->tip_alpha, 1);
    rig.h.move(r.x + 10, r.y + r.h + 20);  // inside the window, under the chart
    rig.h.run();
    EXPECT_EQ(state()->hovered, -1) << "at once";
    EXPECT_GT(state()->tip_alpha, 0.01f) << "while the tooltip fades";
    auto payload = (const qel_treemap_payload*)node_with_id(rig.h.ctx, id)->draw_user;
    EXPECT_EQ(payload->view.hovered, 0);
    EXPECT_STREQ(payload->view.tip.title, "Assam");
    rig.h.run(20);
    EXPECT_EQ(((const qel_treemap_payload*)node_with_id(rig.h.ctx, id)->draw_user)->view.hovered, -1);
}
