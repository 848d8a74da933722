// The chat widgets driven as a user drives them: a run of messages by another author (avatar on
// the last, header on the first, grouped corners), own messages with their status, Markdown
// bodies, likes toggled, the participant stack's overflow, and thread connectors drawn from a
// parent drawn in the same frame only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

void chat_column(qel_context* ctx)
{
    qel_style s = {};
    s.padding = 12;
    s.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &s);
}

int count_text(qel_context* ctx, const char* text)
{
    int n = 0;
    for (int32_t i = 0; i < inspect_node_count(ctx); i++) {
        const qel_node* node = inspect_node(ctx, i);
        n += (node->flags & QEL_NODE_TEXT) && node->text && std::strcmp(node->text, text) == 0;
    }
    return n;
}

// The bubble around a message's text.
const qel_node* bubble_of(qel_context* ctx, const char* text)
{
    const qel_node* leaf = node_with_text(ctx, text);
    return leaf ? inspect_node(ctx, leaf->parent) : nullptr;
}

}  // namespace

TEST(ChatMessage, ARunByAnotherAuthor)
{
    widget_rig rig(600, 500);
    rig.h.ui = [](qel_context* ctx) {
        chat_column(ctx);
        qel_chat_message_opts first = {0, 0, "Quill Zed", "09:41", nullptr, 0, 0, 0, 0, nullptr};
        qel_chat_message_opts middle = first, last = first;
        middle.grouped = 1;
        last.grouped = last.last = 1;
        qel_chat_message(ctx, "first words", &first);
        qel_chat_message(ctx, "middle words", &middle);
        qel_chat_message(ctx, "last words", &last);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    EXPECT_EQ(count_text(rig.h.ctx, "QZ"), 1) << "only the last shows the avatar";
    EXPECT_EQ(count_text(rig.h.ctx, "Quill Zed"), 1) << "only the first has the header";
    EXPECT_EQ(count_text(rig.h.ctx, "09:41"), 1);
    const qel_node* middle = bubble_of(rig.h.ctx, "middle words");
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(middle->radii[0], 6) << "grouped: a small top-left corner";
    EXPECT_EQ(middle->radii[3], 6) << "not last: a small bottom-left corner";
    EXPECT_EQ(bubble_of(rig.h.ctx, "last words")->radii[3], 18);
    EXPECT_EQ(bubble_of(rig.h.ctx, "first words")->radii[0], 18);
}

TEST(ChatMessage, OwnMessagesKeepRightAndShowTheirStatusOnce)
{
    widget_rig rig(600, 500);
    qel_markdown_result result = {};
    rig.h.ui = [&](qel_context* ctx) {
        chat_column(ctx);
        qel_chat_message_opts mine = {0, 1, "Me Myself", "09:42", "Read", 0, 0, 0, 0, nullptr};
        qel_chat_message_opts grouped = mine, last = mine;
        grouped.grouped = 1;
        last.grouped = last.last = 1;
        last.markdown = 1;
        last.markdown_result = &result;
        qel_chat_message(ctx, "one", &mine);
        qel_chat_message(ctx, "two", &grouped);
        qel_chat_message(ctx, "**three** [site](https://example.org)", &last);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    EXPECT_EQ(count_text(rig.h.ctx, "MM"), 0) << "no avatar";
    EXPECT_EQ(count_text(rig.h.ctx, "Me Myself"), 0) << "no header";
    EXPECT_EQ(count_text(rig.h.ctx, "Read 09:42"), 2) << "the ungrouped and the last one";
    const qel_node* one = bubble_of(rig.h.ctx, "one");
    EXPECT_GT(one->rect.x + one->rect.w, 600 - 12 - 1) << "right-aligned";
    const qel_node* two = bubble_of(rig.h.ctx, "two");
    EXPECT_EQ(two->radii[1], 6);
    EXPECT_EQ(two->radii[2], 6);
    EXPECT_EQ(result.clicked, nullptr);
    EXPECT_EQ(result.task_offset, -1) << "the Markdown result is copied out";
}

TEST(ChatComment, LikeTogglesAndCounts)
{
    widget_rig rig(600, 400);
    int32_t likes = 4;
    uint8_t liked = 1;
    uint32_t bits = 0;
    rig.h.ui = [&](qel_context* ctx) {
        chat_column(ctx);
        qel_chat_comment_opts o = {};
        o.time = "2 h";
        o.edited = 1;
        o.likes = &likes;
        o.liked = &liked;
        bits = qel_chat_comment(ctx, "c1", "Quill Zed", "Looks right.", &o);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    EXPECT_NE(node_with_text(rig.h.ctx, "2 h \xC2\xB7 edited"), nullptr);
    uint32_t like = scoped_id(rig.h.ctx, "c1", "###like");
    rig.click_on(like);
    EXPECT_EQ(bits, (uint32_t)QEL_CHAT_LIKE);
    EXPECT_EQ(liked, 0);
    EXPECT_EQ(likes, 3);
    rig.h.run();
    rig.click_on(like);
    EXPECT_EQ(liked, 1);
    EXPECT_EQ(likes, 4);
    rig.click_on(scoped_id(rig.h.ctx, "c1", "Reply"));
    EXPECT_EQ(bits, (uint32_t)QEL_CHAT_REPLY);
}

TEST(ChatParticipants, EightShowFiveAndTheRestCounted)
{
    widget_rig rig(600, 200);
    const qel_chat_person people[8] = {{"Ann Ash", 0, 0, 0},  {"Bo Bay", 0, 0, 1},  {"Cy Cole", 0, 0, 0},
                                       {"Di Dunn", 0, 0, 0},  {"Ed Elm", 0, 0, 0},  {"Fay Fox", 0, 0, 0},
                                       {"Gil Gray", 0, 0, 0}, {"Hal Hart", 0, 0, 0}};
    rig.h.ui = [&](qel_context* ctx) {
        chat_column(ctx);
        qel_chat_participants(ctx, "people", people, 8, 0, 0);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    EXPECT_NE(node_with_text(rig.h.ctx, "+3"), nullptr);
    EXPECT_EQ(count_text(rig.h.ctx, "EE"), 1);
    EXPECT_EQ(count_text(rig.h.ctx, "FF"), 0);
    float rest = rig.h.rect(qel_id(rig.h.ctx, "people")).w;
    EXPECT_NEAR(rest, 6 * 36 - 5 * 0.24f * 36, 0.01f) << "overlapping at rest";
    rig.move_to(qel_id(rig.h.ctx, "people"));
    rig.h.run(30);
    EXPECT_GT(rig.h.rect(qel_id(rig.h.ctx, "people")).w, rest + 20) << "the stack spreads on hover";
}

TEST(ChatComment, ConnectorsComeFromAParentDrawnInTheSameFrame)
{
    // The connector's vertical stroke lies at the parent avatar's centre, between the avatars.
    struct thread_case {
        int32_t depth;
        bool parent_shown;
        bool line;
    };
    const thread_case cases[] = {{1, true, true}, {9, true, false}, {1, false, false}};
    for (const thread_case& c : cases) {
        widget_rig rig(600, 400);
        bool show_parent = true;
        rig.h.ui = [&](qel_context* ctx) {
            chat_column(ctx);
            if (show_parent) qel_chat_comment(ctx, "top", "Ann Ash", "Parent text", nullptr);
            else qel_gap(ctx, 60);
            qel_chat_comment_opts o = {};
            o.depth = c.depth;
            qel_chat_comment(ctx, "reply", "Bo Bay", "Reply text", &o);
            qel_container_end(ctx);
        };
        rig.h.run(2);
        show_parent = c.parent_shown;
        rig.h.run(2);
        const qel_node* reply = inspect_node(rig.h.ctx, node_with_text(rig.h.ctx, "Reply text")->parent);
        const qel_node* row = inspect_node(rig.h.ctx, reply->parent);
        picture p = rig.shot();
        float parent_size = c.depth < 2 ? 34.0f : 28.0f;
        int x = (int)(row->rect.x + std::max(0.0f, 44.0f * (float)c.depth - 44) + parent_size / 2);
        int y = (int)(row->rect.y - 4);
        const uint8_t* px = &p.rgba[(size_t)(y * p.width + x) * 4];
        const uint8_t* bg = &p.rgba[(size_t)(y * p.width + x + 30) * 4];
        bool differs = px[0] != bg[0] || px[1] != bg[1] || px[2] != bg[2];
        EXPECT_EQ(differs, c.line) << "depth " << c.depth << (c.parent_shown ? "" : " without its parent");
    }
}
