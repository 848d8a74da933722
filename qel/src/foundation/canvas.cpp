// Canvases: the box, its interaction and the draw callback that clips the caller's painting to
// the box. The painting itself is the caller's.
#include "qel/canvas.h"

#include <cstring>

#include "qel/arena.h"
#include "qel/draw.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"

struct canvas_payload {
    qel_canvas_fn draw;
    const void* user;
};

static void canvas_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const canvas_payload*)user;
    qel_draw_push_clip(ctx, &node->rect);
    p->draw(ctx, node->rect, p->user);
    qel_draw_pop_clip(ctx);
}

qel_canvas_result qel_canvas(qel_context* ctx, const char* label, qel_size width, qel_size height, qel_canvas_fn draw,
                             const void* user, size_t user_size)
{
    uint32_t id = qel_id(ctx, label ? label : "canvas");
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_HOLD_OUTSIDE);
    qel_rect r = qel_id_rect(ctx, id);
    qel_vec2 p = qel_mouse_pos(ctx);
    int32_t index = qel_node_sized(ctx, id, width, height);
    qel_node_mark_interactive(ctx, index, 0);
    if (draw) {
        auto* payload = (canvas_payload*)qel_arena_alloc(ctx, sizeof(canvas_payload));
        payload->draw = draw;
        payload->user = user;
        if (user && user_size) payload->user = memcpy(qel_arena_alloc(ctx, user_size), user, user_size);
        qel_node* n = qel_node_at(ctx, index);
        n->draw = canvas_draw;
        n->draw_user = payload;
    }
    qel_set_last_item(ctx, id);
    return {r.x, r.y, r.w, r.h, it.hovered, it.held, it.clicked, p.x - r.x, p.y - r.y};
}
