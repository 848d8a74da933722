// Speed of the animated and showcase widgets in a 1120 x 760 window with motion on: a frame of a
// board of every one of them, all animating, with the pointer over the dock (target 1 ms on one
// core), and a frame of a stream text of 100,000 bytes while it reveals (target 0.5 ms).
#include <benchmark/benchmark.h>

#include <string>

#include "frame_timing.h"
#include "qel/qel.h"

static const qel_stat_item FIGURES[3] = {
    {"Labels", "1,284", 12.5f, 0}, {"Misprints", "17", -2.5f, 1}, {"Queue", "3 jobs", 4, 1}};

static void showcase_board(qel_context* ctx, int frame)
{
    qel_style s = {};
    s.padding = 12;
    s.gap = 10;
    s.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &s);
    qel_shimmer_text(ctx, "Reading the spreadsheet", nullptr);
    qel_stream_text(ctx, "stream", "Labels stream in one character after another.", nullptr);
    qel_word_reveal(ctx, "reveal", frame % 120 < 60 ? "Every word fades in" : "and rises into its place", nullptr);
    static const char* const words[3] = {"labels", "prices", "barcodes"};
    qel_rotating_words(ctx, "words", words, 3, 0.3f, nullptr);
    qel_rolling_number_text(ctx, "total", frame % 40 < 20 ? "$1,299.00" : "$1,300.00", nullptr);
    qel_gradient_text_options g = {};
    g.animate = 1;
    qel_gradient_text(ctx, "A gradient across the words", &g);
    qel_row_begin(ctx, nullptr);
    for (uint32_t style = 0; style < 5; style++) {
        qel_loader_options o = {};
        o.style = style;
        qel_loader(ctx, &o);
    }
    qel_container_end(ctx);
    qel_glow_card_options glow = {};
    glow.animate = 1;
    qel_glow_card_begin(ctx, "glow", &glow);
    qel_textf(ctx, "Glowing");
    qel_glow_card_end(ctx);
    qel_icon_dock_begin(ctx, "dock", nullptr);
    for (int i = 0; i < 8; i++) {
        qel_icon_dock_item_options o = {};
        o.badge = i;
        qel_icon_dock_item(ctx, QEL_ICON_ARROW_LEFT, "Tile", &o);
    }
    qel_icon_dock_end(ctx);
    const qel_icon_nav_item items[4] = {{nullptr, "Home", 0}, {nullptr, "Jobs", 12}, {nullptr, "Queue", 2}, {nullptr, "Stats", 0}};
    int32_t selected = frame / 30 % 4;
    qel_icon_nav_bar(ctx, "nav", items, 4, &selected, nullptr);
    static bool on = false;
    on = frame % 50 < 25;
    qel_toggle_tile(ctx, "Printer", &on, nullptr);
    qel_stat_ticker(ctx, "ticker", FIGURES, 3, nullptr);
    int32_t slide = frame / 45 % 3;
    qel_carousel_begin(ctx, "slides", 3, &slide, nullptr);
    for (int i = 0; i < 3; i++) {
        qel_carousel_slide_begin(ctx);
        qel_textf(ctx, "Slide %d", i);
        qel_carousel_slide_end(ctx);
    }
    qel_carousel_end(ctx);
    qel_card_deck_begin(ctx, "deck", 3, nullptr);
    for (int i = 0; i < 3; i++) {
        qel_card_deck_card_begin(ctx, i);
        qel_textf(ctx, "Card %d", i);
        qel_card_deck_card_end(ctx);
    }
    qel_card_deck_end(ctx);
    qel_animated_number(ctx, "count", 1000 + frame / 10, nullptr);
    qel_container_end(ctx);
}

static void showcase_board_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    int frame = 0;
    auto run = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        showcase_board(ctx, frame++);
        qel_end_frame(ctx);
    };
    run();
    qel_rect dock = qel_id_rect(ctx, qel_id(ctx, "dock"));
    qel_input_mouse_move(ctx, dock.x + dock.w / 2, dock.y + dock.h / 2);
    run();
    time_frames(state, ctx, run);
    qel_ctx_destroy(ctx);
}
BENCHMARK(showcase_board_frame)->Unit(benchmark::kMicrosecond);

static void stream_text_frame(benchmark::State& state)
{
    qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 1120, 760, 1);
    std::string text;
    while (text.size() < 100000) text += "Labels stream in one character after another as they arrive. ";
    text.resize(100000);
    qel_text_fx_options o = {};
    o.rate = 0.001f;  // slow enough that it is still revealing when the timing ends
    o.caret = 1;
    auto run = [&] {
        qel_begin_frame(ctx, 1.0f / 60.0f);
        qel_scroll_begin(ctx, qel_id(ctx, "scroll"), nullptr, false);
        qel_stream_text(ctx, "stream", text.c_str(), &o);
        qel_scroll_end(ctx);
        qel_end_frame(ctx);
    };
    run();
    time_frames(state, ctx, run);
    qel_ctx_destroy(ctx);
}
BENCHMARK(stream_text_frame)->Unit(benchmark::kMicrosecond);
