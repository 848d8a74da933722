// Pieces the picker widgets share: the accent-or-fallback colour, the prefix match of type-ahead,
// the pointer over an id's last rectangle, the row height of tables, the trigger field of the
// pickers that open a popup, the rows of checklist popups and the drag that measures a fling. Boxes, row radii, text leaves
// and draw callbacks come from the widgets' node helpers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/input.h"
#include "qel/layout.h"
#include "qel/types.h"

// The accent palette slot when an accent preset is set, else the fallback slot.
qel_color qel_picker_accent(qel_context* ctx, uint32_t fallback_slot);

// True when text opens with the length bytes of prefix, A to Z matching a to z (other bytes as
// they are); a text shorter than that does not.
bool qel_starts_with_nocase(const char* text, const char* prefix, int32_t length);

// True when the pointer is inside the rectangle id had last frame (none before its first frame).
bool qel_picker_pointer_over(qel_context* ctx, uint32_t id);

// A table's row height: fallback for one not above 0 (or no number), else held to 1..10000 px, so
// that dividing a view by it and turning the result into a row count stays within an integer.
float qel_picker_row_height(float given, float fallback);

// --- Fields that open a popup ---

struct qel_popup_slot;

// The trigger field of a picker: its interaction, its popup's slot and its hover amount, the
// first float of the state under its id.
struct qel_picker_field {
    uint32_t id, popup;
    qel_interaction it;
    qel_popup_slot* slot;  // null when every popup slot is busy
    float* hover;
};

// Interacts with the field of label (focusable), finds its popup (id XOR popup_key) and eases the
// hover; state_size bytes of state are kept under the field's id, a float of hover first.
qel_picker_field qel_picker_field_interact(qel_context* ctx, const char* label, uint32_t popup_key, size_t state_size);

// Opens the trigger row (with its label column when label is given), pushed, 3 units of padding
// above and below, at least min_width wide without a label; closed by qel_picker_field_end.
int32_t qel_picker_field_begin(qel_context* ctx, const qel_picker_field* f, const char* label, qel_size width,
                               float min_width);
void qel_picker_field_end(qel_context* ctx, const qel_picker_field* f, const char* label, qel_size width,
                          int32_t node);

// --- Checklist rows ---

// A row of a checklist popup under id: growing across the list, height tall, children centred in
// a padded row, row radius corners, the active colour at tint (0..1) and the hand while hovered.
// Pushed; the caller pops it.
int32_t qel_picker_check_row(qel_context* ctx, uint32_t id, float height, float tint, bool hovered);

// --- Drags with a fling ---

// A drag along one axis that measures how fast it ends.
struct qel_picker_drag {
    uint8_t dragging;
    float start, start_value;  // the pointer and the value at the press
    float fling;               // value units per second
    float last;
    double last_time;
};

// Starts a drag at the pointer coordinate from value.
void qel_picker_drag_press(qel_context* ctx, qel_picker_drag* d, float pointer, float value);

// The value the pointer moved the drag to (units_per_unit value units per unit of travel, the
// value falling as the pointer coordinate grows); updates the fling.
float qel_picker_drag_move(qel_context* ctx, qel_picker_drag* d, float pointer, float value_per_unit);
