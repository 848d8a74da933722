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

#include "core/core.h"
#include "fuzz_qel_support.h"
#include "qel/qel.h"

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
        check_draw_list(ctx);
    }
    qel_ctx_destroy(ctx);
    return 0;
}
