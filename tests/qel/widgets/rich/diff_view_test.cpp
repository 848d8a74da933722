// The diff viewer driven as a user drives it: its rows and folds, the choice of unified or side
// by side at the split width, hunk keys, clicks on folds and rows, the current-hunk binding, the
// line-ending notes, the empty state, syntax states that follow new texts, and its pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/diff_view.h"
#include "qel/qel.h"
#include "support/qel_inspect.h"
#include "support/widget_rig.h"
#include "widgets/rich/diff_view_parts.h"

namespace {

std::string numbered(int32_t count, int32_t changed = -1)
{
    std::string s;
    for (int32_t i = 0; i < count; i++) s += i == changed ? "changed\n" : "line " + std::to_string(i + 1) + "\n";
    return s;
}

struct viewer_rig {
    widget_rig rig;
    std::string old_text, new_text;
    qel_diff_view_options opts = {};
    qel_diff_view_result result = {};
    int32_t bound = -1;
    bool bind = false;

    viewer_rig(std::string a, std::string b, float width = 900, float height = 600)
        : rig(width, height), old_text(std::move(a)), new_text(std::move(b))
    {
        rig.h.ui = [this](qel_context* ctx) {
            opts.current_hunk = bind ? &bound : nullptr;
            result = qel_diff_view(ctx, "diff", old_text.c_str(), new_text.c_str(), &opts);
        };
    }
    // The rows as "kind:old:new:hunk:folded" joined by blanks.
    std::string rows()
    {
        int32_t n = qel_diff_view_rows(rig.h.ctx, "diff", nullptr, 0, 0);
        std::vector<int32_t> v((size_t)n * 5 + 1);
        qel_diff_view_rows(rig.h.ctx, "diff", v.data(), 0, n);
        std::string out;
        for (int32_t i = 0; i < n; i++) {
            const int32_t* r = &v[(size_t)i * 5];
            out += (i ? " " : "") + std::string(1, "CRAXF"[r[0]]);
            if (r[0] == QEL_DIFF_ROW_FOLD)
                out += std::to_string(r[4]);
            else
                out += std::to_string(r[1]) + "," + std::to_string(r[2]);
        }
        return out;
    }
    uint32_t list_id() { return qel_id(rig.h.ctx, "diff") ^ 0xd1ff11; }
    // The middle of row index (from 0) of the list, as laid out last.
    qel_vec2 row_point(int32_t row)
    {
        qel_rect r = rig.h.rect(list_id());
        return {r.x + r.w / 2, r.y + 4 + ((float)row + 0.5f) * roundf(1.75f * 12)};
    }
    void click_row(int32_t row)
    {
        qel_vec2 p = row_point(row);
        rig.h.click(p.x, p.y);
        rig.h.run(2);
    }
    void tap(int32_t key, uint32_t mods = 0)
    {
        rig.h.tap(key, mods);
        rig.h.run(2);
    }
    qel_diff_record* record()
    {
        auto* st = (qel_diff_view_state*)qel_state_find(rig.h.ctx, qel_id(rig.h.ctx, "diff") ^ 0xd1ff0,
                                                         sizeof(qel_diff_view_state), false);
        return st ? st->record : nullptr;
    }
};

constexpr int32_t key_of(char c) { return QEL_KEY_A + (c - 'A'); }

struct fold_case {
    std::string old_text, new_text;
    int32_t context;
    const char* rows;
};

TEST(DiffView, RowsAndFolds)
{
    const fold_case cases[] = {
        {numbered(10), numbered(10), 3, "F10"},
        {numbered(2), numbered(2), 3, "C0,0 C1,1"},
        {numbered(20), numbered(20, 9), 3, "F6 C6,6 C7,7 C8,8 R9,-1 A-1,9 C10,10 C11,11 C12,12 F7"},
        // Foldable runs of exactly 3 fold; of 2 they show their lines.
        {numbered(7), numbered(7, 6), 3, "F3 C3,3 C4,4 C5,5 R6,-1 A-1,6"},
        {numbered(6), numbered(6, 5), 3, "C0,0 C1,1 C2,2 C3,3 C4,4 R5,-1 A-1,5"},
        {numbered(5), numbered(5, 2), INT32_MAX, "C0,0 C1,1 R2,-1 A-1,2 C3,3 C4,4"},
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        const fold_case& c = cases[i];
        viewer_rig v(c.old_text, c.new_text);
        v.opts.unified = 1;
        v.opts.context_lines = c.context;
        v.rig.h.run(2);
        EXPECT_EQ(v.rows(), c.rows) << i;
    }
    viewer_rig v(numbered(20), numbered(20, 9));
    v.opts.unified = 1;
    v.rig.h.run(2);
    EXPECT_EQ(v.result.folds, 2);
    EXPECT_EQ(v.result.folded_lines, 13);
    EXPECT_EQ(v.result.hunk_count, 1);
    int32_t out[5] = {-7, -7, -7, -7, -7};
    EXPECT_EQ(qel_diff_view_rows(v.rig.h.ctx, "diff", out, 10, 4), 10);
    EXPECT_EQ(out[0], -7);
    EXPECT_EQ(qel_diff_view_rows(v.rig.h.ctx, "other", out, 0, 4), 0);
    // Side by side, the changed pair shares a row.
    v.opts.unified = 0;
    v.rig.h.run(2);
    EXPECT_EQ(v.rows(), "F6 C6,6 C7,7 C8,8 X9,9 C10,10 C11,11 C12,12 F7");
    v.opts.expand_all = 1;
    v.rig.h.run(2);
    EXPECT_EQ(v.result.folds, 0);
}

TEST(DiffView, SideBySideFromTheSplitWidth)
{
    viewer_rig v(numbered(5), numbered(5, 2));
    v.rig.h.run(3);
    float inset = v.rig.h.rect(qel_id(v.rig.h.ctx, "diff")).w - v.rig.h.rect(v.list_id()).w;
    for (float list_w : {559.0f, 560.0f}) {
        v.opts.width = {QEL_SIZE_FIXED, list_w + inset};
        v.rig.h.run(3);
        ASSERT_EQ(v.rig.h.rect(v.list_id()).w, list_w);
        EXPECT_EQ(v.result.unified, list_w < 560 ? 1u : 0u) << list_w;
    }
}

TEST(DiffView, HunkKeysClicksAndTheBinding)
{
    std::string a = numbered(60), b = numbered(60);
    for (int32_t at : {5, 25, 45}) b.replace(b.find("line " + std::to_string(at + 1) + "\n"), 0, "new\n");
    viewer_rig v(a, b, 900, 300);
    v.opts.unified = 1;
    v.rig.h.run(3);
    ASSERT_EQ(v.result.hunk_count, 3);
    v.click_row(0);
    EXPECT_EQ(qel_focused_id(v.rig.h.ctx), v.list_id());
    EXPECT_EQ(v.result.current_hunk, -1);
    v.tap(key_of('N'));
    EXPECT_EQ(v.result.current_hunk, 0);
    v.tap(key_of('N'));
    v.tap(QEL_KEY_DOWN, QEL_MOD_ALT);
    EXPECT_EQ(v.result.current_hunk, 2);
    v.tap(key_of('N'));
    EXPECT_EQ(v.result.current_hunk, 2);
    v.tap(key_of('P'));
    EXPECT_EQ(v.result.current_hunk, 1);
    v.tap(QEL_KEY_UP, QEL_MOD_ALT);
    EXPECT_EQ(v.result.current_hunk, 0);
    v.tap(QEL_KEY_ESCAPE);
    EXPECT_EQ(v.result.current_hunk, -1);
    // The last hunk was brought into view by the keys; its row lies in the list.
    v.tap(QEL_KEY_END);
    int32_t folds = v.result.folds;
    EXPECT_GT(folds, 0);
    v.tap(key_of('E'));
    EXPECT_EQ(v.result.folds, 0);
    v.tap(key_of('E'), QEL_MOD_SHIFT);
    EXPECT_EQ(v.result.folds, folds);
    // A click on a fold opens it; on a hunk's row picks the hunk.
    v.tap(QEL_KEY_HOME);
    ASSERT_EQ(v.rows().substr(0, 38), "C0,0 C1,1 C2,2 C3,3 C4,4 A-1,5 C5,6 C6");
    v.click_row(9);
    EXPECT_EQ(v.result.folds, folds - 1);
    int32_t ninth[5];
    qel_diff_view_rows(v.rig.h.ctx, "diff", ninth, 9, 1);
    EXPECT_EQ(ninth[0], QEL_DIFF_ROW_CONTEXT);
    EXPECT_EQ(ninth[1], 8);
    v.click_row(5);
    EXPECT_EQ(v.result.current_hunk, 0);
    // The binding sets the hunk from outside and reads back what the user picked.
    v.bind = true;
    v.bound = 7;
    v.rig.h.run(2);
    EXPECT_EQ(v.result.current_hunk, 2);
    EXPECT_EQ(v.bound, 2);
    v.tap(key_of('P'));
    EXPECT_EQ(v.bound, 1);
    v.bound = -5;
    v.rig.h.run(2);
    EXPECT_EQ(v.result.current_hunk, -1);
}

TEST(DiffView, TheTopLineStaysWhenTheModeChanges)
{
    viewer_rig v(numbered(200), numbered(200, 10), 900, 400);
    v.opts.unified = 1;
    v.opts.expand_all = 1;
    v.opts.height = 300;
    v.rig.h.run(3);
    auto* scroll = (qel_scroll_state*)qel_state_get(v.rig.h.ctx, qel_id(v.rig.h.ctx, "diff") ^ 0xd1ff5c,
                                                    sizeof(qel_scroll_state));
    const float row_h = roundf(1.75f * 12);
    scroll->target_y = scroll->scroll_y = 60 * row_h + 4;  // row 60 shows old line 59
    v.rig.h.run(2);
    v.opts.unified = 0;
    v.rig.h.run(2);
    EXPECT_FALSE(v.result.unified);
    EXPECT_EQ(scroll->scroll_y, 59 * row_h + 4);
}

TEST(DiffView, ClicksOutsideTheRowsDoNothing)
{
    viewer_rig v(numbered(4), numbered(4, 3), 900, 500);
    v.opts.unified = 1;
    v.opts.height = 400;
    v.rig.h.run(3);
    ASSERT_EQ(v.rows(), "C0,0 C1,1 C2,2 R3,-1 A-1,3");
    v.click_row(6);
    EXPECT_EQ(v.result.current_hunk, -1);
    v.click_row(4);
    EXPECT_EQ(v.result.current_hunk, 0);
}

TEST(DiffView, LineEndingNotesAndTheEmptyState)
{
    viewer_rig v("a\r\n", "a\n");
    v.rig.h.run(2);
    EXPECT_EQ(v.result.hunk_count, 1);
    qel_diff_record* rec = v.record();
    ASSERT_NE(rec, nullptr);
    qel_diff_side_display old_side, new_side;
    qel_diff_line_display(v.rig.h.ctx, rec, 0, 0, QEL_DIFF_LOOK_REMOVED, &old_side);
    qel_diff_line_display(v.rig.h.ctx, rec, 1, 0, QEL_DIFF_LOOK_ADDED, &new_side);
    EXPECT_STREQ(old_side.note, "CRLF");
    EXPECT_STREQ(new_side.note, "LF");
    v.old_text = v.new_text = "";
    v.rig.h.run(2);
    EXPECT_NE(node_with_text(v.rig.h.ctx, "Both texts are empty"), nullptr);
}

// Refuses only a first array of 256 rows. Other arrays of the context may come to that size
// too (the text store's), so the test makes them before it refuses.
struct row_heap {
    bool refuse;
    static void* take(size_t size, void*) { return malloc(size); }
    static void* grow(void* block, size_t size, void* user)
    {
        if (((row_heap*)user)->refuse && !block && size == 256 * sizeof(qel_diff_row)) return nullptr;
        return realloc(block, size);
    }
    static void give(void* block, void*) { free(block); }
};

TEST(DiffView, RowsThatCannotGrowSaySo)
{
    row_heap heap = {false};
    qel_config config = {};
    config.malloc_fn = row_heap::take;
    config.realloc_fn = row_heap::grow;
    config.free_fn = row_heap::give;
    config.alloc_user = &heap;
    qel_headless h(600, 400, 1, &config);
    h.ui = [](qel_context* ctx) { qel_diff_view(ctx, "first", "a\n", "b\n", nullptr); };
    h.run(2);
    heap.refuse = true;
    h.ui = [](qel_context* ctx) { qel_diff_view(ctx, "diff", "a\n", "b\n", nullptr); };
    h.run(2);
    EXPECT_NE(node_with_text(h.ctx, "Not enough memory to compare these texts"), nullptr);
    EXPECT_EQ(qel_diff_view_rows(h.ctx, "diff", nullptr, 0, 0), 0);
    heap.refuse = false;
    h.ui = [](qel_context* ctx) { qel_diff_view(ctx, "diff", "a\n", "c\n", nullptr); };
    h.run(2);
    EXPECT_EQ(qel_diff_view_rows(h.ctx, "diff", nullptr, 0, 0), 1);  // one changed pair side by side
}

TEST(DiffView, ShownLinesAreCutAndTheirRangesClipped)
{
    std::string a = "x\t" + std::string(1030, 'a') + " tail\n", b = "x\t" + std::string(1030, 'a') + " tale\n";
    a.replace(1023, 2, "\xC3\xA9");
    b.replace(1023, 2, "\xC3\xA9");
    viewer_rig v(a, b);
    v.rig.h.run(2);
    qel_diff_side_display s;
    qel_diff_line_display(v.rig.h.ctx, v.record(), 0, 0, QEL_DIFF_LOOK_REMOVED, &s);
    EXPECT_EQ(s.length, 1023 - 2 + 4);  // the cut moves before the split character; the tab is 3 spaces
    EXPECT_EQ(std::string(s.text, 4), "x   ");
    EXPECT_EQ(s.range_count, 0);
}

TEST(DiffView, SyntaxStatesFollowTheTexts)
{
    viewer_rig v("int a;\n", "int b;\n");
    v.opts.language = "c";
    v.rig.h.run(2);
    v.old_text = "/*\nx\n*/\ny\n";
    v.new_text = "a\n/*\nb\nc\nd\n";
    v.rig.h.run(2);
    qel_diff_record* rec = v.record();
    ASSERT_NE(rec->states[1], nullptr);
    const uint8_t want_new[] = {0, 0, 1, 1, 1};
    for (int32_t i = 0; i < 5; i++) EXPECT_EQ(rec->states[1][i] != 0, want_new[i] != 0) << i;
    EXPECT_EQ(rec->states[0][3], 0);
    v.opts.language = "python";
    v.rig.h.run(2);
    EXPECT_EQ(rec->states[1][2], 0);
}

// --- Pictures ---

const char* const OLD_C = "#include <stdio.h>\n\nint main(void)\n{\n    int count = 0;\n    /* count the rows */\n"
                          "    for (int i = 0; i < 10; i++)\n        count += i;\n    printf(\"%d\\n\", count);\n"
                          "    return 0;\n}\n\nstatic int unused;\nstatic int kept;\nstatic int more;\n";
const char* const NEW_C = "#include <stdio.h>\n\nint main(void)\n{\n    int total = 0;\n    /* count the rows */\n"
                          "    for (int i = 0; i < 12; i++)\n        total += i;\n    printf(\"%d\\n\", total);\n"
                          "    return 0;\n}\n\nstatic int unused;\nstatic int kept;\nstatic int more;\nint added;\n";

void diff_board(qel_context* ctx, uint32_t unified)
{
    board_begin(ctx);
    qel_diff_view_options o = {};
    o.unified = unified;
    o.language = "c";
    o.old_title = "count.c";
    o.new_title = "total.c";
    o.context_lines = 1;
    qel_diff_view(ctx, "diff", OLD_C, NEW_C, &o);
    qel_container_end(ctx);
}

class DiffPictures : public themed_pictures {
protected:
    DiffPictures() : themed_pictures("qel/diff_") {}
};

TEST_P(DiffPictures, UnifiedWithFoldsWordsAndColours)
{
    EXPECT_TRUE(board_matches([](qel_context* ctx) { diff_board(ctx, 1); }, 560, 420, "unified", 3));
}

TEST_P(DiffPictures, SideBySide)
{
    EXPECT_TRUE(board_matches([](qel_context* ctx) { diff_board(ctx, 0); }, 760, 360, "split", 3));
}

INSTANTIATE_TEST_SUITE_P(Themes, DiffPictures, theme_modes(), theme_name);

}  // namespace
