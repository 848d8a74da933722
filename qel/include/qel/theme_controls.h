// Two ready-made controls that change the toolkit's light or dark theme: a small segmented switch
// of icon segments (light, dark and, when offered, system) and a single icon button that flips
// the mode. The mode itself is theme.h's; the segmented control is choice_controls.h's.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Controls ---

// *choice is 0 light, 1 dark, 2 system (offered only with with_system); a choice outside those is
// first replaced by the current mode. Picking light or dark sets that mode; following the system
// is left to the caller. True when a segment was picked this frame.
bool qel_theme_switcher(qel_context* ctx, uint32_t* choice, bool with_system);

// An icon button showing the mode a click switches to. True when clicked.
bool qel_theme_toggle(qel_context* ctx);
