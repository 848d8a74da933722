// Buttons: the variant palettes, the size table and the button node with its content (label,
// icons, spinner); the cross-fading icon, the spinner node and the small buttons at the end of
// fields that other widgets reuse. The shared hover, press and focus feel comes from widget_feel.
#include "qel/button.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/widget_nodes.h"

static const uint32_t ICON_FADE_KEY = 0x1C05A9u;
static const float PRESSED_SCALE = 0.97f;
static const float CROSSFADE_SECONDS = 0.2f;
static const int32_t CROSSFADE_BYTES = 7;

// --- Palette ---

qel_button_style* qel_button_palette(qel_button_style* out, qel_context* ctx, uint32_t variant, bool selected)
{
    auto slot = [ctx](uint32_t s) { return qel_theme_color(ctx, (int32_t)s); };
    bool accent = qel_theme_get_accent(ctx) != 0;
    qel_color page = slot(QEL_COLOR_BACKGROUND), text = slot(QEL_COLOR_TEXT);
    switch (variant) {
    case QEL_BUTTON_PRIMARY: {
        qel_color base = slot(accent ? QEL_COLOR_ACCENT : QEL_COLOR_PRIMARY);
        *out = {base, qel_color_mix(base, page, 0.14f), qel_color_mix(base, page, 0.06f),
                slot(accent ? QEL_COLOR_ON_ACCENT : QEL_COLOR_ON_PRIMARY), 0, 0};
        break;
    }
    case QEL_BUTTON_OUTLINE:
        *out = {0, slot(QEL_COLOR_HOVER), slot(QEL_COLOR_ACTIVE), text, qel_border_color(ctx, 0),
                slot(QEL_COLOR_BORDER_STRONG)};
        break;
    case QEL_BUTTON_GHOST: {
        qel_color active = slot(QEL_COLOR_ACTIVE);
        *out = {selected ? active : 0, selected ? active : slot(QEL_COLOR_HOVER), active, text, 0, 0};
        break;
    }
    case QEL_BUTTON_DANGER: {
        qel_color danger = slot(QEL_COLOR_DANGER);
        qel_color on_danger = qel_dark_mode(ctx) ? 0xFF0C0A1Au : 0xFFFFFFFFu;
        *out = {danger, qel_color_mix(danger, page, 0.12f), qel_color_mix(danger, page, 0.05f), on_danger, 0, 0};
        break;
    }
    case QEL_BUTTON_LINK:
        *out = {0, 0, 0, slot(accent ? QEL_COLOR_ACCENT_STRONG : QEL_COLOR_TEXT), 0, 0};
        break;
    default: {
        qel_color rest =
            selected ? qel_color_mix(slot(QEL_COLOR_ACTIVE), text, 0.1f) : qel_color_alpha(text, 0.065f);
        *out = {rest, qel_color_alpha(text, 0.1f), qel_color_alpha(text, 0.13f), text, 0, 0};
        break;
    }
    }
    return out;
}

// --- Pieces ---

struct crossfade_state {
    char current[CROSSFADE_BYTES + 1];
    char previous[CROSSFADE_BYTES + 1];
    float t;
};

// The bytes of the glyphs that are kept and compared: whole characters within the first 7.
static int32_t kept_length(const char* glyphs)
{
    return qel_utf8_fit(glyphs, (int32_t)strlen(glyphs), CROSSFADE_BYTES);
}

static int32_t fading_glyph(qel_context* ctx, const char* glyphs, float size, qel_color color, float opacity,
                            float scale)
{
    int32_t index = qel_node_text(ctx, glyphs, -1, QEL_FONT_ICON, size, color, false);
    qel_node* n = qel_node_at(ctx, index);
    n->line_height = 1.0f;
    n->align_self = QEL_ALIGN_CENTER;
    n->opacity = fmaxf(0.001f, opacity);
    n->scale = scale;
    return index;
}

void qel_crossfade_label(qel_context* ctx, uint32_t id, const char* glyphs, float size, qel_color color)
{
    if (!glyphs) glyphs = "";
    auto* s = (crossfade_state*)qel_state_get(ctx, id, sizeof(crossfade_state));
    int32_t kept = kept_length(glyphs);
    if ((int32_t)strlen(s->current) != kept || memcmp(s->current, glyphs, (size_t)kept) != 0) {
        if (s->current[0]) {
            memcpy(s->previous, s->current, sizeof s->previous);
            s->t = 0.0f;
        } else {
            s->t = 1.0f;
        }
        memcpy(s->current, glyphs, (size_t)kept);
        s->current[kept] = 0;
    }
    float t = qel_anim_exp(ctx, &s->t, 1.0f, CROSSFADE_SECONDS);
    if (t >= 1.0f || !s->previous[0]) {
        qel_icon_glyph(ctx, glyphs, size, color);
        return;
    }
    int32_t box = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    qel_node* n = qel_node_at(ctx, box);
    n->direction = QEL_DIR_STACK;
    n->align = QEL_ALIGN_START;
    n->justify = QEL_JUSTIFY_CENTER;
    n->align_self = QEL_ALIGN_CENTER;
    qel_node_push(ctx, box);
    fading_glyph(ctx, s->previous, size, color, 1.0f - 1.6f * t, 1.0f - 0.45f * t);
    fading_glyph(ctx, glyphs, size, color, t, 0.55f + 0.45f * t);
    qel_node_pop(ctx);
}

static void spinner_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const qel_rect& r = node->rect;
    float radius = fminf(r.w, r.h) * 0.5f;
    qel_draw_spinner(ctx, {r.x + r.w * 0.5f, r.y + r.h * 0.5f}, radius - 1.0f, fmaxf(1.5f, 0.22f * radius),
                     *(const qel_color*)user);
}

int32_t qel_spinner_node(qel_context* ctx, float size, qel_color color)
{
    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    auto* payload = (qel_color*)qel_arena_alloc(ctx, sizeof(qel_color));
    *payload = color;
    qel_node* n = qel_node_at(ctx, index);
    n->align_self = QEL_ALIGN_CENTER;
    n->draw = spinner_draw;
    n->draw_user = payload;
    return index;
}

uint32_t qel_scoped_id(qel_context* ctx, uint32_t seed)
{
    uint8_t bytes[8] = {};
    if (const qel_node* p = qel_node_at(ctx, qel_node_parent(ctx))) {
        for (int i = 0; i < 4; i++) {
            bytes[i] = (uint8_t)(p->id >> (8 * i));
            bytes[4 + i] = (uint8_t)((uint32_t)p->child_count >> (8 * i));
        }
    }
    return qel_hash_bytes(bytes, sizeof bytes, seed);
}

// --- Buttons ---

struct button_size {
    float text, pad, icon;
};

static button_size size_of(qel_context* ctx, uint32_t size)
{
    const qel_theme* t = &ctx->theme.current;
    if (size == 1) return {t->text_small * t->ui_scale, 11, 14};
    if (size == 2) return {(t->text_large - 1) * t->ui_scale, 18, 18};
    return {t->text_body * t->ui_scale, 14, 16};
}

static uint32_t button_id(qel_context* ctx, const char* label, const char* icon, const char* tooltip)
{
    if (label) return qel_id(ctx, label);
    uint32_t id = qel_id(ctx, tooltip ? tooltip : icon);
    return tooltip ? qel_hash_str(icon, id) : id;
}

static uint32_t resolve_variant(qel_context* ctx, uint32_t variant, bool icon_only)
{
    if (variant == QEL_BUTTON_AUTO)
        return icon_only || qel_scope_find<qel_button_group_scope>(ctx) ? QEL_BUTTON_GHOST : QEL_BUTTON_SECONDARY;
    return variant >= QEL_BUTTON_PRIMARY && variant <= QEL_BUTTON_LINK ? variant : QEL_BUTTON_SECONDARY;
}

// The button node, sized and coloured for this frame's motion.
static int32_t open_button(qel_context* ctx, uint32_t id, const qel_button_opts* o, bool icon_only, float height,
                           float pad, const qel_button_style& style, const qel_widget_motion& motion, bool held)
{
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    n->gap = 6;
    if (icon_only) n->width = {QEL_SIZE_FIXED, height};
    else n->pad_left = n->pad_right = pad;
    if (o->full_width) {
        n->align_self = QEL_ALIGN_STRETCH;
        n->width = {QEL_SIZE_GROW, 1};
    } else if (o->width.kind != QEL_SIZE_FIT) {
        n->width = o->width;
    } else {
        n->align_self = QEL_ALIGN_OWN_SIZE;
    }
    float radius = fminf(ctx->theme.current.radius_small, height * 0.5f);
    for (float& r : n->radii) r = radius;
    n->fill = held ? style.press : qel_color_mix(style.background, style.hover, motion.hover);
    if (style.border >> 24) {
        n->border_width = 1;
        n->border = qel_color_mix(style.border, style.border_hover, motion.hover);
    }
    n->scale = motion.press[0];
    return index;
}

static void button_content(qel_context* ctx, uint32_t id, const char* label, const char* icon,
                           const qel_button_opts* o, const button_size& size, qel_color color)
{
    bool icon_only = !label;
    if (o->loading) qel_spinner_node(ctx, size.icon - 2, color);
    else if (icon_only || o->leading_icon)
        qel_crossfade_label(ctx, id ^ ICON_FADE_KEY, icon_only ? icon : o->leading_icon, size.icon, color);
    if (icon_only) return;
    int32_t visible = qel_label_visible_len(label);
    if (visible > 0) {
        int32_t text = qel_node_text(ctx, label, visible, QEL_FONT_MEDIUM, size.text, color, false);
        qel_node_at(ctx, text)->line_height = 1.3f;
    }
    if (o->trailing_icon) qel_icon_glyph(ctx, o->trailing_icon, size.icon, color);
}

bool qel_button_ex(qel_context* ctx, const char* label, const char* icon, const qel_button_opts* options)
{
    const qel_button_opts none = {};
    const qel_button_opts* o = options ? options : &none;
    bool icon_only = !label;
    uint32_t id = button_id(ctx, label, icon, o->tooltip);
    bool disabled = qel_item_disabled(ctx, o->disabled);
    qel_interaction it = qel_interact_item(ctx, id, QEL_INTERACT_FOCUSABLE, disabled);
    qel_widget_motion motion = qel_widget_motion_update(ctx, id, &it, PRESSED_SCALE);

    uint32_t variant = resolve_variant(ctx, o->variant, icon_only);
    qel_button_style style;
    qel_button_palette(&style, ctx, variant, o->selected != 0);
    if (qel_color_arg(o->custom_color, 0)) style.text = qel_color_resolve(ctx, o->custom_color);
    button_size size = size_of(ctx, o->size);
    float pad = variant == QEL_BUTTON_LINK ? 2.0f : size.pad;

    int32_t node =
        open_button(ctx, id, o, icon_only, qel_control_height(ctx, o->size), pad, style, motion, it.held != 0);
    qel_node_clickable(ctx, node, id, disabled);
    if (!disabled && (variant == QEL_BUTTON_PRIMARY || variant == QEL_BUTTON_DANGER))
        qel_node_gloss(ctx, node, it.held ? 0.2f : 0.55f);
    qel_node_push(ctx, node);
    button_content(ctx, id, label, icon, o, size, style.text);
    qel_node_pop(ctx);
    if (variant == QEL_BUTTON_LINK) qel_node_underline(ctx, node, motion.hover, style.text, motion.focus);
    else qel_focus_ring(ctx, node, motion.focus);
    qel_set_last_item(ctx, id);
    if (o->tooltip)
        qel_tooltip(ctx, o->shortcut ? qel_arena_sprintf(ctx, "%s  \xC2\xB7  %s", o->tooltip, o->shortcut) : o->tooltip);
    return it.clicked && !disabled && !o->loading;
}

bool qel_button(qel_context* ctx, const char* label, const qel_button_opts* options)
{
    return qel_button_ex(ctx, label ? label : "", nullptr, options);
}

bool qel_icon_button(qel_context* ctx, const char* icon, const qel_button_opts* options)
{
    return qel_button_ex(ctx, nullptr, icon ? icon : "", options);
}

bool qel_field_button(qel_context* ctx, int32_t box, const char* glyph, qel_button_opts options, float side)
{
    options.size = 1;
    options.width = {QEL_SIZE_FIXED, side};
    bool clicked = qel_icon_button(ctx, glyph, &options);
    qel_node_at(ctx, qel_node_at(ctx, box)->last_child)->height = {QEL_SIZE_FIXED, side};
    return clicked;
}
