// Everything the program does before its window opens: the state's first values, the catalog
// defaults, the print queues, the sample, and the command line read and applied. The window,
// its frame loop and what follows are app_main's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/app_state.h"
#include "qel/app.h"

// --- Records ---

enum {
    APP_EXIT_OK = 0,
    APP_EXIT_FAILED = 1,  // no state or no window
    APP_EXIT_USAGE = 2,   // a bad command line
};

// The command line as read. Strings point into the words and are not copied; a word not given
// is null (flags and numbers 0).
struct app_command_line {
    uint8_t print_sheet;  // --print-sheet: the print sheet is open in the first frame
    uint8_t report;       // --report: a problem report before the window
    uint8_t one;          // --one: the one-label source
    const char* demo;     // a spreadsheet in place of the sample
    const char* size;     // a stock id
    const char* layout;   // a template id
    int32_t zoom;         // 0 Fit, 1 1:1, 2 2x, 3 3x; anything else is Fit
    int32_t row;          // the first data row shown, 0-based
    const char* name;     // the typed fields
    const char* price;
    const char* barcode;
};

// --- Starting ---

// Allocates the state and does every step before the window: 0 with *out the state, else the
// exit code (1 without memory, 2 for a bad command line after its line on the error stream)
// with nothing left allocated.
int app_start(int argc, char** argv, app_state** out);

// The same but for the print queues, which the program lists once its first frame is on the
// screen: the spooler's first use holds up a start under Wine by some 50 ms.
int app_start_unlisted(int argc, char** argv, app_state** out);

// Lists the machine's print queues into the state (at most 32), keeping the chosen index only
// while it names one of them.
void app_list_queues(app_state* state);

// The window the program opens: its title, first size and least size.
void app_window_config(qel_app_config* config);

// --- The command line ---

// Reads the words from argv[1] on. 0, or 2 with the line for the error stream in msg: an
// option as the last word "needs a value", and a word that takes one but is no option is
// unknown. A repeated option keeps its last value; numbers read as their decimal prefix.
int app_command_line_read(int argc, char** argv, app_command_line* line, char* msg, size_t msg_size);

// Applies what was read, in the program's order: stock, template, zoom, spreadsheet, row,
// report, typed fields and last the one-label source.
void app_command_line_apply(app_state* state, const app_command_line* line);
