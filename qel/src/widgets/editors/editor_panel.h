// What the curve and gradient editors' panels share: the rows their controls stand in, the sizes
// that grow in the narrow layout, and the Remove button.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// Grow 1 when grow is set, else fixed units.
qel_size qel_editor_size(bool grow, float fixed);

// Opens a full-width container of the direction with an 8-unit gap: a row centres its controls, a
// column stretches them. Closed with qel_container_end.
void qel_editor_panel_row(qel_context* ctx, uint32_t direction);

// The ghost icon button with the bin glyph and the tooltip (its id); true when clicked.
bool qel_editor_remove_button(qel_context* ctx, const char* tooltip, bool disabled);
