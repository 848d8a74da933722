// The theme palette computed from OKLab and OKLCH definitions for each mode and accent, token
// resolution, and the cross-fade between palettes. Sizes and shadows are plain tables.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/color.h"

// Categorical colours follow the palette slots in the block.
enum { CAT_BLUE = 35, CAT_TEAL, CAT_GREEN, CAT_AMBER, CAT_RED, CAT_PINK, CAT_VIOLET };

static const int32_t SLOT_COUNT = 34, COLOR_COUNT = 42;
static const float FADE_SECONDS = 0.32f;

// Per mode of a preset; colours as 0xRRGGBB.
struct accent_colors {
    uint32_t accent, strong, tint_alpha, on_accent, fill, fill_text;
};

struct qel_accent_preset {
    const char* name;
    accent_colors light, dark;
};

static const qel_accent_preset PRESETS[8] = {
    {"neutral", {}, {}},
    {"violet",
     {0x7747FF, 0x5528CE, 33, 0xFFFFFF, 0x7747FF, 0xFFFFFF},
     {0xA78BFF, 0xC7B7FF, 56, 0x15102B, 0x8A66FF, 0xFFFFFF}},
    {"blue",
     {0x0562EF, 0x074DB7, 31, 0xFFFFFF, 0x0562EF, 0xFFFFFF},
     {0x6BA3FF, 0xA4C7FF, 56, 0x0B1526, 0x3B82F6, 0xFFFFFF}},
    {"green",
     {0x00864B, 0x006C36, 33, 0xFFFFFF, 0x00864B, 0xFFFFFF},
     {0x53DCA6, 0x93EFD0, 51, 0x102016, 0x1FAE78, 0xFFFFFF}},
    {"amber",
     {0xF3AD20, 0x9C6300, 41, 0x20190D, 0xEDA11A, 0x2A1C03},
     {0xFFCB62, 0xFFE0A1, 51, 0x20190D, 0xE8A52A, 0x241803}},
    {"orange",
     {0xC25300, 0xA43D00, 33, 0xFFFFFF, 0xC25300, 0xFFFFFF},
     {0xFFAD5E, 0xFFD0A0, 51, 0x17130F, 0xEF873A, 0xFFFFFF}},
    {"coral",
     {0xD1403A, 0xB12926, 36, 0xFFFFFF, 0xD1403A, 0xFFFFFF},
     {0xFF9386, 0xFFC1BA, 51, 0x21110F, 0xEC6A60, 0xFFFFFF}},
    {"rose",
     {0xD23286, 0xB2186E, 36, 0xFFFFFF, 0xD23286, 0xFFFFFF},
     {0xFF8BC5, 0xFFC0DF, 51, 0x250F1B, 0xE457A0, 0xFFFFFF}},
};

static const uint32_t CHART_LIGHT[6] = {0x2A78D6, 0xEB6834, 0x1BAF7A, 0x6250D6, 0xEDA100, 0xE87BA4};
static const uint32_t CHART_DARK[6] = {0x4892ED, 0xE8672E, 0x20AB7A, 0x8E7FE6, 0xD17F00, 0xDD6197};
static const float CHART_HUES[6] = {252, 45, 165, 285, 80, 350};

// Grey lightness of the fixed greys per mode: {slot, light, dark}.
static const struct {
    int32_t slot;
    float light, dark;
} GREYS[] = {
    {QEL_COLOR_BACKGROUND, 1.0f, 0.18f},   {QEL_COLOR_SURFACE, 1.0f, 0.21f},
    {QEL_COLOR_ELEVATED, 1.0f, 0.24f},     {QEL_COLOR_SUBTLE, 0.978f, 0.26f},
    {QEL_COLOR_TEXT, 0.15f, 0.96f},        {QEL_COLOR_TEXT_SECONDARY, 0.46f, 0.77f},
    {QEL_COLOR_TEXT_MUTED, 0.565f, 0.64f}, {QEL_COLOR_BORDER, 0.915f, 0.29f},
    {QEL_COLOR_BORDER_SUBTLE, 0.955f, 0.25f}, {QEL_COLOR_BORDER_STRONG, 0.665f, 0.515f},
    {QEL_COLOR_TRACK, 0.895f, 0.33f},      {QEL_COLOR_TRACK_HOVER, 0.86f, 0.37f},
    {QEL_COLOR_THUMB, 1.0f, 0.97f},
};

struct oklch {
    float L, C, hue;
};

// OKLCH colours per mode: {index, light, dark}.
static const struct {
    int32_t index;
    oklch light, dark;
} HUED[] = {
    {QEL_COLOR_DANGER, {0.55f, 0.19f, 27}, {0.70f, 0.16f, 24}},
    {CAT_BLUE, {0.51f, 0.11f, 240}, {0.79f, 0.095f, 236}},
    {CAT_TEAL, {0.50f, 0.095f, 182}, {0.79f, 0.13f, 182}},
    {CAT_GREEN, {0.50f, 0.12f, 162}, {0.79f, 0.14f, 162}},
    {CAT_AMBER, {0.55f, 0.12f, 68}, {0.83f, 0.12f, 78}},
    {CAT_RED, {0.53f, 0.18f, 10}, {0.71f, 0.155f, 8}},
    {CAT_PINK, {0.52f, 0.17f, 322}, {0.76f, 0.15f, 322}},
    {CAT_VIOLET, {0.51f, 0.16f, 290}, {0.74f, 0.125f, 290}},
};

// Shadow layers per elevation and mode (offset y, blur, spread, alpha).
static const qel_shadow_layer SHADOWS_LIGHT[3][2] = {
    {{1, 2, 0, 0.035f}, {}},
    {{6, 18, 0, 0.065f}, {1, 3, 0, 0.035f}},
    {{12, 32, -4, 0.12f}, {1, 3, 0, 0.06f}},
};
static const qel_shadow_layer SHADOWS_DARK[3][2] = {
    {{1, 2, 0, 0.18f}, {}},
    {{8, 22, 0, 0.22f}, {}},
    {{14, 36, -4, 0.40f}, {1, 3, 0, 0.24f}},
};

static qel_color grey(float L, float alpha)
{
    float lab[3] = {L, 0, 0};
    return qel_color_from_oklab(lab, alpha);
}

// 0xRRGGBB to a packed colour with the given alpha byte.
static qel_color from_rgb(uint32_t rgb, uint32_t alpha)
{
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16 | alpha << 24;
}

static float oklab_hue(qel_color c)
{
    float lab[3];
    qel_color_to_oklab(lab, (uint8_t)c, (uint8_t)(c >> 8), (uint8_t)(c >> 16));
    return atan2f(lab[2], lab[1]) * 180.0f / 3.1415927f;
}

// The chart series rotated so that the first is the one nearest the accent's hue.
static void fill_chart(qel_theme* t, bool dark, uint32_t accent)
{
    const uint32_t* series = dark ? CHART_DARK : CHART_LIGHT;
    int32_t start = 0;
    if (accent != QEL_ACCENT_NEUTRAL) {
        const accent_colors& a = dark ? PRESETS[accent].dark : PRESETS[accent].light;
        float h = oklab_hue(from_rgb(a.accent, 0xFF));
        float best = 1e9f;
        for (int32_t i = 0; i < 6; i++) {
            float d = fabsf(fmodf(CHART_HUES[i] - h + 540.0f, 360.0f) - 180.0f);
            if (d < best) {
                best = d;
                start = i;
            }
        }
    }
    for (int32_t k = 0; k < 6; k++) t->color[QEL_COLOR_CHART1 + k] = from_rgb(series[(start + k) % 6], 0xFF);
}

static void fill_neutral_accent(qel_theme* t, bool dark)
{
    qel_color* c = t->color;
    float L = dark ? 0.80f : 0.33f;
    c[QEL_COLOR_ACCENT] = grey(L, 1);
    c[QEL_COLOR_ACCENT_STRONG] = grey(dark ? 0.91f : 0.24f, 1);
    c[QEL_COLOR_ACCENT_TINT] = grey(L, dark ? 0.13f : 0.1f);
    c[QEL_COLOR_ON_ACCENT] = c[QEL_COLOR_BACKGROUND];
    c[QEL_COLOR_PRIMARY] = grey(dark ? 0.93f : 0.23f, 1);
    c[QEL_COLOR_ON_PRIMARY] = grey(dark ? 0.19f : 1.0f, 1);
    c[QEL_COLOR_THUMB_ON] = c[QEL_COLOR_ON_PRIMARY];
    c[QEL_COLOR_FOCUS_RING] = qel_color_oklch(dark ? 0.73f : 0.58f, 0.15f, 250, 0.9f);
}

static void fill_preset_accent(qel_theme* t, bool dark, const qel_accent_preset* p)
{
    qel_color* c = t->color;
    const accent_colors& m = dark ? p->dark : p->light;
    c[QEL_COLOR_ACCENT] = from_rgb(m.accent, 0xFF);
    c[QEL_COLOR_ACCENT_STRONG] = from_rgb(m.strong, 0xFF);
    // Both modes tint with the light-mode accent colour.
    c[QEL_COLOR_ACCENT_TINT] = from_rgb(p->light.accent, m.tint_alpha);
    c[QEL_COLOR_ON_ACCENT] = from_rgb(m.on_accent, 0xFF);
    c[QEL_COLOR_PRIMARY] = from_rgb(m.fill, 0xFF);
    c[QEL_COLOR_ON_PRIMARY] = from_rgb(m.fill_text, 0xFF);
    c[QEL_COLOR_THUMB_ON] = 0xFFFFFFFF;
    c[QEL_COLOR_FOCUS_RING] = qel_color_mix(c[QEL_COLOR_ACCENT], c[QEL_COLOR_BACKGROUND], dark ? 0.35f : 0.45f);
}

void qel_theme_build(qel_theme* out, uint32_t mode, uint32_t accent)
{
    *out = {};
    bool dark = mode == QEL_THEME_DARK;
    if (accent > QEL_ACCENT_ROSE) accent = QEL_ACCENT_NEUTRAL;
    qel_color* c = out->color;
    for (const auto& g : GREYS) c[g.slot] = grey(dark ? g.dark : g.light, 1);
    for (const auto& h : HUED) {
        const oklch& v = dark ? h.dark : h.light;
        c[h.index] = qel_color_oklch(v.L, v.C, v.hue, 1);
    }
    c[QEL_COLOR_SUCCESS] = c[CAT_GREEN];
    c[QEL_COLOR_WARNING] = c[CAT_AMBER];
    c[QEL_COLOR_INFO] = c[CAT_BLUE];
    c[QEL_COLOR_HOVER] = qel_color_alpha(c[QEL_COLOR_TEXT], 0.05f);
    c[QEL_COLOR_ACTIVE] = qel_color_alpha(c[QEL_COLOR_TEXT], 0.075f);
    c[QEL_COLOR_SCRIM] = dark ? 0x8C000000 : 0x520C0A0A;
    if (accent == QEL_ACCENT_NEUTRAL)
        fill_neutral_accent(out, dark);
    else
        fill_preset_accent(out, dark, &PRESETS[accent]);
    fill_chart(out, dark, accent);

    out->radius_small = 10;
    out->radius_medium = 14;
    out->radius_large = 18;
    out->control_height_small = 30;
    out->control_height_medium = 36;
    out->control_height_large = 44;
    out->text_xs = 11;
    out->text_small = 12;
    out->text_body = 13;
    out->text_large = 15;
    out->heading[0] = 36;
    out->heading[1] = 28;
    out->heading[2] = 22;
    out->heading[3] = 17;
    memcpy(out->shadow, dark ? SHADOWS_DARK : SHADOWS_LIGHT, sizeof out->shadow);
    out->motion_scale = 1;
    out->ui_scale = 1;
}

void qel_theme_init(qel_context* ctx, uint32_t mode, uint32_t accent)
{
    qel_theme_state* s = &ctx->theme;
    s->mode = mode;
    s->accent = accent;
    qel_theme_build(&s->target, mode, accent);
    s->current = s->target;
    s->previous = s->target;
    s->fade = 1;
}

// Starts a fade from whatever shows now, keeping the caller's size adjustments and motion.
static void theme_apply(qel_context* ctx)
{
    qel_theme_state* s = &ctx->theme;
    s->previous = s->current;
    qel_theme_build(&s->target, s->mode, s->accent);
    s->target.radius_small = s->current.radius_small;
    s->target.radius_medium = s->current.radius_medium;
    s->target.radius_large = s->current.radius_large;
    s->target.motion_scale = s->current.motion_scale;
    s->target.ui_scale = s->current.ui_scale;
    s->fade = 0;
    // A change between frames must still reach the window, which may be idle.
    qel_request_redraw(ctx);
}

void qel_theme_set_mode(qel_context* ctx, uint32_t mode)
{
    if (ctx->theme.mode == mode) return;
    ctx->theme.mode = mode;
    theme_apply(ctx);
}

void qel_theme_set_accent(qel_context* ctx, uint32_t accent)
{
    if (ctx->theme.accent == accent) return;
    ctx->theme.accent = accent;
    theme_apply(ctx);
}

uint32_t qel_theme_get_mode(qel_context* ctx)
{
    return ctx->theme.mode;
}

uint32_t qel_theme_get_accent(qel_context* ctx)
{
    return ctx->theme.accent;
}

qel_theme* qel_theme_block_get(qel_context* ctx)
{
    return &ctx->theme.current;
}

void qel_theme_set_reduced_motion(qel_context* ctx, uint8_t on)
{
    ctx->theme.reduced_motion = on;
    ctx->theme.current.motion_scale = on ? 0.0f : 1.0f;
    ctx->theme.target.motion_scale = on ? 0.0f : 1.0f;
}

void qel_theme_update_fade(qel_context* ctx)
{
    qel_theme_state* s = &ctx->theme;
    if (!(s->fade < 1.0f)) return;
    float m = s->current.motion_scale;
    float eased = 1.0f;
    if (m <= 0.0f) {
        s->fade = 1.0f;
    } else {
        s->fade = fminf(s->fade + ctx->clock.dt / (FADE_SECONDS * m), 1.0f);
        float rest = 1.0f - s->fade;
        eased = 1.0f - rest * rest * rest;
    }
    for (int32_t i = 0; i < COLOR_COUNT; i++)
        s->current.color[i] = qel_color_mix(s->previous.color[i], s->target.color[i], eased);
    memcpy(s->current.shadow, s->target.shadow, sizeof s->current.shadow);
    if (s->fade < 1.0f) qel_request_redraw(ctx);
}

qel_color qel_theme_color(qel_context* ctx, int32_t slot)
{
    return slot >= 1 && slot <= SLOT_COUNT ? ctx->theme.current.color[slot] : 0;
}

qel_color qel_color_resolve(qel_context* ctx, qel_color c)
{
    return qel_color_is_token(c) ? qel_theme_color(ctx, (int32_t)(c & 0xFF)) : c;
}

qel_color qel_color_semantic(qel_context* ctx, uint32_t kind)
{
    const qel_color* c = ctx->theme.current.color;
    switch (kind) {
    case QEL_SEMANTIC_INFO: return c[CAT_BLUE];
    case QEL_SEMANTIC_SUCCESS: return c[QEL_COLOR_SUCCESS];
    case QEL_SEMANTIC_WARNING: return c[QEL_COLOR_WARNING];
    case QEL_SEMANTIC_DANGER: return c[QEL_COLOR_DANGER];
    case QEL_SEMANTIC_VIOLET: return c[CAT_VIOLET];
    case QEL_SEMANTIC_TEAL: return c[CAT_TEAL];
    case QEL_SEMANTIC_PINK: return c[CAT_PINK];
    case QEL_SEMANTIC_ACCENT: return c[QEL_COLOR_ACCENT];
    default: return c[QEL_COLOR_TEXT_SECONDARY];
    }
}

const char* qel_theme_accent_name(uint32_t index)
{
    return index <= QEL_ACCENT_ROSE ? PRESETS[index].name : PRESETS[QEL_ACCENT_NEUTRAL].name;
}
