// The basic widgets as a person sees them, in light and dark: segmented controls, tab strips and
// chips in their states; badges of every semantic kind, tinted and solid, and avatars; cards,
// progress bars, skeletons and a spinner; alerts of every kind, an empty state, meters and an
// image; button groups, copy buttons and a hold button half held. Compared with committed
// pictures drawn by the software renderer.
#include <gtest/gtest.h>

#include <vector>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static const char* const KIND_NAMES[] = {"Neutral", "Info", "Success", "Warning", "Danger",
                                         "Violet",  "Teal", "Pink",    "Accent"};

// The boards' image: a 16 x 16 texture of four coloured quarters, made for each rig.
static uint64_t board_texture;

static uint64_t quarters_texture(qel_context* ctx)
{
    std::vector<uint8_t> rgba(16 * 16 * 4);
    const uint8_t colors[4][3] = {{220, 60, 50}, {60, 150, 220}, {240, 190, 40}, {70, 170, 90}};
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            const uint8_t* c = colors[(y / 8) * 2 + x / 8];
            uint8_t* p = &rgba[(size_t)(y * 16 + x) * 4];
            p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
        }
    return qel_texture_create(ctx, 16, 16, rgba.data());
}

static void choice_board(qel_context* ctx)
{
    static int32_t zoom = 1, view = 0, source = 1, tab = 2, pill = 0;
    static bool barcode = true, price = false, hovered = false, disabled = true;
    static const char* zooms[] = {"Fit", "1:1", "2x", "3x"};
    static const char* views[] = {"List", "Grid"};
    static const char* view_icons[] = {QEL_ICON_ARROW_LEFT, QEL_ICON_ARROW_RIGHT};
    static const char* sources[] = {"From a file", "One label"};
    static const char* tabs[] = {"General", "Printing", "Fonts", "Advanced"};
    static const char* pills[] = {"Day", "Week", "Month"};
    board_begin(ctx);
    row_begin(ctx, 10);
    qel_segmented_opts small = {};
    small.size = 1;
    qel_segmented(ctx, "zoom", zooms, 4, &zoom, &small);
    qel_segmented_opts icons = {};
    icons.icons = view_icons;
    qel_segmented(ctx, "view", views, 2, &view, &icons);
    qel_container_end(ctx);
    qel_segmented_opts wide = {};
    wide.size = 1;
    wide.full_width = 1;
    qel_segmented(ctx, "source", sources, 2, &source, &wide);
    qel_tab_strip(ctx, "tabs", tabs, 4, &tab, nullptr);
    qel_tab_strip_opts pill_opts = {};
    pill_opts.variant = QEL_TABS_PILLS;
    qel_tab_strip(ctx, "pills", pills, 3, &pill, &pill_opts);
    row_begin(ctx, 8);
    qel_toggle_chip(ctx, "Barcode", &barcode, nullptr);
    qel_chip_opts with_icon = {};
    with_icon.icon = QEL_ICON_ARROW_LEFT;
    qel_toggle_chip(ctx, "Price", &price, &with_icon);
    qel_toggle_chip(ctx, "Hovered", &hovered, nullptr);
    qel_chip_opts off = {};
    off.disabled = 1;
    qel_toggle_chip(ctx, "Disabled", &disabled, &off);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void badge_row(qel_context* ctx, uint8_t solid)
{
    qel_style s = {};
    s.gap = 6;
    s.wrap = 1;
    qel_row_begin(ctx, &s);
    for (uint32_t kind = 0; kind <= QEL_SEMANTIC_ACCENT; kind++) {
        qel_badge_opts o = {};
        o.kind = kind;
        o.solid = solid;
        qel_badge(ctx, KIND_NAMES[kind], &o);
    }
    qel_container_end(ctx);
}

static void badge_board(qel_context* ctx)
{
    board_begin(ctx);
    badge_row(ctx, 0);
    badge_row(ctx, 1);
    row_begin(ctx, 6);
    const uint32_t sizes[3] = {1, 0, 2};
    for (uint32_t size : sizes) {
        qel_badge_opts o = {};
        o.kind = QEL_SEMANTIC_SUCCESS;
        o.size = size;
        o.dot = 1;
        qel_badge(ctx, "fitted 87%", &o);
    }
    qel_badge_opts icon = {};
    icon.kind = QEL_SEMANTIC_ACCENT;
    icon.icon = QEL_ICON_CHECK;
    qel_badge(ctx, "barcode", &icon);
    qel_container_end(ctx);
    row_begin(ctx, 12);
    const char* presences[] = {"online", "busy", "away", "offline"};
    const char* names[] = {"Ada Lovelace", "Grace Hopper", "\xC3\x89mile Zola", "linus"};
    const float sizes_px[] = {32, 40, 28, 24};
    for (int i = 0; i < 4; i++) {
        qel_avatar_opts o = {};
        o.size = sizes_px[i];
        o.presence = presences[i];
        o.rounded_square = i == 1;
        qel_avatar(ctx, names[i], &o);
    }
    qel_avatar_opts image = {};
    image.texture = board_texture;
    qel_avatar(ctx, "Picture", &image);
    const char* team[] = {"Ann Lee", "Bo Chen", "Cy Diaz", "Di Eng", "Ed Fox", "Flo Gray"};
    qel_avatar_group(ctx, team, 6, 4, 30);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void card_board(qel_context* ctx)
{
    board_begin(ctx);
    row_begin(ctx, 12);
    qel_card_opts plain = {};
    plain.padding = 14;
    plain.gap = 6;
    qel_card_begin(ctx, &plain);
    qel_text_medium(ctx, "Plain card");
    qel_text_small(ctx, "Surface and border");
    qel_card_end(ctx);
    qel_card_opts hover = plain;
    hover.clickable = 1;
    hover.id = "hover-card";
    qel_card_begin(ctx, &hover);
    qel_text_medium(ctx, "Hovered");
    qel_text_small(ctx, "Lifted, with a shadow");
    qel_card_end(ctx);
    qel_card_opts flat = plain;
    flat.flat = 1;
    qel_card_begin(ctx, &flat);
    qel_text_medium(ctx, "Flat card");
    qel_card_end(ctx);
    qel_card_opts selected = plain;
    selected.selected = 1;
    qel_card_begin(ctx, &selected);
    qel_text_medium(ctx, "Selected");
    qel_card_end(ctx);
    qel_container_end(ctx);

    qel_progress_opts labelled = {};
    labelled.label = "Printing labels";
    labelled.show_value = 1;
    qel_progress_bar(ctx, 0.42f, &labelled);
    qel_progress_opts success = {};
    success.kind = QEL_SEMANTIC_SUCCESS;
    success.height = 10;
    qel_progress_bar(ctx, 0.8f, &success);
    qel_progress_opts busy = {};
    busy.indeterminate = 1;
    busy.label = "Waiting for the printer";
    qel_progress_bar(ctx, 0, &busy);
    row_begin(ctx, 12);
    qel_activity_spinner(ctx, 0);
    qel_style lines = {};
    lines.gap = 6;
    lines.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &lines);
    qel_skeleton(ctx, {}, 0);
    qel_skeleton(ctx, {QEL_SIZE_PERCENT, 60}, 0);
    qel_container_end(ctx);
    qel_skeleton(ctx, {QEL_SIZE_FIXED, 40}, 40);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void block_board(qel_context* ctx)
{
    board_begin(ctx);
    wide_row_begin(ctx, 12);
    qel_style left = {};
    left.gap = 8;
    left.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &left);
    for (uint32_t kind = 0; kind <= QEL_SEMANTIC_DANGER; kind++) {
        qel_alert_opts o = {};
        o.kind = kind;
        o.text = kind == QEL_SEMANTIC_DANGER ? "Row 3 asks for 600 labels; at most 500 of one label." : nullptr;
        o.dismissible = kind == QEL_SEMANTIC_SUCCESS;
        qel_alert(ctx, kind == QEL_SEMANTIC_DANGER ? "This cannot be printed yet" : KIND_NAMES[kind], &o);
    }
    qel_container_end(ctx);
    qel_style right = left;
    qel_column_begin(ctx, &right);
    qel_empty_state_opts empty = {};
    empty.icon = QEL_ICON_CHECK;
    empty.text = "Open a spreadsheet to see its rows here.";
    empty.action = "Open file";
    qel_empty_state(ctx, "No rows yet", &empty);
    qel_meter(ctx, "Spool", 80, 100, "MB");
    qel_meter(ctx, "Labels", 95, 100, nullptr);
    row_begin(ctx, 8);
    qel_image(ctx, board_texture, nullptr);
    qel_image_opts round = {};
    round.radius = 12;
    round.width = {QEL_SIZE_FIXED, 96};
    round.tint = 0xFFC0C0FFu;
    qel_image(ctx, board_texture, &round);
    qel_container_end(ctx);
    qel_container_end(ctx);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void action_board(qel_context* ctx)
{
    board_begin(ctx);
    row_begin(ctx, 12);
    qel_button_group_begin(ctx);
    qel_button(ctx, "Left", nullptr);
    qel_button(ctx, "Center", nullptr);
    qel_button(ctx, "Right", nullptr);
    qel_button_group_end(ctx);
    qel_button_group_begin(ctx);
    qel_icon_button(ctx, QEL_ICON_ARROW_LEFT, nullptr);
    qel_icon_button(ctx, QEL_ICON_ARROW_RIGHT, nullptr);
    qel_button_group_end(ctx);
    qel_button_group_begin(ctx);
    qel_button(ctx, "Alone", nullptr);
    qel_button_group_end(ctx);
    qel_container_end(ctx);
    row_begin(ctx, 12);
    qel_copy_button(ctx, "copy-id", "4006381333931");
    qel_copy_button(ctx, "copied", "text");
    qel_hold_button(ctx, "Delete all", nullptr);
    qel_hold_opts primary = {};
    primary.variant = QEL_BUTTON_PRIMARY;
    primary.leading_icon = QEL_ICON_CHECK;
    qel_hold_button(ctx, "Hold to print", &primary);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

class BasicPictures : public themed_pictures {
protected:
    BasicPictures() : themed_pictures("qel/basic_") {}
};

TEST_P(BasicPictures, ChipsSegmentedControlsAndTabStrips)
{
    widget_rig rig(520, 250, GetParam());
    rig.h.ui = choice_board;
    rig.h.run(2);
    qel_set_focus(rig.h.ctx, qel_hash_bytes("\0\0\0\0", 4, qel_id(rig.h.ctx, "view")), true);
    rig.move_to(qel_id(rig.h.ctx, "Hovered") ^ PART_CHIP);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "choices"));
}

TEST_P(BasicPictures, BadgesAndAvatars)
{
    widget_rig rig(560, 180, GetParam());
    board_texture = quarters_texture(rig.h.ctx);
    rig.h.ui = badge_board;
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "badges"));
}

TEST_P(BasicPictures, CardsProgressAndSkeletons)
{
    widget_rig rig(560, 260, GetParam());
    rig.h.ui = card_board;
    rig.h.run(2);
    rig.move_to(qel_id(rig.h.ctx, "hover-card"));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "cards"));
}

TEST_P(BasicPictures, AlertsEmptyStateMetersAndImages)
{
    widget_rig rig(640, 420, GetParam());
    board_texture = quarters_texture(rig.h.ctx);
    rig.h.ui = block_board;
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "blocks"));
}

TEST_P(BasicPictures, ButtonGroupsCopyAndHoldButtons)
{
    widget_rig rig(520, 110, GetParam());
    rig.h.ui = action_board;
    rig.h.run(2);
    rig.click_on(qel_hash_str(QEL_ICON_COPY, scoped_id(rig.h.ctx, "copied", "Copy")));
    rig.move_to(qel_id(rig.h.ctx, "Delete all"));
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run(36);  // 0.6 s of the 1.2 s hold
    EXPECT_TRUE(shows(rig, "actions"));
    rig.h.button(0, false);
    rig.h.run();
}

INSTANTIATE_TEST_SUITE_P(Themes, BasicPictures, theme_modes(), theme_name);
