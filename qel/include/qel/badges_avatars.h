// Small display widgets without interaction: the badge (a label chip in a semantic colour, with
// an optional dot and icon), the avatar (initials on a colour chosen from the name, or an image,
// with an optional presence dot) and the avatar group (overlapping avatars and a count of the
// rest). Colours come from the theme; images are textures the caller owns.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// Options of qel_badge; null means all defaults (medium, neutral, tinted).
struct qel_badge_opts {
    uint32_t reserved;
    uint32_t kind;      // qel_semantic 1..8; 0 neutral
    uint8_t dot;        // a small dot before the text
    uint8_t solid;      // filled with the colour; otherwise tinted
    const char* icon;   // icon glyphs before the text
    uint32_t size;      // 1 small (20 high), 2 large (26), else medium (22)
};

// Options of qel_avatar; null means all defaults.
struct qel_avatar_opts {
    uint32_t reserved;
    float size;              // diameter; <= 0: 32
    uint64_t texture;        // 0: the name's initials
    const char* presence;    // "online", "busy", "away", any other text a muted dot; null: none
    uint8_t rounded_square;  // corner radius 0.28 x size instead of a circle
};

// --- Badges ---

// The whole text on a small rounded chip.
void qel_badge(qel_context* ctx, const char* text, const qel_badge_opts* options);

// --- Avatars ---

// A round avatar showing the texture, else up to two initials of name (words split at spaces,
// hyphens and full stops). The same name always gets the same colour; null reads as "".
void qel_avatar(qel_context* ctx, const char* name, const qel_avatar_opts* options);

// The first max_shown (< 1: 4) of count names as overlapping avatars of size (<= 0: 32), and a
// "+N" circle for the rest.
void qel_avatar_group(qel_context* ctx, const char* const* names, int32_t count, int32_t max_shown, float size);
