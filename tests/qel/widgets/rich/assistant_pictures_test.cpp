// The flame graph and the assistant widgets as a person sees them, in light and dark, compared
// with committed pictures drawn by the software renderer: a flame graph with a span selected
// and another hovered.
#include <gtest/gtest.h>

#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

class AssistantPictures : public themed_pictures {
protected:
    AssistantPictures() : themed_pictures("qel/assistant_") {}
};

TEST_P(AssistantPictures, FlameGraphWithASelection)
{
    widget_rig rig(640, 220, GetParam());
    std::vector<qel_flame_span> spans = {
        {"print_job", 0, 0.9, 0, 0},      {"layout", 0.02, 0.35, 1, 0},  {"render", 0.38, 0.8, 1, 0},
        {"measure_text", 0.03, 0.2, 2, 0}, {"place", 0.21, 0.33, 2, 0},  {"rasterise", 0.4, 0.7, 2, 0},
        {"encode", 0.71, 0.79, 2, 0},      {"glyphs", 0.05, 0.15, 3, 0}, {nullptr, 0.42, 0.5, 3, 0},
        {"dither", 0.52, 0.68, 3, 0}};
    for (int i = 0; i < 12; i++) spans.push_back({"tiny", 0.6 + i * 0.0002, 0.6001 + i * 0.0002, 4, 0});
    qel_flame_sort_spans(spans.data(), (int32_t)spans.size());
    int32_t selected = 2;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_flame_graph(ctx, "trace", spans.data(), (int32_t)spans.size(), nullptr, &selected, nullptr);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "trace"));
    rig.h.move(r.x + 8 + 0.1f / 0.9f * (r.w - 16), r.y + 29 + 3 * 20 + 9);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "flame"));
}

INSTANTIATE_TEST_SUITE_P(Themes, AssistantPictures, theme_modes(), theme_name);

}  // namespace
