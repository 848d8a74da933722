// The carousel driven by the pointer and keys: clamping, the rubber band, a flick short of half a
// slide, autoplay without wrap, a release the carousel did not see, the pointer leaving the
// window mid-drag, an index it keeps itself, and a single slide.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct carousel_scene {
    widget_rig rig;
    int32_t count;
    int32_t index = 0;
    int32_t* index_arg = &index;
    bool shown = true;  // the caller declares the carousel this frame
    qel_carousel_opts o = {};
    carousel_scene(int32_t slides, int32_t first) : rig(640, 360, QEL_THEME_LIGHT, false), count(slides), index(first)
    {
        rig.h.ui = [this](qel_context* ctx) {
            if (!shown) return;
            qel_carousel_begin(ctx, "show", count, index_arg, &o);
            for (int32_t i = 0; i < count; i++) {
                qel_carousel_slide_begin(ctx);
                qel_textf(ctx, "Slide %d", i);
                qel_carousel_slide_end(ctx);
            }
            qel_carousel_end(ctx);
        };
        rig.h.run(2);
    }
    uint32_t viewport() { return qel_id(rig.h.ctx, "show") ^ 0x71E3u; }
    float step() { return rig.h.rect(viewport()).w + 12; }
    // How many slides the track stands shifted, read from its first slide's place.
    float position()
    {
        const qel_node* first = node_with_text(rig.h.ctx, "Slide 0");
        return first ? (rig.h.rect(viewport()).x - inspect_node(rig.h.ctx, first->parent)->rect.x) / step() : -99;
    }
    void press_at(float dx)
    {
        qel_vec2 c = rig.centre(viewport());
        rig.h.move(c.x + dx, c.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    void drag_to(float dx, int frames = 1)
    {
        qel_vec2 c = rig.centre(viewport());
        rig.h.move(c.x + dx, c.y);
        rig.h.run(frames);
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
    }
};

TEST(Carousel, ClampsTheIndexAndShowsNoControlsForOneSlide)
{
    carousel_scene four(4, 9);
    EXPECT_EQ(four.index, 3);
    EXPECT_NEAR(four.position(), 3, 1e-3) << "the first frame stands on the clamped slide";
    EXPECT_NE(node_with_text(four.rig.h.ctx, "Slide 3"), nullptr);
    carousel_scene one(1, 0);
    one.o.autoplay = 0.5f;
    one.rig.h.run(90);
    EXPECT_EQ(one.index, 0);
    int32_t dots = 0;
    for (int32_t i = 0; i < inspect_node_count(one.rig.h.ctx); i++)
        dots += inspect_node(one.rig.h.ctx, i)->height.value == 6;
    EXPECT_EQ(dots, 0);
    EXPECT_EQ(inspect_node_count(one.rig.h.ctx), 6) << "root, column, viewport, track, slide, text: no arrows";
}

TEST(Carousel, RubberBandAndFlick)
{
    carousel_scene s(4, 0);
    s.press_at(0);
    s.drag_to(100);
    EXPECT_NEAR(s.position(), -100 / s.step() * 0.3f, 1e-3) << "past the first slide at 30 %";
    s.release();
    s.rig.h.run(90);
    EXPECT_EQ(s.index, 0);
    EXPECT_NEAR(s.position(), 0, 1e-3);
    // A flick of about two slides a second that covers a tenth of a slide still goes on by one.
    s.press_at(0);
    for (int i = 1; i <= 3; i++) s.drag_to(-20.0f * (float)i);
    s.release();
    EXPECT_EQ(s.index, 1);
    s.rig.h.run(90);
    EXPECT_NEAR(s.position(), 1, 1e-3);
}

TEST(Carousel, AutoplayGoesBackToTheFirstSlideWithoutWrap)
{
    carousel_scene s(3, 0);
    s.o.autoplay = 1;
    s.rig.h.move(1, 350);  // away from the viewport, which pauses it
    s.rig.h.run(65);
    EXPECT_EQ(s.index, 1);
    s.rig.h.run(60);
    EXPECT_EQ(s.index, 2);
    s.rig.h.run(60);
    EXPECT_EQ(s.index, 0);
}

TEST(Carousel, ADragEndsOnAReleaseItMissedAndIgnoresThePointerOutsideTheWindow)
{
    carousel_scene s(4, 0);
    s.press_at(0);
    s.drag_to(-50, 12);  // held still until the fling has died down
    s.shown = false;
    s.release();  // in a frame without the carousel
    s.shown = true;
    s.drag_to(-400, 3);
    EXPECT_LT(s.position(), 50 / s.step() + 1e-3) << "no longer follows the pointer";
    s.rig.h.run(90);
    EXPECT_EQ(s.index, 0);
    EXPECT_NEAR(s.position(), 0, 1e-3);
    s.press_at(0);
    s.drag_to(-30, 12);
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run(3);
    EXPECT_NEAR(s.position(), 30 / s.step(), 1e-3) << "the far-away pointer is no place";
    s.release();
    s.rig.h.run(90);
    EXPECT_EQ(s.index, 0) << "leaving the window chose no slide";
}

TEST(Carousel, KeepsItsOwnIndexAndAnswersKeysAndDots)
{
    carousel_scene s(4, 0);
    s.index_arg = nullptr;
    s.rig.h.run();
    s.rig.click_on(s.viewport());
    s.rig.h.tap(QEL_KEY_RIGHT);
    s.rig.h.run(90);
    EXPECT_NEAR(s.position(), 1, 1e-3);
    s.rig.h.tap(QEL_KEY_LEFT);
    s.rig.h.tap(QEL_KEY_LEFT);
    s.rig.h.run(90);
    EXPECT_NEAR(s.position(), 0, 1e-3) << "no wrap: the first slide stays";
    int32_t k = 2;
    s.rig.click_on(qel_hash_bytes(&k, sizeof k, qel_id(s.rig.h.ctx, "show") ^ 0xD07u));
    s.rig.h.run(90);
    EXPECT_NEAR(s.position(), 2, 1e-3);
    widget_rig lone(300, 200);
    int32_t open = 0;
    lone.h.ui = [&](qel_context* ctx) {
        qel_carousel_end(ctx);
        open = inspect_open_parents(ctx);
    };
    lone.h.run();
    EXPECT_EQ(open, 1);
}
