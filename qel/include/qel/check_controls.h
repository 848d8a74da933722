// Checkboxes, switches and radios: the two-state controls of the toolkit. All three share one body,
// a row of an animated box (square, track with a sliding knob, or circle) and a label with an
// optional description; the wrappers only derive the id and decide what a click changes. Hover,
// press and focus feel are widget_feel's.
#pragma once

#include <cstdint>

#include "qel/input.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of the check controls; null means all defaults.
struct qel_check_opts {
    uint64_t reserved;
    const char* description;  // a smaller second line under the label; null: none
    uint8_t disabled;         // 0: as the enclosing disabled scope
    uint8_t indeterminate;    // checkbox only: a bar instead of the check mark
};

// The box a body draws.
enum qel_check_mode : uint32_t {
    QEL_CHECK_BOX = 0,
    QEL_CHECK_SWITCH = 1,
    QEL_CHECK_RADIO = 2,
};

// What the box's draw callback paints, made per frame.
struct qel_check_record {
    float value, velocity;  // the check spring; may overshoot 1
    float hover, press, focus;
    uint8_t indeterminate;
    uint32_t mode;  // qel_check_mode
};

// --- On and off ---
// Each returns true in the frame the row was clicked while enabled, after changing the value.
// A disabled control (by option or scope) is drawn faded and changes nothing.

bool qel_checkbox(qel_context* ctx, const char* label, bool* value, const qel_check_opts* options);
bool qel_toggle_switch(qel_context* ctx, const char* label, bool* value, const qel_check_opts* options);

// --- One of several ---

// Drawn checked while *selected == value; a click sets *selected = value and reports true only
// when that was a change. Radios of one label differ by their value.
bool qel_radio(qel_context* ctx, const char* label, int32_t* selected, int32_t value, const qel_check_opts* options);

// A column of radios, one per label with its index as the value, under the id scope of id_label.
// True when the selection changed.
bool qel_radio_group(qel_context* ctx, const char* id_label, const char* const* labels, int32_t count,
                     int32_t* selected);

// --- The shared body ---

// Builds the row for the item id in a qel_check_mode, drawn checked or not, and returns the
// item's interaction; *out_disabled (may be null) tells whether the control was disabled.
qel_interaction qel_check_body(qel_context* ctx, uint32_t id, uint32_t mode, bool checked, const char* label,
                               const qel_check_opts* options, bool* out_disabled);

// The box; user points to a qel_check_record.
void qel_check_draw(qel_context* ctx, const qel_node* node, void* user);
