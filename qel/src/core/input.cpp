// Input intake from the platform layer and the queries widgets read it through: pointer,
// buttons with click counting, wheel, keys, typed text, window focus and dropped files. Also the
// disabled scopes, the last item and the requested cursor. Item interaction is interact.cpp's.
#include <cstring>
#include <initializer_list>

#include "core/array_grow.h"
#include "core/core.h"
#include "qel/state.h"

static const float OUTSIDE = -1000000.0f;
static const double DOUBLE_CLICK_SECONDS = 0.4;
static const float DOUBLE_CLICK_DISTANCE_SQ = 25.0f;
static const uint32_t FIRST_DROP_BUFFER = 1024;

void qel_input_init(qel_context* ctx)
{
    ctx->input.window_focused = 1;
    ctx->input.mouse_x = ctx->input.mouse_y = OUTSIDE;
    ctx->input.prev_mouse_x = ctx->input.prev_mouse_y = OUTSIDE;
}

void qel_input_release(qel_context* ctx)
{
    qel_interaction_state* s = &ctx->interaction;
    qel_mem_free(ctx, ctx->drops.buffer);
    for (qel_hit_list* list : {&s->hits, &s->last_hits}) qel_mem_free(ctx, list->rects);
    for (qel_focus_order* order : {&s->focus, &s->last_focus}) {
        qel_mem_free(ctx, order->ids);
        qel_mem_free(ctx, order->layers);
    }
    *s = {};
    ctx->drops = {};
}

// Every accepted event makes the next two frames run.
static void mark_changed(qel_context* ctx)
{
    ctx->input.changed = 1;
    if (ctx->clock.input_frames < 2) ctx->clock.input_frames = 2;
}

static bool real_key(int32_t key)
{
    return key >= 1 && key < QEL_KEY_COUNT;
}

static void move_pointer(qel_input* in, float x, float y)
{
    in->mouse_x = x;
    in->mouse_y = y;
    in->mouse_inside = 1;
}

// --- Intake ---

void qel_input_mouse_move(qel_context* ctx, float x, float y)
{
    qel_input* in = &ctx->input;
    if (in->mouse_inside && in->mouse_x == x && in->mouse_y == y) return;
    move_pointer(in, x, y);
    mark_changed(ctx);
}

void qel_input_mouse_leave(qel_context* ctx)
{
    qel_input* in = &ctx->input;
    in->mouse_x = in->mouse_y = OUTSIDE;
    in->mouse_inside = 0;
    mark_changed(ctx);
}

void qel_input_mouse_button(qel_context* ctx, uint32_t button, bool down)
{
    qel_input* in = &ctx->input;
    if (button > 2) return;
    if (!down && in->down[button]) in->released[button] = 1;
    if (down && !in->down[button]) {
        in->pressed[button] = 1;
        if (button == 0) {
            in->release_cancelled = 0;
            double now = ctx->clock.time;
            float dx = in->mouse_x - in->last_press_x, dy = in->mouse_y - in->last_press_y;
            bool repeat =
                now - in->last_press_time < DOUBLE_CLICK_SECONDS && dx * dx + dy * dy < DOUBLE_CLICK_DISTANCE_SQ;
            in->click_count = repeat ? in->click_count + 1 : 1;
            in->last_press_time = now;
            in->last_press_x = in->mouse_x;
            in->last_press_y = in->mouse_y;
        }
    }
    in->down[button] = down;
    mark_changed(ctx);
}

void qel_input_wheel(qel_context* ctx, float dx, float dy)
{
    ctx->input.wheel_x += dx;
    ctx->input.wheel_y += dy;
    mark_changed(ctx);
}

void qel_input_key(qel_context* ctx, int32_t key, bool down, uint32_t modifiers)
{
    qel_input* in = &ctx->input;
    if (!down && key != 0) {
        // Only a key we track can be let go; any other code would index past the tables.
        if (!real_key(key)) return;
        in->key_down[key] = 0;
        mark_changed(ctx);
        return;
    }
    in->modifiers = modifiers;
    if (down && real_key(key)) {
        in->key_down[key] = 1;
        if (in->key_presses[key] < 255) in->key_presses[key]++;
    }
    mark_changed(ctx);
}

void qel_input_chars(qel_context* ctx, const char* utf8)
{
    qel_input* in = &ctx->input;
    if (!utf8) return;
    size_t length = strlen(utf8);
    if (in->text_length + length > sizeof in->text - 1) return;
    for (size_t i = 0; i < length; i++) {
        uint8_t b = (uint8_t)utf8[i];
        if (b >= 32 && b != 127) in->text[in->text_length++] = (char)b;
    }
    in->text[in->text_length] = 0;
    mark_changed(ctx);
}

void qel_input_focus(qel_context* ctx, bool focused)
{
    qel_input* in = &ctx->input;
    in->window_focused = focused;
    if (!focused) {
        memset(in->key_down, 0, sizeof in->key_down);
        in->modifiers = 0;
        // Another window took the press: it ends, but nothing was clicked.
        if (in->down[0]) in->release_cancelled = 1;
        for (int b = 0; b < 3; b++) {
            if (in->down[b]) in->released[b] = 1;
            in->down[b] = 0;
        }
    }
    mark_changed(ctx);
}

void qel_input_drag_hover(qel_context* ctx, bool hovering, float x, float y)
{
    qel_dropped_files* d = &ctx->drops;
    d->drag_hovering = hovering;
    d->drag_x = x;
    d->drag_y = y;
    if (hovering) move_pointer(&ctx->input, x, y);
    mark_changed(ctx);
}

static void append_path(qel_context* ctx, const char* path)
{
    qel_dropped_files* d = &ctx->drops;
    size_t size = strlen(path) + 1;
    // With at most 64 paths a frame, this keeps the buffer's sizes far inside 32 bits.
    if (size > UINT32_MAX / 128) return;
    d->buffer = qel_array_grow(ctx, d->buffer, &d->capacity, (int64_t)(d->used + size), FIRST_DROP_BUFFER);
    memcpy(d->buffer + d->used, path, size);
    d->offsets[d->count++] = d->used;
    d->used += (uint32_t)size;
}

void qel_input_drop_files(qel_context* ctx, const char* const* paths, int32_t count, float x, float y)
{
    qel_dropped_files* d = &ctx->drops;
    d->drag_hovering = 0;
    for (int32_t i = 0; paths && i < count && d->count < QEL_DROP_MAX_PATHS; i++)
        if (paths[i]) append_path(ctx, paths[i]);
    d->consumed = d->taken = 0;
    d->x = x;
    d->y = y;
    move_pointer(&ctx->input, x, y);
    mark_changed(ctx);
}

void qel_input_end_frame(qel_context* ctx)
{
    qel_input* in = &ctx->input;
    in->prev_mouse_x = in->mouse_x;
    in->prev_mouse_y = in->mouse_y;
    memset(in->pressed, 0, sizeof in->pressed);
    memset(in->released, 0, sizeof in->released);
    in->release_cancelled = 0;
    in->wheel_x = in->wheel_y = 0;
    memset(in->key_presses, 0, sizeof in->key_presses);
    in->text[0] = 0;
    in->text_length = 0;
    in->changed = 0;
    ctx->drops.count = 0;
    ctx->drops.used = 0;
    ctx->drops.consumed = ctx->drops.taken = 0;
}

// --- Queries ---

bool qel_key_pressed(qel_context* ctx, int32_t key)
{
    return real_key(key) && ctx->input.key_presses[key] != 0;
}

bool qel_mouse_in_window(qel_context* ctx)
{
    return ctx->input.mouse_inside != 0;
}

bool qel_key_take(qel_context* ctx, int32_t key)
{
    if (!qel_key_pressed(ctx, key)) return false;
    ctx->input.key_presses[key] = 0;
    return true;
}

bool qel_key_down(qel_context* ctx, int32_t key)
{
    return real_key(key) && ctx->input.key_down[key] != 0;
}

uint32_t qel_modifiers(qel_context* ctx)
{
    return ctx->input.modifiers;
}

bool qel_shortcut_pressed(qel_context* ctx, uint32_t modifiers, int32_t key)
{
    return qel_key_pressed(ctx, key) && (ctx->input.modifiers & 15u) == modifiers;
}

qel_vec2 qel_mouse_pos(qel_context* ctx)
{
    return {ctx->input.mouse_x, ctx->input.mouse_y};
}

qel_vec2 qel_mouse_prev_pos(qel_context* ctx)
{
    return {ctx->input.prev_mouse_x, ctx->input.prev_mouse_y};
}

bool qel_mouse_moved(qel_context* ctx)
{
    const qel_input* in = &ctx->input;
    return in->mouse_x != in->prev_mouse_x || in->mouse_y != in->prev_mouse_y;
}

bool qel_mouse_down(qel_context* ctx, uint32_t button)
{
    return button <= 2 && ctx->input.down[button];
}

bool qel_mouse_pressed(qel_context* ctx, uint32_t button)
{
    return button <= 2 && ctx->input.pressed[button];
}

bool qel_any_item_hot(qel_context* ctx)
{
    return ctx->interaction.hovered != 0 || ctx->interaction.active != 0;
}

int32_t qel_dropped_file_count(qel_context* ctx)
{
    return ctx->drops.consumed ? 0 : ctx->drops.count;
}

const char* qel_dropped_file_path(qel_context* ctx, int32_t index)
{
    if (index < 0 || index >= qel_dropped_file_count(ctx)) return nullptr;
    return ctx->drops.buffer + ctx->drops.offsets[index];
}

bool qel_drag_hovering(qel_context* ctx)
{
    return ctx->drops.drag_hovering != 0;
}

void qel_set_cursor(qel_context* ctx, qel_cursor cursor)
{
    ctx->cursor = cursor;
}

uint32_t qel_last_item_id(qel_context* ctx)
{
    return ctx->interaction.last_item;
}

void qel_set_last_item(qel_context* ctx, uint32_t id)
{
    ctx->interaction.last_item = id;
}

qel_rect qel_last_item_rect(qel_context* ctx)
{
    return qel_id_rect(ctx, ctx->interaction.last_item);
}

bool qel_last_item_hovered(qel_context* ctx)
{
    return ctx->interaction.last_item != 0 && ctx->interaction.last_item == ctx->interaction.hovered;
}

// --- Disabled scopes ---

void qel_push_disabled(qel_context* ctx, bool disabled)
{
    qel_interaction_state* s = &ctx->interaction;
    if (!qel_stack_push(&s->disabled_depth, QEL_DISABLED_STACK_CAPACITY)) return;
    s->disabled[s->disabled_depth.depth - 1] = disabled;
    if (disabled) s->disabled_count++;
}

void qel_pop_disabled(qel_context* ctx)
{
    qel_interaction_state* s = &ctx->interaction;
    if (qel_stack_pop(&s->disabled_depth, 0) && s->disabled[s->disabled_depth.depth]) s->disabled_count--;
}

bool qel_is_disabled(qel_context* ctx)
{
    return ctx->interaction.disabled_count > 0;
}
