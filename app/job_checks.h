// The checks a job passes before the program prints, saves or reports it, as the console tool
// makes them: every column the template prints is in the header, the printer takes the label,
// and every printing row lays out; which row and column stop a job, found from the layout step
// alone; and the typed characters the label font cannot draw. Each says why in words for the
// status line, the header and the print sheet.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/app_state.h"
#include "engine/job.h"
#include "engine/label_model.h"

// A row of a job that cannot print: its index and what stops it.
struct app_row_problem {
    int32_t row;          // 0-based; -1 when every row lays out
    engine_error error;   // the renderer's code
    char reason[256];     // "the built-in font has no glyph for "é" in column Name"
};

// False with the reason in msg when the model would print a template's placeholder (no column of
// the current table holds a name, price or barcode it prints) or the printer's language refuses
// the label (its size, the Brother QL line and media); msg may be null.
bool app_check_job(const app_state* state, const label_model* model, char* msg, size_t msg_size);

// The first row among the job's (each as many times as the options count it; null options: every
// row once) whose label cannot be laid out, as rendering would refuse it; row -1 when all can.
void app_find_row_problem(const label_model* model, const csv_table* table, const job_options* options,
                          app_row_problem* problem);

// Refuses a job with a row that cannot print: the status line names the row (as the row stepper
// counts it) and why, and the stepper goes there. False when every row of the job lays out.
bool app_refuse_failing_row(app_state* state, const label_model* model, const job_options* options);

// The first character of text that the label font cannot draw, as UTF-8 in out (at most 4 bytes
// and the terminator); false when it draws them all.
bool app_font_lacks(const char* text, char out[5]);
