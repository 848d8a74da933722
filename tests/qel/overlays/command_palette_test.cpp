// The command palette driven as a user drives it: fuzzy ranking as the query is typed, the
// highlight under Up, Down and typing, group captions, choosing by Enter or click, Escape and the
// scrim, a query matching nothing, and the palette above a dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const qel_command COMMANDS[] = {
    {"Copy", nullptr, "Edit", "Ctrl C"},
    {"Paste", nullptr, "Edit", nullptr},
    {"Open file", nullptr, "File", "Ctrl O"},
    {"Print labels", nullptr, "Edit", nullptr},
};

struct palette_rig {
    widget_rig rig;
    uint8_t open = 1, dialog = 0;
    int32_t last = -1;
    int chosen_frames = 0;

    palette_rig() : rig(600, 500)
    {
        rig.h.ui = [this](qel_context* ctx) {
            if (qel_dialog_begin(ctx, "Settings", &dialog, nullptr)) qel_dialog_end(ctx);
            int32_t r = qel_command_palette(ctx, &open, COMMANDS, 4);
            if (r >= 0) {
                last = r;
                chosen_frames++;
            }
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t palette() { return qel_id(ctx(), "#command-palette"); }
    uint32_t row(uint32_t index) { return qel_hash_bytes(&index, sizeof index, palette()); }
    // The commands' indexes in the order their rows are laid out.
    std::vector<uint32_t> order()
    {
        std::vector<std::pair<float, uint32_t>> rows;
        for (uint32_t i = 0; i < 4; i++)
            if (node_with_id(ctx(), row(i))) rows.push_back({rig.h.rect(row(i)).y, i});
        std::sort(rows.begin(), rows.end());
        std::vector<uint32_t> out;
        for (auto& r : rows) out.push_back(r.second);
        return out;
    }
    int32_t highlighted()
    {
        for (uint32_t i = 0; i < 4; i++) {
            const qel_node* n = node_with_id(ctx(), row(i));
            if (n && n->fill == qel_color_token(QEL_COLOR_ACTIVE)) return (int32_t)i;
        }
        return -1;
    }
    void type(const char* text)
    {
        rig.h.type(text);
        rig.h.run(2);
    }
};

TEST(CommandPalette, RanksFuzzyMatchesAsTheQueryIsTyped)
{
    palette_rig p;
    EXPECT_EQ(p.order(), (std::vector<uint32_t>{0, 1, 2, 3}));
    p.type("op");
    EXPECT_EQ(p.order(), (std::vector<uint32_t>{2, 0})) << "Open file scores 8, Copy 5";
    p.rig.h.tap(QEL_KEY_BACKSPACE);
    p.rig.h.run();
    p.type("f");
    EXPECT_EQ(p.order(), (std::vector<uint32_t>{2})) << "o, f: the f starts a word of Open file only";
}

TEST(CommandPalette, TheHighlightFollowsKeysAndTypingAndEnterChoosesOnce)
{
    palette_rig p;
    EXPECT_EQ(p.highlighted(), 0);
    p.rig.h.tap(QEL_KEY_UP);
    p.rig.h.run();
    EXPECT_EQ(p.highlighted(), 3) << "Up from the first row wraps to the last";
    p.type("p");
    std::vector<uint32_t> ranked = p.order();
    ASSERT_EQ(ranked, (std::vector<uint32_t>{1, 3, 0, 2})) << "word starts first, ties in array order";
    EXPECT_EQ(p.highlighted(), 1) << "typing goes back to the first row";
    p.rig.h.tap(QEL_KEY_DOWN);
    p.rig.h.tap(QEL_KEY_ENTER);
    p.rig.h.run(5);
    EXPECT_EQ(p.last, 3);
    EXPECT_EQ(p.chosen_frames, 1) << "the choice is reported in its frame only";
    EXPECT_EQ(p.open, 0);
}

TEST(CommandPalette, GroupCaptionsFollowRunsOfAGroup)
{
    palette_rig p;
    int edit = 0, file = 0;
    for (int32_t i = 0; i < inspect_node_count(p.ctx()); i++) {
        const qel_node& n = *inspect_node(p.ctx(), i);
        if (!(n.flags & QEL_NODE_TEXT) || !n.text) continue;
        edit += strcmp(n.text, "Edit") == 0;
        file += strcmp(n.text, "File") == 0;
    }
    EXPECT_EQ(edit, 2) << "Edit, File, then Edit again";
    EXPECT_EQ(file, 1);
}

TEST(CommandPalette, AClickChoosesAndEscapeOrTheScrimDismiss)
{
    palette_rig p;
    qel_vec2 paste = p.rig.centre(p.row(1));
    p.rig.h.click(paste.x, paste.y);
    EXPECT_EQ(p.last, 1);
    EXPECT_EQ(p.open, 0);

    p.open = 1;
    p.rig.h.run(2);
    p.rig.h.tap(QEL_KEY_ESCAPE);
    p.rig.h.run();
    EXPECT_EQ(p.open, 0);
    p.open = 1;
    p.rig.h.run(2);
    p.rig.h.click(5, 495);
    EXPECT_EQ(p.open, 0);
}

TEST(CommandPalette, NothingMatchedLeavesUpAndDownNothingToDo)
{
    palette_rig p;
    p.type("zzz");
    EXPECT_NE(node_with_text(p.ctx(), "No results found"), nullptr);
    p.rig.h.tap(QEL_KEY_DOWN);
    p.rig.h.tap(QEL_KEY_UP);
    p.rig.h.tap(QEL_KEY_ENTER);
    p.rig.h.run();
    EXPECT_EQ(p.last, -1);
    EXPECT_EQ(p.open, 1);
}

TEST(CommandPalette, ItSitsAboveADialogAndTakesItsEscape)
{
    palette_rig p;
    p.open = 0;
    p.dialog = 1;
    p.rig.h.run(3);
    p.open = 1;
    p.rig.h.run(3);
    p.rig.h.tap(QEL_KEY_ESCAPE);
    p.rig.h.run();
    EXPECT_EQ(p.open, 0);
    EXPECT_EQ(p.dialog, 1);
}
