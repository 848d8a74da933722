// The candlestick chart as a trader drives it: the first look, wheel zoom about the pointer and its
// bounds, panning by wheel and drag, following the newest candle, keys with the selection and
// keyboard mode, data shrinking under a zoomed view, the price range with its padding, merged bars
// of a long series, and the tooltip's rows.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "chart_rig.h"
#include "qel/qel.h"
#include "qel/state.h"
#include "support/widget_rig.h"

// A random walk of count candles with whole volumes, the same on every run.
static std::vector<qel_candle> walk(int32_t count, float volume = 1000)
{
    std::vector<qel_candle> out;
    uint32_t seed = 12345;
    float price = 100;
    for (int32_t i = 0; i < count; i++) {
        seed = seed * 1664525u + 1013904223u;
        float move = (float)((seed >> 8) % 200) / 100.0f - 1.0f;
        float open = price, close = price + move;
        out.push_back({open, std::fmax(open, close) + 0.5f, std::fmin(open, close) - 0.5f, close, volume});
        price = close;
    }
    return out;
}

struct candle_scene : chart_scene<qel_candlestick_payload> {
    std::vector<qel_candle> candles;
    qel_candlestick_options options = {};
    int32_t returned = -1;
    explicit candle_scene(int32_t count) : chart_scene(800, 400, "prices"), candles(walk(count))
    {
        rig.h.ui = [this](qel_context* ctx) {
            returned = qel_candlestick_chart(ctx, "prices", candles.data(), (int32_t)candles.size(), &options);
        };
        rig.h.run(3);
    }
    qel_candlestick_view* view()
    {
        return (qel_candlestick_view*)qel_state_find(rig.h.ctx, id() ^ QEL_CANDLESTICK_VIEW_KEY,
                                                     sizeof(qel_candlestick_view), false);
    }
    // The full plot area on this frame's rectangle.
    qel_rect area()
    {
        qel_rect r = rig.h.rect(id());
        return qel_chart_plot_rect(&r, payload()->axis_width, payload()->visible, payload()->volume_on).full;
    }
    // Puts the pointer at share of the plot's width, halfway down, so the wheel reaches the chart.
    void point_at(float share)
    {
        qel_rect a = area();
        rig.h.move(a.x + share * a.w, a.y + a.h / 2);
        rig.h.run(3);
    }
    void wheel(float dx, float dy, uint32_t modifiers = 0)
    {
        if (modifiers) rig.h.key(QEL_KEY_NONE, true, modifiers);
        rig.h.wheel(dx, dy);
        rig.h.run();
        if (modifiers) rig.h.key(QEL_KEY_NONE, false, 0);
        rig.h.run();
    }
    void focus()
    {
        qel_rect a = area();
        rig.h.click(a.x + a.w / 2, a.y + a.h / 2);
    }
    void tap(int32_t key, uint32_t modifiers = 0)
    {
        rig.h.tap(key, modifiers);
        rig.h.run();
    }
    const qel_chart_tip& tip() { return payload()->view.tip; }
};

TEST(CandlestickView, FirstLookShowsNinePixelsPerCandleUpToTheNewest)
{
    candle_scene s(1000);
    qel_candlestick_view* v = s.view();
    ASSERT_NE(v, nullptr);
    qel_rect r = s.rig.h.rect(s.id());
    EXPECT_NEAR(v->visible, (r.w - s.payload()->axis_width) / 9.0, 1e-3);
    EXPECT_DOUBLE_EQ(v->start, 1000 - v->visible);
    EXPECT_EQ(v->selected, 999);
    EXPECT_TRUE(v->follow);
    EXPECT_EQ(r.h, 320);
    std::set<int> widths;
    qel_rect a = s.area();
    for (const drawn_box& b : boxes_filled(s.rig.h.draw_data(), qel_theme_color(s.rig.h.ctx, QEL_COLOR_SUCCESS)))
        if (b.x < a.x + a.w) widths.insert((int)std::lround(b.w));  // not the last price's pill
    double cw = a.w / v->visible;
    EXPECT_EQ(widths, (std::set<int>{1, (int)std::floor(cw * 0.68)})) << "wicks, and bodies of two thirds a slot";
    candle_scene few(3);
    EXPECT_DOUBLE_EQ(few.view()->visible, 3) << "never more candles than there are";
    EXPECT_DOUBLE_EQ(few.view()->start, 0);
}

TEST(CandlestickView, WheelZoomStopsAtItsBounds)
{
    const struct {
        int32_t count;
        double widest, narrowest;
    } cases[] = {{1000, 1100, 8}, {3, 8, 3}, {0, 8, 1}};
    for (const auto& c : cases) {
        candle_scene s(c.count);
        s.point_at(0.5f);
        s.wheel(0, -60);
        EXPECT_DOUBLE_EQ(s.view()->visible, c.widest) << c.count;
        s.wheel(0, 60);
        EXPECT_DOUBLE_EQ(s.view()->visible, c.narrowest) << c.count;
    }
}

TEST(CandlestickView, WheelZoomsAboutThePointerAndPans)
{
    candle_scene s(1000);
    s.point_at(0.25f);
    qel_candlestick_view* v = s.view();
    int32_t under = s.returned;
    double anchor = v->start + 0.25 * v->visible, before = v->visible;
    s.wheel(0, 1);
    EXPECT_NEAR(v->visible, before / 1.18, 1e-9);
    EXPECT_NEAR(v->start + 0.25 * v->visible, anchor, 1e-6) << "the candle under the pointer stays there";
    EXPECT_EQ(s.returned, under);
    EXPECT_FALSE(v->follow) << "zoomed in away from the end";
    for (uint32_t shift : {0u, (uint32_t)QEL_MOD_SHIFT}) {
        double start = v->start;
        if (shift) s.wheel(0, 1, shift);
        else s.wheel(1, 0);
        EXPECT_NEAR(v->start, start - v->visible * 0.06, 1e-9) << shift;
    }
}

TEST(CandlestickView, DragPansAndTheViewFollowsOnlyAtTheEnd)
{
    candle_scene s(1000);
    qel_rect a = s.area();
    qel_candlestick_view* v = s.view();
    double start = v->start, cw = a.w / v->visible;
    float x = a.x + a.w / 2, y = a.y + a.h / 2;
    s.rig.h.move(x, y);
    s.rig.h.run();
    s.rig.h.button(0, true);
    s.rig.h.run();
    s.rig.h.move(x + 90, y);
    s.rig.h.run();
    EXPECT_NEAR(v->start, start - 90 / cw, 1e-6);
    EXPECT_EQ(qel_requested_cursor(s.rig.h.ctx), QEL_CURSOR_MOVE);
    s.rig.h.button(0, false);
    s.rig.h.run();
    EXPECT_FALSE(v->follow);
    double away = v->start;
    s.candles = walk(1010);
    s.rig.h.run();
    EXPECT_DOUBLE_EQ(v->start, away) << "new candles leave a view scrolled back alone";
    s.rig.h.button(0, true);
    s.rig.h.run();
    s.rig.h.move(x - 400, y);
    s.rig.h.run();
    s.rig.h.button(0, false);
    s.rig.h.run();
    EXPECT_DOUBLE_EQ(v->start, 1010 - 0.8 * v->visible) << "a fifth of a screen of over-scroll";
    EXPECT_TRUE(v->follow);
    s.candles = walk(1030);
    s.rig.h.run();
    EXPECT_DOUBLE_EQ(v->start, 1030 - v->visible) << "a view at the end keeps the newest in view";
}

TEST(CandlestickView, KeysMoveTheSelectionAndZoom)
{
    candle_scene s(1000);
    s.focus();
    qel_candlestick_view* v = s.view();
    s.tap(QEL_KEY_LEFT);
    EXPECT_EQ(v->selected, 998) << "from the last candle in view";
    EXPECT_EQ(s.returned, 998) << "keyboard mode reports the selection";
    s.tap(QEL_KEY_LEFT, QEL_MOD_SHIFT);
    EXPECT_EQ(v->selected, 988);
    s.tap(QEL_KEY_HOME);
    EXPECT_EQ(v->selected, 0);
    EXPECT_DOUBLE_EQ(v->start, 0) << "scrolled just enough to show it";
    s.tap(QEL_KEY_END);
    EXPECT_EQ(v->selected, 999);
    EXPECT_DOUBLE_EQ(v->start, 1000 - v->visible);
    double visible = v->visible, centre = v->start + visible / 2;
    s.tap(QEL_KEY_EQUAL);
    EXPECT_NEAR(v->visible, visible / 1.4, 1e-9);
    EXPECT_NEAR(v->start + v->visible / 2, centre, 1e-9) << "about the view's centre";
    s.tap(QEL_KEY_MINUS);
    s.tap(QEL_KEY_MINUS);
    EXPECT_NEAR(v->visible, visible * 1.4, 1e-9);
    s.tap(QEL_KEY_0);
    EXPECT_DOUBLE_EQ(v->start, 0);
    EXPECT_DOUBLE_EQ(v->visible, 1000);
    s.tap(QEL_KEY_RIGHT, QEL_MOD_SHIFT);
    EXPECT_EQ(v->selected, 999) << "clamped to the newest";
    s.point_at(0.5f);
    EXPECT_FALSE(v->keyboard);
    EXPECT_EQ(s.returned, 500) << "the pointer's candle again";
}

TEST(CandlestickView, ShrinkingDataKeepsTheViewInBounds)
{
    candle_scene s(1000);
    s.point_at(0.5f);
    s.wheel(0, -60);
    qel_candlestick_view* v = s.view();
    ASSERT_DOUBLE_EQ(v->visible, 1100);
    for (int32_t n : {5, 2}) {
        s.candles = walk(n);
        s.rig.h.run();
        EXPECT_DOUBLE_EQ(v->visible, 8) << n;
        EXPECT_DOUBLE_EQ(v->start, -0.2 * 8) << "short data rests at the lower bound: " << n;
        EXPECT_TRUE(all_vertices_finite(s.rig.h.draw_data()));
    }
    s.candles.clear();
    s.rig.h.run(2);
    EXPECT_EQ(s.returned, -1);
    EXPECT_FLOAT_EQ(s.payload()->y_min, -0.07f);
    EXPECT_FLOAT_EQ(s.payload()->y_max, 1.07f);
    EXPECT_EQ(s.payload()->bar_count, 0);
    EXPECT_FALSE(s.payload()->last_shown) << "no last price without candles";
}

TEST(CandlestickRange, LowsAndHighsInViewPaddedBySevenPercent)
{
    const float inside[3] = {25, NAN, 3};  // the 3 lies past the candles
    const struct {
        std::vector<qel_candle> candles;
        int32_t overlay_count;
        float y_min, y_max;
    } cases[] = {
        {{{10, 10, 10, 10, 0}}, 0, 9.43f, 10.57f},                        // one flat candle widens by 0.5
        {{{12, 20, 10, 15, 0}, {15, 16, 14, 14, 0}}, 0, 9.3f, 20.7f},     // lowest low to highest high
        {{{12, 20, 10, 15, 0}, {15, 16, 14, 14, 0}}, 1, 8.95f, 26.05f},   // with an overlay's values
        {{{12, 20, 10, 15, 0}, {NAN, 99, 1, 5, 0}}, 0, 9.3f, 20.7f},      // a broken candle counts not
    };
    for (const auto& c : cases) {
        candle_scene s(0);
        s.candles = c.candles;
        const qel_line_series overlay = {"Average", inside, 3, 0};
        s.options.overlays = &overlay;
        s.options.overlay_count = c.overlay_count;
        s.rig.h.run(2);
        EXPECT_NEAR(s.payload()->y_min, c.y_min, 1e-4) << c.candles.size() << " " << c.overlay_count;
        EXPECT_NEAR(s.payload()->y_max, c.y_max, 1e-4) << c.candles.size() << " " << c.overlay_count;
    }
}

TEST(CandlestickBars, LongSeriesMergePerPixelColumnAndTheTooltipNamesOneCandle)
{
    candle_scene s(100000);
    s.candles = walk(100000, 1);
    s.focus();
    s.tap(QEL_KEY_0);
    s.point_at(0.5f);
    s.wheel(0, -60);
    const qel_candlestick_payload* p = s.payload();
    ASSERT_TRUE(p->aggregated);
    qel_rect a = s.area();
    EXPECT_LE(p->bar_count, (int32_t)a.w);
    EXPECT_LT(p->bar_count, (int32_t)a.w) << "columns past the data are left out";
    double volume = 0;
    for (int32_t b = 0; b < p->bar_count; b++) {
        volume += p->bars[b].volume;
        if (b > 0) {
            EXPECT_LT(p->bar_slots[b - 1], p->bar_slots[b]);
        }
    }
    EXPECT_DOUBLE_EQ(volume, 100000) << "every candle in exactly one bar";
    int32_t i = s.returned;
    ASSERT_GE(i, 0);
    EXPECT_EQ(std::string(s.tip().title), "#" + std::to_string(i + 1));
    EXPECT_STREQ(s.tip().row_values[0], qel_chart_format_value(s.rig.h.ctx, "%.2f", s.candles[i].open));
    EXPECT_TRUE(all_vertices_finite(s.rig.h.draw_data()));
}

// The last-price marker's dashes cross the plot in view, however wide the plot: a float stepped
// along 3e8 px stops moving, and dashes far outside the view would only fill the draw list.
TEST(CandlestickBars, TheLastPriceDashesCrossTheViewOfAnyPlot)
{
    for (float width : {700.0f, 3e8f}) {
        candle_scene s(60);
        std::vector<const char*> dates(60, "Mon");
        s.options.labels = dates.data();
        s.options.width = {QEL_SIZE_FIXED, width};
        s.rig.h.run(3);
        qel_rect a = s.area();
        qel_color dash = qel_color_alpha(s.payload()->last_rising ? s.payload()->up_color : s.payload()->down_color, 0.7f);
        int32_t in_view = 0, all = 0;
        for (const drawn_box& b : boxes_filled(s.rig.h.draw_data(), dash)) {
            if (b.h > 1.5f || b.w > 3.5f) continue;
            all++;
            in_view += b.x < 800;
        }
        float shown = std::fmin(a.w, 800 - a.x);
        EXPECT_GE(in_view, (int32_t)(shown / 6) - 1) << width;
        EXPECT_LE(all, 800 / 6 + 2) << width;
        EXPECT_LT(s.rig.h.draw_data().vertex_count, 100000u) << width;
    }
}

TEST(CandlestickTooltip, RowsNameThePricesChangeAndVolume)
{
    candle_scene s(0);
    static const char* const dates[3] = {"Mon", nullptr, "Wed"};
    s.candles = {{10, 12, 9, 11, 1.5e6f}, {0, 12, 8, 0, 12345}, {0, 2, 0, 1, 950}};
    s.options.labels = dates;
    s.options.up_color = 0xFF00AA00u;
    s.options.down_color = 0xFF0000AAu;
    s.rig.h.run(2);
    s.focus();
    const struct {
        int32_t key;
        const char* title;
        const char* change;  // null: no row
        const char* volume;
        qel_color swatch;
    } cases[] = {
        {QEL_KEY_HOME, "Mon", "+10.00%", "1.50M", 0xFF00AA00u},  // the first compares with its own open
        {QEL_KEY_RIGHT, "#2", "-100.00%", "12.3k", 0xFF00AA00u},
        {QEL_KEY_RIGHT, "Wed", nullptr, "950", 0xFF00AA00u},     // the previous close was 0
    };
    for (const auto& c : cases) {
        s.tap(c.key);
        const qel_chart_tip& tip = s.tip();
        EXPECT_STREQ(tip.title, c.title);
        std::vector<std::string> labels, values;
        for (int32_t r = 0; r < tip.row_count; r++) {
            labels.push_back(tip.row_labels[r]);
            values.push_back(tip.row_values[r]);
        }
        std::vector<std::string> want = {"Open", "High", "Low", "Close"};
        if (c.change) want.push_back("Change");
        want.push_back("Volume");
        EXPECT_EQ(labels, want) << c.title;
        if (c.change) {
            EXPECT_EQ(values[4], c.change);
        }
        EXPECT_EQ(values.back(), c.volume);
        EXPECT_EQ(tip.row_colors[3], c.swatch);
    }
    s.options.hide_volume = 1;
    s.rig.h.run();
    EXPECT_STRNE(s.tip().row_labels[s.tip().row_count - 1], "Volume");
}
