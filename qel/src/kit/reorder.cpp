// Drag to reorder: the press, the lift past the threshold, the target slot and the room the other
// items make.
#include "kit/reorder.h"

#include <cmath>

#include "qel/anim.h"

static const float DRAG_THRESHOLD = 4.0f;
static const float LIFT_PERIOD = 0.26f, LIFT_BOUNCE = 0.12f, SLIDE_PERIOD = 0.4f;

void qel_reorder_begin(qel_reorder* r, int32_t count)
{
    if (!r->started) r->dragged = -1, r->started = 1;
    if (r->dragged >= count) r->dragged = -1, r->pressed = 0;
    if (r->pressed_index >= count) r->pressed = 0;
}

void qel_reorder_press(qel_reorder* r, int32_t index, float pointer)
{
    r->pressed = 1;
    r->pressed_index = index;
    r->press = pointer;
}

bool qel_reorder_follow(qel_reorder* r, const qel_reorder_items* items, float pointer, bool down)
{
    if (r->pressed && !down) r->pressed = 0;
    if (r->pressed && fabsf(pointer - r->press) > DRAG_THRESHOLD && items->all_known) {
        r->dragged = r->target = r->pressed_index;
        r->grab = r->press - items->start[r->dragged];
        r->pressed = 0;
    }
    if (r->dragged < 0) return false;
    if (items->all_known) return true;
    if (!down) r->dragged = -1;
    return false;
}

int32_t qel_reorder_target(const qel_reorder_items* items, int32_t dragged, float lead, float trail)
{
    auto middle = [items](int32_t j) { return items->start[j] + items->size[j] * 0.5f; };
    for (int32_t j = 0; j < dragged; j++)
        if (middle(j) > lead) return j;
    int32_t target = dragged;
    for (int32_t j = dragged + 1; j < items->count; j++)
        if (middle(j) < trail) target = j;
    return target;
}

float qel_reorder_lift(qel_context* ctx, qel_reorder* r)
{
    return qel_anim_spring(ctx, r->lift, r->dragged >= 0 ? 1.0f : 0.0f, LIFT_PERIOD, LIFT_BOUNCE);
}

float qel_reorder_slide(qel_context* ctx, const qel_reorder* r, int32_t i, float spring[2], float shift)
{
    int32_t d = r->dragged, t = r->target;
    float room = 0;
    if (d >= 0 && d < t && d < i && i <= t) room = -shift;
    if (d >= 0 && t < d && t <= i && i < d) room = shift;
    return qel_anim_spring(ctx, spring, room, SLIDE_PERIOD, 0);
}
