// Three widgets made of buttons: the button group (a joined row with one outer border, separators
// between its buttons and only the outer corners rounded, tightening their padding when room is
// short), the copy button (puts a text on the clipboard and confirms with a check mark for 1.6
// s) and the press-and-hold button (fires only after being held for a while, a darker fill
// sweeping across it meanwhile). The buttons themselves are button.h's.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_hold_button; null means all defaults.
struct qel_hold_opts {
    uint32_t reserved;
    float duration;            // seconds of holding; <= 0: 1.2
    const char* leading_icon;  // icon glyphs
    uint32_t variant;          // qel_button_variant; 0: danger
};

// What a hold button's draw callback paints.
struct qel_hold_record {
    float progress;  // 0..1 of the width filled
    qel_color color;
};

// --- Button groups ---

// Buttons built between these are joined into one group; plain buttons inside turn ghost. Each
// begin is matched by one end.
void qel_button_group_begin(qel_context* ctx);
void qel_button_group_end(qel_context* ctx);

// --- Copy and hold ---

// An icon button that puts text (null: nothing) on the platform's clipboard when clicked and shows
// a check mark, "Copied", for 1.6 s. True in the frame it is clicked.
bool qel_copy_button(qel_context* ctx, const char* label, const char* text);

// A button that must be held (pointer, or Space or Enter with a visible keyboard focus) for the
// duration. True once, in the frame the hold completes; holding on does not fire again until it
// was let go. Letting go early drains the fill and fires nothing.
bool qel_hold_button(qel_context* ctx, const char* label, const qel_hold_opts* options);

// --- Draw callbacks ---

// The group's separators between its children; user is not read.
void qel_button_group_separator(qel_context* ctx, const qel_node* node, void* user);

// user points to a qel_hold_record.
void qel_hold_progress_draw(qel_context* ctx, const qel_node* node, void* user);
