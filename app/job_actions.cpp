// Print and save: the job built in memory once per action and freed on every path.
#include "app/job_actions.h"

#include <cstdint>
#include <cstdlib>

#include "app/data_source.h"
#include "engine/catalog.h"
#include "engine/job.h"
#include "engine/quantity.h"
#include "engine/spool.h"

static uint32_t printer_language(const app_state* state)
{
    return catalog_printer_at(state->printer)->language;
}

// The job of every row of the current table; the label model must build.
static engine_error build_job(const app_state* state, const label_model* model, uint8_t** data, size_t* length)
{
    job_options options;
    app_make_job_options(&options, state);
    return job_build(printer_language(state), model, &state->table, 0, state->table.rows, &options, data, length);
}

// The labels the job prints, or 0 after saying why there are none.
static int32_t count_labels(app_state* state)
{
    job_options options;
    app_make_job_options(&options, state);
    char msg[256] = "";
    int32_t total =
        quantity_job_total(&state->table, 0, state->table.rows, &options, msg, sizeof msg, nullptr, nullptr);
    if (total >= 1) return total;
    app_status_error(state, "%s", msg[0] ? msg : "There is nothing to print.");
    return 0;
}

void app_print(app_state* state)
{
    state->print_sheet_open = 0;
    label_model model;
    if (!state->loaded) return app_status_error(state, "Open a CSV first.");
    if (!app_build_label_model(state, &model))
        return app_status_error(state, "This stock is wider than the printer takes.");
    if (state->queue >= (uint32_t)state->queue_count)
        return app_status_error(state, "No printer queue. Choose one, or save the job and copy it to the printer.");
    int32_t total = count_labels(state);
    if (total < 1) return;
    uint8_t* data = nullptr;
    size_t length = 0;
    engine_error e = build_job(state, &model, &data, &length);
    if (e != ERR_OK) return app_status_error(state, "Cannot build the job: %s", engine_error_text(e));
    // The spooler would take an empty document and report it printed.
    if (length == 0) return app_status_error(state, "Cannot build the job: it holds no bytes");
    const char* queue = state->queue_names[state->queue];
    char msg[256] = "";
    if (spool_send_raw(queue, data, length, msg, sizeof msg) == ERR_OK)
        app_status_set(state, APP_STATUS_INFO, "Sent %d label%s (%zu bytes of %s) to %s", total, total == 1 ? "" : "s",
                       length, printer_lang_name(printer_language(state)), queue);
    else
        app_status_error(state, "Print failed: %s", msg);
    free(data);
}

void app_save_job(app_state* state, app_file_chooser choose, void* user)
{
    label_model model;
    if (!state->loaded || !app_build_label_model(state, &model)) return app_status_error(state, "Nothing to save yet.");
    static const char* const default_names[] = {"labels.zpl", "labels.tspl", "labels.bin", "labels.bin"};
    const uint32_t language = printer_language(state);
    qel_file_dialog_spec dialog = {};
    dialog.kind = QEL_FILE_SAVE;
    dialog.title = "Save the printer job";
    dialog.default_name = default_names[language];
    char path[512];
    if (!choose(user, &dialog, path, sizeof path)) return;
    uint8_t* data = nullptr;
    size_t length = 0;
    engine_error e = build_job(state, &model, &data, &length);
    if (e == ERR_OK) e = job_save_file(path, data, length);
    free(data);
    if (e != ERR_OK) return app_status_error(state, "Cannot write %s: %s", path, engine_error_text(e));
    app_status_set(state, APP_STATUS_INFO, "%zu bytes of %s written to %s", length, printer_lang_name(language), path);
}
