// The print sheet and the problem dialog.
#include "app/app_sheets.h"

#include "app/data_source.h"
#include "app/job_actions.h"
#include "app/preview.h"
#include "app/problem_report.h"
#include "app/ui_parts.h"
#include "engine/catalog.h"
#include "engine/quantity.h"
#include "qel/qel.h"

namespace {

// What the print sheet counted.
struct label_count {
    int32_t total, skipped, once;
};

void count_labels(const app_state* state, label_count* count)
{
    *count = {};
    if (state->source == APP_SOURCE_ONE_LABEL) {
        count->total = 1;
        return;
    }
    if (!state->loaded) return;
    job_options options;
    app_make_job_options(&options, state);
    count->total = quantity_job_total(&state->table, 0, state->table.rows, &options, nullptr, 0, &count->skipped,
                                      &count->once);
}

const char* stock_text(qel_context* ctx, const stock_def* stock)
{
    return qel_arena_sprintf(ctx, "%s, %.1f \u00D7 %.1f mm", stock->description, (double)stock->width_mm,
                             (double)stock->height_mm);
}

void muted_count(qel_context* ctx, int32_t n, const char* what)
{
    if (n > 0) qel_text_muted(ctx, qel_arena_sprintf(ctx, "%d row%s %s", n, app_plural(n), what));
}

void quantity_choice(qel_context* ctx, app_state* state)
{
    const char* items[APP_QUANTITY_HEADERS + 2];
    int32_t columns[APP_QUANTITY_HEADERS + 2];
    int32_t chosen = 0;
    const uint32_t count = app_quantity_choices(state, items, columns, &chosen);
    app_column_begin(ctx, 4);
    qel_text_muted(ctx, "Quantity column");
    qel_select_options o = {};
    o.searchable = 1;
    o.width = app_grow;
    if (qel_select(ctx, "qty", items, count, &chosen, &o) && chosen >= 0 && (uint32_t)chosen < count &&
        columns[chosen] != state->quantity_column) {
        state->quantity_column = columns[chosen];
        app_preview_forget(state);
    }
    qel_container_end(ctx);
}

const char* labels_text(qel_context* ctx, const app_state* state, int32_t total)
{
    if (state->source == APP_SOURCE_ONE_LABEL) return "1, the one you typed";
    if (total < 1) return "none";
    const int32_t rows = state->table.rows;
    return qel_arena_sprintf(ctx, "%d from %d row%s", total, rows, app_plural(rows));
}

const char* print_label(qel_context* ctx, const app_state* state, int32_t total)
{
    if (total < 1) return "Print###print-job";
    if (total == state->table.rows) return qel_arena_sprintf(ctx, "Print %d###print-job", total);
    return qel_arena_sprintf(ctx, "Print %d labels###print-job", total);
}

void sheet_footer(qel_context* ctx, app_state* state, int32_t total)
{
    qel_divider(ctx);
    app_spread_row_begin(ctx, 8, QEL_JUSTIFY_END);
    if (app_small_button(ctx, "Print came out wrong?", QEL_BUTTON_AUTO, false)) {
        state->print_sheet_open = 0;
        app_report_problem(state);
    }
    if (app_small_button(ctx, "Cancel", QEL_BUTTON_AUTO, false)) state->print_sheet_open = 0;
    const bool cannot_print = !app_can_print(state);
    if (state->queue_count > 0) {
        if (app_small_button(ctx, print_label(ctx, state, total), QEL_BUTTON_PRIMARY, cannot_print)) app_print(state);
    } else if (app_small_button(ctx, "Save job\u2026###save-job", QEL_BUTTON_PRIMARY, cannot_print)) {
        state->print_sheet_open = 0;
        app_save_job(state, app_ui_choose_file, nullptr);
    }
    qel_container_end(ctx);
}

void print_sheet_body(qel_context* ctx, app_state* state)
{
    label_count count;
    count_labels(state, &count);
    const stock_def* stock = catalog_stock_at(state->stock);
    const bool queue = state->queue_count > 0 && state->queue < (uint32_t)state->queue_count;
    app_column_begin(ctx, 10);
    app_caption_row(ctx, "Printer", catalog_printer_at(state->printer)->description);
    app_caption_row(ctx, "Queue", queue ? state->queue_names[state->queue] : "none found");
    app_caption_row(ctx, "Label", stock_text(ctx, stock));
    app_caption_row(ctx, "Template", catalog_layout_description(state->layout));
    qel_container_end(ctx);
    if (state->source == APP_SOURCE_FILE && state->loaded && state->table.columns > 0) quantity_choice(ctx, state);
    app_caption_row(ctx, "Labels", labels_text(ctx, state, count.total));
    char why[256];
    if (!app_print_gate(state, why, sizeof why)) {
        qel_alert_opts o = {};
        o.text = qel_arena_sprintf(ctx, "%s", why);
        o.kind = QEL_SEMANTIC_DANGER;
        qel_alert(ctx, "This cannot be printed yet", &o);
    }
    muted_count(ctx, count.skipped, "with quantity 0 left out");
    muted_count(ctx, count.once, "with no quantity print once");
    if (state->queue_count == 0)
        qel_text_muted(ctx, "No printer queue on this machine. Choose one on the left, or save the job and copy the "
                            "bytes to the printer.");
    sheet_footer(ctx, state, count.total);
}

void copy_row(qel_context* ctx, const char* caption, const char* id, const char* text)
{
    app_spread_row_begin(ctx, 8, QEL_JUSTIFY_BETWEEN);
    qel_text_muted(ctx, caption);
    qel_copy_button(ctx, id, text);
    qel_container_end(ctx);
}

}  // namespace

uint32_t app_quantity_choices(const app_state* state, const char* items[APP_QUANTITY_HEADERS + 2],
                              int32_t columns[APP_QUANTITY_HEADERS + 2], int32_t* chosen)
{
    uint32_t count = 0;
    items[count] = "One each";
    columns[count++] = -1;
    *chosen = 0;
    const int32_t headers = state->loaded ? state->table.columns : 0;
    for (int32_t c = 0; c < headers && c < APP_QUANTITY_HEADERS; c++) {
        items[count] = state->table.header[c];
        columns[count++] = c;
    }
    // The column in use is always a choice, wherever it lies in the header.
    const int32_t in_use = state->quantity_column;
    if (in_use >= APP_QUANTITY_HEADERS && in_use < headers) {
        items[count] = state->table.header[in_use];
        columns[count++] = in_use;
    }
    for (uint32_t i = 0; i < count; i++)
        if (columns[i] == in_use) *chosen = (int32_t)i;
    return count;
}

void app_print_sheet(qel_context* ctx, app_state* state)
{
    qel_side_sheet_options o = {};
    o.side = QEL_SHEET_RIGHT;
    o.size = 420;
    const char* title = state->source == APP_SOURCE_ONE_LABEL ? "Print this label###print-sheet"
                                                              : "Print labels###print-sheet";
    if (!qel_side_sheet_begin(ctx, title, &state->print_sheet_open, &o)) return;
    print_sheet_body(ctx, state);
    qel_side_sheet_end(ctx);
}

void app_problem_dialog(qel_context* ctx, app_state* state)
{
    qel_dialog_options o = {};
    o.description = "Nothing has been sent. These are the facts, and the printer job is written to disk.";
    o.width = 520;
    if (!qel_dialog_begin(ctx, "Print came out wrong?", &state->problem_dialog_open, &o)) return;
    const int32_t rows = state->loaded ? state->table.rows : 0;
    app_column_begin(ctx, 10);
    app_caption_row(ctx, "Printer", catalog_printer_at(state->printer)->description);
    app_caption_row(ctx, "Stock", stock_text(ctx, catalog_stock_at(state->stock)));
    app_caption_row(ctx, "Template", catalog_layout_description(state->layout));
    app_caption_row(ctx, "Tagmoor", qel_arena_sprintf(ctx, "%s, %d label%s", APP_VERSION, rows, app_plural(rows)));
    qel_divider(ctx);
    app_caption_row(ctx, "Job file", app_path_file_name(state->report.job_path));
    copy_row(ctx, "Copy the message to send by hand", "copy-body", state->report.body);
    copy_row(ctx, "Copy the job file path", "copy-path", state->report.job_path);
    qel_container_end(ctx);
    qel_dialog_footer_begin(ctx);
    if (app_small_button(ctx, "Close", QEL_BUTTON_PRIMARY, false)) state->problem_dialog_open = 0;
    qel_dialog_footer_end(ctx);
    qel_dialog_end(ctx);
}
