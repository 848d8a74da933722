// Drop zones: the extension filter, taking a drop off the context's dropped list (leaving the
// accepted paths for the caller), the file zone with its dashed outline and timed result line,
// and the image zone over an avatar. Textures are made and released through textures.h.
#include "qel/drop_zones.h"

#include <cmath>
#include <cstring>

#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/badges_avatars.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_widgets.h"
#include "qel/textures.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/marks.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float PI = 3.14159265358979f;
static const float RESULT_SECONDS = 2.2f, HOVER_SECONDS = 0.14f, DRAG_SECONDS = 0.18f;
static const float DASH = 6.0f, DASH_GAP = 5.0f, ARC_PIECE = 1.5f;
static const uint32_t ICON_FADE_KEY = 0x1C0u;
static const char UPLOAD_GLYPH[] = QEL_ICON_UPLOAD;
static const char ADDED_GLYPH[] = QEL_ICON_CHECK;
static const char REFUSED_GLYPH[] = QEL_ICON_CIRCLE_ALERT;
static const char CAMERA_GLYPH[] = QEL_ICON_PENCIL;
static const char CHANGE_GLYPH[] = QEL_ICON_CAMERA;
static const char IMAGE_FILTER[] = "png;jpg;jpeg;bmp;gif;tga";

// --- Extension filters ---

static bool separates(char c)
{
    return c == ';' || c == ',' || c == ' ';
}

// The name's extension, or null when it has none.
static const char* extension_of(const char* name)
{
    const char* dot = strrchr(name, '.');
    if (!dot) return nullptr;
    for (const char* p = dot; *p; p++)
        if (*p == '/' || *p == '\\') return nullptr;
    return dot + 1;
}

int32_t qel_file_matches_filter(const char* name, const char* filter)
{
    if (!filter || !*filter) return 1;
    if (!name) return 0;
    const char* extension = extension_of(name);
    size_t extension_length = extension ? strlen(extension) : 0;
    bool any_token = false;
    for (const char* p = filter; *p;) {
        while (separates(*p)) p++;
        if (!*p) break;
        const char* token = p;
        while (*p && !separates(*p)) p++;
        const char* bare = token;
        while (bare < p && (*bare == '*' || *bare == '.')) bare++;
        size_t length = (size_t)(p - bare);
        if (length == 0) {
            if (memchr(token, '*', (size_t)(p - token))) return 1;  // "*" or "*.*": every file
            continue;
        }
        any_token = true;
        if (extension && length == extension_length && qel_starts_with_nocase(extension, bare, (int32_t)length))
            return 1;
    }
    return any_token ? 0 : 1;
}

// --- Taking a drop ---

struct drop_counts {
    int32_t accepted, rejected;
};

// False for a zone not laid out yet.
// Takes the frame's drop when it landed inside r and no zone took it before: the dropped list
// keeps only the paths the filter accepts, in their order.
static drop_counts take_drop(qel_context* ctx, qel_rect r, const char* filter)
{
    qel_dropped_files* d = &ctx->drops;
    drop_counts counts = {0, 0};
    if (d->count == 0 || d->taken || d->consumed || !qel_rect_contains(r, {d->x, d->y})) return counts;
    d->taken = 1;
    int32_t kept = 0;
    for (int32_t i = 0; i < d->count; i++) {
        if (qel_file_matches_filter(d->buffer + d->offsets[i], filter)) d->offsets[kept++] = d->offsets[i];
        else counts.rejected++;
    }
    d->count = counts.accepted = kept;
    return counts;
}

static bool dragged_over(qel_context* ctx, qel_rect r)
{
    return qel_drag_hovering(ctx) && qel_rect_contains(r, {ctx->drops.drag_x, ctx->drops.drag_y});
}

// --- The dashed outline ---

struct dash_walk {
    qel_context* ctx;
    float phase;  // distance along the outline, in the pattern
    float width;
    qel_color color;
};

static bool in_dash(float phase)
{
    return fmodf(phase, DASH + DASH_GAP) < DASH;
}

// A straight edge, cut exactly where dashes start and end. Counted by whole patterns (at most
// QEL_MARKS_MAX an edge) with the phase kept within one: a float stepped along a very long edge
// stops moving.
static void dashed_edge(dash_walk* w, qel_vec2 a, qel_vec2 b)
{
    const double period = DASH + DASH_GAP;
    double length = hypot((double)b.x - a.x, (double)b.y - a.y);
    if (!(length > 0)) return;
    double phase = fmod(w->phase, period);
    double patterns = fmin(ceil((phase + length) / period), (double)QEL_MARKS_MAX);
    for (int32_t k = 0; k < (int32_t)patterns; k++) {
        double from = fmax(0.0, k * period - phase), to = fmin(length, k * period - phase + DASH);
        if (!(to > from)) continue;
        double f0 = from / length, f1 = to / length;
        qel_vec2 p0 = {(float)(a.x + (b.x - a.x) * f0), (float)(a.y + (b.y - a.y) * f0)};
        qel_vec2 p1 = {(float)(a.x + (b.x - a.x) * f1), (float)(a.y + (b.y - a.y) * f1)};
        qel_draw_line(w->ctx, p0, p1, w->width, w->color);
    }
    w->phase = (float)fmod(phase + length, period);
}

// A quarter corner from angle from, clockwise, in pieces of at most 1.5 units of arc.
static void dashed_corner(dash_walk* w, qel_vec2 c, float radius, float from)
{
    float length = radius * PI * 0.5f;
    int32_t pieces = length > ARC_PIECE ? (int32_t)ceilf(length / ARC_PIECE) : 1;
    for (int32_t i = 0; i < pieces; i++) {
        float a0 = from + PI * 0.5f * (float)i / (float)pieces, a1 = from + PI * 0.5f * (float)(i + 1) / (float)pieces;
        if (in_dash(w->phase))
            qel_draw_line(w->ctx, {c.x + cosf(a0) * radius, c.y + sinf(a0) * radius},
                          {c.x + cosf(a1) * radius, c.y + sinf(a1) * radius}, w->width, w->color);
        w->phase += length / (float)pieces;
    }
}

struct zone_payload {
    qel_color border;
    float drag_over, focus;
};

static void dashed_outline_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const zone_payload*)user;
    float width = 1.25f + 0.5f * p->drag_over;
    const qel_rect& n = node->rect;
    qel_rect r = {n.x + width * 0.5f, n.y + width * 0.5f, n.w - width, n.h - width};
    if (r.w > 0 && r.h > 0) {
        float radius = fmaxf(0.0f, fminf(node->radii[0], fminf(r.w, r.h) * 0.5f));
        dash_walk w = {ctx, 0, width, p->border};
        float x0 = r.x, y0 = r.y, x1 = r.x + r.w, y1 = r.y + r.h;
        dashed_edge(&w, {x0 + radius, y0}, {x1 - radius, y0});
        dashed_corner(&w, {x1 - radius, y0 + radius}, radius, -PI * 0.5f);
        dashed_edge(&w, {x1, y0 + radius}, {x1, y1 - radius});
        dashed_corner(&w, {x1 - radius, y1 - radius}, radius, 0);
        dashed_edge(&w, {x1 - radius, y1}, {x0 + radius, y1});
        dashed_corner(&w, {x0 + radius, y1 - radius}, radius, PI * 0.5f);
        dashed_edge(&w, {x0, y1 - radius}, {x0, y0 + radius});
        dashed_corner(&w, {x0 + radius, y0 + radius}, radius, PI);
    }
    qel_draw_focus_ring(ctx, &n, node->radii, p->focus);
}

// --- File drop zone ---

struct file_zone_state {
    float hover, drag_over;
    float bounce[2];
    double result_time;
    int32_t accepted, rejected;
};

static const char* title_of(qel_context* ctx, const qel_drop_zone_options* o, const file_zone_state* s, bool showing,
                            bool over)
{
    if (showing && s->accepted > 0) return qel_arena_sprintf(ctx, "%d file%s added", s->accepted, s->accepted == 1 ? "" : "s");
    if (showing) return "That file type is not supported";
    if (over) return "Release to add";
    return o->title ? o->title : "Drop files here";
}

static void zone_icon(qel_context* ctx, uint32_t id, const qel_drop_zone_options* o, const file_zone_state* s,
                      bool showing, qel_color c)
{
    float disc = o->compact ? 36.0f : 44.0f;
    int32_t node = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, disc}, {QEL_SIZE_FIXED, disc}, QEL_DIR_STACK, disc * 0.5f);
    qel_node* n = qel_node_at(ctx, node);
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SUBTLE), qel_color_alpha(c, 0.16f), s->drag_over);
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    n->border_width = 1;
    n->translate_y = -4 * s->bounce[0];
    qel_node_push(ctx, node);
    const char* glyph = o->icon ? o->icon : UPLOAD_GLYPH;
    qel_color color = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), c, s->drag_over);
    if (showing) {
        glyph = s->accepted > 0 ? ADDED_GLYPH : REFUSED_GLYPH;
        color = qel_theme_color(ctx, s->accepted > 0 ? QEL_COLOR_SUCCESS : QEL_COLOR_DANGER);
    }
    qel_crossfade_label(ctx, id ^ ICON_FADE_KEY, glyph, o->compact ? 16.0f : 19.0f, color);
    qel_node_pop(ctx);
}

static void zone_texts(qel_context* ctx, const qel_drop_zone_options* o, const char* title)
{
    int32_t column = qel_node_open(ctx, 0);
    qel_node* n = qel_node_at(ctx, column);
    n->gap = 2;
    n->align = o->compact ? QEL_ALIGN_START : QEL_ALIGN_CENTER;
    if (o->compact) n->width = {QEL_SIZE_GROW, 1};
    qel_node_push(ctx, column);
    qel_text_leaf(ctx, title, -1, QEL_FONT_MEDIUM, qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.35f);
    qel_text_leaf(ctx, o->subtitle ? o->subtitle : "or click to browse", -1, QEL_FONT_BODY,
                  qel_text_small_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.35f);
    qel_node_pop(ctx);
}

int32_t qel_file_drop_zone(qel_context* ctx, const char* label, const qel_drop_zone_options* options)
{
    const qel_drop_zone_options none = {};
    const qel_drop_zone_options* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<file_zone_state>(ctx, id, "file_zone_state");
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    qel_rect r = qel_id_rect(ctx, id);
    drop_counts taken = take_drop(ctx, r, o->accept);
    double now = qel_ctx_time(ctx);
    if (taken.accepted + taken.rejected > 0) {
        s->accepted = taken.accepted;
        s->rejected = taken.rejected;
        s->result_time = now;
    }
    bool over = dragged_over(ctx, r);
    qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);
    qel_anim_exp(ctx, &s->drag_over, over ? 1.0f : 0.0f, DRAG_SECONDS);
    qel_anim_spring(ctx, s->bounce, over ? 1.0f : 0.0f, 0.26f, 0.12f);
    float since = (float)(now - s->result_time);
    bool showing = s->accepted + s->rejected > 0 && since < RESULT_SECONDS;
    if (showing) qel_request_redraw_in(ctx, RESULT_SECONDS - since + 0.01f);
    qel_color c = qel_picker_accent(ctx, QEL_COLOR_TEXT);

    float height = o->compact ? 64.0f : o->height > 0 ? fminf(o->height, 1e6f) : 168.0f;
    int32_t zone = qel_node_centred(ctx, id, o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height},
                                      o->compact ? QEL_DIR_ROW : QEL_DIR_COLUMN, ctx->theme.current.radius_small);
    qel_node* n = qel_node_at(ctx, zone);
    n->gap = o->compact ? 12.0f : 10.0f;
    n->pad_top = n->pad_right = n->pad_bottom = n->pad_left = 16;
    qel_color tint = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), c, qel_dark_mode(ctx) ? 0.12f : 0.06f);
    n->fill = qel_color_mix(qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), 0.7f * s->hover), tint, s->drag_over);
    qel_node_clickable(ctx, zone, id, false);
    zone_payload p = {qel_color_mix(qel_field_border_color(ctx, s->hover), c, s->drag_over), s->drag_over,
                      it.focused && it.focus_visible ? 1.0f : 0.0f};
    qel_node_draw_with(ctx, zone, dashed_outline_draw, &p, sizeof p, true);
    qel_node_push(ctx, zone);
    zone_icon(ctx, id, o, s, showing, c);
    zone_texts(ctx, o, title_of(ctx, o, s, showing, over));
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    if (taken.accepted > 0) return taken.accepted;
    return it.clicked ? -1 : 0;
}

// --- Image drop zone ---

struct image_zone_state {
    float hover, drag_over;
    float pop[2];
};

struct image_payload {
    float hover, size;
    qel_color black, color;
    float drag_over, focus;
};

static void image_overlay_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const image_payload*)user;
    const qel_rect& r = node->rect;
    qel_vec2 c = {r.x + r.w * 0.5f, r.y + r.h * 0.5f};
    if (p->hover > 0.01f) {
        qel_draw_circle(ctx, c, p->size * 0.5f, qel_color_alpha(p->black, 0.45f * p->hover));
        float icon = 0.26f * p->size;
        qel_rect box = {c.x - icon * 0.5f, c.y - icon * 0.5f, icon, icon};
        qel_draw_text_in_rect(ctx, CHANGE_GLYPH, &box, icon, qel_color_alpha(0xFFFFFFFFu, p->hover));
    }
    if (p->drag_over > 0.01f)
        qel_draw_arc(ctx, c, p->size * 0.5f + 4, 0, 2 * PI, 2, qel_color_alpha(p->color, p->drag_over));
    qel_draw_focus_ring(ctx, &r, node->radii, p->focus);
}

// The avatar fills the zone; a camera badge sits on its lower right.
static void image_content(qel_context* ctx, const char* name, uint64_t texture, float size)
{
    int32_t holder = qel_node_floating(ctx, 0, 0, 0, size, size);
    qel_node_push(ctx, holder);
    qel_avatar_opts avatar = {};
    avatar.size = size;
    avatar.texture = texture;
    qel_avatar(ctx, name, &avatar);
    qel_node_pop(ctx);

    float b = fmaxf(24.0f, 0.3f * size);
    int32_t badge = qel_node_floating(ctx, 0, size - b + 2, size - b + 2, b, b);
    qel_node* n = qel_node_at(ctx, badge);
    n->direction = QEL_DIR_STACK;
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    qel_node_round(n, b * 0.5f);
    n->fill = qel_theme_color(ctx, QEL_COLOR_ELEVATED);
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    n->border_width = 1;
    n->elevation = 2;
    qel_node_push(ctx, badge);
    qel_icon_glyph(ctx, CAMERA_GLYPH, 0.46f * b, qel_theme_color(ctx, QEL_COLOR_TEXT));
    qel_node_pop(ctx);
}

int32_t qel_image_drop_zone(qel_context* ctx, const char* label, const char* name, uint64_t* texture, float size)
{
    if (!texture) return 0;
    if (!(size > 0)) size = 88;
    size = fminf(size, 1e4f);
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<image_zone_state>(ctx, id, "image_zone_state");
    if (s->pop[0] == 0) s->pop[0] = 1;
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    qel_rect r = qel_id_rect(ctx, id);
    int32_t result = it.clicked ? -1 : 0;
    if (take_drop(ctx, r, IMAGE_FILTER).accepted > 0) {
        uint64_t loaded = qel_image_load_texture(ctx, qel_dropped_file_path(ctx, 0), nullptr, nullptr);
        if (loaded) {
            qel_texture_release(ctx, *texture);
            *texture = loaded;
            s->pop[0] = 0.9f;
            result = 1;
        }
    }
    bool over = dragged_over(ctx, r);
    qel_anim_exp(ctx, &s->hover, over || it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);
    qel_anim_exp(ctx, &s->drag_over, over ? 1.0f : 0.0f, DRAG_SECONDS);
    qel_anim_spring(ctx, s->pop, 1.0f, 0.4f, 0.3f);

    int32_t zone = qel_node_sized(ctx, id, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    qel_node* n = qel_node_at(ctx, zone);
    n->direction = QEL_DIR_STACK;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_round(n, size * 0.5f);
    n->scale = s->pop[0];
    qel_node_clickable(ctx, zone, id, false);
    image_payload p = {s->hover, size, 0xFF000000u, qel_picker_accent(ctx, QEL_COLOR_TEXT), s->drag_over,
                       it.focused && it.focus_visible ? 1.0f : 0.0f};
    qel_node_draw_with(ctx, zone, image_overlay_draw, &p, sizeof p, true);
    qel_node_push(ctx, zone);
    image_content(ctx, name, *texture, size);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return result;
}
