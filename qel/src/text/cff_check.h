// Whether a font's CFF outlines may be handed to the rasteriser: its header and indexes, the top,
// private and font DICTs it reads, the font DICT of each glyph, and every glyph's charstring run
// the way the rasteriser runs it, for the subroutines it calls, the operators it executes and the
// size of the numbers it adds up. The sfnt tables around the CFF are font_check's.
#pragma once

#include <cstdint>

#include "text/byte_span.h"

enum { QEL_CFF_MAX_CHARSTRING_OPS = 1 << 14 };  // one glyph's operators, subroutines included

// True when every glyph below glyph_count can be drawn from the CFF table.
bool qel_cff_check(qel_span cff, uint32_t glyph_count);
