// What several basic widgets read back from the frame's layout tree: the latest node of an id
// and a text's width as the layout measures it. Building the nodes is each widget's own.
#pragma once

#include <cstdint>

#include "qel/types.h"

// The most recently opened node bearing id, -1 when none.
int32_t qel_node_latest_with_id(qel_context* ctx, uint32_t id);

// The text's width in the font role and size, rounded up to a quarter unit like the layout's
// measure; length < 0 up to the terminator, null text 0.
float qel_text_width_measured(qel_context* ctx, uint32_t font, float size, const char* text, int32_t length,
                              bool tabular);
