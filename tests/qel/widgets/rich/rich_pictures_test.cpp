// The log viewer and the terminal as a person sees them, in light and dark, compared with
// committed pictures drawn by the software renderer: a log of every level with timestamps, a
// filter and a selection; a terminal of 16 and 256 colours, attributes and block elements.
#include <gtest/gtest.h>

#include <vector>

#include "qel/qel.h"
#include "rich_rig.h"

namespace {

class RichPictures : public themed_pictures {
protected:
    RichPictures() : themed_pictures("qel/rich_") {}
};

TEST_P(RichPictures, LogOfEveryLevelWithAFilterAndASelection)
{
    widget_rig rig(720, 300, GetParam());
    std::vector<qel_log_entry> entries(64);
    std::vector<char> text(4096);
    qel_log log;
    qel_log_init(&log, entries.data(), 64, text.data(), 4096);
    const char* lines[] = {"job 12 queued", "job 12 stock 2x1 loaded", "idle", "Job 12 sent to the shop printer",
                           "job 13 slow to answer", "spooler error: job 14 refused", "retrying JOB 14"};
    const uint8_t levels[] = {QEL_LOG_TRACE, QEL_LOG_DEBUG, QEL_LOG_INFO, QEL_LOG_INFO, QEL_LOG_WARN, QEL_LOG_ERROR, QEL_LOG_INFO};
    for (int i = 0; i < 7; i++) qel_log_append(&log, levels[i], 9 * 3600 + 41 * 60 + i * 1.25, lines[i], -1);
    qel_log_view_opts opts = {};
    opts.show_timestamps = 1;
    opts.height = -1;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_log_view(ctx, "log", &log, &opts);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    rig.click_on(scoped_id(rig.h.ctx, "log", "search"));
    rig.h.type("job");
    rig.h.run(2);
    qel_rect list = rig.h.rect(qel_id(rig.h.ctx, "log") ^ 0x11575u);
    rig.h.click(list.x + 300, list.y + 6 + 22 + 11);
    rig.h.tap(QEL_KEY_DOWN, QEL_MOD_SHIFT);
    rig.h.move(list.x + 300, list.y + 6 + 4 * 22 + 11);
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "log"));
}

TEST_P(RichPictures, TerminalColoursAttributesAndBlocks)
{
    widget_rig rig(720, 320, GetParam());
    std::vector<char> text(8192);
    std::vector<qel_terminal_line> records(64);
    qel_terminal_buffer buffer;
    qel_terminal_init(&buffer, text.data(), 8192, records.data(), 64);
    for (int c = 0; c < 16; c++) qel_terminal_printf(&buffer, "\x1b[%dm%X", c < 8 ? 30 + c : 82 + c, c);
    qel_terminal_printf(&buffer, "\x1b[0m  ");
    for (int c = 0; c < 8; c++) qel_terminal_printf(&buffer, "\x1b[%dm  ", c < 8 ? 40 + c : 92 + c);
    qel_terminal_printf(&buffer, "\x1b[0m\n");
    for (int n = 16; n < 256; n += 8) qel_terminal_printf(&buffer, "\x1b[48;5;%dm ", n);
    qel_terminal_printf(&buffer, "\x1b[0m \x1b[38;2;255;128;0mtruecolour\x1b[0m\n");
    qel_terminal_printf(&buffer, "\x1b[1mbold\x1b[0m \x1b[2mdim\x1b[0m \x1b[4munderline\x1b[0m \x1b[7minverse\x1b[0m "
                                 "\x1b[7;32minverse green\x1b[0m\n");
    qel_terminal_printf(&buffer, "\xe2\x96\x80\xe2\x96\x81\xe2\x96\x82\xe2\x96\x83\xe2\x96\x84\xe2\x96\x85\xe2\x96\x86"
                                 "\xe2\x96\x87\xe2\x96\x88\xe2\x96\x89\xe2\x96\x8a\xe2\x96\x8b\xe2\x96\x8c\xe2\x96\x8d"
                                 "\xe2\x96\x8e\xe2\x96\x8f\xe2\x96\x90\xe2\x96\x91\xe2\x96\x92\xe2\x96\x93 "
                                 "\x1b[36m\xe2\x96\x88\xe2\x96\x93\xe2\x96\x92\xe2\x96\x91\x1b[0m\n");
    qel_terminal_printf(&buffer, "progress 10%%\rprogress 100%%\ttabbed\n");
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_terminal_opts opts = {};
        opts.height = -1;
        qel_terminal(ctx, "term", &buffer, &opts);
        qel_container_end(ctx);
    };
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "terminal"));
}

INSTANTIATE_TEST_SUITE_P(Themes, RichPictures, theme_modes(), theme_name);

}  // namespace
