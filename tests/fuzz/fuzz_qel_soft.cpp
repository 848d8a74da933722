// Renders frames of arbitrary draw data (any float bit patterns, indices past the vertices,
// command ranges past the indices, wild clips) with texture updates between them, on two software
// renderers: one incremental, one drawing every frame whole. Both must give the same bytes, and
// nothing may be written outside the framebuffer's rows.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_qel_support.h"
#include "qel/soft_renderer.h"

// Plausible numbers stay near the framebuffers, which are at most 90 pixels wide and high.
static const float SPAN = 80.0f;

static qel_vertex any_vertex(FuzzedDataProvider& in)
{
    qel_vertex v;
    for (int i = 0; i < 14; i++) {
        float f = any_float(in, SPAN);
        memcpy((uint8_t*)&v + 4 * i, &f, 4);
    }
    if (in.ConsumeBool()) v.kind = (float)in.ConsumeIntegralInRange<int>(0, 5);
    v.fill = in.ConsumeIntegral<uint32_t>();
    v.border = in.ConsumeIntegral<uint32_t>();
    return v;
}

struct frame {
    std::vector<qel_vertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<qel_draw_cmd> commands;
    qel_draw_data dd;
};

// Quads in the draw list's corner order (what the fast path takes), loose triangles and stray
// indices, cut into commands.
static void build(FuzzedDataProvider& in, frame* f, int32_t width, int32_t height, uint64_t textures)
{
    for (int shapes = in.ConsumeIntegralInRange<int>(0, 8); shapes > 0; shapes--) {
        uint32_t first = (uint32_t)f->vertices.size();
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
        case 0: {
            qel_vertex v = any_vertex(in);
            float x0 = any_float(in, SPAN), y0 = any_float(in, SPAN);
            float x1 = any_float(in, SPAN), y1 = any_float(in, SPAN);
            const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
            for (int i = 0; i < 4; i++) {
                v.pos[0] = xs[i];
                v.pos[1] = ys[i];
                v.local[0] = xs[i] - (x0 + x1) / 2;
                v.local[1] = ys[i] - (y0 + y1) / 2;
                if (i == 2) v.fill = in.ConsumeBool() ? v.fill : in.ConsumeIntegral<uint32_t>();
                f->vertices.push_back(v);
            }
            f->indices.insert(f->indices.end(), {first, first + 1, first + 2, first, first + 2, first + 3});
            break;
        }
        case 1:
            for (int i = 0; i < 3; i++) f->vertices.push_back(any_vertex(in));
            f->indices.insert(f->indices.end(), {first, first + 1, first + 2});
            break;
        default: f->indices.push_back(in.ConsumeIntegralInRange<uint32_t>(0, first + 4));
        }
    }
    uint32_t next = 0;
    for (int c = in.ConsumeIntegralInRange<int>(1, 4); c > 0; c--) {
        qel_draw_cmd cmd;
        cmd.clip = in.ConsumeBool() ? qel_rect{0, 0, (float)width, (float)height} : any_rect(in, SPAN);
        cmd.texture = in.ConsumeIntegralInRange<uint64_t>(0, textures + 1);
        cmd.first_index = in.ConsumeBool() ? next : in.ConsumeIntegral<uint32_t>();
        cmd.index_count = c == 1 ? (uint32_t)f->indices.size() - next : in.ConsumeIntegralInRange<uint32_t>(0, 12);
        if (in.ConsumeBool()) cmd.index_count = in.ConsumeIntegral<uint32_t>();
        next = std::min<uint32_t>(next + cmd.index_count, (uint32_t)f->indices.size());
        f->commands.push_back(cmd);
    }
    f->dd = {f->vertices.data(),
             (uint32_t)f->vertices.size(),
             f->indices.data(),
             (uint32_t)f->indices.size(),
             f->commands.data(),
             (uint32_t)f->commands.size(),
             width,
             height,
             in.ConsumeIntegral<uint32_t>(),
             in.ConsumeIntegralInRange<uint64_t>(0, textures + 1)};
}

// The next frame: the last one with a few of its numbers changed, so that most tiles stay as
// they were.
static void change_frame(FuzzedDataProvider& in, frame* f, uint64_t textures)
{
    for (int changes = in.ConsumeIntegralInRange<int>(0, 3); changes > 0; changes--) {
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            if (!f->vertices.empty()) {
                uint32_t word = in.ConsumeIntegralInRange<uint32_t>(0, 15), bits = in.ConsumeIntegral<uint32_t>();
                qel_vertex& v = f->vertices[in.ConsumeIntegralInRange<size_t>(0, f->vertices.size() - 1)];
                uint8_t* at = (uint8_t*)&v + 4 * word;
                if (word < 14 && in.ConsumeBool()) {  // a small step rather than any bits
                    float x;
                    memcpy(&x, at, 4);
                    x += in.ConsumeFloatingPointInRange<float>(-3.0f, 3.0f);
                    memcpy(at, &x, 4);
                } else {
                    memcpy(at, &bits, 4);
                }
            }
            break;
        case 1: {
            qel_draw_cmd& c = f->commands[in.ConsumeIntegralInRange<size_t>(0, f->commands.size() - 1)];
            c.clip.x += (float)in.ConsumeIntegralInRange<int>(-2, 2);
            c.texture = in.ConsumeIntegralInRange<uint64_t>(0, textures + 1);
            break;
        }
        case 2: f->dd.clear_color = in.ConsumeIntegral<uint32_t>(); break;
        default: f->dd.atlas_texture = in.ConsumeIntegralInRange<uint64_t>(0, textures + 1);
        }
    }
}

// A texture created or changed the same way on both renderers.
static void change_textures(FuzzedDataProvider& in, qel_soft_renderer* const both[2], uint64_t* textures)
{
    std::vector<uint8_t> pixels(16 * 16 * 4);
    for (uint8_t& p : pixels) p = in.ConsumeIntegral<uint8_t>();
    int32_t w = in.ConsumeIntegralInRange<int32_t>(-1, 16), h = in.ConsumeIntegralInRange<int32_t>(-1, 16);
    int32_t channels = in.ConsumeBool() ? 1 : 4;
    if (in.ConsumeBool()) {
        for (int i = 0; i < 2; i++)
            *textures = std::max(*textures, qel_soft_texture_create(both[i], w, h, channels, pixels.data()));
        return;
    }
    uint64_t handle = in.ConsumeIntegralInRange<uint64_t>(0, *textures + 1);
    int32_t x = in.ConsumeIntegralInRange<int32_t>(-20, 20), y = in.ConsumeIntegralInRange<int32_t>(-20, 20);
    bool gone = in.ConsumeIntegralInRange<int>(0, 5) == 0;
    // Rows of the source stay inside the buffer: at most 16 rows of 16 texels.
    int32_t stride = in.ConsumeBool() ? 0 : 64;
    for (int i = 0; i < 2; i++) {
        if (gone)
            qel_soft_texture_delete(both[i], handle);
        else
            qel_soft_texture_update(both[i], handle, x, y, std::max(w, 0), std::max(h, 0), pixels.data(), stride);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    qel_soft_renderer* kept = qel_soft_create();
    qel_soft_renderer* whole = qel_soft_create();
    qel_soft_renderer* const both[2] = {kept, whole};
    qel_soft_set_incremental(kept, true);
    qel_soft_set_workers(kept, in.ConsumeIntegralInRange<int32_t>(1, 4));
    qel_soft_set_workers(whole, 1);
    uint64_t textures = 0;
    int32_t width = in.ConsumeIntegralInRange<int32_t>(1, 90), height = in.ConsumeIntegralInRange<int32_t>(1, 90);
    int32_t format = in.ConsumeIntegralInRange<int32_t>(0, 2), pad = 8;  // bytes after each row
    std::vector<uint8_t> a, b;
    frame f;
    bool first = true;
    for (int frames = in.ConsumeIntegralInRange<int>(1, 6); frames > 0 && in.remaining_bytes(); frames--) {
        for (int changes = in.ConsumeIntegralInRange<int>(0, 3); changes > 0; changes--)
            change_textures(in, both, &textures);
        if (in.ConsumeIntegralInRange<int>(0, 4) == 0) {  // a resize or a new byte order
            width = in.ConsumeIntegralInRange<int32_t>(1, 90);
            format = in.ConsumeIntegralInRange<int32_t>(0, 2);
        }
        int32_t stride = width * 4 + pad;
        if (a.size() != (size_t)stride * height) a.assign((size_t)stride * height, 0xA5);
        b.assign(a.size(), 0x5A);
        if (first || in.ConsumeIntegralInRange<int>(0, 5) == 0) {
            f = frame();
            build(in, &f, width, height, textures);
            first = false;
        } else {
            change_frame(in, &f, textures);
        }
        qel_soft_render(kept, &f.dd, a.data(), width, height, stride, format);
        qel_soft_render(whole, &f.dd, b.data(), width, height, stride, format);
        for (int32_t y = 0; y < height; y++) {
            const uint8_t* ra = &a[(size_t)y * stride];
            if (memcmp(ra, &b[(size_t)y * stride], (size_t)width * 4) != 0) abort();
            for (int32_t i = 0; i < pad; i++)
                if (ra[width * 4 + i] != 0xA5) abort();
        }
    }
    qel_soft_destroy(kept);
    qel_soft_destroy(whole);
    return 0;
}
