// Drives the draw list with random sequences of clip, transform and id pushes and pops,
// primitives with arbitrary numbers (NaN and infinities included) and frame resets, and checks
// after every step what a renderer relies on: commands tile the index range, every index names a
// vertex whose numbers are all finite, and every clip is a finite rectangle.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core.h"
#include "qel/qel.h"

static float any_float(FuzzedDataProvider& in)
{
    // Mostly plausible coordinates, sometimes any bit pattern at all.
    if (in.ConsumeBool()) return in.ConsumeFloatingPointInRange<float>(-3000.0f, 3000.0f);
    uint32_t bits = in.ConsumeIntegral<uint32_t>();
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

static qel_rect any_rect(FuzzedDataProvider& in)
{
    return {any_float(in), any_float(in), any_float(in), any_float(in)};
}

static std::vector<qel_vec2> any_points(FuzzedDataProvider& in)
{
    std::vector<qel_vec2> points(in.ConsumeIntegralInRange<size_t>(0, 16));
    for (qel_vec2& p : points) p = {any_float(in), any_float(in)};
    return points;
}

static bool finite_rect(const qel_rect& r)
{
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.w) && std::isfinite(r.h) && r.w >= 0 && r.h >= 0;
}

static void check(const qel_context* ctx)
{
    const qel_draw_list& d = ctx->draw;
    if (d.clip_depth.depth < 1 || d.clip_depth.depth > QEL_CLIP_STACK_CAPACITY) abort();
    if (d.transform_depth.depth < 1 || d.transform_depth.depth > QEL_TRANSFORM_STACK_CAPACITY) abort();
    if (ctx->ids.depth.depth < 0 || ctx->ids.depth.depth > QEL_ID_STACK_CAPACITY) abort();
    for (int32_t i = 0; i < d.clip_depth.depth; i++)
        if (!finite_rect(d.clip[i])) abort();
    uint32_t next = 0;
    for (uint32_t i = 0; i < d.command_count; i++) {
        const qel_draw_cmd& c = d.commands[i];
        if (c.first_index != next || !finite_rect(c.clip)) abort();
        next += c.index_count;
    }
    if (next != d.index_count || d.vertex_count > d.vertex_capacity || d.index_count > d.index_capacity) abort();
    for (uint32_t i = 0; i < d.index_count; i++) {
        uint32_t v = d.indices[i];
        if (v >= d.vertex_count) abort();
        float fields[14];
        memcpy(fields, &d.vertices[v], sizeof fields);
        for (float f : fields)
            if (!std::isfinite(f)) abort();
    }
}

static void draw_something(qel_context* ctx, FuzzedDataProvider& in)
{
    qel_rect r = any_rect(in);
    float radii[4] = {any_float(in), any_float(in), any_float(in), any_float(in)};
    qel_color c = in.ConsumeIntegral<uint32_t>();
    switch (in.ConsumeIntegralInRange<int>(0, 15)) {
    case 0: qel_draw_rect(ctx, &r, radii, c); break;
    case 1: qel_draw_rect_bordered(ctx, &r, radii, c, in.ConsumeIntegral<uint32_t>(), any_float(in)); break;
    case 2: qel_draw_rect_gradient(ctx, &r, radii, c, in.ConsumeIntegral<uint32_t>()); break;
    case 3: qel_draw_box_shadow(ctx, &r, radii, any_float(in), any_float(in), {any_float(in), any_float(in)}, c); break;
    case 4: {
        qel_rect uv = any_rect(in);
        qel_draw_image(ctx, in.ConsumeIntegralInRange<uint64_t>(0, 3), &r, &uv, radii, c);
        break;
    }
    case 5: qel_draw_circle(ctx, {r.x, r.y}, r.w, c); break;
    case 6: {
        std::vector<qel_vec2> p = any_points(in);
        qel_draw_polyline(ctx, p.data(), (int32_t)p.size(), any_float(in), c, in.ConsumeBool());
        break;
    }
    case 7: {
        std::vector<qel_vec2> p = any_points(in);
        qel_draw_convex_polygon(ctx, p.data(), (int32_t)p.size(), c);
        break;
    }
    case 8: qel_draw_arc(ctx, {r.x, r.y}, r.w, r.h, any_float(in), any_float(in), c); break;
    case 9: {
        std::vector<qel_triangle_vertex> v(in.ConsumeIntegralInRange<size_t>(0, 12));
        for (qel_triangle_vertex& t : v) t = {any_float(in), any_float(in), in.ConsumeIntegral<uint32_t>()};
        std::vector<uint32_t> idx(in.ConsumeIntegralInRange<size_t>(0, 30));
        for (uint32_t& i : idx) i = in.ConsumeIntegralInRange<uint32_t>(0, 20);
        qel_draw_triangles(ctx, v.data(), (int32_t)v.size(), idx.data(), (int32_t)idx.size());
        break;
    }
    case 10: qel_draw_glyph(ctx, r.x, r.y, r.x + r.w, r.y + r.h, 0, 0, 1, 1, c); break;
    case 11: qel_draw_line(ctx, {r.x, r.y}, {r.w, r.h}, any_float(in), c); break;
    case 12: qel_draw_top_highlight(ctx, &r, radii, any_float(in)); break;
    case 13: qel_draw_checkmark(ctx, &r, any_float(in), any_float(in), c); break;
    case 14: qel_draw_focus_ring(ctx, &r, radii, any_float(in)); break;
    default: qel_draw_elevation(ctx, &r, radii, in.ConsumeIntegral<uint32_t>(), any_float(in)); break;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    qel_context* ctx = qel_ctx_create(nullptr);
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0: {
            qel_rect r = any_rect(in);
            qel_draw_push_clip(ctx, &r);
            break;
        }
        case 1: qel_draw_pop_clip(ctx); break;
        case 2: {
            float scale = any_float(in), px = any_float(in), py = any_float(in), alpha = any_float(in);
            qel_draw_push_transform(ctx, scale, px, py, alpha, any_float(in), any_float(in));
            break;
        }
        case 3: qel_draw_pop_transform(ctx); break;
        case 4: {
            std::string label = in.ConsumeRandomLengthString(24);
            if (in.ConsumeBool())
                qel_push_id(ctx, label.c_str());
            else
                qel_push_id_int(ctx, in.ConsumeIntegral<int32_t>());
            if (qel_id(ctx, label.c_str()) == 0) abort();
            break;
        }
        case 5: qel_pop_id(ctx); break;
        case 6: {
            // What the frame cycle does between frames, sometimes on a new display.
            if (in.ConsumeBool()) qel_ctx_set_display(ctx, any_float(in), any_float(in), any_float(in));
            ctx->clock.frame_count++;
            qel_arena_reset(ctx);
            qel_draw_reset(ctx);
            break;
        }
        default: draw_something(ctx, in); break;
        }
        check(ctx);
    }
    qel_ctx_destroy(ctx);
    return 0;
}
