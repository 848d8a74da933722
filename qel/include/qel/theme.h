// The theme: a palette of 34 named colours computed for a light or dark mode and one of eight
// accents, seven categorical colours, sizes and radii, three levels of shadow, and the cross-fade
// that runs when mode or accent change. Colour arguments anywhere in the toolkit may be tokens
// that name a palette slot and resolve here at draw time.
#pragma once

#include "qel/types.h"

// --- Records ---

// Palette slots, also the low byte of a theme token.
enum qel_theme_slot : uint32_t {
    QEL_COLOR_BACKGROUND = 1,
    QEL_COLOR_SURFACE = 2,
    QEL_COLOR_ELEVATED = 3,
    QEL_COLOR_SUBTLE = 4,
    QEL_COLOR_TEXT = 5,
    QEL_COLOR_TEXT_SECONDARY = 6,
    QEL_COLOR_TEXT_MUTED = 7,
    QEL_COLOR_BORDER = 8,
    QEL_COLOR_BORDER_SUBTLE = 9,
    QEL_COLOR_BORDER_STRONG = 10,
    QEL_COLOR_ACCENT = 11,
    QEL_COLOR_ACCENT_STRONG = 12,
    QEL_COLOR_ACCENT_TINT = 13,
    QEL_COLOR_ON_ACCENT = 14,
    QEL_COLOR_SUCCESS = 15,
    QEL_COLOR_WARNING = 16,
    QEL_COLOR_DANGER = 17,
    QEL_COLOR_INFO = 18,
    QEL_COLOR_PRIMARY = 19,
    QEL_COLOR_ON_PRIMARY = 20,
    QEL_COLOR_TRACK = 21,
    QEL_COLOR_TRACK_HOVER = 22,
    QEL_COLOR_THUMB = 23,
    QEL_COLOR_THUMB_ON = 24,
    QEL_COLOR_HOVER = 25,
    QEL_COLOR_ACTIVE = 26,
    QEL_COLOR_SCRIM = 27,
    QEL_COLOR_FOCUS_RING = 28,
    QEL_COLOR_CHART1 = 29,
    QEL_COLOR_CHART2 = 30,
    QEL_COLOR_CHART3 = 31,
    QEL_COLOR_CHART4 = 32,
    QEL_COLOR_CHART5 = 33,
    QEL_COLOR_CHART6 = 34,
};

enum qel_theme_mode : uint32_t { QEL_THEME_LIGHT = 0, QEL_THEME_DARK = 1 };

enum qel_accent : uint32_t {
    QEL_ACCENT_NEUTRAL = 0,
    QEL_ACCENT_VIOLET = 1,
    QEL_ACCENT_BLUE = 2,
    QEL_ACCENT_GREEN = 3,
    QEL_ACCENT_AMBER = 4,
    QEL_ACCENT_ORANGE = 5,
    QEL_ACCENT_CORAL = 6,
    QEL_ACCENT_ROSE = 7,
};

enum qel_semantic : uint32_t {
    QEL_SEMANTIC_INFO = 1,
    QEL_SEMANTIC_SUCCESS = 2,
    QEL_SEMANTIC_WARNING = 3,
    QEL_SEMANTIC_DANGER = 4,
    QEL_SEMANTIC_VIOLET = 5,
    QEL_SEMANTIC_TEAL = 6,
    QEL_SEMANTIC_PINK = 7,
    QEL_SEMANTIC_ACCENT = 8,
};

// One layer of an elevation shadow; alpha 0 means no layer.
struct qel_shadow_layer {
    float offset_y, blur, spread, alpha;
};

// A theme block. color[0] stays 0, 1..34 are the palette slots, 35..41 the categorical colours
// blue, teal, green, amber, red, pink and violet.
struct qel_theme {
    qel_color color[42];
    float radius_small, radius_medium, radius_large;
    float control_height_small, control_height_medium, control_height_large;
    float text_xs, text_small, text_body, text_large;
    float heading[4];               // heading sizes 1 to 4
    qel_shadow_layer shadow[3][2];  // two layers for each elevation 1, 2, 3
    float motion_scale;             // 1, or 0 with reduced motion
    float ui_scale;
};

// --- Tokens ---

constexpr qel_color QEL_TOKEN_BASE = 0x001DC500u;

// The token that stands for a palette slot.
constexpr qel_color qel_color_token(qel_theme_slot slot)
{
    return QEL_TOKEN_BASE | ((uint32_t)slot & 0xFF);
}

// True for 0x001DC5nn with nn non-zero; 0x001DC500 is an ordinary transparent colour.
constexpr bool qel_color_is_token(qel_color c)
{
    return (c & 0xFFFFFF00u) == QEL_TOKEN_BASE && (c & 0xFF) != 0;
}

// A colour argument: a literal (alpha not 0) or a palette token as given, anything else the
// fallback.
constexpr qel_color qel_color_arg(qel_color color, qel_color fallback)
{
    return (color >> 24) != 0 || qel_color_is_token(color) ? color : fallback;
}

// --- Reading the theme ---

// A token's current palette colour (0 for slots above 34); any other value unchanged.
qel_color qel_color_resolve(qel_context* ctx, qel_color c);

// Palette slot 1..34 of the current block, 0 for any other slot.
qel_color qel_theme_color(qel_context* ctx, int32_t slot);

// The colour of a qel_semantic kind; secondary text for an unknown kind.
qel_color qel_color_semantic(qel_context* ctx, uint32_t kind);

// The block everything draws with. Callers may read it or adjust its sizes and metrics.
qel_theme* qel_theme_block_get(qel_context* ctx);

uint32_t qel_theme_get_mode(qel_context* ctx);
uint32_t qel_theme_get_accent(qel_context* ctx);

// The accent preset's name, "neutral" for an index out of range.
const char* qel_theme_accent_name(uint32_t index);

// --- Changing the theme ---

// Mode 1 is dark, anything else light; accents 8 and above build as neutral but are kept as
// given. A change cross-fades the palette over 0.32 s; the same value again does nothing.
void qel_theme_set_mode(qel_context* ctx, uint32_t mode);
void qel_theme_set_accent(qel_context* ctx, uint32_t accent);

// Reduced motion sets the motion scale to 0: fades and animations jump to their end.
void qel_theme_set_reduced_motion(qel_context* ctx, uint8_t on);

// Builds a complete block for a mode and accent, without touching any context.
void qel_theme_build(qel_theme* out, uint32_t mode, uint32_t accent);
