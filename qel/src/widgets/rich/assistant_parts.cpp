// Pieces the assistant widgets share: the status icon, the collapsible body, the URL host and its
// monogram, the elapsed-time text and the accent rule.
#include "widgets/rich/assistant_parts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/assistant.h"
#include "qel/collapsibles.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

static const float PI = 3.14159265f;

const char* qel_assistant_url_host(qel_context* ctx, const char* url)
{
    if (!url) return qel_arena_strdup(ctx, "", 0);
    const char* scheme = std::strstr(url, "://");
    const char* host = scheme ? scheme + 3 : url;
    if (std::strncmp(host, "www.", 4) == 0) host += 4;
    return qel_arena_strdup(ctx, host, (int)std::strcspn(host, "/?#"));
}

const char* qel_assistant_elapsed_text(qel_context* ctx, float seconds)
{
    double s = seconds == seconds ? std::fmin(std::fmax((double)seconds, 0.0), 2147483647.0) : 0.0;
    int32_t whole = (int32_t)s;
    char text[32];
    if (whole < 60) std::snprintf(text, sizeof text, "%ds", whole);
    else std::snprintf(text, sizeof text, "%dm %02ds", whole / 60, whole % 60);
    return qel_arena_strdup(ctx, text, -1);
}

bool qel_assistant_looks_json(const char* text)
{
    text += std::strspn(text, " \t\n");
    return *text == '{' || *text == '[';
}

const char* qel_assistant_monogram_letter(qel_context* ctx, const char* host)
{
    if (!host || !*host) return qel_arena_strdup(ctx, "?", 1);
    char first[5] = {};
    // A broken sequence may run on over continuation bytes: one character is at most four.
    int32_t length = std::min(qel_utf8_next(host, (int32_t)std::strlen(host), 0), 4);
    std::memcpy(first, host, (size_t)length);
    if (first[0] >= 'a' && first[0] <= 'z') first[0] = (char)(first[0] - 'a' + 'A');
    return qel_arena_strdup(ctx, first, length);
}

void qel_assistant_monogram(qel_context* ctx, const char* host, float size)
{
    bool dark = qel_dark_mode(ctx);
    qel_color c = qel_theme_color(ctx, QEL_COLOR_CHART1 + (int32_t)(qel_hash_str(host, 4007) % 6));
    int32_t box = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size}, QEL_DIR_ROW, 0.3f * size);
    qel_node_at(ctx, box)->fill = qel_color_alpha(c, dark ? 0.30f : 0.16f);
    qel_color ink = qel_color_mix(c, dark ? 0xFFFFFFFFu : 0xFF000000u, dark ? 0.4f : 0.25f);
    qel_node_push(ctx, box);
    qel_text_leaf(ctx, qel_assistant_monogram_letter(ctx, host), -1, QEL_FONT_MEDIUM, 0.56f * size, ink, false, 0);
    qel_node_pop(ctx);
}

qel_color qel_assistant_accent_or_text(qel_context* ctx)
{
    return qel_theme_color(ctx, qel_theme_get_accent(ctx) ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT);
}

const char* qel_assistant_glyph(qel_context* ctx, uint32_t code_point)
{
    uint8_t bytes[4];
    int32_t length = qel_utf8_encode(code_point, bytes);
    return qel_arena_strdup(ctx, (const char*)bytes, length);
}

int32_t qel_assistant_glyph_leaf(qel_context* ctx, uint32_t code_point, float size, qel_color color)
{
    return qel_text_leaf(ctx, qel_assistant_glyph(ctx, code_point), -1, QEL_FONT_ICON, size, color, false, 0);
}

float qel_assistant_xs_size(qel_context* ctx)
{
    const qel_theme* th = qel_theme_block_get(ctx);
    return th->text_xs * th->ui_scale;
}

int32_t qel_assistant_tabular_leaf(qel_context* ctx, const char* text, uint32_t font, float size, qel_color color)
{
    int32_t leaf = qel_text_leaf(ctx, text, -1, font, size, color, false, 0);
    qel_node_at(ctx, leaf)->flags |= QEL_NODE_TABULAR;
    return leaf;
}

int32_t qel_assistant_row_pushed(qel_context* ctx, uint32_t id, qel_size width, uint32_t align, float gap)
{
    int32_t node = qel_node_sized_pushed(ctx, id, width, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, node);
    n->direction = QEL_DIR_ROW;
    n->align = (uint8_t)align;
    n->gap = gap;
    return node;
}

// --- Status icon ---

namespace {

struct status_payload {
    uint32_t status;
    qel_color main, second;
    float phase;
};

}  // namespace

static void status_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const status_payload*)user;
    qel_rect b = node->rect;
    qel_vec2 c = {b.x + b.w / 2, b.y + b.h / 2};
    float r = std::fmin(b.w, b.h) / 2 - 1;
    switch (p->status) {
        case QEL_ASSISTANT_RUNNING: {
            qel_draw_arc(ctx, c, r - 0.5f, 0, 2 * PI, 1.5f, qel_color_alpha(p->main, 0.2f));
            float from = 2.2f * PI * p->phase;
            qel_draw_arc(ctx, c, r - 0.5f, from, from + 0.6f * PI, 1.8f, p->main);
            break;
        }
        case QEL_ASSISTANT_DONE: {
            qel_draw_circle(ctx, c, r, p->main);
            qel_rect box = {c.x - 0.62f * r, c.y - 0.62f * r, 1.24f * r, 1.24f * r};
            qel_draw_checkmark(ctx, &box, 1, 1.7f, qel_theme_color(ctx, QEL_COLOR_SURFACE));
            break;
        }
        case QEL_ASSISTANT_ERROR: {
            qel_draw_circle(ctx, c, r, qel_theme_color(ctx, QEL_COLOR_DANGER));
            float d = 0.38f * r;
            qel_draw_line(ctx, {c.x - d, c.y - d}, {c.x + d, c.y + d}, 1.7f, 0xFFFFFFFFu);
            qel_draw_line(ctx, {c.x - d, c.y + d}, {c.x + d, c.y - d}, 1.7f, 0xFFFFFFFFu);
            break;
        }
        default:
            qel_draw_arc(ctx, c, r - 0.5f, 0, 2 * PI, 1.5f, p->second);
            if (p->status == QEL_ASSISTANT_SKIPPED)
                qel_draw_line(ctx, {c.x - 0.4f * r, c.y}, {c.x + 0.4f * r, c.y}, 1.5f, p->second);
            break;
    }
}

void qel_assistant_status_icon(qel_context* ctx, uint32_t status, float size)
{
    status_payload p = {status, 0, qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), 0};
    p.main = qel_theme_get_accent(ctx)
                 ? qel_theme_color(ctx, QEL_COLOR_ACCENT)
                 : qel_theme_color(ctx, status == QEL_ASSISTANT_DONE ? QEL_COLOR_SUCCESS : QEL_COLOR_TEXT);
    if (status == QEL_ASSISTANT_RUNNING) {
        p.phase = (float)std::fmod(qel_ctx_time(ctx), 1000.0);
        qel_request_redraw(ctx);
    }
    int32_t node = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    qel_node_draw_with(ctx, node, status_draw, &p, sizeof p, false);
}

// --- Collapsible body ---

int32_t qel_assistant_body_open(qel_context* ctx, uint32_t body, float t, bool open, float pad_left, float* height)
{
    int32_t inner = qel_collapsible_body_open(ctx, body, t, std::fmax(0.001f, t), height);
    qel_node* b = qel_node_at(ctx, inner);
    b->gap = 8;
    b->pad_top = 6;
    b->pad_bottom = 4;
    b->pad_left = pad_left;
    b->translate_y = -4 * (1 - t);
    qel_collapsible_body_push(ctx, !open);
    return inner;
}

void qel_assistant_body_close(qel_context* ctx)
{
    qel_collapsible_body_pop(ctx);
    qel_node_pop(ctx);  // body
    qel_node_pop(ctx);  // clip
}
