// What the item charts' entries and draw callbacks share beyond the public frame: the entry's steps
// (state, intro, hover, tooltip, node, click), the empty-cell colour, the staggered intro, the
// dimming of other items, the cell hover ring, the value order and the tooltip box's measure and
// drawing. Each chart's hit test and drawing stay its own.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/input.h"
#include "qel/types.h"

// One chart's entry in this frame.
struct qel_chart_entry {
    uint32_t id;
    qel_chart_state* state;
    qel_interaction interaction;
    qel_rect rect;      // the chart node's, last frame
    qel_vec2 pointer;
};

// --- The entry ---

// The chart's id and state, its intro advanced (period 0.7 s), its interaction and last frame's
// rectangle.
qel_chart_entry qel_chart_entry_begin(qel_context* ctx, const char* label);

// As qel_chart_entry_begin, interacting with qel_interact_flags (a chart that takes keys).
qel_chart_entry qel_chart_entry_begin_with(qel_context* ctx, const char* label, uint32_t interact_flags);

// True when the pointer is over the chart and its rectangle is known, so a hit test can run.
bool qel_chart_entry_hovering(const qel_chart_entry* e);

// Stores this frame's hit (-1 none), eases the tooltip toward it over 0.14 s, and fills the view:
// the intro, and the item to emphasise and name (the last hovered one while the tooltip shows and
// it still lies below count, else -1) with the tip's alpha, anchor and bounds.
void qel_chart_entry_view(qel_context* ctx, qel_chart_entry* e, int32_t hit, int32_t count, qel_chart_view* view);

// Opens the chart node and returns its index; asks for the hand cursor while an item is hovered
// when hand is set.
int32_t qel_chart_entry_node(qel_context* ctx, const qel_chart_entry* e, qel_size width, qel_size height,
                             qel_draw_fn draw, void* payload, bool hand);

// The item clicked this frame, -1 when none.
int32_t qel_chart_entry_clicked(const qel_chart_entry* e);

// --- Shared looks and orders ---

// Fills the tooltip's title and its "Value" row (with a swatch) and "Share" row.
void qel_chart_tip_value_share(qel_context* ctx, qel_chart_tip* tip, const char* title, const char* format,
                               float value, float total, qel_color swatch);

// The point at radius r from c in the direction angle (radians, clockwise on screen from +x).
qel_vec2 qel_chart_polar(qel_vec2 c, float r, float angle);

// Near-black text on light fills, white on dark ones.
qel_color qel_chart_ink_on(qel_color fill);

// An empty cell or track: the surface tinted toward the text colour.
qel_color qel_chart_empty_color(qel_context* ctx);

// An item's own colour when it has one, else the categorical chart colour of its index.
qel_color qel_chart_indexed_color(qel_context* ctx, qel_color own, int32_t index);

// How far an item has grown in at intro (0..1) when items further along (share 0..1) start later:
// clamped intro x (1 + lag) - share x lag.
float qel_chart_stagger(float intro, float share, float lag);

// Item i's colour c, faded toward the surface by strength x the tooltip's alpha while another item
// is emphasised.
qel_color qel_chart_dim_others(qel_context* ctx, const qel_chart_view* view, int32_t i, qel_color c, float strength);

// The hover ring around a cell of size cell at (x, y) whose corners have radius, at alpha.
void qel_chart_cell_ring(qel_context* ctx, float x, float y, float cell, float radius, float alpha);

// The theme's extra-small text size times the UI scale.
float qel_chart_xs_size(qel_context* ctx);

// Item indices by value, largest first; equal values keep their order. Frame arena.
int32_t* qel_chart_order_by_value(qel_context* ctx, const qel_chart_item* items, int32_t count);

// The sum of the values, in double.
double qel_chart_items_total(const qel_chart_item* items, int32_t count);

// --- The tooltip box ---

// The box's size: 10 around the title and the rows, the widest of them (a row's swatch, label, 18
// units and value), the title 18 high, each row 18 more and 2 under the last.
void qel_chart_tip_size(qel_context* ctx, const qel_chart_tip* tip, float* w, float* h);

// Draws the box at (x, y) of size w x h with the tip's title and rows, faded by its alpha.
void qel_chart_tip_box(qel_context* ctx, const qel_chart_tip* tip, float x, float y, float w, float h);
