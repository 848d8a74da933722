// Animated text: a highlight sweeping across muted text, text revealed character by character as
// it streams in, text fading in word by word, a slot cycling through words, a number whose
// changed digits roll to their new values, and text coloured by a moving two-colour gradient.
// Each shows its final, still state when the theme's motion scale is 0 and asks for frames only
// while it moves.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of the shimmer, stream, word-reveal, rotating-word and rolling-number texts; null means
// all zero.
struct qel_text_fx_options {
    uint32_t reserved;
    uint32_t font;    // font role
    float size;       // before the UI scale; not above 0: the body size
    qel_color color;  // 0: the widget's default
    qel_size width;   // kind 0: the text's own width
    uint8_t no_wrap;  // 1 keeps the text on one line
    float rate;       // shimmer: sweeps a second (0.6); stream: characters a second (45); words: words a
                      // second (1 / 0.045)
    float delay;      // seconds before a stream or word reveal starts
    uint8_t caret;    // stream text: a caret after the last revealed character
};

// Options of qel_gradient_text; null means all zero.
struct qel_gradient_text_options {
    uint32_t reserved;
    uint32_t font;
    float size;        // before the UI scale; not above 0: the body size
    qel_color color;   // 0: the accent, or the text colour without an accent preset
    qel_color color2;  // 0: the first colour mixed 0.6 toward the text colour
    uint8_t animate;   // the gradient drifts along the text
    qel_size width;    // kind 0: the text's own width
};

// --- Widgets ---

// Muted text with a bright band sweeping across it, rate sweeps a second.
void qel_shimmer_text(qel_context* ctx, const char* text, const qel_text_fx_options* options);

// Text revealed as it streams in: text that only grew since the last frame keeps its progress,
// any other change starts over. Returns true once the whole text shows.
bool qel_stream_text(qel_context* ctx, const char* id, const char* text, const qel_text_fx_options* options);

// Text whose words fade in and rise into place one after another; a changed text starts over.
void qel_word_reveal(qel_context* ctx, const char* id, const char* text, const qel_text_fx_options* options);

// One of count words at a time, the next rolling in every interval seconds (not above 0: 2.4). A
// null word is empty; the list may shrink between frames.
void qel_rotating_words(qel_context* ctx, const char* id, const char* const* words, int32_t count, float interval,
                        const qel_text_fx_options* options);

// A text holding a number whose changed characters roll to their new values, up for a larger
// value and down for a smaller one; what stands before and after the number stays put.
void qel_rolling_number_text(qel_context* ctx, const char* id, const char* text, const qel_text_fx_options* options);

// Wrapping text coloured by a two-colour gradient across its width.
void qel_gradient_text(qel_context* ctx, const char* text, const qel_gradient_text_options* options);
