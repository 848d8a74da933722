#include "engine/zpl.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/barcode.h"
#include "engine/catalog.h"
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
    const std::string fields =
        "^FO8,16^A0N,24,13^FB4,2,0,L^FH\\^FDTea \\5E5\\7E^FS\n"
        "^FO9,16^A0N,24,13^FB4,2,0,L^FH\\^FDTea \\5E5\\7E^FS\n"
        "^FO0,160^GB406,2,2^FS\n"
        "^FO106,40^BY2,2,80^BEN,80,Y,N^FH\\^FD400638133393^FS\n";
    EXPECT_EQ(f.build(PRINTER_LANG_ZPL), "^XA\n^PW406\n^LL203\n^LH0,0\n" + fields + "^XZ\n");
    const job_options by_quantity = {0, "Qty", 0, 0, 0, 0};
    EXPECT_EQ(f.build(PRINTER_LANG_ZPL, &by_quantity), "^XA\n^PW406\n^LL203\n^LH0,0\n^PQ3\n" + fields + "^XZ\n");
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
        // Text: no block without a width; orientation letters; the line limit.
        {LABEL_TEXT, 0, 3.0f, 0, 0, 0, 0, 0, 1, "a", "^FO0,0^A0N,24,13^FH\\^FDa^FS\n"},
        {LABEL_TEXT, 0, 3.0f, 10.0f, 0, 90, ALIGN_RIGHT, 3, 1, "a", "^FO0,0^A0R,24,13^FB80,3,0,R^FH\\^FDa^FS\n"},
        {LABEL_TEXT, 0, 1.0f, 10.0f, 0, -90, ALIGN_CENTER, 1, 1, "a", "^FO0,0^A0B,10,5^FB80,1,0,C^FH\\^FDa^FS\n"},
        {LABEL_TEXT, 0, 6.0f, 0, 0, 540, 0, 0, 1, "a", "^FO0,0^A0I,50,27^FH\\^FDa^FS\n"},
        // A rule's thickness and length.
        {LABEL_RULE, 0, 1.0f, 30.0f, 0, 0, 0, 0, 1, "a", "^FO0,0^GB240,8,8^FS\n"},
        // Retail codes send their digits less the check digit; Code 128 sends the value with
        // '>' written as the printer's literal.
        {LABEL_BARCODE, SYMBOLOGY_EAN13, 10.0f, 0, 0.25f, 0, 0, 0, 1, "400638133393",
         "^FO0,0^BY2,2,80^BEN,80,Y,N^FH\\^FD400638133393^FS\n"},
        {LABEL_BARCODE, SYMBOLOGY_UPCA, 10.0f, 0, 0.25f, 0, 0, 0, 0, "03600029145",
         "^FO0,0^BY2,2,80^BUN,80,N,N^FH\\^FD03600029145^FS\n"},
        {LABEL_BARCODE, SYMBOLOGY_UPCA, 10.0f, 0, 0.25f, 0, 0, 0, 0, "036000291452",
         "^FO0,0^BY2,2,80^BUN,80,N,N^FH\\^FD03600029145^FS\n"},
        {LABEL_BARCODE, SYMBOLOGY_CODE128, 8.0f, 0, 0.25f, 180, 0, 0, 1, "A>B^C>",
         "^FO0,0^BY2,2,64^BCI,64,Y,N,N^FH\\^FDA><B\\5EC><^FS\n"},
        // Alignment moves a barcode by its spare room only when there is some.
        {LABEL_BARCODE, SYMBOLOGY_CODE128, 8.0f, 0, 0.25f, 0, ALIGN_RIGHT, 0, 1, "1234",
         "^FO252,0^BY2,2,64^BCN,64,Y,N,N^FH\\^FD1234^FS\n"},
        {LABEL_BARCODE, SYMBOLOGY_CODE128, 8.0f, 10.0f, 0.25f, 0, ALIGN_CENTER, 0, 1, "1234",
         "^FO0,0^BY2,2,64^BCN,64,Y,N,N^FH\\^FD1234^FS\n"},
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
    e->rotation_deg = -90;
    EXPECT_NE(f.fields().find("^BCB,"), std::string::npos);

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

// Read back as a printer would: the Code 128 fields of a many-row job carry each row's value.
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
        std::string decoded;
        for (; job.compare(at, 3, "^FS") != 0; at++) {
            if (job[at] == '\\') {
                decoded += (char)std::stoi(job.substr(at + 1, 2), nullptr, 16);
                at += 2;
            } else if (job.compare(at, 2, "><") == 0) {
                decoded += '>';
                at++;
            } else {
                ASSERT_NE(job[at], '>') << "a bare invocation character in " << value;
                decoded += job[at];
            }
        }
        EXPECT_EQ(decoded, value);
    }
}
