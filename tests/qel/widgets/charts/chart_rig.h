// What the chart tests read back from a drawn frame: the rounded boxes with their places and
// fills, the plain-triangle points of lines and areas, and whether every vertex is a number; and
// the values that stand for a missing or unbounded number in their data.
#pragma once

#include <cmath>
#include <limits>
#include <vector>

#include "qel/draw.h"
#include "qel/id.h"
#include "support/widget_rig.h"

inline const float NaN = std::numeric_limits<float>::quiet_NaN();
inline const float INF = std::numeric_limits<float>::infinity();

struct drawn_box {
    float x, y, w, h;
    qel_color fill;
};

// Every rounded box of the frame in drawing order, in framebuffer pixels.
inline std::vector<drawn_box> drawn_boxes(const qel_draw_data& dd)
{
    std::vector<drawn_box> out;
    for (uint32_t i = 0; i + 3 < dd.vertex_count; i++) {
        const qel_vertex& v = dd.vertices[i];
        if (v.kind != (float)QEL_SHAPE_ROUNDED_BOX) continue;
        float cx = v.pos[0] - v.local[0], cy = v.pos[1] - v.local[1];
        out.push_back({cx - v.half[0], cy - v.half[1], 2 * v.half[0], 2 * v.half[1], v.fill});
        i += 3;
    }
    return out;
}

// Boxes of one fill.
inline std::vector<drawn_box> boxes_filled(const qel_draw_data& dd, qel_color fill)
{
    std::vector<drawn_box> out;
    for (const drawn_box& b : drawn_boxes(dd))
        if (b.fill == fill) out.push_back(b);
    return out;
}

// Positions of the plain triangles' vertices (lines, polygons, areas).
inline std::vector<qel_vec2> solid_points(const qel_draw_data& dd)
{
    std::vector<qel_vec2> out;
    for (uint32_t i = 0; i < dd.vertex_count; i++)
        if (dd.vertices[i].kind == (float)QEL_SHAPE_SOLID)
            out.push_back({dd.vertices[i].pos[0], dd.vertices[i].pos[1]});
    return out;
}

inline bool all_vertices_finite(const qel_draw_data& dd)
{
    for (uint32_t i = 0; i < dd.vertex_count; i++)
        for (float f : dd.vertices[i].pos)
            if (!std::isfinite(f)) return false;
    return true;
}

// Whether any plain triangle (a line or arc) of the frame has this colour.
inline bool solid_in(const qel_draw_data& dd, qel_color color)
{
    for (uint32_t i = 0; i < dd.vertex_count; i++)
        if (dd.vertices[i].kind == (float)QEL_SHAPE_SOLID &&
            (dd.vertices[i].fill & 0x00FFFFFFu) == (color & 0x00FFFFFFu))
            return true;
    return false;
}

// A chart of the frame alone in a rig under its label, with its payload and hover read back.
template <class Payload>
struct chart_scene {
    widget_rig rig;
    const char* label;
    chart_scene(float width, float height, const char* chart_label) : rig(width, height), label(chart_label) {}
    uint32_t id() { return qel_id(rig.h.ctx, label); }
    const Payload* payload() { return (const Payload*)node_with_id(rig.h.ctx, id())->draw_user; }
    // The item hovered with the pointer at (x, y) within the chart's last rectangle.
    int32_t hovered_at(float x, float y)
    {
        qel_rect r = rig.h.rect(id());
        rig.h.move(r.x + x, r.y + y);
        rig.h.run();
        return payload()->view.hovered;
    }
};
