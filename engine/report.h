// The problem report: when a printed label came out wrong, the exact job that would have been
// sent is saved beside a plain-text report, and the subject and body of a mail about it are
// prepared. Sending the mail is left to the application and the user's own mail client.
#pragma once

#include <cstdint>

#include "csv.h"
#include "errors.h"
#include "label_model.h"

struct problem_report {
    char job_path[1024];
    char report_path[1024];
    char subject[256];
    char body[2048];
};

// What the report says about the print, as the user chose it.
struct report_info {
    const char* printer;    // the printer model's description
    const char* stock;      // the stock's text
    const char* layout;     // the template's description
    const char* version;    // the program's version
    const char* file_name;  // the data file's name; NULL or "" for none
};

// Zeroes the report, then saves the job of the first row_limit rows (every row when row_limit
// is not between 1 and the table's row count), each printed once, as
// folder/tagmoor-job.{zpl,tspl,bin,dymo}, and the mail body as folder/tagmoor-report.txt.
// 1 for a NULL argument, an empty folder or an unknown language; 2 when a path would not fit
// its field (nothing is written then); the job's code when it cannot be built; 4 when a file
// cannot be written. Files written before a failure stay.
engine_error report_write(problem_report* report, const char* folder, const report_info* info, uint32_t language,
                          const label_model* model, const csv_table* table, int32_t row_limit);
