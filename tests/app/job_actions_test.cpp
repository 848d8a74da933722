// Print and save: every status line of the two actions, the file the save chooser is offered,
// and the saved bytes against the engine's job for the same choices.
#include "app/job_actions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/data_source.h"
#include "app/problem_report.h"
#include "app_fixture.h"
#include "engine/catalog.h"
#include "engine/job.h"
#include "engine/render.h"
#include "support/scratch.h"

namespace {

// A save dialog that answers with a path, or cancels when it has none, and keeps what it was
// asked.
struct chooser {
    std::string answer;
    int asked = 0;
    uint32_t kind = 99;
    std::string title, default_name;
    bool filtered = true;

    static bool choose(void* user, const qel_file_dialog_spec* dialog, char* path, size_t capacity)
    {
        auto* c = (chooser*)user;
        c->asked++;
        c->kind = dialog->kind;
        c->title = dialog->title ? dialog->title : "";
        c->default_name = dialog->default_name ? dialog->default_name : "";
        c->filtered = dialog->extensions != nullptr || dialog->filter_name != nullptr;
        if (c->answer.empty() || c->answer.size() >= capacity) return false;
        memcpy(path, c->answer.c_str(), c->answer.size() + 1);
        return true;
    }
};

// The machine's queues aside: one queue of the given name.
void one_queue(app_state* state, const char* name)
{
    app_copy_text(state->queue_names[0], sizeof state->queue_names[0], name);
    state->queue_count = 1;
    state->queue = 0;
}

}  // namespace

TEST(AppPrint, WhatStopsAPrint)
{
    std::string over = "Name,Price,Qty\n";
    for (int i = 0; i < 11; i++) over += "X,1.00,500\n";
    const struct {
        const char* what;
        std::string csv;  // opened when not empty
        const char* size;
        const char* printer;
        int queues;
        const char* status;
    } cases[] = {
        {"a stock too wide", "", "a4-3x8", "brother-ql-800", 1, "This stock is wider than the printer takes."},
        {"no queue", "", "2x1", "zebra-zd230", 0,
         "No printer queue. Choose one, or save the job and copy it to the printer."},
        {"all quantities 0", "Name,Price,Qty\nA,1.00,0\nB,1.00,0\n", "2x1", "zebra-zd230", 1,
         "There is nothing to print."},
        // What the console tool refuses too: template placeholders and the printer's own limits.
        {"no column the template knows", "Artikelnummer;Lagerort\n4711;B3\n", "2x1", "zebra-zd230", 1,
         "No column of print.csv holds the name."},
        {"a German export", "Bezeichnung;Preis;EAN\nTee;4,50;4006381333931\n", "2x1", "zebra-zd230", 1,
         "No column of print.csv holds the name."},
        {"a label wider than the raster line", "", "a4-3x8", "brother-ql-1100", 1,
         "The printer cannot take this label: the label is 750 dots wide, more than the 720 of a 90-byte raster "
         "line."},
        {"over the limit", over, "2x1", "zebra-zd230", 1,
         "this job would print 5500 labels; 5000 is the limit - split it with --rows FIRST:COUNT"},
        // The status line is one line, whatever the cell holds.
        {"a quantity of control characters", "Name,Price,Qty\nA,1.00,\"2\n\x1b[2J\"\n", "2x1", "zebra-zd230", 1,
         "data row 1: quantity \"2\\n\\x1b[2J\" is not a number"},
    };
    for (const auto& c : cases) {
        app_fixture f({"--size", c.size, "--print-sheet"});
        f.state->printer = app_printer_index(c.printer);
        if (!c.csv.empty()) app_open_csv(f.state, app_scratch_csv("print.csv", c.csv).c_str());
        one_queue(f.state, "tagmoor-no-such-queue");
        f.state->queue_count = c.queues;
        app_print(f.state);
        EXPECT_EQ(app_status(f.state), c.status) << c.what;
        EXPECT_EQ(f.state->status_kind, APP_STATUS_ERROR);
        EXPECT_FALSE(f.state->print_sheet_open);
    }

    app_fixture f;
    f.state->loaded = 0;
    app_print(f.state);
    EXPECT_EQ(app_status(f.state), "Open a CSV first.");
    f.state->loaded = 1;  // the fixture frees the table
}

TEST(AppPrint, EngineAndSpoolerFailuresAreSaid)
{
    app_fixture f({"--one", "--layout", "barcode", "--name", "Tea"});
    one_queue(f.state, "tagmoor-no-such-queue");
    app_print(f.state);  // the barcode is empty
    EXPECT_EQ(app_status(f.state), "Row 1 of 1 cannot print: invalid input in column Barcode.");

    app_copy_text(f.state->barcode, sizeof f.state->barcode, "4006381333931");
    app_rebuild_one_label_table(f.state);
    app_print(f.state);
    EXPECT_EQ(app_status(f.state).rfind("Print failed: ", 0), 0u) << app_status(f.state);
    EXPECT_GT(app_status(f.state).size(), 14u);
    EXPECT_EQ(f.state->status_kind, APP_STATUS_ERROR);
}

TEST(AppSave, OffersAFileNamedForTheLanguage)
{
    const struct {
        const char* printer;
        const char* name;
    } cases[] = {{"zebra-zd230", "labels.zpl"}, {"tsc-da310", "labels.tspl"}, {"brother-ql-800", "labels.bin"},
                 {"dymo-lw-450", "labels.bin"}};
    for (const auto& c : cases) {
        app_fixture f;
        f.state->printer = app_printer_index(c.printer);
        chooser cancel;
        app_save_job(f.state, chooser::choose, &cancel);
        EXPECT_EQ(cancel.asked, 1);
        EXPECT_EQ(cancel.kind, QEL_FILE_SAVE);
        EXPECT_EQ(cancel.title, "Save the printer job");
        EXPECT_EQ(cancel.default_name, c.name);
        EXPECT_FALSE(cancel.filtered);
        // Cancelled: the status line is as it was.
        EXPECT_EQ(app_status(f.state), "20 sample rows. Open your CSV to replace them.");
    }
}

TEST(AppSave, WritesTheJobOfEveryRowByItsQuantities)
{
    app_fixture f({"--layout", "barcode"});
    f.state->printer = app_printer_index("tsc-da310");
    const std::string csv = "Name,Price,Barcode,Qty\nA,1,111,2\nB,2,222,0\nC,3,333,\n";
    app_open_csv(f.state, app_scratch_csv("qty.csv", csv).c_str());
    chooser save;
    save.answer = scratch_path("job \xC3\xA9\xE8\x8C\xB6.tspl");
    app_save_job(f.state, chooser::choose, &save);

    std::string bytes;
    ASSERT_TRUE(scratch_read(save.answer, &bytes));
    EXPECT_EQ(app_status(f.state), std::to_string(bytes.size()) + " bytes of tspl written to " + save.answer);
    EXPECT_EQ(f.state->status_kind, APP_STATUS_INFO);

    // The same job made from the catalogs by hand: three labels, for quantities 2, 0 and blank.
    const stock_def* stock = catalog_stock_find("2x1");
    label_model model;
    label_model_init(&model, stock->description, stock->width_mm, stock->height_mm, 300);
    model.gap_mm = stock->gap_mm;
    ASSERT_EQ(layout_build(&model, "barcode", &f.state->table), ERR_OK);
    job_options options = {};
    options.quantity_column = "Qty";
    uint8_t* data = nullptr;
    size_t length = 0;
    ASSERT_EQ(job_build(PRINTER_LANG_TSPL, &model, &f.state->table, 0, 3, &options, &data, &length), ERR_OK);
    EXPECT_EQ(bytes, std::string((const char*)data, length));
    free(data);
}

TEST(AppSave, FailuresAreSaid)
{
    app_fixture f;
    chooser into_folder;
    into_folder.answer = scratch_dir();
    app_save_job(f.state, chooser::choose, &into_folder);
    EXPECT_EQ(app_status(f.state), "Cannot write " + scratch_dir() + ": i/o error");
    EXPECT_EQ(f.state->status_kind, APP_STATUS_ERROR);

    chooser never;
    f.state->loaded = 0;
    app_save_job(f.state, chooser::choose, &never);
    EXPECT_EQ(app_status(f.state), "Nothing to save yet.");
    EXPECT_EQ(never.asked, 0);
    f.state->loaded = 1;  // the fixture frees the table

    app_fixture wide({"--size", "a4-3x8"});
    wide.state->printer = app_printer_index("brother-ql-800");
    app_save_job(wide.state, chooser::choose, &never);
    EXPECT_EQ(app_status(wide.state), "Nothing to save yet.");
    EXPECT_EQ(never.asked, 0);
}

// A sheet of 299 rows whose row 215 (the 216th) has a name the label font cannot draw.
static std::string accented_sheet()
{
    std::string csv = "Name,Price,Barcode\n";
    for (int i = 0; i < 299; i++)
        csv += (i == 215 ? std::string("Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e") : "Tea " + std::to_string(i)) +
               ",1.00,4006381333931\n";
    return app_scratch_csv("accented.csv", csv);
}

// Print, save and the report refuse the job before anything is written, name the row as the row
// stepper counts it and the column, and the stepper goes there.
TEST(AppActions, ARowTheFontCannotDrawIsNamed)
{
    const std::string expected =
        "Row 216 of 299 cannot print: the built-in font has no glyph for \"\xC3\xA8\" in column Name.";
    app_temporary_folders env(scratch_dir().c_str(), nullptr, nullptr);
    for (int action = 0; action < 3; action++) {
        SCOPED_TRACE(action);
        app_fixture f({"--demo", accented_sheet().c_str()});
        one_queue(f.state, "tagmoor-no-such-queue");
        chooser never;
        if (action == 0) app_print(f.state);
        if (action == 1) app_save_job(f.state, chooser::choose, &never);
        if (action == 2) app_report_problem(f.state);
        EXPECT_EQ(app_status(f.state), expected);
        EXPECT_EQ(f.state->status_kind, APP_STATUS_ERROR);
        EXPECT_EQ(f.state->row, 215);
        EXPECT_EQ(never.asked, 0);
        EXPECT_FALSE(f.state->problem_dialog_open);
        EXPECT_STREQ(f.state->report.job_path, "");
    }
}
