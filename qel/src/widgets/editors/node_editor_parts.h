// What the node editor's canvas (node_editor.cpp) and its graph (node_editor_graph.cpp) share:
// the per-editor state with its two submission buffers, the selection with its id index, the
// queues, the frame record, and the calls each file makes on the other.
#pragma once

#include <cstdint>

#include "core/array_grow.h"
#include "qel/node_editor.h"
#include "qel/types.h"

// --- Growable arrays and id indexes ---

template <typename T>
struct qel_node_editor_array {
    T* items;
    int32_t count, capacity;
};

template <typename T>
void qel_node_editor_push(qel_context* ctx, qel_node_editor_array<T>* a, const T& value)
{
    a->items = qel_array_grow(ctx, a->items, &a->capacity, a->count + 1ll);
    a->items[a->count++] = value;
}

// Open addressing over some array's entries by their 32-bit ids: a slot holds an entry's index
// plus 1, 0 when free. Entries are found in O(1), so lookups over thousands of nodes stay cheap.
struct qel_node_editor_index {
    int32_t* slots;
    int32_t capacity;  // a power of two, 0 before first use
};

// Empties the index with room for count entries at half load.
void qel_node_editor_index_reset(qel_context* ctx, qel_node_editor_index* x, int32_t count);

inline uint32_t qel_node_editor_spread(uint32_t k)
{
    k ^= k >> 16;
    k *= 0x7feb352du;
    return k ^ (k >> 15);
}

// The slot of id in items, or the free slot where it would go; key(items[i]) is an entry's id.
template <typename T, typename Key>
int32_t* qel_node_editor_slot_of(const qel_node_editor_index* x, const T* items, uint32_t id, Key key)
{
    uint32_t mask = (uint32_t)x->capacity - 1;
    for (uint32_t i = qel_node_editor_spread(id) & mask;; i = (i + 1) & mask) {
        int32_t* slot = &x->slots[i];
        if (!*slot || key(items[*slot - 1]) == id) return slot;
    }
}

// The entry under id, -1 when none.
template <typename T, typename Key>
int32_t qel_node_editor_lookup(const qel_node_editor_index* x, const T* items, uint32_t id, Key key)
{
    if (!x->capacity) return -1;
    return *qel_node_editor_slot_of(x, items, id, key) - 1;
}

// Adds entry under its id (the index must have room); an id already present keeps its first entry.
template <typename T, typename Key>
void qel_node_editor_index_add(qel_node_editor_index* x, const T* items, int32_t entry, Key key)
{
    int32_t* slot = qel_node_editor_slot_of(x, items, key(items[entry]), key);
    if (!*slot) *slot = entry + 1;
}

// The index rebuilt over all of the array's entries.
template <typename T, typename Key>
void qel_node_editor_index_all(qel_context* ctx, qel_node_editor_index* x, const qel_node_editor_array<T>& a, Key key)
{
    qel_node_editor_index_reset(ctx, x, a.count);
    for (int32_t i = 0; i < a.count; i++) qel_node_editor_index_add(x, a.items, i, key);
}

// --- Submissions ---

struct qel_node_editor_node_entry {
    uint32_t node;
    float x, y, w, h;  // canvas units
};

struct qel_node_editor_pin_entry {
    uint32_t pin, node, is_output;
    int32_t type;
    float x, y;  // centre, canvas units
};

struct qel_node_editor_link_entry {
    uint32_t link, start_pin, end_pin;
};

inline uint32_t qel_node_editor_node_key(const qel_node_editor_node_entry& n)
{
    return n.node;
}

inline uint32_t qel_node_editor_id_key(const uint32_t& id)
{
    return id;
}

// What is known of a pin id in one frame: its entry (-1 when it was not submitted), how many
// links end and start at it, and the first link ending there whose start pin was submitted.
struct qel_node_editor_pin_info {
    uint32_t pin;
    int32_t entry, ends, starts, first_end_link;
};

// One frame's submissions with their indexes, built when the frame's editor ends.
struct qel_node_editor_buffer {
    qel_node_editor_array<qel_node_editor_node_entry> nodes;
    qel_node_editor_array<qel_node_editor_pin_entry> pins;
    qel_node_editor_array<qel_node_editor_link_entry> links;
    qel_node_editor_array<qel_node_editor_pin_info> pin_infos;
    qel_node_editor_index node_index, pin_index;
};

// A row of a node: a pin or a widget block.
struct qel_node_editor_row {
    uint32_t kind;  // 0 input, 1 output, 2 widget block
    uint32_t pin;
    int32_t type;
    bool connected;
    const char* label;  // frame arena
    int32_t label_length;
    float y, height;  // canvas units below the node's top
    float hover;
};

struct qel_node_editor_state {
    qel_node_editor_buffer buffers[2];
    int32_t current;
    qel_node_editor_array<qel_node_editor_row> rows;
    qel_node_editor_array<uint32_t> selection, base_selection;
    qel_node_editor_index selection_index;
    bool selection_index_stale;
    uint32_t selected_link;
    bool has_selected_link;
    uint32_t mode;  // qel_node_editor_mode
    float press_x, press_y, last_x, last_y;
    uint32_t pressed_node;
    bool press_additive, pressed_was_selected;
    float box_x0, box_y0, box_x1, box_y1;
    // The link being dragged.
    uint32_t start_pin, start_is_output;
    int32_t start_type;
    uint32_t start_node, detached_link, grabbed_pin;
    bool detaching, over_target;
    uint32_t target_pin;
    // What users did this frame: created holds (output, input) pairs.
    qel_node_editor_array<uint32_t> created, destroyed, deleted;
    int32_t created_read, destroyed_read, deleted_read;
    float nudge_x, nudge_y;
    bool fit_requested;
    uint32_t focused_node;
    bool has_focused_node;
    float lift[2];
    // The minimap as last drawn.
    float minimap_origin_x, minimap_origin_y, minimap_scale, minimap_world_x, minimap_world_y;
    bool minimap_valid;
    qel_rect minimap_rect;
};

// --- The frame record ---

// A node's draw callback payload.
struct qel_node_editor_node_draw {
    qel_node_editor_frame* frame;
    uint32_t node;
    int32_t first_row, row_count;
    const char* title;  // frame arena
    int32_t title_length;
    const char* icon;
    bool selected;
    float hover, lift, focus;
};

struct qel_node_editor_node_ref {
    int32_t layout;
    bool selected;
};

struct qel_node_editor_frame {
    uint32_t id;
    uint64_t frame_number;
    qel_node_editor_state* state;
    qel_node_editor_view* view;
    float zoom, min_zoom, max_zoom;
    qel_rect canvas;  // of the last frame; in the draw pass, of this one
    float pan_x, pan_y, origin_x, origin_y;
    int32_t canvas_node;
    bool show_grid, show_minimap, captured, seen, focus_visible;
    // The open node.
    bool in_node;
    uint32_t node_id, node_item;
    int32_t node_layout, first_row, block_counter;
    float node_x, node_y, node_w, row_cursor, node_sx, node_sy;
    bool selected;
    qel_node_editor_node_draw* draw;
    int32_t refused_nodes, refused_blocks;
    // The open widget block: its height of the last frame, and the pointer it replaced.
    bool in_block;
    float block_height;
    qel_vec2 saved_pointer, saved_prev_pointer;
    // Node layout nodes built this frame.
    qel_node_editor_node_ref* node_refs;
    int32_t node_ref_count, node_ref_capacity;
    // This frame's submissions, published by the end.
    const qel_node_editor_buffer* submitted;
    const qel_node_editor_row* rows;
};

// --- Ids and sizes ---

enum : uint32_t {
    QEL_NODE_EDITOR_NODE_SEED = 0x4e0du,
    QEL_NODE_EDITOR_PIN_SEED = 0x9113u,
    QEL_NODE_EDITOR_MINIMAP_KEY = 0x313a9u,
    QEL_NODE_EDITOR_WHEEL_KEY = 0x5c2e11u,
};

uint32_t qel_node_editor_node_item(const qel_node_editor_frame* f, uint32_t node);
uint32_t qel_node_editor_pin_item(const qel_node_editor_frame* f, uint32_t pin);

// The last frame's submissions, which all hit testing reads.
const qel_node_editor_buffer* qel_node_editor_previous(const qel_node_editor_state* s);

// A canvas point on the screen.
qel_vec2 qel_node_editor_to_screen(const qel_node_editor_frame* f, float x, float y);

// The pointer, or where it was last seen in the window while it is outside.
qel_vec2 qel_node_editor_pointer(qel_context* ctx, qel_node_editor_state* s);

// --- Selection (node_editor.cpp) ---

bool qel_node_editor_selected(qel_context* ctx, qel_node_editor_state* s, uint32_t node);
void qel_node_editor_select_only(qel_context* ctx, qel_node_editor_state* s, uint32_t node);
void qel_node_editor_select_add(qel_context* ctx, qel_node_editor_state* s, uint32_t node);
void qel_node_editor_deselect(qel_node_editor_state* s, uint32_t node);

// Puts a link on the destroyed queue unless it is there already.
void qel_node_editor_destroy_link(qel_context* ctx, qel_node_editor_state* s, uint32_t link);

// --- Links (node_editor_graph.cpp) ---

enum { QEL_NODE_EDITOR_CURVE_MAX = 96 };

// The link curve from an output at p0 to an input at p1 (screen pixels): 13 to 96 points into
// out, their count returned.
int32_t qel_node_editor_curve(qel_vec2 p0, qel_vec2 p1, float zoom, qel_vec2* out);

// The index of the last frame's link within 5 px of the point, the nearest; -1 when none.
int32_t qel_node_editor_link_hit(const qel_node_editor_frame* f, qel_vec2 p);

// One frame of a link drag: the target under the pointer, and on release what it reports.
void qel_node_editor_link_drag_step(qel_context* ctx, qel_node_editor_frame* f);

// Draw pass: the submitted links near the visible rectangle (canvas), the dragged link's preview
// (overlay).
void qel_node_editor_draw_links(qel_context* ctx, const qel_node_editor_frame* f, qel_rect visible);
void qel_node_editor_draw_link_preview(qel_context* ctx, const qel_node_editor_frame* f);

// Builds a buffer's indexes once its frame's submissions are complete.
void qel_node_editor_index_buffer(qel_context* ctx, qel_node_editor_buffer* b);

// Whether the node was submitted in the buffer's frame.
bool qel_node_editor_has_node(const qel_node_editor_buffer* b, uint32_t node);

// The pin's info in the buffer, or null when the pin id is unknown there.
const qel_node_editor_pin_info* qel_node_editor_pin_find(const qel_node_editor_buffer* b, uint32_t pin);
