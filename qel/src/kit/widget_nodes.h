// Small node helpers the widgets share: sizes at the UI scale, the 0..1 clamp, a point in a
// rectangle, the dark mode and the row radius, pushed nodes, the latest node of an id, a text's
// width as the layout measures it, text leaves with a line height, rounding all corners alike,
// the full focus ring, the look of selectable rows and sideways scroll strips. What the nodes are
// is each widget's own.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// The size (in theme units) times the UI scale.
float qel_scaled(qel_context* ctx, float size);
// The theme's body and small text sizes times the UI scale.
float qel_text_body_scaled(qel_context* ctx);
float qel_text_small_scaled(qel_context* ctx);
// The label size of a control of size 1 small, 2 large (one under the large text), else medium,
// at the UI scale.
float qel_control_text_size(qel_context* ctx, uint32_t size);

// t held to 0..1; NaN gives 0.
float qel_unit_clamp(float t);

// True when p lies in r, its right and bottom edges excluded.
bool qel_rect_contains(qel_rect r, qel_vec2 p);

// True in dark mode.
bool qel_dark_mode(qel_context* ctx);

// The corner radius of rows and cells in lists, menus and bars: max(6, medium radius - 6).
float qel_row_radius(qel_context* ctx);

// A node of the sizes under id, pushed: the nodes that follow are its children.
int32_t qel_node_sized_pushed(qel_context* ctx, uint32_t id, qel_size width, qel_size height);

// The most recently opened node bearing id, -1 when none.
int32_t qel_node_latest_with_id(qel_context* ctx, uint32_t id);

// The text's width in the font role and size, rounded up to a quarter unit like the layout's
// measure; length < 0 up to the terminator, null text 0.
float qel_text_width_measured(qel_context* ctx, uint32_t font, float size, const char* text, int32_t length,
                              bool tabular);

// Gives all four corners the radius.
void qel_node_round(qel_node* node, float radius);

// A text leaf as qel_node_text makes it, with the line height factor when above 0.
int32_t qel_text_leaf(qel_context* ctx, const char* text, int32_t length, uint32_t font, float size,
                      qel_color color, bool wrap, float line_height);

// A one-line text leaf at size (in theme units) times the UI scale, with the line height factor.
int32_t qel_text_leaf_scaled(qel_context* ctx, const char* text, uint32_t font, float size, qel_color color,
                             float line_height);

// The label above a field: the label's visible part in medium body text.
int32_t qel_field_label_leaf(qel_context* ctx, const char* label);

// The focus ring at full strength around the node after its children, when shown.
void qel_node_focus_ring_full(qel_context* ctx, int32_t node, bool shown);

// A row of a list or tree: clickable under id, row radius corners, the active fill
// when selected, else the hover tint at hover (0..1), and the focus ring while ring.
void qel_node_selectable_row(qel_context* ctx, int32_t node, uint32_t id, bool selected, float hover, bool ring);

// A row of its own width and a fixed height, children centred across it, padded left and right,
// with a gap and all corners at radius: chips, bar items and titles. Not pushed.
int32_t qel_node_pill_row(qel_context* ctx, uint32_t id, float height, float pad_x, float gap, float radius);

// A node of the sizes laid out in direction, its content centred both ways, all corners at
// radius; not pushed.
int32_t qel_node_centred(qel_context* ctx, uint32_t id, qel_size width, qel_size height, uint32_t direction,
                         float radius);

// A scroll container under id (begun as qel_scroll_begin begins it, ended with qel_scroll_end)
// that scrolls sideways only, its cut edges fading into fade. Returns its node.
int32_t qel_scroll_strip_begin(qel_context* ctx, uint32_t id, const qel_style* style, qel_color fade);

// Makes the node a focusable panel on the surface: bordered, clipped, small corners.
void qel_node_focusable_panel(qel_context* ctx, int32_t node);
