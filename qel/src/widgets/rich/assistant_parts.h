// Pieces the assistant widgets share: the status icon, the collapsible body of reasoning blocks
// and tool cards, the host of a source's URL with its monogram, the elapsed-time text, and the
// colours they pick.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// The host of a URL without a scheme and a leading "www.", in the frame arena; null gives "".
const char* qel_assistant_url_host(qel_context* ctx, const char* url);

// Elapsed seconds as "59s" or "1m 01s", clamped to 0 .. 2^31 - 1 first (not a number: 0); frame
// arena.
const char* qel_assistant_elapsed_text(qel_context* ctx, float seconds);

// True when the text's first character other than a space, tab or line feed is "{" or "[".
bool qel_assistant_looks_json(const char* text);

// The first character of the host upper-cased (a to z only), "?" for an empty host; frame arena.
const char* qel_assistant_monogram_letter(qel_context* ctx, const char* host);

// A size x size square with the host's letter on its colour.
void qel_assistant_monogram(qel_context* ctx, const char* host, float size);

// A size x size status icon (qel_assistant_status).
void qel_assistant_status_icon(qel_context* ctx, uint32_t status, float size);

// The accent when the theme has an accent preset, else the text colour.
qel_color qel_assistant_accent_or_text(qel_context* ctx);

// The glyph of an icon-font code point as UTF-8, in the frame arena, and a leaf showing it.
const char* qel_assistant_glyph(qel_context* ctx, uint32_t code_point);
int32_t qel_assistant_glyph_leaf(qel_context* ctx, uint32_t code_point, float size, qel_color color);

// The theme's xs text size times the UI scale.
float qel_assistant_xs_size(qel_context* ctx);

// A one-line text leaf with tabular figures.
int32_t qel_assistant_tabular_leaf(qel_context* ctx, const char* text, uint32_t font, float size, qel_color color);

// A row under id of the width, its children aligned across it, with the gap; pushed.
int32_t qel_assistant_row_pushed(qel_context* ctx, uint32_t id, qel_size width, uint32_t align, float gap);

// Emits the collapsible body at open fraction t under id body (qel_collapsible_body_open), with
// the left padding, moved up while it opens; a closing body goes in a disabled scope. Returns the
// body node; qel_assistant_body_close closes the scope and both nodes.
int32_t qel_assistant_body_open(qel_context* ctx, uint32_t body, float t, bool open, float pad_left, float* height);
void qel_assistant_body_close(qel_context* ctx);

// Open fraction, hover and the body's height of a reasoning block or tool card.
struct qel_assistant_fold {
    float spring[2];
    float hover;
    float body_height;
    uint8_t initialised, open, was_running, toggled, started;
};
