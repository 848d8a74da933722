// The everyday input widgets as a person sees them, in light and dark: checkboxes, switches and
// radios in their states; sliders, a range slider and a rating; shortcut recorders empty, holding
// a shortcut and armed; drag numbers; confirm and async buttons, editable titles and a currency
// field; toggle cells, the theme controls and counter chips; swipe rows open on either side.
// Compared with committed pictures drawn by the software renderer.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

static void check_board(qel_context* ctx)
{
    static bool off = false, on = true, mixed = true, locked = true, follow = false, wrap = true;
    static int32_t zoom = 1;
    static const char* zooms[] = {"Fit to window", "Actual size", "Twice the size"};
    board_begin(ctx);
    qel_style columns = {};
    columns.gap = 28;
    columns.align = QEL_ALIGN_START;
    qel_row_begin(ctx, &columns);
    qel_style column = {};
    column.gap = 10;
    qel_column_begin(ctx, &column);
    qel_checkbox(ctx, "Print the barcode", &off, nullptr);
    qel_checkbox(ctx, "Print the price", &on, nullptr);
    qel_check_opts partly = {};
    partly.indeterminate = 1;
    qel_checkbox(ctx, "Some rows", &mixed, &partly);
    qel_check_opts disabled = {};
    disabled.disabled = 1;
    disabled.description = "Needs a printer that cuts";
    qel_checkbox(ctx, "Cut after each label", &locked, &disabled);
    qel_container_end(ctx);
    qel_column_begin(ctx, &column);
    qel_toggle_switch(ctx, "Follow the system", &follow, nullptr);
    qel_toggle_switch(ctx, "Wrap long names", &wrap, nullptr);
    qel_radio_group(ctx, "zoom", zooms, 3, &zoom);
    qel_container_end(ctx);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void slider_board(qel_context* ctx)
{
    static float copies = 40, darkness = 15, low = 20, high = 65;
    static int32_t stars = 3;
    board_begin(ctx);
    qel_slider_opts shown = {};
    shown.show_value = 1;
    qel_slider(ctx, "Copies", &copies, 0, 100, &shown);
    qel_slider_opts stepped = {};
    stepped.step = 5;
    stepped.show_value = 1;
    stepped.format = "%.0f %%";
    qel_slider(ctx, "Darkness", &darkness, 0, 30, &stepped);
    qel_range_slider(ctx, "Price range", &low, &high, 0, 100);
    qel_rating(ctx, "Quality", &stars, 5);
    qel_container_end(ctx);
}

static void shortcut_board(qel_context* ctx)
{
    static qel_shortcut none = 0, print = qel_shortcut_make(QEL_MOD_CTRL | QEL_MOD_SHIFT, QEL_KEY_A + 15), armed = 0;
    board_begin(ctx);
    qel_shortcut_opts wide = {};
    wide.width = {QEL_SIZE_FIXED, 240};
    qel_shortcut_recorder(ctx, "none", &none, &wide);
    qel_shortcut_recorder(ctx, "print", &print, &wide);
    qel_shortcut_recorder(ctx, "armed", &armed, &wide);
    qel_container_end(ctx);
}

static void drag_number_board(qel_context* ctx)
{
    static float width = 62, gap = 3, angle = 90, low = -20;
    board_begin(ctx);
    row_begin(ctx, 10);
    qel_drag_number_opts mm = {};
    mm.suffix = "mm";
    qel_drag_number(ctx, "Width", &width, 0, 200, &mm);
    qel_drag_number_opts fine = {};
    fine.step = 0.5f;
    fine.format = "%.1f";
    qel_drag_number(ctx, "Gap", &gap, 0, 10, &fine);
    qel_container_end(ctx);
    row_begin(ctx, 10);
    qel_drag_number_opts icon = {};
    icon.icon = QEL_ICON_ARROW_LEFT;
    icon.suffix = "\xC2\xB0";
    qel_drag_number(ctx, "Angle", &angle, 0, 360, &icon);
    qel_drag_number(ctx, "Below", &low, 0, 100, nullptr);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void button_board(qel_context* ctx)
{
    static char title[64] = "Spring tea labels", empty[64] = "";
    static double price = 1234.5;
    board_begin(ctx);
    row_begin(ctx, 10);
    qel_confirm_button(ctx, "Delete all", nullptr);
    qel_confirm_opts armed = {};
    armed.icon = QEL_ICON_CHECK;
    qel_confirm_button(ctx, "Clear rows", &armed);
    qel_container_end(ctx);
    row_begin(ctx, 10);
    qel_async_button(ctx, "Save", QEL_ASYNC_IDLE, nullptr);
    qel_async_button(ctx, "Print", QEL_ASYNC_BUSY, nullptr);
    qel_async_button(ctx, "Send", QEL_ASYNC_DONE, nullptr);
    qel_async_opts outline = {};
    outline.variant = QEL_BUTTON_OUTLINE;
    qel_async_button(ctx, "Upload", QEL_ASYNC_FAILED, &outline);
    qel_container_end(ctx);
    qel_title_opts big = {};
    big.size = 20;
    qel_editable_title(ctx, "title", title, sizeof title, &big);
    qel_editable_title(ctx, "empty", empty, sizeof empty, nullptr);
    qel_currency_opts money = {};
    money.label = "Price";
    money.width = {QEL_SIZE_FIXED, 200};
    qel_currency_input(ctx, "price", &price, &money);
    qel_container_end(ctx);
}

static void cell_board(qel_context* ctx)
{
    static uint8_t levels[5] = {1, 1, 0, 1, 0}, follow[1] = {1}, view[3] = {0, 1, 0};
    static const char* level_names[] = {"Debug", "Info", "Warn", "Error", "Fatal"};
    static const char* view_names[] = {"List", "Grid", "Rows"};
    static const char* view_icons[] = {QEL_ICON_ARROW_LEFT, QEL_ICON_ARROW_RIGHT, QEL_ICON_CHECK};
    static const char* follow_text[] = {"Follow"};
    static uint32_t theme;
    static qel_counter_item reactions[3] = {{QEL_ICON_ARROW_LEFT, 3, 1}, {QEL_ICON_ARROW_RIGHT, 0, 0}, {QEL_ICON_CHECK, 12, 0}};
    board_begin(ctx);
    row_begin(ctx, 10);
    qel_code_input(ctx, "levels", level_names, 5, levels, nullptr);
    qel_code_input(ctx, "follow", follow_text, 1, follow, nullptr);
    qel_container_end(ctx);
    row_begin(ctx, 10);
    qel_toggle_cells_opts icons = {};
    icons.icons = view_icons;
    icons.icon_only = 1;
    icons.single = 1;
    qel_code_input(ctx, "view", view_names, 3, view, &icons);
    qel_toggle_cells_opts small = {};
    small.size = 1;
    qel_code_input(ctx, "small", level_names, 3, levels, &small);
    theme = qel_theme_get_mode(ctx);
    qel_theme_switcher(ctx, &theme, true);
    qel_theme_toggle(ctx);
    qel_container_end(ctx);
    qel_counter_chips(ctx, "reactions", reactions, 3);
    qel_container_end(ctx);
}

static void swipe_board(qel_context* ctx)
{
    static const qel_swipe_action leading[] = {{QEL_ICON_ARROW_LEFT, "Read", QEL_SEMANTIC_INFO}, {QEL_ICON_ARROW_RIGHT, "Pin", 0}};
    static const qel_swipe_action trailing[] = {{QEL_ICON_CHECK, "Delete", QEL_SEMANTIC_DANGER}};
    static const char* const rows[] = {"Invoice for March", "Labels for the new teas", "Printer is out of paper"};
    board_begin(ctx);
    for (const char* row : rows) {
        qel_swipe_row(ctx, row, leading, 2, trailing, 1);
        qel_text_ex(ctx, row, nullptr);
        qel_swipe_row_end(ctx);
    }
    qel_container_end(ctx);
}

class InputPictures : public themed_pictures {
protected:
    InputPictures() : themed_pictures("qel/basic_") {}
};

TEST_P(InputPictures, CheckboxesSwitchesAndRadios)
{
    widget_rig rig(520, 170, GetParam());
    rig.h.ui = check_board;
    rig.h.run(2);
    rig.move_to(qel_id(rig.h.ctx, "Follow the system") ^ PART_SWITCH);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "checks"));
}

TEST_P(InputPictures, SlidersRangeAndRating)
{
    widget_rig rig(420, 220, GetParam());
    rig.h.ui = slider_board;
    rig.h.run(2);
    rig.h.tap(QEL_KEY_TAB);
    rig.h.run();
    int32_t fourth = 3;
    rig.move_to(qel_hash_bytes(&fourth, 4, qel_id(rig.h.ctx, "Quality")));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "sliders"));
}

TEST_P(InputPictures, ShortcutRecorders)
{
    widget_rig rig(280, 160, GetParam());
    rig.h.ui = shortcut_board;
    rig.h.run(2);
    rig.click_on(qel_id(rig.h.ctx, "armed"));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "shortcuts"));
}

TEST_P(InputPictures, DragNumbers)
{
    widget_rig rig(380, 110, GetParam());
    rig.h.ui = drag_number_board;
    rig.h.run(2);
    rig.h.tap(QEL_KEY_TAB);
    rig.h.run();
    rig.move_to(qel_id(rig.h.ctx, "Gap"));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "drag_numbers"));
}

TEST_P(InputPictures, ConfirmAsyncTitleAndCurrency)
{
    widget_rig rig(460, 260, GetParam());
    rig.h.ui = button_board;
    rig.h.run(2);
    rig.click_on(qel_id(rig.h.ctx, "Clear rows"));
    rig.h.step = 0.5f;
    rig.h.run(3);  // half the countdown gone
    rig.h.step = 1.0f / 60;
    rig.move_to(qel_id(rig.h.ctx, "title"));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "crossfade"));
}

TEST_P(InputPictures, ToggleCellsThemeControlsAndCounterChips)
{
    widget_rig rig(560, 170, GetParam());
    rig.h.ui = cell_board;
    rig.h.run(2);
    int32_t grid = 1;
    rig.move_to(qel_hash_bytes(&grid, 4, qel_id(rig.h.ctx, "levels")));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "cells"));
}

TEST_P(InputPictures, SwipeRows)
{
    widget_rig rig(420, 190, GetParam());
    rig.h.ui = swipe_board;
    rig.h.run(2);
    qel_vec2 c = rig.centre(qel_id(rig.h.ctx, "Printer is out of paper"));
    rig.h.move(c.x, c.y);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    rig.h.move(c.x - 50, c.y);
    rig.h.run();
    rig.h.button(0, false);
    rig.h.run(2);
    rig.move_to(qel_id(rig.h.ctx, "Invoice for March"));  // the wheel opens it without a press
    rig.h.wheel(4, 0);
    rig.h.run(12);
    EXPECT_TRUE(shows(rig, "swipe"));
}

INSTANTIATE_TEST_SUITE_P(Themes, InputPictures, theme_modes(), theme_name);
