// The data table driven over scripted frames: header clicks cycling the sort record, columns
// resized by drag within their limits and hidden by priority when room is short, selection by
// click with Ctrl and Shift, select-all, the keyboard cursor with the page keys at both ends,
// editing a cell with Enter and Escape, rows shrinking under the cursor, and only the rows in view
// being built.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

static uint32_t hashed(int32_t index, uint32_t seed)
{
    return qel_hash_bytes(&index, sizeof index, seed);
}

// A table "grid" of rows with three columns, the last one editable, built as a caller builds it.
struct table_rig {
    widget_rig rig;
    std::vector<qel_data_table_column> columns = {
        {"Name", 160, 0, 1, 0, 0}, {"Price", 100, 2, 1, 0, 2}, {"Note", 140, 0, 0, 0, 1}};
    int32_t rows;
    std::vector<uint8_t> selection;
    std::vector<std::string> notes;
    qel_data_table_sort sort = {-1, 0};
    int32_t cursor = -1, anchor = -1;
    qel_data_table_options opts = {};
    int32_t first = -1, last = -1, max_row_built = -1, commits = 0;
    std::vector<int32_t> clicked;

    explicit table_rig(int32_t row_count = 8, float width = 480, float height = 400)
        : rig(width, height), rows(row_count), selection((size_t)row_count), notes((size_t)row_count)
    {
        for (int32_t r = 0; r < rows; r++) notes[(size_t)r] = "note " + std::to_string(r);
        opts.selection = selection.data();
        opts.sort = &sort;
        opts.cursor = &cursor;
        opts.anchor = &anchor;
        rig.h.ui = [this](qel_context* ctx) { frame(ctx); };
        rig.h.run(2);
    }

    void frame(qel_context* ctx)
    {
        qel_data_table_begin(ctx, "grid", columns.data(), (int32_t)columns.size(), rows, &first, &last, &opts);
        for (int32_t r = first; r < last; r++) {
            if (qel_data_table_row(ctx, r)) clicked.push_back(r);
            max_row_built = std::max(max_row_built, r);
            qel_data_table_cell_text(ctx, ("Item " + std::to_string(r)).c_str());
            qel_data_table_cell_text(ctx, "1.50");
            std::string& note = notes[(size_t)r];
            note.resize(400);
            commits += qel_data_table_next_cell_edit(ctx, note.data(), 400);
            note.resize(strlen(note.c_str()));
        }
        qel_data_table_end(ctx);
    }

    // Takes rows away between frames, as a caller's filter may.
    void shrink(int32_t count)
    {
        rows = count;
        selection.resize((size_t)count);
        selection.shrink_to_fit();
        opts.selection = selection.data();
    }

    qel_context* ctx() { return rig.h.ctx; }
    uint32_t id() { return qel_id(ctx(), "grid"); }
    uint32_t row(int32_t r) { return hashed(r, id() ^ PART_ROW); }
    uint32_t header(int32_t c) { return hashed(c, id() ^ PART_HEADER_CELL); }
    uint32_t handle(int32_t c) { return hashed(c, id() ^ PART_COLUMN_HANDLE); }
    void click_row(int32_t r, uint32_t mods = 0)
    {
        qel_vec2 c = rig.centre(row(r));
        rig.h.key(QEL_KEY_NONE, true, mods);
        rig.h.click(c.x, c.y);
        rig.h.key(QEL_KEY_NONE, false, 0);
    }
    void tap(int32_t key, uint32_t mods = 0)
    {
        rig.h.tap(key, mods);
        rig.h.run();
    }
    std::vector<int32_t> selected()
    {
        std::vector<int32_t> out;
        for (size_t i = 0; i < selection.size(); i++)
            if (selection[i]) out.push_back((int32_t)i);
        return out;
    }
};

using rows_t = std::vector<int32_t>;

TEST(DataTable, HeaderClicksSortAscendingThenToggleAndOtherColumnsStartAscending)
{
    table_rig t;
    const struct {
        int32_t column, sorted;
        uint8_t descending;
    } steps[] = {{0, 0, 0}, {0, 0, 1}, {0, 0, 0}, {1, 1, 0}, {1, 1, 1}, {2, 1, 1} /* not sortable */};
    for (const auto& s : steps) {
        t.rig.move_to(t.header(s.column));
        qel_vec2 c = t.rig.centre(t.header(s.column));
        t.rig.h.click(c.x, c.y);
        EXPECT_EQ(t.sort.column, s.sorted) << "click on column " << s.column;
        EXPECT_EQ(t.sort.descending, s.descending) << "click on column " << s.column;
    }
}

TEST(DataTable, DraggingAHandleResizesItsColumnWithinLimits)
{
    table_rig t(8, 900);
    const struct {
        float dx, width;
    } drags[] = {{40, 200}, {-500, 60}, {2000, 900}};
    for (const auto& d : drags) {
        qel_vec2 c = t.rig.centre(t.handle(0));
        t.rig.h.move(c.x, c.y);
        t.rig.h.run();
        t.rig.h.button(0, true);
        t.rig.h.run();
        float start = t.rig.h.rect(t.header(0)).w;
        t.rig.h.move(c.x + d.dx, c.y + 30);  // the drag holds when the pointer leaves the handle
        t.rig.h.run(2);
        t.rig.h.button(0, false);
        t.rig.h.run();
        EXPECT_FLOAT_EQ(t.rig.h.rect(t.header(0)).w, d.width) << "from " << start << " by " << d.dx;
    }
    EXPECT_EQ(t.sort.column, -1) << "a drag on the handle is no sort click";
}

TEST(DataTable, NarrowTablesHideColumnsByPriorityAndWideningBringsThemBack)
{
    // Columns of 160, 100 and 140 with priorities 0, 2 and 1, a check column of 44, a border of 1
    // on each side of the view.
    const struct {
        float width;
        bool price, note;
    } cases[] = {{600, true, true}, {400, false, true}, {300, false, false}, {120, false, false}, {600, true, true}};
    table_rig t(8, 600);
    for (const auto& c : cases) {
        qel_ctx_set_display(t.ctx(), c.width, 400, 1);
        t.rig.h.run(3);
        EXPECT_NE(node_with_id(t.ctx(), t.header(0)), nullptr) << c.width << ": the last column never hides";
        EXPECT_EQ(node_with_id(t.ctx(), t.header(1)) != nullptr, c.price) << c.width;
        EXPECT_EQ(node_with_id(t.ctx(), t.header(2)) != nullptr, c.note) << c.width;
    }
    // At full width the last visible column takes the room left over.
    qel_rect view = t.rig.h.rect(t.id() ^ PART_DATA_TABLE_SCROLL), note = t.rig.h.rect(t.header(2));
    EXPECT_FLOAT_EQ(note.x + note.w, view.x + view.w);
}

TEST(DataTable, ClicksSelectWithCtrlTogglingAndShiftSelectingARange)
{
    table_rig t;
    const struct {
        int32_t row;
        uint32_t mods;
        rows_t selected;
        int32_t anchor;
    } steps[] = {
        {2, 0, {2}, 2},
        {4, QEL_MOD_CTRL, {2, 4}, 4},
        {6, QEL_MOD_SHIFT, {4, 5, 6}, 4},
        {1, QEL_MOD_SHIFT, {1, 2, 3, 4}, 4},
        {2, QEL_MOD_CTRL, {1, 3, 4}, 2},
        {5, 0, {5}, 5},
    };
    for (const auto& s : steps) {
        t.click_row(s.row, s.mods);
        EXPECT_EQ(t.selected(), s.selected) << "row " << s.row;
        EXPECT_EQ(t.anchor, s.anchor);
        EXPECT_EQ(t.cursor, s.row);
    }
    EXPECT_EQ(t.clicked, (rows_t{2, 4, 6, 1, 2, 5}));
    EXPECT_EQ(qel_focused_id(t.ctx()), t.id()) << "a click gives the table the keyboard";
}

TEST(DataTable, TheCheckColumnTogglesRowsAndSelectAllFlipsEverything)
{
    table_rig t;
    qel_vec2 c = t.rig.centre(t.row(3) ^ PART_ROW_CHECK);
    t.rig.h.click(c.x, c.y);
    EXPECT_EQ(t.selected(), rows_t{3});
    EXPECT_TRUE(t.clicked.empty()) << "the check is an item of its own, not a click on the row";
    qel_vec2 all = t.rig.centre(t.id() ^ PART_SELECT_ALL);
    t.rig.h.click(all.x, all.y);
    EXPECT_EQ(t.selected().size(), 8u) << "some selected: select-all selects every row";
    t.rig.h.click(all.x, all.y);
    EXPECT_TRUE(t.selected().empty()) << "all selected: select-all clears every row";
}

TEST(DataTable, KeysMoveTheCursorAndShiftExtendsFromTheOldCursor)
{
    table_rig t(30);
    t.click_row(0);
    ASSERT_EQ(t.cursor, 0);
    t.anchor = -1;  // the caller forgets the anchor: Shift+Down runs from the old cursor
    t.tap(QEL_KEY_DOWN, QEL_MOD_SHIFT);
    EXPECT_EQ(t.selected(), (rows_t{0, 1}));
    EXPECT_EQ(t.anchor, 0);
    // The view of 400 holds ten rows of 40: a page is one less.
    const struct {
        int32_t key;
        int32_t cursor;
    } steps[] = {{QEL_KEY_PAGE_DOWN, 10}, {QEL_KEY_END, 29}, {QEL_KEY_PAGE_DOWN, 29}, {QEL_KEY_DOWN, 29},
                 {QEL_KEY_PAGE_UP, 20},   {QEL_KEY_HOME, 0},  {QEL_KEY_PAGE_UP, 0},   {QEL_KEY_UP, 0}};
    for (const auto& s : steps) {
        t.tap(s.key);
        EXPECT_EQ(t.cursor, s.cursor) << "key " << s.key;
        EXPECT_GE(t.cursor, t.first);
        EXPECT_LT(t.cursor, t.last) << "the cursor row is built";
    }
    EXPECT_EQ(t.anchor, 0) << "moves without Shift carry the anchor along";
    t.tap(QEL_KEY_SPACE);
    EXPECT_EQ(t.selected(), rows_t{1}) << "Space toggles the cursor row";
}

TEST(DataTable, SpaceCtrlAAndEscapeChangeTheFlags)
{
    table_rig t;
    t.click_row(1);
    t.tap(QEL_KEY_SPACE);
    EXPECT_TRUE(t.selected().empty());
    t.tap(QEL_KEY_A, QEL_MOD_CTRL);
    EXPECT_EQ(t.selected().size(), 8u);
    t.tap(QEL_KEY_ESCAPE);
    EXPECT_TRUE(t.selected().empty());
}

TEST(DataTable, PageKeysMoveAtLeastOneRowInAShortTable)
{
    table_rig t(6, 480, 130);  // rows of 100 in a view of 130: no whole page
    t.opts.row_height = 100;
    t.rig.h.run(2);
    t.click_row(0);
    t.tap(QEL_KEY_PAGE_DOWN);
    EXPECT_EQ(t.cursor, 1);
    t.tap(QEL_KEY_PAGE_DOWN);
    EXPECT_EQ(t.cursor, 2);
    t.tap(QEL_KEY_PAGE_UP);
    EXPECT_EQ(t.cursor, 1);
}

// Row heights too small or too large to divide the view by are held to whole, finite rows, so the
// rows in view and the page step stay numbers an integer holds.
TEST(DataTable, AbsurdRowHeightsKeepTheRowsCountable)
{
    for (float height : {1e-30f, 1e-6f, 1e30f, INFINITY}) {
        table_rig t(50);
        t.opts.row_height = height;
        t.cursor = 0;
        qel_set_focus(t.ctx(), t.id(), true);
        t.rig.h.run(2);
        t.tap(QEL_KEY_PAGE_DOWN);
        EXPECT_GE(t.cursor, 1) << height;
        EXPECT_LE(t.last, 50) << height;
        EXPECT_TRUE(std::isfinite(t.rig.h.rect(t.id()).h)) << height;
    }
}

TEST(DataTable, EnterEditsTheCursorRowsCellAndEscapeRestoresLongText)
{
    table_rig t;
    std::string long_note(300, 'x');
    t.notes[2] = long_note;
    t.click_row(2);
    t.tap(QEL_KEY_ENTER);
    uint32_t focused = qel_focused_id(t.ctx());
    EXPECT_NE(focused, t.id()) << "the field has the keyboard";
    t.rig.h.type("new");  // replaces the selected text
    t.rig.h.run();
    EXPECT_EQ(t.notes[2], "new");
    t.tap(QEL_KEY_ESCAPE);
    EXPECT_EQ(t.notes[2], long_note) << "the whole text comes back";
    EXPECT_EQ(qel_focused_id(t.ctx()), t.id());
    EXPECT_EQ(t.commits, 0);
    EXPECT_EQ(t.selected(), rows_t{2}) << "the Escape went to the editor, not the selection";

    t.tap(QEL_KEY_ENTER);
    t.rig.h.type("done");
    t.rig.h.run();
    t.tap(QEL_KEY_ENTER);
    EXPECT_EQ(t.notes[2], "done");
    EXPECT_EQ(t.commits, 1);
    EXPECT_EQ(qel_focused_id(t.ctx()), t.id());
}

TEST(DataTable, ADoubleClickEditsThatCellOnlyAndLeavingCommitsAChange)
{
    table_rig t;
    int32_t row = 4;
    const int32_t key[3] = {row, 2, 0xED17};
    uint32_t cell = qel_hash_bytes(key, sizeof key, t.id());
    qel_vec2 c = t.rig.centre(cell);
    t.rig.h.click(c.x, c.y);
    t.rig.h.click(c.x, c.y);
    EXPECT_EQ(qel_focused_id(t.ctx()), cell ^ PART_CELL_FIELD) << "the cell's field has the keyboard";
    t.rig.h.type("z");
    t.rig.h.run();
    EXPECT_EQ(t.notes[(size_t)row], "z");
    EXPECT_EQ(t.notes[3], "note 3");
    t.click_row(6);  // the focus goes elsewhere
    EXPECT_EQ(t.commits, 1);
    EXPECT_EQ(t.selected(), rows_t{6});
}

TEST(DataTable, RowsShrinkingUnderTheCursorKeepEveryWriteInside)
{
    table_rig t(10);
    t.click_row(8);
    t.tap(QEL_KEY_DOWN, QEL_MOD_SHIFT);
    EXPECT_EQ(t.selected(), (rows_t{8, 9}));
    t.shrink(3);  // a vector of exactly three flags: a write past it is caught by the sanitizers
    t.rig.h.run();
    EXPECT_EQ(t.cursor, 2);
    EXPECT_EQ(t.anchor, -1);
    t.tap(QEL_KEY_UP, QEL_MOD_SHIFT);
    EXPECT_EQ(t.selected(), (rows_t{1, 2}));
    t.shrink(0);
    t.rig.h.run();
    t.tap(QEL_KEY_DOWN);
    EXPECT_EQ(t.cursor, -1) << "no rows, no cursor";
    EXPECT_NE(node_with_text(t.ctx(), "No rows"), nullptr);
}

TEST(DataTable, OnlyRowsInViewAreBuiltAndTheScrollCoversThemAll)
{
    table_rig t(100000);
    EXPECT_EQ(t.first, 0);
    EXPECT_LT(t.max_row_built, 20);
    auto* sc = (qel_scroll_state*)qel_state_get(t.ctx(), t.id() ^ PART_DATA_TABLE_SCROLL, sizeof(qel_scroll_state));
    EXPECT_FLOAT_EQ(sc->content_h, 40 + 100000 * 40.0f);
    t.cursor = 50000;  // the caller moves the cursor: the table brings it into view
    t.rig.h.run(3);
    EXPECT_LE(t.first, 50000);
    EXPECT_GT(t.last, 50000);
    EXPECT_LT(t.last - t.first, 25);
    EXPECT_NE(t.rig.h.rect(t.row(50000)).h, 0);
}
