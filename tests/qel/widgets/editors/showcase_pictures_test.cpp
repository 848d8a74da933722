// The animated text and showcase widgets as a person sees them, in light and dark, at a fixed
// moment of their motion: the text effects mid-animation.
#include <gtest/gtest.h>

#include "core/core.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

class ShowcasePictures : public themed_pictures {
protected:
    ShowcasePictures() : themed_pictures("qel/showcase_") {}

    // A board that moves, shown after frames of 1/60 s.
    ::testing::AssertionResult moving_board_matches(void (*board)(qel_context*), float width, float height,
                                                    const char* scene, int frames) const
    {
        widget_rig rig(width, height, GetParam(), false);
        rig.h.ui = board;
        rig.h.run(frames);
        return shows(rig, scene);
    }
};

static void text_board(qel_context* ctx)
{
    board_begin(ctx);
    qel_text_fx_options big = {};
    big.size = 22;
    qel_shimmer_text(ctx, "Reading the spreadsheet", &big);
    qel_text_fx_options caret = {};
    caret.caret = 1;
    qel_stream_text(ctx, "stream", "Labels stream in one character after another as they arrive.", &caret);
    qel_word_reveal(ctx, "reveal", "Every word fades in and rises into its place", nullptr);
    row_begin(ctx, 6);
    qel_textf(ctx, "Print");
    static const char* const words[3] = {"labels", "prices", "barcodes"};
    qel_rotating_words(ctx, "words", words, 3, 0.5f, nullptr);
    qel_container_end(ctx);
    qel_rolling_number_text(ctx, "total", ctx->clock.time < 0.3 ? "$1,299.00" : "$1,300.00", &big);
    qel_gradient_text_options g = {};
    g.size = 22;
    g.color = qel_color_token(QEL_COLOR_CHART1);
    g.color2 = qel_color_token(QEL_COLOR_CHART4);
    qel_gradient_text(ctx, "A gradient across the words", &g);
    qel_container_end(ctx);
}

TEST_P(ShowcasePictures, TextEffects)
{
    EXPECT_TRUE(moving_board_matches(text_board, 560, 300, "text", 33));
}

static void loader_glow_board(qel_context* ctx)
{
    board_begin(ctx);
    row_begin(ctx, 24);
    for (uint32_t style = 0; style < 5; style++) {
        qel_loader_options o = {};
        o.style = style;
        o.size = 40;
        if (style == 3) o.color = qel_color_token(QEL_COLOR_CHART1);
        qel_loader(ctx, &o);
    }
    qel_container_end(ctx);
    row_begin(ctx, 16);
    qel_glow_card_options g = {};
    g.width = {QEL_SIZE_FIXED, 240};
    g.height = {QEL_SIZE_FIXED, 130};
    qel_glow_card_begin(ctx, "hovered", &g);
    qel_textf(ctx, "Under the pointer");
    qel_glow_card_end(ctx);
    g.animate = 1;
    g.color = qel_color_token(QEL_COLOR_CHART2);
    qel_glow_card_begin(ctx, "running", &g);
    qel_textf(ctx, "A light runs around");
    qel_glow_card_end(ctx);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

TEST_P(ShowcasePictures, LoadersAndGlowCards)
{
    widget_rig rig(560, 260, GetParam(), false);
    rig.h.ui = loader_glow_board;
    rig.h.run(2);
    qel_rect card = rig.h.rect(qel_id(rig.h.ctx, "hovered"));
    rig.h.move(card.x + 70, card.y + 40);
    rig.h.run(40);
    EXPECT_TRUE(shows(rig, "loaders"));
}

static const qel_stat_item BOARD_FIGURES[3] = {
    {"Labels", "1,284", 12.5f, 0}, {"Misprints", "17", -2.5f, 1}, {"Queue", "3 jobs", 4, 1}};

static void bars_board(qel_context* ctx)
{
    board_begin(ctx);
    qel_icon_dock_begin(ctx, "dock", nullptr);
    static const char* const icons[5] = {QEL_ICON_ARROW_LEFT, QEL_ICON_ARROW_UP, QEL_ICON_TRENDING_UP,
                                         QEL_ICON_TRENDING_DOWN, QEL_ICON_ARROW_LEFT};
    for (int i = 0; i < 5; i++) {
        qel_icon_dock_item_options o = {};
        o.running = i == 1;
        o.badge = i == 2 ? 7 : i == 3 ? 150 : 0;
        if (i == 4) o.color = qel_color_token(QEL_COLOR_CHART2);
        qel_icon_dock_item(ctx, icons[i], "Tile", &o);
        if (i == 2) qel_icon_dock_separator(ctx);
    }
    qel_icon_dock_end(ctx);
    const qel_icon_nav_item items[4] = {{QEL_ICON_ARROW_LEFT, "Home", 0},
                                        {QEL_ICON_ARROW_UP, "Jobs", 12},
                                        {nullptr, "Queue", 2},
                                        {QEL_ICON_TRENDING_UP, "Stats", 0}};
    int32_t selected = 1;
    qel_icon_nav_bar(ctx, "nav", items, 4, &selected, nullptr);
    row_begin(ctx, 12);
    static bool on = true, off = false;
    qel_toggle_tile_options t = {};
    t.width = {QEL_SIZE_FIXED, 180};
    qel_toggle_tile(ctx, "Printer", &on, &t);
    t.row_layout = 1;
    t.status = "Armed";
    qel_toggle_tile(ctx, "Cutter", &off, &t);
    qel_container_end(ctx);
    qel_stat_strip(ctx, 0, BOARD_FIGURES, 3);
    qel_stat_ticker(ctx, "ticker", BOARD_FIGURES, 3, nullptr);
    qel_container_end(ctx);
}

TEST_P(ShowcasePictures, DockBarTilesAndFigures)
{
    widget_rig rig(620, 500, GetParam(), false);
    rig.h.ui = bars_board;
    rig.h.run(3);
    uint32_t dock = qel_id(rig.h.ctx, "dock");
    int32_t middle = 1;
    rig.move_to(qel_hash_bytes(&middle, sizeof middle, dock ^ 0xd0cu));
    rig.h.run(40);
    EXPECT_TRUE(shows(rig, "bars"));
}

static void slides_board(qel_context* ctx)
{
    board_begin(ctx);
    wide_row_begin(ctx, 20);
    qel_style left = {};
    left.width = {QEL_SIZE_GROW, 1};
    left.gap = 16;
    qel_column_begin(ctx, &left);
    static int32_t slide = 1;
    qel_carousel_opts c = {};
    c.height = 150;
    qel_carousel_begin(ctx, "slides", 3, &slide, &c);
    static const qel_color fills[3] = {qel_color_token(QEL_COLOR_CHART1), qel_color_token(QEL_COLOR_CHART2),
                                       qel_color_token(QEL_COLOR_CHART3)};
    for (int i = 0; i < 3; i++) {
        qel_carousel_slide_begin(ctx);
        qel_node_at(ctx, qel_node_parent(ctx))->fill = fills[i];
        qel_textf(ctx, "Slide %d", i + 1);
        qel_carousel_slide_end(ctx);
    }
    qel_carousel_end(ctx);
    qel_animated_number_opts n = {};
    n.group_thousands = 1;
    qel_animated_number(ctx, "count", ctx->clock.time < 0.2 ? 1299 : 1300, &n);
    n.format = "%.2f";
    n.size = 24;
    n.color = qel_color_token(QEL_COLOR_SUCCESS);
    qel_animated_number(ctx, "price", ctx->clock.time < 0.2 ? -9.5 : -10.25, &n);
    qel_container_end(ctx);
    qel_card_deck_opts d = {};
    d.width = {QEL_SIZE_FIXED, 200};
    d.card_height = 180;
    qel_card_deck_begin(ctx, "deck", 4, &d);
    for (int i = 0; i < 4; i++) {
        qel_card_deck_card_begin(ctx, i);
        qel_textf(ctx, "Card %d", i + 1);
        qel_card_deck_card_end(ctx);
    }
    qel_card_deck_end(ctx);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

TEST_P(ShowcasePictures, CarouselDeckAndNumbers)
{
    widget_rig rig(640, 330, GetParam(), false);
    rig.h.ui = slides_board;
    rig.h.run(3);
    qel_vec2 top = rig.centre(qel_id(rig.h.ctx, "deck") ^ 0x70Bu);
    rig.h.move(top.x, top.y);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    rig.h.move(top.x + 60, top.y + 10);
    rig.h.run(15);  // the top card held aside; the numbers mid-roll
    EXPECT_TRUE(shows(rig, "slides"));
}

INSTANTIATE_TEST_SUITE_P(Themes, ShowcasePictures, theme_modes(), theme_name);
