// Draw data for software renderer tests: hand-built vertices in framebuffer pixels, and bands
// rasterised into plain byte canvases.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/core.h"
#include "render/soft_raster.h"

const qel_color WHITE = 0xFFFFFFFF;

// A vertex of a solid shape at (x, y); other shapes set their fields on the copy.
inline qel_vertex solid_vertex(float x, float y, qel_color fill = WHITE)
{
    qel_vertex v = {};
    v.pos[0] = x;
    v.pos[1] = y;
    v.kind = QEL_SHAPE_SOLID;
    v.fill = fill;
    return v;
}

// The four corners (top-left, top-right, bottom-right, bottom-left) of a shape quad as
// qel_draw_shape lays them out: local positions from the centre, texture coordinates at the
// corners, one fill and the flat values of `flat`.
inline std::vector<qel_vertex> shape_quad(float x0, float y0, float x1, float y1, const qel_vertex& flat)
{
    const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1}, us[4] = {0, 1, 1, 0}, vs[4] = {0, 0, 1, 1};
    std::vector<qel_vertex> q(4, flat);
    for (int i = 0; i < 4; i++) {
        q[i].pos[0] = xs[i];
        q[i].pos[1] = ys[i];
        q[i].local[0] = xs[i] - (x0 + x1) / 2;
        q[i].local[1] = ys[i] - (y0 + y1) / 2;
        q[i].uv[0] = us[i];
        q[i].uv[1] = vs[i];
    }
    return q;
}

// Draw data built by hand: every command covers the indices added since the previous one.
struct frame_builder {
    std::vector<qel_vertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<qel_draw_cmd> commands;
    qel_color clear = 0xFF000000;
    uint64_t atlas = 0;

    uint32_t add(const std::vector<qel_vertex>& vs)
    {
        uint32_t first = (uint32_t)vertices.size();
        vertices.insert(vertices.end(), vs.begin(), vs.end());
        return first;
    }
    void triangle(const qel_vertex& a, const qel_vertex& b, const qel_vertex& c)
    {
        uint32_t f = add({a, b, c});
        indices.insert(indices.end(), {f, f + 1, f + 2});
    }
    // The quad's two triangles in the order the draw list writes them (the fast path's pattern),
    // or starting from another corner, which only the triangle path takes.
    void quad(const std::vector<qel_vertex>& q, bool as_triangles = false)
    {
        uint32_t f = add(q);
        if (as_triangles)
            indices.insert(indices.end(), {f + 1, f + 2, f + 3, f + 1, f + 3, f});
        else
            indices.insert(indices.end(), {f, f + 1, f + 2, f, f + 2, f + 3});
    }
    // Ends the current command with this clip and texture.
    void command(qel_rect clip = {0, 0, 4096, 4096}, uint64_t texture = 0)
    {
        uint32_t first = commands.empty() ? 0 : commands.back().first_index + commands.back().index_count;
        commands.push_back({clip, texture, first, (uint32_t)indices.size() - first});
    }
    qel_draw_data data(int32_t width, int32_t height)
    {
        if (commands.empty() || commands.back().first_index + commands.back().index_count < indices.size()) command();
        return {vertices.data(), (uint32_t)vertices.size(),
                indices.data(),  (uint32_t)indices.size(),
                commands.data(), (uint32_t)commands.size(),
                width,           height,
                clear,           atlas};
    }
};

// A framebuffer of 4-byte pixels, every byte `fill` at first.
struct canvas {
    int32_t width, height, format;
    std::vector<uint8_t> bytes;

    canvas(int32_t w, int32_t h, uint8_t fill = 0, int32_t fmt = QEL_SOFT_RGBA)
        : width(w), height(h), format(fmt), bytes((size_t)w * (size_t)h * 4, fill)
    {
    }
    uint8_t* at(int32_t x, int32_t y) { return &bytes[((size_t)y * (size_t)width + (size_t)x) * 4]; }
    int channel(int32_t x, int32_t y, int k) { return at(x, y)[k]; }
    void set(int32_t x, int32_t y, const uint8_t px[4]) { memcpy(at(x, y), px, 4); }

    // Rasterises every command into the whole canvas as one band, without clearing it.
    void raster(const qel_draw_data& dd, const qel_soft_renderer* soft = nullptr)
    {
        qel_soft_band job = {&dd, soft, bytes.data(), width, height, width * 4, format, 0, 0, width, height};
        qel_soft_raster_band(&job);
    }
};

// The largest difference of any byte of two equally long buffers.
inline int max_byte_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int worst = a.size() == b.size() ? 0 : 256;
    for (size_t i = 0; i < a.size() && i < b.size(); i++) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}
