// Cards, progress bars, skeletons and spinners over scripted frames: only clickable cards click and
// lift, bars fill as wide as the renderer shows (counted in its pixels), the percentage reads the
// value as given, the bar eases to a new value, and the sweeps move only while motion is on and
// leave an idle window idle otherwise.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(Card, OnlyAClickableCardClicksAndLifts)
{
    widget_rig rig(400, 300, QEL_THEME_LIGHT, false);
    int clicks = 0;
    bool plain_clicked = false;
    rig.h.ui = [&](qel_context* ctx) {
        plain_clicked |= qel_card_begin(ctx, nullptr);
        qel_text_medium(ctx, "plain");
        qel_card_end(ctx);
        qel_card_opts o = {};
        o.clickable = 1;
        o.id = "pick";
        clicks += qel_card_begin(ctx, &o);
        qel_text_medium(ctx, "clickable");
        qel_card_end(ctx);
    };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    const qel_node* plain = inspect_node(ctx, node_with_text(ctx, "plain")->parent);
    EXPECT_EQ(plain->id, 0u) << "a plain card has no id";
    EXPECT_EQ(plain->elevation, 0u);
    EXPECT_EQ(plain->pad_left, 24);
    EXPECT_EQ(plain->gap, 12);
    qel_vec2 at = {plain->rect.x + 5, plain->rect.y + 5};
    rig.h.click(at.x, at.y);
    EXPECT_FALSE(plain_clicked);

    uint32_t id = qel_id(ctx, "pick");
    auto card = [&] { return node_with_id(ctx, id); };
    EXPECT_EQ(card()->elevation_strength, 0) << "no shadow at rest";
    rig.move_to(id);
    rig.h.run(60);
    EXPECT_EQ(card()->translate_y, -2);
    EXPECT_EQ(card()->elevation_strength, 1);
    EXPECT_EQ(qel_requested_cursor(ctx), QEL_CURSOR_HAND);
    rig.h.button(0, true);
    rig.h.run();
    rig.h.button(0, false);
    rig.h.run();
    EXPECT_EQ(clicks, 1);
    rig.h.move(390, 290);
    rig.h.run(60);
    EXPECT_EQ(card()->translate_y, 0);
    EXPECT_EQ(card()->elevation_strength, 0);
    EXPECT_FALSE(inspect_redraw_requested(ctx)) << "settled cards let the window idle";
}

// A bar of 200 x 10 units drawn alone in a window 20 units wider; the pixels of its middle row in
// the fill colour, and where the bar and the first of them lie.
struct bar_pixels {
    int count = 0;
    int first = -1;
    float bar_x = 0;
};

static bar_pixels filled_pixels(float value, uint32_t root_direction = 0)
{
    qel_config config = {};
    config.root_direction = root_direction;
    qel_soft_renderer* soft = qel_soft_create();
    bar_pixels out;
    {
        qel_headless h(220, 30, 1, &config);
        qel_theme_set_reduced_motion(h.ctx, 1);
        h.ui = [&](qel_context* ctx) {
            qel_progress_opts o = {};
            o.width = {QEL_SIZE_FIXED, 200};
            o.height = 10;
            o.kind = QEL_SEMANTIC_DANGER;
            qel_progress_bar(ctx, value, &o);
        };
        h.run(2);
        out.bar_x = node_with_draw(h.ctx, qel_progress_draw)->rect.x;
        qel_color fill = qel_color_semantic(h.ctx, QEL_SEMANTIC_DANGER);
        picture p = picture_render(soft, &h.draw_data());
        for (int x = 0; x < p.width; x++) {
            const uint8_t* px = &p.rgba[(size_t)(5 * p.width + x) * 4];
            bool match = true;
            for (int k = 0; k < 3; k++) match &= std::abs(px[k] - (int)((fill >> (8 * k)) & 0xFF)) <= 2;
            if (!match) continue;
            if (out.first < 0) out.first = x;
            out.count++;
        }
    }
    qel_soft_destroy(soft);
    return out;
}

TEST(ProgressBar, FillsAsWideAsItsValueAndNoLessThanItsHeight)
{
    const struct {
        float value;
        int pixels;
    } cases[] = {{0.5f, 100},  {0.001f, 10}, {1.5f, 200}, {0, 0}, {-1, 0},
                 {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        // Round ends shave a pixel or two off the middle row's count.
        bar_pixels b = filled_pixels(c.value);
        EXPECT_NEAR(b.count, c.pixels, 2);
        if (c.pixels) {
            EXPECT_NEAR(b.first, b.bar_x, 1) << "filled from the start";
        }
    }
    bar_pixels rtl = filled_pixels(0.25f, 2);
    EXPECT_NEAR(rtl.count, 50, 2);
    EXPECT_NEAR(rtl.first, rtl.bar_x + 150, 2) << "right to left it fills from the right";
}

// The texts of the last frame's text nodes joined by "|".
static std::string texts(qel_context* ctx)
{
    std::string out;
    for (int32_t i = 0; i < inspect_node_count(ctx); i++)
        if (inspect_node(ctx, i)->flags & QEL_NODE_TEXT) out += std::string(inspect_node(ctx, i)->text) + "|";
    return out;
}

TEST(ProgressBar, ThePercentageReadsTheValueAsGiven)
{
    const struct {
        float value;
        uint8_t indeterminate;
        const char* label;
        const char* expected;
    } cases[] = {
        {0.424f, 0, nullptr, "42%|"},
        {1.5f, 0, "Labels##job", "Labels|150%|"},
        {0.5f, 1, "Busy", "Busy|"},
        {0.5f, 1, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        widget_rig rig;
        rig.h.ui = [&](qel_context* ctx) {
            qel_progress_opts o = {};
            o.show_value = 1;
            o.indeterminate = c.indeterminate;
            o.label = c.label;
            qel_progress_bar(ctx, c.value, &o);
        };
        rig.h.run(2);
        EXPECT_EQ(texts(rig.h.ctx), c.expected);
    }
}

TEST(ProgressBar, EasesToANewValue)
{
    widget_rig rig(400, 100, QEL_THEME_LIGHT, false);
    float value = 0.2f;
    rig.h.ui = [&](qel_context* ctx) { qel_progress_bar(ctx, value, nullptr); };
    rig.h.run(2);
    auto shown = [&] {
        return ((const qel_progress_record*)node_with_draw(rig.h.ctx, qel_progress_draw)->draw_user)->value;
    };
    EXPECT_EQ(shown(), 0.2f) << "the first value shows at once";
    value = 0.9f;
    rig.h.run();
    EXPECT_GT(shown(), 0.2f);
    EXPECT_LT(shown(), 0.9f);
    rig.h.run(90);
    EXPECT_EQ(shown(), 0.9f);
    EXPECT_FALSE(inspect_redraw_requested(rig.h.ctx));
}

TEST(Sweeps, MoveOnlyWhileMotionIsOn)
{
    const struct {
        const char* name;
        void (*build)(qel_context*);
    } widgets[] = {
        {"indeterminate bar",
         [](qel_context* ctx) {
             qel_progress_opts o = {};
             o.indeterminate = 1;
             qel_progress_bar(ctx, 0, &o);
         }},
        {"skeleton", [](qel_context* ctx) { qel_skeleton(ctx, {}, 0); }},
    };
    for (const auto& w : widgets) {
        for (bool reduced : {false, true}) {
            SCOPED_TRACE(testing::Message() << w.name << (reduced ? ", reduced motion" : ", motion on"));
            widget_rig rig(300, 40, QEL_THEME_DARK, reduced);
            rig.h.ui = w.build;
            rig.h.run(2);
            picture before = rig.shot();
            rig.h.run(20);
            EXPECT_EQ(inspect_redraw_requested(rig.h.ctx), !reduced);
            EXPECT_EQ(rig.shot().rgba == before.rgba, reduced);
        }
    }
}

TEST(Skeleton, SizesAndCorners)
{
    widget_rig rig(300, 200);
    rig.h.ui = [](qel_context* ctx) {
        qel_skeleton(ctx, {}, 0);
        qel_skeleton(ctx, {QEL_SIZE_FIXED, 40}, 40);
        qel_skeleton(ctx, {QEL_SIZE_PERCENT, 50}, 4);
        qel_activity_spinner(ctx, 0);
    };
    rig.h.run(2);
    const qel_node* n = inspect_node(rig.h.ctx, 0);
    EXPECT_EQ(n[1].rect.w, 300);
    EXPECT_EQ(n[1].rect.h, 14);
    EXPECT_EQ(n[1].radii[0], 7);
    EXPECT_EQ(n[2].rect.w, 40);
    EXPECT_EQ(n[2].radii[0], 8);
    EXPECT_EQ(n[3].rect.w, 150);
    EXPECT_EQ(n[3].radii[0], 2);
    EXPECT_EQ(n[4].rect.w, 20) << "the spinner's default size";
    EXPECT_EQ(n[4].rect.h, 20);
}
