// Hover tooltips: one per context, asked for by the item it belongs to in every frame the pointer
// rests on it, shown after a delay (at once right after another tooltip), gliding from the last
// item it was shown for, and drawn above everything at frame end. "label  ·  keys" shows the keys
// as keycaps.
#pragma once

#include "qel/types.h"

// The tooltip of the last item (qel_last_item_id); call it right after the item. Null text or no
// last item asks for nothing.
void qel_tooltip(qel_context* ctx, const char* text);
// The tooltip of an id the caller hit-tests itself; call it while the pointer is over the thing.
void qel_tooltip_for(qel_context* ctx, uint32_t id, const char* text);
