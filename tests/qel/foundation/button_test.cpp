// Buttons driven over scripted frames: a click fires once, keys activate a focused button, the
// ring shows only for keyboard focus, disabled and loading buttons never fire, the press shrinks
// and darkens the button, variants resolve as the toolkit promises, and icons cross-fade.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

static uint32_t id_of(widget_rig& rig, const char* label)
{
    return qel_id(rig.h.ctx, label);
}

// One button under the label with options; counts the frames in which it reported a click.
struct one_button {
    widget_rig rig;
    qel_button_opts opts = {};
    bool disabled_scope = false;
    int clicks = 0;

    explicit one_button(bool reduced_motion = true) : rig(400, 300, QEL_THEME_LIGHT, reduced_motion)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_push_disabled(ctx, disabled_scope);
            clicks += qel_button(ctx, "Print", &opts);
            qel_pop_disabled(ctx);
        };
        rig.h.run(2);
    }
    const qel_node* node() { return node_with_id(rig.h.ctx, id_of(rig, "Print")); }
};

TEST(Button, ClickFiresOnceOnTheReleaseOverIt)
{
    one_button b;
    b.rig.move_to(id_of(b.rig, "Print"));
    b.rig.h.run();
    b.rig.h.button(0, true);
    b.rig.h.run();
    EXPECT_EQ(b.clicks, 0) << "a press alone is no click";
    b.rig.h.button(0, false);
    b.rig.h.run(3);
    EXPECT_EQ(b.clicks, 1);

    b.rig.h.button(0, true);
    b.rig.h.run();
    b.rig.h.move(390, 290);  // dragged away before the release
    b.rig.h.button(0, false);
    b.rig.h.run();
    EXPECT_EQ(b.clicks, 1);
}

TEST(Button, KeysActivateTheFocusedButtonAndShowItsRing)
{
    one_button b;
    b.rig.h.tap(QEL_KEY_TAB);
    b.rig.h.run();
    EXPECT_EQ(qel_focused_id(b.rig.h.ctx), id_of(b.rig, "Print"));
    EXPECT_TRUE(b.node()->flags & QEL_NODE_DRAW_AFTER) << "keyboard focus draws the ring";
    b.rig.h.tap(QEL_KEY_ENTER);
    b.rig.h.run();
    b.rig.h.tap(QEL_KEY_SPACE);
    b.rig.h.run();
    EXPECT_EQ(b.clicks, 2);

    one_button mouse;
    mouse.rig.h.click(mouse.rig.centre(id_of(mouse.rig, "Print")).x, mouse.rig.centre(id_of(mouse.rig, "Print")).y);
    mouse.rig.h.run();
    EXPECT_EQ(qel_focused_id(mouse.rig.h.ctx), id_of(mouse.rig, "Print"));
    EXPECT_FALSE(mouse.node()->flags & QEL_NODE_DRAW_AFTER) << "a click focuses without a ring";
    mouse.rig.h.tap(QEL_KEY_ENTER);
    mouse.rig.h.run();
    EXPECT_EQ(mouse.clicks, 2) << "Enter still activates a button focused by the pointer";
}

TEST(Button, DisabledAndLoadingButtonsNeverFire)
{
    const struct {
        const char* name;
        uint8_t disabled, loading;
        bool scope;
        float opacity;
        qel_cursor cursor;
    } cases[] = {
        {"disabled", 1, 0, false, 0.45f, QEL_CURSOR_NOT_ALLOWED},
        {"inside a disabled scope", 0, 0, true, 0.45f, QEL_CURSOR_NOT_ALLOWED},
        {"loading", 0, 1, false, 1.0f, QEL_CURSOR_HAND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        one_button b;
        b.opts.disabled = c.disabled;
        b.opts.loading = c.loading;
        b.disabled_scope = c.scope;
        b.rig.h.run();
        b.rig.move_to(id_of(b.rig, "Print"));
        b.rig.h.run();
        EXPECT_EQ(qel_requested_cursor(b.rig.h.ctx), c.cursor);
        EXPECT_FLOAT_EQ(b.node()->opacity, c.opacity);
        b.rig.h.button(0, true);
        b.rig.h.run();
        b.rig.h.button(0, false);
        b.rig.h.run();
        qel_set_focus(b.rig.h.ctx, id_of(b.rig, "Print"), true);
        b.rig.h.tap(QEL_KEY_ENTER);
        b.rig.h.run();
        EXPECT_EQ(b.clicks, 0);
    }
}

TEST(Button, ThePressShrinksAndDarkensUntilTheRelease)
{
    one_button b(false);
    b.rig.move_to(id_of(b.rig, "Print"));
    b.rig.h.run();
    b.rig.h.button(0, true);
    b.rig.h.run(20);
    qel_button_style style;
    qel_button_palette(&style, b.rig.h.ctx, QEL_BUTTON_SECONDARY, false);
    EXPECT_EQ(b.node()->fill, style.press);
    EXPECT_NEAR(b.node()->scale, 0.97f, 0.003f);
    b.rig.h.button(0, false);
    b.rig.h.run(40);
    EXPECT_EQ(b.node()->scale, 1.0f);
    EXPECT_EQ(b.node()->fill, style.hover) << "hovered again after the release";
    EXPECT_FALSE(inspect_redraw_requested(b.rig.h.ctx)) << "all motion settled";
}

TEST(Button, VariantsResolveAsDocumented)
{
    widget_rig rig;
    std::vector<qel_button_style> expected(3);
    qel_button_palette(&expected[0], rig.h.ctx, QEL_BUTTON_SECONDARY, false);
    qel_button_palette(&expected[1], rig.h.ctx, QEL_BUTTON_GHOST, false);
    qel_button_palette(&expected[2], rig.h.ctx, QEL_BUTTON_SECONDARY, false);
    rig.h.ui = [](qel_context* ctx) {
        qel_button(ctx, "Plain", nullptr);
        qel_scope_push<qel_button_group_scope>(ctx);
        qel_button(ctx, "Grouped", nullptr);
        qel_scope_pop<qel_button_group_scope>(ctx);
        qel_button_opts o = {};
        o.variant = 77;
        qel_button(ctx, "Unknown", &o);
        qel_icon_button(ctx, QEL_ICON_ARROW_LEFT, nullptr);
    };
    rig.h.run(2);
    EXPECT_EQ(node_with_id(rig.h.ctx, id_of(rig, "Plain"))->fill, expected[0].background);
    EXPECT_EQ(node_with_id(rig.h.ctx, id_of(rig, "Grouped"))->fill, expected[1].background);
    EXPECT_EQ(node_with_id(rig.h.ctx, id_of(rig, "Unknown"))->fill, expected[2].background);
    qel_rect icon = rig.h.rect(id_of(rig, QEL_ICON_ARROW_LEFT));
    EXPECT_EQ(icon.w, qel_control_height(rig.h.ctx, 0));
    EXPECT_EQ(icon.h, icon.w);
    EXPECT_EQ(node_with_id(rig.h.ctx, id_of(rig, QEL_ICON_ARROW_LEFT))->fill, expected[1].background) << "icon buttons are ghosts";
}

TEST(Button, PalettesFollowAccentAndMode)
{
    widget_rig light, dark(400, 300, QEL_THEME_DARK);
    qel_button_style s;
    qel_button_palette(&s, light.h.ctx, QEL_BUTTON_PRIMARY, false);
    EXPECT_EQ(s.background, qel_theme_color(light.h.ctx, QEL_COLOR_PRIMARY));
    EXPECT_EQ(s.text, qel_theme_color(light.h.ctx, QEL_COLOR_ON_PRIMARY));
    qel_theme_set_accent(light.h.ctx, QEL_ACCENT_GREEN);
    light.h.run();
    qel_button_palette(&s, light.h.ctx, QEL_BUTTON_PRIMARY, false);
    EXPECT_EQ(s.background, qel_theme_color(light.h.ctx, QEL_COLOR_ACCENT));
    EXPECT_EQ(s.text, qel_theme_color(light.h.ctx, QEL_COLOR_ON_ACCENT));
    EXPECT_EQ(qel_button_palette(&s, light.h.ctx, QEL_BUTTON_DANGER, false)->text, 0xFFFFFFFFu);
    EXPECT_EQ(qel_button_palette(&s, dark.h.ctx, QEL_BUTTON_DANGER, false)->text, 0xFF0C0A1Au);
    EXPECT_EQ(qel_button_palette(&s, light.h.ctx, QEL_BUTTON_GHOST, true)->background,
              qel_theme_color(light.h.ctx, QEL_COLOR_ACTIVE));
    EXPECT_EQ(qel_button_palette(&s, light.h.ctx, QEL_BUTTON_OUTLINE, false)->border, qel_border_color(light.h.ctx, 0));
}

TEST(Button, IconButtonIdsComeFromTheTooltipAndTheGlyphs)
{
    widget_rig rig;
    std::vector<uint32_t> clicked;
    rig.h.ui = [&](qel_context* ctx) {
        qel_button_opts o = {};
        o.tooltip = "Zoom";
        qel_row_begin(ctx, nullptr);
        if (qel_icon_button(ctx, QEL_ICON_ARROW_LEFT, &o)) clicked.push_back(1);
        if (qel_icon_button(ctx, QEL_ICON_ARROW_RIGHT, &o)) clicked.push_back(2);
        if (qel_icon_button(ctx, QEL_ICON_CHECK, nullptr)) clicked.push_back(3);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    uint32_t a = qel_hash_str(QEL_ICON_ARROW_LEFT, id_of(rig, "Zoom")), b = qel_hash_str(QEL_ICON_ARROW_RIGHT, id_of(rig, "Zoom"));
    ASSERT_NE(a, b);
    for (uint32_t id : {a, b, id_of(rig, QEL_ICON_CHECK)}) {
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
    }
    EXPECT_EQ(clicked, (std::vector<uint32_t>{1, 2, 3}));
}

// The glyph nodes of an icon cross-fade: text and opacity of each.
static std::vector<std::pair<std::string, float>> glyphs(qel_context* ctx)
{
    std::vector<std::pair<std::string, float>> out;
    for (int32_t i = 0; i < inspect_node_count(ctx); i++) {
        const qel_node& n = *inspect_node(ctx, i);
        if ((n.flags & QEL_NODE_TEXT) && n.font == QEL_FONT_ICON) out.emplace_back(n.text, n.opacity);
    }
    return out;
}

TEST(Button, IconsCrossFadeWhenTheyChangeButNotAtFirst)
{
    widget_rig rig(400, 300, QEL_THEME_LIGHT, false);
    const char* icon = "A";
    rig.h.ui = [&](qel_context* ctx) { qel_crossfade_label(ctx, 5, icon, 16, 0xFF000000); };
    rig.h.run(3);
    ASSERT_EQ(glyphs(rig.h.ctx).size(), 1u) << "no fade on the first appearance";
    icon = "B";
    rig.h.run();
    auto fading = glyphs(rig.h.ctx);
    ASSERT_EQ(fading.size(), 2u);
    EXPECT_EQ(fading[0].first, "A");
    EXPECT_EQ(fading[1].first, "B");
    EXPECT_GT(fading[0].second, fading[1].second) << "the old glyph is still the stronger";
    rig.h.run(30);
    EXPECT_EQ(glyphs(rig.h.ctx).size(), 1u);

    icon = "1234567-x";
    rig.h.run(30);
    icon = "1234567-y";  // differs only past the seventh byte
    rig.h.run();
    EXPECT_EQ(glyphs(rig.h.ctx).size(), 1u);
    icon = "12" QEL_ICON_ARROW_LEFT QEL_ICON_ARROW_RIGHT;  // 8 bytes: only "12" and the first icon are compared
    rig.h.run(30);
    icon = "12" QEL_ICON_ARROW_LEFT QEL_ICON_CHECK;
    rig.h.run();
    EXPECT_EQ(glyphs(rig.h.ctx).size(), 1u) << "kept whole characters within 7 bytes";
}

TEST(Button, SpinnerAndScopedIds)
{
    widget_rig rig;
    std::vector<uint32_t> ids;
    rig.h.ui = [&](qel_context* ctx) {
        ids.clear();
        qel_row_begin(ctx, nullptr);
        ids.push_back(qel_scoped_id(ctx, 7));
        qel_spinner_node(ctx, 20, 0xFF000000);
        ids.push_back(qel_scoped_id(ctx, 7));
        ids.push_back(qel_scoped_id(ctx, 8));
        qel_container_end(ctx);
    };
    rig.h.run();
    std::vector<uint32_t> first = ids;
    rig.h.run();
    EXPECT_EQ(ids, first) << "the same positions give the same ids every frame";
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_NE(ids[1], ids[2]);
    EXPECT_TRUE(inspect_redraw_requested(rig.h.ctx)) << "a spinner keeps frames coming";
}
