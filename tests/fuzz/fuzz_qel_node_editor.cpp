// Drives a node editor over a small random graph (nodes at any positions, typed pins, widget
// blocks, links between any pin ids, some left out in some frames) with random input between
// frames and random views and options, NaN, infinities and huge pans among them. After each frame:
// the view written back is finite, and the queues hold only ids the program submitted: links
// made from an output to an input, each destroyed link once, deleted nodes.
#include <cstdio>
#include <vector>

#include "fuzz_qel_support.h"
#include "qel/qel.h"

namespace {

struct fuzz_pin {
    uint32_t id;
    bool output;
    int32_t type;
};

struct fuzz_node {
    uint32_t id;
    float x, y, width;
    std::vector<fuzz_pin> pins;
    bool block;
};

struct fuzz_graph {
    std::vector<fuzz_node> nodes;
    std::vector<uint32_t> link_ids, link_starts, link_ends;
};

fuzz_graph make_graph(FuzzedDataProvider& in)
{
    fuzz_graph g;
    int32_t nodes = in.ConsumeIntegralInRange<int32_t>(0, 6);
    std::vector<uint32_t> pins;
    for (int32_t n = 0; n < nodes; n++) {
        fuzz_node node = {(uint32_t)n + 1, in.ConsumeFloatingPointInRange<float>(-200, 900),
                          in.ConsumeFloatingPointInRange<float>(-200, 600), in.ConsumeBool() ? any_float(in) : 0, {},
                          in.ConsumeBool()};
        if (in.ConsumeIntegralInRange<int>(0, 7) == 0) node.x = any_float(in);
        int32_t count = in.ConsumeIntegralInRange<int32_t>(0, 4);
        for (int32_t p = 0; p < count; p++) {
            uint32_t id = 10 * (uint32_t)(n + 1) + (uint32_t)p;
            node.pins.push_back({id, in.ConsumeBool(), in.ConsumeIntegralInRange<int32_t>(-1, 3)});
            pins.push_back(id);
        }
        g.nodes.push_back(node);
    }
    int32_t links = in.ConsumeIntegralInRange<int32_t>(0, 8);
    for (int32_t l = 0; l < links && !pins.empty(); l++) {
        g.link_ids.push_back(100 + (uint32_t)in.ConsumeIntegralInRange<int32_t>(0, 5));  // ids may repeat
        g.link_starts.push_back(pins[in.ConsumeIntegralInRange<size_t>(0, pins.size() - 1)]);
        g.link_ends.push_back(pins[in.ConsumeIntegralInRange<size_t>(0, pins.size() - 1)]);
    }
    return g;
}

float pointer_coordinate(FuzzedDataProvider& in, float extent)
{
    return in.ConsumeIntegralInRange<int>(0, 9) == 0 ? any_float(in) : in.ConsumeFloatingPointInRange<float>(0, extent);
}

void feed_input(qel_context* ctx, FuzzedDataProvider& in)
{
    static const int32_t keys[] = {QEL_KEY_DELETE, QEL_KEY_BACKSPACE, QEL_KEY_ESCAPE, QEL_KEY_LEFT, QEL_KEY_RIGHT,
                                   QEL_KEY_UP,     QEL_KEY_DOWN,      QEL_KEY_SPACE,  QEL_KEY_EQUAL, QEL_KEY_MINUS,
                                   QEL_KEY_0,      QEL_KEY_A,         QEL_KEY_A + 5,  QEL_KEY_TAB};
    int events = in.ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < events; i++) {
        switch (in.ConsumeIntegralInRange<int>(0, 6)) {
        case 0: qel_input_mouse_move(ctx, pointer_coordinate(in, 800), pointer_coordinate(in, 600)); break;
        case 1: qel_input_mouse_button(ctx, in.ConsumeIntegralInRange<uint32_t>(0, 2), in.ConsumeBool()); break;
        case 2: qel_input_wheel(ctx, any_float(in, 8), any_float(in, 8)); break;
        case 3: {
            int32_t key = keys[in.ConsumeIntegralInRange<size_t>(0, sizeof keys / sizeof *keys - 1)];
            qel_input_key(ctx, key, in.ConsumeBool(), in.ConsumeIntegralInRange<uint32_t>(0, 3));
            break;
        }
        case 4: qel_input_focus(ctx, in.ConsumeBool()); break;
        case 5: qel_input_mouse_leave(ctx); break;
        default: qel_input_key(ctx, QEL_KEY_NONE, true, in.ConsumeIntegralInRange<uint32_t>(0, 3)); break;
        }
    }
}

void change_view(FuzzedDataProvider& in, qel_node_editor_view* view, qel_node_editor_opts* opts)
{
    if (in.ConsumeBool()) return;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: view->zoom = any_float(in, 4); break;
    case 1: view->pan_x = any_float(in, 1e30f), view->pan_y = any_float(in, 1e30f); break;
    case 2: opts->min_zoom = any_float(in, 4), opts->max_zoom = any_float(in, 8); break;
    default:
        opts->show_minimap = in.ConsumeBool();
        opts->hide_grid = in.ConsumeBool();
        opts->height = {in.ConsumeIntegralInRange<uint32_t>(0, 3), any_float(in, 700)};
        break;
    }
}

void submit(qel_context* ctx, FuzzedDataProvider& in, fuzz_graph* g)
{
    for (fuzz_node& n : g->nodes) {
        if (in.ConsumeIntegralInRange<int>(0, 9) == 0) continue;  // left out this frame
        qel_node_editor_node_opts o = {0, n.width, in.ConsumeBool() ? QEL_ICON_CHECK : nullptr};
        qel_node_editor_node_begin(ctx, n.id, &n.x, &n.y, "node", &o);
        for (const fuzz_pin& p : n.pins) {
            qel_node_editor_pin_opts po = {0, p.type};
            if (p.output) qel_node_editor_output_pin(ctx, p.id, "out", &po);
            else qel_node_editor_input_pin(ctx, p.id, "in", &po);
        }
        if (n.block) {
            qel_node_editor_content_begin(ctx);
            qel_button(ctx, "go", nullptr);
            qel_node_editor_content_end(ctx);
        }
        qel_node_editor_node_end(ctx);
    }
    for (size_t l = 0; l < g->link_ids.size(); l++)
        if (in.ConsumeIntegralInRange<int>(0, 9) != 0)
            qel_node_editor_link(ctx, g->link_ids[l], g->link_starts[l], g->link_ends[l]);
}

const fuzz_pin* pin_of(const fuzz_graph& g, uint32_t id)
{
    for (const fuzz_node& n : g.nodes)
        for (const fuzz_pin& p : n.pins)
            if (p.id == id) return &p;
    return nullptr;
}

template <typename T>
bool contains(const std::vector<T>& v, T x)
{
    return std::find(v.begin(), v.end(), x) != v.end();
}

void check_queues(qel_context* ctx, const fuzz_graph& g)
{
    uint32_t a, b;
    while (qel_node_editor_link_created(ctx, &a, &b)) {
        const fuzz_pin *out = pin_of(g, a), *input = pin_of(g, b);
        if (!out || !input || !out->output || input->output) abort();
    }
    std::vector<uint32_t> destroyed;
    while (qel_node_editor_link_destroyed(ctx, &a)) {
        if (!contains(g.link_ids, a) || contains(destroyed, a)) abort();
        destroyed.push_back(a);
    }
    while (qel_node_editor_node_deleted(ctx, &a)) {
        bool known = false;
        for (const fuzz_node& n : g.nodes) known |= n.id == a;
        if (!known) abort();
    }
}

bool finite_view(const qel_node_editor_view& v)
{
    return std::isfinite(v.pan_x) && std::isfinite(v.pan_y) && std::isfinite(v.zoom) && v.zoom > 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    // One context for all inputs: inflating the fonts for each would leave little time to fuzz.
    static qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 800, 600, 1);
    // Each input is another program with its own graph: its editor must not see the last one's.
    static uint32_t inputs;
    char label[24];
    snprintf(label, sizeof label, "fuzz%u", inputs++);
    fuzz_graph g = make_graph(in);
    qel_node_editor_view view = {0, 0, 1};
    qel_node_editor_opts opts = {};
    while (in.remaining_bytes() > 0) {
        feed_input(ctx, in);
        change_view(in, &view, &opts);
        qel_begin_frame(ctx, 1.0f / 60.0f);
        int32_t parents = ctx->tree.parent_depth.depth, scopes = ctx->ids.depth.depth;
        if (qel_node_editor_begin(ctx, label, &view, &opts)) {
            if (!finite_view(view)) abort();
            submit(ctx, in, &g);
            qel_node_editor_end(ctx);
        }
        if (ctx->tree.parent_depth.depth != parents || ctx->ids.depth.depth != scopes) abort();
        check_queues(ctx, g);
        qel_end_frame(ctx);
        check_draw_list(ctx);
    }
    return 0;
}
