// The current table and its sources, the label model and the print gate.
#include "app/data_source.h"

#include <cstring>

#include "app/job_checks.h"
#include "app/preview.h"
#include "engine/catalog.h"
#include "engine/quantity.h"
#include "engine/render.h"

// The shop every first start shows: names quoted, every line ended by one line feed.
static const char sample_csv[] =
    "Name,Retail,Barcode\n"
    "\"Earl Grey tea, 50 g\",12.50,5901234123457\n"
    "\"Green tea sencha, 100 g\",9.00,8712345000004\n"
    "\"Jasmine tea pearls, 100 g\",14.00,8712345001377\n"
    "\"Darjeeling first flush\",18.50,8712345002749\n"
    "\"Rooibos vanilla, 100 g\",7.50,8712345004118\n"
    "\"Chamomile flowers, 40 g\",6.00,8712345005481\n"
    "\"Peppermint leaves, 40 g\",6.00,8712345006853\n"
    "\"Chai masala, 80 g\",8.50,8712345008222\n"
    "\"Matcha ceremonial, 30 g\",24.00,8712345009595\n"
    "\"Hojicha roasted, 80 g\",9.50,8712345010966\n"
    "\"Enamel mug, 250 ml\",9.50,8712345012335\n"
    "\"Stoneware teapot, 600 ml\",32.00,8712345013707\n"
    "\"Glass teapot, 500 ml\",26.00,8712345015077\n"
    "\"Tea strainer, steel\",4.50,8712345016449\n"
    "\"Bamboo tea scoop\",3.50,8712345017811\n"
    "\"Linen tea towel\",11.00,8712345019181\n"
    "\"Candle, cedar and tea\",16.00,8712345020552\n"
    "\"Gift box, small\",5.00,8712345021924\n"
    "\"Gift box, large\",7.00,8712345023294\n"
    "\"Honey, wildflower, 250 g\",8.00,8712345024666\n";

static_assert(sizeof sample_csv - 1 == 873, "the sample is 873 bytes");

static const char* const sample_name = "shop.csv (sample)";

// The first of these headers the table has counts the labels of each row.
static int32_t find_quantity_column(const csv_table* table)
{
    static const char* const names[] = {
        "Quantity", "Qty", "Copies", "Count", "\xE6\x95\xB0\xE9\x87\x8F", "\xE4\xBB\xB6\xE6\x95\xB0",
        "\xE4\xBB\xBD\xE6\x95\xB0",
    };
    for (const char* name : names) {
        int32_t column = csv_find_column(table, name);
        if (column >= 0) return column;
    }
    return -1;
}

// Makes the table current; the one it replaces must have been freed or moved.
static void take_table(app_state* state, const csv_table* table)
{
    state->table = *table;
    state->loaded = 1;
    state->quantity_column = find_quantity_column(&state->table);
}

static void drop_current_table(app_state* state)
{
    csv_table_free(&state->table);
    state->loaded = 0;
}

static void drop_saved_table(app_state* state)
{
    csv_table_free(&state->saved_table);
    state->saved = 0;
}

static void start_at_first_row(app_state* state)
{
    state->row = 0;
    app_preview_forget(state);
}

void app_load_sample_csv(app_state* state)
{
    csv_table sample = {};
    char msg[256];
    if (csv_parse_memory(&sample, sample_csv, sizeof sample_csv - 1, msg, sizeof msg) != ERR_OK) {
        csv_table_free(&sample);
        return;
    }
    drop_current_table(state);
    take_table(state, &sample);
    app_copy_text(state->shown_name, sizeof state->shown_name, sample_name);
    app_status_set(state, APP_STATUS_INFO, "%d sample rows. Open your CSV to replace them.", state->table.rows);
}

void app_open_csv(app_state* state, const char* path)
{
    csv_table table = {};
    char msg[256] = "";
    if (csv_read_file(&table, path, msg, sizeof msg) != ERR_OK) {
        csv_table_free(&table);
        app_status_error(state, "Cannot read %s: %s", path, msg[0] ? msg : "unrecognised file");
        return;
    }
    drop_current_table(state);
    drop_saved_table(state);
    take_table(state, &table);
    state->source = APP_SOURCE_FILE;
    app_copy_text(state->path, sizeof state->path, path);
    app_copy_text(state->shown_name, sizeof state->shown_name, app_path_file_name(path));
    start_at_first_row(state);
    app_status_set(state, APP_STATUS_INFO, "%d rows, %d columns", state->table.rows, state->table.columns);
}

void app_rebuild_one_label_table(app_state* state)
{
    drop_current_table(state);
    state->loaded = csv_table_one_label(&state->table, state->name, state->price, state->barcode) == ERR_OK;
    start_at_first_row(state);
}

// Back to the file source: the table set aside, or the sample when there was none.
static void return_to_file(app_state* state)
{
    drop_current_table(state);
    if (state->saved) {
        take_table(state, &state->saved_table);
        state->saved_table = {};
        state->saved = 0;
    } else {
        app_load_sample_csv(state);
    }
    state->source = APP_SOURCE_FILE;
    // A column chosen by hand belonged to the table as it was shown before.
    state->quantity_column = state->loaded ? find_quantity_column(&state->table) : -1;
    start_at_first_row(state);
}

void app_switch_source(app_state* state, uint32_t source)
{
    if (source == state->source) return;
    app_status_clear(state);
    if (source != APP_SOURCE_ONE_LABEL) {
        return_to_file(state);
        return;
    }
    if (state->loaded) {
        state->saved_table = state->table;
        state->saved = 1;
        state->table = {};
        state->loaded = 0;
    }
    state->source = APP_SOURCE_ONE_LABEL;
    app_rebuild_one_label_table(state);
}

const char* app_typed_field(const app_state* state, int field)
{
    return field == APP_FIELD_NAME ? state->name : field == APP_FIELD_PRICE ? state->price : state->barcode;
}

void app_one_label_fields(const app_state* state, bool shown[APP_FIELD_COUNT])
{
    label_model model;
    bool built = app_build_label_model(state, &model);
    for (int field = 0; field < APP_FIELD_COUNT; field++) shown[field] = !built;
    if (!built) return;
    for (int32_t i = 0; i < model.element_count; i++) {
        int32_t column = model.elements[i].column;
        if (column >= 0 && column < APP_FIELD_COUNT) shown[column] = true;
    }
}

bool app_build_label_model(const app_state* state, label_model* model)
{
    const stock_def* stock = catalog_stock_at(state->stock);
    const printer_def* printer = catalog_printer_at(state->printer);
    if (!stock || !printer || stock->width_mm > printer->max_width_mm) return false;
    label_model_init(model, stock->description, stock->width_mm, stock->height_mm, (int32_t)printer->dpi);
    model->gap_mm = stock->gap_mm;
    const char* layout = catalog_layout_id(state->layout);
    return layout_build(model, layout, state->loaded ? &state->table : nullptr) == ERR_OK;
}

void app_make_job_options(job_options* options, const app_state* state)
{
    *options = {};
    int32_t column = state->quantity_column;
    if (state->source == APP_SOURCE_FILE && column >= 0 && column < state->table.columns)
        options->quantity_column = state->table.header[column];
}

bool app_barcode_missing(const app_state* state, const label_model* model, int32_t row)
{
    for (int32_t i = 0; i < model->element_count; i++) {
        const label_element* element = &model->elements[i];
        if (element->kind == LABEL_BARCODE && !label_element_text(element, &state->table, row)[0]) return true;
    }
    return false;
}

// Why the one-label source is not ready; true when it is.
static bool one_label_gate(const app_state* state, char* msg, size_t msg_size)
{
    if (!state->name[0] && !state->price[0] && !state->barcode[0]) {
        engine_message(msg, msg_size, "Type the label first.");
        return false;
    }
    label_model model;
    if (!app_build_label_model(state, &model)) return true;
    if (app_barcode_missing(state, &model, 0)) {
        engine_message(msg, msg_size, "Type the barcode first.");
        return false;
    }
    bool shown[APP_FIELD_COUNT];
    app_one_label_fields(state, shown);
    char lacking[5];
    for (int field = 0; field < APP_FIELD_COUNT; field++) {
        if (!shown[field] || !app_font_lacks(app_typed_field(state, field), lacking)) continue;
        engine_message(msg, msg_size, "The label font has no \"%s\".", lacking);
        return false;
    }
    return true;
}

bool app_one_label_ready(const app_state* state)
{
    return one_label_gate(state, nullptr, 0);
}

bool app_print_gate(const app_state* state, char* msg, size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    if (!state->loaded) {
        engine_message(msg, msg_size, "Open a CSV first.");
        return false;
    }
    label_model model;
    if (app_build_label_model(state, &model) && !app_check_job(state, &model, msg, msg_size)) return false;
    if (state->source == APP_SOURCE_ONE_LABEL) return one_label_gate(state, msg, msg_size);
    job_options options;
    app_make_job_options(&options, state);
    if (quantity_job_total(&state->table, 0, state->table.rows, &options, msg, msg_size, nullptr, nullptr) >= 1)
        return true;
    if (msg && !msg[0]) engine_message(msg, msg_size, "There is nothing to print.");
    return false;
}

bool app_can_print(const app_state* state)
{
    return app_print_gate(state, nullptr, 0);
}
