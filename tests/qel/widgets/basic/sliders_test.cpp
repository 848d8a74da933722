// Sliders, range sliders and ratings over scripted frames: pointer drags and clicks, keys with
// steps and Shift, rubber stretch past the ends, thumbs that never cross, and star clicks.
#include <gtest/gtest.h>

#include <cmath>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const qel_slider_record* track_record(qel_context* ctx)
{
    const qel_node* n = node_with_draw(ctx, qel_slider_draw);
    return n ? (const qel_slider_record*)n->draw_user : nullptr;
}

// A slider "Copies" in a 400-unit window, its value and options open to the test.
struct slider_rig {
    widget_rig rig{400, 120};
    float value = 0, min = 0, max = 100;
    qel_slider_opts opts = {};
    int changes = 0;
    uint32_t id = 0;

    slider_rig()
    {
        rig.h.ui = [this](qel_context* ctx) { changes += qel_slider(ctx, "Copies", &value, min, max, &opts); };
        rig.h.run(2);
        id = qel_id(rig.h.ctx, "Copies") ^ PART_SLIDER;
    }
    qel_rect track() const { return rig.h.rect(id); }
    // The x of a fraction along the usable track.
    float at(float t) const { return track().x + 9 + t * (track().w - 18); }
    void press_at(float x)
    {
        rig.h.move(x, track().y + 11);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    void drag_to(float x)
    {
        rig.h.move(x, track().y + 11);
        rig.h.run();
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
    }
};

TEST(Slider, APressAndDragSetTheValueUnderThePointer)
{
    slider_rig s;
    s.press_at(s.at(0.25f));
    EXPECT_FLOAT_EQ(s.value, 25);
    s.drag_to(s.at(0.6f));
    EXPECT_NEAR(s.value, 60, 0.01f);
    s.release();
    EXPECT_EQ(s.changes, 2);

    slider_rig empty_range;
    empty_range.max = 0;
    empty_range.press_at(empty_range.at(0.5f));
    EXPECT_FLOAT_EQ(empty_range.value, 0.5f) << "max 0 over min 0 counts as 0..1";
}

TEST(Slider, DraggingPastTheEndStretchesTheTrackAndKeepsTheMaximum)
{
    slider_rig s;
    s.press_at(s.at(0.9f));
    s.drag_to(s.at(1.0f) + 70);
    EXPECT_FLOAT_EQ(s.value, 100);
    EXPECT_NEAR(track_record(s.rig.h.ctx)->rubber, 22 * (1 - expf(-1)), 0.01f);
    s.release();
    s.rig.h.run(5);
    EXPECT_EQ(track_record(s.rig.h.ctx)->rubber, 0) << "reduced motion springs straight back";
}

TEST(Slider, KeysStepAndAStepRoundsEveryValue)
{
    slider_rig s;
    s.opts.step = 5;
    s.value = 40;
    s.rig.h.tap(QEL_KEY_TAB);
    s.rig.h.run();
    const struct {
        int32_t key;
        uint32_t mods;
        float value;
    } steps[] = {
        {QEL_KEY_RIGHT, 0, 45},  {QEL_KEY_DOWN, 0, 40}, {QEL_KEY_RIGHT, QEL_MOD_SHIFT, 90},
        {QEL_KEY_UP, QEL_MOD_SHIFT, 100}, {QEL_KEY_HOME, 0, 0},  {QEL_KEY_END, 0, 100},
    };
    for (const auto& k : steps) {
        s.rig.h.tap(k.key, k.mods);
        s.rig.h.run();
        EXPECT_FLOAT_EQ(s.value, k.value) << "key " << k.key;
    }
    s.press_at(s.at(0.33f));
    EXPECT_FLOAT_EQ(s.value, 35) << "a pointer value rounds to the step";
    s.release();

    slider_rig fine;
    fine.value = 50;
    fine.rig.h.tap(QEL_KEY_TAB);
    fine.rig.h.run();
    fine.rig.h.tap(QEL_KEY_LEFT);
    fine.rig.h.run();
    EXPECT_NEAR(fine.value, 49, 1e-4f) << "continuous sliders step by 1 % of the range";
}

TEST(Slider, DisabledNeitherMovesNorTakesKeys)
{
    slider_rig s;
    s.opts.disabled = 1;
    s.value = 30;
    s.press_at(s.at(0.8f));
    s.release();
    s.rig.h.tap(QEL_KEY_TAB);
    s.rig.h.run();
    s.rig.h.tap(QEL_KEY_RIGHT);
    s.rig.h.run();
    EXPECT_EQ(s.value, 30);
    EXPECT_EQ(s.changes, 0);
    EXPECT_FLOAT_EQ(node_with_id(s.rig.h.ctx, qel_id(s.rig.h.ctx, "Copies"))->opacity, 0.45f);
}

TEST(Slider, ShowsItsValueInTabularDigits)
{
    slider_rig s;
    s.opts.show_value = 1;
    s.opts.format = "%.0f labels";
    s.value = 12;
    s.rig.h.run();
    const qel_node* text = node_with_text(s.rig.h.ctx, "12 labels");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->flags & QEL_NODE_TABULAR);
}

TEST(RangeSlider, ThumbsNeverCross)
{
    widget_rig rig(400, 120);
    float low = 20, high = 60;
    bool hide = false;
    rig.h.ui = [&](qel_context* ctx) {
        if (hide) qel_range_slider_hide_next_label(ctx);
        qel_range_slider(ctx, "Price", &low, &high, 0, 100);
    };
    rig.h.run(2);
    EXPECT_NE(node_with_text(rig.h.ctx, "20 \xE2\x80\x93 60"), nullptr);
    qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "Price") ^ PART_RANGE_SLIDER);
    auto x_of = [&](float t) { return r.x + 9 + t * (r.w - 18); };
    rig.h.move(x_of(0.25f), r.y + 11);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    EXPECT_FLOAT_EQ(low, 25) << "the nearer thumb moves";
    rig.h.move(x_of(0.9f), r.y + 11);
    rig.h.run();
    EXPECT_FLOAT_EQ(low, 60) << "the low thumb stops at the high one";
    EXPECT_FLOAT_EQ(high, 60);
    rig.h.button(0, false);
    rig.h.run();
    rig.h.move(x_of(0.6f), r.y + 11);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    rig.h.move(x_of(0.1f), r.y + 11);
    rig.h.run();
    EXPECT_FLOAT_EQ(high, 60) << "on a tie the high thumb is taken, and it stops at the low one";
    rig.h.button(0, false);
    hide = true;
    rig.h.run();
    EXPECT_EQ(node_with_text(rig.h.ctx, "60 \xE2\x80\x93 60"), nullptr) << "the label row hidden once";
}

TEST(Rating, ClampsItsStarsAndClearsOnASecondClick)
{
    widget_rig rig(500, 100);
    int32_t value = 0, stars = 0;
    rig.h.ui = [&](qel_context* ctx) { qel_rating(ctx, "Quality", &value, stars); };
    auto star_count = [&] {
        int n = 0;
        for (int32_t i = 0; i < inspect_node_count(rig.h.ctx); i++) n += inspect_node(rig.h.ctx, i)->draw == qel_rating_star_draw;
        return n;
    };
    rig.h.run(2);
    EXPECT_EQ(star_count(), 5);
    stars = 40;
    rig.h.run();
    EXPECT_EQ(star_count(), 16);
    int32_t third = 2;
    uint32_t id = qel_hash_bytes(&third, 4, qel_id(rig.h.ctx, "Quality"));
    rig.h.click(rig.centre(id).x, rig.centre(id).y);
    rig.h.run();
    EXPECT_EQ(value, 3);
    rig.h.button(0, true);
    rig.h.run();
    rig.h.button(0, false);
    rig.h.run();
    EXPECT_EQ(value, 0);
}

TEST(Slider, MirrorsPointerAndKeysRightToLeft)
{
    widget_rig rig(400, 120);
    float value = 50;
    rig.h.ui = [&](qel_context* ctx) {
        qel_style rtl = {};
        rtl.direction_mode = 2;
        rtl.width = {QEL_SIZE_GROW, 1};
        qel_column_begin(ctx, &rtl);
        qel_slider(ctx, "Copies", &value, 0, 100, nullptr);
        qel_container_end(ctx);
    };
    rig.h.run(3);
    qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "Copies") ^ PART_SLIDER);
    rig.h.move(r.x + 9 + 0.2f * (r.w - 18), r.y + 11);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    EXPECT_NEAR(value, 80, 0.01f) << "the value grows leftwards";
    rig.h.button(0, false);
    rig.h.run();
    rig.h.tap(QEL_KEY_RIGHT);
    rig.h.run();
    EXPECT_NEAR(value, 79, 0.01f) << "Right decreases";
}
