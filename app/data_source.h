// Where the labels come from: the built-in sample, a spreadsheet the user opens, or one label
// typed into three fields; switching between them without losing the file's table; the label
// model for the chosen stock, printer and template; and whether the source can print.
// Showing the choices is the window's; rendering and printing are the preview's and actions'.
#pragma once

#include "app/app_state.h"
#include "engine/job.h"
#include "engine/label_model.h"

// The typed fields of the one-label source, in the order the window shows them.
enum app_field : int {
    APP_FIELD_NAME = 0,
    APP_FIELD_PRICE = 1,
    APP_FIELD_BARCODE = 2,
    APP_FIELD_COUNT = 3,
};

// The typed text of the field (an app_field).
const char* app_typed_field(const app_state* state, int field);

// --- Filling the current table ---

// The twenty-row sample as the current table, named "shop.csv (sample)", with a status line.
// Nothing changes when it cannot be parsed. The row and the preview are the caller's.
void app_load_sample_csv(app_state* state);

// A spreadsheet file as the current table, in the file source, at row 0, with a status line;
// the table set aside for the one-label source is dropped. A file that cannot be read leaves
// everything as it was and says why.
void app_open_csv(app_state* state, const char* path);

// The one-label table from the typed fields as the current table, at row 0.
void app_rebuild_one_label_table(app_state* state);

// Switches to the source (an app_source) when it differs from the current one, keeping the
// file table aside while one label is shown and bringing it back (or the sample) after.
void app_switch_source(app_state* state, uint32_t source);

// Which typed fields the one-label source shows: those whose column the current label model
// reads; all three when the model cannot be built.
void app_one_label_fields(const app_state* state, bool shown[APP_FIELD_COUNT]);

// --- Labels ---

// The label model of the chosen stock, printer and template over the current table's header.
// False when a choice is missing, the stock is wider than the printer prints, or the template
// cannot be built.
bool app_build_label_model(const app_state* state, label_model* model);

// The job settings of the current source: the quantity column's header in the file source.
// The options borrow the state's strings.
void app_make_job_options(job_options* options, const app_state* state);

// Something is typed, every barcode the label prints has a value, and the label font draws
// every typed character it prints (true when the model cannot be built: printing then says why).
bool app_one_label_ready(const app_state* state);

// Whether the current source can print, else why not in msg (may be null): a table is loaded,
// the job passes app_check_job when the model builds (an unbuilt one is the print action's to
// name), and it prints at least one label within the job limits, or is a ready one-label table.
bool app_print_gate(const app_state* state, char* msg, size_t msg_size);

// The gate without its words.
bool app_can_print(const app_state* state);

// True when a barcode of the model would print nothing for the row of the current table.
bool app_barcode_missing(const app_state* state, const label_model* model, int32_t row);
