// The frame the item charts stand on: the item and series records they take, the per-id chart
// state with its intro and hover, arena copies of the caller's data, the chart node, series and
// item colours with the colour ramp, the legend, the tooltip box, and the plot and XY-axis
// layouts. Each chart's hit test, payload and drawing are its own module's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// One item of a chart of shares or ranks; the caller's.
struct qel_chart_item {
    const char* label;  // null reads as empty
    float value;        // below 0 or not finite counts as 0 once copied
    qel_color color;    // 0: automatic; a theme token or a literal colour
};

// Points of an XY chart: count pairs of x then y, with an optional size per point.
struct qel_xy_series {
    const char* label;
    const float* xy;
    const float* sizes;
    int32_t count;
    qel_color color;
};

// What every item chart keeps under its id, zeroed when first made.
struct qel_chart_state {
    float intro;  // 0 toward 1, a spring
    float intro_velocity;
    float tip_alpha;       // tooltip opacity 0..1
    int32_t hovered;       // item under the pointer this frame, -1 none
    int32_t last_hovered;  // kept while the tooltip fades out
};

enum { QEL_CHART_TIP_ROWS = 8 };

// A tooltip box: title and up to eight rows of label and value, near the pointer.
struct qel_chart_tip {
    float alpha;
    float anchor_x, anchor_y;  // the pointer
    float bounds_x, bounds_y, bounds_w, bounds_h;  // the chart's rectangle
    const char* title;
    int32_t row_count;
    const char* row_labels[QEL_CHART_TIP_ROWS];
    const char* row_values[QEL_CHART_TIP_ROWS];
    qel_color row_colors[QEL_CHART_TIP_ROWS];  // alpha 0: no swatch
};

// What an item chart's drawing reads of its entry.
struct qel_chart_view {
    float intro;
    int32_t hovered;  // the item to emphasise and name in the tooltip, -1 none
    float tip_alpha;
    qel_chart_tip tip;  // its alpha, anchor and bounds set while hovered >= 0
};

// A chart rectangle split for a plot with a band under it.
struct qel_chart_plot {
    qel_rect full, plot, band;
    float slot_width;
};

// Options of the bubble chart; the XY axes read the titles and the y format.
struct qel_bubble_options {
    uint32_t reserved;
    qel_size width;  // kind 0: grow 1
    float height;    // <= 0: 280
    const char* x_title;
    const char* y_title;
    const char* x_format;
    const char* y_format;
    uint8_t hide_legend;
};

// Ranges and plot rectangle of an XY chart.
struct qel_chart_axes {
    float x_lower, x_upper, x_step;
    float y_lower, y_upper, y_step;
    float largest_size;
    qel_rect plot;
};

// --- Copies for the draw callback ---

// count floats in the frame arena; values that are not finite become 0, a null array zeros,
// and a count below 1 one zeroed float.
float* qel_chart_copy_values(qel_context* ctx, const float* values, int32_t count);

// count items in the frame arena with every value that is not >= 0 (NaN included) made 0; a null
// array gives zeroed items, a count of 0 one zeroed item. Labels are not copied.
qel_chart_item* qel_chart_copy_items(qel_context* ctx, const qel_chart_item* items, uint32_t count);

// --- The chart node ---

// Opens the chart's node under id with its sizes, draw callback and payload, drawn after its
// children and, while hot, over its siblings; a hit area without keyboard focus, and the last
// item.
int32_t qel_chart_node(qel_context* ctx, uint32_t id, qel_size width, qel_size height, qel_draw_fn draw,
                       void* payload, bool hot);

// --- Colours ---

// A token or a literal colour resolved; alpha 0 means automatic: CHART1 with the neutral accent,
// else the accent.
qel_color qel_chart_series_color(qel_context* ctx, qel_color color);

// A colour on the ramp through base at t (clamped to 0..1): from a faint tint of the surface at
// 0 through base at 0.6 to a deeper (light theme) or lighter (dark theme) base at 1.
qel_color qel_chart_color_ramp(qel_context* ctx, qel_color base, float t);

// Item i's colour: its own when set, else the ramp by its value against the largest, whose index
// is order[0].
qel_color qel_chart_item_color(qel_context* ctx, const qel_chart_item* items, const int32_t* order, int32_t i);

// --- Legend and tooltip ---

// Swatches and labels flowing across width from (x, y), wrapping 22 apart; entries other than
// highlighted (-1: none) faded. Draws only when draw is set; returns the height, 0 for none.
float qel_chart_legend(qel_context* ctx, float x, float y, float width, const char* const* labels,
                       const qel_color* colors, int32_t count, int32_t highlighted, bool draw);

// Appends a row; rows beyond the eighth are dropped.
void qel_chart_tip_add(qel_chart_tip* tip, const char* label, const char* value, qel_color color);

// Draws the tooltip box above and right of the anchor, flipped to stay near the bounds.
void qel_chart_tooltip(qel_context* ctx, const qel_chart_tip* tip);

// --- Layouts of charts with axes ---

// The plot area of r less reserve_right at the right and the axis labels above and below, with a
// band at its foot when asked; slots share its width.
qel_chart_plot qel_chart_plot_rect(const qel_rect* r, float reserve_right, double slots, bool band);

// Round ranges over every point of the series, padded so that no point sits on the frame, and
// the plot rectangle inside r after the tick labels and titles; top_extra is kept free above.
qel_chart_axes qel_chart_xy_axes(qel_context* ctx, const qel_rect* r, const qel_xy_series* series, int32_t count,
                                 const qel_bubble_options* options, float top_extra);
