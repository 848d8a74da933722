// The main window as a user sees and drives it: the header's counts and gated buttons, the
// settings column for each source with its column roles, stepping through rows, the zoom and its
// badge following the window, the status row, and the open and save dialogs; pictures of the
// sample shop in light and dark.
#include <gtest/gtest.h>

#include <string>

#include "app/data_source.h"
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
