// Badges and avatars as built into the frame's tree: badge sizes and default look, tinted text
// that stays readable on its fill (checked with WCAG contrast computed here), initials of names,
// a colour that depends only on the name, presence dots and the avatar group's count of the rest.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "qel/qel.h"
#include "support/widget_rig.h"

// The widget's node: the parent of its text leaf.
static const qel_node* parent_of_text(qel_context* ctx, const char* text)
{
    const qel_node* leaf = node_with_text(ctx, text);
    return leaf ? inspect_node(ctx, leaf->parent) : nullptr;
}

static void run_once(widget_rig& rig, std::function<void(qel_context*)> ui)
{
    rig.h.ui = std::move(ui);
    rig.h.run(2);
}

TEST(Badge, SizesAndTheDefaultLook)
{
    const struct {
        uint32_t size;
        float height, pad, radius;
    } cases[] = {{0, 22, 8, 6}, {1, 20, 7, 5}, {2, 26, 8, 6}, {9, 22, 8, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        widget_rig rig;
        qel_badge_opts o = {};
        o.size = c.size;
        run_once(rig, [&](qel_context* ctx) { qel_badge(ctx, "count", &o); });
        const qel_node* badge = parent_of_text(rig.h.ctx, "count");
        EXPECT_EQ(badge->rect.h, c.height);
        EXPECT_EQ(badge->pad_left, c.pad);
        EXPECT_EQ(badge->radii[2], c.radius);
    }
    widget_rig rig;
    run_once(rig, [](qel_context* ctx) { qel_badge(ctx, "count", nullptr); });
    const qel_node* badge = parent_of_text(rig.h.ctx, "count");
    EXPECT_EQ(badge->rect.h, 22);
    EXPECT_EQ(badge->fill, qel_theme_color(rig.h.ctx, QEL_COLOR_ACTIVE)) << "neutral and tinted";
}

static double channel(uint32_t byte)
{
    double c = byte / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

static double luminance(qel_color c)
{
    return 0.2126 * channel(c & 0xFF) + 0.7152 * channel((c >> 8) & 0xFF) + 0.0722 * channel((c >> 16) & 0xFF);
}

static double contrast(qel_color a, qel_color b)
{
    double la = luminance(a), lb = luminance(b);
    return (std::fmax(la, lb) + 0.05) / (std::fmin(la, lb) + 0.05);
}

TEST(Badge, TintedTextReadsOnItsFillInEveryKindAndMode)
{
    for (uint32_t mode : {QEL_THEME_LIGHT, QEL_THEME_DARK}) {
        widget_rig rig(400, 300, mode);
        for (uint32_t kind = QEL_SEMANTIC_INFO; kind <= QEL_SEMANTIC_ACCENT; kind++) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " kind " << kind);
            qel_badge_opts o = {};
            o.kind = kind;
            o.dot = 1;
            run_once(rig, [&](qel_context* ctx) { qel_badge(ctx, "label", &o); });
            const qel_node* text = node_with_text(rig.h.ctx, "label");
            const qel_node* badge = parent_of_text(rig.h.ctx, "label");
            EXPECT_GE(contrast(text->text_color, badge->fill), 4.5);
            const qel_node& dot = *inspect_node(rig.h.ctx, badge->first_child);
            EXPECT_EQ(dot.fill, qel_color_semantic(rig.h.ctx, kind)) << "the dot in the kind's own colour";
            EXPECT_EQ(dot.rect.w, 6);
        }
    }
}

// The initials an avatar of the name shows.
static std::string initials(const char* name)
{
    widget_rig rig;
    run_once(rig, [&](qel_context* ctx) { qel_avatar(ctx, name, nullptr); });
    for (int32_t i = 0; i < inspect_node_count(rig.h.ctx); i++) {
        const qel_node& n = *inspect_node(rig.h.ctx, i);
        if (n.flags & QEL_NODE_TEXT) return n.text;
    }
    return "(none)";
}

TEST(Avatar, InitialsOfNames)
{
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"Ada Lovelace", "AL"},
        {"ada", "A"},
        {"jean-luc picard", "JL"},
        {"  mary   ann ", "MA"},
        {"o.k.", "OK"},
        {"\xC3\x89mile zola", "\xC3\x89Z"},                              // one wider initial, then an ASCII one
        {"\xE6\x97\xA5\xE6\x9C\xAC \xE8\xAA\x9E x", "\xE6\x97\xA5\xE8\xAA\x9E" "X"},  // two wide, then one ASCII
        {"\xFF\xFE bob", "\xEF\xBF\xBD" "B"},                            // a broken byte shows as U+FFFD
        {"---", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(initials(c.name), c.expected) << (c.name ? c.name : "(null)");
}

TEST(Avatar, ColourComesFromTheNameAlone)
{
    widget_rig rig;
    run_once(rig, [](qel_context* ctx) {
        qel_avatar(ctx, "Ada Lovelace", nullptr);
        qel_avatar_opts big = {};
        big.size = 60;
        qel_avatar(ctx, "Ada Lovelace", &big);
        qel_avatar(ctx, "Ada Lovelacf", nullptr);
    });
    const qel_node* nodes = inspect_node(rig.h.ctx, 0);
    std::vector<qel_color> fills;
    for (int32_t i = 0; i < inspect_node_count(rig.h.ctx); i++)
        if (nodes[i].direction == QEL_DIR_STACK) fills.push_back(nodes[i].fill);
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(fills[0], fills[1]);
    EXPECT_NE(fills[0], fills[2]) << "these two names fall on different colours";
}

TEST(Avatar, SizeAndPresenceDot)
{
    const struct {
        const char* presence;
        qel_theme_slot color;
    } cases[] = {{"online", QEL_COLOR_SUCCESS},
                 {"busy", QEL_COLOR_DANGER},
                 {"away", QEL_COLOR_WARNING},
                 {"on holiday", QEL_COLOR_TEXT_MUTED}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.presence);
        widget_rig rig;
        qel_avatar_opts o = {};
        o.presence = c.presence;
        run_once(rig, [&](qel_context* ctx) { qel_avatar(ctx, "Grace Hopper", &o); });
        const qel_node* avatar = parent_of_text(rig.h.ctx, "GH");
        EXPECT_EQ(avatar->rect.w, 32);
        EXPECT_EQ(avatar->radii[0], 16) << "a circle";
        const qel_node& dot = *inspect_node(rig.h.ctx, avatar->first_floating);
        EXPECT_FLOAT_EQ(dot.rect.w, 8.96f);
        EXPECT_FLOAT_EQ(dot.rect.x + dot.rect.w, avatar->rect.x + 33) << "overhanging by one unit";
        EXPECT_EQ(dot.fill, qel_theme_color(rig.h.ctx, c.color));
    }
    widget_rig rig;
    qel_avatar_opts o = {};
    o.size = 20;
    o.rounded_square = 1;
    run_once(rig, [&](qel_context* ctx) { qel_avatar(ctx, "Grace Hopper", &o); });
    const qel_node* avatar = parent_of_text(rig.h.ctx, "GH");
    EXPECT_EQ(avatar->first_floating, -1) << "no presence, no dot";
    EXPECT_FLOAT_EQ(avatar->radii[0], 5.6f);
}

TEST(Avatar, AGroupCountsTheNamesItDoesNotShow)
{
    const char* names[] = {"Ann Lee", "Bo Chen", "Cy Diaz", "Di Eng", "Ed Fox", "Flo Gray"};
    const struct {
        int32_t count, max_shown;
        int avatars;
        const char* rest;
    } cases[] = {{6, 4, 4, "+2"}, {6, 0, 4, "+2"}, {3, 4, 3, nullptr}, {6, 6, 6, nullptr}, {0, 4, 0, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " names, " << c.max_shown << " at most");
        widget_rig rig;
        run_once(rig, [&](qel_context* ctx) { qel_avatar_group(ctx, names, c.count, c.max_shown, 30); });
        int avatars = 0;
        for (const char* n : {"AL", "BC", "CD", "DE", "EF", "FG"}) avatars += node_with_text(rig.h.ctx, n) != nullptr;
        EXPECT_EQ(avatars, c.avatars);
        EXPECT_EQ(node_with_text(rig.h.ctx, "+2") != nullptr, c.rest != nullptr);
        int slots = c.avatars + (c.rest ? 1 : 0);
        const qel_node& group = *inspect_node(rig.h.ctx, 1);
        EXPECT_NEAR(group.rect.w, slots ? slots * 30 - (slots - 1) * 4.8f : 0, 1e-4);
    }
}
