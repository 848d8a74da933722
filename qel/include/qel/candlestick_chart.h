// The candlestick chart: a price series as candles or OHLC bars with a volume pane, up to four
// overlay lines, a price axis at the right, date labels, a last-price marker, a crosshair and an
// OHLC tooltip. It is a navigable view: the wheel zooms around the pointer, a drag pans, keys move
// a selected candle and zoom, and candles narrower than 2.5 px are merged into one bar per pixel
// column. Price ticks and texts are chart_values.h's; the plot split and tooltip box the frame's.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/layout.h"
#include "qel/series_charts.h"
#include "qel/types.h"

// --- Records ---

// One period's prices and volume; the caller's.
struct qel_candle {
    float open, high, low, close, volume;
};

enum { QEL_CANDLESTICK_OVERLAYS = 4, QEL_CANDLESTICK_LABELS = 48 };

// Options of qel_candlestick_chart; null means all zero. Packed: the colours follow the two flag
// bytes unaligned, where callers of this record place them.
#pragma pack(push, 1)
struct qel_candlestick_options {
    uint32_t reserved;
    qel_size width;                  // kind 0: grow 1
    float height;                    // <= 0: 320
    const char* const* labels;       // one x label (a date) per candle; null: none, tooltips "#n"
    const char* price_format;        // null: "%.2f"
    const qel_line_series* overlays; // one value per candle, NaN leaves a gap; colour 0: chart colour
    int32_t overlay_count;           // 0..4
    uint8_t hide_volume;
    uint8_t ohlc_bars;     // bars with open and close ticks instead of candle bodies
    qel_color up_color;    // 0: the success colour
    qel_color down_color;  // close below open; 0: the danger colour
};
#pragma pack(pop)

// The view kept under the chart's id XOR QEL_CANDLESTICK_VIEW_KEY: where it is, how far it is
// zoomed, the eased price range and the keyboard selection.
struct qel_candlestick_view {
    double start;    // index of the first visible candle, fractional
    double visible;  // candles across the plot
    float y_min, y_max;
    float axis_width;  // of the price axis band; 0 reads as 60
    float drag_x;
    double drag_start;
    uint32_t last_count;
    int32_t selected;
    uint8_t initialised;
    uint8_t sized;     // set up with a real width
    uint8_t follow;    // the view ends at the newest candle
    uint8_t keyboard;  // the selection moved by keys since the pointer last moved
};

enum : uint32_t { QEL_CANDLESTICK_VIEW_KEY = 0xCA4D2, QEL_CANDLESTICK_WHEEL_KEY = 0xCA4D1 };

// What the draw callback reads: the bars in view (single candles, or buckets of candles with
// their overlay values), the view and price range, the labels to show and the hover.
struct qel_candlestick_payload {
    uint32_t wheel_id;
    double start, visible;
    float axis_width;
    float y_min, y_max;
    qel_candle* bars;
    int32_t* bar_slots;  // the candle's index, or the bucket's pixel column when aggregated
    int32_t bar_count;
    float* overlay_values[QEL_CANDLESTICK_OVERLAYS];  // bar_count each
    qel_color overlay_colors[QEL_CANDLESTICK_OVERLAYS];
    int32_t overlay_count;
    float largest_volume;
    qel_color up_color, down_color;
    const char* price_format;
    int32_t label_count;
    int32_t label_slots[QEL_CANDLESTICK_LABELS];
    const char* label_texts[QEL_CANDLESTICK_LABELS];
    float last_close;
    qel_candle hovered_candle;
    float pointer_y;
    uint8_t aggregated, volume_on, ohlc_bars, keyboard, wheel_routed, focus_ring, last_shown, last_rising;
    qel_chart_view view;  // hovered: the candle, kept while its tooltip fades
};

// --- Widget ---

// Draws the chart of count candles (null or a negative count: none) under label (null:
// "candles"). Returns the candle under the pointer, or the selected one while the chart has
// the keyboard focus in keyboard mode, else -1.
int32_t qel_candlestick_chart(qel_context* ctx, const char* label, const qel_candle* candles, int32_t count,
                              const qel_candlestick_options* options);

// user is a qel_candlestick_payload.
void qel_candlestick_draw(qel_context* ctx, const qel_node* node, void* user);
