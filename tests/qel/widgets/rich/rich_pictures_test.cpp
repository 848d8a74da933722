// The log viewer and the terminal as a person sees them, in light and dark, compared with
// committed pictures drawn by the software renderer: a log of every level with timestamps, a
// filter and a selection.
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
    const char* lines[] = {"job 12 queued", "job 12 stock 2x1 loaded", "idle", "Job 12 sent to zebra-zd230",
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

INSTANTIATE_TEST_SUITE_P(Themes, RichPictures, theme_modes(), theme_name);

}  // namespace
