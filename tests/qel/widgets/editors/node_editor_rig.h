// A node editor over a small graph the test owns, driven over scripted frames: the graph is
// submitted every frame as a program submits it, and what the queues report is collected, read
// inside the frame or after its end.
#pragma once

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "qel/node_editor.h"
#include "support/widget_rig.h"

struct graph_pin {
    uint32_t id;
    bool output;
    int32_t type;
    const char* label;
};

struct graph_node {
    uint32_t id;
    float x, y;
    std::vector<graph_pin> pins;
    bool block = false;  // a widget block after the pins
    const char* title = "Node";
};

struct graph_link {
    uint32_t id, start, end;
};

// What the queues gave.
struct graph_edits {
    std::vector<std::pair<uint32_t, uint32_t>> created;
    std::vector<uint32_t> destroyed, deleted;

    bool empty() const { return created.empty() && destroyed.empty() && deleted.empty(); }
};

inline void drain_queues(qel_context* ctx, graph_edits* e)
{
    uint32_t a, b;
    while (qel_node_editor_link_created(ctx, &a, &b)) e->created.push_back({a, b});
    while (qel_node_editor_link_destroyed(ctx, &a)) e->destroyed.push_back(a);
    while (qel_node_editor_node_deleted(ctx, &a)) e->deleted.push_back(a);
}

struct editor_rig {
    widget_rig rig;
    qel_node_editor_view view = {0, 0, 1};
    qel_node_editor_opts opts = {};
    std::vector<graph_node> nodes;
    std::vector<graph_link> links;
    bool read_inside = false;  // drain the queues right after begin too
    bool present = true;       // the editor runs in the frame
    graph_edits before, inside, after;
    std::vector<uint32_t> selected;  // nodes that said so in the last frame
    std::vector<uint32_t> selected_links;
    std::map<uint32_t, int32_t> connected;  // what each pin said in the last frame
    void (*block_ui)(qel_context*) = nullptr;  // what widget blocks hold; a 24-unit strip without

    explicit editor_rig(float width = 800, float height = 520, uint32_t mode = QEL_THEME_LIGHT)
        : rig(width, height, mode)
    {
        opts.width = {QEL_SIZE_FIXED, width - 40};
        rig.h.ui = [this](qel_context* ctx) { frame(ctx); };
    }

    void frame(qel_context* ctx)
    {
        qel_style s = {};
        s.padding = 20;
        qel_column_begin(ctx, &s);
        drain_queues(ctx, &before);
        if (present && qel_node_editor_begin(ctx, "graph", &view, &opts)) {
            if (read_inside) drain_queues(ctx, &inside);
            submit(ctx);
            qel_node_editor_end(ctx);
        }
        drain_queues(ctx, &after);
        qel_container_end(ctx);
    }

    void submit(qel_context* ctx)
    {
        selected.clear();
        selected_links.clear();
        for (graph_node& n : nodes) {
            if (qel_node_editor_node_begin(ctx, n.id, &n.x, &n.y, n.title, nullptr)) selected.push_back(n.id);
            for (const graph_pin& p : n.pins) {
                qel_node_editor_pin_opts o = {0, p.type};
                connected[p.id] = p.output ? qel_node_editor_output_pin(ctx, p.id, p.label, &o)
                                           : qel_node_editor_input_pin(ctx, p.id, p.label, &o);
            }
            if (n.block) {
                qel_node_editor_content_begin(ctx);
                if (block_ui) block_ui(ctx);
                else qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 24});
                qel_node_editor_content_end(ctx);
            }
            qel_node_editor_node_end(ctx);
        }
        for (const graph_link& l : links)
            if (qel_node_editor_link(ctx, l.id, l.start, l.end)) selected_links.push_back(l.id);
    }

    uint32_t editor_id() const { return qel_id(rig.h.ctx, "graph"); }
    qel_rect canvas() const { return rig.h.rect(editor_id()); }
    // A node's layout rectangle of the last frame.
    qel_rect node_rect(uint32_t node) const
    {
        return rig.h.rect(qel_hash_bytes(&node, sizeof node, editor_id() ^ 0x4e0du));
    }

    // A canvas point on the screen under the current view.
    qel_vec2 at(float x, float y) const
    {
        qel_rect c = canvas();
        return {c.x + view.pan_x + x * view.zoom, c.y + view.pan_y + y * view.zoom};
    }
    // The centre of a node's pin, and a point on its title bar.
    qel_vec2 pin_at(const graph_node& n, size_t pin) const
    {
        return at(n.x + (n.pins[pin].output ? 184.0f : 0.0f), n.y + 40 + 26 * (float)pin + 13);
    }
    qel_vec2 title_at(const graph_node& n) const { return at(n.x + 60, n.y + 17); }

    void move(qel_vec2 p) { rig.h.move(p.x, p.y); }
    void modifiers(uint32_t mods) { rig.h.key(QEL_KEY_NONE, !!mods, mods); }

    // Press at from and move to to in steps frames, the button still down.
    void press_and_move(qel_vec2 from, qel_vec2 to, int steps = 4)
    {
        move(from);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
        move_in_steps(from, to, steps);
    }
    void move_in_steps(qel_vec2 from, qel_vec2 to, int steps)
    {
        for (int i = 1; i <= steps; i++) {
            float t = (float)i / (float)steps;
            move({from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
            rig.h.run();
        }
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
    }
    // Press at from, move to to in steps frames, release there.
    void drag(qel_vec2 from, qel_vec2 to, int steps = 4)
    {
        press_and_move(from, to, steps);
        release();
    }
    void click(qel_vec2 p) { rig.h.click(p.x, p.y); }
    void settle(int frames = 2) { rig.h.run(frames); }
};

// Two nodes: "a" at (40, 40) with an input 11 and an output 12, "b" at (400, 60) with inputs 21
// and 22 and an output 23; types as given.
inline std::vector<graph_node> two_nodes(int32_t a_type = 0, int32_t b_type = 0)
{
    return {{1, 40, 40, {{11, false, a_type, "in"}, {12, true, a_type, "out"}}},
            {2, 400, 60, {{21, false, b_type, "x"}, {22, false, b_type, "y"}, {23, true, b_type, "sum"}}}};
}
