// The heatmap: its grid layout with tightening, the cell under the pointer (gaps included) and its
// tooltip, clicks, flat and explicit colour ranges, and grids that are empty or too large to index.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(HeatmapLayout, CellsFitTheWidthAndTightenWhenTheyCannot)
{
    qel_headless h;
    qel_heatmap_options o = {};
    for (const qel_heatmap_options* given : {(const qel_heatmap_options*)&o, (const qel_heatmap_options*)nullptr}) {
        qel_heatmap_layout l = qel_chart_heatmap_layout(h.ctx, 0, 0, 0, 3, 4, given);
        EXPECT_EQ(l.label_width, 0);
        EXPECT_EQ(l.cell, 56) << "480 unknown width, at most 56";
        EXPECT_EQ(l.gap, 3);
        EXPECT_EQ(l.grid_height, 3 * 59 - 3);
    }
    qel_heatmap_layout l = {};
    static const char* const rows[2] = {"Mon", nullptr};
    o.row_labels = rows;
    l = qel_chart_heatmap_layout(h.ctx, 10, 20, 300, 2, 30, &o);
    EXPECT_EQ(l.gap, 2);
    EXPECT_LE(l.cell, 12);
    EXPECT_GE(l.cell, 6);
    EXPECT_GT(l.label_width, 12);
    EXPECT_EQ(l.grid_left, 10 + l.label_width);
    o.cell_size = 20;
    l = qel_chart_heatmap_layout(h.ctx, 0, 0, 100, 0, 30, &o);
    EXPECT_EQ(l.cell, 20);
    EXPECT_EQ(l.gap, 3);
    EXPECT_EQ(l.label_width, 0) << "no rows, no labels";
    EXPECT_EQ(l.grid_height, 0) << "never negative";
}

struct heatmap_scene {
    widget_rig rig{500, 300};
    std::vector<float> values;
    int32_t rows = 3, columns = 4;
    qel_heatmap_options options = {};
    int32_t clicked = -1;
    heatmap_scene()
    {
        for (int i = 0; i < 12; i++) values.push_back((float)i);
        rig.h.ui = [this](qel_context* ctx) {
            int32_t c = qel_heatmap(ctx, "grid", values.data(), rows, columns, &options);
            if (c >= 0) clicked = c;
        };
        rig.h.run(2);
    }
    const qel_heatmap_payload* payload()
    {
        return (const qel_heatmap_payload*)node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "grid"))->draw_user;
    }
    qel_heatmap_layout layout()
    {
        qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "grid"));
        return qel_chart_heatmap_layout(rig.h.ctx, r.x, r.y, r.w, rows, columns, &options);
    }
};

TEST(Heatmap, ThePointerHoversTheCellAndItsGapAndAClickReturnsIt)
{
    heatmap_scene s;
    static const char* const row_names[3] = {"Mon", nullptr, "Wed"};
    s.options.row_labels = row_names;
    s.rig.h.run(2);
    qel_heatmap_layout l = s.layout();
    float pitch = l.cell + l.gap;
    s.rig.h.move(l.grid_left + 2 * pitch + l.cell + 1, l.grid_top + pitch + 2);  // the gap right of (1, 2)
    s.rig.h.run();
    EXPECT_EQ(s.payload()->view.hovered, 6);
    EXPECT_STREQ(s.payload()->view.tip.title, "Row 2 \xC2\xB7 3");
    EXPECT_STREQ(s.payload()->view.tip.row_labels[0], "Value");
    EXPECT_STREQ(s.payload()->view.tip.row_values[0], "6");
    EXPECT_EQ(qel_requested_cursor(s.rig.h.ctx), QEL_CURSOR_HAND);
    s.rig.h.button(0, true);
    s.rig.h.run();
    s.rig.h.button(0, false);
    s.rig.h.run();
    EXPECT_EQ(s.clicked, 6);
    s.rig.h.move(l.grid_left - 3, l.grid_top + 2);  // the row labels
    s.rig.h.run(2);
    EXPECT_EQ(s.payload()->view.hovered, -1);
}

TEST(Heatmap, FlatAndExplicitRangesColourTheRampsEnds)
{
    heatmap_scene s;
    s.values.assign(12, 7);
    s.rig.h.run();
    EXPECT_EQ(s.payload()->min, 7);
    EXPECT_EQ(s.payload()->max, 8);
    qel_color low = qel_chart_color_ramp(s.rig.h.ctx, s.payload()->base, 0);
    qel_color high = qel_chart_color_ramp(s.rig.h.ctx, s.payload()->base, 1);
    EXPECT_EQ(boxes_filled(s.rig.h.draw_data(), low).size(), 12u);
    for (int i = 0; i < 12; i++) s.values[i] = (float)i;
    s.options.min = 3;
    s.options.max = 6;
    s.rig.h.run();
    EXPECT_EQ(boxes_filled(s.rig.h.draw_data(), low).size(), 4u) << "0..3";
    EXPECT_EQ(boxes_filled(s.rig.h.draw_data(), high).size(), 6u) << "6..11";
}

// The legend's overlapping steps hide their seams only on the pixel grid: no pixel of the strip
// stands out from both of its neighbours in its row, wherever the grid ends.
TEST(Heatmap, TheLegendStripShowsNoSeams)
{
    for (float cell = 20; cell < 21; cell += 0.125f) {
        heatmap_scene s;
        s.rows = 1, s.columns = 12;
        s.options.cell_size = cell;
        s.rig.h.run(2);
        std::vector<drawn_box> steps;
        for (const drawn_box& b : drawn_boxes(s.rig.h.draw_data()))
            if (std::fabs(b.w - 5.5f) < 0.01f && std::fabs(b.h - 8) < 0.01f) steps.push_back(b);
        ASSERT_EQ(steps.size(), 24u) << cell;
        picture p = s.rig.shot();
        int32_t seams = 0;
        for (int32_t y = (int32_t)steps[0].y - 1; y <= (int32_t)steps[0].y + 9; y++)
            for (int32_t x = (int32_t)steps[0].x + 2; x < (int32_t)(steps[23].x + 3); x++) {
                const uint8_t* px = &p.rgba[((size_t)y * (size_t)p.width + (size_t)x) * 4];
                bool stands_out = false;
                for (int c = 0; c < 3; c++) {
                    int left = px[c - 4], mid = px[c], right = px[c + 4];
                    stands_out |= (mid > left + 1 && mid > right + 1) || (mid < left - 1 && mid < right - 1);
                }
                seams += stands_out;
            }
        EXPECT_EQ(seams, 0) << "cells of " << cell << " px, the strip from x " << steps[0].x;
    }
}

TEST(Heatmap, EmptyAndUnindexableGridsDrawNoCells)
{
    heatmap_scene s;
    for (auto dims : {std::pair<int32_t, int32_t>{0, 4}, {3, -2}, {70000, 70000}}) {
        s.rows = dims.first, s.columns = dims.second;
        s.rig.h.run();
        qel_rect r = s.rig.h.rect(qel_id(s.rig.h.ctx, "grid"));
        s.rig.h.move(r.x + 20, r.y + 5);
        s.rig.h.run();
        EXPECT_EQ(s.payload()->rows * s.payload()->columns, 0);
        EXPECT_EQ(s.payload()->view.hovered, -1);
        EXPECT_EQ(s.payload()->min, 0);
        EXPECT_EQ(s.payload()->max, 1) << "the legend still shows 0..1";
    }
}
