// The Sankey diagram: links validated, columns with a cycle stopped, the scale and stacking, sink
// ranks, hover of nodes and ribbons with their tooltips, and a stored hover re-checked as the
// links change.
#include <gtest/gtest.h>

#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static const char* const NAMES[5] = {"Shop", "Web", "Tea", "Cups", "Idle"};

TEST(SankeyLayout, ColumnsScaleAndRibbonEnds)
{
    qel_headless h;
    const qel_sankey_link links[7] = {{0, 2, 30}, {1, 2, 10}, {0, 3, 10}, {2, 2, 5}, {0, 9, 5}, {1, 3, 0}, {1, 3, 20}};
    qel_rect r = {0, 0, 400, 200};
    qel_sankey_layout l;
    qel_chart_sankey_layout(h.ctx, &r, NAMES, 5, links, 7, 12, nullptr, &l);
    ASSERT_EQ(l.link_count, 4) << "self links, out-of-range ends and empty values are dropped";
    EXPECT_EQ(l.column[0], 0);
    EXPECT_EQ(l.column[2], 1);
    EXPECT_EQ(l.column[4], 0) << "a node without links stays in the first column";
    EXPECT_EQ(l.last_column, 1);
    EXPECT_EQ(l.sink_rank[2], 0) << "Tea takes in most";
    EXPECT_EQ(l.sink_rank[3], 1);
    EXPECT_EQ(l.sink_rank[0], -1);
    // Column 0 holds Shop 40, Web 30 and Idle: (200 - 2 x 14) / 70; column 1 holds 40 + 30 in 186.
    EXPECT_FLOAT_EQ(l.scale, 172.0f / 70);
    EXPECT_FLOAT_EQ(l.nodes[0].y, 0);
    EXPECT_FLOAT_EQ(l.nodes[1].y, 40 * l.scale + 14);
    EXPECT_FLOAT_EQ(l.nodes[4].h, 2);
    EXPECT_FLOAT_EQ(l.source_y[0], l.nodes[0].y) << "Shop's ribbon to Tea leaves above the one to Cups";
    EXPECT_FLOAT_EQ(l.source_y[2], l.nodes[0].y + 30 * l.scale);
    EXPECT_FLOAT_EQ(l.target_y[1], l.nodes[2].y + 30 * l.scale) << "Web arrives at Tea under Shop";
}

TEST(SankeyLayout, ACycleStopsAtTheLastColumn)
{
    qel_headless h;
    const qel_sankey_link links[2] = {{0, 1, 5}, {1, 0, 5}};
    qel_rect r = {0, 0, 300, 100};
    qel_sankey_layout l;
    qel_chart_sankey_layout(h.ctx, &r, nullptr, 2, links, 2, 12, nullptr, &l);
    EXPECT_EQ(l.last_column, 1);
    EXPECT_EQ(l.column[1], 1);
    EXPECT_EQ(l.column[0], 0);
    EXPECT_EQ(l.sink_rank[0], -1);
    qel_chart_sankey_layout(h.ctx, &r, nullptr, 0, nullptr, 3, 12, nullptr, &l);
    EXPECT_EQ(l.link_count, 0);
    EXPECT_EQ(l.scale, 0);
}

struct sankey_scene : chart_scene<qel_sankey_payload> {
    std::vector<qel_sankey_link> links = {{0, 2, 30}, {1, 2, 10}, {0, 3, 10}, {1, 3, 20}};
    int32_t clicked = -1;
    sankey_scene() : chart_scene(600, 400, "flow")
    {
        rig.h.ui = [this](qel_context* ctx) {
            int32_t c = qel_sankey_chart(ctx, "flow", NAMES, 5, links.data(), (int32_t)links.size(), nullptr);
            if (c >= 0) clicked = c;
        };
        rig.h.run(60);
    }
    qel_sankey_layout layout()
    {
        qel_rect r = rig.h.rect(id());
        qel_sankey_layout l;
        qel_chart_sankey_layout(rig.h.ctx, &r, NAMES, 5, links.data(), (int32_t)links.size(), 12, nullptr, &l);
        return l;
    }
};

TEST(Sankey, NodesAndRibbonsHoverWithTheirTooltips)
{
    sankey_scene s;
    qel_rect r = s.rig.h.rect(s.id());
    EXPECT_EQ(r.h, 300);
    qel_sankey_layout l = s.layout();
    qel_rect tea = l.nodes[2];
    EXPECT_EQ(s.hovered_at(tea.x - r.x + 4, tea.y - r.y + 5), 2);
    const qel_chart_tip& tip = s.payload()->view.tip;
    EXPECT_STREQ(tip.title, "Tea");
    ASSERT_EQ(tip.row_count, 1) << "a sink has no outflow row";
    EXPECT_STREQ(tip.row_values[0], "40");
    float x0 = l.nodes[0].x + 12, mid = (x0 + tea.x) / 2;
    float top = l.source_y[0] + (l.target_y[0] - l.source_y[0]) * 0.5f;
    EXPECT_EQ(s.hovered_at(mid - r.x, top - r.y + 3), 5 + 0) << "the first ribbon, after the nodes";
    EXPECT_STREQ(s.payload()->view.tip.row_values[1], "75%") << "of Shop's 40";
    s.rig.h.click(mid, top + 3);
    s.rig.h.run();
    EXPECT_EQ(s.clicked, -1) << "a ribbon click names no node";
    s.rig.h.click(tea.x + 4, tea.y + 5);
    s.rig.h.run();
    EXPECT_EQ(s.clicked, 2);
}

TEST(Sankey, AStoredRibbonHoverIsDroppedWhenItsLinkGoes)
{
    sankey_scene s;
    qel_rect r = s.rig.h.rect(s.id());
    qel_sankey_layout l = s.layout();
    float x0 = l.nodes[1].x + 12, x1 = l.nodes[3].x, mid = (x0 + x1) / 2;
    float top = l.source_y[3] + (l.target_y[3] - l.source_y[3]) * 0.5f;
    EXPECT_EQ(s.hovered_at(mid - r.x, top - r.y + 3), 5 + 3);
    s.links.resize(2);
    s.rig.h.move(r.x + 1, r.y + r.h - 1);
    s.rig.h.run();
    EXPECT_EQ(s.payload()->view.hovered, -1) << "the fading tooltip must not name a ribbon that is gone";
    qel_rect idle = s.layout().nodes[4];
    EXPECT_EQ(s.hovered_at(idle.x - r.x + 2, idle.y - r.y + 1), -1) << "a node without flow is not drawn nor hit";
    EXPECT_TRUE(all_vertices_finite(s.rig.h.draw_data()));
}
