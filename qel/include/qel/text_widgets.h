// Text and icon leaves, the smallest pieces of every widget: text in the right font role, size,
// colour and line height, headings, icon glyphs, the label and hint lines around form controls,
// code and word chips, and the text link. Each appends to the current parent of the layout tree;
// only the link keeps state. Sizes are in logical units at UI scale 1 unless a call says not.
// Measuring and drawing the glyphs are the text module's.
#pragma once

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_text_ex; null means all defaults.
struct qel_text_opts {
    uint32_t reserved;
    uint32_t font;     // qel_font_role
    float size;        // <= 0: the theme's body size; times the UI scale
    qel_color color;   // a literal or a token, else the text colour
    uint32_t align;    // 0 natural, 1 centre, 2 right, 3 left, 4 end
    uint8_t single_line;  // no wrapping; cut with "…" when it does not fit
    uint8_t tabular;      // every digit in the widest digit's advance
    qel_size width;       // kind fit: not given
    float line_height;    // > 0: a factor of the size replacing 1.45
    uint32_t direction_mode;  // 0 inherit, 1 left-to-right, 2 right-to-left
};

// --- Text ---

// The general text leaf. Without a width, an alignment other than natural or left stretches the
// node across its parent so the alignment has room.
void qel_text_ex(qel_context* ctx, const char* text, const qel_text_opts* options);

// printf-style text, as qel_text_ex with default options.
[[gnu::format(printf, 2, 3)]] void qel_textf(qel_context* ctx, const char* format, ...);

// One line of the label's visible part in the role, size (not scaled) and colour given.
void qel_text_sized(qel_context* ctx, const char* text, uint32_t font, float size, qel_color color);

// Wrapped body text in the medium role; returns its node.
int32_t qel_text_medium(qel_context* ctx, const char* text);

// Wrapped body text in the secondary colour.
void qel_text_muted(qel_context* ctx, const char* text);

// Wrapped small text in the muted colour; returns its node.
int32_t qel_text_small(qel_context* ctx, const char* text);

// A heading of level 1 (largest) to 4; other levels are taken as the nearest.
void qel_heading(qel_context* ctx, const char* text, int32_t level);

// --- Icons ---

// Icon glyphs (UTF-8 in the icon font) at size (not scaled) in a literal colour, centred across
// the parent. Null glyphs add nothing.
void qel_icon_glyph(qel_context* ctx, const char* glyphs, float size, qel_color color);

// The same with defaults: size <= 0 is 16, a colour that is neither literal nor token the text
// colour. Returns the node, -1 for null glyphs.
int32_t qel_icon(qel_context* ctx, const char* glyphs, float size, qel_color color);

// --- Around form controls ---

// The label line above a field (its visible part); nothing for null or empty.
void qel_field_label(qel_context* ctx, const char* text);

// The line under a field: a non-empty error in the danger colour, else the help text in the
// secondary colour; nothing when both are null or empty.
void qel_field_hint(qel_context* ctx, const char* help, const char* error);

// --- Chips and links ---

// Monospace text on a small filled chip.
void qel_code_chip(qel_context* ctx, const char* text);

// A row of small bordered chips, one per word; runs of spaces separate words.
void qel_word_chips(qel_context* ctx, const char* text);

// A text link (its label's visible part): hand cursor, underline on hover, focus ring from the
// keyboard. True in the frame it is clicked or activated by a key.
bool qel_link(qel_context* ctx, const char* label);
