// The log viewer driven over scripted frames: level toggles with their counts, the text filter and
// its highlights, following the end and letting go of it, rows that stay put while old lines
// leave, keyboard selection, copying and clearing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/qel.h"
#include "rich_rig.h"

namespace {

struct log_rig : clipboard_rig {
    std::vector<qel_log_entry> entries;
    std::vector<char> text;
    qel_log log = {};
    qel_log_view_opts opts = {};

    log_rig(float width = 700, float height = 400, int32_t entry_capacity = 1000, uint32_t mode = QEL_THEME_LIGHT)
        : clipboard_rig(width, height, mode), entries((size_t)entry_capacity), text(1 << 16)
    {
        qel_log_init(&log, entries.data(), entry_capacity, text.data(), (uint32_t)text.size());
        opts.height = -1;
        rig.h.ui = [this](qel_context* ctx) { qel_log_view(ctx, "log", &log, &opts); };
    }
    uint32_t id(const char* part) { return scoped_id(rig.h.ctx, "log", part); }
    uint32_t list() { return qel_id(rig.h.ctx, "log") ^ 0x11575u; }
    qel_scroll_state* scroll()
    {
        return (qel_scroll_state*)qel_state_get(rig.h.ctx, qel_id(rig.h.ctx, "log") ^ 0x5c2011u, sizeof(qel_scroll_state));
    }
    uint32_t toggle(const char* group, int32_t index)
    {
        return qel_hash_bytes(&index, sizeof index, id(group));
    }
    // A click on the row's place in the list (0 = the first match).
    void click_row(int32_t row, uint32_t modifiers = 0)
    {
        qel_rect r = rig.h.rect(list());
        if (modifiers) rig.h.key(QEL_KEY_NONE, true, modifiers);
        rig.h.click(r.x + 200, r.y + 6 + row * 22 + 11);
        if (modifiers) rig.h.key(QEL_KEY_NONE, false, 0);
    }
    std::string copy_all()
    {
        rig.h.tap(QEL_KEY_A, QEL_MOD_CTRL);
        rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
        rig.h.run();
        return last_copy();
    }
};

TEST(LogView, LevelTogglesFilterAndNarrowLabelsCarryCounts)
{
    log_rig r(400);
    for (const char* t : {"e1", "e2", "e3"}) qel_log_append(&r.log, QEL_LOG_ERROR, 0, t, -1);
    qel_log_append(&r.log, QEL_LOG_WARN, 0, "w1", -1);
    qel_log_append(&r.log, QEL_LOG_INFO, 0, "i1", -1);
    r.rig.h.run(3);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "E 3"), nullptr);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "W 1"), nullptr);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "I"), nullptr) << "info carries no count";
    r.rig.click_on(r.toggle("levels", QEL_LOG_ERROR));
    r.click_row(0);
    EXPECT_EQ(r.copy_all(), "warn  w1\ninfo  i1");

    log_rig wide(700);
    wide.rig.h.run(3);
    EXPECT_NE(node_with_text(wide.rig.h.ctx, "Error"), nullptr);
    EXPECT_NE(node_with_text(wide.rig.h.ctx, "No log lines yet"), nullptr);
}

TEST(LogView, FilterMatchesAnyCaseAndCountsMatches)
{
    log_rig r;
    const char* lines[] = {"an error here", "all fine", "ERROR twice: Error", "terrible"};
    for (const char* t : lines) qel_log_append(&r.log, QEL_LOG_INFO, 0, t, -1);
    r.rig.h.run(2);
    r.rig.click_on(r.id("search"));
    r.rig.h.type("ERR");
    r.rig.h.run(3);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "3 found"), nullptr);
    r.click_row(0);
    EXPECT_EQ(r.copy_all(), "info  an error here\ninfo  ERROR twice: Error\ninfo  terrible");
    r.rig.click_on(r.id("search"));
    r.rig.h.type("zzz");
    r.rig.h.run(3);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "No lines match the filter"), nullptr);
}

TEST(LogView, FollowsTheEndUntilTheWheelGoesUp)
{
    log_rig r;
    for (int i = 0; i < 100; i++) qel_log_printf(&r.log, QEL_LOG_INFO, "line %d", i);
    r.rig.h.run(10);
    qel_scroll_state* s = r.scroll();
    float end = 100 * 22 + 12 - s->view_h;
    EXPECT_FLOAT_EQ(s->target_y, end);
    for (int i = 0; i < 50; i++) qel_log_printf(&r.log, QEL_LOG_INFO, "more %d", i);
    r.rig.h.run(10);
    EXPECT_FLOAT_EQ(r.scroll()->target_y, end + 50 * 22) << "new lines keep the last row in view";

    r.rig.move_to(qel_id(r.rig.h.ctx, "log") ^ 0x5c2011u);
    r.rig.h.wheel(0, 2);
    r.rig.h.run(10);
    float held = r.scroll()->target_y;
    EXPECT_LT(held, end + 50 * 22);
    for (int i = 0; i < 20; i++) qel_log_printf(&r.log, QEL_LOG_INFO, "later %d", i);
    r.rig.h.run(10);
    EXPECT_FLOAT_EQ(r.scroll()->target_y, held) << "not following, the view stays";

    for (int i = 0; i < 12; i++) {
        r.rig.h.wheel(0, -3);
        r.rig.h.run(10);
    }
    qel_log_printf(&r.log, QEL_LOG_INFO, "last");
    r.rig.h.run(10);
    EXPECT_FLOAT_EQ(r.scroll()->target_y, 171 * 22 + 12 - r.scroll()->view_h) << "following again at the bottom";
}

TEST(LogView, EvictionsLeaveTheRowsInViewInPlace)
{
    log_rig r(700, 400, 100);
    for (int i = 0; i < 100; i++) qel_log_printf(&r.log, QEL_LOG_INFO, "line %d", i);
    r.rig.h.run(5);
    r.rig.move_to(qel_id(r.rig.h.ctx, "log") ^ 0x5c2011u);
    r.rig.h.wheel(0, 5);
    r.rig.h.run(30);
    float before = r.scroll()->scroll_y;
    ASSERT_GT(before, 10 * 22);
    for (int i = 0; i < 10; i++) qel_log_printf(&r.log, QEL_LOG_INFO, "new %d", i);
    r.rig.h.run();
    EXPECT_FLOAT_EQ(r.scroll()->scroll_y, before - 10 * 22);
}

TEST(LogView, KeysSelectCopyAndClear)
{
    log_rig r;
    r.opts.show_timestamps = 1;
    qel_log_append(&r.log, QEL_LOG_INFO, 3723.004, "one", -1);
    qel_log_append(&r.log, QEL_LOG_WARN, 86400 + 59.9996, "two", -1);
    qel_log_append(&r.log, QEL_LOG_ERROR, -5, "three", -1);
    r.rig.h.run(2);
    r.click_row(0);
    r.rig.h.tap(QEL_KEY_DOWN, QEL_MOD_SHIFT);
    r.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    r.rig.h.run();
    EXPECT_EQ(r.last_copy(), "01:02:03.004 info  one\n00:01:00.000 warn  two");
    r.rig.h.tap(QEL_KEY_ESCAPE);
    r.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    r.rig.h.run();
    EXPECT_EQ(r.last_copy(), "01:02:03.004 info  one\n00:01:00.000 warn  two\n00:00:00.000 error three")
        << "without a selection every match is copied";

    r.rig.click_on(qel_hash_str(QEL_ICON_TRASH_2, r.id("Clear log")));
    r.rig.h.run(2);
    EXPECT_EQ(r.log.count, 0u);
    EXPECT_EQ(r.log.total, 3u);
    EXPECT_NE(node_with_text(r.rig.h.ctx, "No log lines yet"), nullptr);
}

TEST(LogView, APointerDragSelectsAndEndsWhenNoMatchIsLeft)
{
    log_rig r(700, 400, 4);
    for (const char* t : {"a", "b", "c", "d"}) qel_log_append(&r.log, QEL_LOG_INFO, 0, t, -1);
    r.rig.h.run(2);
    qel_rect list = r.rig.h.rect(r.list());
    r.rig.h.move(list.x + 100, list.y + 6 + 11);
    r.rig.h.button(0, true);
    r.rig.h.run();
    r.rig.h.move(list.x + 100, list.y + 6 + 2 * 22 + 11);
    r.rig.h.run();
    r.rig.h.button(0, false);
    r.rig.h.run();
    r.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    r.rig.h.run();
    EXPECT_EQ(r.last_copy(), "info  a\ninfo  b\ninfo  c");
    for (const char* t : {"e", "f", "g", "h"}) qel_log_append(&r.log, QEL_LOG_INFO, 0, t, -1);
    r.rig.h.run();
    r.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    r.rig.h.run();
    EXPECT_EQ(r.last_copy(), "info  e\ninfo  f\ninfo  g\ninfo  h") << "the selection left with its lines";
}

}  // namespace

namespace {

TEST(LogView, LongLinesShowTheirFirstKilobyteAndEmptyListsIgnoreDrags)
{
    log_rig r;
    std::string line(3000, 'x');
    line.replace(1022, 3, "\xe2\x82\xac");  // a character across byte 1024 is not cut
    qel_log_append(&r.log, QEL_LOG_INFO, 0, line.c_str(), -1);
    r.rig.h.run(3);
    qel_context* ctx = r.rig.h.ctx;
    float message_x = 12 + qel_text_width(ctx, QEL_FONT_MONO, 12, "error", -1, 0) + 14;
    float shown = qel_text_width(ctx, QEL_FONT_MONO, 12, line.c_str(), 1022, 0) +
                  qel_text_width(ctx, QEL_FONT_MONO, 12, "  ... 000000 more bytes", -1, 0);
    EXPECT_FLOAT_EQ(node_with_id(ctx, r.list())->min_w, message_x + shown + 12);

    r.rig.click_on(r.id("search"));
    r.rig.h.type("nothing like it");
    r.rig.h.run(2);
    qel_rect list = r.rig.h.rect(r.list());
    r.rig.h.move(list.x + 100, list.y + 20);
    r.rig.h.button(0, true);
    r.rig.h.run();
    r.rig.h.move(list.x + 100, list.y + 120);
    r.rig.h.run();
    r.rig.h.button(0, false);
    r.rig.h.tap(QEL_KEY_A + 2, QEL_MOD_CTRL);
    r.rig.h.run();
    EXPECT_TRUE(r.clipboard.empty());
}

}  // namespace
