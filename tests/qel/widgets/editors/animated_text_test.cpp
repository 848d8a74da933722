// Animated text as it shows frame by frame: a stream that continues grown text and starts over
// on other text, catches up on long text and never runs past its end; word numbers after leading
// blanks; rotating words that stay put, and a list that shrinks under the stored indices; a
// rolling number's direction and right-to-left stagger; the shimmer and gradient colours.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "../charts/chart_rig.h"
#include "guard_page.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

// A glyph quad of the last frame: its top-left corner and fill.
struct drawn_glyph {
    float x, y;
    qel_color fill;
};

static std::vector<drawn_glyph> glyphs_of(const qel_draw_data& dd)
{
    std::vector<drawn_glyph> out;
    for (uint32_t i = 0; i + 3 < dd.vertex_count; i += 4) {
        const qel_vertex& v = dd.vertices[i];
        if (v.kind != (float)QEL_SHAPE_GLYPH) continue;
        out.push_back({std::fmin(v.pos[0], dd.vertices[i + 2].pos[0]), std::fmin(v.pos[1], dd.vertices[i + 2].pos[1]),
                       v.fill});
    }
    return out;
}

static size_t glyph_count(widget_rig& rig)
{
    return glyphs_of(rig.h.draw_data()).size();
}

// A rig whose animations run.
struct moving_rig : widget_rig {
    moving_rig() : widget_rig(640, 240, QEL_THEME_LIGHT, false) {}
};

// --- Stream text ---

TEST(StreamText, GrownTextContinuesAndOtherTextStartsOver)
{
    moving_rig rig;
    std::string text = "Hello";
    bool done = false;
    rig.h.ui = [&](qel_context* ctx) { done = qel_stream_text(ctx, "stream", text.c_str(), nullptr); };
    rig.h.run(3);
    EXPECT_FALSE(done);
    EXPECT_LT(glyph_count(rig), 5u);
    rig.h.run(10);
    EXPECT_TRUE(done);
    EXPECT_EQ(glyph_count(rig), 5u);
    text = "Hello world";
    rig.h.run();
    EXPECT_FALSE(done);
    EXPECT_GE(glyph_count(rig), 5u) << "the grown text goes on from where it was";
    text = "Help";
    rig.h.run();
    EXPECT_LE(glyph_count(rig), 1u) << "other text starts over";
    EXPECT_EQ(qel_last_item_id(rig.h.ctx), qel_id(rig.h.ctx, "stream"));
}

struct stream_case {
    float rate, step;
    int frames;
    size_t low, high;  // glyphs shown afterwards
};

TEST(StreamText, CatchesUpOnLongTextAndNeverRunsPastItsEnd)
{
    const float inf = std::numeric_limits<float>::infinity();
    const stream_case cases[] = {
        {0, 1.0f / 60, 8, 27, 30},        // 600 bytes left: five times the 0.75 a frame of 45 a second
        {90, 1.0f / 60, 8, 55, 60},       // and of the caller's rate
        {inf, 1.0f / 60, 1, 600, 600},    // an unbounded rate shows everything at once
        {1e30f, 0.25f, 1, 600, 600},      // as does a huge one over a long step
        {1e6f, 0.25f, 1, 600, 600},
    };
    const std::string text(600, 'a');
    for (const stream_case& c : cases) {
        moving_rig rig;
        rig.h.step = c.step;
        qel_text_fx_options o = {};
        o.rate = c.rate;
        rig.h.ui = [&](qel_context* ctx) { qel_stream_text(ctx, "long", text.c_str(), &o); };
        rig.h.run(c.frames);
        size_t shown = glyph_count(rig);
        EXPECT_GE(shown, c.low) << c.rate;
        EXPECT_LE(shown, c.high) << c.rate;
    }
}

TEST(StreamText, CaretFollowsTheRevealAndMotionOffShowsAll)
{
    moving_rig rig;
    qel_text_fx_options o = {};
    o.caret = 1;
    rig.h.ui = [&](qel_context* ctx) { qel_stream_text(ctx, "caret", "Streaming text", &o); };
    rig.h.run(6);
    auto caret_x = [&]() {
        for (const drawn_box& b : drawn_boxes(rig.h.draw_data()))
            if (b.w == 2) return b.x;
        return -1.0f;
    };
    float early = caret_x();
    EXPECT_GT(early, 0);
    rig.h.run(6);
    EXPECT_GT(caret_x(), early);
    qel_theme_set_reduced_motion(rig.h.ctx, 1);
    rig.h.ui = [&](qel_context* ctx) { qel_stream_text(ctx, "still", "Streaming text", &o); };
    rig.h.run();
    EXPECT_EQ(glyph_count(rig), 13u);
}

TEST(StreamText, KeepsItsLinesUntilTheTextOrTheWidthChanges)
{
    moving_rig rig;
    std::string text = "one two three four five six seven eight nine ten";
    qel_text_fx_options o = {};
    o.width = {QEL_SIZE_FIXED, 400};
    rig.h.ui = [&](qel_context* ctx) { qel_stream_text(ctx, "lines", text.c_str(), &o); };
    rig.h.run(2);
    uint32_t id = qel_id(rig.h.ctx, "lines");
    float one_line = rig.h.rect(id).h;
    o.width.value = 90;
    rig.h.run();
    float narrow = rig.h.rect(id).h;
    EXPECT_GT(narrow, 3 * one_line) << "wrapped again at the new width";
    text += " eleven twelve thirteen";
    rig.h.run();
    EXPECT_GT(rig.h.rect(id).h, narrow) << "and again for the appended words";
    text = "short";
    rig.h.run();
    EXPECT_EQ(rig.h.rect(id).h, one_line);
}

// --- Word reveal ---

TEST(WordReveal, LeadingBlanksStartNoWord)
{
    moving_rig rig;
    qel_text_fx_options o = {};
    o.rate = 2;  // a word every half second
    rig.h.ui = [&](qel_context* ctx) { qel_word_reveal(ctx, "words", "  a b", &o); };
    rig.h.run(19);  // 0.3 s
    EXPECT_EQ(glyph_count(rig), 0u) << "\"a\" is word 1, not word 0";
    rig.h.run(30);  // 0.8 s
    EXPECT_EQ(glyph_count(rig), 1u);
    rig.h.run(90);
    EXPECT_EQ(glyph_count(rig), 2u);
    EXPECT_FALSE(qel_needs_redraw(rig.h.ctx)) << "a finished reveal asks for no frames";
}

// --- Rotating words ---

static float body_width(qel_context* ctx, const char* text)
{
    return qel_text_width(ctx, 0, qel_theme_block_get(ctx)->text_body, text, -1, 0);
}

TEST(RotatingWords, OneWordOrNoMotionNeverSwitch)
{
    static const char* const words[2] = {"alpha", "beta"};
    for (int32_t count : {1, 2}) {
        for (bool moving : {true, false}) {
            if (count == 2 && moving) continue;
            widget_rig rig(400, 100, QEL_THEME_LIGHT, !moving);
            rig.h.ui = [&](qel_context* ctx) { qel_rotating_words(ctx, "rot", words, count, 1, nullptr); };
            rig.h.run(200);
            EXPECT_FLOAT_EQ(rig.h.rect(qel_id(rig.h.ctx, "rot")).w, body_width(rig.h.ctx, "alpha"));
            EXPECT_EQ(glyph_count(rig), 5u);
        }
    }
}

TEST(RotatingWords, SwitchesAndSurvivesAListShrunkUnderItsIndices)
{
    moving_rig rig;
    guard_page_block block(3 * sizeof(const char*));
    auto* words = (const char**)block.data;
    words[0] = "one";
    words[1] = "two";
    words[2] = "three";
    const char* const* list = words;
    int32_t count = 3;
    rig.h.ui = [&](qel_context* ctx) { qel_rotating_words(ctx, "rot", list, count, 1, nullptr); };
    rig.h.run(60 * 2 + 30);  // two switches: "three" stands, "two" before it
    EXPECT_NEAR(rig.h.rect(qel_id(rig.h.ctx, "rot")).w, body_width(rig.h.ctx, "three"), 0.5f);
    // Only the last entry is left, against the unreadable page: index 2 and previous 1 are
    // both past it.
    list = words + 2;
    count = 1;
    rig.h.run(30);
    EXPECT_NEAR(rig.h.rect(qel_id(rig.h.ctx, "rot")).w, body_width(rig.h.ctx, "three"), 0.5f);
    EXPECT_EQ(glyph_count(rig), 5u);
    words[2] = nullptr;
    rig.h.run(30);
    EXPECT_EQ(rig.h.rect(qel_id(rig.h.ctx, "rot")).w, 1) << "a null word is empty";
}

TEST(RotatingWords, UnboundedIntervalsAndRatesNeverReachTheFrameClock)
{
    static const char* const words[2] = {"alpha", "beta"};
    const float inf = std::numeric_limits<float>::infinity();
    moving_rig rig;
    qel_text_fx_options fast = {};
    fast.rate = inf;
    fast.delay = inf;
    rig.h.ui = [&](qel_context* ctx) {
        qel_rotating_words(ctx, "rot", words, 2, inf, nullptr);
        qel_shimmer_text(ctx, "Shimmer", &fast);
        qel_stream_text(ctx, "later", "Never yet", &fast);
    };
    rig.h.run(3);
    EXPECT_TRUE(std::isfinite(qel_wake_timeout(rig.h.ctx)));
    EXPECT_EQ(glyph_count(rig), 5u + 7u) << "alpha and the shimmer; the stream waits";
}

// --- Rolling number ---

struct roll_scene {
    moving_rig rig;
    std::string text;
    explicit roll_scene(const char* first) : text(first)
    {
        rig.h.ui = [this](qel_context* ctx) { qel_rolling_number_text(ctx, "n", text.c_str(), nullptr); };
        rig.h.run(2);
    }
    qel_rect node() { return rig.h.rect(qel_id(rig.h.ctx, "n")); }
    // The rightmost glyph of the last frame.
    drawn_glyph rightmost()
    {
        drawn_glyph best = {-1, 0, 0};
        for (const drawn_glyph& g : glyphs_of(rig.h.draw_data()))
            if (g.x > best.x) best = g;
        return best;
    }
    // Glyphs drawn fading (mid-roll), and whether any lies above or below rest_y.
    std::vector<drawn_glyph> fading()
    {
        std::vector<drawn_glyph> out;
        for (const drawn_glyph& g : glyphs_of(rig.h.draw_data()))
            if ((g.fill >> 24) < 250) out.push_back(g);
        return out;
    }
};

TEST(RollingNumber, ChangedDigitsRollUpRightmostFirst)
{
    roll_scene s("$1,299");
    float rest_y = s.rightmost().y;  // the last 9 at rest
    float right = s.node().x + s.node().w;
    float digit = qel_text_width(s.rig.h.ctx, 0, qel_theme_block_get(s.rig.h.ctx)->text_body, "9", 1, 0);
    s.text = "$1,300";
    s.rig.h.run(2);  // 1/30 s: only the last digit has started
    std::vector<drawn_glyph> moving = s.fading();
    ASSERT_FALSE(moving.empty());
    bool rises = false;
    for (const drawn_glyph& g : moving) {
        EXPECT_GT(g.x, right - digit - 1) << "only the rightmost slot rolls yet";
        rises |= g.y < rest_y - 0.5f;
    }
    EXPECT_TRUE(rises) << "up: the old digit rises";
    s.rig.h.run(3);  // 1/12 s: the three changed slots roll, the comma and the 1 rest
    for (const drawn_glyph& g : s.fading()) EXPECT_GT(g.x, right - 3 * digit - 1);
    float left_of_comma = right;
    for (const drawn_glyph& g : s.fading()) left_of_comma = std::fmin(left_of_comma, g.x);
    s.rig.h.run(120);
    EXPECT_TRUE(s.fading().empty());
    EXPECT_EQ(glyphs_of(s.rig.h.draw_data()).size(), 6u);
    EXPECT_LT(left_of_comma, right - 2 * digit) << "the third slot from the right had started";
    EXPECT_FALSE(qel_needs_redraw(s.rig.h.ctx));
}

TEST(RollingNumber, AFallRollsDownAndAffixesStayPut)
{
    roll_scene s("-5");
    float rest_y = s.rightmost().y;
    s.text = "-7";
    s.rig.h.run(3);
    bool falls = false;
    for (const drawn_glyph& g : s.fading()) falls |= g.y > rest_y + 0.5f;
    EXPECT_TRUE(falls) << "down: the old digit sinks";
    // A number of 95 digits reads as a double, and long affixes are cut on whole characters.
    std::string huge = "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC" +
                       std::string(95, '9') + " units and more units";
    s.text = huge;
    s.rig.h.run(60);
    s.text = "1";
    s.rig.h.run(60);
    EXPECT_EQ(glyphs_of(s.rig.h.draw_data()).size(), 1u);
}

// --- Shimmer and gradient ---

TEST(ShimmerText, SweepsABandWhileMotionRunsAndRestsInAMixWithout)
{
    moving_rig rig;
    rig.h.ui = [&](qel_context* ctx) { qel_shimmer_text(ctx, "Thinking about it", nullptr); };
    rig.h.run(20);
    std::vector<drawn_glyph> g = glyphs_of(rig.h.draw_data());
    ASSERT_EQ(g.size(), 15u);
    bool varies = false;
    for (const drawn_glyph& d : g) varies |= d.fill != g[0].fill;
    EXPECT_TRUE(varies);
    EXPECT_TRUE(qel_needs_redraw(rig.h.ctx));
    qel_theme_set_reduced_motion(rig.h.ctx, 1);
    rig.h.run(2);
    qel_color still = qel_color_mix(qel_theme_color(rig.h.ctx, QEL_COLOR_TEXT_MUTED),
                                    qel_theme_color(rig.h.ctx, QEL_COLOR_TEXT), 0.35f);
    for (const drawn_glyph& d : glyphs_of(rig.h.draw_data())) EXPECT_EQ(d.fill, still);
}

TEST(GradientText, RunsFromTheFirstColourToTheSecondAndBack)
{
    widget_rig rig(640, 100);
    qel_gradient_text_options o = {};
    o.color = 0xFF0000FF;
    o.color2 = 0xFFFF0000;
    rig.h.ui = [&](qel_context* ctx) { qel_gradient_text(ctx, "mmmmmmmmmmmmmmmmmmmm", &o); };
    rig.h.run();
    std::vector<drawn_glyph> g = glyphs_of(rig.h.draw_data());
    ASSERT_EQ(g.size(), 20u);
    EXPECT_EQ(g[0].fill, 0xFF0000FFu);
    // The node spans the window, so the text covers the way toward blue at its middle.
    for (size_t i = 1; i < g.size(); i++) EXPECT_GT(g[i].fill >> 16 & 0xFF, g[i - 1].fill >> 16 & 0xFF);
    o.width = {QEL_SIZE_FIXED, qel_text_width(rig.h.ctx, 0, qel_theme_block_get(rig.h.ctx)->text_body, "mmmmmmmmmm", -1, 0)};
    rig.h.ui = [&](qel_context* ctx) { qel_gradient_text(ctx, "mmmmmmmmmm", &o); };
    rig.h.run();
    g = glyphs_of(rig.h.draw_data());
    ASSERT_EQ(g.size(), 10u);
    EXPECT_GT(g[5].fill >> 16 & 0xFF, 0xE0u) << "blue at the middle of the node";
    EXPECT_GT(g[9].fill & 0xFF, g[5].fill & 0xFF) << "and back toward red at its end";
}
