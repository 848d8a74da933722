// The main window as a user sees and drives it: the header's counts and gated buttons, the
// settings column for each source with its column roles, stepping through rows, the zoom and its
// badge following the window, the status row, and the open and save dialogs; pictures of the
// sample shop in light and dark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/data_source.h"
#include "app/job_actions.h"
#include "app/problem_report.h"
#include "app/ui_parts.h"
#include "support/scratch.h"
#include "window_rig.h"

namespace {

// A spreadsheet of rows whose Quantity cells are the texts given.
std::string quantities_csv(const char* name, std::initializer_list<const char*> quantities)
{
    std::string text = "Name,Price,Barcode,Quantity\n";
    int row = 0;
    for (const char* q : quantities) text += "Tea " + std::to_string(row++) + ",1.00,4006381333931," + q + "\n";
    return app_scratch_csv(name, text);
}

std::string status(const window_rig& w)
{
    return app_status(w.state);
}

}  // namespace

TEST(AppWindowPicture, SampleShop)
{
    for (uint32_t mode : {QEL_THEME_LIGHT, QEL_THEME_DARK}) {
        window_rig w({}, mode);
        EXPECT_TRUE(picture_matches(w.rig.shot(), themed_picture("app/main_window", "", mode), PICTURE_TOLERANCE));
    }
}

// The window after opening tests/data/app/the.csv under a name with accents and a euro sign, as
// the program under Wine shows it after its open dialog.
TEST(AppWindowPicture, OpenedSpreadsheet)
{
    std::string text;
    ASSERT_TRUE(scratch_read(std::string(getenv("TAGMOOR_TEST_DATA")) + "/app/the.csv", &text));
    window_rig w;
    w.answer = app_scratch_csv("th\xC3\xA9 \xE2\x82\xAC.csv", text);
    w.click_text("Open CSV\u2026");
    w.rig.h.move(-1e6f, -1e6f);
    w.settle();
    EXPECT_TRUE(picture_matches(w.rig.shot(), "app/opened_csv_light.png", PICTURE_TOLERANCE));
}

TEST(AppWindow, HeaderCountsTheLabelsAndGatesItsButtons)
{
    // 20 rows adding up to 35 labels; a file whose every quantity is 0 prints nothing.
    std::initializer_list<const char*> twenty = {"1", "2", "3", "1", "1", "1", "1", "1", "1", "1",
                                                 "1", "1", "1", "1", "1", "1", "1", "1", "1", "13"};
    const struct {
        std::string path;
        const char* button;
        bool enabled;
    } cases[] = {
        {"", "Print 20 labels", true},
        {quantities_csv("35.csv", twenty), "Print 35 labels", true},
        {quantities_csv("one.csv", {"1"}), "Print 1 label", true},
        {quantities_csv("none.csv", {"0", "0"}), "Print", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        window_rig w(c.path.empty() ? std::vector<const char*>{} : std::vector<const char*>{"--demo", c.path.c_str()});
        EXPECT_TRUE(w.shows(c.button));
        w.click_text(c.button);
        EXPECT_EQ(w.state->print_sheet_open, c.enabled);
        w.state->print_sheet_open = 0;
        w.answer = scratch_path("saved.job");
        w.click_text("Save job\u2026");
        EXPECT_EQ(w.asked.size(), c.enabled ? 1u : 0u);
    }
}

TEST(AppWindow, OpenAndSaveGoThroughTheChosenPaths)
{
    window_rig w;
    // A cancelled dialog changes nothing.
    w.click_text("Open CSV\u2026");
    ASSERT_EQ(w.asked, std::vector<std::string>{"Open a spreadsheet"});
    EXPECT_EQ(status(w), "20 sample rows. Open your CSV to replace them.");

    w.answer = quantities_csv("shop \xC3\xA9t\xC3\xA9.csv", {"2", "0", ""});
    w.click_text("Open CSV\u2026");
    EXPECT_EQ(status(w), "3 rows, 4 columns");
    EXPECT_TRUE(w.shows("shop \xC3\xA9t\xC3\xA9.csv"));
    EXPECT_TRUE(w.shows("3 rows"));
    EXPECT_TRUE(w.shows("Print 3 labels"));

    const std::string saved = scratch_path("labels.zpl");
    w.answer = saved;
    w.click_text("Save job\u2026");
    EXPECT_EQ(w.asked.back(), "Save the printer job");
    std::string bytes;
    ASSERT_TRUE(scratch_read(saved, &bytes));
    EXPECT_EQ(status(w), std::to_string(bytes.size()) + " bytes of zpl written to " + saved);
}

TEST(AppWindow, SettingsColumnListsSixColumnsWithTheirRoles)
{
    const std::string path = app_scratch_csv("nine.csv", "A,Name,Price,Qty,Barcode,F,G,H,I\n"
                                                         "a,Tea,1.00,2,4006381333931,f,g,h,i\n");
    window_rig w({"--demo", path.c_str(), "--layout", "barcode"});
    EXPECT_TRUE(w.shows("9 columns"));
    for (const char* header : {"A", "Name", "Price", "Qty", "Barcode", "F"}) EXPECT_TRUE(w.shows(header)) << header;
    for (const char* header : {"G", "H", "I"}) EXPECT_FALSE(w.shows(header)) << header;
    EXPECT_TRUE(w.shows("barcode"));
    EXPECT_TRUE(w.shows("count"));

    // A stock wider than the printer builds no label: no roles.
    w.state->stock = app_stock_index("a4-3x8");
    w.state->printer = app_printer_index("brother-ql-800");
    w.settle();
    EXPECT_FALSE(w.shows("barcode"));
    EXPECT_FALSE(w.shows("count"));
    EXPECT_TRUE(w.shows("This stock does not fit this printer."));
    EXPECT_TRUE(w.shows("problem"));
}

TEST(AppWindow, RowButtonsStepThroughTheTable)
{
    window_rig w;
    EXPECT_TRUE(w.shows("1 of 20"));
    w.click_text("\u2039");  // disabled at the first row
    EXPECT_EQ(w.state->row, 0);
    const int64_t first = w.state->raster_key;
    w.click_text("\u203A");
    EXPECT_EQ(w.state->row, 1);
    EXPECT_TRUE(w.shows("2 of 20"));
    EXPECT_NE(w.state->raster_key, first);
    EXPECT_TRUE(w.state->raster_valid);
    w.click_text("\u2039");
    EXPECT_EQ(w.state->row, 0);

    window_rig last({"--row", "99"});
    EXPECT_TRUE(last.shows("20 of 20"));
    last.click_text("\u203A");
    EXPECT_EQ(last.state->row, 19);

    window_rig one({"--demo", quantities_csv("single.csv", {"1"}).c_str()});
    one.click_text("\u203A");
    one.click_text("\u2039");
    EXPECT_EQ(one.state->row, 0);
    EXPECT_TRUE(one.shows("1 of 1"));
}

TEST(AppWindow, OneLabelSourceShowsTheTypedFieldsItPrints)
{
    window_rig w({"--layout", "barcode"});
    w.click_text("One label");
    EXPECT_EQ(w.state->source, APP_SOURCE_ONE_LABEL);
    EXPECT_FALSE(w.shows("1 of 1")) << "no row counter for one label";
    EXPECT_FALSE(w.shows("\u203A"));
    EXPECT_NE(w.rig.h.rect(w.id("v-barcode")).w, 0);
    // Nothing typed yet: one label, which cannot print.
    w.click_text("Print 1 label");
    EXPECT_FALSE(w.state->print_sheet_open);

    w.click_id("v-name");
    w.rig.h.type("Tea");
    w.settle();
    EXPECT_STREQ(csv_cell(&w.state->table, 0, 0), "Tea");
    EXPECT_EQ(status(w), "Type the barcode to see this label.");
    EXPECT_FALSE(w.shows("problem")) << "information, not an error";
    w.click_id("v-barcode");
    w.rig.h.type("4006381333931");
    w.settle();
    EXPECT_TRUE(w.state->raster_valid);
    EXPECT_TRUE(w.shows("Print 1 label"));

    // The name-only template reads only the name.
    window_rig name({"--one", "--layout", "name"});
    EXPECT_NE(name.rig.h.rect(name.id("v-name")).w, 0);
    EXPECT_EQ(name.rig.h.rect(name.id("v-price")).w, 0);
    EXPECT_EQ(name.rig.h.rect(name.id("v-barcode")).w, 0);

    // Back to the file: the sample with its rows.
    name.click_text("From a file");
    EXPECT_TRUE(name.shows("1 of 20"));
}

TEST(AppWindow, ZoomBadgeFollowsTheZoomAndTheWindowWithoutLagging)
{
    window_rig w;
    auto fitted = [&] { return "fitted " + std::to_string((int)(w.state->fit_scale * 100 + 0.5f)) + "%"; };
    EXPECT_TRUE(w.shows(fitted().c_str()));

    // A smaller window: the frame that sees the new size asks for the one that fits to it.
    qel_ctx_set_display(w.rig.h.ctx, 950, 640, 1);
    const float before = w.state->fit_scale;
    for (int frames = 0; frames < 6 && (frames == 0 || qel_needs_redraw(w.rig.h.ctx)); frames++) w.settle(1);
    EXPECT_LT(w.state->fit_scale, before);
    EXPECT_TRUE(w.shows(fitted().c_str()));
    EXPECT_EQ(w.state->texture_width, (int32_t)(192 * w.state->fit_scale + 0.5f));

    const struct {
        const char* item;
        uint32_t zoom;
        const char* badge;
    } cases[] = {{"1:1", APP_ZOOM_1X, "true size"}, {"2x", APP_ZOOM_2X, "zoomed"}, {"3x", APP_ZOOM_3X, "zoomed"}};
    for (const auto& c : cases) {
        w.click_text(c.item);
        EXPECT_EQ(w.state->zoom, c.zoom);
        EXPECT_TRUE(w.shows(c.badge)) << c.item;
        EXPECT_EQ(w.state->texture_width, 192 * (int32_t)c.zoom);
    }
}

TEST(AppWindow, SelectsChooseStockTemplatePrinterAndQueue)
{
    window_rig w;
    EXPECT_TRUE(w.shows("none found"));
    w.set_queues({"Front desk", "Caf\xC3\xA9 back room"});
    w.settle();
    EXPECT_FALSE(w.shows("none found"));

    w.choose("size", "1 \xC3\x97 2 in, portrait (address)");
    EXPECT_EQ(w.state->stock, app_stock_index("1x2"));
    EXPECT_TRUE(w.shows("25.4 \xC3\x97 50.8 mm \xC2\xB7 203 dpi"));
    w.choose("layout", "Barcode");
    EXPECT_EQ(w.state->layout, app_layout_index("barcode"));
    EXPECT_TRUE(w.shows("barcode"));

    // Another printer renders again at its resolution.
    w.choose("printer", "Zebra ZD421 (300 dpi, ZPL)");
    EXPECT_EQ(w.state->printer, app_printer_index("zebra-zd421-300"));
    EXPECT_TRUE(w.state->raster_valid);
    EXPECT_EQ(w.state->raster.width, 300);
    EXPECT_TRUE(w.shows("25.4 \xC3\x97 50.8 mm \xC2\xB7 300 dpi"));

    w.choose("queue", "Caf\xC3\xA9 back room");
    EXPECT_EQ(w.state->queue, 1u);
}

TEST(AppWindow, StatusRowMarksOnlyErrors)
{
    window_rig w;
    EXPECT_FALSE(w.shows("problem"));
    app_status_error(w.state, "Print failed: %s", "paper out");
    w.settle();
    EXPECT_TRUE(w.shows("problem"));
    EXPECT_TRUE(w.shows("Print failed: paper out"));
    app_status_clear(w.state);
    w.settle();
    EXPECT_FALSE(w.shows("problem"));
    EXPECT_FALSE(w.shows("Print failed: paper out"));
}

// Sheets whose headers the template cannot use print no placeholders: Print and Save are off,
// the header says why, and neither saving nor a report writes the job.
TEST(AppWindow, SheetsWithoutTheTemplatesColumnsCannotPrintAndSayWhy)
{
    const struct {
        const char* file;
        const char* text;
        const char* reason;
    } cases[] = {
        {"lager.csv", "Artikelnummer;Lagerort\n4711;B3\n4712;B4\n", "No column of lager.csv holds the name."},
        {"export.csv", "Bezeichnung;Preis;EAN\nTee;4,50;4006381333931\nKanne;32,00;8712345013707\n",
         "No column of export.csv holds the name."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = app_scratch_csv(c.file, c.text);
        window_rig w({"--demo", path.c_str()});
        EXPECT_TRUE(w.shows(c.reason));
        w.click_text("Print 2 labels");
        EXPECT_FALSE(w.state->print_sheet_open);
        w.answer = scratch_path("placeholders.zpl");
        w.click_text("Save job\u2026");
        EXPECT_TRUE(w.asked.empty());
        app_save_job(w.state, app_ui_choose_file, nullptr);
        EXPECT_TRUE(w.asked.empty()) << "refused before a file is asked for";
        EXPECT_EQ(status(w), c.reason);
        EXPECT_EQ(w.state->status_kind, APP_STATUS_ERROR);
        app_status_clear(w.state);
        app_report_problem(w.state);
        EXPECT_EQ(status(w), c.reason);
        EXPECT_FALSE(w.state->problem_dialog_open);
        EXPECT_STREQ(w.state->report.job_path, "") << "no report is written";
    }
}

TEST(AppWindow, EmptySheetsCountNoRows)
{
    for (const char* text : {"", "Name,Price,Barcode\n"}) {
        window_rig w({"--demo", app_scratch_csv("empty.csv", text).c_str()});
        EXPECT_TRUE(w.shows("0 of 0")) << '"' << text << '"';
        const uint32_t row = w.state->row;
        w.click_text("\u203A");
        w.click_text("\u2039");
        EXPECT_EQ(w.state->row, row) << "both steppers are off";
        EXPECT_TRUE(w.shows("0 of 0"));
    }
}

// At its least size, with the widest settings column, everything stays reachable: the settings
// column scrolls and the status line is whole in the window.
TEST(AppWindow, LeastWindowKeepsTheStatusLineInSight)
{
    const std::string nine = app_scratch_csv("nine.csv", "A,Name,Price,Qty,Barcode,F,G,H,I\n"
                                                         "a,Tea,1.00,2,4006381333931,f,g,h,i\n");
    for (const char* demo : {"", nine.c_str()}) {
        SCOPED_TRACE(demo);
        window_rig w(demo[0] ? std::vector<const char*>{"--demo", demo} : std::vector<const char*>{});
        qel_ctx_set_display(w.rig.h.ctx, 900, 620, 1);
        w.settle();
        ASSERT_FALSE(status(w).empty());
        const qel_node* line = node_with_text(w.rig.h.ctx, w.state->status_text);
        ASSERT_TRUE(line);
        EXPECT_GT(line->rect.h, 0);
        EXPECT_LE(line->rect.y + line->rect.h, 620) << "the status line is whole";
        const qel_rect settings = w.rig.h.rect(w.id("settings"));
        EXPECT_LE(settings.y + settings.h, 620) << "the column ends in the window and scrolls";
        // Its last control is reachable: the wheel brings it into view.
        w.rig.h.move(settings.x + 100, settings.y + 100);
        for (int i = 0; i < 20; i++) w.rig.h.wheel(0, -3), w.settle(2);
        const qel_node* last = node_with_text(w.rig.h.ctx, demo[0] ? "F" : "Barcode");
        ASSERT_TRUE(last);
        EXPECT_LE(last->rect.y + last->rect.h, 620);
    }
}

TEST(AppWindow, ProblemBadgeStaysWholeBesideALongError)
{
    window_rig w;
    qel_ctx_set_display(w.rig.h.ctx, 900, 620, 1);
    app_status_error(w.state, "Cannot write %s: i/o error",
                     "C:\\Users\\shop\\Documents\\Labels\\this folder has a very long name indeed\\and another one "
                     "below it\\labels for the spring sale.zpl");
    w.settle();
    const qel_node* badge = node_with_text(w.rig.h.ctx, "problem");
    ASSERT_TRUE(badge);
    EXPECT_GE(badge->rect.w, badge->text_w - 0.5f);
    const qel_node* line = node_with_text(w.rig.h.ctx, w.state->status_text);
    ASSERT_TRUE(line);
    EXPECT_GE(line->line_count, 2) << "the line wraps";
}

// 1:1 measures one inch of the screen an inch, 2x two, at any display scale: a screen of scale s
// has 96 x s pixels an inch, and the 2-inch sample label is as wide as 2 x 96 x s of them.
TEST(AppWindow, TrueSizeAtEveryDisplayScale)
{
    // The widest run of white pixels along rows of the preview's canvas, in device pixels: the
    // card less its hairline border.
    auto card_width = [](const picture& p, qel_rect canvas, float scale) {
        int32_t widest = 0;
        for (int32_t y = (int32_t)(canvas.y * scale) + 1; y < (int32_t)((canvas.y + canvas.h) * scale) - 1; y += 3) {
            int32_t run = 0;
            for (int32_t x = (int32_t)(canvas.x * scale) + 1; x < (int32_t)((canvas.x + canvas.w) * scale) - 1; x++) {
                const uint8_t* px = &p.rgba[((size_t)y * (size_t)p.width + (size_t)x) * 4];
                run = px[0] == 255 && px[1] == 255 && px[2] == 255 ? run + 1 : 0;
                widest = std::max(widest, run);
            }
        }
        return widest;
    };
    for (float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
        for (const char* zoom : {"1", "2"}) {
            SCOPED_TRACE(std::to_string(scale) + " at zoom " + zoom);
            window_rig w({"--zoom", zoom});
            w.state->screen_dpi = 96 * scale;
            qel_ctx_set_display(w.rig.h.ctx, 1120, 760, scale);
            w.rig.h.move(-1e6f, -1e6f);
            w.settle();
            const float inches = 2 * (float)atoi(zoom);
            // Inside the hairline border: a logical pixel at each side, whole device pixels.
            const float border = 2 * std::ceil(scale);
            EXPECT_NEAR(card_width(w.rig.shot(), w.rig.h.rect(w.id("preview")), scale), inches * 96 * scale - border, 1);
        }
    }
}

TEST(AppWindow, TypedCharactersTheLabelFontLacksAreFlaggedAtOnce)
{
    window_rig w({"--one", "--layout", "barcode", "--barcode", "4006381333931"});
    w.click_id("v-name");
    w.rig.h.type("Cr\xC3\xA8me");
    w.settle();
    EXPECT_TRUE(w.shows("The label font has no \"\xC3\xA8\"."));
    EXPECT_FALSE(app_can_print(w.state));
    w.click_text("Print 1 label");
    EXPECT_FALSE(w.state->print_sheet_open);
    for (int i = 0; i < 4; i++) w.rig.h.tap(QEL_KEY_BACKSPACE);
    w.settle();
    EXPECT_FALSE(w.shows("The label font has no \"\xC3\xA8\"."));
    EXPECT_TRUE(app_can_print(w.state));
}

TEST(AppWindow, PrintingARowTheFontLacksGoesToThatRow)
{
    std::string csv = "Name,Price,Barcode\n";
    for (int i = 0; i < 299; i++)
        csv += (i == 215 ? std::string("Cr\xC3\xA8me") : "Tea " + std::to_string(i)) + ",1.00,4006381333931\n";
    window_rig w({"--demo", app_scratch_csv("accented.csv", csv).c_str()});
    w.set_queues({"tagmoor-no-such-queue"});
    w.click_text("Print 299 labels");
    w.click_text("Print 299");
    const std::string said = "Row 216 of 299 cannot print: the built-in font has no glyph for \"\xC3\xA8\" in column Name.";
    EXPECT_EQ(status(w), said);
    EXPECT_TRUE(w.shows("216 of 299"));
    w.settle(5);
    EXPECT_EQ(status(w), said) << "the preview keeps the action's line";
    // Stepping away and back shows the row's own trouble.
    w.click_text("\u203A");
    w.click_text("\u2039");
    EXPECT_EQ(status(w).rfind("This row cannot be laid out: ", 0), 0u) << status(w);
}
