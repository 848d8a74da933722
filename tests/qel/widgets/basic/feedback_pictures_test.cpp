// Timelines, progress rings, show-more text, expandable cards and the other small feedback
// widgets as a person sees them, in light and dark, compared with committed pictures drawn by the
// software renderer.
#include <gtest/gtest.h>


#include "qel/qel.h"
#include "support/widget_rig.h"

static void timeline_board(qel_context* ctx)
{
    board_begin(ctx);
    wide_row_begin(ctx, 16);
    qel_style half = {};
    half.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &half);
    qel_timeline_opts o = {};
    o.time = "09:10";
    o.description = "Forty price labels for the tea shelf.";
    qel_timeline_entry(ctx, "Printed", &o);
    o.kind = 2;
    o.icon = QEL_ICON_ARROW_LEFT;
    o.time = "09:40";
    o.description = nullptr;
    qel_timeline_entry(ctx, "Checked", &o);
    o.kind = 4;
    o.last = 1;
    o.time = nullptr;
    qel_timeline_entry(ctx, "Paper low", &o);
    qel_container_end(ctx);
    row_begin(ctx, 10);
    qel_progress_ring(ctx, nullptr, 0, 56);
    qel_progress_ring(ctx, "Labels", 0.62f, 0);
    qel_progress_ring(ctx, "##full", 1.7f, 40);
    qel_container_end(ctx);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void expandables_board(qel_context* ctx)
{
    static uint8_t open = 1, shut = 0;
    board_begin(ctx);
    qel_show_more_text(ctx, "about",
                       "Labels print from the first sheet of the spreadsheet. Each row gives one label; the "
                       "columns name the fields. Empty rows are skipped and a row marked hidden prints nothing. Prices are rounded to the shop's currency.",
                       nullptr);
    qel_expandable_card_options o = {};
    o.subtitle = "Darkness, speed and gap";
    o.icon = QEL_ICON_ARROW_LEFT;
    o.badge = "Ready";
    o.badge_kind = 2;
    if (qel_expandable_card(ctx, "Printer", &open, &o)) {
        qel_text_muted(ctx, "Darkness 12, speed 4 inches a second.");
        qel_expandable_card_end(ctx);
    }
    if (qel_expandable_card(ctx, "Paper", &shut, nullptr)) qel_expandable_card_end(ctx);
    qel_container_end(ctx);
}

static void notices_board(qel_context* ctx)
{
    static uint8_t shown = 1;
    board_begin(ctx);
    qel_banner_options banner = {};
    banner.kind = 2;
    banner.icon = QEL_ICON_ARROW_LEFT;
    banner.action = "Update";
    banner.dismissible = 1;
    qel_dismissible_banner(ctx, "A new printer driver is ready", &shown, &banner);
    qel_countdown(ctx, "sale", 90061.5, nullptr);
    qel_countdown_options compact = {};
    compact.compact = 1;
    compact.no_days = 1;
    qel_countdown(ctx, "restock", 3725, &compact);
    qel_container_end(ctx);
}

static void checklist_board(qel_context* ctx)
{
    static qel_checklist_item items[3] = {{"Add a printer", "Pick the printer labels go to.", "Add printer", 1},
                                          {"Open a spreadsheet", "Labels come from its rows.", "Open", 0},
                                          {"Print a test label", nullptr, "Print", 0}};
    board_begin(ctx);
    qel_onboarding_checklist(ctx, "start", items, 3, nullptr);
    qel_container_end(ctx);
}

static void confirm_board(qel_context* ctx)
{
    board_begin(ctx);
    if (qel_button(ctx, "Delete template", nullptr)) qel_popup_open(ctx, "really");
    qel_confirm_options o = {"Delete the template?", "Labels printed from it stay as they are.", "Delete", nullptr, 1,
                             0};
    qel_confirm_buttons(ctx, "really", &o);
    qel_container_end(ctx);
}

class FeedbackPictures : public themed_pictures {
protected:
    FeedbackPictures() : themed_pictures("qel/basic_") {}
};

TEST_P(FeedbackPictures, TimelineEntriesAndProgressRings)
{
    EXPECT_TRUE(board_matches(timeline_board, 460, 260, "timeline", 3));
}

TEST_P(FeedbackPictures, ShowMoreTextAndExpandableCards)
{
    EXPECT_TRUE(board_matches(expandables_board, 460, 330, "expandables", 3));
}

TEST_P(FeedbackPictures, ABannerAndCountdowns)
{
    EXPECT_TRUE(board_matches(notices_board, 460, 260, "notices", 3));
}

TEST_P(FeedbackPictures, AnOnboardingChecklist)
{
    EXPECT_TRUE(board_matches(checklist_board, 420, 300, "checklist", 3));
}

TEST_P(FeedbackPictures, AConfirmPopover)
{
    widget_rig rig(360, 240, GetParam());
    rig.h.ui = confirm_board;
    rig.h.run(2);
    const qel_node* guard = node_with_text(rig.h.ctx, "Delete template");
    rig.h.click(guard->rect.x + 5, guard->rect.y + 5);
    rig.h.move(350, 230);
    rig.h.run(30);
    EXPECT_TRUE(shows(rig, "confirm"));
}

INSTANTIATE_TEST_SUITE_P(Themes, FeedbackPictures, theme_modes(), theme_name);
