// The layout tree: widgets append nodes during a frame (containers, text, spacers, overlays,
// floating nodes) and the frame end sizes, places and draws them. Widgets do not place
// themselves; they read last frame's rectangle of their id (state.h) instead. The layout owns
// the scrolling state of scroll containers (scroll_container.h), which the wheel routing reads.
#pragma once

#include "qel/types.h"

// --- Records ---

enum qel_size_kind : uint32_t {
    QEL_SIZE_FIT = 0,      // the size of the content
    QEL_SIZE_GROW = 1,     // a share of the free space, value the weight (<= 0 counts as 1)
    QEL_SIZE_FIXED = 2,    // value logical units
    QEL_SIZE_PERCENT = 3,  // value percent of the parent's available size
};

struct qel_size {
    uint32_t kind;  // qel_size_kind
    float value;
};

enum qel_direction : uint32_t {
    QEL_DIR_COLUMN = 0,
    QEL_DIR_ROW = 1,
    QEL_DIR_STACK = 2,  // children overlap; both axes are cross axes
    QEL_DIR_GRID = 3,
};

// Cross-axis alignment; as align-self, 0 means the parent's and QEL_ALIGN_OWN_SIZE keeps the
// child's own size rule.
enum qel_align : uint32_t {
    QEL_ALIGN_AUTO = 0,  // rows centre, stacks start, columns stretch
    QEL_ALIGN_START = 1,
    QEL_ALIGN_CENTER = 2,
    QEL_ALIGN_END = 3,
    QEL_ALIGN_STRETCH = 4,
    QEL_ALIGN_OWN_SIZE = 7,
};

enum qel_justify : uint32_t {
    QEL_JUSTIFY_START = 0,
    QEL_JUSTIFY_CENTER = 1,
    QEL_JUSTIFY_END = 2,
    QEL_JUSTIFY_BETWEEN = 3,
    QEL_JUSTIFY_AROUND = 4,
};

// Where an overlay root goes relative to its anchor's rectangle of the last frame.
enum qel_placement : uint8_t {
    QEL_PLACE_BELOW_START = 0,
    QEL_PLACE_BELOW_CENTER = 1,
    QEL_PLACE_BELOW_END = 2,
    QEL_PLACE_ABOVE_START = 3,
    QEL_PLACE_ABOVE_CENTER = 4,
    QEL_PLACE_ABOVE_END = 5,
    QEL_PLACE_RIGHT_TOP = 6,
    QEL_PLACE_LEFT_TOP = 7,
    QEL_PLACE_RIGHT_CENTER = 8,
    QEL_PLACE_LEFT_CENTER = 9,
    QEL_PLACE_FILL = 100,    // the whole display
    QEL_PLACE_CENTER = 101,  // centred in the display
    QEL_PLACE_AT = 102,      // at the node's x, y
};

enum qel_node_flags : uint32_t {
    QEL_NODE_TEXT = 0x1,
    QEL_NODE_INTERACTIVE = 0x2,
    QEL_NODE_SCROLL_X = 0x4,
    QEL_NODE_SCROLL_Y = 0x8,
    QEL_NODE_CLIP = 0x10,  // children clipped to the node, its border drawn over them
    QEL_NODE_OVERLAY = 0x20,
    QEL_NODE_BLOCKING = 0x40,  // nothing under it is hovered
    QEL_NODE_WRAP_TEXT = 0x80,
    QEL_NODE_TABULAR = 0x100,  // digits in the widest digit's advance
    QEL_NODE_FOCUSABLE = 0x200,
    QEL_NODE_HOVER_OPAQUE = 0x800,
    QEL_NODE_DRAW_AFTER = 0x1000,  // draw callback after the children
    QEL_NODE_FLOATING = 0x2000,
    QEL_NODE_ON_TOP = 0x4000,  // drawn after its siblings that lack it
    QEL_NODE_WRAP = 0x8000,    // a row that breaks into lines
    QEL_NODE_LINE_START = 0x10000,
    QEL_NODE_NO_SHRINK = 0x20000,  // its minimum width is its preferred width
    QEL_NODE_MIN_FLOOR = 0x40000,  // its minimum width is its min width
};

struct qel_node;
struct qel_text_line;

// Paints a node during the draw pass; the node's rectangle is laid out by then.
typedef void (*qel_draw_fn)(qel_context* ctx, const qel_node* node, void* user);

// One node of the frame's tree. Indices are stable within a frame; pointers are not (the array
// grows as nodes are opened).
struct qel_node {
    uint32_t id;  // 0: anonymous
    // Links by index, -1 for none. origin: the node a floating node is placed against (-1: its
    // parent).
    int32_t parent, first_child, last_child, next_sibling, first_floating, last_floating, origin;
    int32_t child_count;
    uint32_t flags;  // qel_node_flags
    uint8_t direction_mode;  // 0 inherit, 1 left-to-right, 2 right-to-left
    uint8_t rtl;             // resolved by the layout
    uint8_t direction;       // qel_direction
    uint8_t align;           // qel_align
    uint8_t justify;         // qel_justify
    uint8_t align_self;      // qel_align; 0 the parent's
    qel_size width, height;
    float min_w, max_w, min_h, max_h;
    float pad_top, pad_right, pad_bottom, pad_left;
    float gap;
    int32_t grid_columns;
    float grid_cell_width;
    float preferred_width;  // of a fit node, when > 0
    // Text
    const char* text;  // frame arena
    int32_t text_length;
    uint32_t font;
    float font_size;
    float line_height;      // factor of the font size
    uint8_t content_align;  // 0 none, 1 centre, 2 right, 3 left, 4 end
    qel_color text_color, fill, border;
    float border_width;
    float radii[4];  // top-left, top-right, bottom-right, bottom-left
    uint32_t elevation;
    float elevation_strength;  // 0..1 of the elevation's shadow; 1 at creation
    // Drawn around the node's centre.
    float opacity, scale, translate_x, translate_y;
    qel_draw_fn draw;
    void* draw_user;
    // Overlay roots and floating nodes.
    int32_t z;
    uint32_t anchor;
    uint8_t placement;  // qel_placement
    float anchor_gap;
    float x, y;  // position of QEL_PLACE_AT, or a floating node's offset
    int32_t overlay_index;
    // Written by the layout.
    float measured_w, measured_h;          // preferred
    float measured_min_w, measured_min_h;  // least it is distributed
    float hard_min_w;                      // least width it may be cut to
    int32_t resolved_columns;              // of a grid
    float content_offset_x, content_offset_y;  // of a scroll container's content
    float text_w;                              // the text's natural width
    qel_text_line* lines;                      // of wrapped text, frame arena
    int32_t line_count;
    qel_rect rect;
};

// What containers are opened with. Zero fields mean defaults: sizes and opacity are taken only
// when > 0, a single padding or radius field overrides the general one when > 0.
struct qel_style {
    void* reserved;    // not read by the layout
    const char* name;  // null: anonymous
    uint32_t direction;
    qel_size width, height;
    float min_w, max_w, min_h, max_h;
    float padding, padding_x, padding_y, padding_top, padding_right, padding_bottom, padding_left;
    float gap;
    uint32_t grid_columns;
    float grid_cell_width;
    uint8_t wrap;  // rows only
    uint32_t align;
    uint32_t justify;
    qel_color fill;
    qel_color border;  // alpha 0 (not a token): the theme's border colour
    float border_width;
    float radius, radius_top_left, radius_top_right, radius_bottom_right, radius_bottom_left;
    uint32_t elevation;
    uint8_t scroll_x, scroll_y;
    uint8_t clip;
    float opacity;
    uint8_t direction_mode;
};

// A rectangle the draw pass registered for hover and wheel routing in the next frame.
struct qel_hit_rect {
    uint32_t id;
    float x, y, w, h;
    uint32_t flags;     // the node's qel_node_flags
    uint32_t layer;     // overlay layer it was drawn in; 0 the base
    uint32_t sequence;  // 1-based registration order
};

// The state of a scroll container, under the container's id (qel_state_get with this size).
// The layout writes the content and view sizes of each frame.
struct qel_scroll_state {
    float scroll_x, scroll_y;  // offsets the layout uses, gliding toward the targets
    float target_x, target_y;  // set beyond the end, they stop at the end
    float content_w, content_h;
    float view_w, view_h;
    float bar_visibility;  // 0..1
    double last_activity;  // seconds of the context's clock; 0 none
    uint8_t dragging;      // the vertical thumb
    float grab_offset;     // where the pointer holds the thumb, from its top
    uint8_t thumb_hovered;
    qel_color fade_color;  // edge fades drawn when its alpha is not 0
};

// --- Nodes ---

// Appends a node as the last child of the current parent; it is not pushed.
int32_t qel_node_open(qel_context* ctx, uint32_t id);

// The node at index, or null outside the frame's tree; valid until the next node is opened.
qel_node* qel_node_at(qel_context* ctx, int32_t index);

// The current parent's index, -1 when none.
int32_t qel_node_parent(qel_context* ctx);

// The id under which the node's rectangle is kept for the next frame (qel_id_rect). A node
// opened without an id is given key, so that what lies inside a plain container can measure it.
// 0 for an index outside the frame's tree.
uint32_t qel_node_measured_id(qel_context* ctx, int32_t index, uint32_t key);

// Makes the node the current parent, or closes it. Up to 256 parents nest; deeper pushes are
// counted, not stored, and their pops only undo the count. An index outside the frame's tree
// pushes the current parent again.
void qel_node_push(qel_context* ctx, int32_t index);
void qel_node_pop(qel_context* ctx);

int32_t qel_node_sized(qel_context* ctx, uint32_t id, qel_size width, qel_size height);

// A size of kind fit sets the width to fit with preferred as its preferred width and keeps the
// node's own size in a stretching parent; any other size is stored.
void qel_node_set_width(qel_node* node, qel_size size, float preferred);

// An anonymous text node. length < 0: up to the terminator; null text is empty. The text is
// copied into the frame arena.
int32_t qel_node_text(qel_context* ctx, const char* text, int32_t length, uint32_t font, float size,
                      qel_color color, bool wrap);

// Null changes nothing.
void qel_node_apply_style(qel_context* ctx, int32_t node, const qel_style* style);

// --- Containers ---

// Opens and pushes a container; returns its id (0 when anonymous).
uint32_t qel_container_begin(qel_context* ctx, const qel_style* style);
void qel_container_end(qel_context* ctx);

// The same with the direction forced to row or column; null style means all defaults.
uint32_t qel_row_begin(qel_context* ctx, const qel_style* style);
uint32_t qel_column_begin(qel_context* ctx, const qel_style* style);

// Fills the free space along the parent's main axis.
void qel_spacer(qel_context* ctx);

// A fixed space along the parent's main axis.
void qel_gap(qel_context* ctx, float size);

// A 1-unit line across the parent in the theme's border colour.
void qel_divider(qel_context* ctx);

// --- Overlays and floating nodes ---

// Opens a root of its own (not part of the current parent's layout), laid out over the display
// and placed against the anchor's last rectangle. Hit rectangles and focus entries of its subtree
// carry the layer id. Up to 32 overlays nest.
int32_t qel_overlay_begin(qel_context* ctx, uint32_t layer, int32_t z, uint32_t anchor, uint8_t placement,
                          float gap);
void qel_overlay_end(qel_context* ctx);

// A node of fixed size at an offset from its parent's content origin, outside the parent's
// layout. It is not pushed.
int32_t qel_node_floating(qel_context* ctx, uint32_t id, float x, float y, float width, float height);

// --- Layout and drawing (the frame end runs these) ---

void qel_layout_run(qel_context* ctx);
void qel_layout_draw(qel_context* ctx);

// Draws a subtree within clip (logical units, after transforms).
void qel_layout_draw_node(qel_context* ctx, int32_t node, qel_rect clip);

// Registers a hit rectangle in the current layer; empty ones are skipped.
void qel_hit_rect_add(qel_context* ctx, uint32_t id, qel_rect r, uint32_t flags);
void qel_hit_rect_push(qel_context* ctx, uint32_t id, qel_rect r, uint32_t flags);

// Registers r (logical units under the current transform) cut to the current clip, as the draw
// pass does for nodes; for hit areas a widget draws itself.
void qel_hit_rect_add_visible(qel_context* ctx, uint32_t id, qel_rect r, uint32_t flags);

// For widgets that take the wheel themselves: registers r within the current clip as a scroll
// area that can always scroll, so it becomes the wheel's target under the pointer.
void qel_hit_rect_add_clipped(qel_context* ctx, uint32_t id, qel_rect r);

// r mapped through the current draw transform.
void qel_transform_rect(qel_rect* out, qel_context* ctx, qel_rect r);

// True when the container wraps and a child from first on starts a line.
bool qel_layout_line_fits(qel_context* ctx, int32_t first, uint32_t container_flags);
