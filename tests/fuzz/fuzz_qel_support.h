// Shared by the toolkit's fuzz targets: arbitrary numbers and rectangles from the fuzzer's bytes,
// and the check of the draw list a renderer relies on.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/core.h"

// Mostly plausible coordinates within +-range, sometimes any bit pattern at all.
inline float any_float(FuzzedDataProvider& in, float range = 3000.0f)
{
    if (in.ConsumeBool()) return in.ConsumeFloatingPointInRange<float>(-range, range);
    uint32_t bits = in.ConsumeIntegral<uint32_t>();
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

inline qel_rect any_rect(FuzzedDataProvider& in, float range = 3000.0f)
{
    return {any_float(in, range), any_float(in, range), any_float(in, range), any_float(in, range)};
}

inline std::vector<qel_vec2> any_points(FuzzedDataProvider& in)
{
    std::vector<qel_vec2> points(in.ConsumeIntegralInRange<size_t>(0, 16));
    for (qel_vec2& p : points) p = {any_float(in), any_float(in)};
    return points;
}

inline bool finite_rect(const qel_rect& r)
{
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.w) && std::isfinite(r.h) && r.w >= 0 && r.h >= 0;
}

// What a renderer relies on: commands tile the index range, every index names a vertex whose
// numbers are all finite, and every clip is a finite rectangle.
inline void check_draw_list(const qel_context* ctx)
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
