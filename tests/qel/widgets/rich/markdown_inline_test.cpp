// The Markdown inline parser on tables of texts, each written out as its spans: style letters
// (S strong, E emphasis, X strike, C code), ":" and the text, "@" and the link's URL ("@?" for an
// inactive link), a break as "/"; spans joined by "|".
#include <gtest/gtest.h>

#include <string>

#include "qel/qel.h"
#include "support/qel_fixture.h"

static std::string spans_of(qel_context* ctx, const std::string& text, bool streaming)
{
    qel_markdown_inline_result r = qel_markdown_inline(ctx, text.data(), (int32_t)text.size(), streaming);
    std::string out;
    for (int32_t i = 0; i < r.span_count; i++) {
        const qel_markdown_span& s = r.spans[i];
        if (i) out += "|";
        if (s.style & QEL_MD_BREAK) {
            out += "/";
            continue;
        }
        if (s.style & QEL_MD_STRONG) out += "S";
        if (s.style & QEL_MD_EMPHASIS) out += "E";
        if (s.style & QEL_MD_STRIKE) out += "X";
        if (s.style & QEL_MD_CODE) out += "C";
        out += ":" + std::string(s.text, (size_t)s.length);
        if (s.link >= 0) {
            const qel_markdown_link& l = r.links[s.link];
            out += l.url ? "@" + std::string(l.url, (size_t)l.length) : std::string("@?");
        }
    }
    return out;
}

struct inline_case {
    const char* text;
    const char* spans;
};

static void expect_cases(qel_context* ctx, const inline_case* cases, size_t count, bool streaming)
{
    for (size_t i = 0; i < count; i++)
        EXPECT_EQ(spans_of(ctx, cases[i].text, streaming), cases[i].spans) << "text: " << cases[i].text;
}

class MarkdownInline : public QelTest {
protected:
    void TearDown() override
    {
        next_frame();
        QelTest::TearDown();
    }
};

TEST_F(MarkdownInline, EscapesEntitiesCodeAndBreaks)
{
    static const inline_case cases[] = {
        {"a\\b", ":a\\b"},
        {"\\*a\\*", ":*a|:*"},
        {"end\\", ":end\\"},
        {"&amp;&lt;&gt;&quot;&#39;&nbsp;&copy;", ":&|:<|:>|:\"|:'|:\xC2\xA0|:&copy;"},
        {"a<br>b<BR />c<br x>", ":a|/|:b|/|:c<br x>"},
        {"a\nb", ":a|/|:b"},
        {"`code` and `` a ` b ``", "C:code|: and |C:a ` b"},
        {"` a `` b", ":` a `` b"},
        {"`  `", "C:  "},
        {"*`a*`*", "EC:a*"},
    };
    expect_cases(ctx, cases, std::size(cases), false);
}

TEST_F(MarkdownInline, EmphasisFollowsTheFlankingRulesAndTheRuleOfThree)
{
    static const inline_case cases[] = {
        {"***a***", "SE:a"},
        {"**a** b", "S:a|: b"},
        {"*a**", "E:a|:*"},
        {"**a*", ":*|E:a"},
        {"a * b *", ":a * b *"},
        {"snake_case_name", ":snake_case_name"},
        {"_a_b", ":_a_b"},
        {"*a**b*", "E:a**b"},
        {"**a*b*c**", "S:a|SE:b|S:c"},
        {"~~a~~ ~b~ ~~~c~~~", "X:a|: ~b~ ~~~c~~~"},
        {"*a _b* c_", "E:a _b|: c_"},
    };
    expect_cases(ctx, cases, std::size(cases), false);
}

TEST_F(MarkdownInline, LinksImagesAndAutolinks)
{
    static const inline_case cases[] = {
        {"[a](b)", ":a@b"},
        {"[a *b*](<c d> \"t\") e", ":a @c d|E:b@c d|: e"},
        {"![alt](img.png)", ":alt@img.png"},
        {"[a [b](c) d](e)", ":[a |:b@c|: d](e)"},
        {"![a [b](c)](d)", ":a @d|:b@c"},
        {"[a](b", ":[a](b"},
        {"[a] (b)", ":[a] (b)"},
        {"[a](b(c)d)", ":a@b(c)d"},
        {"[a](b(c \"t\")", ":[a](b(c \"t\")"},
        {"[a](<b<c>)", ":[a](<b<c>)"},
        {"*[a*](b)", ":*|:a*@b"},
        {"see https://x.org/a.", ":see |:https://x.org/a@https://x.org/a|:."},
        {"(www.x.org/a)", ":(|:www.x.org/a@www.x.org/a|:)"},
        {"http:// no", ":http:// no"},
        {"<https://x.org> <b@c>", ":https://x.org@https://x.org|: <b@c>"},
        {"[go https://x.org](y)", ":[go |:https://x.org](y)@https://x.org](y)"},
    };
    expect_cases(ctx, cases, std::size(cases), false);
}

TEST_F(MarkdownInline, StreamingShowsUnfinishedEndsAsFinishedOrHidden)
{
    static const inline_case cases[] = {
        {"a **bold", ":a |S:bold"},
        {"a ***both", ":a |SE:both"},
        {"a `code", ":a |C:code"},
        {"a [link](http://x", ":a |:link@?"},
        {"a [link]", ":a |:link@?"},
        {"a [link", ":a |:link"},
        {"~~gone", "X:gone"},
        {"done*", ":done"},
        {"**a** b", "S:a|: b"},
    };
    expect_cases(ctx, cases, std::size(cases), true);
}

TEST_F(MarkdownInline, LinksKeepTheirOwnFlags)
{
    std::string text = "<http://a.b> [c](d) www.e.f";
    qel_markdown_inline_result r = qel_markdown_inline(ctx, text.data(), (int32_t)text.size(), false);
    ASSERT_EQ(r.link_count, 3);
    EXPECT_TRUE(r.links[0].autolink);
    EXPECT_FALSE(r.links[1].autolink);
    EXPECT_TRUE(r.links[2].www);
    EXPECT_EQ(qel_markdown_inline(ctx, "x", 0, false).span_count, 0);
}

// A destination nesting "(" deeper than 32 is no link; later scans that start inside one that
// gave up and jump over its bytes find what a fresh scan finds.
TEST_F(MarkdownInline, DestinationsNestingTooDeepAreText)
{
    auto repeat = [](const std::string& unit, int times) {
        std::string s;
        for (int i = 0; i < times; i++) s += unit;
        return s;
    };
    const std::string deep = "[a](" + repeat("(", 33) + "x";
    const std::string inside = "[a](" + repeat("(", 30) + "[b](c)" + repeat("(", 5) + " z";
    const std::string escaped = "[a](" + repeat("\\(", 40) + ")";
    const std::string runs = repeat("[a](x", 40) + repeat(")", 50);
    const std::string answers[] = {":" + deep, ":[a](" + repeat("(", 30) + "|:b@c|:" + repeat("(", 5) + " z",
                                   ":a@" + repeat("\\(", 40),
                                   ":" + repeat("[a](x", 7) + "|:a@x" + repeat("[a](x", 32) + repeat(")", 32) + "|:" + repeat(")", 17)};
    const std::string* texts[] = {&deep, &inside, &escaped, &runs};
    for (size_t i = 0; i < std::size(texts); i++) EXPECT_EQ(spans_of(ctx, *texts[i], false), answers[i]) << *texts[i];
}

// Scans that fail are not run again over the same bytes, so hostile texts parse in about the time
// of their length; each must also leave every byte accounted for.
TEST_F(MarkdownInline, HostileTextsKeepEveryByte)
{
    static const char* const units[] = {"[a](b (", "[a](x", "[a](<", "[a](b \"", "*", "`a", "\\", "![", "_a*"};
    for (const char* unit : units) {
        std::string text;
        while (text.size() < 200000) text += unit;
        qel_markdown_inline_result r = qel_markdown_inline(ctx, text.data(), (int32_t)text.size(), false);
        size_t shown = 0;
        for (int32_t i = 0; i < r.span_count; i++) shown += (size_t)r.spans[i].length;
        EXPECT_GT(shown, text.size() / 3) << unit;
        qel_markdown_inline(ctx, text.data(), (int32_t)text.size(), true);
    }
}
