// What the animated and showcase widgets share: whether motion runs, the colour that follows the
// accent, a text node whose glyphs pass through a colour callback, and the pointer of a drag
// while it stays a real position inside the window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qel/font.h"
#include "qel/layout.h"
#include "qel/text.h"
#include "qel/types.h"

// True while the theme's motion scale is above 0.
bool qel_motion_on(qel_context* ctx);

// Asks for a frame after seconds; nothing for a wait that never ends (an infinite interval or
// delay), which no frame clock could hold.
void qel_redraw_after(qel_context* ctx, double seconds);

// At most max bytes of the length bytes of text (below 0: all of it) into out, cut where a
// character starts, and terminated; out may be text itself.
void qel_copy_whole_chars(char* out, const char* text, int32_t length, int32_t max);

// The accent when an accent preset is set, else the text colour; a token.
qel_color qel_accent_or_text(qel_context* ctx);

// A text node whose glyphs pass through a colour callback while it is drawn.
struct qel_fx_text {
    qel_glyph_color_fn glyph;  // called with this record as its user pointer
    void (*after)(qel_context* ctx, const qel_fx_text* fx);  // after the text, when set
    qel_color color;  // resolved
    qel_rect rect;    // the node's, once drawn
    uint32_t font;
    float size, line_box;  // the text size and the height of one line
    const char* text;      // frame arena
    int32_t length;
    qel_text_line* lines;  // lines of the caller's own, frame arena; null: the node's
    int32_t line_count;
    const char* last_line;  // the last line drawn, its length and the top of its box
    int32_t last_line_length;
    float last_line_top;
    void* payload;         // frame arena
};

// A text node of length bytes of text (below 0: all of it) in font and size, drawn in color with
// every glyph through glyph, which sees the glyph's byte offset in the whole text and the top of
// its line box; payload_size bytes of payload are copied for it. wrap breaks the text into lines;
// a width kind above 0 sets its width. The node carries id (0 none).
qel_fx_text* qel_fx_text_node(qel_context* ctx, uint32_t id, const char* text, int32_t length, uint32_t font,
                              float size, qel_color color, bool wrap, qel_size width, qel_glyph_color_fn glyph,
                              const void* payload, size_t payload_size);

// The same text already broken into line_count lines (byte ranges of text), in a node of the
// width rule as tall as the lines; no text node, so the layout measures nothing of a long text.
qel_fx_text* qel_fx_lines_node(qel_context* ctx, uint32_t id, const char* text, const qel_text_line* lines,
                               int32_t line_count, uint32_t font, float size, qel_color color, qel_size width,
                               qel_glyph_color_fn glyph, const void* payload, size_t payload_size);

// The text size of an options record: size (the body size when not above 0) at the UI scale.
float qel_fx_text_size(qel_context* ctx, float size);
