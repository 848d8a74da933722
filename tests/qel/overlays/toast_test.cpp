// Toasts over the animation clock: the countdown that the pointer stops, swipes that spring back
// or dismiss and the rubber band to the left, the action button, the bounded queue, and texts cut
// at whole characters.
#include <gtest/gtest.h>

#include <cstring>

#include "qel/qel.h"
#include "support/widget_rig.h"

static uint32_t card_id(uint32_t toast)
{
    return qel_hash_bytes(&toast, sizeof toast, PART_TOAST_LAYER);
}

static int32_t toast_count(qel_context* ctx)
{
    return inspect_toast_count(ctx);
}

TEST(Toast, ExpiresAfterItsTimeWhileThePointerIsAway)
{
    widget_rig rig(600, 400, QEL_THEME_LIGHT, false);
    rig.h.step = 1.0f / 64;
    uint32_t id = qel_toast_push(rig.h.ctx, "Saved", nullptr);
    EXPECT_EQ(id, 1u);
    rig.h.run(2);
    rig.move_to(card_id(id));
    rig.h.run(64 * 5);
    EXPECT_EQ(toast_count(rig.h.ctx), 1) << "the clock stops under the pointer";
    rig.h.move(5, 5);
    rig.h.run(64 * 3);
    EXPECT_EQ(toast_count(rig.h.ctx), 1);
    rig.h.run(64 * 2);
    EXPECT_EQ(toast_count(rig.h.ctx), 0) << "gone after 4 s away and its fade";
}

// Drags the toast's card by dx over frames, then releases.
static void drag(widget_rig& rig, uint32_t id, float dx, int frames)
{
    qel_vec2 c = rig.centre(card_id(id));
    rig.h.move(c.x - 40, c.y);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    for (int i = 1; i <= frames; i++) {
        rig.h.move(c.x - 40 + dx * (float)i / (float)frames, c.y);
        rig.h.run();
    }
    rig.h.button(0, false);
    rig.h.run();
}

TEST(Toast, ASwipeSpringsBackOrDismissesByDistanceAndSpeed)
{
    struct swipe_case {
        float fraction;  // of the toast's width
        int frames;
        bool dismissed;
    };
    const swipe_case cases[] = {{0.3f, 40, false}, {0.4f, 40, true}, {0.3f, 2, true}};
    for (const swipe_case& s : cases) {
        widget_rig rig(600, 400, QEL_THEME_LIGHT, false);
        qel_toast_options forever = {};
        forever.duration = -1;
        uint32_t id = qel_toast_push(rig.h.ctx, "Printed", &forever);
        rig.h.run(30);
        drag(rig, id, 360 * s.fraction, s.frames);
        EXPECT_EQ(inspect_toast(rig.h.ctx, 0)->dismissed != 0, s.dismissed) << s.fraction << " in " << s.frames;
        rig.h.run(90);
        EXPECT_EQ(toast_count(rig.h.ctx), s.dismissed ? 0 : 1);
    }
}

TEST(Toast, DraggedLeftItOnlyStretchesByTheRubberBand)
{
    widget_rig rig(600, 400, QEL_THEME_LIGHT, false);
    qel_toast_options forever = {};
    forever.duration = -1;
    uint32_t id = qel_toast_push(rig.h.ctx, "Printed", &forever);
    rig.h.run(30);
    qel_vec2 c = rig.centre(card_id(id));
    rig.h.move(c.x, c.y);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    rig.h.move(c.x - 5000, c.y);
    rig.h.run();
    float offset = inspect_toast(rig.h.ctx, 0)->swipe[0];
    EXPECT_LT(offset, -0.3f * 360);
    EXPECT_GT(offset, -0.35f * 360);
    rig.h.button(0, false);
    rig.h.run(60);
    EXPECT_EQ(toast_count(rig.h.ctx), 1);
}

TEST(Toast, TheActionReportsOnceAndTheQueueKeepsTheNewest)
{
    widget_rig rig(600, 400);
    qel_toast_options o = {};
    o.action = "Undo";
    o.duration = -1;
    uint32_t id = qel_toast_push(rig.h.ctx, "Removed", &o);
    rig.h.run(2);
    qel_push_id_int(rig.h.ctx, (int32_t)id);
    uint32_t undo = qel_id(rig.h.ctx, "Undo");
    qel_pop_id(rig.h.ctx);
    qel_vec2 c = rig.centre(undo);
    rig.h.click(c.x, c.y);
    EXPECT_TRUE(qel_toast_action_clicked(rig.h.ctx, id));
    EXPECT_FALSE(qel_toast_action_clicked(rig.h.ctx, id));

    for (int i = 0; i < 17; i++) qel_toast_push(rig.h.ctx, nullptr, nullptr);
    EXPECT_EQ(toast_count(rig.h.ctx), 16);
    EXPECT_EQ(inspect_toast(rig.h.ctx, 0)->id, 3u) << "the oldest two were dropped";
    EXPECT_EQ(inspect_toast(rig.h.ctx, 15)->id, 18u);
    EXPECT_STREQ(inspect_toast(rig.h.ctx, 15)->title, "");
    qel_toast_dismiss(rig.h.ctx, 18);
    EXPECT_TRUE(inspect_toast(rig.h.ctx, 15)->dismissed);
}

TEST(Toast, LongTextsAreCutAtAWholeCharacter)
{
    widget_rig rig;
    char title[200];
    memset(title, 'a', 126);
    strcpy(title + 126, "\xC3\xA9tiquette");  // the two-byte character straddles byte 127
    uint32_t id = qel_toast_push(rig.h.ctx, title, nullptr);
    const qel_toast& t = *inspect_toast(rig.h.ctx, 0);
    EXPECT_EQ(t.id, id);
    EXPECT_EQ(strlen(t.title), 126u);
}

// The red, green and blue of the pixel at x, y of a picture drawn at scale 1.
static int channel_sum_at(const picture& p, float x, float y)
{
    const uint8_t* px = &p.rgba[((size_t)y * (size_t)p.width + (size_t)x) * 4];
    return px[0] + px[1] + px[2];
}

TEST(Toast, ACountdownBarLastsSixSecondsAndShortensAsTheyRunOut)
{
    widget_rig rig(600, 400);
    rig.h.step = 1.0f / 64;
    qel_toast_options bar = {};
    bar.countdown_bar = 1;
    uint32_t counted = qel_toast_push(rig.h.ctx, "Printing", &bar);
    rig.h.run(2);
    struct moment {
        int frames;  // run before looking, at 64 a second
        float x;     // across the card's width
        bool drawn;
    };
    // 1 s in, the bar reaches past the middle; 4 s in, a third of it is left.
    const moment moments[] = {{64, 0.5f, true}, {64 * 3, 0.5f, false}, {0, 0.2f, true}};
    for (const moment& m : moments) {
        rig.h.run(m.frames);
        const qel_rect card = rig.h.rect(card_id(counted));
        ASSERT_GT(card.w, 100.0f);
        const float x = card.x + card.w * m.x, bar_y = card.y + card.h - 4, fill_y = card.y + card.h - 9;
        picture shot = rig.shot();
        EXPECT_EQ(channel_sum_at(shot, x, bar_y) != channel_sum_at(shot, x, fill_y), m.drawn)
            << "at " << m.x << " of the width after " << m.frames << " more frames";
    }
    rig.h.run(64 * 3 / 2);  // 5.5 s: a plain toast would be gone by now
    EXPECT_EQ(toast_count(rig.h.ctx), 1);
    rig.h.run(64);
    EXPECT_EQ(toast_count(rig.h.ctx), 0);
}
