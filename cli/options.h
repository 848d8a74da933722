// The console tool's command line and the steps every command shares: reading the words into
// one options record, the usage text, loading the table and resolving the label model. Each step
// prints its own reason on failure; exit codes and output lines are left to the commands.
#pragma once

#include <cstdint>
#include <cstdio>

#include "engine/csv.h"
#include "engine/errors.h"
#include "engine/job.h"
#include "engine/label_model.h"

enum { CLI_MAX_POSITIONAL = 4 };

// One run's options. The strings point into the command line and are not copied.
struct cli_options {
    const char* csv;
    const char* out;  // --out, or the --dry-run file
    const char* queue;
    const char* size;    // default "2x1"
    const char* layout;  // default "price"
    const char* printer;
    const char* proto;
    const char* media;  // "WxL", read when the job options are made
    const char* sym;
    const char* quantity_column;
    int32_t copies;
    int32_t dpi;
    int32_t row;
    int32_t rows_first;
    int32_t rows_count;
    int32_t rows_given;
    const char* positional[CLI_MAX_POSITIONAL];
    int32_t positional_count;
    float module_mm;
    int32_t dry_run;
};

// --- The command line ---

// The usage text, every line ended by a line feed.
void cli_print_usage(FILE* out);

// One line on `out`: the prefix, the message and a line feed. The message may quote the
// spreadsheet or the command line, so its control characters are shown escaped
// (engine_message_escape) and it stays one line that cannot drive the terminal.
[[gnu::format(ENGINE_PRINTF, 3, 4)]] void cli_line(FILE* out, const char* prefix, const char* fmt, ...);

// One error line on the error stream: "tagmoor: " and the message, as cli_line writes them.
[[gnu::format(ENGINE_PRINTF, 1, 2)]] void cli_error(const char* fmt, ...);

// Reads the words from argv[2] on into the record (defaults first). 0 for an unknown option, an
// option without its value, an unreadable --rows or a fifth positional word; the caller then
// shows the usage. Numbers read as atoi and atof do, but held at the ends of their types.
int cli_parse_options(int argc, char** argv, cli_options* options);

// The values that the options' readings take but a job cannot: --media numbers outside what
// the Brother header holds (0 to 255 mm). 0 after printing why.
int cli_check_options(const cli_options* options);

// "code128", "ean13" or "upca": 1 and the barcode_symbology in *out; 0 otherwise.
int cli_symbology_parse(const char* id, uint32_t* out);

// The job settings of the options: copies, the quantity column and the Brother media.
job_options cli_job_options(const cli_options* options);

// --- Steps shared by the commands (each prints its reason and returns 0 on failure) ---

// Reads --csv into the table, which the caller frees in every case.
int cli_load_csv(const cli_options* options, csv_table* table);

// Builds the label model for the stock, printer, resolution, language and template of the
// options over the table's header, and hands out the printer language.
int cli_resolve_model(const cli_options* options, label_model* model, const csv_table* table, uint32_t* out_lang);

// The labels of rows first_row .. first_row + count - 1 under the quantity rules and limits,
// with notes on the error stream for rows skipped or printed once; -1 after printing why not.
int32_t cli_count_labels(const csv_table* table, int32_t first_row, int32_t count, const job_options* options);
