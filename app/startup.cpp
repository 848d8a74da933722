// Start-up before the window, and the command line.
#include "app/startup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/data_source.h"
#include "app/preview.h"
#include "app/problem_report.h"
#include "app/system.h"
#include "engine/catalog.h"

namespace {

const struct {
    const char* word;
    uint8_t app_command_line::*field;
} flags[] = {
    {"--print-sheet", &app_command_line::print_sheet},
    {"--report", &app_command_line::report},
    {"--one", &app_command_line::one},
};

const struct {
    const char* word;
    const char* app_command_line::*field;
} text_options[] = {
    {"--demo", &app_command_line::demo},   {"--size", &app_command_line::size},
    {"--layout", &app_command_line::layout}, {"--name", &app_command_line::name},
    {"--price", &app_command_line::price}, {"--barcode", &app_command_line::barcode},
};

const struct {
    const char* word;
    int32_t app_command_line::*field;
} number_options[] = {
    {"--zoom", &app_command_line::zoom},
    {"--row", &app_command_line::row},
};

// The decimal prefix of the text (0 without digits), held at the ends of int32_t.
int32_t read_number(const char* text)
{
    long long value = strtoll(text, nullptr, 10);
    return value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : (int32_t)value;
}

bool take_flag(app_command_line* line, const char* word)
{
    for (const auto& flag : flags) {
        if (strcmp(word, flag.word) != 0) continue;
        line->*flag.field = 1;
        return true;
    }
    return false;
}

// False when the word is no option that takes a value.
bool take_value(app_command_line* line, const char* word, const char* value)
{
    for (const auto& option : text_options) {
        if (strcmp(word, option.word) != 0) continue;
        line->*option.field = value;
        return true;
    }
    for (const auto& option : number_options) {
        if (strcmp(word, option.word) != 0) continue;
        line->*option.field = read_number(value);
        return true;
    }
    return false;
}

// Sets *index to the catalog row whose id is `id`; an id the catalog lacks leaves it.
void choose_by_id(uint32_t* index, const char* id, uint32_t count, const char* (*id_at)(uint32_t))
{
    if (!id) return;
    for (uint32_t i = 0; i < count; i++) {
        if (strcmp(id_at(i), id) != 0) continue;
        *index = i;
        return;
    }
}

const char* stock_id(uint32_t index)
{
    return catalog_stock_at(index)->id;
}

const char* printer_id(uint32_t index)
{
    return catalog_printer_at(index)->id;
}

}  // namespace

void app_list_queues(app_state* state)
{
    int count = spool_list_queues(state->queue_names, APP_MAX_QUEUES);
    state->queue_count = count < 0 ? 0 : count > APP_MAX_QUEUES ? APP_MAX_QUEUES : count;
    for (int i = 0; i < APP_MAX_QUEUES; i++) state->queue_list[i] = state->queue_names[i];
    if (state->queue >= (uint32_t)state->queue_count) state->queue = 0;
}

int app_command_line_read(int argc, char** argv, app_command_line* line, char* msg, size_t msg_size)
{
    *line = {};
    engine_message_clear(msg, msg_size);
    for (int i = 1; i < argc; i++) {
        const char* word = argv[i];
        if (take_flag(line, word)) continue;
        // Checked before the word is looked up: an unknown last word needs a value too.
        if (i + 1 == argc) {
            engine_message(msg, msg_size, "tagmoor-app: %s needs a value\n", word);
            return APP_EXIT_USAGE;
        }
        if (!take_value(line, word, argv[++i])) {
            engine_message(msg, msg_size, "tagmoor-app: unknown option %s\n", word);
            return APP_EXIT_USAGE;
        }
    }
    return APP_EXIT_OK;
}

void app_command_line_apply(app_state* state, const app_command_line* line)
{
    choose_by_id(&state->stock, line->size, catalog_stock_count(), stock_id);
    choose_by_id(&state->layout, line->layout, catalog_layout_count(), catalog_layout_id);
    const uint32_t zoom = line->zoom >= 0 && line->zoom <= (int32_t)APP_ZOOM_3X ? (uint32_t)line->zoom : 0;
    if (line->demo) app_open_csv(state, line->demo);
    state->zoom = zoom;
    if (line->row >= 1 && state->loaded) {
        app_preview_forget(state);
        const int32_t last = state->table.rows > 0 ? state->table.rows - 1 : 0;
        state->row = line->row <= last ? line->row : last;
    }
    // The report is of what is loaded now, before the typed fields take over.
    if (line->report) app_report_problem(state);
    if (line->name) app_copy_text(state->name, sizeof state->name, line->name);
    if (line->price) app_copy_text(state->price, sizeof state->price, line->price);
    if (line->barcode) app_copy_text(state->barcode, sizeof state->barcode, line->barcode);
    if (line->one) app_switch_source(state, APP_SOURCE_ONE_LABEL);
    if (line->print_sheet) state->print_sheet_open = 1;
}

void app_window_config(qel_app_config* config)
{
    *config = {};
    config->title = "Tagmoor " APP_VERSION " (2026-11-10)";
    config->width = 1120;
    config->height = 760;
    config->min_width = 900;
    config->min_height = 620;
}

int app_start(int argc, char** argv, app_state** out)
{
    int code = app_start_unlisted(argc, argv, out);
    if (code == APP_EXIT_OK) app_list_queues(*out);
    return code;
}

int app_start_unlisted(int argc, char** argv, app_state** out)
{
    *out = nullptr;
    auto* state = (app_state*)calloc(1, sizeof(app_state));
    if (!state) return APP_EXIT_FAILED;
    state->screen_dpi = app_screen_dpi();
    state->fit_scale = 1;
    state->quantity_column = -1;
    app_preview_forget(state);
    choose_by_id(&state->stock, "2x1", catalog_stock_count(), stock_id);
    choose_by_id(&state->layout, "price", catalog_layout_count(), catalog_layout_id);
    choose_by_id(&state->printer, "zebra-zd230", catalog_printer_count(), printer_id);
    app_load_sample_csv(state);

    app_command_line line;
    char msg[1024];
    int code = app_command_line_read(argc, argv, &line, msg, sizeof msg);
    if (code != APP_EXIT_OK) {
        fputs(msg, stderr);
        app_state_free(state);
        return code;
    }
    app_command_line_apply(state, &line);
    *out = state;
    return APP_EXIT_OK;
}
