// The pieces the animated and showcase widgets share: the motion switch, the accent-following
// colour and text nodes drawn glyph by glyph through a colour callback.
#include "widgets/editors/showcase_parts.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "core/draw_list.h"
#include "kit/widget_nodes.h"
#include "qel/arena.h"
#include "qel/frame.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "widgets/pickers/picker_nodes.h"

static const float FX_LINE_HEIGHT = 1.45f;  // of a text node

bool qel_motion_on(qel_context* ctx)
{
    return ctx->theme.current.motion_scale > 0.0f;
}

void qel_redraw_after(qel_context* ctx, double seconds)
{
    if (std::isfinite(seconds)) qel_request_redraw_in(ctx, (float)seconds);
}

void qel_copy_whole_chars(char* out, const char* text, int32_t length, int32_t max)
{
    if (length < 0) length = (int32_t)strlen(text);
    int32_t kept = 0;
    for (int32_t next; kept < length && (next = qel_utf8_next(text, length, kept)) <= max;) kept = next;
    memmove(out, text, (size_t)kept);
    out[kept] = 0;
}

qel_color qel_accent_or_text(qel_context* ctx)
{
    return qel_picker_accent(ctx, QEL_COLOR_TEXT);
}

float qel_fx_text_size(qel_context* ctx, float size)
{
    return qel_scaled(ctx, size > 0.0f ? size : ctx->theme.current.text_body);
}

// One line of the text from byte start, with the hook told where it stands.
static void fx_line(qel_context* ctx, qel_fx_text* fx, int32_t start, int32_t end, float box_top, bool cut)
{
    ctx->fonts.color_hook.base_offset = start;
    ctx->fonts.color_hook.line_top = box_top;
    const char* text = fx->text + start;
    fx->last_line = text;
    fx->last_line_length = end - start;
    fx->last_line_top = box_top;
    // Lines out of sight cost nothing: a long text in a scroller draws only what shows.
    qel_rect r = fx->rect, box;
    qel_transform_rect(&box, ctx, {r.x, box_top, r.w, fx->line_box});
    if (qel_draw_culled(ctx, box.x, box.y, box.x + box.w, box.y + box.h)) return;
    float y = box_top + (fx->line_box - qel_line_height(ctx, (int32_t)fx->font, fx->size)) * 0.5f;
    if (cut)
        qel_draw_text_ellipsis(ctx, (int32_t)fx->font, fx->size, r.x, y, r.w, fx->color, text, end - start, 0);
    else
        qel_draw_text(ctx, (int32_t)fx->font, fx->size, r.x, y, fx->color, text, end - start, 0);
}

// The text in its lines, every glyph through the callback; offsets count from the start of the
// whole text rather than of each line. The core draws nothing of a text node's own text (its
// colour is clear).
static void fx_text_draw(qel_context* ctx, const qel_node* n, void* user)
{
    auto* fx = (qel_fx_text*)user;
    fx->rect = n->rect;
    const qel_glyph_color_hook saved = ctx->fonts.color_hook;
    ctx->fonts.color_hook = {fx->glyph, fx, 0, 0};
    const qel_text_line* lines = fx->lines ? fx->lines : n->lines;
    int32_t count = fx->lines ? fx->line_count : n->line_count;
    if (fx->lines || (n->flags & QEL_NODE_WRAP_TEXT)) {
        for (int32_t i = 0; i < count; i++)
            fx_line(ctx, fx, lines[i].start, lines[i].end, n->rect.y + (float)i * fx->line_box, false);
    } else {
        for (int32_t start = 0, line = 0; start <= fx->length; line++) {
            const char* feed = (const char*)memchr(fx->text + start, '\n', (size_t)(fx->length - start));
            int32_t end = feed ? (int32_t)(feed - fx->text) : fx->length;
            fx_line(ctx, fx, start, end, n->rect.y + (float)line * fx->line_box, true);
            start = end + 1;
        }
    }
    ctx->fonts.color_hook = saved;
    if (fx->after) fx->after(ctx, fx);
}

static qel_fx_text* fx_record(qel_context* ctx, int32_t node, uint32_t font, float size, qel_color color,
                              qel_glyph_color_fn glyph, const void* payload, size_t payload_size)
{
    auto* fx = (qel_fx_text*)qel_arena_alloc(ctx, sizeof(qel_fx_text));
    fx->glyph = glyph;
    fx->color = qel_color_resolve(ctx, color);
    fx->font = font;
    fx->size = size;
    if (payload_size) {
        fx->payload = qel_arena_alloc(ctx, payload_size);
        memcpy(fx->payload, payload, payload_size);
    }
    qel_node* n = qel_node_at(ctx, node);
    n->draw = fx_text_draw;
    n->draw_user = fx;
    return fx;
}

qel_fx_text* qel_fx_text_node(qel_context* ctx, uint32_t id, const char* text, int32_t length, uint32_t font,
                              float size, qel_color color, bool wrap, qel_size width, qel_glyph_color_fn glyph,
                              const void* payload, size_t payload_size)
{
    int32_t index = qel_node_text(ctx, text, length, font, size, color, wrap);
    qel_fx_text* fx = fx_record(ctx, index, font, size, color, glyph, payload, payload_size);
    qel_node* n = qel_node_at(ctx, index);
    n->id = id;
    n->text_color = 0;
    if (width.kind != QEL_SIZE_FIT) n->width = width;
    fx->text = n->text;
    fx->length = n->text_length;
    fx->line_box = n->font_size * n->line_height;
    return fx;
}

qel_fx_text* qel_fx_lines_node(qel_context* ctx, uint32_t id, const char* text, const qel_text_line* lines,
                               int32_t line_count, uint32_t font, float size, qel_color color, qel_size width,
                               qel_glyph_color_fn glyph, const void* payload, size_t payload_size)
{
    float box = size * FX_LINE_HEIGHT;
    int32_t index = qel_node_sized(ctx, id, width, {QEL_SIZE_FIXED, box * (float)line_count});
    qel_fx_text* fx = fx_record(ctx, index, font, size, color, glyph, payload, payload_size);
    fx->length = (int32_t)strlen(text);
    fx->text = qel_arena_strdup(ctx, text, fx->length);
    fx->line_box = box;
    fx->lines = (qel_text_line*)qel_arena_alloc(ctx, sizeof(qel_text_line) * (size_t)std::max(line_count, 1));
    memcpy(fx->lines, lines, sizeof(qel_text_line) * (size_t)line_count);
    fx->line_count = line_count;
    return fx;
}
