// The node editor: a pannable, zoomable canvas on which the program declares its graph every
// frame (nodes at positions it owns, their typed pins and widget blocks, the links between pins)
// and on which users select, move, delete, link and unlink. The editor owns no graph: what users
// do comes back through three queues that the program drains and applies to its own data.
#pragma once

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// The caller's view, read and written back by every begin. pan is the screen offset of canvas
// point (0, 0) from the canvas's top-left corner; zoom scales canvas units to pixels (0 or below,
// or not a number, reads as 1 and is then held to the zoom range). What is written back is
// always finite.
struct qel_node_editor_view {
    float pan_x, pan_y;
    float zoom;
};

// Null means all zero.
struct qel_node_editor_opts {
    uint32_t reserved;
    qel_size width;   // zero kind and value: the canvas grows
    qel_size height;  // zero kind and value: 440
    float min_zoom;   // 0 or below: 0.25
    float max_zoom;   // not above the minimum: the larger of 2 and the minimum
    bool hide_grid;
    bool show_minimap;
};

// Null means all zero.
struct qel_node_editor_node_opts {
    uint32_t reserved;
    float width;       // canvas units; 0 or below: 184
    const char* icon;  // an icon-font glyph shown before the title, or null
};

// A pin of type 0 or below connects to any pin; two positive types connect only when equal. A
// positive type also picks the pin's chart colour.
struct qel_node_editor_pin_opts {
    uint32_t reserved;
    int32_t type;
};

enum qel_node_editor_mode : uint32_t {
    QEL_NODE_EDITOR_IDLE = 0,
    QEL_NODE_EDITOR_PANNING = 1,
    QEL_NODE_EDITOR_NODE_PRESSED = 2,
    QEL_NODE_EDITOR_NODE_DRAG = 3,
    QEL_NODE_EDITOR_BOX_PRESSED = 4,
    QEL_NODE_EDITOR_BOX_SELECT = 5,
    QEL_NODE_EDITOR_LINK_DRAG = 6,
    QEL_NODE_EDITOR_MINIMAP_DRAG = 7,
};

// The open editor's record for this frame; its contents are the editor's own.
struct qel_node_editor_frame;

// --- The canvas ---

// Opens the editor under the label's id ("node-editor" for null) and makes its canvas the
// current parent: 1 when it opened; 0 for a null view or while another editor is open in this
// frame, and then nothing is built and qel_node_editor_end must not be called. Mouse, wheel and
// keys (Delete, F to fit, Ctrl+A, Escape, arrows with Shift for fine steps, "=", "-", "0") are
// handled here, against what was submitted in the last frame.
int32_t qel_node_editor_begin(qel_context* ctx, const char* label, qel_node_editor_view* view,
                              const qel_node_editor_opts* opts);

// Closes the open editor (and a node left open); nothing when none is open.
void qel_node_editor_end(qel_context* ctx);

// The editor open in this frame, or null.
qel_node_editor_frame* qel_node_editor_find(qel_context* ctx);

// --- The graph, between begin and end ---

// Opens a node; x and y are the caller's stored canvas position, moved in place while the node
// is selected and users drag or nudge. Returns 1 when the node is selected. Always closed by
// qel_node_editor_node_end, also when refused (no editor, inside another node, null x or y).
int32_t qel_node_editor_node_begin(qel_context* ctx, uint32_t node_id, float* x, float* y, const char* title,
                                   const qel_node_editor_node_opts* opts);
void qel_node_editor_node_end(qel_context* ctx);

// A pin row of the open node, outside widget blocks. Returns 1 when a link of the last frame ends
// at the input (starts at the output), not counting a link being dragged off.
int32_t qel_node_editor_input_pin(qel_context* ctx, uint32_t pin_id, const char* label,
                                  const qel_node_editor_pin_opts* opts);
int32_t qel_node_editor_output_pin(qel_context* ctx, uint32_t pin_id, const char* label,
                                   const qel_node_editor_pin_opts* opts);

// A block of ordinary widgets inside the open node, laid out at scale 1 and drawn at the zoom,
// with the pointer mapped into its unscaled space while it is open. Always closed by
// qel_node_editor_content_end.
void qel_node_editor_content_begin(qel_context* ctx);
void qel_node_editor_content_end(qel_context* ctx);

// A link from an output pin to an input pin, after the nodes. Drawn only when both pins were
// submitted in this frame. Returns 1 when it is the selected link.
int32_t qel_node_editor_link(qel_context* ctx, uint32_t link_id, uint32_t start_pin, uint32_t end_pin);

// --- What users did ---
// Inside the editor's frame and after its end in the same frame; 0 in a frame without the editor.
// Each call takes the next entry, in the order they arose; either pointer may be null.

// A link to make from an output pin to an input pin.
int32_t qel_node_editor_link_created(qel_context* ctx, uint32_t* start, uint32_t* end);
// A link to remove.
int32_t qel_node_editor_link_destroyed(qel_context* ctx, uint32_t* link);
// A node to remove (its links come through qel_node_editor_link_destroyed).
int32_t qel_node_editor_node_deleted(qel_context* ctx, uint32_t* node);
