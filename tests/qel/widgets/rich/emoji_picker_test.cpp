// The emoji catalogue and the picker, driven through frames: the platform's emoji renderer (a
// square of a colour drawn from the text) stands in for a font, so the whole catalogue is listed;
// the small COLR font shows which entries a font lacks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel_headless.h"
#include "scratch.h"
#include "widget_rig.h"
#include "widgets/rich/emoji_picker_grid.h"

namespace {

bool square_of_text(void*, const char* utf8, int32_t length, float size, uint8_t* rgba)
{
    uint32_t h = qel_hash_bytes(utf8, (size_t)length, 7);
    int32_t side = (int32_t)size;
    for (int32_t y = 2; y < side - 2; y++)
        for (int32_t x = 2; x < side - 2; x++) {
            uint8_t* p = rgba + ((size_t)y * side + x) * 4;
            p[0] = (uint8_t)(h >> 0), p[1] = (uint8_t)(h >> 8), p[2] = (uint8_t)(h >> 16), p[3] = 255;
        }
    return true;
}

struct picker_rig : widget_rig {
    qel_platform platform = {};
    qel_emoji_picker_options options = {};
    std::string chosen;
    uint32_t search_id = 0, grid_id = 0;

    explicit picker_rig(uint32_t mode = QEL_THEME_LIGHT, bool platform_emoji = true) : widget_rig(380, 480, mode)
    {
        if (platform_emoji) {
            platform.render_emoji = square_of_text;
            qel_ctx_set_platform(h.ctx, &platform);
        }
        h.ui = [this](qel_context* ctx) {
            const char* got = qel_emoji_picker(ctx, "emoji", &options);
            if (got) chosen = got;
            qel_push_id(ctx, "emoji");
            search_id = qel_id(ctx, "#search");
            grid_id = qel_id(ctx, "#grid");
            qel_pop_id(ctx);
        };
        h.run(2);
    }
    qel_emoji_picker_state* ps() { return (qel_emoji_picker_state*)qel_state_get(h.ctx, qel_id(h.ctx, "emoji"), 1); }
    qel_emoji_state* st() { return qel_emoji_state_of(h.ctx); }
    std::string name_of(int32_t result)
    {
        const qel_emoji_entry& e = st()->entries[ps()->results[result]];
        return std::string(st()->catalogue + e.name, e.name_length);
    }
    void search(const char* query)
    {
        click_on(search_id);
        h.key(QEL_KEY_A, true, QEL_MOD_CTRL);
        h.run();
        h.key(QEL_KEY_A, false, QEL_MOD_CTRL);
        h.tap(QEL_KEY_BACKSPACE);
        h.type(query);
        h.run(2);
    }
    // Enter in the search field; what it chose.
    std::string enter()
    {
        chosen.clear();
        h.tap(QEL_KEY_ENTER);
        h.run();
        return chosen;
    }
};

int32_t entry_named(const qel_emoji_state* st, const char* name)
{
    for (int32_t i = 0; i < st->entry_count; i++) {
        const qel_emoji_entry& e = st->entries[i];
        if (e.name_length == strlen(name) && memcmp(st->catalogue + e.name, name, e.name_length) == 0) return i;
    }
    return -1;
}

}  // namespace

TEST(EmojiCatalogue, InflatesToNineCategoriesOfEntries)
{
    picker_rig rig;
    const qel_emoji_state* st = rig.st();
    ASSERT_EQ(st->entry_count, QEL_EMOJI_CATALOGUE_ENTRIES);
    int32_t per_category[QEL_EMOJI_CATEGORIES] = {};
    for (int32_t i = 0; i < st->entry_count; i++) per_category[st->entries[i].category]++;
    for (int32_t c = 0; c < QEL_EMOJI_CATEGORIES; c++) EXPECT_GT(per_category[c], 0) << c;
    EXPECT_EQ(st->entries[st->entry_count - 1].category, 8);
    // The keycap number sign starts with "#" and is an entry, not a category.
    int32_t keycap = entry_named(st, "keycap: #");
    ASSERT_GE(keycap, 0);
    EXPECT_EQ(std::string(st->catalogue + st->entries[keycap].sequence, st->entries[keycap].sequence_length),
              "#\uFE0F\u20E3");
    int32_t wave = entry_named(st, "waving hand");
    ASSERT_GE(wave, 0);
    EXPECT_EQ(st->entries[wave].skin_tone, 1);
    EXPECT_EQ(st->entries[wave].version, 0);
    EXPECT_EQ(st->entries[entry_named(st, "grinning face")].version, 2);  // E1.0
}

TEST(EmojiCatalogue, SkinTonesGoAfterEachCodePointThatTakesOne)
{
    struct {
        const char* in;
        int32_t tone;
        const char* out;
    } cases[] = {
        {"👋", 3, "👋🏽"},
        {"🖐️", 1, "🖐🏻"},                                   // the selector after the modifier goes
        {"🧑‍🤝‍🧑", 5, "🧑🏿‍🤝‍🧑🏿"},                               // the handshake inside takes none
        {"🤝", 2, "🤝🏼"},                                   // but on its own it does
        {"a", 4, "a"},
    };
    for (const auto& c : cases) {
        qel_emoji_text t = qel_emoji_apply_skin_tone(c.in, (int32_t)strlen(c.in), c.tone);
        EXPECT_STREQ(t.text, c.out) << c.in;
        EXPECT_EQ(t.length, strlen(c.out));
    }
    // Output stops after the code point that takes it past 55 bytes.
    std::string hands;
    for (int i = 0; i < 12; i++) hands += "👋";
    qel_emoji_text t = qel_emoji_apply_skin_tone(hands.c_str(), (int32_t)hands.size(), 1);
    EXPECT_EQ(t.length, 56u);
}

TEST(EmojiCatalogue, QueryWordsMatchNameStartsOnly)
{
    struct {
        const char* name;
        const char* query;
        bool match;
    } cases[] = {
        {"grinning face with sweat", "s w", true},
        {"grinning face with sweat", "S W", true},
        {"grinning face with sweat", "in ce", false},
        {"flag: Japan", "jap", true},
        {"man (bald)", "bald", true},
        {"t-rex", "rex", true},
        {"ox", "oxen", false},
        {"ox", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qel_emoji_name_matches(c.name, (int32_t)strlen(c.name), c.query), c.match) << c.name << " / " << c.query;
}

TEST(EmojiPicker, BrowsingListsEveryCategoryAsOneSection)
{
    picker_rig rig;
    qel_emoji_picker_state* ps = rig.ps();
    ASSERT_EQ(ps->section_count, 9u);
    EXPECT_EQ(ps->result_count, (uint32_t)QEL_EMOJI_CATALOGUE_ENTRIES);
    for (uint32_t i = 0; i < 9; i++) EXPECT_EQ(ps->sections[i].label, (int32_t)i + 1);
    // A grid 100 wide still has four columns.
    EXPECT_EQ(qel_emoji_grid_layout_of(ps, 100, 280, 26).columns, 4);
    EXPECT_EQ(qel_emoji_grid_layout_of(ps, 380, 280, 26).columns, 9);
}

TEST(EmojiPicker, EntriesTheFontLacksDropOutWithoutSplittingTheirCategory)
{
    picker_rig rig(QEL_THEME_LIGHT, false);
    std::string font;
    const char* data = getenv("TAGMOOR_TEST_DATA");
    ASSERT_TRUE(scratch_read(std::string(data ? data : "tests/data") + "/qel/emoji/colr.ttf", &font));
    ASSERT_TRUE(qel_emoji_font_from_memory(rig.h.ctx, (const uint8_t*)font.data(), font.size(), true));
    rig.h.run(2);
    qel_emoji_picker_state* ps = rig.ps();
    // Red heart (Smileys), man and woman (People, far apart in it), star (Travel and places).
    ASSERT_EQ(ps->section_count, 3u);
    EXPECT_EQ(ps->sections[0].label, 1);
    EXPECT_EQ(ps->sections[1].label, 2);
    EXPECT_EQ(ps->sections[1].count, 2);
    EXPECT_EQ(ps->sections[2].label, 5);
}

TEST(EmojiPicker, SearchPutsNamesStartingWithTheQueryFirst)
{
    picker_rig rig;
    rig.search("face");
    qel_emoji_picker_state* ps = rig.ps();
    ASSERT_EQ(ps->section_count, 1u);
    EXPECT_EQ(ps->sections[0].label, QEL_EMOJI_LABEL_SEARCH);
    int32_t blowing = -1, grinning = -1;
    for (uint32_t i = 0; i < ps->result_count; i++) {
        if (rig.name_of((int32_t)i) == "face blowing a kiss") blowing = (int32_t)i;
        if (rig.name_of((int32_t)i) == "grinning face") grinning = (int32_t)i;
    }
    ASSERT_GE(blowing, 0);
    EXPECT_GT(grinning, blowing);
    EXPECT_EQ(rig.name_of(0).rfind("face", 0), 0u);
    rig.search("s w");
    bool sweat = false;
    for (uint32_t i = 0; i < rig.ps()->result_count; i++) sweat |= rig.name_of((int32_t)i) == "grinning face with sweat";
    EXPECT_TRUE(sweat);
    rig.search("qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq");
    EXPECT_EQ(rig.ps()->section_count, 0u);
    EXPECT_TRUE(rig.enter().empty());
}

TEST(EmojiPicker, EnterChoosesTheFirstResultWithTheToneAndRecentsKeepTheNewestFirst)
{
    picker_rig rig;
    char recent[256] = "";
    int32_t tone = 3;
    rig.options.recent = recent;
    rig.options.recent_capacity = sizeof recent;
    rig.options.skin_tone = &tone;
    rig.search("waving hand");
    EXPECT_EQ(rig.enter(), "👋🏽");
    EXPECT_STREQ(recent, "👋🏽");
    rig.search("grinning face");
    EXPECT_EQ(rig.enter(), "😀");
    EXPECT_STREQ(recent, "😀 👋🏽");
    rig.search("waving hand");
    EXPECT_EQ(rig.enter(), "👋🏽");
    EXPECT_STREQ(recent, "👋🏽 😀");
    // Browsing: the recent items come first under "Recent".
    rig.search("");
    ASSERT_GE(rig.ps()->section_count, 1u);
    EXPECT_EQ(rig.ps()->sections[0].label, QEL_EMOJI_LABEL_RECENT);
    EXPECT_EQ(rig.ps()->sections[0].count, 2);
}

TEST(EmojiPicker, TheRecentListKeepsTwentyFourItemsAndRefusesWhatCannotFit)
{
    const qel_emoji_text smile = {"😀", 4};
    qel_emoji_recent recent = {};
    char buffer[512] = "";
    for (int i = 0; i < 25; i++) {
        std::string item = "x" + std::to_string(i);
        // The list as the picker reads it, then the choice written in front.
        qel_emoji_recent_read(buffer, sizeof buffer, &recent);
        qel_emoji_text t = {};
        memcpy(t.text, item.c_str(), item.size());
        t.length = (uint32_t)item.size();
        qel_emoji_recent_write(&recent, t, buffer, sizeof buffer);
    }
    qel_emoji_recent_read(buffer, sizeof buffer, &recent);
    EXPECT_EQ(recent.count, 24);
    EXPECT_STREQ(recent.items[0], "x24");
    EXPECT_STREQ(recent.items[23], "x1");
    // A buffer too small for the choice itself is left as it was.
    char small[9] = "ab cd";
    qel_emoji_recent_write(&recent, {"🧑🏻‍❤️‍💋‍🧑🏿", 35}, small, sizeof small);
    EXPECT_STREQ(small, "ab cd");
    qel_emoji_recent_write(&recent, smile, small, sizeof small);
    EXPECT_STREQ(small, "😀 x24");
    // A toned kiss (35 bytes) is kept; an item of 64 bytes is not.
    std::string list = "🧑🏻‍❤️‍💋‍🧑🏿 " + std::string(64, 'y') + " 😀";
    qel_emoji_recent_read(list.c_str(), list.size() + 1, &recent);
    ASSERT_EQ(recent.count, 2);
    EXPECT_STREQ(recent.items[0], "🧑🏻‍❤️‍💋‍🧑🏿");
    EXPECT_STREQ(recent.items[1], "😀");
}

TEST(EmojiPicker, ArrowsCrossSectionsAndUpLeavesForTheSearchField)
{
    picker_rig rig;
    rig.click_on(rig.search_id);
    rig.h.tap(QEL_KEY_DOWN);  // empty query: the grid takes the focus and highlights the first
    rig.h.run();
    EXPECT_EQ(qel_focused_id(rig.h.ctx), rig.grid_id ^ 0x3E1Du);  // the grid's hit id
    qel_emoji_picker_state* ps = rig.ps();
    EXPECT_EQ(ps->highlight, 0);
    qel_emoji_grid_layout g = qel_emoji_grid_layout_of(ps, rig.h.rect(rig.grid_id).w, 280, 26);
    // To the last cell of the first section, then Down into the next section's first row.
    rig.h.tap(QEL_KEY_END);
    rig.h.run();
    EXPECT_EQ(ps->highlight, (int32_t)ps->result_count - 1);
    rig.h.tap(QEL_KEY_HOME);
    rig.h.run();
    int32_t first_count = ps->sections[0].count, rows = (first_count + g.columns - 1) / g.columns;
    for (int32_t r = 0; r < rows; r++) rig.h.tap(QEL_KEY_DOWN);
    rig.h.run();
    EXPECT_EQ(ps->highlight, ps->sections[1].first);
    EXPECT_GT(ps->scroll_target, 0.0f);  // scrolled to show it
    rig.h.tap(QEL_KEY_RIGHT);
    rig.h.tap(QEL_KEY_UP);
    rig.h.run();
    // Into the last row of the first section, the column kept where that row has it.
    int32_t last_row_first = (rows - 1) * g.columns;
    int32_t want = last_row_first + 1 < first_count ? last_row_first + 1 : first_count - 1;
    EXPECT_EQ(ps->highlight, want);
    rig.h.tap(QEL_KEY_HOME);
    rig.h.tap(QEL_KEY_UP);
    rig.h.run();
    EXPECT_EQ(qel_focused_id(rig.h.ctx), rig.search_id);
    EXPECT_EQ(ps->highlight, -1);
}

TEST(EmojiPicker, ThePointerChoosesACellButADragOnlyScrolls)
{
    picker_rig rig;
    qel_rect grid = rig.h.rect(rig.grid_id);
    qel_emoji_grid_layout g = qel_emoji_grid_layout_of(rig.ps(), grid.w, 280, 26);
    // The first cell sits under the 30-pixel header.
    float x = grid.x + g.margin + g.cell / 2, y = grid.y + 30 + g.cell / 2;
    rig.h.click(x, y);
    rig.h.run();
    EXPECT_EQ(rig.chosen, "😀");
    rig.chosen.clear();
    rig.h.move(x, y + 100);
    rig.h.button(0, true);
    rig.h.run();
    rig.h.move(x, y + 40);
    rig.h.run();
    rig.h.button(0, false);
    rig.h.run();
    EXPECT_TRUE(rig.chosen.empty());
    EXPECT_NEAR(rig.ps()->scroll, 60.0f, 0.5f);
    rig.h.move(x, y);
    rig.h.wheel(0, -2);
    rig.h.run();
    EXPECT_NEAR(rig.ps()->scroll, 156.0f, 0.5f);
}

TEST(EmojiPicker, TheToneListSetsTheTone)
{
    picker_rig rig;
    int32_t tone = 0;
    rig.options.skin_tone = &tone;
    rig.h.run();
    qel_push_id(rig.h.ctx, "emoji");
    uint32_t tones = qel_id(rig.h.ctx, "#tones");
    qel_push_id_int(rig.h.ctx, 4);
    uint32_t fourth = qel_id(rig.h.ctx, "#tone");
    qel_pop_id(rig.h.ctx);
    qel_pop_id(rig.h.ctx);
    rig.click_on(tones);
    rig.h.run();
    EXPECT_EQ(rig.ps()->tone_list_open, 1);
    EXPECT_GT(rig.h.rect(fourth).w, 0.0f);
    rig.click_on(fourth);
    rig.h.run();
    EXPECT_EQ(tone, 4);
    EXPECT_EQ(rig.ps()->tone_list_open, 0);
    // Out-of-range tones are held to 0..5.
    tone = 9;
    rig.h.run();
    EXPECT_EQ(tone, 5);
}

TEST(EmojiPicker, ATabScrollsToItsSectionAndClearsASearch)
{
    picker_rig rig;
    qel_push_id(rig.h.ctx, "emoji");
    qel_push_id_int(rig.h.ctx, 9);
    uint32_t flags = qel_id(rig.h.ctx, "#tab");
    qel_pop_id(rig.h.ctx);
    qel_pop_id(rig.h.ctx);
    rig.click_on(flags);
    rig.h.run(60);
    qel_emoji_picker_state* ps = rig.ps();
    qel_emoji_grid_layout g = qel_emoji_grid_layout_of(ps, rig.h.rect(rig.grid_id).w, 280, 26);
    float top = fminf(qel_emoji_section_top(g, ps, 8), g.max_scroll);
    EXPECT_NEAR(ps->scroll, top, 0.5f);
    rig.search("face");
    rig.click_on(flags);
    rig.h.run(2);
    EXPECT_STREQ(ps->query, "");
    EXPECT_NEAR(ps->scroll, top, 0.5f);
}

TEST(EmojiPicker, WithoutAnEmojiSourceNothingCanBeChosen)
{
    picker_rig rig(QEL_THEME_LIGHT, false);
    EXPECT_FALSE(rig.st()->loaded);
    EXPECT_EQ(rig.ps()->section_count, 0u);
    rig.h.click(100, 200);
    rig.h.run();
    EXPECT_TRUE(rig.chosen.empty());
}

class EmojiPickerPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(EmojiPickerPictures, ThePickerWithAHoveredEmoji)
{
    picker_rig rig(GetParam());
    qel_rect grid = rig.h.rect(rig.grid_id);
    qel_emoji_grid_layout g = qel_emoji_grid_layout_of(rig.ps(), grid.w, 280, 26);
    rig.h.move(grid.x + g.margin + g.cell * 2.5f, grid.y + 30 + g.cell * 1.5f);
    rig.h.run(12);  // twelve emoji are rasterised a frame
    EXPECT_TRUE(picture_matches(rig.shot(), themed_picture("qel/emoji_", "picker", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, EmojiPickerPictures, theme_modes());

TEST(EmojiPicker, AnotherFontRebuildsTheSections)
{
    picker_rig rig(QEL_THEME_LIGHT, false);
    const char* data = getenv("TAGMOOR_TEST_DATA");
    std::string colr, sbix;
    ASSERT_TRUE(scratch_read(std::string(data ? data : "tests/data") + "/qel/emoji/colr.ttf", &colr));
    ASSERT_TRUE(scratch_read(std::string(data ? data : "tests/data") + "/qel/emoji/sbix.ttf", &sbix));
    ASSERT_TRUE(qel_emoji_font_from_memory(rig.h.ctx, (const uint8_t*)colr.data(), colr.size(), true));
    rig.h.run(2);
    EXPECT_EQ(rig.ps()->section_count, 3u);
    // Red apple, green apple and pear: all food.
    ASSERT_TRUE(qel_emoji_font_from_memory(rig.h.ctx, (const uint8_t*)sbix.data(), sbix.size(), true));
    rig.h.run(2);
    ASSERT_EQ(rig.ps()->section_count, 1u);
    EXPECT_EQ(rig.ps()->sections[0].label, 4);
    EXPECT_EQ(rig.ps()->sections[0].count, 3);
}
