// Start-up before the window: the defaults, the command line's words, exit codes and messages,
// and what each option does to the state.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/data_source.h"
#include "app_fixture.h"
#include "engine/catalog.h"
#include "support/scratch.h"

namespace {

int read_words(std::vector<const char*> words, app_command_line* line, std::string* msg)
{
    words.insert(words.begin(), "tagmoor-app");
    char text[256];
    int code = app_command_line_read((int)words.size(), const_cast<char**>(words.data()), line, text, sizeof text);
    *msg = text;
    return code;
}

const char* stock_id(const app_state* state)
{
    return catalog_stock_at(state->stock)->id;
}

}  // namespace

TEST(AppStart, DefaultsBeforeTheWindow)
{
    app_fixture f;
    ASSERT_EQ(f.code, APP_EXIT_OK);
    app_state* s = f.state;
    EXPECT_STREQ(stock_id(s), "2x1");
    EXPECT_STREQ(catalog_layout_id(s->layout), "price");
    EXPECT_STREQ(catalog_printer_at(s->printer)->id, "zebra-zd230");
    EXPECT_EQ(s->screen_dpi, 96.0f);  // what Wine's desktop reports too
    EXPECT_EQ(s->fit_scale, 1.0f);
    EXPECT_EQ(s->raster_key, -1);
    EXPECT_EQ(s->texture_key, -1);
    EXPECT_EQ(s->zoom, APP_ZOOM_FIT);
    EXPECT_EQ(s->source, APP_SOURCE_FILE);
    EXPECT_TRUE(s->loaded);
    EXPECT_EQ(s->table.rows, 20);
    EXPECT_EQ(app_status(s), "20 sample rows. Open your CSV to replace them.");
    EXPECT_EQ(s->status_kind, APP_STATUS_INFO);
    EXPECT_FALSE(s->print_sheet_open);
    EXPECT_FALSE(s->problem_dialog_open);
    ASSERT_LE(s->queue_count, APP_MAX_QUEUES);
    EXPECT_EQ(s->queue, 0u);
    for (int i = 0; i < APP_MAX_QUEUES; i++) EXPECT_EQ(s->queue_list[i], s->queue_names[i]);
}

TEST(AppCommandLine, WordsExitCodesAndMessages)
{
    const struct {
        std::vector<const char*> words;
        int code;
        const char* msg;
    } cases[] = {
        {{}, 0, ""},
        {{"--print-sheet", "--report", "--one"}, 0, ""},
        {{"--row"}, 2, "tagmoor-app: --row needs a value\n"},
        {{"--one", "--zoom"}, 2, "tagmoor-app: --zoom needs a value\n"},
        // The value test comes first: an unknown last word needs a value too.
        {{"--bogus"}, 2, "tagmoor-app: --bogus needs a value\n"},
        {{"--bogus", "x"}, 2, "tagmoor-app: unknown option --bogus\n"},
        {{"shop.csv", "--one"}, 2, "tagmoor-app: unknown option shop.csv\n"},
        {{"--one", "--ONE", "x"}, 2, "tagmoor-app: unknown option --ONE\n"},
        {{"--size", "1x2", "--report", "--layout"}, 2, "tagmoor-app: --layout needs a value\n"},
    };
    for (const auto& c : cases) {
        app_command_line line;
        std::string msg;
        EXPECT_EQ(read_words(c.words, &line, &msg), c.code) << c.msg;
        EXPECT_EQ(msg, c.msg);
    }
}

TEST(AppCommandLine, ValuesAreTakenWhateverTheyLookLike)
{
    app_command_line line;
    std::string msg;
    ASSERT_EQ(read_words({"--name", "--one", "--demo", "a.csv", "--size", "1x2", "--layout", "barcode", "--price",
                          "", "--barcode", "-5", "--print-sheet", "--zoom", "2", "--zoom", "3", "--row", "5 rows"},
                         &line, &msg),
              0);
    EXPECT_STREQ(line.name, "--one");
    EXPECT_FALSE(line.one);
    EXPECT_STREQ(line.demo, "a.csv");
    EXPECT_STREQ(line.size, "1x2");
    EXPECT_STREQ(line.layout, "barcode");
    EXPECT_STREQ(line.price, "");
    EXPECT_STREQ(line.barcode, "-5");
    EXPECT_TRUE(line.print_sheet);
    EXPECT_FALSE(line.report);
    EXPECT_EQ(line.zoom, 3);  // the last of a repeated option
    EXPECT_EQ(line.row, 5);
}

TEST(AppCommandLine, NumbersReadTheirDecimalPrefix)
{
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {{"12", 12}, {"abc", 0}, {"", 0}, {"-3", -3}, {"0x10", 0}, {"99999999999", INT32_MAX},
                 {"-99999999999", INT32_MIN}};
    for (const auto& c : cases) {
        app_command_line line;
        std::string msg;
        ASSERT_EQ(read_words({"--row", c.text}, &line, &msg), 0);
        EXPECT_EQ(line.row, c.value) << c.text;
    }
}

TEST(AppCommandLine, ABadLineEndsTheStartWithItsMessage)
{
    testing::internal::CaptureStderr();
    app_fixture f({"--zoom", "1", "--row"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tagmoor-app: --row needs a value\n");
    EXPECT_EQ(f.code, APP_EXIT_USAGE);
    EXPECT_EQ(f.state, nullptr);
}

TEST(AppCommandLine, ZoomOutsideItsRangeIsFit)
{
    const struct {
        const char* value;
        uint32_t zoom;
    } cases[] = {{"2", APP_ZOOM_2X}, {"3", APP_ZOOM_3X}, {"0", APP_ZOOM_FIT}, {"7", APP_ZOOM_FIT},
                 {"-1", APP_ZOOM_FIT}, {"99999999999", APP_ZOOM_FIT}, {"x", APP_ZOOM_FIT}};
    for (const auto& c : cases) {
        app_fixture f({"--zoom", c.value});
        ASSERT_EQ(f.code, 0);
        EXPECT_EQ(f.state->zoom, c.zoom) << c.value;
    }
}

TEST(AppCommandLine, RowIsHeldWithinTheTable)
{
    const struct {
        const char* value;
        int32_t row;
    } cases[] = {{"0", 0}, {"1", 1}, {"5", 5}, {"19", 19}, {"20", 19}, {"99", 19}, {"99999999999", 19}, {"-4", 0}};
    for (const auto& c : cases) {
        app_fixture f({"--row", c.value});
        EXPECT_EQ(f.state->row, c.row) << c.value;
    }
    // A table of a header alone has no last row to go to.
    const std::string empty = app_scratch_csv("header-only.csv", "Name,Price\n");
    app_fixture f({"--demo", empty.c_str(), "--row", "3"});
    EXPECT_EQ(f.state->table.rows, 0);
    EXPECT_EQ(f.state->row, 0);
}

TEST(AppCommandLine, StockAndTemplateById)
{
    const struct {
        std::vector<const char*> words;
        const char* stock;
        const char* layout;
    } cases[] = {
        {{"--size", "1x2"}, "1x2", "price"},
        {{"--size", "no-such-stock"}, "2x1", "price"},
        {{"--size", "1X2"}, "2x1", "price"},
        {{"--layout", "barcode", "--size", "a4-3x8"}, "a4-3x8", "barcode"},
        {{"--layout", "Barcode"}, "2x1", "price"},
    };
    for (const auto& c : cases) {
        app_fixture f(c.words);
        EXPECT_STREQ(stock_id(f.state), c.stock);
        EXPECT_STREQ(catalog_layout_id(f.state->layout), c.layout);
    }
}

TEST(AppCommandLine, DemoOpensTheFileOrKeepsTheSample)
{
    const std::string path = app_scratch_csv("caf\xC3\xA9 \xE8\x8C\xB6.csv", "Name,Price\nA,1\nB,2\nC,3\n");
    app_fixture opened({"--demo", path.c_str(), "--row", "2"});
    EXPECT_EQ(opened.state->table.rows, 3);
    EXPECT_EQ(opened.state->row, 2);
    EXPECT_STREQ(opened.state->shown_name, "caf\xC3\xA9 \xE8\x8C\xB6.csv");
    EXPECT_EQ(app_status(opened.state), "3 rows, 2 columns");

    const std::string missing = scratch_path("no such file.csv");
    app_fixture kept({"--demo", missing.c_str()});
    EXPECT_EQ(kept.code, APP_EXIT_OK);
    EXPECT_EQ(kept.state->table.rows, 20);
    EXPECT_STREQ(kept.state->shown_name, "shop.csv (sample)");
    EXPECT_EQ(kept.state->status_kind, APP_STATUS_ERROR);
    EXPECT_EQ(app_status(kept.state).rfind("Cannot read " + missing + ": ", 0), 0u) << app_status(kept.state);
}

TEST(AppCommandLine, OneLabelFromTheTypedWords)
{
    app_fixture f({"--one", "--name", "Tea", "--price", "4.50", "--print-sheet"});
    app_state* s = f.state;
    EXPECT_EQ(s->source, APP_SOURCE_ONE_LABEL);
    ASSERT_TRUE(s->loaded);
    EXPECT_EQ(s->table.rows, 1);
    EXPECT_STREQ(csv_cell(&s->table, 0, 0), "Tea");
    EXPECT_STREQ(csv_cell(&s->table, 0, 1), "4.50");
    EXPECT_STREQ(csv_cell(&s->table, 0, 2), "");
    EXPECT_TRUE(s->saved);
    EXPECT_EQ(s->saved_table.rows, 20);
    EXPECT_EQ(app_status(s), "");
    EXPECT_TRUE(s->print_sheet_open);
    app_switch_source(s, APP_SOURCE_FILE);
    EXPECT_EQ(s->table.rows, 20);
    EXPECT_FALSE(s->saved);
}

TEST(AppCommandLine, TypedWordsAreCutAtAWholeCharacter)
{
    // 47 two-byte letters and one more: 96 bytes for a field of 95.
    std::string name;
    for (int i = 0; i < 48; i++) name += "\xC3\xA9";
    const std::string price = "1234567890123456789012345678901\xE2\x82\xAC";  // 31 bytes and a euro sign
    app_fixture f({"--name", name.c_str(), "--price", price.c_str(), "--barcode", "123"});
    EXPECT_EQ(std::string(f.state->name), name.substr(0, 94));
    EXPECT_EQ(std::string(f.state->price), price.substr(0, 31));
    EXPECT_STREQ(f.state->barcode, "123");
    EXPECT_EQ(f.state->source, APP_SOURCE_FILE);  // typed, but not shown without --one
}

TEST(AppCommandLine, ReportComesBeforeTheOneLabelSource)
{
    app_temporary_folders env(scratch_dir().c_str(), nullptr, nullptr);
    app_fixture f({"--report", "--one", "--name", "Tea"});
    // The report is of the sample; the one-label source then clears its status line.
    EXPECT_NE(std::string(f.state->report.body).find("Labels:   20\n"), std::string::npos);
    EXPECT_TRUE(f.state->problem_dialog_open);
    EXPECT_EQ(app_status(f.state), "");
    EXPECT_EQ(f.state->source, APP_SOURCE_ONE_LABEL);
    EXPECT_EQ(app_links().links.size(), 1u);
}
