// Alerts, empty states, meters and images over scripted frames: a dismissed alert stays hidden,
// each kind shows its icon, meters turn warning and danger past three quarters and nine tenths,
// the empty state's action clicks, and images take their defaults.
#include <gtest/gtest.h>

#include <string>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(Alert, ADismissedAlertStaysHidden)
{
    widget_rig rig;
    bool dismissible_shown = true, plain_shown = true;
    int frames_plain_hidden = 0;
    rig.h.ui = [&](qel_context* ctx) {
        qel_alert_opts o = {};
        o.kind = QEL_SEMANTIC_SUCCESS;
        o.dismissible = 1;
        dismissible_shown = qel_alert(ctx, "Saved", &o);
        plain_shown = qel_alert(ctx, "Plain", nullptr);
        frames_plain_hidden += !plain_shown;
    };
    rig.h.run(2);
    qel_push_id(rig.h.ctx, "Saved");
    uint32_t dismiss = qel_hash_str(QEL_ICON_X, qel_id(rig.h.ctx, "Dismiss"));
    qel_pop_id(rig.h.ctx);
    qel_rect button = rig.h.rect(dismiss);
    EXPECT_EQ(button.w, 24);
    EXPECT_EQ(button.h, 24);
    qel_vec2 c = rig.centre(dismiss);
    rig.h.move(c.x, c.y);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    rig.h.button(0, false);
    rig.h.run();
    EXPECT_FALSE(dismissible_shown) << "hidden from the frame of the click";
    rig.h.run(5);
    EXPECT_FALSE(dismissible_shown);
    EXPECT_EQ(node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "Saved") ^ PART_ALERT), nullptr);
    EXPECT_NE(node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "Plain") ^ PART_ALERT), nullptr);
    EXPECT_EQ(frames_plain_hidden, 0);
}

TEST(Alert, EachKindShowsItsIconAndColour)
{
    const struct {
        uint32_t kind;
        const char* icon;
    } cases[] = {
        {0, QEL_ICON_INFO}, {1, QEL_ICON_INFO}, {2, QEL_ICON_CIRCLE_CHECK},
        {3, QEL_ICON_TRIANGLE_ALERT}, {4, QEL_ICON_CIRCLE_ALERT}, {12, QEL_ICON_INFO},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        widget_rig rig;
        rig.h.ui = [&](qel_context* ctx) {
            qel_alert_opts o = {};
            o.kind = c.kind;
            qel_alert(ctx, "Title", &o);
        };
        rig.h.run(2);
        const qel_node* icon = node_with_text(rig.h.ctx, c.icon);
        ASSERT_NE(icon, nullptr);
        bool semantic = c.kind >= 1 && c.kind <= 8;
        qel_color expected = semantic ? qel_color_semantic(rig.h.ctx, c.kind)
                                      : qel_theme_color(rig.h.ctx, QEL_COLOR_TEXT_SECONDARY);
        EXPECT_EQ(icon->text_color, expected);
        const qel_node* alert = node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "Title") ^ PART_ALERT);
        EXPECT_EQ(alert->fill == qel_theme_color(rig.h.ctx, QEL_COLOR_SUBTLE), !semantic);
    }
    widget_rig rig;
    rig.h.ui = [](qel_context* ctx) {
        qel_alert_opts o = {};
        o.kind = QEL_SEMANTIC_DANGER;
        o.icon = QEL_ICON_ARROW_LEFT;
        o.text = "Details";
        qel_alert(ctx, "Title", &o);
    };
    rig.h.run(2);
    EXPECT_NE(node_with_text(rig.h.ctx, QEL_ICON_ARROW_LEFT), nullptr) << "a given icon replaces the kind's";
    EXPECT_NE(node_with_text(rig.h.ctx, "Details"), nullptr);
}

TEST(Meter, TurnsWarningAndDangerNearItsMaximum)
{
    const struct {
        float value, max;
        const char* reading;
        uint32_t kind;  // 0: the primary colour
        float shown;
    } cases[] = {
        {80, 100, "80 / 100 MB", QEL_SEMANTIC_WARNING, 0.8f},
        {95, 100, "95 / 100 MB", QEL_SEMANTIC_DANGER, 0.95f},
        {75, 100, "75 / 100 MB", 0, 0.75f},
        {91, 100, "91 / 100 MB", QEL_SEMANTIC_DANGER, 0.91f},
        {5, 0, "5 / 0 MB", 0, 0},
        {2.5f, 4, "2.5 / 4 MB", 0, 0.625f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reading);
        widget_rig rig;
        rig.h.ui = [&](qel_context* ctx) { qel_meter(ctx, "Spool", c.value, c.max, "MB"); };
        rig.h.run(2);
        EXPECT_NE(node_with_text(rig.h.ctx, c.reading), nullptr);
        const auto* bar = (const qel_progress_record*)node_with_draw(rig.h.ctx, qel_progress_draw)->draw_user;
        EXPECT_EQ(bar->fill, c.kind ? qel_color_semantic(rig.h.ctx, c.kind) : qel_color_token(QEL_COLOR_PRIMARY));
        EXPECT_FLOAT_EQ(bar->value, c.shown);
    }
}

TEST(EmptyState, TheActionClicksOnce)
{
    widget_rig rig;
    int clicks = 0;
    const char* action = "Open file";
    rig.h.ui = [&](qel_context* ctx) {
        qel_empty_state_opts o = {};
        o.icon = QEL_ICON_CHECK;
        o.text = "Nothing here yet.";
        o.action = action;
        clicks += qel_empty_state(ctx, "No rows", &o);
    };
    rig.h.run(2);
    qel_vec2 c = rig.centre(qel_id(rig.h.ctx, "Open file"));
    rig.h.click(c.x, c.y);
    rig.h.run(2);
    EXPECT_EQ(clicks, 1);
    action = nullptr;
    rig.h.run(2);
    EXPECT_EQ(node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "Open file")), nullptr);
    EXPECT_NEAR(node_with_text(rig.h.ctx, "No rows")->rect.x + node_with_text(rig.h.ctx, "No rows")->rect.w / 2, 200,
                0.5f)
        << "the title is centred";
}

TEST(Image, DefaultsAndTints)
{
    const struct {
        const char* name;
        bool with_options;
        qel_size width;
        float radius;
        qel_color tint;
        float w;
        bool white;
    } cases[] = {
        {"null options", false, {}, 0, 0, 64, true},
        {"a width and corners", true, {QEL_SIZE_FIXED, 100}, 12, 0, 100, true},
        {"a transparent literal", true, {}, 0, 0x00FF0000u, 64, true},
        {"a token", true, {}, 0, qel_color_token(QEL_COLOR_ACCENT), 64, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        widget_rig rig;
        rig.h.ui = [&](qel_context* ctx) {
            qel_image_opts o = {};
            o.width = c.width;
            o.radius = c.radius;
            o.tint = c.tint;
            qel_image(ctx, 7, c.with_options ? &o : nullptr);
        };
        rig.h.run(2);
        const qel_node* image = node_with_draw(rig.h.ctx, qel_image_draw);
        EXPECT_EQ(image->rect.w, c.w);
        EXPECT_EQ(image->rect.h, 64);
        EXPECT_EQ(image->radii[1], c.radius);
        const auto* record = (const qel_image_record*)image->draw_user;
        EXPECT_EQ(record->texture, 7u);
        EXPECT_EQ(record->tint,
                  c.white ? 0xFFFFFFFFu : qel_theme_color(rig.h.ctx, QEL_COLOR_ACCENT)) << "tokens resolved";
    }
}
