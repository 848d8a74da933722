// The windowed program's one state record, its status line and the fixed-size text it keeps.
// What fills the record is the other app modules'; the window only reads and changes it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/csv.h"
#include "engine/errors.h"
#include "engine/raster.h"
#include "engine/report.h"
#include "engine/spool.h"

// --- Records ---

#define APP_VERSION "0.9.0-beta.3"

enum app_source : uint32_t {
    APP_SOURCE_FILE = 0,       // "From a file": the sample or an opened spreadsheet
    APP_SOURCE_ONE_LABEL = 1,  // "One label": the three typed fields
};

enum app_zoom : uint32_t {
    APP_ZOOM_FIT = 0,
    APP_ZOOM_1X = 1,
    APP_ZOOM_2X = 2,
    APP_ZOOM_3X = 3,
};

enum app_status_kind : uint32_t {
    APP_STATUS_INFO = 0,
    APP_STATUS_ERROR = 1,
};

enum { APP_MAX_QUEUES = 32, APP_STATUS_SIZE = 512 };

// Allocated zeroed once at start and released at exit. It owns both tables, the raster's bits
// and (through the renderer that made it) the texture.
struct app_state {
    csv_table table;        // the current table: a file, the sample or the one-label table
    int32_t loaded;         // the current table holds data
    csv_table saved_table;  // the file table kept aside while the one-label source is shown
    int32_t saved;
    uint32_t source;           // app_source
    int32_t quantity_column;   // column of the per-row quantity in the current table; -1 none
    char name[96];             // the typed fields of the one-label source
    char price[32];
    char barcode[64];
    char path[512];        // the opened spreadsheet
    char shown_name[128];  // what the window calls that file
    uint32_t stock, layout, printer;  // indices into the engine's catalogs
    uint32_t queue;                   // index into queue_names
    int32_t queue_count;              // 0..APP_MAX_QUEUES
    char queue_names[APP_MAX_QUEUES][SPOOL_NAME_SIZE];
    const char* queue_list[APP_MAX_QUEUES];  // the slots above, as a select takes its items
    int32_t row;                             // current data row, 0-based
    uint32_t zoom;                           // app_zoom
    float fit_scale;                         // the preview's last fitted scale
    int32_t canvas_width, canvas_height;     // the preview's last laid-out size in pixels
    struct raster raster;                    // the current row at the printer's resolution
    int32_t raster_valid;
    int64_t raster_key;  // what the raster shows; -1 none
    uint64_t texture;    // the grey preview image; 0 none
    int32_t texture_width, texture_height;
    int64_t texture_key;  // what the texture shows; -1 none
    float screen_dpi;
    uint8_t print_sheet_open;
    uint8_t problem_dialog_open;
    problem_report report;  // the last problem report
    char status_text[APP_STATUS_SIZE];  // empty: no status line
    uint32_t status_kind;               // app_status_kind
    uint8_t status_from_preview;        // the status line is the preview's, to be cleared by it
};

// --- The status line ---

// Formats into the status line (cut at a whole character to fit) and sets its kind. Control
// characters, which a spreadsheet may hold, are shown escaped (engine_message_escape).
[[gnu::format(ENGINE_PRINTF, 3, 4)]] void app_status_set(app_state* state, uint32_t kind, const char* format, ...);

// The same as an error.
[[gnu::format(ENGINE_PRINTF, 2, 3)]] void app_status_error(app_state* state, const char* format, ...);

// No status line.
void app_status_clear(app_state* state);

// --- Text in fixed fields ---

// Copies text into a field of capacity bytes, cut at a whole UTF-8 character to fit.
void app_copy_text(char* field, size_t capacity, const char* text);

// The part of a path after its last folder separator, of either kind.
const char* app_path_file_name(const char* path);

// --- Releasing ---

// Frees the raster's bits, both tables and the record; the texture goes with its renderer.
void app_state_free(app_state* state);
