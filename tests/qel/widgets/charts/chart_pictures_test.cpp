// The charts as a person sees them, in light and dark, compared with committed pictures drawn by
// the software renderer: a smooth line chart with an area under the pointer beside stacked bars;
// stat tiles over gauge rings and a hovered donut; a treemap, waffle, segmented bar and bar list;
// a heatmap over a calendar heatmap; progress rings with a legend beside small ones;
// a funnel with its third stage hovered; a radar chart beside a pair of series;
// gauges with a needle over zones, a value arc and a small dial; a bubble
// chart of dots and bubbles with a point hovered;
// a Sankey diagram with a ribbon hovered; candlesticks with volume, an average line and a hovered
// candle over OHLC bars.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const char* const MONTHS[6] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun"};
static const float TEA_WEEK[6] = {12, 30, 18, 44, 25, 38};
static const float COFFEE_WEEK[6] = {8, 14, 22, 16, 30, 21};
static const float COCOA[6] = {4, 6, 5, 9, 7, 12};

static void series_board(qel_context* ctx)
{
    board_begin(ctx);
    wide_row_begin(ctx, 16);
    const qel_line_series lines[2] = {{"Tea", TEA_WEEK, 6, 0}, {"Coffee", COFFEE_WEEK, 6, 0}};
    qel_series_chart_options o = {};
    o.x_labels = MONTHS;
    o.smooth = 1;
    o.area = 1;
    o.height = 200;
    qel_line_chart(ctx, "lines", lines, 2, &o);
    const qel_line_series bars[3] = {{"Tea", TEA_WEEK, 6, 0}, {"Coffee", COFFEE_WEEK, 6, 0}, {"Cocoa", COCOA, 6, 0}};
    qel_series_chart_options b = {};
    b.x_labels = MONTHS;
    b.stacked = 1;
    b.height = 200;
    b.format = "$%.0f";
    qel_bar_chart(ctx, "bars", bars, 3, &b);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void tile_board(qel_context* ctx)
{
    board_begin(ctx);
    wide_row_begin(ctx, 12);
    qel_stat_tile_options up = {};
    up.delta = 12.5f;
    up.trend_values = TEA_WEEK;
    up.trend_count = 6;
    up.icon = QEL_ICON_ARROW_LEFT;
    qel_stat_tile(ctx, "Labels printed", "1,284", &up);
    qel_stat_tile_options down = {};
    down.delta = 3.1f;
    down.lower_is_better = 1;
    down.trend_values = COFFEE_WEEK;
    down.trend_count = 6;
    qel_stat_tile(ctx, "Misprints", "17", &down);
    qel_container_end(ctx);
    wide_row_begin(ctx, 12);
    qel_gauge_ring(ctx, "Ribbon", 0.42f, 100);
    qel_gauge_ring(ctx, "Labels", 0.82f, 100);
    qel_gauge_ring(ctx, nullptr, 0.95f, 100);
    static const char* const teas[4] = {"Green", "Black", "Oolong", "White"};
    static const float shares[4] = {42, 30, 18, 10};
    qel_series_chart_options o = {};
    o.height = 150;
    qel_donut_chart(ctx, "teas", shares, teas, 4, &o);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static const qel_chart_item TEA_WEEKS[6] = {{"Assam", 42, 0},  {"Sencha", 30, 0},     {"Darjeeling", 18, 0},
                                        {"Oolong", 12, 0}, {"Rooibos", 7, 0}, {"Mate", 4, 0}};

static void share_board(qel_context* ctx)
{
    board_begin(ctx);
    wide_row_begin(ctx, 20);
    qel_treemap_options map = {};
    map.height = 200;
    map.width = {QEL_SIZE_FIXED, 300};
    qel_treemap(ctx, "map", TEA_WEEKS, 6, &map);
    qel_waffle_options waffle = {};
    waffle.cell_size = 14;
    qel_waffle_chart(ctx, "waffle", TEA_WEEKS, 4, &waffle);
    qel_container_end(ctx);
    qel_segmented_bar(ctx, "segments", TEA_WEEKS, 5, nullptr);
    qel_bar_list_options list = {};
    list.max_rows = 3;
    qel_bar_list(ctx, "list", TEA_WEEKS, 6, &list);
    qel_container_end(ctx);
}

static void grid_board(qel_context* ctx)
{
    static const char* const days[5] = {"Mon", "Tue", "Wed", "Thu", "Fri"};
    static const char* const hours[12] = {"8", "9", "10", "11", "12", "13", "14", "15", "16", "17", "18", "19"};
    static float values[60];
    for (int i = 0; i < 60; i++) values[i] = (float)((i * 37) % 23) + (float)(i % 12 == 4 ? 20 : 0);
    board_begin(ctx);
    qel_heatmap_options o = {};
    o.row_labels = days;
    o.column_labels = hours;
    o.format = "%.0f";
    qel_heatmap(ctx, "busy", values, 5, 12, &o);
    static float per_day[200];
    for (int i = 0; i < 200; i++) per_day[i] = (float)((i * 13) % 7 < 2 ? 0 : (i * 29) % 11);
    const qel_date start = {2026, 3, 5};
    qel_calendar_heatmap_options c = {};
    c.value_label = "labels";
    qel_calendar_heatmap(ctx, "days", &start, per_day, 200, &c);
    qel_container_end(ctx);
}

static void rings_board(qel_context* ctx)
{
    board_begin(ctx);
    wide_row_begin(ctx, 24);
    static const qel_chart_item goals[3] = {{"Ribbon", 0.42f, 0}, {"Labels", 0.8f, 0}, {"Stock", 1.25f, 0}};
    qel_progress_list_options o = {};
    o.show_legend = 1;
    o.center_text = "3";
    o.center_caption = "goals";
    qel_progress_list(ctx, "rings", goals, 3, &o);
    qel_progress_list_options small = {};
    small.size = 90;
    qel_progress_list(ctx, "small", goals, 2, &small);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void funnel_board(qel_context* ctx)
{
    board_begin(ctx);
    static const qel_chart_item stages[5] = {{"Visitors", 5200, 0}, {"Product views", 3100, 0}, {"Added to cart", 940, 0},
                                             {"Checkout", 410, 0},  {"Orders", 38, 0}};
    qel_funnel_chart(ctx, "funnel", stages, 5, nullptr);
    qel_container_end(ctx);
}

static void radar_board(qel_context* ctx)
{
    board_begin(ctx);
    wide_row_begin(ctx, 16);
    static const char* const axes[5] = {"Price", "Taste", "Aroma", "Stock", "Margin"};
    static const float green[5] = {62, 80, 55, 90, 40}, black[5] = {85, 60, 70, 45, 65};
    const qel_radar_series one[1] = {{"Green", green, 5, 0}};
    qel_radar_chart(ctx, "single", one, 1, axes, 5, nullptr);
    const qel_radar_series two[2] = {{"Green", green, 5, 0}, {"Black", black, 5, 0}};
    qel_radar_options o = {};
    o.size = 200;
    qel_radar_chart(ctx, "pair", two, 2, axes, 5, &o);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void gauge_board(qel_context* ctx)
{
    board_begin(ctx);
    wide_row_begin(ctx, 16);
    static const qel_gauge_zone zones[3] = {{60, 2}, {85, 3}, {100, 4}};
    qel_gauge_options needle = {};
    needle.zones = zones;
    needle.zone_count = 3;
    needle.unit = "%";
    needle.caption = "Ribbon used";
    needle.target = 80;
    needle.show_target = 1;
    qel_gauge(ctx, "needle", 72, 0, 100, &needle);
    qel_gauge_options arc = {};
    arc.arc_style = 1;
    arc.sweep = 300;
    arc.caption = "Labels per minute";
    qel_gauge(ctx, "arc", 38, 0, 60, &arc);
    qel_gauge_options small = {};
    small.size = 110;
    qel_gauge(ctx, "small", 3, 0, 10, &small);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void bubble_board(qel_context* ctx)
{
    board_begin(ctx);
    static const float shop[10] = {2, 14, 4.5f, 22, 6, 18, 8, 30, 9.5f, 26};
    static const float web[8] = {3, 8, 5, 12, 7, 20, 9, 16}, web_sizes[4] = {40, 120, 300, 80};
    const qel_xy_series series[2] = {{"Shop", shop, nullptr, 5, 0}, {"Web", web, web_sizes, 4, 0}};
    qel_bubble_options o = {};
    o.x_title = "Price";
    o.y_title = "Sold per week";
    o.height = 260;
    qel_bubble_chart(ctx, "bubbles", series, 2, &o);
    qel_container_end(ctx);
}

static void sankey_board(qel_context* ctx)
{
    board_begin(ctx);
    static const char* const names[7] = {"Shop", "Web", "Market", "Tea", "Cups", "Gifts", "Returns"};
    static const qel_sankey_link links[8] = {{0, 3, 420}, {1, 3, 260}, {2, 3, 90}, {0, 4, 120},
                                             {1, 5, 150}, {2, 5, 40},  {3, 6, 35}, {1, 4, 60}};
    qel_sankey_options o = {};
    o.height = 260;
    qel_sankey_chart(ctx, "flow", names, 7, links, 8, &o);
    qel_container_end(ctx);
}

// Forty days of a price that drifts up, with its five-day average from the fifth day on.
struct price_days {
    qel_candle candles[40];
    float average[40];
    char names[40][8];
    const char* labels[40];
    price_days()
    {
        float price = 20;
        for (int32_t i = 0; i < 40; i++) {
            float move = (float)((i * 7) % 11) / 5.0f - 0.9f, close = price + move;
            candles[i] = {price, std::fmax(price, close) + 0.4f, std::fmin(price, close) - 0.3f, close,
                          (float)(800 + (i * 37) % 500)};
            snprintf(names[i], sizeof names[i], "Mar %d", i % 31 + 1);
            labels[i] = names[i];
            price = close;
        }
        for (int32_t i = 0; i < 40; i++) {
            float sum = 0;
            for (int32_t k = i - 4; k <= i && i >= 4; k++) sum += candles[k].close;
            average[i] = i >= 4 ? sum / 5 : NAN;
        }
    }
};

static void candle_board(qel_context* ctx)
{
    static const price_days days;
    board_begin(ctx);
    const qel_line_series average = {"Average", days.average, 40, 0};
    qel_candlestick_options o = {};
    o.height = 250;
    o.labels = days.labels;
    o.overlays = &average;
    o.overlay_count = 1;
    qel_candlestick_chart(ctx, "candles", days.candles, 40, &o);
    qel_candlestick_options bars = {};
    bars.height = 150;
    bars.ohlc_bars = 1;
    bars.hide_volume = 1;
    bars.price_format = "$%.1f";
    qel_candlestick_chart(ctx, "bars", days.candles + 20, 20, &bars);
    qel_container_end(ctx);
}

class ChartPictures : public themed_pictures {
protected:
    ChartPictures() : themed_pictures("qel/charts_") {}
    // The board with its intros settled and the pointer at (x, y) from the top left of the chart
    // under label (of the window without one), against the scene's picture.
    ::testing::AssertionResult settled_board(void (*board)(qel_context*), float w, float h, const char* scene,
                                             const char* label, float x, float y) const
    {
        widget_rig rig(w, h, GetParam());
        rig.h.ui = board;
        rig.h.run(60);
        qel_rect r = label ? rig.h.rect(qel_id(rig.h.ctx, label)) : qel_rect{};
        rig.h.move(r.x + x, r.y + y);
        rig.h.run(2);
        return shows(rig, scene);
    }
};

TEST_P(ChartPictures, LineAndBarCharts)
{
    widget_rig rig(640, 270, GetParam());
    rig.h.ui = series_board;
    rig.h.run(2);
    qel_rect plot = rig.h.rect(qel_id(rig.h.ctx, "lines") ^ PART_CHART_PLOT);
    rig.h.move(plot.x + plot.w * 0.55f, plot.y + plot.h / 2);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "series"));
}

TEST_P(ChartPictures, StatTilesGaugeRingsAndDonut)
{
    widget_rig rig(760, 380, GetParam());
    rig.h.ui = tile_board;
    rig.h.run(2);
    qel_vec2 c = rig.centre(qel_id(rig.h.ctx, "teas") ^ PART_DONUT_RING);
    rig.h.move(c.x + 40, c.y - 40);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "tiles"));
}

TEST_P(ChartPictures, TreemapWaffleSegmentedBarAndBarList)
{
    widget_rig rig(640, 520, GetParam());
    rig.h.ui = share_board;
    rig.h.run(2);
    qel_rect map = rig.h.rect(qel_id(rig.h.ctx, "map"));
    rig.h.move(map.x + 40, map.y + 120);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "shares"));
}

TEST_P(ChartPictures, HeatmapAndCalendarHeatmap)
{
    widget_rig rig(640, 520, GetParam());
    rig.h.ui = grid_board;
    rig.h.run(2);
    qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "busy"));
    rig.h.move(r.x + r.w * 0.4f, r.y + 60);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "grids"));
}

TEST_P(ChartPictures, ProgressRings)
{
    EXPECT_TRUE(settled_board(rings_board, 520, 190, "rings", "rings", 75 + 49.5f, 75));
}

TEST_P(ChartPictures, Funnel)
{
    EXPECT_TRUE(settled_board(funnel_board, 560, 300, "funnel", "funnel", 266, 2 * 54 + 20));
}

TEST_P(ChartPictures, RadarCharts)
{
    EXPECT_TRUE(settled_board(radar_board, 840, 360, "radar", "pair", 265, 26 + 100 - 20));
}

TEST_P(ChartPictures, Gauges)
{
    EXPECT_TRUE(settled_board(gauge_board, 600, 230, "gauges", nullptr, -10, -10));
}

TEST_P(ChartPictures, BubbleChart)
{
    EXPECT_TRUE(settled_board(bubble_board, 560, 300, "bubbles", nullptr, 392, 150));  // by the largest bubble
}

TEST_P(ChartPictures, SankeyDiagram)
{
    EXPECT_TRUE(settled_board(sankey_board, 640, 300, "sankey", nullptr, 200, 80));
}

TEST_P(ChartPictures, Candlesticks)
{
    EXPECT_TRUE(settled_board(candle_board, 640, 460, "candles", "candles", 300, 120));
}

INSTANTIATE_TEST_SUITE_P(Themes, ChartPictures, theme_modes(), theme_name);
