// Bidirectional text: the classes of code points, the embedding levels of one paragraph without
// explicit embeddings, the visual order of a line and mirrored characters. No context, no
// allocation; splitting text into paragraphs and lines, decoding it and handling combining marks
// on reversed runs are the caller's.
#pragma once

#include <cstdint>

// Bidi classes, in the order of Unicode's table of Bidi_Class values.
enum qel_bidi_class {
    QEL_BIDI_L,
    QEL_BIDI_R,
    QEL_BIDI_AL,
    QEL_BIDI_EN,
    QEL_BIDI_ES,
    QEL_BIDI_ET,
    QEL_BIDI_AN,
    QEL_BIDI_CS,
    QEL_BIDI_NSM,
    QEL_BIDI_BN,
    QEL_BIDI_B,
    QEL_BIDI_S,
    QEL_BIDI_WS,
    QEL_BIDI_ON,
    QEL_BIDI_LRE,
    QEL_BIDI_LRO,
    QEL_BIDI_RLE,
    QEL_BIDI_RLO,
    QEL_BIDI_PDF,
    QEL_BIDI_LRI,
    QEL_BIDI_RLI,
    QEL_BIDI_FSI,
    QEL_BIDI_PDI,
};

// One character of a paragraph. The caller fills the code point; qel_bidi_resolve_levels fills
// the rest.
struct qel_bidi_char {
    uint32_t code_point;
    int32_t partner;     // of an opening bracket: the index of its closing bracket, -1 for none
    uint8_t bidi_class;  // as looked up; the explicit formatting classes (LRE to PDI) read as BN
    uint8_t resolved;    // the class the weak and neutral rules leave
    uint8_t level;       // 0, 1 or 2
};

// 0 for a left-to-right letter (class L), 1 for a right-to-left one (R or AL), -1 otherwise.
int qel_bidi_direction(uint32_t code_point);

// Resolves the paragraph chars[0 .. count-1] as one run at the paragraph level, treating explicit
// embeddings, overrides and isolates as BN. direction < 0 takes the paragraph's direction from its
// first strong letter (left to right without one), 0 is left to right, > 0 right to left. Returns
// the paragraph level, 0 or 1; for count < 1 nothing is touched and it returns 0 for an
// automatic direction, direction itself otherwise.
int qel_bidi_resolve_levels(qel_bidi_char* chars, int count, int direction);

// The display of the line chars[start .. start+count-1] of a resolved paragraph: levels[i] is
// the level of chars[start + i] once trailing whitespace and separators are reset to the
// paragraph level, and visual[k] the index into chars (not from start) of the character shown at
// visual position k, left to right. Nothing happens for count < 1.
void qel_bidi_reorder(const qel_bidi_char* chars, int start, int count, int paragraph_level, uint32_t* visual,
                      uint8_t* levels);

// The character to show for a code point at an embedding level: on an odd level its mirrored
// counterpart ("(" for ")") when it has one; otherwise the code point itself.
uint32_t qel_bidi_mirror(uint32_t code_point, int level);
