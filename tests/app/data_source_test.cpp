// The sources of the labels: the built-in sample, opened files, the one-label table, switching
// between them, the quantity column, the label model and the print gate.
#include "app/data_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app_fixture.h"
#include "engine/catalog.h"
#include "support/scratch.h"

namespace {

// The EAN-13 check digit computed here, independently of the engine's encoder.
bool ean13_valid(const std::string& code)
{
    if (code.size() != 13) return false;
    int sum = 0;
    for (int i = 0; i < 12; i++) sum += (code[i] - '0') * (i % 2 ? 3 : 1);
    return (10 - sum % 10) % 10 == code[12] - '0';
}

}  // namespace

TEST(AppSample, TwentyTeaShopRows)
{
    app_fixture f;
    const csv_table& t = f.state->table;
    ASSERT_EQ(t.rows, 20);
    ASSERT_EQ(t.columns, 3);
    EXPECT_STREQ(t.header[0], "Name");
    EXPECT_STREQ(t.header[1], "Retail");
    EXPECT_STREQ(t.header[2], "Barcode");
    EXPECT_STREQ(csv_cell(&t, 0, 0), "Earl Grey tea, 50 g");
    EXPECT_STREQ(csv_cell(&t, 11, 1), "32.00");
    EXPECT_STREQ(csv_cell(&t, 19, 0), "Honey, wildflower, 250 g");
    EXPECT_STREQ(csv_cell(&t, 19, 2), "8712345024666");
    for (int32_t row = 0; row < t.rows; row++) EXPECT_TRUE(ean13_valid(csv_cell(&t, row, 2))) << row;
    EXPECT_STREQ(f.state->shown_name, "shop.csv (sample)");
    EXPECT_EQ(f.state->quantity_column, -1);
}

TEST(AppSources, QuantityColumnByItsNames)
{
    const struct {
        const char* header;
        int32_t column;
    } cases[] = {
        {"Name,Price,Barcode", -1},
        {"Name,Count,qty", 2},  // "Qty" comes before "Count" and matches without regard to case
        {"copies,QUANTITY,Quantity", 2},
        {"Copies,Qty", 1},
        {"Name,\xE6\x95\xB0\xE9\x87\x8F", 1},
        {"\xE4\xBB\xBD\xE6\x95\xB0,\xE4\xBB\xB6\xE6\x95\xB0", 1},
    };
    app_fixture f;
    for (const auto& c : cases) {
        const std::string path = app_scratch_csv("quantity.csv", std::string(c.header) + "\n1,2,3\n");
        app_open_csv(f.state, path.c_str());
        EXPECT_EQ(f.state->quantity_column, c.column) << c.header;
    }
}

TEST(AppSources, OpeningAFile)
{
    app_fixture f;
    app_state* s = f.state;
    s->row = 7;
    const std::string path = app_scratch_csv("\xC3\xA9tiquettes.csv", "Product;Price;EAN\nA;1;2\nB;3;4\n");
    app_open_csv(s, path.c_str());
    EXPECT_EQ(app_status(s), "2 rows, 3 columns");
    EXPECT_EQ(s->status_kind, APP_STATUS_INFO);
    EXPECT_EQ(s->row, 0);
    EXPECT_EQ(s->raster_key, -1);
    EXPECT_EQ(std::string(s->path), path);
    EXPECT_STREQ(s->shown_name, "\xC3\xA9tiquettes.csv");

    // A file that cannot be read changes nothing but the status line.
    const std::string missing = scratch_path("missing.csv");
    app_open_csv(s, missing.c_str());
    EXPECT_EQ(s->status_kind, APP_STATUS_ERROR);
    EXPECT_EQ(app_status(s).rfind("Cannot read " + missing + ": ", 0), 0u) << app_status(s);
    EXPECT_EQ(s->table.rows, 2);
    EXPECT_EQ(std::string(s->path), path);
}

TEST(AppSources, ShownNameFollowsTheLastSeparatorAndEndsAtAWholeCharacter)
{
    app_fixture f;
    // A folder given with the backslashes of a Windows dialog.
    const std::string folder = scratch_path("back");
    std::filesystem::create_directories(std::filesystem::path(std::u8string(folder.begin(), folder.end())));
    std::string name;
    for (int i = 0; i < 70; i++) name += "\xC3\xA9";  // 140 bytes, for a field of 128
    app_scratch_csv("back/" + name, "Name\nA\n");
    app_open_csv(f.state, (folder + "\\" + name).c_str());
#ifdef _WIN32
    EXPECT_EQ(std::string(f.state->shown_name), name.substr(0, 126));
#else
    // Here the backslash is part of a file name, which does not exist.
    EXPECT_EQ(f.state->status_kind, APP_STATUS_ERROR);
    app_open_csv(f.state, (folder + "/" + name).c_str());
    EXPECT_EQ(std::string(f.state->shown_name), name.substr(0, 126));
#endif
}

TEST(AppSources, OneLabelAndBackKeepsTheFileTable)
{
    app_fixture f;
    app_state* s = f.state;
    const std::string path = app_scratch_csv("shop-qty.csv", "Name,Price,Qty\nA,1,2\nB,2,3\nC,3,0\n");
    app_open_csv(s, path.c_str());
    s->quantity_column = -1;  // chosen by hand: "One each"
    s->row = 2;
    app_copy_text(s->name, sizeof s->name, "Tea");
    app_switch_source(s, APP_SOURCE_ONE_LABEL);
    EXPECT_EQ(app_status(s), "");
    EXPECT_EQ(s->source, APP_SOURCE_ONE_LABEL);
    EXPECT_EQ(s->table.rows, 1);
    EXPECT_STREQ(csv_cell(&s->table, 0, 0), "Tea");
    EXPECT_EQ(s->row, 0);
    ASSERT_TRUE(s->saved);

    app_switch_source(s, APP_SOURCE_FILE);
    EXPECT_EQ(s->source, APP_SOURCE_FILE);
    EXPECT_EQ(s->table.rows, 3);
    EXPECT_FALSE(s->saved);
    EXPECT_EQ(s->quantity_column, 2);  // found again
    EXPECT_EQ(s->row, 0);
    EXPECT_EQ(s->raster_key, -1);

    // Opening a file from the one-label source drops the table set aside.
    app_switch_source(s, APP_SOURCE_ONE_LABEL);
    app_open_csv(s, path.c_str());
    EXPECT_EQ(s->source, APP_SOURCE_FILE);
    EXPECT_FALSE(s->saved);
    EXPECT_EQ(s->saved_table.rows, 0);
}

TEST(AppSources, BackToFilesWithNothingSetAsideBringsTheSample)
{
    app_fixture f({"--one"});
    app_state* s = f.state;
    csv_table_free(&s->saved_table);
    s->saved = 0;
    app_switch_source(s, APP_SOURCE_FILE);
    EXPECT_EQ(s->table.rows, 20);
    EXPECT_EQ(app_status(s), "20 sample rows. Open your CSV to replace them.");
}

TEST(AppSources, TypedFieldsTheTemplateReads)
{
    const struct {
        const char* layout;
        const char* printer;
        bool name, price, barcode;
    } cases[] = {
        {"price", "zebra-zd230", true, true, false},
        {"barcode", "zebra-zd230", true, false, true},
        {"name", "zebra-zd230", true, false, false},
        {"price", "brother-ql-800", true, true, true},  // the A4 stock does not fit: all three
    };
    app_fixture f({"--one", "--size", "a4-3x8"});
    for (const auto& c : cases) {
        f.state->layout = app_layout_index(c.layout);
        f.state->printer = app_printer_index(c.printer);
        bool shown[APP_FIELD_COUNT];
        app_one_label_fields(f.state, shown);
        EXPECT_EQ(shown[APP_FIELD_NAME], c.name) << c.layout << " " << c.printer;
        EXPECT_EQ(shown[APP_FIELD_PRICE], c.price) << c.layout << " " << c.printer;
        EXPECT_EQ(shown[APP_FIELD_BARCODE], c.barcode) << c.layout << " " << c.printer;
    }
}

TEST(AppSources, OneLabelCanPrintWhenItsBarcodesHaveValues)
{
    const struct {
        const char *name, *price, *barcode, *layout, *size;
        bool ready;
    } cases[] = {
        {"", "", "", "price", "2x1", false},
        {"Tea", "", "", "price", "2x1", true},
        {"Tea", "", "", "barcode", "2x1", false},
        {"", "", "4006381333931", "barcode", "2x1", true},
        {"", "9.50", "", "name", "2x1", true},
        {"Tea", "", "", "barcode", "a4-3x8", true},  // wider than the printer: printing says so
    };
    for (const auto& c : cases) {
        app_fixture f({"--one", "--name", c.name, "--price", c.price, "--barcode", c.barcode, "--layout", c.layout});
        f.state->stock = app_stock_index(c.size);
        f.state->printer = app_printer_index("brother-ql-800");
        EXPECT_EQ(app_one_label_ready(f.state), c.ready) << c.name << "/" << c.barcode << "/" << c.layout;
        EXPECT_EQ(app_can_print(f.state), c.ready);
    }
}

TEST(AppSources, FileCanPrintWithinTheJobLimits)
{
    std::string many = "Name,Price,Qty\n";
    for (int i = 0; i < 11; i++) many += "X,1.00,500\n";  // 5500 labels
    const struct {
        const char* file;
        std::string text;
        bool can_print;
    } cases[] = {
        {"one.csv", "Name,Price,Qty\nA,1.00,1\n", true},
        {"zero.csv", "Name,Price,Qty\nA,1.00,0\nB,1.00,0\n", false},
        {"bad.csv", "Name,Price,Qty\nA,1.00,lots\n", false},
        {"over.csv", many, false},
        {"header.csv", "Name,Price,Qty\n", false},
    };
    app_fixture f;
    EXPECT_TRUE(app_can_print(f.state));
    for (const auto& c : cases) {
        app_open_csv(f.state, app_scratch_csv(c.file, c.text).c_str());
        EXPECT_EQ(app_can_print(f.state), c.can_print) << c.file;
    }
    f.state->loaded = 0;
    EXPECT_FALSE(app_can_print(f.state));
    f.state->loaded = 1;  // the fixture frees the table
}

TEST(AppSources, LabelModelOfTheChoices)
{
    app_fixture f({"--size", "a4-3x8"});
    label_model model;
    ASSERT_TRUE(app_build_label_model(f.state, &model));
    EXPECT_EQ(model.dpi, (int32_t)catalog_printer_at(f.state->printer)->dpi);
    EXPECT_EQ(model.width_mm, 63.5f);
    EXPECT_EQ(model.gap_mm, catalog_stock_at(f.state->stock)->gap_mm);
    f.state->printer = app_printer_index("brother-ql-800");  // 62 mm: narrower than the stock
    EXPECT_FALSE(app_build_label_model(f.state, &model));
    f.state->printer = catalog_printer_count();
    EXPECT_FALSE(app_build_label_model(f.state, &model));
}

TEST(AppSources, JobOptionsNameTheQuantityColumnOfAFile)
{
    app_fixture f;
    app_open_csv(f.state, app_scratch_csv("q.csv", "Name,Menge,Anzahl\nA,1,2\n").c_str());
    job_options options;
    app_make_job_options(&options, f.state);
    EXPECT_EQ(options.quantity_column, nullptr);
    f.state->quantity_column = 2;
    app_make_job_options(&options, f.state);
    EXPECT_STREQ(options.quantity_column, "Anzahl");
    EXPECT_EQ(options.copies, 0);
    f.state->quantity_column = 3;
    app_make_job_options(&options, f.state);
    EXPECT_EQ(options.quantity_column, nullptr);
    f.state->quantity_column = 1;
    f.state->source = APP_SOURCE_ONE_LABEL;
    app_make_job_options(&options, f.state);
    EXPECT_EQ(options.quantity_column, nullptr);
}
