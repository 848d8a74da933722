// The JSON parser's errors with their positions, lines and columns, its limits of depth and
// size, and the tree view as a user folds and unfolds it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/json.h"
#include "qel/json_view.h"
#include "qel/qel.h"
#include "support/qel_inspect.h"
#include "support/widget_rig.h"

struct parsed {
    int32_t valid;
    qel_json_parser parser;
    std::vector<qel_json_node> nodes;
};

static parsed parse_json(const std::string& text, int32_t capacity = QEL_JSON_VIEW_NODES)
{
    parsed p;
    p.nodes.resize((size_t)capacity);
    p.valid = qel_json_parse(&p.parser, text.data(), text.size(), p.nodes.data(), capacity);
    return p;
}

struct error_case {
    const char* text;
    const char* message;
    int32_t position, line, column;
};

TEST(JsonParse, ReportsTheFirstErrorWhereItWasFound)
{
    static const error_case cases[] = {
        {"", "unexpected end", 0, 1, 1},
        {"  \n ", "unexpected end", 4, 2, 2},
        {"[1,2,]", "unexpected character", 5, 1, 6},
        {"{\"a\":1,}", "expected a string", 7, 1, 8},
        {"{} x", "unexpected text after the value", 3, 1, 4},
        {"{\"a\" 1}", "expected ':'", 5, 1, 6},
        {"{\"a\"", "expected ':'", 4, 1, 5},
        {"{\"a\":1 \"b\":2}", "expected ',' or '}'", 7, 1, 8},
        {"{\"a\":1", "expected ',' or '}'", 6, 1, 7},
        {"[1 2]", "expected ',' or ']'", 3, 1, 4},
        {"[1,\n 2", "expected ',' or ']'", 6, 2, 3},
        {"[\n  \"ab\ncd\"]", "control character in string", 7, 2, 6},
        {"\"abc", "unterminated string", 4, 1, 5},
        {"\"ab\\", "unterminated string", 4, 1, 5},
        {"{1:2}", "expected a string", 1, 1, 2},
        {"tru", "unexpected character", 0, 1, 1},
        {"nul", "unexpected character", 0, 1, 1},
        {"fals", "unexpected character", 0, 1, 1},
        {"[+1]", "unexpected character", 1, 1, 2},
        {"[1,\n\n  @]", "unexpected character", 7, 3, 3},
    };
    for (const error_case& c : cases) {
        parsed p = parse_json(c.text);
        EXPECT_EQ(p.valid, 0) << c.text;
        EXPECT_STREQ(p.parser.error, c.message) << c.text;
        EXPECT_EQ(p.parser.error_position, c.position) << c.text;
        int32_t line = 0, column = 0;
        qel_json_line_column(c.text, p.parser.error_position, &line, &column);
        EXPECT_EQ(line, c.line) << c.text;
        EXPECT_EQ(column, c.column) << c.text;
    }
}

// The words are compared within the text, never past its end.
TEST(JsonParse, WordsAndNumbersAreTakenAsTheyStand)
{
    std::string words = "[true,false,null,1-2e+5,\"a\\q\"]";
    parsed p = parse_json(words);
    ASSERT_EQ(p.valid, 1);
    ASSERT_EQ(p.parser.count, 6);
    EXPECT_EQ(p.nodes[1].kind, QEL_JSON_BOOL);
    EXPECT_EQ(p.nodes[2].value_length, 5);
    EXPECT_EQ(p.nodes[3].kind, QEL_JSON_NULL);
    EXPECT_EQ(p.nodes[4].kind, QEL_JSON_NUMBER);
    EXPECT_EQ(words.substr((size_t)p.nodes[4].value_start, (size_t)p.nodes[4].value_length), "1-2e+5");
    EXPECT_EQ(words.substr((size_t)p.nodes[5].value_start, (size_t)p.nodes[5].value_length), "\"a\\q\"");
    for (const char* cut : {"t", "tr", "true", "f", "fals", "n"}) {
        std::string text = cut;
        std::vector<char> exact(text.begin(), text.end());  // no terminator after the bytes
        qel_json_node nodes[4];
        qel_json_parser parser;
        int32_t valid = qel_json_parse(&parser, exact.data(), exact.size(), nodes, 4);
        EXPECT_EQ(valid, text == "true") << cut;
    }
    qel_json_parser parser;
    qel_json_node node;
    EXPECT_EQ(qel_json_parse(&parser, "1", (size_t)1 << 31, &node, 1), 0);
    EXPECT_STREQ(parser.error, "too large");
}

TEST(JsonParse, LimitsDepthAndSize)
{
    auto nested = [](int levels) { return std::string((size_t)levels, '[') + std::string((size_t)levels, ']'); };
    EXPECT_EQ(parse_json(nested(65)).valid, 1) << "values down to depth 64";
    parsed deep = parse_json(nested(66));
    EXPECT_STREQ(deep.parser.error, "nested too deeply");
    EXPECT_EQ(deep.parser.error_position, 65);
    std::string many = "[";
    for (int i = 0; i < 4095; i++) many += i ? ",0" : "0";
    EXPECT_EQ(parse_json(many + "]").valid, 1) << "4,096 values fit";
    parsed big = parse_json(many + ",0]");
    EXPECT_STREQ(big.parser.error, "too large");
    EXPECT_EQ(big.parser.error_position, (int32_t)many.size() + 1);
}

// --- The view ---

static uint32_t row_id(qel_context* ctx, const char* label, int32_t index)
{
    return qel_hash_bytes(&index, 4, qel_id(ctx, label));
}

TEST(JsonView, FoldsBelowTheExpandDepthAndOnClicks)
{
    widget_rig rig(500, 500);
    std::string text = R"({"tea": {"kind": [1, 2], "one": {"a": 1}}, "n": null})";
    int32_t valid = -1;
    rig.h.ui = [&](qel_context* ctx) { valid = qel_json_view(ctx, "json", text.c_str(), nullptr); };
    rig.h.run();
    EXPECT_EQ(valid, 1);
    EXPECT_EQ(qel_last_item_id(rig.h.ctx), qel_id(rig.h.ctx, "json"));
    EXPECT_NE(node_with_text(rig.h.ctx, "[ 2 items ]"), nullptr) << "two levels down starts folded";
    EXPECT_NE(node_with_text(rig.h.ctx, "{ 1 key }"), nullptr);
    EXPECT_NE(node_with_text(rig.h.ctx, "\"kind\""), nullptr);
    EXPECT_NE(node_with_text(rig.h.ctx, "null"), nullptr);
    rig.click_on(row_id(rig.h.ctx, "json", 2));  // "kind"
    rig.h.run();
    EXPECT_EQ(node_with_text(rig.h.ctx, "[ 2 items ]"), nullptr);
    EXPECT_NE(node_with_text(rig.h.ctx, "],"), nullptr) << "the comma moves to the closing row";
    rig.click_on(row_id(rig.h.ctx, "json", 0));
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, "{ 2 keys }"), nullptr);
    EXPECT_EQ(node_with_text(rig.h.ctx, "\"tea\""), nullptr);
    text = "[1]";  // the folds stay as they are when the text changes
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, "[ 1 item ]"), nullptr);
}

TEST(JsonView, ShowsTheErrorLine)
{
    widget_rig rig(500, 300);
    const char* text = "{\n  \"a\": tru\n}";
    int32_t valid = -1;
    rig.h.ui = [&](qel_context* ctx) { valid = qel_json_view(ctx, "json", text, nullptr); };
    rig.h.run();
    EXPECT_EQ(valid, 0);
    EXPECT_NE(node_with_text(rig.h.ctx, "Invalid JSON: unexpected character (line 2, column 8)"), nullptr);
    text = nullptr;
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, "Invalid JSON: unexpected end (line 1, column 1)"), nullptr);
}

// A long tree in a short view: only rows near the view carry their text, and scrolling brings
// the text of the rows it reaches.
TEST(JsonView, RowsScrolledIntoViewShowTheirText)
{
    widget_rig rig(500, 400);
    std::string text = "{";
    for (int i = 0; i < 300; i++) text += (i ? ", \"k" : "\"k") + std::to_string(i) + "\": " + std::to_string(i);
    text += "}";
    qel_json_view_options o = {0, 200};
    rig.h.ui = [&](qel_context* ctx) { qel_json_view(ctx, "json", text.c_str(), &o); };
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, "\"k0\""), nullptr);
    EXPECT_EQ(node_with_text(rig.h.ctx, "\"k299\""), nullptr);
    float height = rig.h.rect(qel_id(rig.h.ctx, "json")).h;
    rig.move_to(qel_id(rig.h.ctx, "json"));
    for (int i = 0; i < 40; i++) {
        rig.h.wheel(0, -10);
        rig.h.run();
    }
    EXPECT_NE(node_with_text(rig.h.ctx, "\"k299\""), nullptr);
    EXPECT_NE(node_with_text(rig.h.ctx, "299"), nullptr);
    EXPECT_EQ(node_with_text(rig.h.ctx, "\"k0\""), nullptr);
    EXPECT_EQ(rig.h.rect(qel_id(rig.h.ctx, "json")).h, height);
}

// Nodes past the view's 4,096 bits cannot be folded: the tree over a larger parse shows them open.
TEST(JsonView, NodesPastTheBitmapStayOpen)
{
    widget_rig rig(500, 300);
    std::string many = "[";
    for (int i = 0; i < 4100; i++) many += i ? ",0" : "0";
    many += ",[7]]";
    parsed p = parse_json(many, 5000);
    ASSERT_EQ(p.valid, 1);
    static uint8_t collapsed[QEL_JSON_VIEW_NODES / 8];
    memset(collapsed, 0xFF, sizeof collapsed);
    rig.h.ui = [&](qel_context* ctx) {
        qel_color palette[QEL_CODE_CLASS_COUNT];
        qel_code_palette(ctx, palette);
        qel_json_tree(ctx, 1, &p.parser, collapsed, 4101, palette, true);
    };
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, "7"), nullptr);
    int32_t index = 4101;
    rig.click_on(qel_hash_bytes(&index, 4, 1));
    rig.h.run();
    EXPECT_NE(node_with_text(rig.h.ctx, "7"), nullptr) << "a click does not fold it";
}
