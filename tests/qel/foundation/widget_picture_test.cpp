// The foundation widgets as a person sees them, in light and dark: every button variant and state
// (hovered, focused from the keyboard, disabled, loading, selected), the text and icon
// leaves, and the containers (a scrolled list with its fades and bar, a split pane with its grip
// lit, a canvas). Compared with committed pictures drawn by the software renderer.
#include <gtest/gtest.h>

#include <algorithm>

#include "qel/qel.h"
#include "support/widget_rig.h"

static void button_board(qel_context* ctx)
{
    board_begin(ctx);
    row_begin(ctx, 8);
    const char* names[] = {"Secondary", "Print", "Outline", "Ghost", "Delete", "Link"};
    for (uint32_t v = QEL_BUTTON_SECONDARY; v <= QEL_BUTTON_LINK; v++) {
        qel_button_opts o = {};
        o.variant = v;
        qel_button(ctx, names[v - 1], &o);
    }
    qel_container_end(ctx);
    row_begin(ctx, 8);
    qel_button_opts o = {};
    o.size = 1;
    o.leading_icon = QEL_ICON_CHECK;
    qel_button(ctx, "Small", &o);
    o = {};
    o.size = 2;
    o.variant = QEL_BUTTON_PRIMARY;
    o.trailing_icon = QEL_ICON_ARROW_RIGHT;
    qel_button(ctx, "Large", &o);
    qel_icon_button(ctx, QEL_ICON_ARROW_LEFT, nullptr);
    o = {};
    o.loading = 1;
    qel_button(ctx, "Saving", &o);
    o = {};
    o.disabled = 1;
    o.variant = QEL_BUTTON_PRIMARY;
    qel_button(ctx, "Disabled", &o);
    o = {};
    o.variant = QEL_BUTTON_GHOST;
    o.selected = 1;
    qel_button(ctx, "Selected", &o);
    qel_container_end(ctx);
    row_begin(ctx, 8);
    qel_button(ctx, "Hovered", nullptr);
    o = {};
    o.variant = QEL_BUTTON_PRIMARY;
    qel_button(ctx, "Focused", &o);
    o = {};
    o.variant = QEL_BUTTON_OUTLINE;
    o.full_width = 1;
    qel_button(ctx, "Full width", &o);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void text_board(qel_context* ctx)
{
    board_begin(ctx);
    qel_heading(ctx, "Heading one", 1);
    qel_heading(ctx, "Heading three", 3);
    qel_text_muted(ctx, "Muted body text wraps when the line runs out of room across the board.");
    qel_text_small(ctx, "Small muted text");
    row_begin(ctx, 8);
    qel_code_chip(ctx, "2x1");
    qel_word_chips(ctx, "zpl  tspl dymo");
    qel_icon(ctx, QEL_ICON_CHECK, 0, 0);
    qel_icon(ctx, QEL_ICON_ARROW_LEFT, 20, qel_color_token(QEL_COLOR_ACCENT));
    qel_link(ctx, "A link");
    qel_container_end(ctx);
    qel_field_label(ctx, "Field label##price");
    qel_field_hint(ctx, "Help", "Something is wrong");
    qel_text_opts t = {};
    t.align = 1;
    t.tabular = 1;
    t.font = QEL_FONT_MONO;
    qel_text_ex(ctx, "1234.50", &t);
    qel_container_end(ctx);
}

static void paint_disc(qel_context* ctx, qel_rect r, const void*)
{
    qel_draw_circle(ctx, {r.x + r.w / 2, r.y + r.h / 2}, std::min(r.w, r.h) / 2 - 4, qel_color_token(QEL_COLOR_CHART2));
}

static void container_board(qel_context* ctx)
{
    static float ratio = 0.55f;
    board_begin(ctx);
    qel_split_begin(ctx, "split", &ratio, nullptr);
    qel_scroll_area_options a = {};
    a.name = "list";
    a.width = {QEL_SIZE_GROW, 1};
    a.padding = 8;
    a.gap = 4;
    a.fades = 1;
    qel_scroll_area_begin(ctx, &a);
    for (int i = 0; i < 30; i++) qel_textf(ctx, "Row %d of the list", i + 1);
    qel_scroll_area_end(ctx);
    qel_splitter(ctx);
    qel_canvas(ctx, "disc", {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1}, paint_disc, nullptr, 0);
    qel_split_end(ctx);
    qel_container_end(ctx);
}

class WidgetPictures : public themed_pictures {
protected:
    WidgetPictures() : themed_pictures("qel/widgets_") {}
};

TEST_P(WidgetPictures, ButtonsInEveryVariantAndState)
{
    widget_rig rig(560, 170, GetParam());
    rig.h.ui = button_board;
    rig.h.run(2);
    qel_set_focus(rig.h.ctx, qel_id(rig.h.ctx, "Focused"), true);
    rig.move_to(qel_id(rig.h.ctx, "Hovered"));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "buttons"));
}

TEST_P(WidgetPictures, TextAndIcons)
{
    EXPECT_TRUE(board_matches(text_board, 460, 330, "text", 2));
}

TEST_P(WidgetPictures, ScrolledListSplitPaneAndCanvas)
{
    widget_rig rig(420, 220, GetParam());
    rig.h.ui = container_board;
    rig.h.run(2);
    rig.move_to(qel_id(rig.h.ctx, "list"));
    rig.h.wheel(0, -3);
    rig.h.run();
    qel_rect line = rig.h.rect(qel_id(rig.h.ctx, "split") ^ PART_SPLIT_LINE);
    rig.h.move(line.x, line.y + line.h / 2);  // the pointer on the divider lights its grip
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "containers"));
}

INSTANTIATE_TEST_SUITE_P(Themes, WidgetPictures, theme_modes(), theme_name);
