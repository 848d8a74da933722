// The assistant's response widgets driven as a user drives them: the reasoning block following
// its running flag until a click, its titles and its stack, tool cards with and without a body,
// the plan's count and clicked step, the context meter's messages at their thresholds, the
// message actions' bits and feedback, suggestions and sources clicked, and the monogram letter.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qel/qel.h"
#include "support/widget_rig.h"
#include "widgets/rich/assistant_parts.h"

namespace {

bool shows_text(qel_context* ctx, const char* text)
{
    return node_with_text(ctx, text) != nullptr;
}

// A padded column for the widget under test.
void column(qel_context* ctx)
{
    qel_style s = {};
    s.padding = 10;
    s.gap = 8;
    s.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &s);
}

}  // namespace

TEST(AssistantReasoning, FollowsRunningUntilTheUserTogglesIt)
{
    widget_rig rig(500, 400);
    qel_assistant_reasoning_opts o = {};
    o.running = 1;
    bool body = false;
    rig.h.ui = [&](qel_context* ctx) {
        column(ctx);
        body = qel_assistant_reasoning_begin(ctx, "why", &o);
        if (body) {
            qel_textf(ctx, "because");
            qel_assistant_reasoning_end(ctx);
        }
        qel_container_end(ctx);
    };
    rig.h.run();
    EXPECT_TRUE(body) << "running opens it at once";
    EXPECT_TRUE(shows_text(rig.h.ctx, "because"));
    o.running = 0;
    o.seconds = 4;
    rig.h.run(2);
    EXPECT_FALSE(body) << "it closes when running stops";
    EXPECT_TRUE(shows_text(rig.h.ctx, "Thought for 4s"));
    uint32_t id = qel_id(rig.h.ctx, "why");
    rig.click_on(id);
    rig.h.run();
    EXPECT_TRUE(body);
    o.running = 1;
    rig.h.run();
    o.running = 0;
    rig.h.run(2);
    EXPECT_TRUE(body) << "after a click it stays as the user left it";
    rig.click_on(id);
    rig.h.run(2);
    o.running = 1;
    rig.h.run(2);
    EXPECT_FALSE(body);
}

TEST(AssistantReasoning, TitlesByRunningAndSeconds)
{
    struct title_case {
        uint8_t running;
        float seconds;
        const char* want;
    };
    const title_case cases[] = {{1, 0.4f, "Thinking"},
                                {1, 12, "Thinking for 12s"},
                                {0, 0.9f, "Thought for a moment"},
                                {0, 61, "Thought for 61s"}};
    for (const title_case& c : cases) {
        widget_rig rig(500, 300);
        qel_assistant_reasoning_opts o = {};
        o.running = c.running;
        o.seconds = c.seconds;
        rig.h.ui = [&](qel_context* ctx) {
            if (qel_assistant_reasoning_begin(ctx, "why", &o)) qel_assistant_reasoning_end(ctx);
        };
        rig.h.run();
        std::string all;
        for (int32_t i = 0; i < inspect_node_count(rig.h.ctx); i++) {
            const qel_node* n = inspect_node(rig.h.ctx, i);
            if (n->text) all.append(n->text, (size_t)n->text_length).append("|");
        }
        EXPECT_NE(all.find(std::string(c.want) + "|"), std::string::npos) << c.want << " in " << all;
    }
}

TEST(AssistantReasoning, AnUnpairedBeginLeavesNothingForTheNextFrame)
{
    qel_headless h(400, 300);
    qel_assistant_reasoning_opts o = {};
    o.running = 1;
    int frame = 0, parents = -1;
    h.ui = [&](qel_context* ctx) {
        if (frame++ == 0) {
            parents = inspect_open_parents(ctx);
            EXPECT_TRUE(qel_assistant_reasoning_begin(ctx, "lost", &o));
            return;
        }
        EXPECT_EQ(inspect_open_scopes(ctx), 0);
        qel_assistant_reasoning_end(ctx);  // nothing open: does nothing
        EXPECT_EQ(inspect_open_parents(ctx), parents);
    };
    h.run(2);
}

TEST(AssistantToolCall, OnlyACardWithInputOrOutputOpens)
{
    widget_rig rig(500, 500);
    qel_assistant_tool_call_opts bare = {};
    bare.status = QEL_ASSISTANT_DONE;
    qel_assistant_tool_call_opts full = {};
    full.status = QEL_ASSISTANT_ERROR;
    full.input = "  {\"path\": \"/tmp\"}";
    full.output = "file not found";
    rig.h.ui = [&](qel_context* ctx) {
        column(ctx);
        qel_assistant_tool_call(ctx, "bare", "list_files", &bare);
        qel_assistant_tool_call(ctx, "full", "read_file", &full);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    uint32_t bare_id = qel_id(rig.h.ctx, "bare"), full_id = qel_id(rig.h.ctx, "full");
    const qel_node* header = node_with_id(rig.h.ctx, bare_id);
    ASSERT_NE(header, nullptr);
    EXPECT_FALSE(header->flags & QEL_NODE_FOCUSABLE);
    int chevrons = 0;
    for (int32_t i = 0; i < inspect_node_count(rig.h.ctx); i++)
        chevrons += inspect_node(rig.h.ctx, i)->draw == qel_chevron_draw;
    EXPECT_EQ(chevrons, 1) << "only the card that opens has a chevron";
    rig.click_on(bare_id);
    rig.h.run(2);
    EXPECT_FALSE(shows_text(rig.h.ctx, "Input"));
    EXPECT_TRUE(node_with_id(rig.h.ctx, full_id)->flags & QEL_NODE_FOCUSABLE);
    EXPECT_FALSE(shows_text(rig.h.ctx, "Error")) << "closed at first";
    rig.click_on(full_id);
    rig.h.run(2);
    EXPECT_TRUE(shows_text(rig.h.ctx, "Input"));
    EXPECT_TRUE(shows_text(rig.h.ctx, "Error")) << "the output of a failed call";
}

TEST(AssistantPlan, CountsDoneAndSkippedAndReportsTheClickedStep)
{
    widget_rig rig(500, 500);
    const qel_assistant_plan_step steps[4] = {{"Read the sheet", nullptr, QEL_ASSISTANT_DONE},
                                              {"Check prices", "two missing", QEL_ASSISTANT_SKIPPED},
                                              {"Lay out labels", nullptr, QEL_ASSISTANT_RUNNING},
                                              {"Print", nullptr, QEL_ASSISTANT_PENDING}};
    int32_t clicked = -2;
    rig.h.ui = [&](qel_context* ctx) {
        column(ctx);
        clicked = qel_assistant_plan(ctx, "plan", steps, 4, nullptr);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    EXPECT_TRUE(shows_text(rig.h.ctx, "2 of 4"));
    EXPECT_TRUE(shows_text(rig.h.ctx, "Plan"));
    EXPECT_EQ(clicked, -1);
    int32_t third = 3;
    rig.click_on(qel_hash_bytes(&third, sizeof third, qel_id(rig.h.ctx, "plan") ^ 0x57E9));
    EXPECT_EQ(clicked, 3);
}

TEST(AssistantContextMeter, MessagesSwitchAtTheRawRatio)
{
    struct meter_case {
        float used;
        const char* want;
    };
    const meter_case cases[] = {{79.9f, nullptr},
                                {80, "Filling up: consider starting a new conversation."},
                                {94.9f, "Filling up: consider starting a new conversation."},
                                {95, "Nearly full: older messages will be summarized."},
                                {250, "Nearly full: older messages will be summarized."}};
    for (const meter_case& c : cases) {
        widget_rig rig(500, 400);
        const qel_chart_item segments[2] = {{"System", 10, 0}, {"Messages", 30, 0}};
        qel_assistant_context_opts o = {};
        o.segments = segments;
        o.segment_count = 2;
        rig.h.ui = [&](qel_context* ctx) {
            column(ctx);
            qel_gap(ctx, 200);
            qel_assistant_context_meter(ctx, "ctx", c.used, 100, &o);
            qel_container_end(ctx);
        };
        rig.h.run(2);
        rig.move_to(qel_id(rig.h.ctx, "ctx"));
        rig.h.run(40);
        EXPECT_TRUE(shows_text(rig.h.ctx, "Context")) << c.used;
        bool filling = shows_text(rig.h.ctx, "Filling up: consider starting a new conversation.");
        bool full = shows_text(rig.h.ctx, "Nearly full: older messages will be summarized.");
        EXPECT_EQ(filling || full, c.want != nullptr) << c.used;
        EXPECT_TRUE(!c.want || shows_text(rig.h.ctx, c.want)) << c.used;
    }
}

TEST(AssistantActions, BitsAndFeedback)
{
    const char *REGENERATE = QEL_ICON_REFRESH_CW, *GOOD = QEL_ICON_THUMBS_UP, *BAD = QEL_ICON_THUMBS_DOWN,
               *SHARE = QEL_ICON_SHARE_2;
    widget_rig rig(500, 300);
    int32_t feedback = 0;
    uint32_t bits = 0;
    qel_assistant_actions_opts o = {};
    o.copy_text = "answer";
    o.feedback = &feedback;
    rig.h.ui = [&](qel_context* ctx) {
        column(ctx);
        bits |= qel_assistant_message_actions(ctx, "actions", &o);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    struct press {
        const char* name;
        const char* glyph;
        uint32_t bit;
        int32_t feedback;
    };
    // An icon button's id is its glyph hashed with the id of its tooltip.
    auto button = [&](const char* name, const char* glyph) {
        return qel_hash_str(glyph, scoped_id(rig.h.ctx, "actions", name));
    };
    const press presses[] = {{"Regenerate", REGENERATE, 2, 0}, {"Good response", GOOD, 4, 1},
                             {"Good response", GOOD, 4, 0},    {"Bad response", BAD, 8, -1},
                             {"Good response", GOOD, 4, 1},    {"Share", SHARE, 16, 1}};
    for (const press& p : presses) {
        bits = 0;
        rig.click_on(button(p.name, p.glyph));
        EXPECT_EQ(bits, p.bit) << p.name;
        EXPECT_EQ(feedback, p.feedback) << p.name;
    }
    o.feedback = nullptr;
    o.hide_share = 1;
    rig.h.run(2);
    bits = 0;
    rig.click_on(button("Bad response", BAD));
    EXPECT_EQ(bits, 8u) << "without a feedback pointer the bit still comes";
    EXPECT_EQ(node_with_id(rig.h.ctx, button("Share", SHARE)), nullptr) << "hidden";
}

TEST(AssistantSuggestionsAndSources, ClicksReturnTheIndex)
{
    widget_rig rig(640, 500);
    const qel_assistant_suggestion items[3] = {
        {nullptr, "Price labels", "for the new stock"}, {nullptr, "Shelf tags", nullptr}, {nullptr, "Badges", nullptr}};
    const qel_assistant_source sources[2] = {{"Label sizes", "https://www.example.org/sizes?x=1", nullptr},
                                             {nullptr, "http://shop.example.com/#top", nullptr}};
    int32_t picked = -2, source = -2;
    rig.h.ui = [&](qel_context* ctx) {
        column(ctx);
        picked = qel_assistant_suggestions(ctx, "ideas", items, 3, nullptr);
        source = qel_assistant_sources(ctx, "sources", sources, 2);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    EXPECT_TRUE(shows_text(rig.h.ctx, "example.org"));
    EXPECT_TRUE(shows_text(rig.h.ctx, "shop.example.com")) << "a source without a title shows its host";
    int32_t two = 2, one = 1;
    rig.click_on(qel_hash_bytes(&two, sizeof two, qel_id(rig.h.ctx, "ideas") ^ 0x9A0));
    EXPECT_EQ(picked, 2);
    rig.click_on(qel_hash_bytes(&one, sizeof one, qel_id(rig.h.ctx, "sources") ^ 0x50C));
    EXPECT_EQ(source, 1);
}

TEST(AssistantText, OutputsShownAsJson)
{
    const struct {
        const char* text;
        bool json;
    } cases[] = {{"{\"a\": 1}", true}, {" \n\t[1, 2]", true}, {"error: { missing", false},
                 {"", false},           {"\r{}", false},      {"null", false}};
    for (const auto& c : cases) EXPECT_EQ(qel_assistant_looks_json(c.text), c.json) << c.text;
}

TEST(AssistantText, MonogramLetterAndElapsedClamps)
{
    qel_headless h(200, 100);
    h.ui = [](qel_context* ctx) {
        EXPECT_STREQ(qel_assistant_monogram_letter(ctx, "example.org"), "E");
        EXPECT_STREQ(qel_assistant_monogram_letter(ctx, "\xc3\xa9t\xc3\xa9.fr"), "\xc3\xa9") << "the whole character";
        EXPECT_STREQ(qel_assistant_monogram_letter(ctx, ""), "?");
        EXPECT_STREQ(qel_assistant_elapsed_text(ctx, -5), "0s");
        EXPECT_STREQ(qel_assistant_elapsed_text(ctx, NAN), "0s");
        EXPECT_STREQ(qel_assistant_elapsed_text(ctx, 1e12f), "35791394m 07s");
        EXPECT_STREQ(qel_assistant_url_host(ctx, nullptr), "");
        EXPECT_STREQ(qel_assistant_url_host(ctx, "https://www.a.b/c?d#e"), "a.b");
    };
    h.run();
}
