// The pieces the animated and showcase widgets share: the motion switch, the accent-following
// colour and text nodes drawn glyph by glyph through a colour callback.
#include "widgets/editors/showcase_parts.h"

#include <cstring>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/arena.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "widgets/pickers/picker_nodes.h"

bool qel_motion_on(qel_context* ctx)
{
    return ctx->theme.current.motion_scale > 0.0f;
}

qel_color qel_accent_or_text(qel_context* ctx)
{
    return qel_picker_accent(ctx, QEL_COLOR_TEXT);
}

float qel_fx_text_size(qel_context* ctx, float size)
{
    return qel_scaled(ctx, size > 0.0f ? size : ctx->theme.current.text_body);
}

// One line of the node's text from byte start, with the hook told where it stands.
static void fx_line(qel_context* ctx, const qel_node* n, qel_fx_text* fx, int32_t start, int32_t end,
                    float box_top, bool cut)
{
    ctx->fonts.color_hook.base_offset = start;
    ctx->fonts.color_hook.line_top = box_top;
    float y = box_top + (fx->line_box - qel_line_height(ctx, (int32_t)n->font, n->font_size)) * 0.5f;
    const char* text = n->text + start;
    fx->last_line = text;
    fx->last_line_length = end - start;
    fx->last_line_top = box_top;
    if (cut)
        qel_draw_text_ellipsis(ctx, (int32_t)n->font, n->font_size, n->rect.x, y, n->rect.w, fx->color, text,
                               end - start, 0);
    else
        qel_draw_text(ctx, (int32_t)n->font, n->font_size, n->rect.x, y, fx->color, text, end - start, 0);
}

// The text as the layout broke it, every glyph through the callback. The core draws nothing of
// the node's own text (its colour is clear), so offsets count from the start of the whole text
// rather than of each line.
static void fx_text_draw(qel_context* ctx, const qel_node* n, void* user)
{
    auto* fx = (qel_fx_text*)user;
    fx->rect = n->rect;
    fx->line_box = n->font_size * n->line_height;
    const qel_glyph_color_hook saved = ctx->fonts.color_hook;
    ctx->fonts.color_hook = {fx->glyph, fx, 0, 0};
    if (n->flags & QEL_NODE_WRAP_TEXT) {
        for (int32_t i = 0; i < n->line_count; i++)
            fx_line(ctx, n, fx, n->lines[i].start, n->lines[i].end, n->rect.y + (float)i * fx->line_box, false);
    } else {
        for (int32_t start = 0, line = 0; start <= n->text_length; line++) {
            const char* feed = (const char*)memchr(n->text + start, '\n', (size_t)(n->text_length - start));
            int32_t end = feed ? (int32_t)(feed - n->text) : n->text_length;
            fx_line(ctx, n, fx, start, end, n->rect.y + (float)line * fx->line_box, true);
            start = end + 1;
        }
    }
    ctx->fonts.color_hook = saved;
    if (fx->after) fx->after(ctx, fx);
}

qel_fx_text* qel_fx_text_node(qel_context* ctx, uint32_t id, const char* text, int32_t length, uint32_t font,
                              float size, qel_color color, bool wrap, qel_size width, qel_glyph_color_fn glyph,
                              const void* payload, size_t payload_size)
{
    int32_t index = qel_node_text(ctx, text, length, font, size, color, wrap);
    auto* fx = (qel_fx_text*)qel_arena_alloc(ctx, sizeof(qel_fx_text));
    fx->glyph = glyph;
    fx->color = qel_color_resolve(ctx, color);
    fx->font = font;
    fx->size = size;
    if (payload_size) {
        fx->payload = qel_arena_alloc(ctx, payload_size);
        memcpy(fx->payload, payload, payload_size);
    }
    qel_node* n = qel_node_at(ctx, index);
    n->id = id;
    n->text_color = 0;
    if (width.kind != QEL_SIZE_FIT) n->width = width;
    n->draw = fx_text_draw;
    n->draw_user = fx;
    return fx;
}
