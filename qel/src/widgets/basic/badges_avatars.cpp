// Badges and avatars: the semantic colour table of badges, initials and the name's colour of
// avatars, their presence dot and the overlapping group. Images are drawn by the image widget's
// callback.
#include "qel/badges_avatars.h"

#include <cstring>

#include "core/core.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/display_blocks.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/layout.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "kit/widget_nodes.h"

static const float DEFAULT_AVATAR = 32.0f;
static const int32_t INITIALS_MAX = 7;

// --- Badges ---

struct badge_colors {
    qel_color fill, ink, dot;
};

static badge_colors badge_colors_of(qel_context* ctx, uint32_t kind, bool solid)
{
    bool semantic = kind >= QEL_SEMANTIC_INFO && kind <= QEL_SEMANTIC_ACCENT;
    qel_color c = qel_color_semantic(ctx, kind);
    if (solid && semantic) {
        qel_color ink = qel_dark_mode(ctx) ? 0xFF161414u : 0xFFFFFFFFu;
        return {c, ink, ink};
    }
    if (solid) {
        qel_color ink = qel_theme_color(ctx, QEL_COLOR_BACKGROUND);
        return {qel_theme_color(ctx, QEL_COLOR_TEXT), ink, ink};
    }
    if (semantic) {
        qel_color fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), c, qel_dark_mode(ctx) ? 0.18f : 0.12f);
        qel_color ink = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT), c, qel_dark_mode(ctx) ? 0.8f : 0.88f);
        return {fill, qel_color_contrast(ink, fill, 4.5f), c};
    }
    return {qel_theme_color(ctx, QEL_COLOR_ACTIVE), qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED)};
}

void qel_badge(qel_context* ctx, const char* text, const qel_badge_opts* options)
{
    const qel_badge_opts none = {};
    const qel_badge_opts* o = options ? options : &none;
    bool small = o->size == 1;
    float height = small ? 20.0f : o->size == 2 ? 26.0f : 22.0f;
    badge_colors colors = badge_colors_of(ctx, o->kind, o->solid != 0);

    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->gap = 5;
    n->pad_left = n->pad_right = small ? 7.0f : 8.0f;
    qel_node_round(n, small ? 5.0f : 6.0f);
    n->fill = colors.fill;
    qel_node_push(ctx, index);
    if (o->dot) {
        int32_t dot = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 6}, {QEL_SIZE_FIXED, 6});
        qel_node_round(qel_node_at(ctx, dot), 3);
        qel_node_at(ctx, dot)->fill = colors.dot;
    }
    if (o->icon) qel_icon_glyph(ctx, o->icon, 12, colors.ink);
    qel_text_leaf(ctx, text, -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), colors.ink, false, 1.2f);
    qel_node_pop(ctx);
}

// --- Avatars ---

// The theme's categorical colours in the order names are spread over them.
static qel_color avatar_color(qel_context* ctx, const char* name)
{
    enum { BLUE = 35, TEAL, GREEN, AMBER, RED, PINK, VIOLET };
    static const int32_t ORDER[7] = {BLUE, VIOLET, TEAL, AMBER, RED, GREEN, PINK};
    const qel_color* c = qel_theme_block_get(ctx)->color;
    int32_t pick = ORDER[qel_hash_str(name, 7) % 7];
    // Dark avatars take a blue-violet in amber's place.
    if (pick == AMBER && qel_dark_mode(ctx)) return qel_color_mix(c[BLUE], c[VIOLET], 0.5f);
    return c[pick];
}

static bool separates_words(char c)
{
    return c == ' ' || c == '-' || c == '.';
}

// The first character of each word, ASCII letters upper-cased, until two ASCII initials (or one
// wider character and the next word's) are collected.
static void initials_of(const char* name, char* out)
{
    int32_t length = (int32_t)strlen(name), used = 0;
    bool word_start = true;
    for (int32_t i = 0; i < length && used <= INITIALS_MAX;) {
        if (separates_words(name[i])) {
            word_start = true;
            i++;
            continue;
        }
        uint32_t cp;
        int32_t bytes = qel_utf8_decode((const uint8_t*)name + i, length - i, &cp);
        i += bytes;
        if (!word_start) continue;
        word_start = false;
        if (cp >= 'a' && cp <= 'z') cp -= 'a' - 'A';
        used += qel_utf8_encode(cp, (uint8_t*)out + used);
        if (used >= 2 && cp < 0x80) break;
    }
    out[used] = 0;
}

static void presence_dot(qel_context* ctx, const char* presence, float size)
{
    qel_theme_slot color = QEL_COLOR_TEXT_MUTED;
    if (strcmp(presence, "online") == 0) color = QEL_COLOR_SUCCESS;
    else if (strcmp(presence, "busy") == 0) color = QEL_COLOR_DANGER;
    else if (strcmp(presence, "away") == 0) color = QEL_COLOR_WARNING;
    float d = size * 0.28f > 8.0f ? size * 0.28f : 8.0f;
    int32_t dot = qel_node_floating(ctx, 0, size - d + 1, size - d + 1, d, d);
    qel_node* n = qel_node_at(ctx, dot);
    qel_node_round(n, d * 0.5f);
    n->fill = qel_theme_color(ctx, color);
    n->border = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->border_width = 2;
}

// A size x size box whose children are stacked over each other, centred.
static int32_t stacked_box(qel_context* ctx, float size)
{
    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_STACK;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    return index;
}

static void centred_line(qel_context* ctx, const char* text, float size, qel_color color)
{
    qel_text_leaf(ctx, text, -1, QEL_FONT_MEDIUM, size, color, false, 1.0f);
}

void qel_avatar(qel_context* ctx, const char* name, const qel_avatar_opts* options)
{
    const qel_avatar_opts none = {};
    const qel_avatar_opts* o = options ? options : &none;
    if (!name) name = "";
    float size = o->size > 0 ? o->size : DEFAULT_AVATAR;
    qel_color c = avatar_color(ctx, name);

    int32_t index = stacked_box(ctx, size);
    qel_node* n = qel_node_at(ctx, index);
    n->align_self = QEL_ALIGN_CENTER;
    qel_node_round(n, size * (o->rounded_square ? 0.28f : 0.5f));
    qel_color ink = 0;
    if (o->texture) {
        auto* image = (qel_image_record*)qel_arena_alloc(ctx, sizeof(qel_image_record));
        *image = {o->texture, 0xFFFFFFFFu};
        n->draw = qel_image_draw;
        n->draw_user = image;
    } else if (qel_dark_mode(ctx)) {
        n->fill = qel_color_tone(c, 0.35f, 0.6f);
        n->border = qel_color_tone(c, 0.45f, 0.6f);
        n->border_width = 1;
        ink = qel_color_tone(c, 0.88f, 0.7f);
    } else {
        n->fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), c, 0.16f);
        n->border = qel_color_alpha(c, 0.28f);
        n->border_width = 1;
        ink = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT), c, 0.78f);
    }
    qel_node_push(ctx, index);
    if (!o->texture) {
        char initials[INITIALS_MAX + 5];
        initials_of(name, initials);
        centred_line(ctx, initials, 0.38f * size, ink);
    }
    if (o->presence) presence_dot(ctx, o->presence, size);
    qel_node_pop(ctx);
}

void qel_avatar_group(qel_context* ctx, const char* const* names, int32_t count, int32_t max_shown, float size)
{
    if (max_shown < 1) max_shown = 4;
    if (!(size > 0)) size = DEFAULT_AVATAR;
    if (count < 0) count = 0;
    int32_t shown = max_shown < count ? max_shown : count, rest = count - shown;
    int32_t slots = shown + (rest > 0 ? 1 : 0);
    float overlap = 0.16f * size;
    float width = slots > 0 ? (float)slots * size - (float)(slots - 1) * overlap : 0.0f;

    int32_t group = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, width}, {QEL_SIZE_FIXED, size});
    qel_node_at(ctx, group)->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_push(ctx, group);
    qel_avatar_opts avatar = {};
    avatar.size = size;
    for (int32_t i = 0; i < slots; i++) {
        int32_t ring = qel_node_floating(ctx, 0, (float)i * (size - overlap) - 2, -2, size + 4, size + 4);
        qel_node* n = qel_node_at(ctx, ring);
        n->direction = QEL_DIR_STACK;
        n->align = QEL_ALIGN_CENTER;
        n->justify = QEL_JUSTIFY_CENTER;
        n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
        qel_node_round(n, size * 0.5f + 2);
        qel_node_push(ctx, ring);
        if (i < shown) {
            qel_avatar(ctx, names ? names[i] : nullptr, &avatar);
        } else {
            int32_t more = stacked_box(ctx, size);
            qel_node_round(qel_node_at(ctx, more), size * 0.5f);
            qel_node_at(ctx, more)->fill = qel_theme_color(ctx, QEL_COLOR_SUBTLE);
            qel_node_push(ctx, more);
            centred_line(ctx, qel_arena_sprintf(ctx, "+%d", rest), 0.36f * size, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
            qel_node_pop(ctx);
        }
        qel_node_pop(ctx);
    }
    qel_node_pop(ctx);
}
