// The draw list: vertex, index and command arrays that keep their memory across frames,
// commands merged per run of equal clip and texture, and the clip and transform stacks.
#include <cmath>
#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"

static qel_rect* top_clip(qel_draw_list* d)
{
    return &d->clip[d->clip_depth.depth - 1];
}

static const qel_transform* top_transform(const qel_draw_list* d)
{
    return &d->transform[d->transform_depth.depth - 1];
}

const qel_transform* qel_draw_top_transform(qel_context* ctx)
{
    return top_transform(&ctx->draw);
}

const qel_rect* qel_draw_top_clip(qel_context* ctx)
{
    return top_clip(&ctx->draw);
}

void qel_draw_reset(qel_context* ctx)
{
    qel_draw_list* d = &ctx->draw;
    float s = ctx->clock.scale;
    d->vertex_count = d->index_count = d->command_count = 0;
    d->clip_depth = {1, 0};
    d->clip[0] = {0, 0, ctx->clock.display_w * s, ctx->clock.display_h * s};
    d->transform_depth = {1, 0};
    d->transform[0] = {1, 0, 0, 1, 0};
    d->texture = 0;
}

void qel_draw_release(qel_context* ctx)
{
    qel_mem_free(ctx, ctx->draw.vertices);
    qel_mem_free(ctx, ctx->draw.indices);
    qel_mem_free(ctx, ctx->draw.commands);
    ctx->draw = {};
}

// The command the next draw goes into: the last one when clip and texture match or it is empty.
static qel_draw_cmd* current_command(qel_context* ctx)
{
    qel_draw_list* d = &ctx->draw;
    const qel_rect* clip = top_clip(d);
    if (d->command_count > 0) {
        qel_draw_cmd* last = &d->commands[d->command_count - 1];
        bool same_clip = memcmp(&last->clip, clip, sizeof *clip) == 0;
        if (same_clip && last->texture == d->texture) return last;
        if (last->index_count == 0) {
            last->clip = *clip;
            last->texture = d->texture;
            return last;
        }
    }
    d->commands = qel_array_grow(ctx, d->commands, &d->command_capacity, d->command_count + 1ll);
    qel_draw_cmd* cmd = &d->commands[d->command_count++];
    cmd->clip = *clip;
    cmd->texture = d->texture;
    cmd->first_index = d->index_count;
    cmd->index_count = 0;
    return cmd;
}

static qel_vertex* reserve(qel_context* ctx, int32_t vertex_count, int32_t index_count, uint32_t* first_vertex)
{
    qel_draw_list* d = &ctx->draw;
    if (vertex_count < 0) vertex_count = 0;
    if (index_count < 0) index_count = 0;
    qel_draw_cmd* cmd = current_command(ctx);
    d->vertices = qel_array_grow(ctx, d->vertices, &d->vertex_capacity, (int64_t)d->vertex_count + vertex_count);
    d->indices = qel_array_grow(ctx, d->indices, &d->index_capacity, (int64_t)d->index_count + index_count);
    *first_vertex = d->vertex_count;
    d->vertex_count += (uint32_t)vertex_count;
    cmd->index_count += (uint32_t)index_count;
    return &d->vertices[*first_vertex];
}

// reserve() when the last command takes the draw as it is and the arrays have room, as they do for
// nearly every shape of a frame: no call, so none of the caller's values need saving around one.
static inline qel_vertex* reserve_quick(qel_context* ctx, int32_t vertex_count, int32_t index_count,
                                        uint32_t* first_vertex)
{
    qel_draw_list* d = &ctx->draw;
    if (d->command_count == 0 || vertex_count < 0 || index_count < 0 ||
        (int64_t)d->vertex_count + vertex_count > (int64_t)d->vertex_capacity ||
        (int64_t)d->index_count + index_count > (int64_t)d->index_capacity)
        return reserve(ctx, vertex_count, index_count, first_vertex);
    qel_draw_cmd* last = &d->commands[d->command_count - 1];
    if (last->texture != d->texture || memcmp(&last->clip, top_clip(d), sizeof last->clip) != 0)
        return reserve(ctx, vertex_count, index_count, first_vertex);
    *first_vertex = d->vertex_count;
    d->vertex_count += (uint32_t)vertex_count;
    last->index_count += (uint32_t)index_count;
    return &d->vertices[*first_vertex];
}

qel_vertex* qel_draw_reserve_whole(qel_context* ctx, int32_t vertex_count, int32_t index_count,
                                   uint32_t* first_vertex)
{
    return reserve_quick(ctx, vertex_count, index_count, first_vertex);
}

qel_vertex* qel_draw_reserve(qel_context* ctx, int32_t vertex_count, int32_t index_count, uint32_t* first_vertex)
{
    qel_vertex* v = reserve(ctx, vertex_count, index_count, first_vertex);
    memset(v, 0, (size_t)(ctx->draw.vertex_count - *first_vertex) * sizeof(qel_vertex));
    return v;
}

void qel_draw_take_back(qel_context* ctx, uint32_t first, uint32_t index_count)
{
    qel_draw_list* d = &ctx->draw;
    d->vertex_count = first;
    d->commands[d->command_count - 1].index_count -= index_count;
}

static bool culled(const qel_draw_list* d, float x0, float y0, float x1, float y1)
{
    // Renderers turn positions into pixel indices: nothing that is not finite may pass.
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return true;
    const qel_rect* c = &d->clip[d->clip_depth.depth - 1];
    if (c->w <= 0 || c->h <= 0) return true;
    return c->x > x1 || c->y > y1 || x0 > c->x + c->w || y0 > c->y + c->h;
}

bool qel_draw_culled(qel_context* ctx, float x0, float y0, float x1, float y1)
{
    return culled(&ctx->draw, x0, y0, x1, y1);
}

qel_vec2* qel_draw_transform_points(qel_context* ctx, const qel_vec2* points, uint32_t count)
{
    const qel_transform* t = top_transform(&ctx->draw);
    float s = ctx->clock.scale * t->scale;
    qel_vec2* out = (qel_vec2*)qel_arena_alloc(ctx, (size_t)count * sizeof(qel_vec2));
    for (uint32_t i = 0; i < count; i++) out[i] = {points[i].x * s + t->offset_x, points[i].y * s + t->offset_y};
    return out;
}

void qel_draw_quad_indices(qel_context* ctx, uint32_t b)
{
    qel_draw_list* d = &ctx->draw;
    uint32_t* idx = &d->indices[d->index_count];
    const uint32_t pattern[6] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < 6; i++) idx[i] = b + pattern[i];
    d->index_count += 6;
}

// fminf without the library call, for operands that are never NaN.
static float smaller(float a, float b)
{
    return a < b ? a : b;
}

void qel_draw_shape(qel_context* ctx, float centre_x, float centre_y, float half_w, float half_h, float pad,
                    const float radii[4], float param, int32_t kind, qel_color fill_tl, qel_color fill_tr,
                    qel_color fill_br, qel_color fill_bl, qel_color border, uint64_t texture, float u_min, float v_min,
                    float u_max, float v_max)
{
    qel_draw_list* d = &ctx->draw;
    const qel_transform* t = top_transform(d);
    float cx = centre_x * t->scale + t->offset_x, cy = centre_y * t->scale + t->offset_y;
    float hx = half_w * t->scale, hy = half_h * t->scale;
    float p = pad * t->scale;
    if ((kind == QEL_SHAPE_ROUNDED_BOX || kind == QEL_SHAPE_IMAGE) && !(p >= 1.0f)) p = 1.0f;
    float ex = hx + p, ey = hy + p;
    // Past the cull every length here is finite.
    if (culled(d, cx - ex, cy - ey, cx + ex, cy + ey)) return;

    d->texture = texture;
    uint32_t b;
    qel_vertex* v = reserve_quick(ctx, 4, 6, &b);
    const float* given = qel_draw_radii(radii);
    float limit = kind == QEL_SHAPE_SHADOW ? INFINITY : smaller(hx, hy), r[4];
    for (int i = 0; i < 4; i++) r[i] = smaller(qel_finite_or_zero(given[i] * t->scale), limit);
    float sp = qel_finite_or_zero(param * t->scale), sk = (float)kind;
    if (t->alpha < 1.0f) {
        fill_tl = qel_color_alpha(fill_tl, t->alpha);
        fill_tr = qel_color_alpha(fill_tr, t->alpha);
        fill_br = qel_color_alpha(fill_br, t->alpha);
        fill_bl = qel_color_alpha(fill_bl, t->alpha);
        border = qel_color_alpha(border, t->alpha);
    }
    // Texture coordinates at the left and right (top and bottom) corners. An image covers the
    // shape itself; its pad margin samples past the edges.
    float u0 = u_min, u1 = u_max, v0 = v_min, v1 = v_max;
    if (kind == QEL_SHAPE_IMAGE && p > 0 && hx > 0 && hy > 0) {
        u0 = (-ex + hx) * (u_max - u_min) / (2 * hx) + u_min;
        u1 = (ex + hx) * (u_max - u_min) / (2 * hx) + u_min;
        v0 = (-ey + hy) * (v_max - v_min) / (2 * hy) + v_min;
        v1 = (ey + hy) * (v_max - v_min) / (2 * hy) + v_min;
    }
    u0 = qel_finite_or_zero(u0);
    u1 = qel_finite_or_zero(u1);
    v0 = qel_finite_or_zero(v0);
    v1 = qel_finite_or_zero(v1);
    // Corners in vertex order: top-left, top-right, bottom-right, bottom-left.
    v[0] = {{cx - ex, cy - ey}, {u0, v0}, {-ex, -ey}, {hx, hy}, {r[0], r[1], r[2], r[3]}, sp, sk, fill_tl, border};
    v[1] = {{cx + ex, cy - ey}, {u1, v0}, {ex, -ey}, {hx, hy}, {r[0], r[1], r[2], r[3]}, sp, sk, fill_tr, border};
    v[2] = {{cx + ex, cy + ey}, {u1, v1}, {ex, ey}, {hx, hy}, {r[0], r[1], r[2], r[3]}, sp, sk, fill_br, border};
    v[3] = {{cx - ex, cy + ey}, {u0, v1}, {-ex, ey}, {hx, hy}, {r[0], r[1], r[2], r[3]}, sp, sk, fill_bl, border};
    qel_draw_quad_indices(ctx, b);
}

void qel_draw_push_transform(qel_context* ctx, float scale, float pivot_x, float pivot_y, float alpha, float offset_x,
                             float offset_y)
{
    qel_draw_list* d = &ctx->draw;
    qel_transform parent = *top_transform(d);
    if (!qel_stack_push(&d->transform_depth, QEL_TRANSFORM_STACK_CAPACITY)) return;
    float s = ctx->clock.scale;
    float qx = pivot_x * s, qy = pivot_y * s;
    qel_transform* t = &d->transform[d->transform_depth.depth - 1];
    t->scale = parent.scale * scale;
    t->offset_x = (qx - qx * scale + offset_x * s) * parent.scale + parent.offset_x;
    t->offset_y = (qy - qy * scale + offset_y * s) * parent.scale + parent.offset_y;
    // Alpha only fades; NaN fades to nothing.
    t->alpha = parent.alpha * (alpha > 0.0f ? fminf(alpha, 1.0f) : 0.0f);
    t->reserved = 0;
}

void qel_draw_pop_transform(qel_context* ctx)
{
    qel_stack_pop(&ctx->draw.transform_depth, 1);
}

void qel_draw_push_clip(qel_context* ctx, const qel_rect* r)
{
    qel_draw_list* d = &ctx->draw;
    qel_rect parent = *top_clip(d);
    if (!qel_stack_push(&d->clip_depth, QEL_CLIP_STACK_CAPACITY)) return;
    const qel_transform* t = top_transform(d);
    float s = ctx->clock.scale * t->scale;
    qel_rect* c = top_clip(d);
    if (!r) {
        *c = parent;
        return;
    }
    float x0 = floorf(r->x * s + t->offset_x), y0 = floorf(r->y * s + t->offset_y);
    float x1 = ceilf(r->x * s + t->offset_x + r->w * s), y1 = ceilf(r->y * s + t->offset_y + r->h * s);
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
        *c = {parent.x, parent.y, 0, 0};  // a clip of garbage shows nothing
        return;
    }
    c->x = fmaxf(parent.x, x0);
    c->y = fmaxf(parent.y, y0);
    c->w = fmaxf(fminf(parent.x + parent.w, x1) - c->x, 0.0f);
    c->h = fmaxf(fminf(parent.y + parent.h, y1) - c->y, 0.0f);
}

void qel_draw_pop_clip(qel_context* ctx)
{
    qel_stack_pop(&ctx->draw.clip_depth, 1);
}
