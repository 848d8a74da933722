// The status bar: the shared bar row with a hairline on top, holding small texts, clickable
// items, growing spacers and a progress item. Items are measured against the bar's width of the
// last frame: while the content does not fit, items with an icon drop their text and items that
// still do not fit are left out. The bar row is menubar's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_statusbar_begin; null means all zero.
struct qel_statusbar_opts {
    uint32_t reserved;
    uint8_t no_border;  // no hairline on top
};

// Options of qel_status_text; null means all zero.
struct qel_status_text_opts {
    uint64_t reserved;
    const char* icon;
    uint32_t kind;  // qel_semantic colour of the icon; 0 the secondary text colour
};

// Options of qel_status_item; null means all zero.
struct qel_status_item_opts {
    uint64_t reserved;
    const char* icon;
    uint32_t kind;        // as qel_status_text_opts
    const char* tooltip;  // also names the item when its label is empty
    uint8_t disabled;     // 0: the enclosing disabled scope decides
};

// Options of qel_status_progress; null means all zero.
struct qel_status_progress_opts {
    uint64_t reserved;
    const char* label;
    uint8_t indeterminate;
    float bar_width;  // 0 or less: 64
};

// An open status bar, on the scope stack.
struct qel_statusbar_record {
    float available;  // the last frame's width less its padding; 1e9 when unknown
    float used;       // by the items built so far
    float total;      // of all items at full width
    uint8_t overflowing;
    float* remembered;  // the total of the last frame
};

// --- The bar ---

void qel_statusbar_begin(qel_context* ctx, const char* label, const qel_statusbar_opts* options);
void qel_statusbar_end(qel_context* ctx);

// --- Items ---

// A text with an optional icon; null text shows the icon alone.
void qel_status_text(qel_context* ctx, const char* text, const qel_status_text_opts* options);

// A clickable item; true when clicked while enabled. Without a label or tooltip all such items
// share one id.
bool qel_status_item(qel_context* ctx, const char* label, const qel_status_item_opts* options);

// A small bar of value 0..1 (clamped) with an optional label, or a moving segment.
void qel_status_progress(qel_context* ctx, float value, const qel_status_progress_opts* options);

// A growing space.
void qel_status_spacer(qel_context* ctx);

// --- For items of other widgets ---

// Counts an item of label_width (0: none) and extra width into the bar: true when it is to be
// built, with *compact set when it shows its icon only. Without a record always true and full.
bool qel_status_measure(qel_statusbar_record* record, float label_width, bool has_icon, float extra, bool* compact);

// The item node under id: row, centred, 22 high, padding 6, gap 6, own size, corners 6. Not pushed.
int32_t qel_status_node(qel_context* ctx, uint32_t id);

// --- Draw callbacks ---

// The progress item's bar; user is its frame-arena payload.
void qel_status_progress_draw(qel_context* ctx, const qel_node* node, void* user);
