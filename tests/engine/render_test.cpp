#include "engine/render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine/bitmap_font.h"
#include "engine/catalog.h"

// A model of a label given in dots, so that its raster size is exact.
static label_model model_in_dots(int32_t width, int32_t height, int32_t dpi)
{
    label_model m;
    label_model_init(&m, "test", (float)width * 25.4f / (float)dpi, (float)height * 25.4f / (float)dpi, dpi);
    EXPECT_EQ(label_width_dots(&m), width);
    EXPECT_EQ(label_height_dots(&m), height);
    return m;
}

static label_element* add_literal(label_model* m, uint32_t kind, const char* text)
{
    label_element* e = label_add_element(m, kind);
    snprintf(e->text, sizeof e->text, "%s", text);
    return e;
}

static bool same_bits(const raster& a, const raster& b)
{
    return a.width == b.width && a.height == b.height &&
           memcmp(a.bits, b.bits, (size_t)a.stride * (size_t)a.height) == 0;
}

TEST(Render, MillimetresToDots)
{
    const struct {
        float mm;
        int32_t dpi, dots;
    } cases[] = {
        {0.1f, 203, 1}, {0.25f, 203, 2}, {0.25f, 96, 1}, {0.2f, 96, 1}, {0.1f, 96, 0}, {1.9f, 203, 15},
        {2, 203, 16}, {-0.25f, 203, -2}, {50.8f, 203, 406}, {25.4f, 600, 600}, {NAN, 203, 0},
        {1e30f, 203, 1 << 30}, {-INFINITY, 203, -(1 << 30)},
    };
    for (const auto& c : cases) EXPECT_EQ(label_mm_to_dots(c.mm, c.dpi), c.dots) << c.mm << " mm at " << c.dpi;
    label_model m;
    label_model_init(&m, "x", 50.8f, 25.4f, 300);
    EXPECT_EQ(label_width_dots(&m), 600);
    EXPECT_EQ(label_height_dots(&m), 300);
    EXPECT_EQ(label_width_dots(nullptr), 0);
    EXPECT_EQ(label_height_dots(nullptr), 0);
}

TEST(Render, EmptyModelIsAWhiteLabel)
{
    label_model m;
    label_model_init(&m, "x", 50.8f, 25.4f, 203);
    raster r = {};
    ASSERT_EQ(label_render_row(&m, nullptr, 0, &r), ERR_OK);
    EXPECT_EQ(r.width, 406);
    EXPECT_EQ(r.height, 203);
    EXPECT_EQ(raster_count_ink(&r), 0);
    raster_free(&r);

    EXPECT_EQ(label_render_row(nullptr, nullptr, 0, &r), ERR_INVALID);
    EXPECT_EQ(label_render_row(&m, nullptr, 0, nullptr), ERR_INVALID);
    EXPECT_EQ(label_render_row_pass(&m, nullptr, 0, RENDER_TEXT, nullptr), ERR_INVALID);
    EXPECT_EQ(label_render_literal(nullptr, &r), ERR_INVALID);
    EXPECT_EQ(label_render_literal(&m, nullptr), ERR_INVALID);
    // Drawing over a kept raster takes one of the label's size only.
    ASSERT_EQ(raster_create(&r, 406, 202), ERR_OK);
    EXPECT_EQ(label_render_over(&m, nullptr, 0, RENDER_ALL, &r), ERR_INVALID);
    EXPECT_EQ(label_render_over(&m, nullptr, 0, RENDER_ALL, nullptr), ERR_INVALID);
    raster_free(&r);
    EXPECT_EQ(label_render_over(&m, nullptr, 0, RENDER_ALL, &r), ERR_INVALID);
    label_model_init(&m, "x", 2000, 25.4f, 600);  // 47244 dots wide
    EXPECT_EQ(label_render_row(&m, nullptr, 0, &r), ERR_RANGE);
    EXPECT_EQ(r.bits, nullptr);
}

// Elements that cannot make a valid label, and passes that leave the faulty layer out.
TEST(Render, Refusals)
{
    const std::string long_code(60, 'x');
    const struct {
        const char* what;
        int32_t dpi;
        uint32_t kind, symbology;
        const char* text;
        float module_mm, size_mm;
        int rotation;
        engine_error all, text_pass, graphics_pass;
    } cases[] = {
        {"module under a dot", 96, LABEL_BARCODE, SYMBOLOGY_CODE128, "AB", 0.1f, 5, 0, ERR_RANGE, ERR_OK, ERR_RANGE},
        {"module of one dot", 96, LABEL_BARCODE, SYMBOLOGY_CODE128, "AB", 0.2f, 5, 0, ERR_OK, ERR_OK, ERR_OK},
        {"bars of 1.9 mm", 203, LABEL_BARCODE, SYMBOLOGY_CODE128, "AB", 0.25f, 1.9f, 0, ERR_RANGE, ERR_OK, ERR_RANGE},
        {"bars of 2 mm", 203, LABEL_BARCODE, SYMBOLOGY_CODE128, "AB", 0.25f, 2, 0, ERR_OK, ERR_OK, ERR_OK},
        // 20 letters are 275 modules, 550 dots: longer than the 400-dot width, not the height
        {"symbol too long", 203, LABEL_BARCODE, SYMBOLOGY_CODE128, "ABCDEFGHIJKLMNOPQRST", 0.25f, 5, 0, ERR_RANGE,
         ERR_OK, ERR_RANGE},
        {"turned along the height", 203, LABEL_BARCODE, SYMBOLOGY_CODE128, "ABCDEFGHIJKLMNOPQRST", 0.25f, 5, 90,
         ERR_OK, ERR_OK, ERR_OK},
        {"turned back along the width", 203, LABEL_BARCODE, SYMBOLOGY_CODE128, "ABCDEFGHIJKLMNOPQRST", 0.25f, 5,
         180, ERR_RANGE, ERR_OK, ERR_RANGE},
        {"not an EAN", 203, LABEL_BARCODE, SYMBOLOGY_EAN13, "ABC", 0.25f, 5, 0, ERR_INVALID, ERR_OK, ERR_INVALID},
        {"empty Code 128", 203, LABEL_BARCODE, SYMBOLOGY_CODE128, "", 0.25f, 5, 0, ERR_INVALID, ERR_OK, ERR_INVALID},
        {"too long for Code 128", 203, LABEL_BARCODE, SYMBOLOGY_CODE128, long_code.c_str(), 0.25f, 5, 0, ERR_RANGE,
         ERR_OK, ERR_RANGE},
        {"no glyph", 203, LABEL_TEXT, 0, "\xC3\x9C", 0.25f, 3, 0, ERR_NO_GLYPH, ERR_NO_GLYPH, ERR_OK},
        {"empty text", 203, LABEL_TEXT, 0, "", 0.25f, 3, 0, ERR_OK, ERR_OK, ERR_OK},
    };
    for (const auto& c : cases) {
        label_model m;
        label_model_init(&m, "x", 400 * 25.4f / (float)c.dpi, 800 * 25.4f / (float)c.dpi, c.dpi);
        add_literal(&m, LABEL_RULE, "");  // something drawn before the failing element
        label_element* e = add_literal(&m, c.kind, c.text);
        e->symbology = c.symbology;
        e->module_mm = c.module_mm;
        e->size_mm = c.size_mm;
        e->rotation_deg = c.rotation;
        const engine_error expected[] = {c.all, c.text_pass, c.graphics_pass};
        EXPECT_EQ(label_check_row(&m, nullptr, 0), c.all) << c.what;
        for (uint32_t pass = RENDER_ALL; pass <= RENDER_GRAPHICS; pass++) {
            raster r = {};
            EXPECT_EQ(label_render_row_pass(&m, nullptr, 0, pass, &r), expected[pass]) << c.what << " pass " << pass;
            if (expected[pass] != ERR_OK) {
                EXPECT_EQ(r.bits, nullptr) << c.what;
            }
            raster_free(&r);
        }
    }
}

// A symbol that fits the label's length but whose bars run past its edge from where it is
// placed would print cut and could not be read: it is refused. Quiet zones may lie off it, and
// across its length it may lie off the label entirely.
TEST(Render, BarcodeMustLieOnTheLabelAlongItsLength)
{
    // An EAN-13 is 113 modules, 226 dots, with bars from dot 22 to 212 (quiet zones of 11 and 7
    // modules), on a label of 400 x 800 dots.
    const struct {
        int rotation;
        int32_t x, y;
        engine_error expect;
    } cases[] = {
        {0, 188, 0, ERR_OK},    {0, 189, 0, ERR_RANGE}, {0, -22, 0, ERR_OK},    {0, -23, 0, ERR_RANGE},
        {-90, 189, 0, ERR_RANGE}, {180, 196, 0, ERR_OK}, {180, 197, 0, ERR_RANGE}, {180, -15, 0, ERR_RANGE},
        {90, 0, 588, ERR_OK},   {90, 0, 589, ERR_RANGE}, {270, 0, -15, ERR_RANGE}, {270, 0, -14, ERR_OK},
        {90, 300, 0, ERR_OK},
    };
    for (const auto& c : cases) {
        label_model m = model_in_dots(400, 800, 203);
        label_element* e = add_literal(&m, LABEL_BARCODE, "400638133393");
        e->symbology = SYMBOLOGY_EAN13;
        e->x_mm = (float)c.x * 25.4f / 203;
        e->y_mm = (float)c.y * 25.4f / 203;
        e->module_mm = 0.25f;
        e->rotation_deg = c.rotation;
        raster r = {};
        EXPECT_EQ(label_render_row(&m, nullptr, 0, &r), c.expect) << c.rotation << " at " << c.x << "," << c.y;
        raster_free(&r);
    }
    // Placed and aligned so far off the label that its turned corners lie past what 32 bits hold.
    for (int rotation : {0, 90, 180, 270}) {
        label_model m = model_in_dots(400, 800, 203);
        label_element* e = add_literal(&m, LABEL_BARCODE, "400638133393");
        e->symbology = SYMBOLOGY_EAN13;
        e->x_mm = e->y_mm = e->width_mm = e->height_mm = 1e9f;
        e->align = ALIGN_RIGHT;
        e->module_mm = 0.25f;
        e->rotation_deg = rotation;
        raster r = {};
        EXPECT_EQ(label_render_row(&m, nullptr, 0, &r), ERR_RANGE) << rotation;
        raster_free(&r);
    }
    // The barcode template on the 1 x 2 in stock at 300 dpi: 13 letters are 594 of its 600 dots,
    // but the symbol starts below the name.
    csv_table t = {};
    const std::string csv = "Name,Barcode\nTea,ABCDEFGHIJKLM\nTea,ABCDEFGHIJ\n";
    ASSERT_EQ(csv_parse(&t, csv.data(), csv.size(), nullptr, 0), ERR_OK);
    label_model m;
    label_model_init(&m, "1x2", 25.4f, 50.8f, 300);
    ASSERT_EQ(layout_build(&m, "barcode", &t), ERR_OK);
    raster r = {};
    EXPECT_EQ(label_render_row(&m, &t, 0, &r), ERR_RANGE);
    EXPECT_EQ(label_render_row(&m, &t, 1, &r), ERR_OK);
    raster_free(&r);
    csv_table_clear(&t);
}

// A rule drawn on the graphics layer: full width by default, at least one dot thick.
TEST(Render, Rules)
{
    label_model m = model_in_dots(100, 50, 203);
    label_element* full = add_literal(&m, LABEL_RULE, "");
    full->y_mm = 10 * 25.4f / 203;
    full->size_mm = 0;
    label_element* thin = add_literal(&m, LABEL_RULE, "");
    thin->x_mm = 20 * 25.4f / 203;
    thin->y_mm = 30 * 25.4f / 203;
    thin->width_mm = 10 * 25.4f / 203;
    thin->size_mm = 0.01f;
    raster r = {};
    ASSERT_EQ(label_render_row_pass(&m, nullptr, 0, RENDER_GRAPHICS, &r), ERR_OK);
    raster want = {};
    ASSERT_EQ(raster_create(&want, 100, 50), ERR_OK);
    raster_fill_rect(&want, 0, 10, 100, 2, 1);  // 0.2 mm is 2 dots
    raster_fill_rect(&want, 20, 30, 10, 1, 1);
    EXPECT_TRUE(same_bits(r, want));
    raster_free(&r);
    ASSERT_EQ(label_render_row_pass(&m, nullptr, 0, RENDER_TEXT, &r), ERR_OK);
    EXPECT_EQ(raster_count_ink(&r), 0);
    raster_free(&r);
    raster_free(&want);
}

// Texts land where the font would draw them: single lines aligned in their box, longer ones
// wrapped from the left.
TEST(Render, TextPlacement)
{
    const int32_t x = 16, y = 24, px = 24, lh = 25;
    const struct {
        const char* text;
        uint32_t align;
        int32_t box;  // dots
        int max_lines, bold, lines;
    } cases[] = {
        {"Green tea", ALIGN_LEFT, 300, 0, 0, 1},
        {"Green tea", ALIGN_CENTER, 301, 0, 1, 1},
        {"Green tea", ALIGN_RIGHT, 300, 0, 0, 1},
        {"Green tea leaves from the hills", ALIGN_RIGHT, 150, 0, 0, 2},  // wrapped: left-aligned
        {"Green tea leaves from the hills", ALIGN_CENTER, 150, 3, 1, 3},
        {"Green tea leaves from the hills", ALIGN_LEFT, 150, 1, 0, 1},  // one line: cut at the box
    };
    for (const auto& c : cases) {
        label_model m = model_in_dots(400, 200, 203);
        label_element* e = add_literal(&m, LABEL_TEXT, c.text);
        e->x_mm = (float)x * 25.4f / 203;
        e->y_mm = (float)y * 25.4f / 203;
        e->width_mm = (float)c.box * 25.4f / 203;
        e->size_mm = 3;
        e->align = c.align;
        e->max_lines = c.max_lines;
        e->bold = c.bold;
        raster got = {}, want = {}, block = {};
        ASSERT_EQ(label_render_row(&m, nullptr, 0, &got), ERR_OK);
        ASSERT_EQ(raster_create(&want, 400, 200), ERR_OK);
        ASSERT_EQ(raster_create(&block, c.box, lh * c.lines), ERR_OK);
        int32_t width = bitmap_font_measure(c.text, px);
        if (c.lines == 1) {
            int32_t left = c.align == ALIGN_LEFT ? 0 : c.align == ALIGN_RIGHT ? c.box - width : (c.box - width) / 2;
            bitmap_font_draw_line(&block, left, bitmap_font_ascent(px), px, c.text, c.bold);
        } else {
            int max_lines = c.max_lines < 1 ? 2 : c.max_lines;
            EXPECT_EQ(bitmap_font_draw_box(&block, 0, bitmap_font_ascent(px), px, c.box, c.text, c.bold, max_lines),
                      c.lines);
        }
        raster_blit_rotated(&want, &block, x, y, 0);
        EXPECT_TRUE(same_bits(got, want)) << c.text << " align " << c.align;
        EXPECT_GT(raster_count_ink(&got), 0);
        raster_free(&got);
        raster_free(&want);
        raster_free(&block);
    }
}

// An element turned by r is its upright block turned about its own corner. The labels are sized
// to the upright blocks: a text box of 120 dots with two lines of 25, and a Code 128 "AB" of 77
// modules of 2 dots with 80-dot bars and a 25-dot text band.
TEST(Render, RotationTurnsTheUprightBlock)
{
    const struct {
        uint32_t kind;
        const char* text;
        int32_t width, height;
    } elements[] = {
        {LABEL_TEXT, "Green tea leaves", 120, 50},
        {LABEL_BARCODE, "AB", 154, 105},
    };
    for (const auto& el : elements) {
        raster upright = {};
        for (int rotation : {0, 90, 180, 270, 450, -90}) {
            int normal = ((rotation / 90) * 90) % 360;
            bool quarter = normal == 90 || normal == 270;
            label_model m = quarter ? model_in_dots(el.height, el.width, 203) : model_in_dots(el.width, el.height, 203);
            label_element* e = add_literal(&m, el.kind, el.text);
            e->size_mm = el.kind == LABEL_TEXT ? 3 : 10;
            e->width_mm = (float)el.width * 25.4f / 203;
            e->rotation_deg = rotation;
            raster got = {}, want = {};
            ASSERT_EQ(label_render_row(&m, nullptr, 0, &got), ERR_OK);
            if (rotation == 0) {
                upright = got;
                EXPECT_GT(raster_count_ink(&upright), 0);
                continue;
            }
            ASSERT_EQ(raster_create(&want, got.width, got.height), ERR_OK);
            raster_blit_rotated(&want, &upright, 0, 0, normal);
            EXPECT_TRUE(same_bits(got, want)) << el.text << " turned " << rotation;
            raster_free(&got);
            raster_free(&want);
        }
        raster_free(&upright);
    }
}

// Turned a quarter, a centred or right-aligned text moves across its box by the room its lines
// leave: a 120-dot box with two lines of 25 dots leaves 70.
TEST(Render, TurnedTextAlignsAcrossItsBox)
{
    auto render = [](int32_t height, uint32_t align, int rotation, raster* out) {
        label_model m = model_in_dots(120, height, 203);
        label_element* e = add_literal(&m, LABEL_TEXT, "Green tea leaves");
        e->width_mm = 120 * 25.4f / 203;
        e->align = align;
        e->rotation_deg = rotation;
        ASSERT_EQ(label_render_row(&m, nullptr, 0, out), ERR_OK);
    };
    raster upright = {};
    render(50, ALIGN_LEFT, 0, &upright);
    const struct {
        uint32_t align;
        int32_t shift;
    } cases[] = {{ALIGN_LEFT, 0}, {ALIGN_CENTER, 35}, {ALIGN_RIGHT, 70}};
    for (const auto& c : cases) {
        raster got = {}, want = {};
        render(120, c.align, 270, &got);
        ASSERT_EQ(raster_create(&want, 120, 120), ERR_OK);
        raster_blit_rotated(&want, &upright, c.shift, 0, 270);
        EXPECT_TRUE(same_bits(got, want)) << "align " << c.align;
        raster_free(&got);
        raster_free(&want);
    }
    raster_free(&upright);
}

// Reads one row of a rendered barcode back as modules of md dots from dot x.
static std::string modules_at(const raster& r, int32_t x, int32_t y, int32_t md, int32_t count)
{
    std::string modules;
    for (int32_t i = 0; i < count; i++) {
        int ink = 0;
        for (int32_t d = 0; d < md; d++) ink += raster_get(&r, x + i * md + d, y);
        modules += ink == md ? '1' : ink == 0 ? '0' : '?';
    }
    return modules;
}

TEST(Render, BarcodeGeometry)
{
    const struct {
        uint32_t symbology;
        const char* text;
        uint32_t align;
        float height_mm;
        int human_readable;
    } cases[] = {
        {SYMBOLOGY_CODE128, "Tea-42", ALIGN_LEFT, 0, 1},
        {SYMBOLOGY_EAN13, "400638133393", ALIGN_CENTER, 25, 1},
        {SYMBOLOGY_UPCA, "03600029145", ALIGN_RIGHT, 0, 0},
    };
    const int32_t md = 2, bh = 80, x = 8, y = 16;  // 0.25 mm and 10 mm at 203 dpi
    for (const auto& c : cases) {
        barcode_symbol s;
        ASSERT_EQ(barcode_encode(c.symbology, c.text, &s), ERR_OK);
        label_model m = model_in_dots(406, 300, 203);
        label_element* e = add_literal(&m, LABEL_BARCODE, c.text);
        e->symbology = c.symbology;
        e->x_mm = (float)x * 25.4f / 203;
        e->y_mm = (float)y * 25.4f / 203;
        e->width_mm = (float)(406 - 2 * x) * 25.4f / 203;
        e->size_mm = 10;
        e->align = c.align;
        e->height_mm = c.height_mm;
        e->human_readable = c.human_readable;
        raster r = {};
        ASSERT_EQ(label_render_row(&m, nullptr, 0, &r), ERR_OK);

        int32_t sw = s.module_count * md, room = 406 - 2 * x - sw;
        int32_t left = x + (c.align == ALIGN_CENTER ? room / 2 : c.align == ALIGN_RIGHT ? room : 0);
        int32_t guard = s.guard_count ? bh + 3 * md : bh, band = c.human_readable ? 25 : 0;
        int32_t top = y + (c.height_mm > 0 ? (200 - guard - band) / 2 : 0);  // 25 mm is 200 dots
        std::string all(s.modules, s.modules + s.module_count), guards(s.module_count, '0');
        for (char& module : all) module = (char)('0' + module);
        for (int32_t g = 0; g < s.guard_count; g++)
            for (int32_t i = s.guards[g].first; i < s.guards[g].end; i++) guards[i] = all[i];
        EXPECT_EQ(modules_at(r, left, top, md, s.module_count), all) << c.text;
        EXPECT_EQ(modules_at(r, left, top + bh - 1, md, s.module_count), all) << c.text;
        EXPECT_EQ(modules_at(r, left, top + bh, md, s.module_count), guards) << c.text;
        EXPECT_EQ(modules_at(r, left, top + guard - 1, md, s.module_count), s.guard_count ? guards : all) << c.text;
        EXPECT_EQ(modules_at(r, left, top - 1, md, s.module_count), std::string(s.module_count, '0')) << c.text;
        // The human-readable line sits in the band under the bars.
        int64_t band_ink = 0;
        for (int32_t yy = top + guard; yy < top + guard + 25; yy++)
            for (int32_t xx = left; xx < left + sw; xx++) band_ink += raster_get(&r, xx, yy);
        EXPECT_EQ(band_ink > 0, c.human_readable != 0) << c.text;
        raster_free(&r);
    }
}

TEST(Render, ElementTextsAndPlaceholders)
{
    const char text[] = "Name,Price,Barcode\nOolong,$12.00,8801234567893\n";
    csv_table t = {};
    ASSERT_EQ(csv_parse(&t, text, strlen(text), nullptr, 0), ERR_OK);
    label_model m;
    label_model_init(&m, "x", 50.8f, 25.4f, 203);
    ASSERT_EQ(layout_build(&m, "barcode", nullptr), ERR_OK);
    EXPECT_STREQ(label_element_text(&m.elements[1], &t, 0), "{Barcode}");
    add_literal(&m, LABEL_TEXT, "{}");
    add_literal(&m, LABEL_TEXT, "{Colour}");
    EXPECT_EQ(label_bind_placeholders(&m, &t), 0);
    EXPECT_EQ(m.elements[0].column, 0);
    EXPECT_EQ(m.elements[1].column, 2);
    EXPECT_STREQ(m.elements[1].text, "");
    EXPECT_EQ(m.elements[2].column, -1);
    EXPECT_STREQ(m.elements[3].text, "{Colour}");
    EXPECT_STREQ(label_element_text(&m.elements[1], &t, 0), "8801234567893");
    EXPECT_STREQ(label_element_text(&m.elements[1], &t, 1), "");
    EXPECT_STREQ(label_element_text(&m.elements[3], &t, 0), "{Colour}");
    EXPECT_EQ(label_bind_placeholders(&m, &t), 1);  // nothing left to bind
    EXPECT_EQ(label_bind_placeholders(nullptr, &t), 1);
    EXPECT_EQ(label_bind_placeholders(&m, nullptr), 1);

    // Against no table the bound columns read "", the literals their own text.
    raster r = {};
    EXPECT_EQ(label_render_literal(&m, &r), ERR_INVALID);  // the barcode is empty
    label_model_init(&m, "x", 50.8f, 25.4f, 203);
    ASSERT_EQ(layout_build(&m, "barcode", nullptr), ERR_OK);
    ASSERT_EQ(label_render_literal(&m, &r), ERR_OK);  // encodes "{Barcode}"
    EXPECT_GT(raster_count_ink(&r), 0);
    raster_free(&r);
    csv_table_clear(&t);
}

// A small spreadsheet with UTF-8 names, empty cells and over-long texts, on every stock and
// template at three resolutions.
// Rows that render, and rows that fail in each of the ways a template's elements can.
static const char fixture_rows[] =
    "Name,Price,Barcode\n"
    "Jasmine Green Tea,$4.99,4006381333931\n"
    "Caf\xC3\xA9 au lait,$3.50,12345678\n"
    ",,\n"
    "An oolong whose name runs on far beyond what any of these labels can hold on two lines,"
    "$123456789.00,ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ\n"
    "Oolong,\xE2\x82\xAC" "12,12345678901234567890\n";

TEST(Render, FixtureSpreadsheetOnEveryStock)
{
    const char* text = fixture_rows;
    // Expected result per row for the templates price, barcode, name and plain.
    const engine_error expected[][4] = {
        {ERR_OK, ERR_OK, ERR_OK, ERR_OK},
        {ERR_NO_GLYPH, ERR_NO_GLYPH, ERR_NO_GLYPH, ERR_NO_GLYPH},
        {ERR_OK, ERR_INVALID, ERR_OK, ERR_OK},  // an empty barcode cannot be encoded
        {ERR_OK, ERR_RANGE, ERR_OK, ERR_OK},    // 52 characters do not fit Code 128's 43
        {ERR_NO_GLYPH, ERR_OK, ERR_OK, ERR_NO_GLYPH},
    };
    csv_table t = {};
    ASSERT_EQ(csv_parse(&t, text, strlen(text), nullptr, 0), ERR_OK);
    ASSERT_EQ(t.rows, 5);
    for (uint32_t s = 0; s < catalog_stock_count(); s++) {
        const stock_def* stock = catalog_stock_at(s);
        for (int32_t dpi : {203, 300, 600}) {
            for (uint32_t l = 0; l < catalog_layout_count(); l++) {
                label_model m;
                label_model_init(&m, stock->description, stock->width_mm, stock->height_mm, dpi);
                ASSERT_EQ(layout_build(&m, catalog_layout_id(l), &t), ERR_OK);
                raster kept = {};
                ASSERT_EQ(raster_create(&kept, label_width_dots(&m), label_height_dots(&m)), ERR_OK);
                for (int32_t row = 0; row < t.rows; row++) {
                    raster r = {};
                    engine_error e = label_render_row(&m, &t, row, &r);
                    EXPECT_EQ(e, expected[row][l])
                        << stock->id << " " << dpi << " dpi " << catalog_layout_id(l) << " row " << row;
                    if (e == ERR_OK) {
                        EXPECT_EQ(r.width, (int32_t)lroundf(stock->width_mm * (float)dpi / 25.4f));
                        EXPECT_EQ(r.height, (int32_t)lroundf(stock->height_mm * (float)dpi / 25.4f));
                        EXPECT_EQ(raster_count_ink(&r) > 0, row != 2 || l == 1) << stock->id << " row " << row;
                    }
                    // Over a kept raster, as a writer draws: the same dots, or white after a failure.
                    EXPECT_EQ(label_render_over(&m, &t, row, RENDER_ALL, &kept), e);
                    if (e == ERR_OK) EXPECT_TRUE(same_bits(r, kept)) << stock->id << " row " << row;
                    else EXPECT_EQ(raster_count_ink(&kept), 0) << stock->id << " row " << row;
                    raster_fill(&kept, 0);
                    raster_free(&r);
                }
                raster_free(&kept);
            }
        }
    }
    csv_table_clear(&t);
}

// Checking a row lays it out without drawing it and must find what rendering finds: on every
// stock, template and resolution, with every element turned each way, and for a label too
// large to draw.
TEST(Render, CheckingFindsWhatRenderingFinds)
{
    csv_table t = {};
    ASSERT_EQ(csv_parse(&t, fixture_rows, strlen(fixture_rows), nullptr, 0), ERR_OK);
    int failures = 0;
    for (uint32_t s = 0; s < catalog_stock_count(); s++) {
        const stock_def* stock = catalog_stock_at(s);
        for (int32_t dpi : {96, 203, 300, 600, 40000}) {
            for (uint32_t l = 0; l < catalog_layout_count(); l++) {
                for (int32_t turn : {-1, 0, 90, 180, 270}) {
                    label_model m;
                    label_model_init(&m, stock->description, stock->width_mm, stock->height_mm, dpi);
                    ASSERT_EQ(layout_build(&m, catalog_layout_id(l), &t), ERR_OK);
                    for (int32_t i = 0; turn >= 0 && i < m.element_count; i++) m.elements[i].rotation_deg = turn;
                    for (int32_t row = 0; row < t.rows; row++) {
                        raster r = {};
                        engine_error rendered = label_render_row(&m, &t, row, &r);
                        raster_free(&r);
                        failures += rendered != ERR_OK;
                        EXPECT_EQ(label_check_row(&m, &t, row), rendered)
                            << stock->id << " " << dpi << " dpi " << catalog_layout_id(l) << " turned " << turn
                            << " row " << row;
                    }
                }
            }
        }
    }
    EXPECT_GT(failures, 0);
    EXPECT_EQ(label_check_row(nullptr, &t, 0), ERR_INVALID);
    csv_table_clear(&t);
}
