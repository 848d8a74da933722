// The console tool's checks before a job, the row that stops one, and what the font lacks.
#include "app/job_checks.h"

#include <cstring>

#include "app/data_source.h"
#include "app/preview.h"
#include "engine/bitmap_font.h"
#include "engine/catalog.h"
#include "engine/render.h"

bool app_check_job(const app_state* state, const label_model* model, char* msg, size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    const char* role = layout_missing_role(model);
    if (role) {
        engine_message(msg, msg_size, "No column of %s holds the %s.", state->shown_name, role);
        return false;
    }
    job_options options;
    app_make_job_options(&options, state);
    const uint32_t language = catalog_printer_at(state->printer)->language;
    char why[256];
    if (job_check(language, model, &options, why, sizeof why) == ERR_OK) return true;
    engine_message(msg, msg_size, "The printer cannot take this label: %s.", why[0] ? why : "its language refuses it");
    return false;
}

namespace {

// What the row walk reads and what it finds.
struct row_walk {
    const label_model* model;
    const csv_table* table;
    int32_t row, element;  // where it failed
};

// How rendering would lay the element out for the row: 0, or the code it would fail with.
engine_error lay_out(const label_model* model, const label_element* e, const char* text)
{
    if (e->kind == LABEL_RULE) return ERR_OK;
    if (e->kind == LABEL_TEXT) {
        label_text_layout layout;
        return label_layout_text(model, e, text, &layout);
    }
    label_barcode_layout layout;
    return label_layout_barcode(model, e, text, &layout);
}

engine_error check_row(void* walk, int32_t row, int32_t)
{
    auto* w = (row_walk*)walk;
    for (int32_t i = 0; i < w->model->element_count && i < LABEL_MAX_ELEMENTS; i++) {
        const label_element* e = &w->model->elements[i];
        engine_error error = lay_out(w->model, e, label_element_text(e, w->table, row));
        if (error == ERR_OK) continue;
        w->row = row;
        w->element = i;
        return error;
    }
    return ERR_OK;
}

}  // namespace

void app_find_row_problem(const label_model* model, const csv_table* table, const job_options* options,
                          app_row_problem* problem)
{
    *problem = {};
    row_walk walk = {model, table, -1, -1};
    problem->error = job_each_row(table, 0, table->rows, options, check_row, &walk);
    problem->row = walk.row;
    if (walk.row < 0) return;
    const label_element* e = &model->elements[walk.element];
    const char* column = e->column >= 0 && e->column < table->columns ? table->header[e->column] : nullptr;
    char lacking[5];
    char what[160];
    if (problem->error == ERR_NO_GLYPH && app_font_lacks(label_element_text(e, table, walk.row), lacking))
        engine_message(what, sizeof what, "the built-in font has no glyph for \"%s\"", lacking);
    else
        engine_message(what, sizeof what, "%s", engine_error_text(problem->error));
    engine_message(problem->reason, sizeof problem->reason, "%s%s%s", what, column ? " in column " : "",
                   column ? column : "");
}

bool app_refuse_failing_row(app_state* state, const label_model* model, const job_options* options)
{
    app_row_problem problem;
    app_find_row_problem(model, &state->table, options, &problem);
    if (problem.row < 0) return false;
    app_status_error(state, "Row %d of %d cannot print: %s.", problem.row + 1, state->table.rows, problem.reason);
    app_preview_show_failed_row(state, problem.row);
    return true;
}

bool app_font_lacks(const char* text, char out[5])
{
    for (const char* c = text; *c; c++) {
        const char one[2] = {*c, 0};
        if (!bitmap_font_missing_count(one)) continue;
        const unsigned char lead = (unsigned char)*c;
        const size_t length = strnlen(c, lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1);
        memcpy(out, c, length);
        out[length] = '\0';
        return true;
    }
    return false;
}
