// Drives a flame graph over random spans (any depths, NaN and infinite times, overlaps, sorted or
// not) with random input, views, selections and options between frames. After each frame the
// reported and selected indexes are within the array, a view over spans that have an extent is
// finite, and the tree and the draw list are whole.
#include <cmath>
#include <vector>

#include "fuzz_qel_support.h"
#include "qel/qel.h"

namespace {

double any_time(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: return NAN;
        case 1: return in.ConsumeBool() ? INFINITY : -INFINITY;
        case 2: return in.ConsumeFloatingPoint<double>();
        default: return in.ConsumeFloatingPointInRange<double>(-5, 5);
    }
}

std::vector<qel_flame_span> make_spans(FuzzedDataProvider& in)
{
    std::vector<qel_flame_span> spans(in.ConsumeIntegralInRange<size_t>(0, 40));
    static const char* const names[] = {nullptr, "", "a", "load", "a rather long span name"};
    for (qel_flame_span& s : spans) {
        s.name = names[in.ConsumeIntegralInRange<size_t>(0, 4)];
        s.start = any_time(in);
        s.end = in.ConsumeBool() ? s.start + std::fabs(any_time(in)) : any_time(in);
        s.depth = in.ConsumeIntegralInRange<int>(0, 9) == 0 ? in.ConsumeIntegral<int32_t>()
                                                            : in.ConsumeIntegralInRange<int32_t>(-1, 6);
        s.color_key = in.ConsumeIntegral<uint32_t>();
    }
    if (in.ConsumeIntegralInRange<int>(0, 3) != 0) qel_flame_sort_spans(spans.data(), (int32_t)spans.size());
    return spans;
}

void feed_input(qel_context* ctx, FuzzedDataProvider& in)
{
    static const int32_t keys[] = {QEL_KEY_LEFT,   QEL_KEY_RIGHT, QEL_KEY_UP,    QEL_KEY_DOWN,
                                   QEL_KEY_ENTER,  QEL_KEY_SPACE, QEL_KEY_HOME,  QEL_KEY_A + 5,
                                   QEL_KEY_ESCAPE, QEL_KEY_EQUAL, QEL_KEY_MINUS, QEL_KEY_TAB};
    int events = in.ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < events; i++) {
        switch (in.ConsumeIntegralInRange<int>(0, 4)) {
            case 0: qel_input_mouse_move(ctx, any_float(in, 900), any_float(in, 700)); break;
            case 1: qel_input_mouse_button(ctx, 0, in.ConsumeBool()); break;
            case 2: qel_input_wheel(ctx, any_float(in, 8), any_float(in, 8)); break;
            case 3: {
                int32_t key = keys[in.ConsumeIntegralInRange<size_t>(0, sizeof keys / sizeof *keys - 1)];
                qel_input_key(ctx, key, in.ConsumeBool(), in.ConsumeIntegralInRange<uint32_t>(0, 3));
                break;
            }
            default: qel_input_key(ctx, QEL_KEY_NONE, true, in.ConsumeIntegralInRange<uint32_t>(0, 3)); break;
        }
    }
}

void change_view(FuzzedDataProvider& in, qel_flame_view* view, int32_t* selected, qel_flame_options* o)
{
    if (in.ConsumeBool()) return;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: view->start = any_time(in), view->end = any_time(in); break;
        case 1: view->scroll = any_float(in, 1e6f); break;
        case 2: *selected = in.ConsumeIntegralInRange<int32_t>(-3, 45); break;
        default:
            o->row_height = any_float(in, 40);
            o->height = any_float(in, 500);
            o->min_span = any_time(in);
            o->width = {in.ConsumeIntegralInRange<uint32_t>(0, 3), any_float(in, 900)};
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    static qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 800, 600, 1);
    std::vector<qel_flame_span> spans = make_spans(in);
    int32_t count = (int32_t)spans.size();
    qel_flame_view view = {0, 0, 0};
    int32_t selected = -1;
    qel_flame_options o = {};
    bool own = in.ConsumeBool();
    while (in.remaining_bytes() > 0) {
        feed_input(ctx, in);
        change_view(in, &view, &selected, &o);
        qel_begin_frame(ctx, 1.0f / 60.0f);
        int32_t parents = ctx->tree.parent_depth.depth;
        qel_flame_result r =
            qel_flame_graph(ctx, "fuzz", spans.data(), count, own ? nullptr : &view, own ? nullptr : &selected, &o);
        if (ctx->tree.parent_depth.depth != parents) abort();
        if (r.hovered < -1 || r.hovered >= count || r.zoomed < -1 || r.zoomed >= count) abort();
        if (!own && (selected < -1 || selected >= count)) abort();
        if (!own && r.view_changed && !(std::isfinite(view.start) && std::isfinite(view.end) && view.end >= view.start))
            abort();
        if (count > 0) {
            qel_rect rect = qel_flame_span_rect(ctx, qel_id(ctx, "fuzz"),
                                                &spans[in.ConsumeIntegralInRange<size_t>(0, spans.size() - 1)]);
            (void)rect;
        }
        qel_end_frame(ctx);
        check_draw_list(ctx);
    }
    return 0;
}
