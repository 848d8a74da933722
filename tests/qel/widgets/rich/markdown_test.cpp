// The Markdown viewer as a user drives it: documents written out as the blocks they show, text
// wrapped at narrow widths, tables, lists and task boxes, links hovered and clicked, hostile
// documents, and pictures in light and dark.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "qel/qel.h"
#include "support/qel_inspect.h"
#include "support/widget_rig.h"
#include "widgets/rich/markdown_render.h"

namespace {

struct md_page {
    std::string text;
    qel_markdown_options options = {};
    qel_markdown_result result = {};
};

void show_page(qel_headless& h, md_page& page)
{
    h.ui = [&page](qel_context* ctx) {
        board_begin(ctx);
        page.options.length = (int32_t)page.text.size();
        page.result = qel_markdown(ctx, "md", page.text.c_str(), &page.options);
        qel_container_end(ctx);
    };
}

std::string runs_of(const qel_markdown_text_payload* p)
{
    std::string s;
    for (int32_t i = 0; i < p->count; i++) {
        if (i && p->runs[i].line != p->runs[i - 1].line) s += "/";
        s.append(p->runs[i].text, (size_t)p->runs[i].length);
    }
    return s;
}

// The blocks of the last frame in order: "P:" and "H:" text blocks (lines split by "/"), "m" and
// the number or depth of list markers, ">" quotes, "---" rules, "code" blocks and "[]" task boxes.
std::string outline(qel_context* ctx)
{
    std::string s;
    float body = qel_theme_block_get(ctx)->text_body;
    uint32_t root = qel_id(ctx, "md");
    for (int32_t i = 0; i < inspect_node_count(ctx); i++) {
        const qel_node* n = inspect_node(ctx, i);
        std::string item;
        if (n->draw == qel_markdown_draw_text) {
            const auto* p = (const qel_markdown_text_payload*)n->draw_user;
            item = (p->fonts.size > body + 0.5f ? "H:" : "P:") + runs_of(p);
        } else if (n->draw == qel_markdown_draw_marker) {
            const auto* m = (const qel_markdown_marker*)n->draw_user;
            item = m->ordered ? std::string("m") + m->number : "m" + std::to_string(m->depth);
        } else if (n->draw == qel_markdown_draw_quote_bar) {
            item = ">";
        } else if (n->draw == qel_code_block_draw) {
            item = "code";
        } else if (n->draw == qel_check_draw) {
            item = "[]";
        } else if (n->height.kind == QEL_SIZE_FIXED && n->height.value == 1 && n->fill &&
                   (inspect_node(ctx, n->parent)->id == root || inspect_node(ctx, n->parent)->draw == qel_markdown_draw_quote_bar)) {
            item = "---";
        }
        if (!item.empty()) s += (s.empty() ? "" : " ") + item;
    }
    return s;
}

struct block_case {
    std::string text;
    std::string blocks;
    bool streaming;
};

}  // namespace

class Markdown : public ::testing::Test {
protected:
    widget_rig rig{480, 600};
    md_page page;

    std::string blocks_of(const std::string& text, bool streaming = false)
    {
        page.text = text;
        page.options.streaming = streaming;
        show_page(rig.h, page);
        rig.h.run(2);
        return outline(rig.h.ctx);
    }
    void expect_blocks(const block_case* cases, size_t count)
    {
        for (size_t i = 0; i < count; i++)
            EXPECT_EQ(blocks_of(cases[i].text, cases[i].streaming), cases[i].blocks) << "text: " << cases[i].text;
    }
};

TEST_F(Markdown, BlocksOfTheirOwnKind)
{
    static const block_case cases[] = {
        {"", "", false},
        {"- - -", "---", false},
        {"***", "---", false},
        {"a\n---", "H:a", false},
        {"a\n2. b", "P:a 2. b", false},
        {"a\n1. b", "P:a m1. P:b", false},
        {"# Title ##", "H:Title", false},
        {"# #", "H:", false},
        {"#5 bolt", "P:#5 bolt", false},
        {"```c\nint a;\n``\nb", "code", false},
        {"~~~\na\n~~~\nb", "code P:b", false},
        {"    indented\n\n    more\nafter", "code P:after", false},
        {"> a\nb\n\nc", "> P:a b P:c", false},
        {"a  \nb\\\nc", "P:a/b/c", false},
        {"a\n==", "P:a", true},
        {"a\n==\n", "P:a", true},
        {"a\n==\nb", "H:a P:b", true},
        {"<div>x</div>", "P:<div>x</div>", false},
        {std::string("\0\0\0", 3), "P:" + std::string("\0\0\0", 3), false},
        {std::string("- [\0] a", 7), "m0 P:[" + std::string(1, '\0') + "] a", false},
    };
    expect_blocks(cases, std::size(cases));
}

TEST_F(Markdown, NestingDeeperThanTwelveIsParagraphText)
{
    EXPECT_EQ(blocks_of(std::string(12, '>') + " a"), "> > > > > > > > > > > > P:a");
    EXPECT_EQ(blocks_of(std::string(14, '>') + " a"), "> > > > > > > > > > > > > P:> a");
}

TEST_F(Markdown, ListsMarkersNestingAndTasks)
{
    static const block_case cases[] = {
        {"1234567890. a", "P:1234567890. a", false},
        {"9999999999) a", "P:9999999999) a", false},
        {"123456789. a", "m123456789. P:a", false},
        {"-a", "P:-a", false},
        {"-", "m0", false},
        {"- a\n  - b\n    - c\n      - d", "m0 P:a m1 P:b m2 P:c m3 P:d", false},
        {"- a\n* b", "m0 P:a m0 P:b", false},
        {"3) a\n7) b\n1. c", "m3) P:a m4) P:b m1. P:c", false},
        {"- [ ] a\n- [x] b\n- [y] c", "[] P:a [] P:b m0 P:[y] c", false},
        {"- a\nlazy\n- b", "m0 P:a lazy m0 P:b", false},
        {"- a\n\n  more\nlazy\n\nout", "m0 P:a P:more lazy P:out", false},
    };
    expect_blocks(cases, std::size(cases));
}

TEST_F(Markdown, LooseListsSpreadTheirItems)
{
    auto list_gap = [&](const char* text) {
        blocks_of(text);
        const qel_node* marker = node_with_draw(rig.h.ctx, qel_markdown_draw_marker);
        const qel_node* row = inspect_node(rig.h.ctx, marker->parent);
        return inspect_node(rig.h.ctx, row->parent)->gap;
    };
    EXPECT_EQ(list_gap("- a\n- b"), 4);
    EXPECT_EQ(list_gap("- a\n\n- b"), 10);
    EXPECT_EQ(list_gap("- a\n\n  c\n- b"), 10);
}

TEST_F(Markdown, ManyShortListsAndQuotesTakeMemoryInTheirOwnMeasure)
{
    std::string text;
    while (text.size() < 200000) text += "- a\n* b\n+ c\n1. d\n1) e\n> q\n\n";
    page.text = text;
    show_page(rig.h, page);
    rig.h.run();
    EXPECT_LT(rig.h.ctx->arena.used, text.size() * 200);
}

TEST_F(Markdown, TablesStartByTheirRules)
{
    struct start_case {
        const char* text;
        bool streaming;
        int32_t columns;
    };
    static const start_case cases[] = {
        {"a | b | c\n--|--", false, 0}, {"a | b | c\n--|--", true, 3}, {"a | b | c\n--|--\nx", true, 0},
        {"| a | b", false, 0},          {"| a | b", true, 2},          {"a | b", true, 0},
        {"a | b\n-|-", false, 2},       {"a | b\n    -|-", false, 0}, {"    a | b\n-|-", false, 0},
        {"a | b\n:-:|:", true, 2},      {"a | b\n|", false, 0},
    };
    for (const start_case& c : cases) {
        std::string text = c.text;
        qel_markdown_line lines[3];
        int32_t count = 0, start = 0;
        for (size_t i = 0; i <= text.size(); i++)
            if (i == text.size() || text[i] == '\n') {
                lines[count++] = {text.c_str() + start, (int32_t)i - start, start};
                start = (int32_t)i + 1;
            }
        qel_markdown_render r = {};
        r.streaming = c.streaming;
        r.trimmed = (int32_t)text.size();
        uint8_t align[QEL_MARKDOWN_MAX_CELLS];
        EXPECT_EQ(qel_markdown_table_start(&r, lines, count, 0, align), c.columns) << c.text << " " << c.streaming;
    }
    static const block_case shown[] = {
        {"a | b\n-|-\n1 \\| 2 | 3 | 4\n5 | 6 | x\n7", "P:1 | 2 P:3 P:5 P:6 P:7", false},
        {"a | b\n-|-\nonly", "P:only", false},
    };
    expect_blocks(shown, std::size(shown));
}

TEST_F(Markdown, TableRowsAndCellsSplitAsWritten)
{
    qel_markdown_line line = {"| a | b \\| c | |", 16, 0};
    qel_markdown_line cells[QEL_MARKDOWN_MAX_CELLS];
    ASSERT_EQ(qel_markdown_split_row(&line, cells), 3);
    EXPECT_EQ(std::string(cells[1].text, (size_t)cells[1].length), "b \\| c");
    EXPECT_EQ(cells[2].length, 0);

    std::string wide = "|", rule = "|";
    for (int i = 0; i < 40; i++) {
        wide += " c |";
        rule += i == 39 ? ":-:|" : "---|";
    }
    uint8_t align[QEL_MARKDOWN_MAX_CELLS];
    qel_markdown_line delimiter = {rule.c_str(), (int32_t)rule.size(), 0};
    EXPECT_EQ(qel_markdown_delimiter_row(&delimiter, align, false), 40);
    std::string bad = rule + "x|";
    qel_markdown_line broken = {bad.c_str(), (int32_t)bad.size(), 0};
    EXPECT_EQ(qel_markdown_delimiter_row(&broken, align, false), 0);
    qel_markdown_line lenient = {"|:-|::", 6, 0};
    EXPECT_EQ(qel_markdown_delimiter_row(&lenient, align, true), 2);
    EXPECT_EQ(align[1], 1);

    page.text = wide + "\n" + rule + "\n" + wide + "\n";
    show_page(rig.h, page);
    rig.h.run(2);
    int32_t cells_drawn = 0;
    for (int32_t i = 0; i < inspect_node_count(rig.h.ctx); i++)
        cells_drawn += inspect_node(rig.h.ctx, i)->draw == qel_markdown_draw_text;
    EXPECT_EQ(cells_drawn, 32);
}

TEST_F(Markdown, TextWrapsAtWordsAndBreaksLongWordsByCharacter)
{
    page.options.width = {QEL_SIZE_FIXED, 10};
    std::string narrow = blocks_of("iiii iiii iiii");
    page.options.width = {QEL_SIZE_FIXED, 24};
    EXPECT_EQ(blocks_of("iiii iiii iiii"), narrow);

    page.options.width = {QEL_SIZE_FIXED, 60};
    std::string word;
    for (int i = 0; i < 40; i++) word += "\xC3\xA9";
    std::string s = blocks_of("x " + word + "   y  **b**c");
    const auto* p = (const qel_markdown_text_payload*)node_with_draw(rig.h.ctx, qel_markdown_draw_text)->draw_user;
    int32_t lines = 0;
    for (int32_t i = 0; i < p->count; i++) {
        const qel_markdown_run& run = p->runs[i];
        EXPECT_NE((uint8_t)run.text[0] & 0xC0, 0x80) << "a run starts inside a character";
        EXPECT_GT(run.length, 0);
        EXPECT_LE(run.x + run.width, 60.5f + (run.x == 0 ? run.width : 0));
        lines = run.line + 1;
    }
    EXPECT_GT(lines, 3);
    EXPECT_NE(s.find("\xA9 y/bc"), std::string::npos) << s;
}

TEST_F(Markdown, CentredCellsCentreEachLine)
{
    page.options.width = {QEL_SIZE_FIXED, 200};
    blocks_of("a | b\n:-:|--\nword word word word word word word word | x");
    const auto* p = (const qel_markdown_text_payload*)node_with_draw(rig.h.ctx, qel_markdown_draw_text)->draw_user;
    ASSERT_GT(p->count, 1);
    for (int32_t i = 0; i < p->count; i++) {
        bool line_start = i == 0 || p->runs[i].line != p->runs[i - 1].line;
        if (line_start) {
            EXPECT_GT(p->runs[i].x, 0.5f) << i;
        }
    }
}

static uint32_t link_hit_id(qel_context* ctx, int32_t number)
{
    return qel_hash_bytes(&number, 4, qel_id(ctx, "md") ^ 0x3d11a);
}

TEST_F(Markdown, LinksAreHoveredAndClicked)
{
    page.text = "see [the site](http://a.b/c) or www.d.e now";
    show_page(rig.h, page);
    rig.h.run(2);
    uint32_t site = link_hit_id(rig.h.ctx, 0), bare = link_hit_id(rig.h.ctx, 1);
    rig.move_to(site);
    rig.h.run();
    ASSERT_NE(page.result.hovered, nullptr);
    EXPECT_STREQ(page.result.hovered, "http://a.b/c");
    EXPECT_EQ(qel_requested_cursor(rig.h.ctx), QEL_CURSOR_HAND);
    rig.click_on(bare);
    EXPECT_STREQ(page.result.clicked, "http://www.d.e");

    page.options.width = {QEL_SIZE_FIXED, 90};
    page.text = "a [link that wraps over lines](x)";
    rig.h.run(2);
    int32_t hits = 0;
    for (int32_t i = 0; i < inspect_node_count(rig.h.ctx); i++) hits += inspect_node(rig.h.ctx, i)->id == site;
    EXPECT_GE(hits, 2);
}

TEST_F(Markdown, TaskBoxesReportTheirToggleAndWriteItBack)
{
    char source[] = "intro\n\n- [ ] tea\n- [x] cups";
    page.text = source;
    show_page(rig.h, page);
    rig.h.run(2);
    EXPECT_EQ(page.result.task_offset, -1);
    uint32_t box = scoped_id(rig.h.ctx, "md", "##task10") ^ PART_CHECKBOX;
    rig.click_on(box);
    EXPECT_EQ(page.result.task_offset, 10);
    EXPECT_EQ(page.result.task_line, 3);
    EXPECT_TRUE(page.result.task_checked);
    qel_markdown_result r = page.result;
    ASSERT_TRUE(qel_markdown_toggle_task(source, &r));
    EXPECT_STREQ(source, "intro\n\n- [x] tea\n- [x] cups");
    r.task_checked = 0;
    ASSERT_TRUE(qel_markdown_toggle_task(source, &r));
    EXPECT_EQ(source[10], ' ');

    static const int32_t refused[] = {-1, 0, 3, 11, 27, 400};
    for (int32_t offset : refused) {
        r.task_offset = offset;
        EXPECT_FALSE(qel_markdown_toggle_task(source, &r)) << offset;
    }
    EXPECT_STREQ(source, "intro\n\n- [ ] tea\n- [x] cups");
    EXPECT_FALSE(qel_markdown_toggle_task(nullptr, &r));
}

TEST_F(Markdown, CheckedTasksAreMuted)
{
    blocks_of("- [x] done\n- [ ] open");
    const qel_node* first = node_with_draw(rig.h.ctx, qel_markdown_draw_text);
    const auto* p = (const qel_markdown_text_payload*)first->draw_user;
    EXPECT_EQ(p->text, qel_theme_color(rig.h.ctx, QEL_COLOR_TEXT_SECONDARY));
}

// A long document in a scroll area, scrolled into its middle: what lies far from the display
// stands in as spacers without changing what shows, which link is which or which task a box
// reports; with keyboard focus shown everything is built again.
class MarkdownScrolled : public ::testing::Test {
protected:
    widget_rig rig{480, 400};
    md_page page;
    qel_context* ctx = rig.h.ctx;

    void show(const std::string& doc, float at)
    {
        page.text = doc;
        rig.h.ui = [this](qel_context* c) {
            qel_style s = {};
            s.name = "view";
            s.width = {QEL_SIZE_GROW, 1};
            s.height = {QEL_SIZE_GROW, 1};
            s.scroll_y = 1;
            qel_container_begin(c, &s);
            page.options.length = (int32_t)page.text.size();
            page.result = qel_markdown(c, "md", page.text.c_str(), &page.options);
            qel_container_end(c);
        };
        rig.h.run(2);
        auto* scroll = (qel_scroll_state*)qel_state_find(ctx, qel_id(ctx, "view"), sizeof(qel_scroll_state), false);
        ASSERT_NE(scroll, nullptr);
        ASSERT_GT(scroll->content_h, 8000);
        scroll->scroll_y = scroll->target_y = scroll->content_h * at;
        rig.h.run(3);
    }
    // The first link numbered from 0 whose hit node lies inside the view.
    int32_t link_in_view(int32_t links)
    {
        for (int32_t i = 0; i < links; i++) {
            qel_rect r = rig.h.rect(link_hit_id(ctx, i));
            if (r.h > 0 && r.y > 20 && r.y + r.h < 380) return i;
        }
        return -1;
    }
    void expect_view_as_built_whole()
    {
        int32_t stood_in = inspect_node_count(ctx);
        picture culled = rig.shot();
        qel_set_focus(ctx, qel_id(ctx, "elsewhere"), true);
        rig.h.run(2);
        EXPECT_GT(inspect_node_count(ctx), 3 * stood_in);
        EXPECT_TRUE(culled.rgba == rig.shot().rgba);
        qel_set_focus(ctx, 0, false);
        rig.h.run(3);
        EXPECT_EQ(inspect_node_count(ctx), stood_in);
    }
};

TEST_F(MarkdownScrolled, FarBlocksStandIn)
{
    std::string doc;
    for (int i = 0; i < 60; i++) {
        std::string n = std::to_string(i);
        doc += "## Part " + n + "\n\nText with [link " + n + "](u" + n + ") and *more* words.\n\n- [ ] task " + n +
               "\n- item\n\n```\ncode " + n + "\n```\n\n| a | b |\n|---|---|\n| " + n + " | x |\n\n> quote " + n + "\n\n";
    }
    show(doc, 0.5f);
    expect_view_as_built_whole();
    int32_t shown = link_in_view(60);
    ASSERT_GE(shown, 10);
    rig.click_on(link_hit_id(ctx, shown));
    EXPECT_STREQ(page.result.clicked, ("u" + std::to_string(shown)).c_str());
    std::string task = "- [ ] task " + std::to_string(shown);
    int32_t offset = (int32_t)doc.find(task) + 3;
    rig.click_on(scoped_id(ctx, "md", ("##task" + std::to_string(offset)).c_str()) ^ PART_CHECKBOX);
    EXPECT_EQ(page.result.task_offset, offset);
    EXPECT_EQ(page.result.task_line, 1 + (int32_t)std::count(doc.begin(), doc.begin() + offset, '\n'));
}

// A long table: one-line rows far away stand in, a run of wrapped rows is built and keeps the
// rows after it from standing in above the view; the row under the pointer shows its hover.
TEST_F(MarkdownScrolled, FarTableRowsStandIn)
{
    std::string doc = "Intro with [first](u0).\n\n| n | text | link |\n|---|---|---|\n";
    for (int i = 1; i < 300; i++) {
        std::string n = std::to_string(i);
        std::string text = "x";
        if (i >= 150 && i < 170)
            for (int k = 0; k < 4; k++) text += " words that wrap over several lines, more than a view's height in all";
        doc += "| " + n + " | " + text + " | [l" + n + "](u" + n + ") |\n";
    }
    show(doc, 0.66f);
    rig.h.move(240, 200);
    rig.h.run(2);
    expect_view_as_built_whole();
    int32_t shown = link_in_view(300);
    ASSERT_GE(shown, 160);
    rig.click_on(link_hit_id(ctx, shown));
    EXPECT_STREQ(page.result.clicked, ("u" + std::to_string(shown)).c_str());
}

// A megabyte of each hostile pattern renders a frame; the benchmark holds the time.
TEST_F(Markdown, HostileDocumentsRender)
{
    static const char* const units[] = {"[a](b (", "[a](x", "[a](<", "- a\n* b\n", "*", "`a", "\\", "![",
                                        "verylongword"};
    for (const char* unit : units) {
        std::string text;
        while (text.size() < (1u << 20)) text += unit;
        blocks_of(text);
    }
    blocks_of(std::string(200000, '>') + " a");
    std::string nested;
    while (nested.size() < (1u << 20)) {
        for (int i = 0; i < 3000; i++) nested += "- ";
        nested += "a\n";
    }
    blocks_of(nested);
    std::string row = "|", table;
    for (int i = 0; i < 40; i++) row += " c |";
    table = row + "\n" + std::string("|") + std::string(40 * 4, '-') + "\n";
    while (table.size() < (1u << 20)) table += row + "\n";
    EXPECT_FALSE(blocks_of(table).empty());
}

// --- Pictures ---

static const char* const PICTURE_DOC =
    "# Tea labels\n"
    "Prices for **Sencha**, *Oolong* and `Genmaicha`; see [the list](http://tea.example) or ~~old~~ www.tea.example.\n"
    "\n"
    "> Printed on 2x1 stock.\n"
    "> Keep rolls dry.\n"
    "\n"
    "1. Open the sheet\n"
    "2. Check the columns\n"
    "   - name\n"
    "   - price\n"
    "     - [x] rounded\n"
    "     - [ ] with tax\n"
    "\n"
    "| Tea | Price | Stock |\n"
    "|:----|:-----:|------:|\n"
    "| Sencha | 4.50 | 12 |\n"
    "| Oolong | 5.20 | 3 |\n"
    "\n"
    "```c\n"
    "int main(void) { return 0; }\n"
    "```\n"
    "---\n"
    "###### Small print\n";

class MarkdownPictures : public themed_pictures {
protected:
    MarkdownPictures() : themed_pictures("qel/markdown_") {}
};

TEST_P(MarkdownPictures, DocumentWithEveryBlock)
{
    widget_rig rig(560, 720, GetParam());
    md_page page;
    page.text = PICTURE_DOC;
    show_page(rig.h, page);
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "document"));
}

TEST_P(MarkdownPictures, CompactWithACustomColour)
{
    widget_rig rig(560, 620, GetParam());
    md_page page;
    page.text = PICTURE_DOC;
    page.options.compact = 1;
    page.options.color = 0xFF8A4B2Au;
    show_page(rig.h, page);
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "compact"));
}

INSTANTIATE_TEST_SUITE_P(Themes, MarkdownPictures, theme_modes(), theme_name);
