// The chat widgets: message rows with their appear motion, grouped corners and Markdown bodies,
// the day separator, the typing dots, threaded comments with their connectors to the avatar
// drawn last a level up, and the participant stack.
#include "qel/chat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/badges_avatars.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/context.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/tooltip.h"
#include "qel/widget_feel.h"
#include "widgets/rich/assistant_parts.h"

namespace {

const uint32_t APPEAR_SEED = 0xC4A7, MARKDOWN_SEED = 0x4D44, THREAD_ID = 0x7EAD5EED, STACK_KEY = 0x57AC;
const int32_t THREAD_DEPTHS = 8;
const float PI = 3.14159265f;

// Accent or primary, and the ink on it.
qel_color accent_or_primary(qel_context* ctx)
{
    return qel_theme_color(ctx, qel_theme_get_accent(ctx) ? QEL_COLOR_ACCENT : QEL_COLOR_PRIMARY);
}

qel_color on_accent_or_primary(qel_context* ctx)
{
    return qel_theme_color(ctx, qel_theme_get_accent(ctx) ? QEL_COLOR_ON_ACCENT : QEL_COLOR_ON_PRIMARY);
}

qel_color bubble_fill(qel_context* ctx)
{
    return qel_dark_mode(ctx)
               ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.08f)
               : qel_theme_color(ctx, QEL_COLOR_SUBTLE);
}

void set_radii(qel_node* n, float tl, float tr, float br, float bl)
{
    n->radii[0] = tl, n->radii[1] = tr, n->radii[2] = br, n->radii[3] = bl;
}

// In a box of its size, so that it follows its row's alignment instead of centring itself.
void avatar(qel_context* ctx, const char* name, float size, uint64_t texture)
{
    qel_node_sized_pushed(ctx, 0, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    qel_avatar_opts a = {};
    a.size = size;
    a.texture = texture;
    qel_avatar(ctx, name && *name ? name : "?", &a);
    qel_node_pop(ctx);
}

// The bottom of the last comment avatar at each depth, and the frame that drew it.
struct thread_record {
    float bottom[THREAD_DEPTHS];
    uint64_t frame[THREAD_DEPTHS];
};

}  // namespace

// --- Message ---

static void message_header(qel_context* ctx, const qel_chat_message_opts& o)
{
    qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, QEL_ALIGN_CENTER, 6);
    qel_node_at(ctx, qel_node_parent(ctx))->pad_left = 4;
    if (o.name)
        qel_text_leaf(ctx, o.name, -1, QEL_FONT_MEDIUM, qel_assistant_xs_size(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 1.3f);
    if (o.time)
        qel_text_leaf(ctx, o.time, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.3f);
    qel_node_pop(ctx);
}

static void message_body(qel_context* ctx, const char* text, const qel_chat_message_opts& o)
{
    qel_color ink = o.mine ? on_accent_or_primary(ctx) : qel_theme_color(ctx, QEL_COLOR_TEXT);
    if (!o.markdown) {
        qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx), ink, true, 1.45f);
        return;
    }
    qel_push_id_int(ctx, (int32_t)qel_scoped_id(ctx, MARKDOWN_SEED));
    qel_markdown_options m = {};
    m.fit = 1;
    m.compact = 1;
    if (o.mine) m.color = ink;
    qel_markdown_result r = qel_markdown(ctx, "md", text, &m);
    qel_pop_id(ctx);
    if (o.markdown_result) *o.markdown_result = r;
}

static void message_status(qel_context* ctx, const qel_chat_message_opts& o)
{
    qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, QEL_ALIGN_CENTER, 4);
    qel_node_at(ctx, qel_node_parent(ctx))->pad_right = 4;
    qel_assistant_glyph_leaf(ctx, 0xE38E, 12, qel_focus_color(ctx));
    const char* line = o.status;
    if (o.time) {
        size_t n = std::strlen(o.status) + std::strlen(o.time) + 2;
        auto* both = (char*)qel_arena_alloc(ctx, n);
        std::snprintf(both, n, "%s %s", o.status, o.time);
        line = both;
    }
    qel_text_leaf(ctx, line, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED),
                  false, 1.3f);
    qel_node_pop(ctx);
}

void qel_chat_message(qel_context* ctx, const char* text, const qel_chat_message_opts* options)
{
    const qel_chat_message_opts none = {};
    const qel_chat_message_opts& o = options ? *options : none;
    if (!text) text = "";
    uint32_t key = qel_scoped_id(ctx, qel_hash_str(text, APPEAR_SEED));
    auto* appear = (float*)qel_state_get(ctx, key, 2 * sizeof(float));
    if (appear[1] == 0) {
        appear[1] = 1;
        appear[0] = qel_ctx_frame_count(ctx) < 3 ? 1.0f : 0.0f;
    }
    float t = qel_anim_exp(ctx, &appear[0], 1, 0.22f);

    int32_t outer = qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, QEL_ALIGN_END, 8);
    qel_node* n = qel_node_at(ctx, outer);
    n->justify = o.mine ? QEL_JUSTIFY_END : QEL_JUSTIFY_START;
    n->pad_top = o.grouped ? 2 : 10;
    n->opacity = std::max(0.001f, t);
    n->translate_y = (1 - t) * 8;
    if (!o.mine) {
        if (o.last) avatar(ctx, o.name, 28, o.avatar);
        else qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 28}, {QEL_SIZE_FIXED, 1});
    }
    int32_t col = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIT, 0});
    qel_node* c = qel_node_at(ctx, col);
    c->gap = 3;
    c->max_w = 480;
    c->align = o.mine ? QEL_ALIGN_END : QEL_ALIGN_START;
    if (!o.mine && !o.grouped && (o.name || o.time)) message_header(ctx, o);
    int32_t bubble = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIT, 0});
    qel_node* b = qel_node_at(ctx, bubble);
    b->pad_top = b->pad_bottom = 8;
    b->pad_left = b->pad_right = 13;
    b->align_self = QEL_ALIGN_OWN_SIZE;
    if (o.mine) {
        set_radii(b, 18, o.grouped ? 6 : 18, o.last ? 18 : 6, 18);
        b->fill = accent_or_primary(ctx);
    } else {
        set_radii(b, o.grouped ? 6 : 18, 18, 18, o.last ? 18 : 6);
        b->fill = bubble_fill(ctx);
    }
    message_body(ctx, text, o);
    qel_node_pop(ctx);
    if (o.mine && o.status && (o.last || !o.grouped)) message_status(ctx, o);
    qel_node_pop(ctx);
    qel_node_pop(ctx);
}

// --- Day separator and typing ---

static void rule(qel_context* ctx)
{
    int32_t line = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node_at(ctx, line)->fill = qel_theme_color(ctx, QEL_COLOR_BORDER);
}

void qel_chat_day_separator(qel_context* ctx, const char* text)
{
    int32_t row = qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, QEL_ALIGN_CENTER, 12);
    qel_node_at(ctx, row)->pad_top = 14;
    qel_node_at(ctx, row)->pad_bottom = 6;
    rule(ctx);
    qel_text_leaf(ctx, text ? text : "", -1, QEL_FONT_MEDIUM, qel_assistant_xs_size(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.2f);
    rule(ctx);
    qel_node_pop(ctx);
}

static void dots_draw(qel_context* ctx, const qel_node* node, void* user)
{
    float t = *(const float*)user;
    qel_color ink = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    for (int i = 0; i < 3; i++) {
        float s = 0.5f * std::sin(7 * t - 0.7f * (float)i) + 0.5f;
        qel_vec2 c = {node->rect.x + 5 + 9 * (float)i, node->rect.y + node->rect.h / 2 - 3 * s};
        qel_draw_circle(ctx, c, 3, qel_color_alpha(ink, 0.45f + 0.55f * s));
    }
}

void qel_chat_typing(qel_context* ctx, const char* name)
{
    int32_t row = qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, QEL_ALIGN_END, 8);
    qel_node_at(ctx, row)->pad_top = 8;
    qel_node_at(ctx, row)->align_self = QEL_ALIGN_OWN_SIZE;
    avatar(ctx, name, 28, 0);
    int32_t bubble = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIT, 0});
    qel_node* b = qel_node_at(ctx, bubble);
    b->pad_top = b->pad_bottom = 13;
    b->pad_left = b->pad_right = 14;
    set_radii(b, 18, 18, 18, 6);
    b->fill = bubble_fill(ctx);
    int32_t dots = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 28}, {QEL_SIZE_FIXED, 12});
    float t = (float)std::fmod(qel_ctx_time(ctx), 10000.0);
    qel_node_draw_with(ctx, dots, dots_draw, &t, sizeof t, false);
    qel_node_pop(ctx);
    if (name) {
        size_t n = std::strlen(name) + 12;
        auto* line = (char*)qel_arena_alloc(ctx, n);
        std::snprintf(line, n, "%s is typing", name);
        int32_t leaf = qel_text_leaf(ctx, line, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx),
                                     qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.3f);
        qel_node_at(ctx, leaf)->align_self = QEL_ALIGN_CENTER;
    }
    qel_node_pop(ctx);
    qel_request_redraw(ctx);
}

// --- Comments ---

namespace {

struct connector_payload {
    uint64_t frame;
    int32_t depth;
    float indent, avatar;
};

}  // namespace

static void connector_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const connector_payload*)user;
    // Looked up here: the state table may have moved since the comment was built.
    auto* record = (thread_record*)qel_state_get(ctx, THREAD_ID, sizeof(thread_record));
    qel_rect r = node->rect;
    int32_t d = p->depth;
    if (d >= 1 && d < THREAD_DEPTHS && record->frame[d - 1] == p->frame) {
        float parent = d < 2 ? 34.0f : 28.0f;
        float x = r.x + std::max(0.0f, p->indent - 44) + parent / 2 - 0.75f;
        float mid = r.y + 6 + p->avatar / 2;
        float top = std::min(record->bottom[d - 1] + 6, mid - 8);
        qel_color ink = qel_theme_color(ctx, QEL_COLOR_BORDER);
        const float radii[4] = {0.75f, 0.75f, 0.75f, 0.75f};
        qel_rect down = {x, top, 1.5f, mid - 8 - top};
        if (down.h > 0) qel_draw_rect(ctx, &down, radii, ink);
        qel_draw_arc(ctx, {x + 8.75f, mid - 8}, 8, PI / 2, PI, 1.5f, ink);
        float end = r.x + p->indent - 6;
        qel_rect across = {x + 8.75f, mid - 0.75f, end - (x + 8.75f), 1.5f};
        if (across.w > 0) qel_draw_rect(ctx, &across, radii, ink);
    }
    if (d < THREAD_DEPTHS) {
        record->bottom[d] = r.y + 6 + p->avatar;
        record->frame[d] = p->frame;
    }
}

static uint32_t comment_actions(qel_context* ctx, const qel_chat_comment_opts& o)
{
    uint32_t bits = 0;
    int32_t row = qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, QEL_ALIGN_CENTER, 2);
    qel_node_at(ctx, row)->pad_top = 2;
    qel_node_at(ctx, row)->translate_x = -11;
    bool liked = o.liked && *o.liked;
    char label[32] = "###like";
    if (o.likes && *o.likes > 0) std::snprintf(label, sizeof label, "%d###like", *o.likes);
    qel_button_opts like = {};
    like.variant = QEL_BUTTON_GHOST;
    like.size = 1;
    like.leading_icon = qel_assistant_glyph(ctx, 0xE0F2);
    like.custom_color = liked ? qel_theme_color(ctx, qel_theme_get_accent(ctx) ? QEL_COLOR_ACCENT : QEL_COLOR_DANGER)
                              : qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    if (qel_button(ctx, label, &like)) {
        bits |= QEL_CHAT_LIKE;
        if (o.liked) *o.liked = !liked;
        if (o.liked && o.likes) *o.likes += liked ? -1 : 1;
    }
    qel_button_opts reply = like;
    reply.leading_icon = qel_assistant_glyph(ctx, 0xE117);
    reply.custom_color = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    if (qel_button(ctx, "Reply", &reply)) bits |= QEL_CHAT_REPLY;
    qel_node_pop(ctx);
    return bits;
}

static void comment_header(qel_context* ctx, const char* author, const qel_chat_comment_opts& o)
{
    qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, QEL_ALIGN_CENTER, 8);
    qel_text_leaf(ctx, author ? author : "", -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.4f);
    if (o.badge) {
        qel_badge_opts b = {};
        b.size = 1;
        qel_badge(ctx, o.badge, &b);
    }
    if (o.time) {
        const char* time = o.time;
        if (o.edited) {
            size_t n = std::strlen(o.time) + 12;
            auto* t = (char*)qel_arena_alloc(ctx, n);
            std::snprintf(t, n, "%s \xC2\xB7 edited", o.time);
            time = t;
        }
        qel_text_leaf(ctx, time, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.4f);
    }
    qel_node_pop(ctx);
}

uint32_t qel_chat_comment(qel_context* ctx, const char* label, const char* author, const char* text,
                          const qel_chat_comment_opts* options)
{
    const qel_chat_comment_opts none = {};
    const qel_chat_comment_opts& o = options ? *options : none;
    int32_t depth = std::max(0, o.depth);
    float indent = 44 * (float)std::min(depth, 1000000), size = depth > 0 ? 28.0f : 34.0f;
    qel_state_get(ctx, THREAD_ID, sizeof(thread_record));  // kept alive while comments are shown
    qel_push_id(ctx, label);
    int32_t row = qel_assistant_row_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, QEL_ALIGN_START, 12);
    qel_node* n = qel_node_at(ctx, row);
    n->pad_top = n->pad_bottom = 6;
    n->pad_left = indent;
    connector_payload p = {qel_ctx_frame_count(ctx), depth, indent, size};
    qel_node_draw_with(ctx, row, connector_draw, &p, sizeof p, false);
    avatar(ctx, author, size, 0);
    int32_t col = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_at(ctx, col)->gap = 4;
    comment_header(ctx, author, o);
    qel_text_leaf(ctx, text ? text : "", -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT), true, 1.5f);
    uint32_t bits = comment_actions(ctx, o);
    qel_node_pop(ctx);
    qel_node_pop(ctx);
    qel_pop_id(ctx);
    return bits;
}

// --- Participants ---

static int32_t ringed(qel_context* ctx, uint32_t id, float size, qel_color fill, qel_color border, float border_width)
{
    int32_t cut =
        qel_node_centred(ctx, id, {QEL_SIZE_FIXED, size + 6}, {QEL_SIZE_FIXED, size + 6}, QEL_DIR_ROW, (size + 6) / 2);
    qel_node_at(ctx, cut)->fill = qel_theme_color(ctx, QEL_COLOR_BACKGROUND);
    qel_node_push(ctx, cut);
    int32_t ring =
        qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, size + 4}, {QEL_SIZE_FIXED, size + 4}, QEL_DIR_ROW, (size + 4) / 2);
    qel_node* r = qel_node_at(ctx, ring);
    r->fill = fill;
    r->border = border;
    r->border_width = border_width;
    qel_node_push(ctx, ring);
    return cut;
}

void qel_chat_participants(qel_context* ctx, const char* label, const qel_chat_person* people, int32_t count,
                           int32_t max_shown, float size)
{
    if (!people || count < 0) count = 0;
    if (max_shown < 1) max_shown = 5;
    if (!(size > 0)) size = 30;
    uint32_t id = qel_id(ctx, label);
    auto* spring = (float*)qel_state_get(ctx, id ^ STACK_KEY, 2 * sizeof(float));
    qel_interaction it = qel_interact(ctx, id, 0);
    int32_t shown = std::min(max_shown, count);
    bool hovered = it.hovered;
    for (int32_t i = 0; i < shown && !hovered; i++) hovered = qel_hovered_id(ctx) == qel_hash_bytes(&i, sizeof i, id);
    float h = std::clamp(qel_anim_spring(ctx, spring, hovered ? 1.0f : 0.0f, 0.26f, 0.12f), 0.0f, 1.2f);
    float g0 = -0.24f * (size + 6);
    int32_t row = qel_assistant_row_pushed(ctx, id, {QEL_SIZE_FIT, 0}, QEL_ALIGN_CENTER, g0 + (4 - g0) * h);
    qel_node_at(ctx, row)->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_mark_interactive(ctx, row, 0);
    for (int32_t i = 0; i < shown; i++) {
        const qel_chat_person& person = people[i];
        uint32_t item = qel_hash_bytes(&i, sizeof i, id);
        qel_interaction pi = qel_interact(ctx, item, 0);
        bool own = (person.color >> 24) == 0xFF || qel_color_is_token(person.color);
        qel_color ring = person.away ? qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG)
                         : own       ? qel_color_resolve(ctx, person.color)
                                     : accent_or_primary(ctx);
        int32_t cut = ringed(ctx, item, size, 0, ring, 2);
        qel_node_mark_interactive(ctx, cut, 0);
        int32_t face = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIT, 0});
        qel_node_at(ctx, face)->opacity = person.away ? 0.55f : 1.0f;
        avatar(ctx, person.name, size - 2, person.avatar);
        qel_node_pop(ctx);
        qel_node_pop(ctx);
        qel_node_pop(ctx);
        if (pi.hovered || hovered) {
            const char* name = person.name ? person.name : "";
            const char* tip = name;
            if (person.away) {
                size_t n = std::strlen(name) + 8;
                auto* t = (char*)qel_arena_alloc(ctx, n);
                std::snprintf(t, n, "%s (away)", name);
                tip = t;
            }
            qel_set_last_item(ctx, item);
            qel_tooltip(ctx, tip);
        }
    }
    if (count > shown) {
        ringed(ctx, 0, size, qel_theme_color(ctx, QEL_COLOR_SUBTLE), qel_theme_color(ctx, QEL_COLOR_BORDER), 1);
        char more[16];
        std::snprintf(more, sizeof more, "+%d", count - shown);
        qel_text_leaf(ctx, more, -1, QEL_FONT_MEDIUM, 0.36f * size, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY),
                      false, 1.0f);
        qel_node_pop(ctx);
        qel_node_pop(ctx);
    }
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
}
