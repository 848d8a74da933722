// The command palette: a modal search box over the whole window, above every sheet and popup,
// that lists the application's commands, filters them by a fuzzy subsequence match as the user
// types (each query character found in order scores 5 at a word's start, else 2, plus the run
// matched just before it), ranks the matches, and returns the command chosen with Enter or a click.
#pragma once

#include "qel/types.h"

// --- Records ---

// One command of the caller's array; null fields are none.
struct qel_command {
    const char* label;
    const char* icon;      // glyphs at 16 px
    const char* group;     // section caption, shown while the query is empty
    const char* shortcut;  // words shown as key chips, separated by spaces
};

// --- Palette ---

// Shows while *open is 1 and writes 0 into it when dismissed (Escape, a click on the scrim) or
// when a command is chosen. Returns the chosen command's index in that frame, else -1. A null
// open flag or command list shows nothing to choose.
int32_t qel_command_palette(qel_context* ctx, uint8_t* open, const qel_command* commands, uint32_t count);
