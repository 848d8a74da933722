// The kanban board as a user drives it: cards dragged between columns and within one, picked up
// and carried with the keyboard, clicks that are not drags, and a drag in light and dark.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"
#include "planning_gestures.h"

static const char* const TITLES[] = {"To print", "Printing", "Done"};

// A board over the caller's columns of card ids, carrying out every reported move.
struct board_driver {
    widget_rig rig;
    std::vector<std::vector<uint32_t>> columns = {{1, 2, 3}, {4, 5}, {6}};
    std::vector<qel_kanban_move> moves;
    std::vector<uint32_t> clicks;
    int32_t limit = 0;

    explicit board_driver(uint32_t mode = QEL_THEME_LIGHT, bool reduced_motion = true)
        : rig(960, 420, mode, reduced_motion)
    {
        rig.h.ui = [this](qel_context* ctx) { frame(ctx); };
        rig.h.run(2);
    }

    void frame(qel_context* ctx)
    {
        board_begin(ctx);
        qel_kanban_begin(ctx, "board");
        for (size_t c = 0; c < columns.size(); c++) {
            qel_kanban_column_options o = {};
            o.color = qel_color_token((qel_theme_slot)(QEL_COLOR_SUCCESS + c));
            o.limit = c == 1 ? limit : 0;
            o.width = 240;
            qel_kanban_column_begin(ctx, TITLES[c], (int32_t)columns[c].size(), &o);
            for (uint32_t card : columns[c]) {
                if (qel_kanban_card(ctx, card)) clicks.push_back(card);
                qel_text_sized(ctx, ("Label run " + std::to_string(card)).c_str(), QEL_FONT_MEDIUM, 13,
                               qel_color_token(QEL_COLOR_TEXT));
                qel_text_sized(ctx, card % 2 ? "2x1 labels, zebra" : "Price tags", QEL_FONT_BODY, 12,
                               qel_color_token(QEL_COLOR_TEXT_MUTED));
                qel_kanban_pop(ctx);
            }
            qel_kanban_column_end(ctx);
        }
        qel_kanban_move m = {};
        if (qel_kanban_end(ctx, &m)) {
            moves.push_back(m);
            auto& from = columns[(size_t)m.from_column];
            from.erase(std::find(from.begin(), from.end(), m.card_id));
            auto& to = columns[(size_t)m.to_column];
            to.insert(to.begin() + std::min<ptrdiff_t>(m.index, (ptrdiff_t)to.size()), m.card_id);
        }
        qel_container_end(ctx);
    }

    qel_rect card(uint32_t card_id)
    {
        uint32_t board = qel_hash_str("board", 0x9e3779b9u);
        return rig.h.rect(qel_hash_bytes(&card_id, 4, board ^ PART_KANBAN_CARD));
    }
    qel_rect column(int32_t index)
    {
        uint32_t board = qel_hash_str("board", 0x9e3779b9u);
        return rig.h.rect(qel_hash_bytes(&index, 4, board ^ PART_KANBAN_COLUMN));
    }
    // Presses the card's middle, moves in steps to (x, y) and lets go there.
    void drag(uint32_t card_id, float x, float y)
    {
        qel_rect r = card(card_id);
        drag_along(rig.h, {r.x + r.w / 2, r.y + r.h / 2}, {x, y}, 6);
        rig.h.run();
    }
};

TEST(KanbanBoard, CardsDragBetweenColumnsAndWithinOne)
{
    board_driver b;
    // Below the last card of the next column: inserted at its end.
    qel_rect last = b.card(5);
    b.drag(1, last.x + last.w / 2, last.y + last.h + 30);
    ASSERT_EQ(b.moves.size(), 1u);
    EXPECT_EQ(b.moves[0].card_id, 1u);
    EXPECT_EQ(b.moves[0].from_column, 0);
    EXPECT_EQ(b.moves[0].to_column, 1);
    EXPECT_EQ(b.moves[0].index, 2);
    EXPECT_EQ(b.columns[1], (std::vector<uint32_t>{4, 5, 1}));

    // Over the top half of the first card of the last column: inserted above it.
    qel_rect six = b.card(6);
    b.drag(3, six.x + six.w / 2, six.y + 6);
    ASSERT_EQ(b.moves.size(), 2u);
    EXPECT_EQ(b.moves[1].to_column, 2);
    EXPECT_EQ(b.moves[1].index, 0);
    EXPECT_EQ(b.columns[2], (std::vector<uint32_t>{3, 6}));

    // Dropped back where it was: the same column and its old index among the others.
    qel_rect four = b.card(4);
    b.drag(4, four.x + four.w / 2 + 20, four.y + four.h / 2 - 6);
    ASSERT_EQ(b.moves.size(), 3u);
    EXPECT_EQ(b.moves[2].from_column, 1);
    EXPECT_EQ(b.moves[2].to_column, 1);
    EXPECT_EQ(b.moves[2].index, 0);
    EXPECT_EQ(b.columns[1], (std::vector<uint32_t>{4, 5, 1}));
    EXPECT_TRUE(b.clicks.empty());
}

TEST(KanbanBoard, ShortPressesClickAndDropsOutsideGoHome)
{
    board_driver b;
    qel_rect r = b.card(2);
    b.drag(2, r.x + r.w / 2 + 3, r.y + r.h / 2 + 3);  // 18 squared pixels of travel
    EXPECT_EQ(b.clicks, (std::vector<uint32_t>{2}));
    EXPECT_TRUE(b.moves.empty());

    // Far below every column's band, or let go outside the window: no move.
    b.drag(2, 900, 10);  // beyond the last column's zone
    EXPECT_TRUE(b.moves.empty());
    qel_rect c = b.card(2);
    press_and_leave(b.rig.h, {c.x + 20, c.y + 20}, {c.x + 300, c.y + 40});
    drop_outside(b.rig.h);
    EXPECT_TRUE(b.moves.empty());
    EXPECT_EQ(b.columns[0], (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(b.clicks.size(), 1u);
}

TEST(KanbanBoard, KeyboardCarriesACard)
{
    struct {
        std::vector<int32_t> keys;
        int32_t to_column, index;  // -1: no move
    } cases[] = {
        {{QEL_KEY_RIGHT, QEL_KEY_DOWN, QEL_KEY_DOWN, QEL_KEY_ENTER}, 1, 2},
        {{QEL_KEY_RIGHT, QEL_KEY_RIGHT, QEL_KEY_DOWN, QEL_KEY_DOWN, QEL_KEY_SPACE}, 2, 1},  // the end of a short column
        {{QEL_KEY_RIGHT, QEL_KEY_RIGHT, QEL_KEY_RIGHT, QEL_KEY_LEFT, QEL_KEY_ENTER}, 1, 0},
        {{QEL_KEY_DOWN, QEL_KEY_DOWN, QEL_KEY_UP, QEL_KEY_ENTER}, 0, 1},
        {{QEL_KEY_RIGHT, QEL_KEY_ESCAPE, QEL_KEY_ENTER}, -1, 0},
    };
    for (const auto& c : cases) {
        board_driver b;
        // Tab brings the keyboard focus to the first focusable item; walk it to card 1.
        uint32_t board = qel_hash_str("board", 0x9e3779b9u);
        uint32_t card = 1;
        qel_set_focus(b.rig.h.ctx, qel_hash_bytes(&card, 4, board ^ PART_KANBAN_CARD), true);
        b.rig.h.run();
        b.rig.h.tap(QEL_KEY_SPACE);
        b.rig.h.run();
        for (int32_t key : c.keys) {
            b.rig.h.tap(key);
            b.rig.h.run();
        }
        if (c.to_column < 0) {
            EXPECT_TRUE(b.moves.empty());
            EXPECT_EQ(b.columns[0], (std::vector<uint32_t>{1, 2, 3}));
            continue;
        }
        ASSERT_EQ(b.moves.size(), 1u);
        EXPECT_EQ(b.moves[0].card_id, 1u);
        EXPECT_EQ(b.moves[0].from_column, 0);
        EXPECT_EQ(b.moves[0].to_column, c.to_column);
        EXPECT_EQ(b.moves[0].index, c.index);
    }
}

// Lifting a card with the keyboard and putting it straight down leaves the column's order alone.
TEST(KanbanBoard, AKeyboardLiftStartsAtTheCardsOwnRow)
{
    for (int32_t row = 0; row < 3; row++) {
        board_driver b;
        uint32_t board = qel_hash_str("board", 0x9e3779b9u), card = b.columns[0][(size_t)row];
        qel_set_focus(b.rig.h.ctx, qel_hash_bytes(&card, 4, board ^ PART_KANBAN_CARD), true);
        b.rig.h.run();
        for (int32_t key : {QEL_KEY_SPACE, QEL_KEY_ENTER}) {
            b.rig.h.tap(key);
            b.rig.h.run();
        }
        ASSERT_EQ(b.moves.size(), 1u) << "card " << card;
        EXPECT_EQ(b.moves[0].to_column, 0);
        EXPECT_EQ(b.moves[0].index, row) << "card " << card;
        EXPECT_EQ(b.columns[0], (std::vector<uint32_t>{1, 2, 3})) << "card " << card;
    }
}

TEST(KanbanBoard, LimitsAndCallsWithoutABoard)
{
    board_driver b;
    b.limit = 3;
    b.columns[1] = {4, 5, 7, 8};
    b.rig.h.run(2);
    const qel_node* count = node_with_text(b.rig.h.ctx, "4 / 3");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->text_color, qel_theme_color(b.rig.h.ctx, QEL_COLOR_DANGER));
    b.limit = 5;
    b.rig.h.run();
    EXPECT_EQ(node_with_text(b.rig.h.ctx, "4 / 5")->text_color, qel_theme_color(b.rig.h.ctx, QEL_COLOR_TEXT_MUTED));

    b.rig.h.ui = [](qel_context* ctx) {
        EXPECT_EQ(qel_kanban_column_begin(ctx, "x", 1, nullptr), 0);
        EXPECT_EQ(qel_kanban_card(ctx, 9), 0);
        qel_kanban_pop(ctx);
        qel_kanban_column_end(ctx);
        qel_kanban_move m = {7, 7, 7, 7};
        EXPECT_EQ(qel_kanban_end(ctx, &m), 0);
        EXPECT_EQ(m.card_id, 7u);
    };
    b.rig.h.run(2);
}

class KanbanPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(KanbanPictures, CardCarriedOverAnotherColumn)
{
    board_driver b(GetParam());
    qel_rect r = b.card(2), four = b.card(4);
    b.rig.h.move(r.x + 40, r.y + 20);
    b.rig.h.run();
    b.rig.h.button(0, true);
    b.rig.h.run();
    b.rig.h.move(four.x + 60, four.y + four.h + 4);
    b.rig.h.run(3);
    EXPECT_TRUE(picture_matches(b.rig.shot(), themed_picture("qel/planning_", "kanban", GetParam()), PICTURE_TOLERANCE));
    b.rig.h.button(0, false);
    b.rig.h.run();
    EXPECT_EQ(b.columns[1], (std::vector<uint32_t>{4, 2, 5}));
}

INSTANTIATE_TEST_SUITE_P(Themes, KanbanPictures, theme_modes(), theme_name);
