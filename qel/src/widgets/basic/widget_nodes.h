// Small node helpers the basic widgets share: the latest node of an id, a text's width as the
// layout measures it, and rounding all corners alike. What the nodes are is each widget's own.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// The most recently opened node bearing id, -1 when none.
int32_t qel_node_latest_with_id(qel_context* ctx, uint32_t id);

// The text's width in the font role and size, rounded up to a quarter unit like the layout's
// measure; length < 0 up to the terminator, null text 0.
float qel_text_width_measured(qel_context* ctx, uint32_t font, float size, const char* text, int32_t length,
                              bool tabular);

// Gives all four corners the radius.
void qel_node_round(qel_node* node, float radius);
