// The overlays as a person sees them, open over a board, in light and dark: a dropdown menu with
// icons, shortcuts, a check mark, a caption, a separator, a disabled and a destructive row, and a
// searchable select with its list. Compared with committed pictures drawn by the software renderer.
#include <gtest/gtest.h>

#include <functional>

#include "qel/qel.h"
#include "qel/widget_rig.h"

static const uint32_t DROPDOWN_KEY = 0x3E40u, SELECT_KEY = 0x5E1Eu;

static void menu_board(qel_context* ctx)
{
    board_begin(ctx);
    if (qel_dropdown_begin(ctx, "Label", nullptr)) {
        qel_menu_label(ctx, "Stock");
        qel_menu_item_options o = {};
        o.icon = ICON_A;
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
        danger.icon = ICON_B;
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

struct scene {
    const char* name;
    void (*board)(qel_context*);
    std::function<uint32_t(qel_context*)> popup;
    const char* hover;  // a row to rest the pointer on, inside the popup; null none
};

static void expect_scene(const scene& s)
{
    for (uint32_t mode : {QEL_THEME_LIGHT, QEL_THEME_DARK}) {
        widget_rig rig(400, 300, mode);
        rig.h.ui = s.board;
        rig.h.run(2);
        uint32_t popup = s.popup(rig.h.ctx);
        qel_popup_set_open(rig.h.ctx, popup, true);
        rig.h.run(3);
        if (s.hover) {
            qel_push_id_int(rig.h.ctx, (int32_t)popup);
            uint32_t row = qel_id(rig.h.ctx, s.hover);
            qel_pop_id(rig.h.ctx);
            rig.move_to(row);
            rig.h.run(3);
        }
        EXPECT_TRUE(picture_matches(rig.shot(), themed_picture("qel/overlay_", s.name, mode), PICTURE_TOLERANCE));
    }
}

TEST(OverlayPictures, MenuAndSelect)
{
    expect_scene({"menu", menu_board, [](qel_context* c) { return qel_id(c, "Label") ^ DROPDOWN_KEY; },
                  "Open spreadsheet"});
    expect_scene({"select", select_board, [](qel_context* c) { return qel_id(c, "stock") ^ SELECT_KEY; }, nullptr});
}
