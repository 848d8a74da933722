// Two widgets that wrap the text input with a display form of their own: the editable title (a
// heading-like text that turns into a frameless field when clicked and commits or cancels like a
// rename) and the currency field (an amount with thousands separators while it is not being
// edited, its typing filtered to digits and one decimal point while it is). Numbers are read and
// written with a decimal point whatever the C locale says.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_editable_title; null means all defaults.
struct qel_title_opts {
    uint64_t reserved;
    uint32_t font;            // qel_font_role; 0: medium
    float size;               // > 0: times the UI scale; else the body size
    const char* placeholder;  // shown while the text is empty; null: "Untitled"
    qel_size width;           // kind fit: the title fits its text
};

// Options of qel_currency_input; null means all defaults.
struct qel_currency_opts {
    uint64_t reserved;
    const char* label;   // above the field
    const char* prefix;  // null: "$"
    const char* suffix;
    int32_t decimals;    // > 0 used (at most 17); 0: 2; < 0: none
    qel_size width;      // kind fit: grow
    const char* help;    // the line below
};

// --- Title ---

// Edits buffer (capacity bytes, NUL-terminated) in place. A click, or Enter on its keyboard focus,
// opens the field with the text selected; Enter or leaving commits, Escape restores the text as it
// was, however long. True in the frame a commit leaves a text that differs from the one before.
bool qel_editable_title(qel_context* ctx, const char* label, char* buffer, size_t capacity,
                        const qel_title_opts* options);

// --- Currency ---

// Shows *value as -1,234.50 (decimals as set) while not focused; while focused the text holds
// digits and at most one decimal point ("." or "," typed), and each change becomes the value;
// leaving rounds it to the decimals, and an emptied field reads 0. No minus sign can be typed.
// True when *value changed this frame.
bool qel_currency_input(qel_context* ctx, const char* label, double* value, const qel_currency_opts* options);
