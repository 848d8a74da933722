// Toggle cells: a row of up to 32 joined cells, each with an icon and/or a text, that the user
// switches on and off, each by itself (a set of filters) or exactly one of them (a choice). The
// caller keeps the on/off flags.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options of qel_code_input; null means all zero.
struct qel_toggle_cells_opts {
    uint64_t reserved;
    const char* const* icons;  // one icon glyph text or null per cell; null: no icons
    uint8_t single;            // exactly one cell on: a click turns the others off
    uint8_t icon_only;         // a cell with an icon shows no text; the text is its tooltip
    uint32_t size;             // 1 small, 2 large, else medium
};

// --- Cells ---

// flags holds one byte per cell (non-zero: on). A click flips its cell, or with single makes it the
// only one on (clicking the one on keeps it on); Left and Right move the keyboard focus between
// cells. count < 1 draws nothing; cells past 32 are ignored and their flags never touched. True
// when a cell was clicked this frame.
bool qel_code_input(qel_context* ctx, const char* label, const char* const* texts, int32_t count, uint8_t* flags,
                    const qel_toggle_cells_opts* options);
