// The two passes of qel_text_wrap, for the line tables of edited text, which re-wrap only the
// paragraphs an edit touched: the greedy pass treats every paragraph as if it stood alone, so its
// lines can be made paragraph by paragraph; the refinement then gives the same result as a
// whole wrap would.
#pragma once

#include "qel/text.h"

// The greedy pass on a font index: breaks at the blanks before a character that would pass
// max_width, or before the character itself when its line has no blank. Writes up to max_lines
// records (lines may be null) and returns the full line count.
int32_t qel_text_wrap_greedy(qel_context* ctx, int32_t font, float size, const char* text, int32_t length,
                             float max_width, qel_text_line* lines, int32_t max_lines);

// What qel_text_wrap does after the greedy pass: the n greedy lines of the whole text are
// rebalanced in place for a heading, or re-wrapped so that a lone last word gets company. Texts of
// more than 96 lines stay as they are.
void qel_text_wrap_refine(qel_context* ctx, int32_t font, float size, const char* text, int32_t length,
                          float max_width, qel_text_line* lines, int32_t n);
