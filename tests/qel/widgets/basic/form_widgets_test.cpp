// Radio cards, tag lists and the tag input, the one-time code and the password-strength meter
// driven over scripted frames: choosing cards by click and by key, splitting, appending and
// removing tags within the caller's buffer, typing and pasting tags, removing them by Backspace
// and by their buttons, filling code cells by typing and pasting, and scoring passwords.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

static std::string tags_of(const char* text)
{
    int32_t starts[QEL_TAGS_MAX], lengths[QEL_TAGS_MAX];
    int32_t n = qel_tags_split(text, starts, lengths);
    std::string out;
    for (int32_t i = 0; i < n; i++) out += (i ? "|" : "") + std::string(text + starts[i], (size_t)lengths[i]);
    return out;
}

// --- Radio cards ---

static const qel_radio_card_item PLANS[4] = {
    {"Roll", "Continuous labels", QEL_ICON_ARROW_LEFT, nullptr},
    {"Fanfold", "Stacked labels", nullptr, "New"},
    {"Sheet", nullptr, nullptr, nullptr},
    {"Tag", "Hang tags", QEL_ICON_ARROW_RIGHT, nullptr},
};

static uint32_t card_id(qel_context* ctx, const char* label, int32_t i)
{
    return qel_hash_bytes(&i, sizeof i, qel_id(ctx, label));
}

TEST(RadioCards, FourCardsSitInTwoColumnsAndChooseByClickAndKey)
{
    widget_rig rig(600, 400);
    uint32_t selected = 0;
    int changes = 0;
    qel_radio_cards_opts opts = {};
    uint32_t count = 4;
    rig.h.ui = [&](qel_context* ctx) { changes += qel_radio_cards(ctx, "stock", PLANS, count, &selected, &opts); };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    qel_rect c0 = rig.h.rect(card_id(ctx, "stock", 0)), c1 = rig.h.rect(card_id(ctx, "stock", 1));
    qel_rect c2 = rig.h.rect(card_id(ctx, "stock", 2));
    EXPECT_EQ(c1.y, c0.y);
    EXPECT_GT(c2.y, c0.y);
    EXPECT_EQ(c2.x, c0.x) << "two columns";
    EXPECT_NE(node_with_text(ctx, "New"), nullptr) << "the badge";

    qel_vec2 c = rig.centre(card_id(ctx, "stock", 2));
    rig.h.click(c.x, c.y);
    EXPECT_EQ(selected, 2u);
    EXPECT_EQ(changes, 1);
    rig.h.tap(QEL_KEY_RIGHT);  // shows the ring first
    rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(selected, 3u);
    EXPECT_EQ(qel_focused_id(ctx), card_id(ctx, "stock", 3));
    rig.h.tap(QEL_KEY_DOWN);
    EXPECT_EQ(selected, 3u) << "no card after the last";
    rig.h.tap(QEL_KEY_UP);
    EXPECT_EQ(selected, 2u);
    EXPECT_EQ(changes, 3);

    opts.columns = 1;
    rig.h.run(2);
    EXPECT_GT(rig.h.rect(card_id(ctx, "stock", 1)).y, rig.h.rect(card_id(ctx, "stock", 0)).y);
    count = 0;
    rig.h.run();
    EXPECT_EQ(node_with_text(ctx, "Roll"), nullptr);
}

// --- Tag lists ---

TEST(Tags, SplitSkipsEmptyPiecesAndTrims)
{
    const struct {
        const char* text;
        const char* tags;
    } cases[] = {
        {"tea, coffee", "tea|coffee"},
        {" , ,tea ,, green tea  ,", "tea|green tea"},
        {"", ""},
        {",,,", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(tags_of(c.text), c.tags) << c.text;
    EXPECT_EQ(qel_tags_split(nullptr, nullptr, nullptr), 0);
    std::string many;
    for (int i = 0; i < 70; i++) many += "t" + std::to_string(i) + ",";
    int32_t starts[QEL_TAGS_MAX], lengths[QEL_TAGS_MAX];
    EXPECT_EQ(qel_tags_split(many.c_str(), starts, lengths), 64);
}

TEST(Tags, AppendDropsWhatDoesNotFit)
{
    char buffer[16] = "";
    qel_tags_append(buffer, sizeof buffer, "  tea ");
    EXPECT_STREQ(buffer, "tea");
    qel_tags_append(buffer, sizeof buffer, "   ");
    EXPECT_STREQ(buffer, "tea");
    qel_tags_append(buffer, sizeof buffer, "coffee");  // 3 + 6 + 3 < 16
    EXPECT_STREQ(buffer, "tea, coffee");
    qel_tags_append(buffer, sizeof buffer, "mi");  // 11 + 2 + 3 reaches 16: dropped
    EXPECT_STREQ(buffer, "tea, coffee");
}

TEST(Tags, RemovalStaysInTheBufferAndKeepsEveryOtherTag)
{
    char buffer[64] = "tea,coffee ,  milk";
    int32_t starts[QEL_TAGS_MAX], lengths[QEL_TAGS_MAX];
    int32_t n = qel_tags_split(buffer, starts, lengths);
    qel_tags_remove(buffer, sizeof buffer, buffer, starts, lengths, n, 1);
    EXPECT_STREQ(buffer, "tea, milk");

    // Longer than any fixed work buffer: all other tags survive.
    std::string big;
    for (int i = 0; i < 60; i++) big += std::string(50, char('a' + i % 26)) + ", ";
    std::vector<char> wide(big.begin(), big.end());
    wide.push_back(0);
    n = qel_tags_split(wide.data(), starts, lengths);
    ASSERT_EQ(n, 60);
    qel_tags_remove(wide.data(), wide.size(), wide.data(), starts, lengths, n, 0);
    EXPECT_EQ(qel_tags_split(wide.data(), starts, lengths), 59);
    EXPECT_EQ(std::string(wide.data() + starts[58], (size_t)lengths[58]), std::string(50, char('a' + 59 % 26)));

    // Commas without spaces that would not fit once widened stay commas.
    char tight[10] = "a,b,c,d,e";
    n = qel_tags_split(tight, starts, lengths);
    qel_tags_remove(tight, sizeof tight, tight, starts, lengths, n, 4);
    EXPECT_STREQ(tight, "a,b,c,d");
    char source[] = "a, b, c";
    char small[4] = "xyz";
    n = qel_tags_split(source, starts, lengths);
    qel_tags_remove(small, sizeof small, source, starts, lengths, n, 1);
    EXPECT_STREQ(small, "a,c");
}

// --- Tag input ---

struct tag_rig {
    widget_rig rig;
    char tags[64] = "tea";
    qel_tag_input_opts opts = {};
    int changes = 0;

    tag_rig() : rig(400, 200)
    {
        rig.h.ui = [this](qel_context* ctx) { changes += qel_tag_input(ctx, "tags", tags, sizeof tags, &opts); };
        rig.h.run(2);
    }
    uint32_t field() { return qel_id(rig.h.ctx, "tags") ^ PART_TAG_FIELD; }
    void focus()
    {
        qel_vec2 c = rig.centre(field());
        rig.h.click(c.x, c.y);
    }
};

TEST(TagInput, CommasAndEnterAddTagsAndBackspaceRemovesTheLast)
{
    tag_rig t;
    t.focus();
    ASSERT_EQ(qel_focused_id(t.rig.h.ctx), t.field());
    t.rig.h.type("coffee,,milk, oat");
    t.rig.h.run();
    EXPECT_STREQ(t.tags, "tea, coffee, milk");
    EXPECT_EQ(t.changes, 1);
    t.rig.h.run();
    EXPECT_NE(node_with_text(t.rig.h.ctx, "milk"), nullptr);
    t.rig.h.tap(QEL_KEY_ENTER);
    EXPECT_STREQ(t.tags, "tea, coffee, milk, oat");
    EXPECT_EQ(t.changes, 2);
    t.rig.h.tap(QEL_KEY_BACKSPACE);
    EXPECT_STREQ(t.tags, "tea, coffee, milk");
    t.rig.h.tap(QEL_KEY_BACKSPACE);
    t.rig.h.tap(QEL_KEY_BACKSPACE);
    t.rig.h.tap(QEL_KEY_BACKSPACE);
    t.rig.h.tap(QEL_KEY_BACKSPACE);
    EXPECT_STREQ(t.tags, "");
    EXPECT_EQ(t.changes, 6);
}

TEST(TagInput, EachChipRemovesItsOwnTag)
{
    tag_rig t;
    strcpy(t.tags, "tea, coffee, milk");
    t.rig.h.run(2);
    qel_context* ctx = t.rig.h.ctx;
    qel_push_id_int(ctx, 1);
    uint32_t remove = qel_id(ctx, QEL_ICON_X);
    qel_pop_id(ctx);
    EXPECT_EQ(t.rig.h.rect(remove).w, 18);
    qel_vec2 c = t.rig.centre(remove);
    t.rig.h.click(c.x, c.y);
    EXPECT_STREQ(t.tags, "tea, milk");
}

TEST(TagInput, AFullInputTakesNoMoreTags)
{
    tag_rig t;
    t.opts.max_tags = 2;
    strcpy(t.tags, "tea, coffee");
    t.focus();
    t.rig.h.type("milk,");
    t.rig.h.run();
    EXPECT_STREQ(t.tags, "tea, coffee") << "read-only while full";
    t.opts.max_tags = 3;
    t.rig.h.type("milk,oat,");
    t.rig.h.run();
    EXPECT_STREQ(t.tags, "tea, coffee, milk, oat") << "fullness is decided as the frame begins";
}

// --- One-time code ---

struct otp_rig {
    widget_rig rig;
    char code[16] = "";
    int32_t cells = 6;
    int completions = 0;
    std::string clipboard;

    otp_rig() : rig(500, 120)
    {
        qel_platform p = {};
        p.user = this;
        p.get_clipboard = [](void* u) -> const char* { return ((otp_rig*)u)->clipboard.c_str(); };
        qel_ctx_set_platform(rig.h.ctx, &p);
        rig.h.ui = [this](qel_context* ctx) { completions += qel_otp_input(ctx, "code", code, cells); };
        rig.h.run(2);
        qel_vec2 c = rig.centre(qel_id(rig.h.ctx, "code"));
        rig.h.click(c.x, c.y);
    }
};

TEST(OneTimeCode, TypingFillsLettersAndDigitsAndCompletesOnce)
{
    otp_rig o;
    o.rig.h.type("12a!4");
    o.rig.h.run();
    EXPECT_STREQ(o.code, "12a4");
    o.rig.h.type("bZ9");
    o.rig.h.run();
    EXPECT_STREQ(o.code, "12a4bZ") << "a seventh character is ignored";
    EXPECT_EQ(o.completions, 1);
    o.rig.h.run(2);
    EXPECT_EQ(o.completions, 1);
    o.rig.h.tap(QEL_KEY_BACKSPACE);
    EXPECT_STREQ(o.code, "12a4b");
    o.rig.h.type("x");
    o.rig.h.run();
    EXPECT_EQ(o.completions, 2) << "completing again reports again";
    o.rig.h.tap(QEL_KEY_ESCAPE);
    EXPECT_EQ(qel_focused_id(o.rig.h.ctx), 0u);
}

TEST(OneTimeCode, CtrlVPastesTheLettersAndDigitsOfTheClipboard)
{
    otp_rig o;
    strcpy(o.code, "99");
    o.clipboard = " 482-913 7";
    o.rig.h.tap(QEL_KEY_A + ('V' - 'A'), QEL_MOD_CTRL);
    EXPECT_STREQ(o.code, "482913");
    EXPECT_EQ(o.completions, 1);
}

TEST(OneTimeCode, CellsStopAtTwelveAndLongCodesHaveADash)
{
    const struct {
        int32_t cells, shown;
        bool dash;
    } cases[] = {{6, 6, true}, {4, 4, false}, {20, 12, true}, {0, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cells);
        otp_rig o;
        o.cells = c.cells;
        o.rig.h.run(2);
        const qel_node* row = node_with_id(o.rig.h.ctx, qel_id(o.rig.h.ctx, "code"));
        if (c.shown == 0) {
            EXPECT_EQ(row, nullptr);
            continue;
        }
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->child_count, c.shown + (c.dash ? 1 : 0));
        if (c.dash) {
            // The dash follows cell shown / 2 - 1.
            int32_t k = row->first_child;
            for (int32_t i = 0; i < c.shown / 2; i++) k = inspect_node(o.rig.h.ctx, k)->next_sibling;
            EXPECT_EQ(inspect_node(o.rig.h.ctx, k)->width.value, 10);
        }
    }
}

// --- Password strength ---

TEST(PasswordStrength, ScoresByLengthAndCharacterClasses)
{
    const struct {
        const char* password;
        int32_t score;
        const char* word;
    } cases[] = {
        {"", 0, ""},
        {"abc", 0, "Too short"},
        {"abcdef1", 1, "Weak"},
        {"abcdefgh", 1, "Weak"},
        {"abcdEfgh", 2, "Fair"},
        {"aB3$efghij", 4, "Strong"},
        {"abcdefghijkl", 2, "Fair"},
        {"abcdefghijk1", 3, "Good"},
        {"abcdefghijK1!x", 4, "Strong"},
    };
    widget_rig rig;
    for (const auto& c : cases) {
        int32_t score = -1;
        rig.h.ui = [&](qel_context* ctx) { score = qel_password_strength(ctx, c.password); };
        rig.h.run();
        EXPECT_EQ(score, c.score) << c.password;
        if (c.word[0]) {
            EXPECT_NE(node_with_text(rig.h.ctx, c.word), nullptr) << c.password;
        }
    }
    int32_t none = -1;
    rig.h.ui = [&](qel_context* ctx) { none = qel_password_strength(ctx, nullptr); };
    rig.h.run();
    EXPECT_EQ(none, 0);
}
