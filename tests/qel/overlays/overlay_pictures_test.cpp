// The overlays as a person sees them, open over a board, in light and dark: a dropdown menu with
// icons, shortcuts, a check mark, a caption, a separator, a disabled and a destructive row, and a
// searchable select with its list. Compared with committed pictures drawn by the software renderer.
#include <gtest/gtest.h>

#include <functional>

#include "qel/qel.h"
#include "support/widget_rig.h"

static void menu_board(qel_context* ctx)
{
    board_begin(ctx);
    if (qel_dropdown_begin(ctx, "Label", nullptr)) {
        qel_menu_label(ctx, "Stock");
        qel_menu_item_options o = {};
        o.icon = QEL_ICON_ARROW_LEFT;
        o.shortcut = "Ctrl+O";
        qel_menu_item(ctx, "Open spreadsheet", &o);
        qel_menu_item_options checked = {};
        checked.checked = 1;
        qel_menu_item(ctx, "Show preview", &checked);
        qel_menu_item_options off = {};
        off.disabled = 1;
        qel_menu_item(ctx, "Print again", &off);
        qel_menu_separator(ctx);
        qel_menu_item_options danger = {};
        danger.destructive = 1;
        danger.icon = QEL_ICON_ARROW_RIGHT;
        qel_menu_item(ctx, "Clear table", &danger);
        qel_dropdown_end(ctx);
    }
    qel_container_end(ctx);
}

static void select_board(qel_context* ctx)
{
    static const char* items[] = {"2x1 inch", "4x6 inch", "62 mm tape", "Address"};
    static int32_t chosen = 1;
    board_begin(ctx);
    qel_select_options o = {};
    o.label = "Stock";
    o.searchable = 1;
    o.width = {QEL_SIZE_FIXED, 240};
    qel_select(ctx, "stock", items, 4, &chosen, &o);
    qel_container_end(ctx);
}

static void dialog_board(qel_context* ctx)
{
    static uint8_t open = 1;
    static char copies[8] = "2";
    board_begin(ctx);
    qel_button(ctx, "Print", nullptr);
    qel_dialog_options o = {};
    o.description = "Labels go to the printer's queue as one job.";
    o.width = 340;
    if (qel_dialog_begin(ctx, "Print labels", &open, &o)) {
        qel_text_input_opts in = {};
        in.label = "Copies";
        qel_input_text(ctx, "copies", copies, sizeof copies, &in);
        qel_dialog_footer_begin(ctx);
        qel_button(ctx, "Cancel", nullptr);
        qel_button_opts primary = {};
        primary.variant = QEL_BUTTON_PRIMARY;
        qel_button(ctx, "Print", &primary);
        qel_dialog_footer_end(ctx);
        qel_dialog_end(ctx);
    }
    qel_container_end(ctx);
}

static void sheet_board(qel_context* ctx)
{
    static uint8_t open = 1;
    board_begin(ctx);
    qel_text_ex(ctx, "Page behind the sheet", nullptr);
    qel_side_sheet_options o = {};
    o.size = 240;
    o.description = "Settings of this printer";
    if (qel_side_sheet_begin(ctx, "Printer", &open, &o)) {
        qel_text_ex(ctx, "Darkness 12", nullptr);
        qel_text_ex(ctx, "Speed 4 inches a second", nullptr);
        qel_side_sheet_end(ctx);
    }
    qel_container_end(ctx);
}

static void tooltip_board(qel_context* ctx)
{
    board_begin(ctx);
    qel_gap(ctx, 40);
    row_begin(ctx, 8);
    qel_button_opts o = {};
    o.tooltip = "Save job";
    o.shortcut = "Ctrl S";
    qel_icon_button(ctx, QEL_ICON_ARROW_LEFT, &o);
    qel_button_opts plain = {};
    plain.tooltip = "Open a spreadsheet with the labels to print";
    qel_icon_button(ctx, QEL_ICON_ARROW_RIGHT, &plain);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void push_toasts(qel_context* ctx)
{
    const char* titles[] = {"Printer found", "Job saved", "Print failed"};
    const char* bodies[] = {nullptr, "tea-labels.zpl, 4 KB", "The queue did not answer."};
    const uint32_t kinds[] = {QEL_TOAST_INFO, QEL_TOAST_SUCCESS, QEL_TOAST_DANGER};
    for (int i = 0; i < 3; i++) {
        qel_toast_options o = {};
        o.body = bodies[i];
        o.kind = kinds[i];
        o.duration = -1;
        if (i == 2) o.action = "Retry";
        qel_toast_push(ctx, titles[i], &o);
    }
}

static void date_board(qel_context* ctx)
{
    static qel_date date = {2024, 2, 14};
    board_begin(ctx);
    qel_date_picker_options o = {};
    o.label = "Best before";
    o.width = {QEL_SIZE_FIXED, 220};
    qel_date_picker(ctx, "best-before", &date, &o);
    qel_container_end(ctx);
}

static void color_board(qel_context* ctx)
{
    static qel_color ink = 0xFFEF6205u;  // #0562EF
    board_begin(ctx);
    qel_color_picker(ctx, "ink", &ink);
    qel_container_end(ctx);
}

static void palette_board(qel_context* ctx)
{
    static const qel_command commands[] = {
        {"Open spreadsheet", QEL_ICON_ARROW_LEFT, "File", "Ctrl O"},
        {"Save job", QEL_ICON_ARROW_RIGHT, "File", "Ctrl S"},
        {"Print labels", QEL_ICON_CHECK, "Printer", "Ctrl P"},
    };
    static uint8_t open = 1;
    board_begin(ctx);
    qel_text_ex(ctx, "Page behind the palette", nullptr);
    qel_command_palette(ctx, &open, commands, 3);
    qel_container_end(ctx);
}

// A board built every frame, and what is done to it before the picture (null: nothing), in a
// window of the size given (0: 400 x 300).
struct scene {
    const char* name;
    void (*board)(qel_context*);
    std::function<void(widget_rig&)> prepare;
    float width = 0, height = 0;
};

static void expect_scene(const scene& s)
{
    for (uint32_t mode : {QEL_THEME_LIGHT, QEL_THEME_DARK}) {
        widget_rig rig(s.width > 0 ? s.width : 400, s.height > 0 ? s.height : 300, mode);
        rig.h.ui = s.board;
        rig.h.run(2);
        if (s.prepare) s.prepare(rig);
        rig.h.run(3);
        EXPECT_TRUE(rig_matches(rig, "qel/overlay_", s.name, mode));
    }
}

// Opens the popup and rests the pointer on one of its rows (null: none).
static std::function<void(widget_rig&)> open_popup(std::function<uint32_t(qel_context*)> popup, const char* row)
{
    return [popup, row](widget_rig& rig) {
        uint32_t id = popup(rig.h.ctx);
        qel_popup_set_open(rig.h.ctx, id, true);
        rig.h.run(3);
        if (!row) return;
        qel_push_id_int(rig.h.ctx, (int32_t)id);
        uint32_t r = qel_id(rig.h.ctx, row);
        qel_pop_id(rig.h.ctx);
        rig.move_to(r);
    };
}

TEST(OverlayPictures, MenuAndSelect)
{
    expect_scene({"menu", menu_board,
                  open_popup([](qel_context* c) { return qel_id(c, "Label") ^ PART_DROPDOWN; }, "Open spreadsheet")});
    expect_scene({"select", select_board, open_popup([](qel_context* c) { return qel_id(c, "stock") ^ PART_SELECT; }, nullptr)});
}

TEST(OverlayPictures, TooltipDialogSheetAndToasts)
{
    expect_scene({"tooltip", tooltip_board, [](widget_rig& rig) {
                      rig.move_to(qel_hash_str(QEL_ICON_ARROW_LEFT, qel_id(rig.h.ctx, "Save job")));
                      rig.h.run(40);
                  }});
    expect_scene({"dialog", dialog_board, nullptr});
    expect_scene({"sheet", sheet_board, nullptr});
    expect_scene({"toasts", [](qel_context*) {}, [](widget_rig& rig) { push_toasts(rig.h.ctx); }});
    expect_scene({"toasts_open", [](qel_context*) {}, [](widget_rig& rig) {
                      push_toasts(rig.h.ctx);
                      rig.h.run(3);
                      rig.h.move(380, 280);
                      rig.h.run(3);
                  }});
}

TEST(OverlayPictures, DateColourAndCommandPalette)
{
    expect_scene({"date", date_board,
                  open_popup([](qel_context* c) { return qel_id(c, "best-before") ^ PART_DATE_POPUP; }, nullptr), 400, 420});
    expect_scene({"color", color_board, open_popup([](qel_context* c) { return qel_id(c, "ink") ^ PART_COLOR_POPUP; }, nullptr)});
    expect_scene({"palette", palette_board, nullptr, 480, 420});
}
