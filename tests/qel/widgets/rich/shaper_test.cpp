// The shaper on the small fonts of tests/data/qel/shaping (tools/make_shaping_fonts.py): what
// hb-shape cannot show (forms, clusters, ligature fields, capacity, nesting and budgets) and
// fonts damaged on purpose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qel/shaper.h"
#include "support/scratch.h"

namespace {

constexpr uint32_t ARAB = 0x61726162, LATN = 0x6C61746E;

// Glyph ids in every font made by the generator.
enum {
    SPACE = 1,
    LETTER_A = 2,
    ACUTE = 29,
    DOT_BELOW = 30,
    ALEF = 31,
    LAM = 32,
    BEH = 33,
    ALEF_HAMZA = 34,
    LAM_INIT = 35,
    LAM_MEDI = 36,
    ALEF_FINA = 38,
    BEH_INIT = 39,
    LAM_ALEF = 42,
    F_I = 43,
    STEP_1 = 50,
};

uint32_t letter(char c)
{
    return (uint32_t)(c - 'a' + LETTER_A);
}

std::string font_bytes(const char* name)
{
    const char* data = getenv("TAGMOOR_TEST_DATA");
    std::string bytes;
    EXPECT_TRUE(scratch_read(std::string(data ? data : "tests/data") + "/qel/shaping/" + name + ".ttf", &bytes));
    return bytes;
}

uint32_t be32(const std::string& b, size_t at)
{
    return (uint32_t)(uint8_t)b[at] << 24 | (uint32_t)(uint8_t)b[at + 1] << 16 | (uint32_t)(uint8_t)b[at + 2] << 8 |
           (uint8_t)b[at + 3];
}

uint32_t be16(const std::string& b, size_t at)
{
    return (uint32_t)(uint8_t)b[at] << 8 | (uint8_t)b[at + 1];
}

void put16(std::string* b, size_t at, uint32_t v)
{
    (*b)[at] = (char)(v >> 8);
    (*b)[at + 1] = (char)v;
}

void put32(std::string* b, size_t at, uint32_t v)
{
    put16(b, at, v >> 16);
    put16(b, at + 2, v & 0xFFFF);
}

// The position of a table's directory record.
size_t table_record(const std::string& b, const char* tag)
{
    for (uint32_t i = 0; i < be16(b, 4); i++) {
        if (memcmp(b.data() + 12 + 16 * i, tag, 4) == 0) return 12 + 16 * i;
    }
    ADD_FAILURE() << "no " << tag;
    return 0;
}

// A font and a run to shape in it.
struct shaping {
    std::string font;
    qel_shaper shaper = {};
    std::vector<qel_shaped_glyph> glyphs;

    explicit shaping(const char* name) : font(font_bytes(name))
    {
        EXPECT_EQ(qel_shaper_init(&shaper, (const uint8_t*)font.data(), font.size(), 0), 1);
    }

    // Shapes the code points with room for `room` more glyphs; each cluster is the code
    // point's index.
    int shape(const std::vector<uint32_t>& text, uint32_t script = LATN, int rtl = 0, int room = 8)
    {
        glyphs.assign(text.size() + room, qel_shaped_glyph{});
        for (size_t i = 0; i < text.size(); i++) {
            glyphs[i].code_point = text[i];
            glyphs[i].cluster = (uint32_t)i;
        }
        return qel_shape_text(&shaper, glyphs.data(), (int)text.size(), (int)glyphs.size(), script, rtl, 0);
    }

    std::vector<uint32_t> ids(int n) const
    {
        std::vector<uint32_t> out;
        for (int i = 0; i < n; i++) out.push_back(glyphs[i].glyph);
        return out;
    }
};

std::vector<uint32_t> repeat(uint32_t cp, int n)
{
    return std::vector<uint32_t>(n, cp);
}

TEST(shaper, composes_alef_and_hamza_only_when_the_font_has_the_composed_letter)
{
    shaping with("arabic"), without("mark");
    ASSERT_EQ(with.shape({0x0627, 0x0654}, ARAB, 1), 1);
    EXPECT_EQ(with.glyphs[0].code_point, 0x0623u);
    EXPECT_EQ(with.glyphs[0].glyph, (uint32_t)ALEF_HAMZA);
    ASSERT_EQ(without.shape({0x0627, 0x0654}, ARAB, 1), 2);
    EXPECT_EQ(without.glyphs[1].code_point, 0x0627u);
    EXPECT_EQ(without.glyphs[0].code_point, 0x0654u);
}

TEST(shaper, joins_arabic_letters_by_their_forms)
{
    struct {
        std::vector<uint32_t> text;
        std::vector<uint32_t> visual;
    } cases[] = {
        {{0x0644, 0x0627}, {LAM_ALEF}},                       // lam initial, alef final, then their ligature
        {{0x0644, 0x0020, 0x0627}, {ALEF, SPACE, LAM}},       // a space between leaves both isolated
        {{0x0628, 0x0644, 0x0627}, {ALEF_FINA, LAM_MEDI, BEH_INIT}},
        {{0x0644, 0x0301, 0x0627}, {ALEF_FINA, ACUTE, LAM_INIT}},  // a mark does not break the chain
    };
    shaping s("arabic");
    for (const auto& c : cases) {
        int n = s.shape(c.text, ARAB, 1);
        EXPECT_EQ(s.ids(n), c.visual);
    }
    // Joining is Arabic's alone.
    EXPECT_EQ(s.ids(s.shape({0x0644, 0x0627}, LATN, 1)), (std::vector<uint32_t>{ALEF, LAM}));
}

TEST(shaper, orders_marks_by_class_keeping_equal_classes_in_order)
{
    shaping s("mark");
    ASSERT_EQ(s.shape({'a', 0x0301, 0x0323}), 3);  // 230 before 220 on one base
    EXPECT_EQ(s.glyphs[1].code_point, 0x0323u);
    EXPECT_EQ(s.glyphs[2].code_point, 0x0301u);
    EXPECT_EQ(s.glyphs[1].cluster, 2u);

    // A long run is sorted by counting: the same order as a stable sort.
    const uint32_t marks[] = {0x0301, 0x0323, 0x0300};
    std::vector<uint32_t> text = {'a'};
    for (int i = 0; i < 3000; i++) text.push_back(marks[(i * i) % 3]);
    ASSERT_EQ(s.shape(text), (int)text.size());
    std::vector<uint32_t> expected(text.begin() + 1, text.end()), got;
    std::stable_sort(expected.begin(), expected.end(), [](uint32_t x, uint32_t y) { return (x == 0x0323) > (y == 0x0323); });
    for (size_t i = 1; i < text.size(); i++) got.push_back(s.glyphs[i].code_point);
    EXPECT_EQ(got, expected);
}

TEST(shaper, returns_right_to_left_runs_in_visual_order_with_their_clusters)
{
    shaping s("arabic");
    ASSERT_EQ(s.shape({0x0628, 0x0020, 0x0628, 0x0628}, ARAB, 1), 4);
    std::vector<uint32_t> clusters;
    for (int i = 0; i < 4; i++) clusters.push_back(s.glyphs[i].cluster);
    EXPECT_EQ(clusters, (std::vector<uint32_t>{3, 2, 1, 0}));
    EXPECT_EQ(s.glyphs[3].glyph, (uint32_t)BEH);
    EXPECT_EQ(s.glyphs[1].glyph, (uint32_t)BEH_INIT);
}

TEST(shaper, shows_invisible_controls_as_empty_spaces_in_place)
{
    shaping s("arabic");
    ASSERT_EQ(s.shape({0x0628, 0x200D, 0x0628}, ARAB, 0), 3);
    EXPECT_EQ(s.glyphs[1].glyph, (uint32_t)SPACE);
    EXPECT_EQ(s.glyphs[1].x_advance, 0);
    EXPECT_EQ(s.glyphs[0].glyph, (uint32_t)BEH_INIT);  // the joiner still joins
}

TEST(shaper, refuses_bad_counts_and_unusable_shapers)
{
    shaping s("single");
    qel_shaped_glyph g[2] = {};
    EXPECT_EQ(qel_shape_text(&s.shaper, g, 0, 2, LATN, 0, 0), 0);
    EXPECT_EQ(qel_shape_text(&s.shaper, g, 3, 2, LATN, 0, 0), -1);
    EXPECT_EQ(qel_shape_text(&s.shaper, g, -1, 2, LATN, 0, 0), -1);
    qel_shaper unusable = {};
    EXPECT_EQ(qel_shape_text(&unusable, g, 1, 2, LATN, 0, 0), -1);
}

TEST(lookups, multiple_substitution_needs_the_room_and_keeps_the_cluster)
{
    shaping s("multiple");
    // "a" becomes three glyphs: at the end of a run it needs two more places.
    EXPECT_EQ(s.shape({'b', 'a'}, LATN, 0, 1), -1);
    ASSERT_EQ(s.shape({'b', 'a'}, LATN, 0, 2), 4);
    EXPECT_EQ(s.ids(4), (std::vector<uint32_t>{letter('b'), letter('b'), letter('c'), letter('d')}));
    for (int i = 1; i < 4; i++) EXPECT_EQ(s.glyphs[i].cluster, 1u);
    // "e" becomes two and "x" none: growth and removal all along one long run keep its order.
    std::vector<uint32_t> text;
    for (int i = 0; i < 500; i++) text.insert(text.end(), {'e', 'x', 'a'});
    ASSERT_EQ(s.shape(text, LATN, 0, 2000), 500 * 5);
    for (int i = 0; i < 500 * 5; i++) EXPECT_EQ(s.glyphs[i].cluster, (uint32_t)(i / 5 * 3 + (i % 5 < 2 ? 0 : 2)));
}

TEST(lookups, ligature_over_a_mark_records_its_components)
{
    shaping s("ligature");
    ASSERT_EQ(s.shape({'f', 0x0301, 'i'}), 2);
    EXPECT_EQ(s.glyphs[0].glyph, (uint32_t)F_I);
    EXPECT_EQ(s.glyphs[0].ligature_components, 2u);
    EXPECT_EQ(s.glyphs[1].glyph, (uint32_t)ACUTE);
    EXPECT_EQ(s.glyphs[1].ligature_component, 1u);
}

TEST(lookups, a_context_calling_itself_stops_at_depth_twelve)
{
    shaping s("nesting");
    // Each level below the limit steps the glyph once after its nested call returns.
    ASSERT_EQ(s.shape({'a', 'b'}), 2);
    EXPECT_EQ(s.glyphs[0].glyph, (uint32_t)(STEP_1 + 11));
}

TEST(lookups, a_looping_font_stops_on_the_budget)
{
    shaping s("looping");
    // Each "a" costs 2^13 - 1 applications: 100 fit in the budget of a pass, 200 do not.
    EXPECT_EQ(s.shape(repeat('a', 100)), 100);
    EXPECT_EQ(s.shape(repeat('a', 200)), -1);
}

TEST(lookups, marks_stacked_without_end_stop_on_the_budget)
{
    shaping s("mark");
    std::vector<uint32_t> text = repeat(0x0301, 20000);
    text.insert(text.begin(), 'a');
    EXPECT_EQ(s.shape(text), -1);
    text.resize(2000);
    EXPECT_EQ(s.shape(text), 2000);
}

TEST(lookups, single_substitution_wraps_glyph_ids)
{
    shaping s("single");
    // The first lookup's subtable adds 3 to a, b and c: make it subtract 1 from glyph 0.
    size_t gsub = be32(s.font, table_record(s.font, "GSUB") + 8);
    size_t lookups = gsub + be16(s.font, gsub + 8);
    size_t lookup = lookups + be16(s.font, lookups + 2);
    size_t sub = lookup + be16(s.font, lookup + 6);
    size_t coverage = sub + be16(s.font, sub + 2);
    ASSERT_EQ(be16(s.font, sub), 1u);
    put16(&s.font, sub + 4, 0xFFFF);
    put16(&s.font, coverage + 4, 0);
    ASSERT_EQ(s.shape({0x4E00}), 1);  // no glyph: glyph 0
    EXPECT_EQ(s.glyphs[0].glyph, 65535u);
}

TEST(shaper_init, refuses_fonts_it_cannot_read_safely)
{
    std::string font = font_bytes("single");
    auto init = [](const std::string& bytes, int64_t offset = 0, uint64_t size = 0) {
        qel_shaper s;
        return qel_shaper_init(&s, (const uint8_t*)bytes.data(), size ? size : bytes.size(), offset);
    };
    EXPECT_EQ(init(font), 1);
    qel_shaper s;
    EXPECT_EQ(qel_shaper_init(&s, nullptr, 100, 0), 0);
    EXPECT_EQ(init(font, 0, 1ull << 31), 0);
    EXPECT_EQ(init(font, -1), 0);
    EXPECT_EQ(init(font, (int64_t)font.size() - 11), 0);

    struct {
        const char* what;
        void (*damage)(std::string*);
    } cases[] = {
        {"no character map", [](std::string* b) { memcpy(&(*b)[table_record(*b, "cmap")], "xxxx", 4); }},
        {"no metrics", [](std::string* b) { memcpy(&(*b)[table_record(*b, "hmtx")], "xxxx", 4); }},
        {"hhea too short for numberOfHMetrics", [](std::string* b) { put32(b, table_record(*b, "hhea") + 12, 34); }},
        {"numberOfHMetrics 0", [](std::string* b) { put16(b, be32(*b, table_record(*b, "hhea") + 8) + 34, 0); }},
        {"a length whose sum with the offset wraps in 32 bits",
         [](std::string* b) { put32(b, table_record(*b, "cmap") + 12, 0u - be32(*b, table_record(*b, "cmap") + 8)); }},
        {"a table directory past the data", [](std::string* b) { put16(b, 4, 0xFFFF); }},
        {"no Unicode subtable", [](std::string* b) {
             size_t cmap = be32(*b, table_record(*b, "cmap") + 8);
             for (uint32_t i = 0; i < be16(*b, cmap + 2); i++) put16(b, cmap + 4 + 8 * i, 1);
         }},
    };
    for (const auto& c : cases) {
        std::string damaged = font;
        c.damage(&damaged);
        EXPECT_EQ(init(damaged), 0) << c.what;
    }
}

}  // namespace
