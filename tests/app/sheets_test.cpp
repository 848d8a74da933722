// The print sheet and the problem dialog as a user meets them: the sheet's lines for the sample,
// a quantities file and one typed label, its alert and counts, its buttons with and without a
// queue, the quantity column's select (which always lists the column in use), and the dialog's
// facts and buttons; pictures of both in light and dark.
#include <gtest/gtest.h>

#include <string>

#include "app/app_sheets.h"
#include "app/data_source.h"
#include "support/scratch.h"
#include "window_rig.h"

namespace {

std::string quantities_csv()
{
    return app_scratch_csv("sheet-qty.csv", "Name,Price,Barcode,Quantity\nTea,1.00,4006381333931,3\n"
                                            "Mug,9.50,5901234123457,0\nPot,32.00,8712345013707,\n");
}

}  // namespace

TEST(AppPrintSheet, LinesForEachSource)
{
    const std::string qty = quantities_csv();
    const struct {
        std::vector<const char*> words;
        std::vector<const char*> lines;
        std::vector<const char*> absent;
    } cases[] = {
        {{}, {"Print labels", "Zebra ZD230 (203 dpi, ZPL)", "2 \xC3\x97 1 in, landscape price tag, 50.8 \xC3\x97 25.4 mm",
              "Price", "Quantity column", "One each", "20 from 20 rows"},
         {"This cannot be printed yet"}},
        {{"--demo", qty.c_str()}, {"4 from 3 rows", "1 row with quantity 0 left out", "1 row with no quantity print once",
                                   "Quantity"},
         {}},
        {{"--one", "--name", "Tea", "--barcode", "4006381333931"}, {"Print this label", "1, the one you typed"},
         {"Quantity column"}},
    };
    for (const auto& c : cases) {
        std::vector<const char*> words = c.words;
        words.push_back("--print-sheet");
        window_rig w(words);
        w.set_queues({"Front desk"});
        w.settle();
        for (const char* line : c.lines) EXPECT_TRUE(w.shows(line)) << line;
        for (const char* line : c.absent) EXPECT_FALSE(w.shows(line)) << line;
    }
}

TEST(AppPrintSheet, NothingToPrintSaysWhyAndOffersSavingWithoutAQueue)
{
    window_rig w({"--demo", app_scratch_csv("zero.csv", "Name,Price,Qty\nTea,1.00,0\n").c_str(), "--print-sheet"});
    EXPECT_TRUE(w.shows("none"));
    EXPECT_TRUE(w.shows("none found"));
    EXPECT_TRUE(w.shows("No printer queue on this machine. Choose one on the left, or save the job and copy the "
                        "bytes to the printer."));
    EXPECT_TRUE(w.shows("Save job\xE2\x80\xA6"));
    w.click_text("Save job\xE2\x80\xA6");  // the sheet's, disabled: nothing to print
    EXPECT_TRUE(w.asked.empty());

    window_rig bad({"--demo", app_scratch_csv("bad.csv", "Name,Price,Qty\nTea,1.00,lots\n").c_str(),
                    "--print-sheet"});
    EXPECT_TRUE(bad.shows("This cannot be printed yet"));

    // A header the template cannot use: the sheet names the missing column, and printing is off.
    window_rig none({"--demo", app_scratch_csv("lager.csv", "Artikelnummer;Lagerort\n4711;B3\n").c_str(),
                     "--print-sheet"});
    none.set_queues({"Front desk"});
    none.settle();
    EXPECT_TRUE(none.shows("This cannot be printed yet"));
    EXPECT_TRUE(none.shows("No column of lager.csv holds the name."));
    none.click_text("Print 1");
    EXPECT_TRUE(none.state->print_sheet_open) << "the sheet's Print is off";
}

TEST(AppPrintSheet, ButtonsPrintCancelAndReport)
{
    window_rig w({"--print-sheet"});
    w.set_queues({"no such queue here"});
    w.settle();
    w.click_text("Print 20");
    EXPECT_FALSE(w.state->print_sheet_open);
    EXPECT_EQ(app_status(w.state).rfind("Print failed: ", 0), 0u) << app_status(w.state);
    w.settle(30);

    w.click_text("Print 20 labels");
    EXPECT_TRUE(w.state->print_sheet_open);
    w.settle(30);
    w.click_text("Cancel");
    EXPECT_FALSE(w.state->print_sheet_open);
    w.settle(30);

    app_temporary_folders folders(scratch_path("").c_str(), nullptr, nullptr);
    w.click_text("Print 20 labels");
    w.settle(30);
    w.click_text("Print came out wrong?");
    EXPECT_FALSE(w.state->print_sheet_open);
    EXPECT_TRUE(w.state->problem_dialog_open);
    w.settle(30);
    EXPECT_TRUE(w.shows("tagmoor-job.zpl"));
    EXPECT_TRUE(w.shows("0.9.0-beta.3, 20 labels"));
    w.click_text("Close");
    EXPECT_FALSE(w.state->problem_dialog_open);
}

TEST(AppPrintSheet, QuantitySelectListsTheColumnInUse)
{
    std::string header, row;
    for (int c = 0; c < 20; c++) {
        header += (c ? "," : "") + (c == 18 ? std::string("Qty") : "C" + std::to_string(c));
        row += (c ? "," : "") + std::string(c == 18 ? "2" : "x");
    }
    window_rig w({"--demo", app_scratch_csv("wide.csv", header + "\n" + row + "\n").c_str()});
    ASSERT_EQ(w.state->quantity_column, 18);
    const char* items[APP_QUANTITY_HEADERS + 2];
    int32_t columns[APP_QUANTITY_HEADERS + 2], chosen = -1;
    ASSERT_EQ(app_quantity_choices(w.state, items, columns, &chosen), 18u);
    EXPECT_STREQ(items[0], "One each");
    EXPECT_STREQ(items[16], "C15");
    EXPECT_STREQ(items[17], "Qty");
    EXPECT_EQ(columns[17], 18);
    EXPECT_EQ(chosen, 17);

    // Choosing "One each" by the select forgets the column and the preview.
    w.state->print_sheet_open = 1;
    w.settle(30);
    // The select under its caption (its id is the sheet's own).
    const qel_node* caption = node_with_text(w.rig.h.ctx, "Quantity column");
    ASSERT_TRUE(caption);
    w.rig.h.click(caption->rect.x + 60, caption->rect.y + caption->rect.h + 20);
    w.settle(30);
    w.click_text("One each");
    EXPECT_EQ(w.state->quantity_column, -1);
    EXPECT_EQ(app_quantity_choices(w.state, items, columns, &chosen), 17u);
    EXPECT_EQ(chosen, 0);
}

TEST(AppSheetPictures, PrintSheetAndProblemDialog)
{
    const std::string qty = quantities_csv();
    for (uint32_t mode : {QEL_THEME_LIGHT, QEL_THEME_DARK}) {
        window_rig w({"--demo", qty.c_str(), "--print-sheet"}, mode);
        w.set_queues({"Front desk"});
        w.settle(60);
        EXPECT_TRUE(picture_matches(w.rig.shot(), themed_picture("app/print_sheet", "", mode), PICTURE_TOLERANCE));

        w.state->print_sheet_open = 0;
        app_copy_text(w.state->report.job_path, sizeof w.state->report.job_path,
                      "C:\\Users\\shop\\AppData\\Local\\Temp\\tagmoor-report-1796000000\\tagmoor-job.zpl");
        app_copy_text(w.state->report.body, sizeof w.state->report.body, "Tagmoor 0.9.0-beta.3 - a label came out wrong");
        w.state->problem_dialog_open = 1;
        w.settle(60);
        EXPECT_TRUE(w.shows("tagmoor-job.zpl")) << "named from the last backslash";
        EXPECT_TRUE(picture_matches(w.rig.shot(), themed_picture("app/problem_dialog", "", mode), PICTURE_TOLERANCE));
    }
}
