// The compare slider: the divider's drag and keys, and the two images cut at the divider with
// their labels and the handle.
#include "kit/state_records.h"
#include "qel/compare_slider.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

void qel_pill(qel_context* ctx, const char* text, float x, float y, bool right_aligned,
              const qel_compare_slider_paint* paint)
{
    const qel_theme& t = ctx->theme.current;
    float size = t.text_xs * t.ui_scale;
    float w = qel_text_width(ctx, QEL_FONT_MEDIUM, size, text, -1, 0) + 16;
    qel_rect pill = {right_aligned ? x - w : x, y, w, 22};
    float radii[4] = {6, 6, 6, 6};
    qel_draw_rect(ctx, &pill, radii, paint->pill_fill);
    qel_draw_text_aligned(ctx, QEL_FONT_MEDIUM, size, pill.x + 8, y + 11, 0, paint->pill_text, text, 0);
}

// Texture coordinates that cover the box with images of the aspect without distorting them.
static qel_rect cover_uv(float aspect, float w, float h)
{
    if (!(aspect > 0) || !(h > 0)) return {0, 0, 1, 1};
    float r = w / h;
    if (r < aspect) return {(1 - r / aspect) / 2, 0, r / aspect, 1};
    return {0, (1 - aspect / r) / 2, 1, aspect / r};
}

void qel_compare_slider_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const qel_compare_slider_paint*)user;
    qel_rect r = node->rect;
    float pos = qel_unit_clamp(p->position);
    qel_rect uv = cover_uv(p->image_aspect, r.w, r.h);
    qel_draw_image(ctx, p->after, &r, &uv, node->radii, 0xFFFFFFFF);
    qel_rect left = {r.x, r.y, pos * r.w, r.h};
    qel_draw_push_clip(ctx, &left);
    qel_draw_image(ctx, p->before, &r, &uv, node->radii, 0xFFFFFFFF);
    qel_draw_pop_clip(ctx);
    if (p->before_label) qel_pill(ctx, p->before_label, r.x + 12, r.y + 12, false, p);
    if (p->after_label) qel_pill(ctx, p->after_label, r.x + r.w - 12, r.y + 12, true, p);
    qel_rect divider = {r.x + pos * r.w - 1, r.y, 2, r.h};
    qel_draw_rect(ctx, &divider, nullptr, p->divider);
    float cx = r.x + pos * r.w, cy = r.y + r.h / 2, R = 17 + 2 * p->hover;
    qel_rect handle = {cx - R, cy - R, 2 * R, 2 * R};
    float radii[4] = {R, R, R, R};
    qel_draw_box_shadow(ctx, &handle, radii, 12, 0, {0, 3}, 0x3C000000);
    qel_draw_circle(ctx, {cx, cy}, R, p->handle);
    qel_rect a = {cx - 15, cy - 8, 16, 16}, b = {cx - 1, cy - 8, 16, 16};
    qel_draw_text_in_rect(ctx, QEL_ICON_CHEVRON_LEFT, &a, 12, 0xFF221E1E);
    qel_draw_text_in_rect(ctx, QEL_ICON_CHEVRON_RIGHT, &b, 12, 0xFF221E1E);
    if (p->focus_ring) qel_draw_focus_ring(ctx, &r, node->radii, 1);
}

bool qel_compare_slider(qel_context* ctx, const char* label, uint64_t before, uint64_t after, float* position,
                        const qel_compare_slider_opts* options)
{
    qel_compare_slider_opts o = options ? *options : qel_compare_slider_opts{};
    float local = 0;
    float* pos = position ? position : &local;
    float entry = *pos;
    uint32_t id = qel_id(ctx, label);
    auto* hover = qel_state_record_of<float>(ctx, id, "float");
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    qel_rect box = qel_id_rect(ctx, id);
    if (it.held && qel_mouse_down(ctx, 0) && box.w > 0 && qel_mouse_in_window(ctx))
        *pos = qel_unit_clamp((qel_mouse_pos(ctx).x - box.x) / box.w);
    if (it.focused) {
        if (qel_key_take(ctx, QEL_KEY_LEFT)) *pos = qel_unit_clamp(*pos - 0.05f);
        if (qel_key_take(ctx, QEL_KEY_RIGHT)) *pos = qel_unit_clamp(*pos + 0.05f);
    }
    qel_anim_exp(ctx, hover, it.hovered || it.held ? 1.0f : 0.0f, 0.14f);
    int32_t node = qel_node_sized(ctx, id, o.width.kind ? o.width : qel_size{QEL_SIZE_GROW, 1},
                                  {QEL_SIZE_FIXED, o.height > 0 ? o.height : 280});
    qel_node* n = qel_node_at(ctx, node);
    n->flags |= QEL_NODE_CLIP;
    n->fill = qel_color_token(QEL_COLOR_SUBTLE);
    qel_node_round(n, ctx->theme.current.radius_medium);
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    if (it.hovered || it.held) qel_set_cursor(ctx, QEL_CURSOR_RESIZE_EW);
    qel_compare_slider_paint p = {before, after, *pos, *hover, o.image_aspect,
                                  o.before_label ? o.before_label : "Before", o.after_label ? o.after_label : "After",
                                  0xFFFFFFFF, 0xE6FFFFFF, 0x78000000, 0xFFFFFFFF,
                                  (uint8_t)(it.focused && it.focus_visible)};
    // An empty label is none: no pill.
    p.before_label = *p.before_label ? qel_arena_strdup(ctx, p.before_label, -1) : nullptr;
    p.after_label = *p.after_label ? qel_arena_strdup(ctx, p.after_label, -1) : nullptr;
    qel_node_draw_with(ctx, node, qel_compare_slider_draw, &p, sizeof p, false);
    qel_set_last_item(ctx, id);
    return !(*pos == entry) && !(std::isnan(*pos) && std::isnan(entry));
}
