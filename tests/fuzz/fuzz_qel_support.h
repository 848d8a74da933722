// Shared by the toolkit's fuzz targets: arbitrary numbers and rectangles from the fuzzer's bytes,
// and the check of the draw list a renderer relies on.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/core.h"

inline uint32_t big_endian(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; i++) v = v << 8 | p[i];
    return v;
}

// Changes a font at one place, as a damaged or hostile file would have it. A change is 8 bytes:
//   byte 0: bits 0-1 the width (1, 2 or 4 bytes), bit 2 set: the place is inside a table;
//   bytes 1-3: a table's number and a big-endian offset into it, or a big-endian offset into the
//   whole font; bytes 4-7: the big-endian value, of which the last width bytes are written.
// A place inside a table is found through the font's own directory.
inline void apply_font_change(std::vector<uint8_t>* font, const uint8_t* change)
{
    if (font->size() < 12) return;
    uint32_t tables = std::min<uint32_t>(big_endian(&(*font)[4], 2), (uint32_t)(font->size() - 12) / 16);
    size_t at = big_endian(change + 1, 3) % font->size();
    if ((change[0] & 4) && tables) {
        const uint8_t* record = &(*font)[12 + 16 * (change[1] % tables)];
        uint32_t start = big_endian(record + 8, 4), length = big_endian(record + 12, 4);
        at = (start + big_endian(change + 2, 2) % (length ? length : 1)) % font->size();
    }
    int width = 1 << (change[0] & 3) % 3;
    for (int i = 0; i < width && at + (size_t)i < font->size(); i++) (*font)[at + (size_t)i] = change[8 - width + i];
}

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
