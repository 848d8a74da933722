// The dock layout: the lasting model of one dockspace (a binary tree of splits whose leaves are
// tab groups of named panels), the small tree edits the docking code makes, and the one-line
// layout text a program saves and loads back. The toolkit never stores the text itself.
//
// Grammar of the text (bytes; no white space inside the tree):
//   text  = "dock1 " {" "} node {"\t" | "\n" | "\r" | " "}
//   node  = split | leaf
//   split = ("h" | "v") ratio "(" node "," node ")"     h: side by side, v: stacked
//   ratio = ("0" | "1") ["." 1 to 6 digits]             at most 1.0, then kept in 0.01..0.99
//   leaf  = "[" entry {"," entry} "]"
//   entry = ["*" | "-" | "*-" | "-*"] name              *: the selected tab, -: a closed panel
//   name  = 1 to 63 of: "\" any byte, or any byte but ( ) [ ] , \ and 0x00..0x1F
// A text is refused whole for any fault, for more than 96 nodes or 48 entries, for a node below
// 40 levels of splits, for a name given twice (compared unescaped) and for two '*' in a leaf.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

enum : int32_t {
    QEL_DOCK_MAX_NODES = 96,
    QEL_DOCK_MAX_PANELS = 48,
    QEL_DOCK_MAX_DEPTH = 40,  // levels of splits above any node
    QEL_DOCK_NAME_BYTES = 64,
    QEL_DOCK_TITLE_BYTES = 128,
    QEL_DOCK_ICON_BYTES = 8,
};

enum qel_dock_node_kind : uint8_t { QEL_DOCK_FREE = 0, QEL_DOCK_LEAF = 1, QEL_DOCK_SPLIT = 2 };

struct qel_dock_node {
    uint8_t kind;         // qel_dock_node_kind
    uint8_t orientation;  // splits: 0 'h' (first left), 1 'v' (first on top)
    float ratio;          // splits: the first child's share, 0.01..0.99
    int32_t first, second;
    int32_t parent;        // -1 for the root
    int32_t active_panel;  // leaves: the selected tab's panel, -1 none
    uint32_t serial;       // the node's widget ids derive from it
};

struct qel_dock_panel {
    uint8_t used;
    uint8_t declared;         // begun at least once since the slot was filled
    uint8_t open;
    uint8_t closable;         // the latest begin passed an open flag
    uint8_t modified;
    uint8_t close_requested;  // consumed by the next begin
    uint8_t placed;           // placed into the tree automatically once
    uint8_t pending_open;     // from a loaded layout: 255 none, 0 closed, 1 open
    int32_t node;             // its leaf, -1 none
    int32_t tab_order;        // among its leaf's tabs, 0 first
    uint64_t last_frame;      // of its latest begin
    char name[QEL_DOCK_NAME_BYTES];
    char title[QEL_DOCK_TITLE_BYTES];
    char icon[QEL_DOCK_ICON_BYTES];
};

// A tab being dragged to another place.
struct qel_dock_drag {
    int32_t phase;  // 0 idle, 1 pressed on a tab, 2 dragging, 3 cancelled until the release
    int32_t panel;
    int32_t source;  // the leaf it started in
    float grab_x, grab_y;
    int32_t drop_kind;  // 0 none, 1 a leaf, 2 an outer edge of the dockspace
    int32_t target;     // the target leaf, -1 none
    int32_t zone;       // 1 centre, 2 left, 3 right, 4 top, 5 bottom; 0 none
    int32_t before;     // centre drops: the panel to insert before, -1 the end
    float preview[4];   // x, y, w, h
    float preview_alpha;
    float buttons_alpha;
    float ghost[2];  // spring value and velocity
};

// One dockspace's lasting state, kept under its name's id.
struct qel_dockspace {
    uint8_t initialised;
    int32_t layout_generation;  // counts the layouts loaded
    int32_t root;               // -1 while empty
    uint32_t next_serial;
    uint64_t frame;  // of its latest begin
    int32_t focus_leaf;
    int32_t focus_panel;  // its tab takes the keyboard focus at the next build
    int32_t narrow_panel;
    qel_dock_node nodes[QEL_DOCK_MAX_NODES];
    qel_dock_panel panels[QEL_DOCK_MAX_PANELS];
    qel_dock_drag drag;
};

// Bounded output of the writer: every byte counts in len; it is stored while len + 1 < cap.
struct qel_dock_out {
    char* buf;
    uint64_t cap;
    uint64_t len;
};

// A text being parsed: the parsed nodes and entries, by index in text order.
struct qel_dock_parsed_node {
    uint8_t kind;
    uint8_t orientation;
    float ratio;
    int32_t first, second, parent;
    int32_t active;  // leaves: the entry marked '*', -1 none
};

struct qel_dock_parsed_entry {
    char name[QEL_DOCK_NAME_BYTES];  // unescaped
    uint32_t hash;                   // of the name, to tell names apart quickly
    int32_t leaf;
    int32_t position;  // within its leaf
    uint8_t closed;
};

struct qel_dock_scratch {
    const char* text;
    uint64_t pos, length;
    int32_t node_count, entry_count;
    qel_dock_parsed_node nodes[QEL_DOCK_MAX_NODES];
    qel_dock_parsed_entry entries[QEL_DOCK_MAX_PANELS];
};

// --- Saving and loading ---

// The dockspace of a name (null: "dock") as a measuring printf would write it: the layout text,
// cut to cap - 1 bytes and terminated in buf (null buf or cap 0 only measure). Returns the whole
// text's length; 0 for a dockspace never set up or empty.
uint64_t qel_dock_layout_save(qel_context* ctx, const char* name, char* buf, uint64_t cap);

// Replaces the tree of the dockspace (created when new, also for null text) by the text's.
// Returns 1 when applied, 0 when refused (the dockspace then stays exactly as it was). Panels
// named in the text keep or take slots; the others lose their leaves; a tab drag is cancelled.
int32_t qel_dock_layout_load(qel_context* ctx, const char* name, const char* text);

// --- The model ---

// The dockspace's record, created and set up when new (*created tells; may be null).
qel_dockspace* qel_dockspace_get(qel_context* ctx, const char* name, bool* created);

// Initial values of a new record.
void qel_dockspace_setup(qel_dockspace* ds);

// Writes the subtree under node.
void qel_dock_layout_write(const qel_dockspace* ds, int32_t node, qel_dock_out* out);

// Parses one node at scratch->pos; returns its index in the scratch or -1 on any fault.
int32_t qel_dock_layout_parse(qel_dock_scratch* scratch, int32_t parent, int32_t depth);

// Parses the whole text and, when it is sound, replaces the tree; 1 or 0.
int32_t qel_dock_layout_apply(qel_context* ctx, qel_dockspace* ds, const char* text);

// --- Tree edits ---

// The first free node, set up with the kind and a new serial; -1 when all are in use.
int32_t qel_dock_node_alloc(qel_dockspace* ds, uint8_t kind);

// The first unused panel slot, named (cut to 63 bytes on a character boundary); -1 when full.
int32_t qel_dock_panel_alloc(qel_dockspace* ds, const char* name);

// The used panel of a name, -1 none.
int32_t qel_dock_panel_find(const qel_dockspace* ds, const char* name);

// The leaf's used panels but exclude (-1: none) in tab order into out (48 room); the count.
int32_t qel_dock_leaf_panels(const qel_dockspace* ds, int32_t leaf, int32_t* out, int32_t exclude);

// Puts the panel into the leaf before the panel before (the end for -1 or one not there) and
// numbers the leaf's tabs anew.
void qel_dock_panel_insert(qel_dockspace* ds, int32_t panel, int32_t leaf, int32_t before);

// Takes the panel out of its leaf; a leaf left empty is removed, its sibling taking its parent's
// place.
void qel_dock_panel_detach(qel_dockspace* ds, int32_t panel);
