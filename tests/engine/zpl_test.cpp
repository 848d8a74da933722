#include "engine/zpl.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "engine/barcode.h"
#include "engine/bitmap_font.h"
#include "engine/catalog.h"
#include "engine/render.h"
#include "job_fixture.h"

namespace {

// A 2 x 1 in label at 203 dpi (406 x 203 dots) with the elements a test adds.
struct zpl_label : job_fixture {
    explicit zpl_label(const std::string& csv = "Name,Price,Code,Qty\nTea ^5~,4.50,4006381333931,3\n", int32_t dpi = 203)
        : job_fixture(csv, 50.8f, 25.4f, dpi, nullptr)
    {
    }
    label_element* add(uint32_t kind, float x_mm, float y_mm, int32_t column)
    {
        label_element* e = label_add_element(&model, kind);
        e->x_mm = x_mm;
        e->y_mm = y_mm;
        e->column = column;
        return e;
    }
    // The fields between the label's home line and its end.
    std::string fields(const job_options* options = nullptr, engine_error* error = nullptr) const
    {
        std::string job = build(PRINTER_LANG_ZPL, options, 0, 1, error);
        size_t start = job.find("^LH0,0\n"), end = job.rfind("^XZ\n");
        return start == std::string::npos || end == std::string::npos ? job : job.substr(start + 7, end - start - 7);
    }
};

}  // namespace

TEST(Zpl, GoldenLabel)
{
    zpl_label f;
    label_element* text = f.add(LABEL_TEXT, 1.0f, 2.0f, 0);
    text->width_mm = 0.5f;
    text->bold = 1;
    f.add(LABEL_RULE, 0.0f, 20.0f, -1)->size_mm = 0;
    label_element* code = f.add(LABEL_BARCODE, 2.0f, 5.0f, 2);
    code->symbology = SYMBOLOGY_EAN13;
    code->size_mm = 10.0f;
    code->align = ALIGN_CENTER;
    // The text, bold twice; the rule; the EAN-13 from its first bar, with the preview's line
    // under it as a field of its own.
    const std::string fields =
        "^FO8,16^A0N,24,13^FB4,2,0,L^FH\\^FDTea \\5E5\\7E^FS\n"
        "^FO9,16^A0N,24,13^FB4,2,0,L^FH\\^FDTea \\5E5\\7E^FS\n"
        "^FO0,160^GB406,2,2^FS\n"
        "^FO128,40^BY2,2,80^BEN,80,N,N^FH\\^FD400638133393^FS\n"
        "^FO106,126^A0N,24,13^FB226,1,0,C^FH\\^FD4006381333931^FS\n";
    const std::string head = "^XA\n^CI28\n^PW406\n^LL203\n^LH0,0\n";
    EXPECT_EQ(f.build(PRINTER_LANG_ZPL), head + fields + "^XZ\n");
    EXPECT_EQ(f.build(PRINTER_LANG_ZPL, &by_quantity), head + "^PQ3\n" + fields + "^XZ\n");
}

TEST(Zpl, Fields)
{
    const struct {
        uint32_t kind, symbology;
        float size_mm, width_mm, module_mm;
        int32_t rotation, align, lines, human;
        const char* value;
        const char* expect;
    } cases[] = {
        // Text: its box is the label's width without one of its own; orientation letters as
        // the preview turns the text (-90 draws upright); the line limit.
        {LABEL_TEXT, 0, 3.0f, 0, 0, 0, 0, 0, 1, "a", "^FO0,0^A0N,24,13^FB406,2,0,L^FH\\^FDa^FS\n"},
        {LABEL_TEXT, 0, 3.0f, 10.0f, 0, 90, ALIGN_RIGHT, 3, 1, "a", "^FO0,0^A0R,24,13^FB80,3,0,R^FH\\^FDa^FS\n"},
        {LABEL_TEXT, 0, 1.0f, 10.0f, 0, -90, ALIGN_CENTER, 1, 1, "a", "^FO0,0^A0N,10,5^FB80,1,0,C^FH\\^FDa^FS\n"},
        {LABEL_TEXT, 0, 6.0f, 0, 0, 540, 0, 0, 1, "a", "^FO0,0^A0I,50,27^FB406,2,0,L^FH\\^FDa^FS\n"},
        // A rule's thickness and length.
        {LABEL_RULE, 0, 1.0f, 30.0f, 0, 0, 0, 0, 1, "a", "^FO0,0^GB240,8,8^FS\n"},
        // Retail codes send their digits less the check digit, from their first bar (past
        // quiet zones of 11 and 9 modules); the human-readable line follows as a text field.
        {LABEL_BARCODE, SYMBOLOGY_EAN13, 10.0f, 0, 0.25f, 0, 0, 0, 1, "400638133393",
         "^FO22,0^BY2,2,80^BEN,80,N,N^FH\\^FD400638133393^FS\n"
         "^FO0,86^A0N,24,13^FB226,1,0,C^FH\\^FD4006381333931^FS\n"},
        {LABEL_BARCODE, SYMBOLOGY_UPCA, 10.0f, 0, 0.25f, 0, 0, 0, 0, "03600029145",
         "^FO18,0^BY2,2,80^BUN,80,N,N^FH\\^FD03600029145^FS\n"},
        {LABEL_BARCODE, SYMBOLOGY_UPCA, 10.0f, 0, 0.25f, 0, 0, 0, 0, "036000291452",
         "^FO18,0^BY2,2,80^BUN,80,N,N^FH\\^FD03600029145^FS\n"},
        // Code 128 sends its code sets by invocation codes, '>' as the printer's literal; turned
        // half round, the bars' corner is where the upright drawing's bottom right lands.
        {LABEL_BARCODE, SYMBOLOGY_CODE128, 8.0f, 0, 0.25f, 180, 0, 0, 1, "A>B^C>",
         "^FO20,19^BY2,2,64^BCI,64,N,N,N^FH\\^FD>:A><B\\5EC><^FS\n"
         "^FO0,0^A0I,20,11^FB242,1,0,C^FH\\^FDA>B\\5EC>^FS\n"},
        {LABEL_BARCODE, SYMBOLOGY_CODE128, 8.0f, 0, 0.25f, 0, 0, 0, 0, "x12345678y9",
         "^FO20,0^BY2,2,64^BCN,64,N,N,N^FH\\^FD>:x>512345678>6y9^FS\n"},
        // Alignment moves a barcode by its spare room only when there is some.
        {LABEL_BARCODE, SYMBOLOGY_CODE128, 8.0f, 0, 0.25f, 0, ALIGN_RIGHT, 0, 1, "1234",
         "^FO272,0^BY2,2,64^BCN,64,N,N,N^FH\\^FD>;1234^FS\n^FO252,64^A0N,20,11^FB154,1,0,C^FH\\^FD1234^FS\n"},
        {LABEL_BARCODE, SYMBOLOGY_CODE128, 8.0f, 10.0f, 0.25f, 0, ALIGN_CENTER, 0, 1, "1234",
         "^FO20,0^BY2,2,64^BCN,64,N,N,N^FH\\^FD>;1234^FS\n^FO0,64^A0N,20,11^FB154,1,0,C^FH\\^FD1234^FS\n"},
    };
    for (const auto& c : cases) {
        zpl_label f;
        label_element* e = f.add(c.kind, 0, 0, -1);
        snprintf(e->text, sizeof e->text, "%s", c.value);
        e->symbology = c.symbology;
        e->size_mm = c.size_mm;
        e->width_mm = c.width_mm;
        e->module_mm = c.module_mm;
        e->rotation_deg = c.rotation;
        e->align = (uint32_t)c.align;
        e->max_lines = c.lines;
        e->human_readable = c.human;
        EXPECT_EQ(f.fields(), c.expect) << c.value << " " << c.kind;
    }
}

TEST(Zpl, RuleThicknessAtLowResolutions)
{
    const struct {
        int32_t dpi;
        const char* expect;
    } cases[] = {{203, "^FO0,0^GB406,2,2^FS\n"}, {96, "^FO0,0^GB192,1,1^FS\n"}, {50, "^FO0,0^GB100,1,1^FS\n"}};
    for (const auto& c : cases) {
        zpl_label f("Name\nx\n", c.dpi);
        f.add(LABEL_RULE, 0, 0, -1)->size_mm = 0;
        EXPECT_EQ(f.fields(), c.expect) << c.dpi;
    }
}

// The room of a barcode is the label's height when it turns by exactly 90 or 270 degrees.
TEST(Zpl, BarcodeRoomAndFailures)
{
    const struct {
        uint32_t symbology;
        int32_t rotation;
        float module_mm;
        const char* value;
        engine_error expect;
    } cases[] = {
        {SYMBOLOGY_CODE128, 0, 0.5f, "12345678", ERR_OK},     // 99 modules of 4 dots: 396 of 406
        {SYMBOLOGY_CODE128, 90, 0.5f, "12345678", ERR_RANGE},  // against 203
        {SYMBOLOGY_CODE128, 270, 0.5f, "12345678", ERR_RANGE},
        {SYMBOLOGY_CODE128, -90, 0.5f, "12345678", ERR_OK},
        {SYMBOLOGY_CODE128, 0, 0.6f, "12345678", ERR_RANGE},
        {SYMBOLOGY_EAN13, 0, 0.25f, "40063813339", ERR_INVALID},
        {SYMBOLOGY_EAN13, 0, 0.25f, "4006381333932", ERR_INVALID},
        {SYMBOLOGY_CODE128, 0, 0.25f, "", ERR_INVALID},
        {7, 0, 0.25f, "1", ERR_INVALID},
    };
    for (const auto& c : cases) {
        zpl_label f;
        label_element* e = f.add(LABEL_BARCODE, 0, 0, -1);
        e->symbology = c.symbology;
        e->rotation_deg = c.rotation;
        e->module_mm = c.module_mm;
        snprintf(e->text, sizeof e->text, "%s", c.value);
        engine_error error = ERR_OK;
        f.fields(nullptr, &error);
        EXPECT_EQ(error, c.expect) << c.value << " turned " << c.rotation;
    }
    zpl_label f;
    label_element* e = f.add(LABEL_BARCODE, 0, 0, -1);
    snprintf(e->text, sizeof e->text, "1234");
    e->rotation_deg = -90;  // drawn upright, so printed upright
    EXPECT_NE(f.fields().find("^BCN,"), std::string::npos);

    zpl_label empty;
    empty.model.width_mm = 0.05f;
    engine_error error = ERR_OK;
    empty.build(PRINTER_LANG_ZPL, nullptr, 0, 1, &error);
    EXPECT_EQ(error, ERR_RANGE);
}

TEST(Zpl, FieldDataEscapes)
{
    byte_buffer b = {};
    byte_sink sink = byte_sink_buffer(&b);
    zpl_write_field_data(&sink, "a\\b^c~d>\xC3\xA9");
    EXPECT_EQ(std::string((const char*)b.data, b.length), "a\\5Cb\\5Ec\\7Ed>\xC3\xA9");
    byte_buffer_free(&b);
}

// Read back as a printer would: the Code 128 fields of a many-row job carry each row's value,
// in the code sets of the preview's symbol.
TEST(Zpl, BarcodeFieldsHoldTheRowsValues)
{
    std::mt19937 rnd(20261210);
    std::string csv = "Name,Price,Barcode\n";
    std::vector<std::string> values;
    for (int row = 0; row < 200; row++) {
        std::string value;
        for (int n = 1 + (int)(rnd() % 12); n > 0; n--) value += (char)(rnd() % 4 ? '0' + rnd() % 10 : 33 + rnd() % 94);
        if (value.find_first_of(",\"") != std::string::npos) value = "x>^~\\1234";
        values.push_back(value);
        csv += "n" + std::to_string(row) + ",1.00," + value + "\n";
    }
    job_fixture f(csv, 50.8f, 25.4f, 203, "barcode");
    const std::string job = f.build(PRINTER_LANG_ZPL);
    size_t at = 0;
    for (const std::string& value : values) {
        at = job.find("^BCN,", at);
        ASSERT_NE(at, std::string::npos);
        at = job.find("^FD", at) + 3;
        ASSERT_TRUE(job.compare(at, 2, ">:") == 0 || job.compare(at, 2, ">;") == 0) << value;
        bool code_c = job[at + 1] == ';';
        std::string decoded;
        int32_t symbols = 1;  // the start
        for (at += 2; job.compare(at, 3, "^FS") != 0; symbols++) {
            if (job.compare(at, 2, ">5") == 0 || job.compare(at, 2, ">6") == 0) {
                code_c = job[at + 1] == '5';
                at += 2;
            } else if (code_c) {
                ASSERT_TRUE(isdigit((unsigned char)job[at]) && isdigit((unsigned char)job[at + 1])) << value;
                decoded += job.substr(at, 2);
                at += 2;
            } else if (job[at] == '\\') {
                decoded += (char)std::stoi(job.substr(at + 1, 2), nullptr, 16);
                at += 3;
            } else if (job.compare(at, 2, "><") == 0) {
                decoded += '>';
                at += 2;
            } else {
                ASSERT_NE(job[at], '>') << "a bare invocation character in " << value;
                decoded += job[at++];
            }
        }
        EXPECT_EQ(decoded, value);
        // As many symbols as the preview's: its modules less quiet zones, stop and check.
        barcode_symbol s;
        ASSERT_EQ(barcode_encode(SYMBOLOGY_CODE128, value.c_str(), &s), ERR_OK);
        EXPECT_EQ(symbols, (s.module_count - 20 - 13) / 11 - 1) << value;
    }
}

namespace {

// The dots of a raster that are black, as a test walks them.
template <typename F>
void each_ink(const raster& r, F f)
{
    for (int32_t y = 0; y < r.height; y++)
        for (int32_t x = 0; x < r.width; x++)
            if (raster_get(&r, x, y)) f(x, y);
}

struct box {
    int32_t x0, y0, x1, y1;  // [x0, x1) x [y0, y1)
    bool holds(int32_t x, int32_t y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// A field of the job read back: its origin, and for barcodes its module and bar height, for
// text its orientation, font height and block width.
struct zpl_field_read {
    int32_t x = 0, y = 0, module = 0, bars = 0, height = 0, block = 0;
    char kind = 0;         // 'B' barcode, 'A' text
    char orientation = 0;
};

std::vector<zpl_field_read> read_fields(const std::string& job)
{
    std::vector<zpl_field_read> fields;
    for (size_t at = job.find("^FO"); at != std::string::npos; at = job.find("^FO", at + 1)) {
        zpl_field_read f;
        char command[3] = {};
        if (sscanf(job.c_str() + at, "^FO%d,%d^BY%d,2,%d^%2c", &f.x, &f.y, &f.module, &f.bars, command) == 5) {
            f.kind = 'B';
            f.orientation = job[at + job.substr(at).find(command) + 2];
        } else if (sscanf(job.c_str() + at, "^FO%d,%d^A0%c,%d,%*d^FB%d", &f.x, &f.y, &f.orientation, &f.height,
                          &f.block) == 5) {
            f.kind = 'A';
        }
        if (f.kind) fields.push_back(f);
    }
    return fields;
}

// The span of bars of a value in dots: from the first bar to the last.
int32_t bars_span(uint32_t symbology, const char* value, int32_t module)
{
    barcode_symbol s;
    if (barcode_encode(symbology, value, &s) != ERR_OK) return 0;
    int32_t first = 0, end = s.module_count;
    while (!s.modules[first]) first++;
    while (!s.modules[end - 1]) end--;
    return (end - first) * module;
}

// Every element of the model on its own: the preview's dots against the job's fields. A
// barcode's field starts at its first bar's top-left corner as the preview draws it (turned:
// the bars' tops are on the right), and every dot of the element lies in its fields' boxes.
std::string compare_element(const job_fixture& f, int32_t element, int32_t row)
{
    job_fixture one(JOB_TEST_CSV, f.model.width_mm, f.model.height_mm, f.model.dpi, nullptr);
    one.model.elements[0] = f.model.elements[element];
    one.model.element_count = 1;
    const label_element& e = one.model.elements[0];
    raster r = {};
    if (label_render_row(&one.model, &one.table, row, &r) != ERR_OK) return "no preview";
    const std::vector<zpl_field_read> fields = read_fields(one.build(PRINTER_LANG_ZPL, nullptr, row, 1));
    std::vector<box> boxes;
    std::string problem;
    const bool turned = label_rotation(e.rotation_deg) == 90;
    for (const zpl_field_read& z : fields) {
        if (z.kind == 'A') {
            const int32_t across = bitmap_font_line_height(z.height) * (e.kind == LABEL_TEXT ? label_text_line_limit(&e) : 1);
            boxes.push_back(turned ? box{z.x, z.y, z.x + across, z.y + z.block}
                                   : box{z.x, z.y, z.x + z.block + (e.bold ? 1 : 0), z.y + across});
            continue;
        }
        const int32_t span = bars_span(e.symbology, label_element_text(&e, &one.table, row), z.module);
        const int32_t guards = e.symbology == SYMBOLOGY_CODE128 ? 0 : 3 * z.module;
        boxes.push_back(turned ? box{z.x - guards, z.y, z.x + z.bars, z.y + span}
                               : box{z.x, z.y, z.x + span, z.y + z.bars + guards});
        // The bars' corner as the preview drew it: the first bar's top-left dot; turned, its
        // top is on the right (where the label may cut it), so its bottom end is read instead,
        // which for a retail code is a guard bar's, longer by its guards.
        int32_t edge = turned ? -1 : r.height, corner = turned ? r.height : r.width;
        each_ink(r, [&](int32_t x, int32_t y) {
            if (turned ? x > edge : y < edge) edge = turned ? x : y, corner = turned ? y : x;
            else if ((turned ? x : y) == edge && (turned ? y : x) < corner) corner = turned ? y : x;
        });
        if (turned)
            while (edge > 0 && raster_get(&r, edge - 1, corner)) edge--;
        const int32_t want_x = turned ? edge + guards : corner, want_y = turned ? corner : edge;
        if (z.x != want_x || z.y != want_y)
            problem += "bars at " + std::to_string(z.x) + "," + std::to_string(z.y) + ", preview " +
                       std::to_string(want_x) + "," + std::to_string(want_y) + "; ";
    }
    int32_t outside = 0;
    each_ink(r, [&](int32_t x, int32_t y) {
        bool held = false;
        for (const box& b : boxes) held = held || b.holds(x, y);
        outside += !held;
    });
    if (outside) problem += std::to_string(outside) + " dots outside the fields; ";
    raster_free(&r);
    return problem;
}

}  // namespace

// The printed label places every element where the preview does: for every stock, template and
// resolution, each row either fails the same way in both or matches element by element.
TEST(Zpl, FieldsLieWhereThePreviewDrawsThem)
{
    int compared = 0;
    for (uint32_t s = 0; s < catalog_stock_count(); s++) {
        const stock_def* stock = catalog_stock_at(s);
        for (uint32_t l = 0; l < catalog_layout_count(); l++) {
            for (int32_t dpi : {203, 300, 600}) {
                for (uint32_t symbology : {SYMBOLOGY_CODE128, SYMBOLOGY_EAN13}) {
                    job_fixture f(JOB_TEST_CSV, stock->width_mm, stock->height_mm, dpi, catalog_layout_id(l));
                    for (int32_t i = 0; i < f.model.element_count; i++) f.model.elements[i].symbology = symbology;
                    for (int32_t row = 0; row < f.table.rows; row++) {
                        const std::string where = std::string(stock->id) + " " + catalog_layout_id(l) + " " +
                                                  std::to_string(dpi) + " dpi, symbology " +
                                                  std::to_string(symbology) + ", row " + std::to_string(row);
                        raster r = {};
                        engine_error preview = label_render_row(&f.model, &f.table, row, &r);
                        raster_free(&r);
                        engine_error printed = ERR_OK;
                        f.build(PRINTER_LANG_ZPL, nullptr, row, 1, &printed);
                        ASSERT_EQ(printed, preview) << where;
                        for (int32_t i = 0; preview == ERR_OK && i < f.model.element_count; i++, compared++)
                            EXPECT_EQ(compare_element(f, i, row), "") << where << ", element " << i;
                    }
                }
            }
        }
    }
    EXPECT_GT(compared, 400);
}
