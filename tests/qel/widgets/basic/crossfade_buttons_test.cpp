// Confirm and async buttons over scripted frames and the animation clock: arming, confirming once,
// disarming by time, Escape and a press elsewhere; the async faces by phase, their slide and
// width spring, and clicks that count only while idle.
#include <gtest/gtest.h>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

// The face that shows a text: the row holding it; null when none.
static const qel_node* face_of(qel_context* ctx, const char* text)
{
    const qel_node* t = node_with_text(ctx, text);
    return t ? inspect_node(ctx, t->parent) : nullptr;
}

// A confirm button "Delete all" whose reports are counted.
struct confirm_rig {
    widget_rig rig{400, 120, QEL_THEME_LIGHT, false};
    int confirms = 0;
    uint32_t id = 0;

    confirm_rig()
    {
        rig.h.ui = [this](qel_context* ctx) { confirms += qel_confirm_button(ctx, "Delete all", nullptr); };
        rig.h.run(2);
        id = qel_id(rig.h.ctx, "Delete all");
    }
    bool armed() { return node_with_text(rig.h.ctx, "Click to confirm") != nullptr; }
    void click()
    {
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
    }
};

TEST(ConfirmButton, ASecondClickWithinTheLimitConfirmsOnce)
{
    confirm_rig c;
    EXPECT_FALSE(c.armed());
    c.click();
    EXPECT_EQ(c.confirms, 0);
    c.rig.h.run(60);
    ASSERT_TRUE(c.armed());
    EXPECT_TRUE(qel_needs_redraw(c.rig.h.ctx)) << "the countdown keeps frames coming";
    qel_face warning = {QEL_ICON_TRIANGLE_ALERT, "Click to confirm", 0, 0, 0, 0, 0};
    EXPECT_NEAR(c.rig.h.rect(c.id).w, qel_label_width(c.rig.h.ctx, &warning, 0), 0.5f) << "as wide as the warning face";
    c.click();
    EXPECT_EQ(c.confirms, 1);
    c.rig.h.run(60);
    EXPECT_FALSE(c.armed());
    EXPECT_EQ(c.confirms, 1);
}

TEST(ConfirmButton, DisarmsWithoutAReport)
{
    const struct {
        const char* name;
        int how;  // 0 time, 1 Escape, 2 press elsewhere
    } cases[] = {{"after 3 s", 0}, {"on Escape", 1}, {"on a press elsewhere", 2}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        confirm_rig c;
        c.click();
        c.rig.h.step = 0.25f;
        c.rig.h.run(4);
        if (k.how == 0) c.rig.h.run(9);
        if (k.how == 1) c.rig.h.tap(QEL_KEY_ESCAPE);
        if (k.how == 2) c.rig.h.click(390, 110);
        c.rig.h.run(8);
        EXPECT_FALSE(c.armed());
        c.rig.h.step = 1.0f / 60;
        c.click();
        EXPECT_EQ(c.confirms, 0) << "the next click arms again";
    }
}

// An async button "Save" in the phase the test sets.
struct async_rig {
    widget_rig rig{400, 120, QEL_THEME_LIGHT, false};
    int32_t phase;
    int clicks = 0;
    uint32_t id = 0;

    explicit async_rig(int32_t start) : phase(start)
    {
        rig.h.ui = [this](qel_context* ctx) { clicks += qel_async_button(ctx, "Save", phase, nullptr); };
        rig.h.run();
        id = qel_id(rig.h.ctx, "Save");
    }
};

TEST(AsyncButton, CreatedBusyShowsTheBusyFaceAtOnce)
{
    async_rig a(QEL_ASYNC_BUSY);
    const qel_node* busy = face_of(a.rig.h.ctx, "Save\xE2\x80\xA6");
    ASSERT_NE(busy, nullptr);
    EXPECT_EQ(busy->opacity, 1.0f);
    EXPECT_EQ(busy->translate_y, 0.0f);
    EXPECT_EQ(face_of(a.rig.h.ctx, "Save"), nullptr) << "no idle face fading out";
    EXPECT_FLOAT_EQ(node_with_id(a.rig.h.ctx, a.id)->opacity, 0.92f);
}

TEST(AsyncButton, SlidesTheOldFaceUpWhileTheWidthSprings)
{
    async_rig a(QEL_ASYNC_BUSY);
    a.rig.h.run(2);
    float busy_width = a.rig.h.rect(a.id).w;
    a.phase = QEL_ASYNC_DONE;
    a.rig.h.run(3);
    const qel_node* old = face_of(a.rig.h.ctx, "Save\xE2\x80\xA6");
    const qel_node* done = face_of(a.rig.h.ctx, "Done");
    ASSERT_NE(old, nullptr);
    ASSERT_NE(done, nullptr);
    EXPECT_LT(old->translate_y, 0) << "the busy face leaves upward";
    EXPECT_GT(done->translate_y, 0) << "the done face comes from below";
    EXPECT_NEAR(old->opacity + done->opacity, 1, 0.01f);
    float moving = node_with_id(a.rig.h.ctx, a.id)->width.value;
    a.rig.h.run(90);
    EXPECT_EQ(face_of(a.rig.h.ctx, "Save\xE2\x80\xA6"), nullptr);
    float done_width = node_with_id(a.rig.h.ctx, a.id)->width.value;
    EXPECT_LT(done_width, busy_width);
    EXPECT_GT(moving, done_width) << "between the two widths on its way";
    EXPECT_EQ(node_with_id(a.rig.h.ctx, a.id)->fill, qel_theme_color(a.rig.h.ctx, QEL_COLOR_SUCCESS));
}

TEST(AsyncButton, ReportsClicksOnlyWhileIdle)
{
    for (int32_t phase : {QEL_ASYNC_IDLE, QEL_ASYNC_BUSY, QEL_ASYNC_DONE, QEL_ASYNC_FAILED}) {
        SCOPED_TRACE(phase);
        async_rig a(phase);
        a.rig.h.run();
        qel_vec2 c = a.rig.centre(a.id);
        a.rig.h.click(c.x, c.y);
        EXPECT_EQ(a.clicks, phase == QEL_ASYNC_IDLE ? 1 : 0);
    }
}
