// The card deck as a user swipes it: a slow drag springs back, a throw flies out and is reported
// once, the keys, an empty deck, the pop-in of the next card, the cards beyond the visible ones,
// a release the deck did not see and the pointer leaving the window.
#include <gtest/gtest.h>

#include <cmath>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct deck_scene {
    widget_rig rig;
    int32_t count = 5;
    bool shown = true;
    int32_t swipes = 0, last = 0;
    explicit deck_scene(bool moving = true) : rig(640, 480, QEL_THEME_LIGHT, !moving)
    {
        rig.h.ui = [this](qel_context* ctx) {
            if (!shown) return;
            qel_card_deck_begin(ctx, "deck", count, nullptr);
            for (int32_t i = 0; i < count; i++) {
                qel_card_deck_card_begin(ctx, i);
                qel_textf(ctx, "Card %d", i);
                qel_card_deck_card_end(ctx);
            }
            int32_t r = qel_card_deck_end(ctx);
            if (r) swipes++, last = r, count--;
        };
        rig.h.run(2);
    }
    uint32_t top() { return qel_id(rig.h.ctx, "deck") ^ 0x70Bu; }
    const qel_node* top_node() { return node_with_id(rig.h.ctx, top()); }
    void press()
    {
        rig.move_to(top());
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    // Moves the pointer by dx a frame for frames, then holds it still for still frames.
    void drag(float dx, int frames, int still)
    {
        qel_vec2 at = rig.centre(top());
        for (int i = 1; i <= frames; i++) {
            rig.h.move(at.x + dx * (float)i, at.y);
            rig.h.run();
        }
        rig.h.run(still);
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
    }
};

TEST(CardDeck, ASlowDragSpringsBackAndAThrowFliesOutOnce)
{
    deck_scene s;
    s.press();
    s.drag(8, 12, 15);  // 96 pixels, 0.3 card widths, then still
    EXPECT_NEAR(s.top_node()->translate_x, 96, 0.5f);
    s.release();
    s.rig.h.run(60);
    EXPECT_EQ(s.swipes, 0);
    EXPECT_NEAR(s.top_node()->translate_x, 0, 0.01f);
    s.press();
    s.drag(20, 5, 0);  // 100 pixels at 1200 a second
    s.release();
    s.rig.h.run(60);
    EXPECT_EQ(s.swipes, 1) << "reported exactly once";
    EXPECT_EQ(s.last, 1);
    EXPECT_EQ(s.count, 4);
}

TEST(CardDeck, NextCardPopsInAndDeepCardsAreHidden)
{
    deck_scene s;
    const qel_node* fourth = node_with_text(s.rig.h.ctx, "Card 3");
    ASSERT_NE(fourth, nullptr);
    EXPECT_FLOAT_EQ(inspect_node(s.rig.h.ctx, fourth->parent)->opacity, 0.001f);
    s.rig.click_on(s.top());
    s.rig.h.tap(QEL_KEY_LEFT);
    s.rig.h.run(30);
    ASSERT_EQ(s.swipes, 1);
    EXPECT_EQ(s.last, -1);
    s.rig.h.run(60);
    EXPECT_NEAR(s.top_node()->translate_y, 0, 0.01f);
    EXPECT_EQ(s.top_node()->scale, 1);
}

TEST(CardDeck, PopInStartsOneCardDown)
{
    deck_scene s;
    s.rig.click_on(s.top());
    s.rig.h.tap(QEL_KEY_RIGHT);
    for (int i = 0; i < 60 && s.swipes == 0; i++) s.rig.h.run();
    ASSERT_EQ(s.swipes, 1);
    s.rig.h.run();
    EXPECT_GT(s.top_node()->translate_y, 10) << "d starts near 1: 12 pixels down";
    EXPECT_NE(node_with_text(s.rig.h.ctx, "Card 0"), nullptr) << "the caller's next card is on top";
    s.rig.h.run(30);
    EXPECT_NEAR(s.top_node()->translate_y, 0, 0.05f) << "risen within about 0.5 s";
}

TEST(CardDeck, AnEmptyDeckIgnoresPressesAndKeys)
{
    deck_scene s;
    s.count = 0;
    s.rig.h.run();
    qel_set_focus(s.rig.h.ctx, s.top(), true);
    s.rig.h.tap(QEL_KEY_RIGHT);
    s.rig.h.run(30);
    EXPECT_EQ(s.swipes, 0);
    EXPECT_EQ(s.rig.h.rect(qel_id(s.rig.h.ctx, "deck")).h, 344) << "two steps of 12 under a 320 card";
    int32_t lone = 1;
    s.rig.h.ui = [&](qel_context* ctx) { lone = qel_card_deck_end(ctx); };
    s.rig.h.run();
    EXPECT_EQ(lone, 0) << "an end without a deck";
}

TEST(CardDeck, MissedReleasesAndAPointerOutsideTheWindowThrowNothing)
{
    deck_scene s;
    s.press();
    s.drag(8, 10, 15);
    s.shown = false;
    s.release();  // in a frame without the deck
    s.shown = true;
    s.rig.h.move(600, 200);
    s.rig.h.run(60);
    EXPECT_EQ(s.swipes, 0);
    EXPECT_NEAR(s.top_node()->translate_x, 0, 0.01f) << "sprung back rather than following";
    s.press();
    s.drag(5, 6, 15);
    qel_input_mouse_leave(s.rig.h.ctx);
    s.rig.h.run(3);
    EXPECT_NEAR(s.top_node()->translate_x, 30, 0.5f) << "the far-away pointer is no place";
    s.release();
    s.rig.h.run(60);
    EXPECT_EQ(s.swipes, 0) << "leaving the window swiped nothing";
}
