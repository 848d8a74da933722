// The emoji catalogue: the compressed text compiled into the program, its entries once inflated,
// which of them the loaded font can draw, skin tones, and matching a search against names.
#pragma once

#include <cstdint>

#include "emoji_font.h"

enum {
    QEL_EMOJI_CATALOGUE_DEFLATED = 16476,
    QEL_EMOJI_CATALOGUE_BYTES = 41184,
    QEL_EMOJI_CATALOGUE_ENTRIES = 1914,
    QEL_EMOJI_CATEGORIES = 9,
    QEL_EMOJI_TONE_LIMIT = 55,  // a toned sequence stops after the code point that passes this
};

extern const uint8_t qel_emoji_catalogue_deflated[QEL_EMOJI_CATALOGUE_DEFLATED];

// One emoji line: offsets into the text, lengths (a name of 255 bytes or more reads 255), the
// category 0..8, the version index (0 for E0.6) and whether it takes a skin tone.
struct qel_emoji_entry {
    uint32_t sequence, name;
    uint8_t sequence_length, name_length, category, version, skin_tone;
};

// A sequence of up to 63 bytes, terminated.
struct qel_emoji_text {
    char text[64];
    uint32_t length;
};

// The catalogue of the context, inflated and parsed at the first call; false when it is not
// available. The renderable flags follow the loaded font.
bool qel_emoji_catalogue_ready(qel_context* ctx, qel_emoji_state* st);

// Frees the text, the entries and the flags.
void qel_emoji_catalogue_release(qel_context* ctx, qel_emoji_state* st);

// The sequence with the modifier of tone (1..5) after each code point that takes one.
qel_emoji_text qel_emoji_apply_skin_tone(const char* sequence, int32_t length, int32_t tone);

// True when every word of the query (runs of bytes other than space) starts the name or a word
// of it (after a space, "(", "-" or ":"), ignoring ASCII case.
bool qel_emoji_name_matches(const char* name, int32_t name_length, const char* query);
