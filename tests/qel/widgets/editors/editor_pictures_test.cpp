// The curve and gradient editors as a person sees them, in light and dark: a curve of every mode
// with a selected key showing its handles and a marker; a gradient with a translucent stop over
// the checkerboard, the translucent stop selected. Compared with committed pictures drawn
// by the software renderer.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

struct curve_board {
    qel_curve_key keys[6] = {
        {0, 0.1f, 0, 0, 0, 0, QEL_CURVE_SMOOTH},      {0.25f, 0.7f, -0.1f, -0.15f, 0.12f, 0.25f, QEL_CURVE_FREE},
        {0.55f, 0.35f, 0, 0, 0, 0, QEL_CURVE_LINEAR}, {0.7f, 0.5f, 0, 0, 0, 0, QEL_CURVE_STEP},
        {0.85f, 0.8f, 0, 0, 0, 0, QEL_CURVE_SMOOTH},  {1, 0.6f, 0, 0, 0, 0, QEL_CURVE_SMOOTH},
    };
    int32_t count = 6;

    void frame(qel_context* ctx)
    {
        board_begin(ctx);
        qel_curve_editor_opts o = {};
        o.show_marker = 1;
        o.marker_x = 0.4f;
        o.x_name = "Time";
        o.y_name = "Value";
        qel_curve_editor(ctx, "curve", keys, &count, 6, &o);
        qel_container_end(ctx);
    }
};

struct gradient_board {
    qel_gradient_stop stops[4] = {
        {0, 0xff3b82f6u}, {0.35f, 0x8022c55eu}, {0.7f, 0xff0bb4f5u}, {1, 0xff4444efu},
    };
    int32_t count = 4, selected = 1;

    void frame(qel_context* ctx)
    {
        board_begin(ctx);
        qel_gradient_editor_opts o = {};
        o.selected = &selected;
        qel_gradient_editor(ctx, "gradient", stops, &count, 8, &o);
        qel_container_end(ctx);
    }
};

class EditorPictures : public themed_pictures {
protected:
    EditorPictures() : themed_pictures("qel/editors_") {}
};

}  // namespace

TEST_P(EditorPictures, CurveWithASelectedKey)
{
    widget_rig rig(600, 400, GetParam());
    curve_board board;
    rig.h.ui = [&](qel_context* ctx) { board.frame(ctx); };
    rig.h.run(2);
    int32_t index = 1;
    rig.click_on(qel_hash_bytes(&index, 4, qel_id(rig.h.ctx, "curve") ^ PART_CURVE_KEY_SEED));
    rig.h.move(590, 390);
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "curve"));
}

TEST_P(EditorPictures, GradientWithATranslucentStop)
{
    widget_rig rig(560, 200, GetParam());
    gradient_board board;
    rig.h.ui = [&](qel_context* ctx) { board.frame(ctx); };
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "gradient"));
}

INSTANTIATE_TEST_SUITE_P(Themes, EditorPictures, theme_modes(), theme_name);
