// The flame graph and the assistant widgets as a person sees them, in light and dark, compared
// with committed pictures drawn by the software renderer: a flame graph with a span selected
// and another hovered; time axes in seconds, milliseconds, microseconds and nanoseconds; an answer with a finished
// reasoning block, an open tool card, a plan, an elapsed pill, sources, a citation, the context meter and the message
// actions; a composer with attachments under suggestions, beside a still orb; a chat of grouped messages, a day
// separator, a typing indicator, participants and a thread of comments.
#include <gtest/gtest.h>

#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

class AssistantPictures : public themed_pictures
{
protected:
    AssistantPictures() : themed_pictures("qel/assistant_") {}
};

TEST_P(AssistantPictures, FlameGraphWithASelection)
{
    widget_rig rig(640, 220, GetParam());
    std::vector<qel_flame_span> spans = {{"print_job", 0, 0.9, 0, 0},  {"layout", 0.02, 0.35, 1, 0},
                                         {"render", 0.38, 0.8, 1, 0},  {"measure_text", 0.03, 0.2, 2, 0},
                                         {"place", 0.21, 0.33, 2, 0},  {"rasterise", 0.4, 0.7, 2, 0},
                                         {"encode", 0.71, 0.79, 2, 0}, {"glyphs", 0.05, 0.15, 3, 0},
                                         {nullptr, 0.42, 0.5, 3, 0},   {"dither", 0.52, 0.68, 3, 0}};
    for (int i = 0; i < 12; i++) spans.push_back({"tiny", 0.6 + i * 0.0002, 0.6001 + i * 0.0002, 4, 0});
    qel_flame_sort_spans(spans.data(), (int32_t)spans.size());
    int32_t selected = 2;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_flame_graph(ctx, "trace", spans.data(), (int32_t)spans.size(), nullptr, &selected, nullptr);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "trace"));
    rig.h.move(r.x + 8 + 0.1f / 0.9f * (r.w - 16), r.y + 29 + 3 * 20 + 9);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "flame"));
}

TEST_P(AssistantPictures, FlameGraphAxesInEveryUnit)
{
    widget_rig rig(640, 420, GetParam());
    const double lengths[4] = {3, 0.004, 2e-6, 5e-9};
    std::vector<std::vector<qel_flame_span>> traces;
    for (double length : lengths) traces.push_back({{"run", 1, 1 + length, 0, 0}});
    qel_flame_options o = {};
    o.height = 84;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        for (size_t i = 0; i < traces.size(); i++) {
            qel_push_id_int(ctx, (int32_t)i);
            qel_flame_graph(ctx, "axis", traces[i].data(), 1, nullptr, nullptr, &o);
            qel_pop_id(ctx);
        }
        qel_container_end(ctx);
    };
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "flame_units"));
}

TEST_P(AssistantPictures, AnAnswer)
{
    widget_rig rig(640, 760, GetParam());
    qel_assistant_reasoning_opts thought = {};
    thought.seconds = 7;
    qel_assistant_tool_call_opts tool = {};
    tool.status = QEL_ASSISTANT_DONE;
    tool.subtitle = "prices.csv";
    tool.input = "{\"path\": \"prices.csv\", \"rows\": 3}";
    tool.output = "sku,price\nA-100,2.40";
    tool.seconds = 1.25f;
    const qel_assistant_plan_step steps[4] = {{"Read the sheet", nullptr, QEL_ASSISTANT_DONE},
                                              {"Check prices", "two rows without a price", QEL_ASSISTANT_ERROR},
                                              {"Lay out labels", nullptr, QEL_ASSISTANT_DONE},
                                              {"Print", nullptr, QEL_ASSISTANT_PENDING}};
    const qel_assistant_source sources[2] = {{"Label sizes and stock", "https://www.example.org/sizes", nullptr},
                                             {"Thermal printers", "https://shop.example.com/printers", nullptr}};
    qel_assistant_elapsed_opts pill = {};
    pill.status = QEL_ASSISTANT_DONE;
    pill.seconds = 75;
    qel_assistant_actions_opts actions = {};
    actions.copy_text = "answer";
    int32_t feedback = 1;
    actions.feedback = &feedback;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        if (qel_assistant_reasoning_begin(ctx, "why", &thought)) {
            qel_textf(ctx, "The sheet has three rows.");
            qel_assistant_reasoning_end(ctx);
        }
        qel_assistant_tool_call(ctx, "read", "read_file", &tool);
        qel_assistant_plan(ctx, "plan", steps, 4, nullptr);
        row_begin(ctx, 8);
        qel_assistant_elapsed(ctx, "Worked", &pill);
        qel_assistant_citation(ctx, 1, &sources[0]);
        qel_assistant_context_meter(ctx, "ctx", 86000, 100000, nullptr);
        qel_container_end(ctx);
        qel_assistant_sources(ctx, "sources", sources, 2);
        qel_assistant_message_actions(ctx, "actions", &actions);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    rig.click_on(qel_id(rig.h.ctx, "read"));
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "answer"));
}

TEST_P(AssistantPictures, AComposerWithAttachments)
{
    widget_rig rig(640, 420, GetParam());
    const qel_assistant_model models[2] = {{"Swift", "Quick answers", nullptr, nullptr},
                                           {"Deep", nullptr, "new", nullptr}};
    const char* files[2] = {"prices.csv", "shelf-layout.png"};
    const qel_assistant_suggestion ideas[2] = {{nullptr, "Price labels", "for the new stock"},
                                               {nullptr, "Shelf tags", "one per product"}};
    char text[256] = "Make labels for these prices";
    int32_t model = 1;
    qel_assistant_composer_opts o = {};
    o.attachments = files;
    o.attachment_count = 2;
    o.models = models;
    o.model_count = 2;
    o.selected_model = &model;
    qel_assistant_orb_opts orb = {};
    orb.size = 96;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        wide_row_begin(ctx, 16);
        qel_assistant_suggestions(ctx, "ideas", ideas, 2, nullptr);
        qel_assistant_orb(ctx, "orb", 0, 0.3f, &orb);
        qel_container_end(ctx);
        qel_assistant_composer(ctx, "ask", text, sizeof text, &o);
        qel_container_end(ctx);
    };
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "composer"));
}

TEST_P(AssistantPictures, AChatThreadWithComments)
{
    widget_rig rig(640, 760, GetParam());
    const qel_chat_person people[7] = {{"Ann Ash", 0, 0, 0}, {"Bo Bay", 0, 0, 1}, {"Cy Cole", 0, 0, 0},
                                       {"Di Dunn", 0, 0, 0}, {"Ed Elm", 0, 0, 0}, {"Fay Fox", 0, 0, 0},
                                       {"Gil Gray", 0, 0, 0}};
    int32_t likes = 3;
    uint8_t liked = 1;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_chat_participants(ctx, "people", people, 7, 0, 0);
        qel_chat_day_separator(ctx, "Today");
        qel_chat_message_opts them = {0, 0, "Ann Ash", "09:41", nullptr, 0, 0, 0, 0, nullptr};
        qel_chat_message(ctx, "Are the shelf labels ready?", &them);
        them.grouped = them.last = them.markdown = 1;
        qel_chat_message(ctx, "The **new** prices start on Monday.", &them);
        qel_chat_message_opts mine = {0, 1, nullptr, "09:43", "Read", 0, 1, 0, 1, nullptr};
        qel_chat_message(ctx, "Printing them now, see the `A-100` row.", &mine);
        qel_chat_typing(ctx, "Ann Ash");
        qel_chat_comment_opts top = {};
        top.time = "2 h";
        top.likes = &likes;
        top.liked = &liked;
        qel_chat_comment(ctx, "c1", "Cy Cole", "The barcode on the second label is cut off.", &top);
        qel_chat_comment_opts reply = {};
        reply.depth = 1;
        reply.time = "1 h";
        reply.edited = 1;
        reply.badge = "Author";
        qel_chat_comment(ctx, "c2", "Di Dunn", "Fixed in the new layout.", &reply);
        qel_container_end(ctx);
    };
    rig.h.run(4);
    EXPECT_TRUE(shows(rig, "chat"));
}

INSTANTIATE_TEST_SUITE_P(Themes, AssistantPictures, theme_modes(), theme_name);

}  // namespace
