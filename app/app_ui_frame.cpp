// The main window's frame: containers, widgets and what their reports change.
#include "app/app_ui_frame.h"

#include <cmath>

#include "app/app_sheets.h"
#include "app/data_source.h"
#include "app/job_checks.h"
#include "app/preview.h"
#include "app/ui_parts.h"
#include "engine/catalog.h"
#include "qel/qel.h"

namespace {

// --- Header ---

void open_csv(app_state* state)
{
    qel_file_dialog_spec dialog = {};
    dialog.kind = QEL_FILE_OPEN;
    dialog.title = "Open a spreadsheet";
    dialog.filter_name = "Spreadsheets";
    dialog.extensions = "csv;txt;tsv";
    char path[512];
    if (app_ui_choose_file(nullptr, &dialog, path, sizeof path)) app_open_csv(state, path);
}

void header(qel_context* ctx, app_state* state)
{
    qel_style s = {};
    s.width = app_grow;
    s.padding = 16;
    s.gap = 12;
    s.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &s);
    qel_heading(ctx, "Tagmoor", 4);
    app_small_badge(ctx, APP_VERSION, 0, false);
    qel_spacer(ctx);
    char why[256];
    const bool cannot_print = !app_print_gate(state, why, sizeof why);
    // Why Print is off, where the eye looks for it; a long reason is cut before the buttons are.
    if (cannot_print) qel_text_muted(ctx, why);
    if (app_small_button(ctx, "Open CSV\u2026", QEL_BUTTON_AUTO, false)) open_csv(state);
    app_keep_width(ctx);
    if (app_small_button(ctx, "Save job\u2026", QEL_BUTTON_AUTO, cannot_print))
        app_save_job(state, app_ui_choose_file, nullptr);
    app_keep_width(ctx);
    const int32_t total = app_label_total(state);
    const char* print = total >= 1 ? qel_arena_sprintf(ctx, "Print %d label%s###print", total, app_plural(total))
                                   : "Print###print";
    if (app_small_button(ctx, print, QEL_BUTTON_PRIMARY, cannot_print)) state->print_sheet_open = 1;
    app_keep_width(ctx);
    qel_container_end(ctx);
}

// --- Settings column ---

void source_choice(qel_context* ctx, app_state* state)
{
    static const char* const sources[] = {"From a file", "One label"};
    qel_segmented_opts o = {};
    o.size = 1;
    o.full_width = 1;
    int32_t chosen = (int32_t)state->source;
    if (qel_segmented(ctx, "source", sources, 2, &chosen, &o) && (uint32_t)chosen != state->source)
        app_switch_source(state, (uint32_t)chosen);
}

void file_facts(qel_context* ctx, const app_state* state)
{
    app_column_begin(ctx, 4);
    if (state->loaded) {
        qel_textf(ctx, "%s", state->shown_name);
        qel_textf(ctx, "%d rows", state->table.rows);
    } else {
        qel_text_muted(ctx, "No file yet");
    }
    qel_container_end(ctx);
}

void typed_fields(qel_context* ctx, app_state* state)
{
    static const struct {
        const char* id;
        const char* label;
        const char* placeholder;
        size_t offset, capacity;
    } fields[APP_FIELD_COUNT] = {
        {"v-name", "Name", "Enamel pin", offsetof(app_state, name), sizeof state->name},
        {"v-price", "Price", "9.50", offsetof(app_state, price), sizeof state->price},
        {"v-barcode", "Barcode", "4006381333931", offsetof(app_state, barcode), sizeof state->barcode},
    };
    bool shown[APP_FIELD_COUNT];
    app_one_label_fields(state, shown);
    app_column_begin(ctx, 10);
    bool changed = false;
    for (int i = 0; i < APP_FIELD_COUNT; i++) {
        if (!shown[i]) continue;
        qel_text_input_opts o = {};
        o.label = fields[i].label;
        o.placeholder = fields[i].placeholder;
        char* text = (char*)state + fields[i].offset;
        // Flagged as it is typed, not first when printing.
        char lacking[5];
        if (app_font_lacks(text, lacking))
            o.error = qel_arena_sprintf(ctx, "The label font has no \"%s\".", lacking);
        changed |= (qel_input_text(ctx, fields[i].id, text, (int32_t)fields[i].capacity, &o) & QEL_INPUT_CHANGED) != 0;
    }
    qel_container_end(ctx);
    if (changed) app_rebuild_one_label_table(state);
}

// A muted caption over a select that grows across the column, bound to a catalog index or the
// queue; true when the user chose another item.
bool choice_group(qel_context* ctx, const char* caption, const char* id, const char* const* items, uint32_t count,
                  uint32_t* index)
{
    app_column_begin(ctx, 6);
    qel_text_muted(ctx, caption);
    qel_select_options o = {};
    o.searchable = 1;
    o.width = app_grow;
    int32_t chosen = (int32_t)*index;
    const bool changed = qel_select(ctx, id, items, count, &chosen, &o) && chosen >= 0 && (uint32_t)chosen != *index;
    if (changed) *index = (uint32_t)chosen;
    qel_container_end(ctx);
    return changed;
}

void catalog_choices(qel_context* ctx, app_state* state)
{
    const char* stocks[16];
    const char* layouts[8];
    const char* printers[16];
    uint32_t stock_count = 0, layout_count = 0, printer_count = 0;
    for (; stock_count < 16 && stock_count < catalog_stock_count(); stock_count++)
        stocks[stock_count] = catalog_stock_at(stock_count)->description;
    for (; layout_count < 8 && layout_count < catalog_layout_count(); layout_count++)
        layouts[layout_count] = catalog_layout_description(layout_count);
    for (; printer_count < 16 && printer_count < catalog_printer_count(); printer_count++)
        printers[printer_count] = catalog_printer_at(printer_count)->description;
    choice_group(ctx, "Label stock", "size", stocks, stock_count, &state->stock);
    choice_group(ctx, "Template", "layout", layouts, layout_count, &state->layout);
    if (choice_group(ctx, "Printer", "printer", printers, printer_count, &state->printer)) app_preview_forget(state);
    if (state->queue_count > 0) {
        choice_group(ctx, "Queue", "queue", state->queue_list, (uint32_t)state->queue_count, &state->queue);
        return;
    }
    app_column_begin(ctx, 6);
    qel_text_muted(ctx, "Queue");
    qel_text_muted(ctx, "none found");
    qel_container_end(ctx);
}

// The badge of a column's role in the label: what the last element reading it is, else
// "count" for the quantity column.
void column_role(qel_context* ctx, const app_state* state, const label_model* model, int32_t column)
{
    int32_t last = -1;
    for (int32_t i = 0; i < model->element_count; i++)
        if (model->elements[i].column == column) last = i;
    if (last >= 0)
        app_small_badge(ctx, model->elements[last].kind == LABEL_BARCODE ? "barcode" : "text", QEL_SEMANTIC_ACCENT,
                        false);
    else if (column == state->quantity_column)
        app_small_badge(ctx, "count", 0, false);
}

void columns(qel_context* ctx, const app_state* state)
{
    qel_textf(ctx, "%d columns", state->table.columns);
    label_model model;
    const bool roles = app_build_label_model(state, &model);
    for (int32_t c = 0; c < state->table.columns && c < 6; c++) {
        app_spread_row_begin(ctx, 6, QEL_JUSTIFY_BETWEEN);
        qel_textf(ctx, "%s", state->table.header[c]);
        if (roles) column_role(ctx, state, &model, c);
        qel_container_end(ctx);
    }
}

void settings(qel_context* ctx, app_state* state)
{
    qel_style s = {};
    s.name = "settings";
    s.width = {QEL_SIZE_FIXED, 320};
    s.height = app_grow;
    s.padding = 16;
    s.gap = 16;
    s.fill = qel_color_token(QEL_COLOR_SUBTLE);
    // A small window scrolls the column rather than pushing the status line out of sight.
    s.scroll_y = 1;
    qel_column_begin(ctx, &s);
    source_choice(ctx, state);
    if (state->source == APP_SOURCE_FILE)
        file_facts(ctx, state);
    else
        typed_fields(ctx, state);
    catalog_choices(ctx, state);
    qel_divider(ctx);
    if (state->source == APP_SOURCE_FILE && state->loaded) columns(ctx, state);
    qel_container_end(ctx);
}

// --- Preview column ---

void zoom_choice(qel_context* ctx, app_state* state)
{
    static const char* const zooms[] = {"Fit", "1:1", "2x", "3x"};
    qel_segmented_opts o = {};
    o.size = 1;
    int32_t chosen = (int32_t)state->zoom;
    if (!qel_segmented(ctx, "zoom", zooms, 4, &chosen, &o) || (uint32_t)chosen == state->zoom) return;
    state->zoom = (uint32_t)chosen;
    state->texture_key = -1;
}

void row_stepper(qel_context* ctx, app_state* state)
{
    const int32_t rows = state->loaded ? state->table.rows : 0;
    if (app_small_button(ctx, "\u2039", QEL_BUTTON_AUTO, state->row <= 0)) state->row--;
    qel_textf(ctx, "%d of %d", rows > 0 ? state->row + 1 : 0, rows);
    if (app_small_button(ctx, "\u203A", QEL_BUTTON_AUTO, state->row + 1 >= rows)) state->row++;
}

void zoom_badge(qel_context* ctx, const app_state* state)
{
    if (!state->raster_valid) return;
    if (state->zoom == APP_ZOOM_FIT) {
        const int percent = (int)std::floor(state->fit_scale * 100 + 0.5f);
        app_small_badge(ctx, qel_arena_sprintf(ctx, "fitted %d%%", percent), QEL_SEMANTIC_SUCCESS, true);
    } else if (state->zoom == APP_ZOOM_1X) {
        app_small_badge(ctx, "true size", QEL_SEMANTIC_SUCCESS, true);
    } else {
        app_small_badge(ctx, "zoomed", 0, false);
    }
}

void toolbar(qel_context* ctx, app_state* state)
{
    app_centred_row_begin(ctx, 10);
    zoom_choice(ctx, state);
    qel_spacer(ctx);
    if (state->source == APP_SOURCE_FILE) row_stepper(ctx, state);
    const stock_def* stock = catalog_stock_at(state->stock);
    const printer_def* printer = catalog_printer_at(state->printer);
    if (stock && printer)
        qel_text_muted(ctx, qel_arena_sprintf(ctx, "%.1f \u00D7 %.1f mm \u00B7 %d dpi", (double)stock->width_mm,
                                              (double)stock->height_mm, (int)printer->dpi));
    zoom_badge(ctx, state);
    qel_container_end(ctx);
}

void status_row(qel_context* ctx, const app_state* state)
{
    if (!state->status_text[0]) return;
    app_centred_row_begin(ctx, 8);
    if (state->status_kind == APP_STATUS_ERROR) {
        app_small_badge(ctx, "problem", QEL_SEMANTIC_DANGER, false);
        app_keep_width(ctx);  // a long line wraps; the badge stays whole
    }
    qel_text_muted(ctx, state->status_text);
    qel_container_end(ctx);
}

void preview_column(qel_context* ctx, app_state* state)
{
    qel_style s = {};
    s.width = app_grow;
    s.height = app_grow;
    s.padding = 20;
    s.gap = 12;
    qel_column_begin(ctx, &s);
    // Before the toolbar, so that its row counter and zoom badge show this frame's render.
    if (app_preview_step(ctx, state)) qel_request_redraw(ctx);
    toolbar(ctx, state);
    app_preview_payload payload;
    app_preview_payload_fill(ctx, &payload, state);
    qel_canvas(ctx, "preview", app_grow, app_grow, app_preview_draw, &payload, sizeof payload);
    status_row(ctx, state);
    qel_container_end(ctx);
}

}  // namespace

void app_ui_frame(qel_context* ctx, app_state* state)
{
    qel_style root = {};
    root.width = app_grow;
    root.height = app_grow;
    root.fill = qel_color_token(QEL_COLOR_BACKGROUND);
    qel_column_begin(ctx, &root);
    header(ctx, state);
    qel_divider(ctx);
    qel_style body = {};
    body.width = app_grow;
    body.height = app_grow;
    body.align = QEL_ALIGN_STRETCH;
    qel_row_begin(ctx, &body);
    settings(ctx, state);
    preview_column(ctx, state);
    qel_container_end(ctx);
    qel_container_end(ctx);
    app_print_sheet(ctx, state);
    app_problem_dialog(ctx, state);
}
