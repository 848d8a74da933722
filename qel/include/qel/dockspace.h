// The dockspace: named panels declared every frame and shown as tab groups in resizable splits,
// with closing and reopening, reordering, a one-strip mode when the room is narrow, and tabs
// dragged into, beside or around groups. Its tree and panels last between frames (see
// qel/dock_layout.h, whose layout text saves and restores them).
//
// Each frame:
//   qel_dockspace_begin(ctx, "work", &options);
//   if (qel_dock_panel_begin(ctx, "Files###files", &files_open, nullptr)) {
//       ... the panel's widgets ...
//       qel_dock_panel_end(ctx);
//   }
//   qel_dockspace_end(ctx);
#pragma once

#include <cstdint>

#include "qel/dock_layout.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_dockspace_begin; null means all defaults.
struct qel_dockspace_options {
    uint64_t reserved;
    const char* layout;     // layout text applied when this begin creates the dockspace
    qel_size width;         // kind fit: grow 1
    qel_size height;        // kind fit: grow 1
    float min_panel_width;  // least width of a tab group; not above 0 or not finite: 120
    float min_panel_height; // least height; not above 0 or not finite: 96
    uint8_t keyboard;       // the tab bar's shortcuts in the focused tab group
};

// Options of qel_dock_panel_begin; null means all zero.
struct qel_dock_panel_options {
    uint64_t reserved;
    const char* icon;  // glyph text before the title (7 bytes kept); null none
    uint8_t modified;  // the tab's modified mark
};

// What the dockspace draws over its panels while a tab is dragged.
struct qel_dock_overlay {
    float buttons_alpha;
    int32_t button_count;
    int32_t hovered;  // -1 none
    qel_rect buttons[9];
    int32_t zones[9];
    uint8_t outer[9];
    float preview_alpha;
    qel_rect preview;
    uint8_t marker;
    qel_rect marker_rect;
};

// One begun dockspace in this frame (frame arena).
struct qel_dock_frame {
    qel_dockspace* ds;
    uint32_t id;    // qel_id of the name
    uint32_t seed;  // the id scope inside it
    uint64_t frame;
    int32_t generation;  // layout_generation at begin
    int32_t container;   // node index
    float min_w, min_h;
    uint8_t keyboard;
    uint8_t in_panel;
    uint8_t narrow;
    uint8_t collapsed;    // smaller than 16 x 16 last frame: nothing is built
    int32_t drag_source;  // the dragged tab's leaf while dragging, else -1
    // Per node: shown this frame, its content area's node, the panel drawn there, and last
    // frame's rectangles of the tab group and of its tab strip.
    uint8_t live[QEL_DOCK_MAX_NODES];
    int32_t body[QEL_DOCK_MAX_NODES];
    int32_t shown[QEL_DOCK_MAX_NODES];
    qel_rect leaf_rect[QEL_DOCK_MAX_NODES];
    qel_rect strip_rect[QEL_DOCK_MAX_NODES];
    // Per panel.
    uint8_t tab_shown[QEL_DOCK_MAX_PANELS];
    uint32_t tab_id[QEL_DOCK_MAX_PANELS];
    qel_dock_overlay* overlay;
};

// --- The dockspace ---

// Opens the dockspace of a name (null: "dock"), builds its tab groups and splits, and runs tab
// dragging.
void qel_dockspace_begin(qel_context* ctx, const char* name, const qel_dockspace_options* options);

// Declares a panel by its label: the name is the part after "###" when there is one (cut to 63
// bytes), the tab shows the label's visible part. open (null: not closable) is the caller's flag,
// set false when the tab's close box is used; setting it true reopens the panel. Nonzero when
// the caller is to build the panel's contents now and then call qel_dock_panel_end.
int32_t qel_dock_panel_begin(qel_context* ctx, const char* label, bool* open, const qel_dock_panel_options* options);
void qel_dock_panel_end(qel_context* ctx);

// Ends a panel still begun, draws the drag overlay and closes the dockspace.
void qel_dockspace_end(qel_context* ctx);

// The dockspace begun and not yet ended in this frame, or null.
qel_dock_frame* qel_dockspace_current(qel_context* ctx);

// --- Drag and drop ---

// The part of r that a drop zone covers (1 centre: all of r; 2 left, 3 right, 4 top, 5 bottom:
// the fraction f of r at that side).
qel_rect qel_dock_zone_rect(qel_rect r, int32_t zone, float f);

// Draws the preview, the insertion marker and the zone buttons; user is a qel_dock_overlay.
void qel_dock_overlay_draw(qel_context* ctx, const qel_node* node, void* user);

// --- For the dock's own modules ---

// The id of a tab group's container.
uint32_t qel_dock_leaf_id(const qel_dock_frame* f, int32_t leaf);

// Marks the tab groups that show a panel and the splits above them.
void qel_dock_compute_live(qel_dock_frame* f);

// The node a split stands for while only one side shows; stops at a leaf or a split of two
// shown sides.
int32_t qel_dock_resolve(const qel_dock_frame* f, int32_t node);

// The id of a tab group's content area.
uint32_t qel_dock_body_id(const qel_dock_frame* f, int32_t leaf);

// The leaf's shown panels in tab order into out (48 room); the count.
int32_t qel_dock_shown_tabs(const qel_dock_frame* f, int32_t leaf, int32_t* out);
