// The highlighter and the code block: token classes line by line in every language, the comment
// state carried across lines and kept right however few tokens are asked for, and the block as
// it lays out and draws its lines, gutter, header and highlighted range.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qel/code.h"
#include "qel/code_block.h"
#include "qel/qel.h"
#include "support/qel_inspect.h"
#include "support/widget_rig.h"

// The tokens of a line as "class[text]" joined by blanks; the class by its initial letter
// (P plain, K keyword, T type, S string, N number, C comment, F function, D directive,
// U punctuation, L literal).
static std::string classes_of(const char* language, const char* line, uint8_t* state)
{
    qel_code_token tokens[QEL_CODE_MAX_TOKENS];
    int32_t n = qel_code_tokenize(language, line, (int32_t)strlen(line), state, tokens, QEL_CODE_MAX_TOKENS);
    std::string out;
    for (int32_t i = 0; i < n; i++) {
        if (i) out += ' ';
        out += "PKTSNCFDUL"[tokens[i].token_class];
        out += '[' + std::string(line + tokens[i].start, (size_t)tokens[i].length) + ']';
    }
    return out;
}

struct scan_case {
    const char* language;
    const char* line;
    const char* tokens;
};

TEST(CodeTokenize, ClassesEveryLanguageByItsRules)
{
    static const scan_case cases[] = {
        {"c", "x = 1; // one", "P[x] P[ ] U[=] P[ ] N[1] U[;] P[ ] C[// one]"},
        {"c", "#include <stdio.h>", "D[#include] P[ ] U[<] P[stdio] U[.] P[h] U[>]"},
        {"c", "#", "D[#]"},
        {"cpp", "if (n) return Foo(x);", "K[if] P[ ] U[(] P[n] U[)] P[ ] K[return] P[ ] F[Foo] U[(] P[x] U[)] U[;]"},
        {"h", "size_t s = sizeof(int);", "T[size_t] P[ ] P[s] P[ ] U[=] P[ ] K[sizeof] U[(] T[int] U[)] U[;]"},
        {"c", "a /*/ b", "P[a] P[ ] C[/*/] P[ ] P[b]"},
        {"c", "a/b", "P[a] U[/] P[b]"},
        {"c", "0x1F 1e-5 1_000", "N[0x1F] P[ ] N[1e] U[-] N[5] P[ ] N[1_000]"},
        {"c", "s = \"a\\\"b\" 'c", "P[s] P[ ] U[=] P[ ] S[\"a\\\"b\"] P[ ] S['c]"},
        {"c", "`x`", "U[`] P[x] U[`]"},
        {"js", "let t = `a${b}`;", "K[let] P[ ] P[t] P[ ] U[=] P[ ] S[`a${b}`] U[;]"},
        {"typescript", "f(x: Promise)", "F[f] U[(] P[x] U[:] P[ ] T[Promise] U[)]"},
        {"py", "def f(): # note /* no", "K[def] P[ ] F[f] U[(] U[)] U[:] P[ ] C[# note /* no]"},
        {"python", "a /* b", "P[a] P[ ] U[/] U[*] P[ ] P[b]"},
        {"python", "None True self", "L[None] P[ ] L[True] P[ ] T[self]"},
        {"rust", "let v: Vec<u8> = Vec::new();",
         "K[let] P[ ] P[v] U[:] P[ ] T[Vec] U[<] T[u8] U[>] P[ ] U[=] P[ ] T[Vec] U[:] U[:] F[new] U[(] U[)] U[;]"},
        {"go", "func main() {", "K[func] P[ ] F[main] U[(] U[)] P[ ] U[{]"},
        {"sh", "echo Hello # hi", "K[echo] P[ ] P[Hello] P[ ] C[# hi]"},
        {"text", "Foo(\"s\", 42) // x", "F[Foo] U[(] S[\"s\"] U[,] P[ ] N[42] U[)] P[ ] U[/] U[/] P[ ] P[x]"},
        {nullptr, "Ab c true", "T[Ab] P[ ] P[c] P[ ] L[true]"},
        {"C", "if", "P[if]"},
        {"json", "{\"k\" : -12.5e+3, \"v\": \"s\"}",
         "U[{] F[\"k\"] P[ ] U[:] P[ ] N[-12.5e] U[+] N[3] U[,] P[ ] F[\"v\"] U[:] P[ ] S[\"s\"] U[}]"},
        {"json", "[true, nope, - 1]", "U[[] L[true] U[,] P[ ] L[nope] U[,] P[ ] U[-] P[ ] N[1] U[]]"},
        {"json", "\"a\\\\\"", "S[\"a\\\\\"]"},
        {"json", "\"a\\\"", "S[\"a\\\"]"},
    };
    for (const scan_case& c : cases) {
        uint8_t state = 0;
        EXPECT_EQ(classes_of(c.language, c.line, &state), c.tokens) << c.language << ": " << c.line;
        EXPECT_EQ(state, 0) << c.line;
    }
}

TEST(CodeTokenize, BlockCommentStateCarriesAcrossLines)
{
    uint8_t state = 0;
    EXPECT_EQ(classes_of("c", "int a; /* open", &state), "T[int] P[ ] P[a] U[;] P[ ] C[/* open]");
    EXPECT_EQ(state, 1);
    EXPECT_EQ(classes_of("c", "still inside", &state), "C[still inside]");
    EXPECT_EQ(state, 1);
    EXPECT_EQ(classes_of("c", "end */ x", &state), "C[end */] P[ ] P[x]");
    EXPECT_EQ(state, 0);
    state = 1;
    EXPECT_EQ(classes_of("c", "", &state), "") << "an empty line leaves the state alone";
    EXPECT_EQ(state, 1);
    state = 1;
    EXPECT_EQ(classes_of("python", "*/ x", &state), "C[*/] P[ ] P[x]") << "the caller's state is read as it is";
}

// A long line that opens and closes comments all along, ending inside one or not.
TEST(CodeTokenize, StateIsRightForEveryTokenLimit)
{
    std::string line;
    for (int i = 0; i < 60; i++) line += "a /* b */ c;";
    for (const char* tail : {"", " /* open", " /* x */ d", " // /*"}) {
        std::string text = line + tail;
        uint8_t full = 0;
        qel_code_lang c = qel_code_language("c");
        qel_code_token tokens[QEL_CODE_MAX_TOKENS];
        qel_code_scan_line(&c, false, text.data(), (int32_t)text.size(), &full, tokens, 256);
        for (int32_t max = -1; max <= 256; max++) {
            uint8_t state = 0;
            int32_t n = qel_code_scan_line(&c, false, text.data(), (int32_t)text.size(), &state, tokens, max);
            EXPECT_EQ(n, max < 1 ? 0 : std::min(max, 256)) << max;
            EXPECT_EQ(state, full) << "limit " << max << tail;
        }
        EXPECT_EQ(full, std::string(tail) == " /* open" ? 1 : 0) << tail;
    }
    qel_code_token many[400];
    uint8_t state = 0;
    EXPECT_EQ(qel_code_tokenize("c", line.data(), (int32_t)line.size(), &state, many, 400), 256)
        << "the public form writes at most 256";
}

TEST(CodePalette, FollowsTheThemeMode)
{
    qel_headless h;
    qel_color light[QEL_CODE_CLASS_COUNT], dark[QEL_CODE_CLASS_COUNT];
    qel_code_palette(h.ctx, light);
    EXPECT_EQ(light[QEL_CODE_PLAIN], qel_theme_color(h.ctx, QEL_COLOR_TEXT));
    EXPECT_EQ(light[QEL_CODE_COMMENT], qel_theme_color(h.ctx, QEL_COLOR_TEXT_MUTED));
    EXPECT_EQ(light[QEL_CODE_PUNCT], qel_theme_color(h.ctx, QEL_COLOR_TEXT_SECONDARY));
    EXPECT_EQ(light[QEL_CODE_KEYWORD], qel_color_oklch(0.52f, 0.20f, 305, 1));
    EXPECT_EQ(light[QEL_CODE_LITERAL], light[QEL_CODE_NUMBER]);
    qel_theme_set_mode(h.ctx, QEL_THEME_DARK);
    h.run(30);
    qel_code_palette(h.ctx, dark);
    EXPECT_EQ(dark[QEL_CODE_FUNCTION], qel_color_oklch(0.78f, 0.12f, 250, 1));
    EXPECT_EQ(dark[QEL_CODE_PLAIN], qel_theme_color(h.ctx, QEL_COLOR_TEXT));
    EXPECT_NE(dark[QEL_CODE_PLAIN], light[QEL_CODE_PLAIN]);
}

// --- The block ---

struct drawn_glyph {
    float x;
    qel_color color;
};

// Every glyph quad of the frame.
static std::vector<drawn_glyph> glyphs_drawn(const qel_draw_data& dd)
{
    std::vector<drawn_glyph> out;
    for (uint32_t i = 0; i + 3 < dd.vertex_count; i += 4)
        if (dd.vertices[i].kind == (float)QEL_SHAPE_GLYPH) out.push_back({dd.vertices[i].pos[0], dd.vertices[i].fill});
    return out;
}

// The tops of the rounded boxes filled with fill.
static std::vector<float> box_tops(const qel_draw_data& dd, qel_color fill)
{
    std::vector<float> tops;
    for (uint32_t i = 0; i + 3 < dd.vertex_count; i += 4) {
        const qel_vertex& v = dd.vertices[i];
        if (v.kind == (float)QEL_SHAPE_ROUNDED_BOX && v.fill == fill) tops.push_back(v.pos[1] - v.local[1] - v.half[1]);
    }
    return tops;
}

static const qel_node* block_body(qel_context* ctx)
{
    return node_with_draw(ctx, qel_code_block_draw);
}

TEST(CodeBlock, SizesItsBodyToTheLines)
{
    struct lines_case {
        const char* code;
        int lines;
    };
    static const lines_case cases[] = {{"", 1}, {"a", 1}, {"a\n", 1}, {"a\n\n", 2}, {"a\nb", 2}, {nullptr, 1}};
    widget_rig rig(500, 400);
    for (const lines_case& c : cases) {
        rig.h.ui = [&](qel_context* ctx) { qel_code_block(ctx, "b", c.code, nullptr); };
        rig.h.run();
        const qel_node* body = block_body(rig.h.ctx);
        ASSERT_NE(body, nullptr);
        EXPECT_FLOAT_EQ(body->rect.h, (float)c.lines * 1.6f * 13 + 32) << (c.code ? c.code : "null");
    }
    EXPECT_EQ(qel_last_item_id(rig.h.ctx), qel_id(rig.h.ctx, "b"));
    EXPECT_EQ(node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "b"))->direction_mode, 1) << "text keeps its order";
}

// The gutter holds the digits of the line count, at least two, so numbers never leave it.
TEST(CodeBlock, GutterGrowsWithTheLineCount)
{
    widget_rig rig(500, 400);
    std::string code;
    qel_code_block_opts o = {};
    o.show_line_numbers = 1;
    o.max_height = 200;
    rig.h.ui = [&](qel_context* ctx) { qel_code_block(ctx, "b", code.c_str(), &o); };
    float cw = qel_text_width(rig.h.ctx, QEL_FONT_MONO, 13, "0000000000000000", 16, 0) / 16;
    for (int lines : {1, 99, 100, 999, 1000, 12345}) {
        code.clear();
        for (int i = 0; i < lines; i++) code += "x\n";
        rig.h.run();
        int digits = lines >= 10000 ? 5 : lines >= 1000 ? 4 : lines >= 100 ? 3 : 2;
        EXPECT_FLOAT_EQ(block_body(rig.h.ctx)->min_w, (float)digits * cw + 20 + cw + 40) << lines;
    }
    o.show_line_numbers = 0;
    rig.h.run();
    EXPECT_FLOAT_EQ(block_body(rig.h.ctx)->min_w, cw + 40);
}

TEST(CodeBlock, HeaderOnlyWithATitleOrALanguage)
{
    widget_rig rig(500, 400);
    qel_code_block_opts o = {};
    rig.h.ui = [&](qel_context* ctx) { qel_code_block(ctx, "blk", "x", &o); };
    auto icon = [&](const char* glyph) { return node_with_text(rig.h.ctx, glyph) != nullptr; };
    rig.h.run();
    EXPECT_FALSE(icon(QEL_ICON_CODE) || icon(QEL_ICON_FILE_TEXT)) << "no header";
    o.language = "c";
    rig.h.run();
    EXPECT_TRUE(icon(QEL_ICON_CODE));
    EXPECT_NE(node_with_text(rig.h.ctx, "c"), nullptr);
    o.title = "main.c";
    rig.h.run();
    EXPECT_TRUE(icon(QEL_ICON_FILE_TEXT));
    EXPECT_NE(node_with_text(rig.h.ctx, "main.c"), nullptr);
    EXPECT_NE(node_with_text(rig.h.ctx, "c"), nullptr) << "the language moves to a badge";
    o.hide_header = 1;
    rig.h.run();
    EXPECT_FALSE(icon(QEL_ICON_FILE_TEXT));
}

TEST(CodeBlock, ScrollsBeyondItsMaximumHeight)
{
    widget_rig rig(500, 600);
    qel_code_block_opts o = {};
    o.max_height = 100;
    std::string code = "a\nb\nc\nd\n";
    rig.h.ui = [&](qel_context* ctx) { qel_code_block(ctx, "b", code.c_str(), &o); };
    rig.h.run();
    const qel_node* scroller = node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "b") ^ 0x5c0d);
    ASSERT_NE(scroller, nullptr);
    EXPECT_FLOAT_EQ(scroller->rect.h, 100);
    o.max_height = 1000;
    rig.h.run();
    EXPECT_FLOAT_EQ(scroller->rect.h, 4 * 1.6f * 13 + 32) << "fits the content below the maximum";
}

TEST(CodeBlock, HighlightsTheRangeOfLines)
{
    widget_rig rig(500, 400);
    qel_code_block_opts o = {};
    o.highlight_first = 2;
    o.highlight_last = 3;
    rig.h.ui = [&](qel_context* ctx) { qel_code_block(ctx, "b", "a\nb\nc\nd", &o); };
    rig.h.run();
    qel_color band = qel_color_alpha(qel_theme_color(rig.h.ctx, QEL_COLOR_TEXT), 0.08f);
    float line = 1.6f * 13;
    const qel_node* body = block_body(rig.h.ctx);
    std::vector<float> tops = box_tops(rig.h.draw_data(), band);
    ASSERT_EQ(tops.size(), 2u);
    EXPECT_NEAR(tops[0], body->rect.y + 16 + line - 1, 0.01);
    EXPECT_NEAR(tops[1], body->rect.y + 16 + 2 * line - 1, 0.01);
    o.highlight_last = 0;
    rig.h.run();
    EXPECT_EQ(box_tops(rig.h.draw_data(), band).size(), 1u) << "a last line below 1 is the first";
}

// The tokenizer keeps 256 tokens of a line; the block draws on to the line's end.
TEST(CodeBlock, DrawsLongLinesToTheirEnd)
{
    qel_headless h(30000, 300);  // wide enough that nothing is clipped
    std::string line;
    for (int i = 0; i < 1000; i++) line += "a,b";  // 3,000 tokens
    line += ",ZZ";
    h.ui = [&](qel_context* ctx) { qel_code_block(ctx, "b", line.c_str(), nullptr); };
    h.run();
    qel_color type = qel_color_oklch(0.52f, 0.11f, 200, 1);
    int typed = 0;
    for (const drawn_glyph& g : glyphs_drawn(h.draw_data())) typed += g.color == type;
    EXPECT_EQ(typed, 2) << "the capitalised word at the end is drawn as a type";
}

// A comment line that starts with a tab is drawn, each run after its tabs.
TEST(CodeBlock, DrawsCommentsThatStartWithATab)
{
    qel_headless h(600, 300);
    qel_code_block_opts o = {};
    o.language = "c";
    o.hide_header = 1;
    h.ui = [&](qel_context* ctx) { qel_code_block(ctx, "b", "/* one\n\ttwo\tx */", &o); };
    h.run();
    qel_color comment = qel_theme_color(h.ctx, QEL_COLOR_TEXT_MUTED);
    std::vector<float> xs;
    for (const drawn_glyph& g : glyphs_drawn(h.draw_data()))
        if (g.color == comment) xs.push_back(g.x);
    ASSERT_EQ(xs.size(), 11u) << "/* one, two, x */";
    const qel_node* body = node_with_draw(h.ctx, qel_code_block_draw);
    float cw = qel_text_width(h.ctx, QEL_FONT_MONO, 13, "0000000000000000", 16, 0) / 16;
    float left = body->rect.x + 16;
    EXPECT_NEAR(xs[5], left + 4 * cw, 2) << "two after a tab of four columns";
    EXPECT_NEAR(xs[8], left + 11 * cw, 2) << "x four columns after two: the block counts a tab as four";
}
