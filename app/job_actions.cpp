// Print and save: the console tool's checks first, then the job written to the queue or the
// file as it is made, so that no job is ever held in memory.
#include "app/job_actions.h"

#include <cstdint>
#include <cstdio>

#include "app/data_source.h"
#include "app/job_checks.h"
#include "engine/catalog.h"
#include "engine/job.h"
#include "engine/quantity.h"
#include "engine/spool.h"

static uint32_t printer_language(const app_state* state)
{
    return catalog_printer_at(state->printer)->language;
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

// The labels of the job once the model is built, when the console tool's checks pass; 0 after
// saying what fails.
static int32_t checked_labels(app_state* state, const label_model* model, const job_options* options)
{
    char msg[256];
    if (!app_check_job(state, model, msg, sizeof msg)) {
        app_status_error(state, "%s", msg);
        return 0;
    }
    const int32_t total = count_labels(state);
    return total >= 1 && !app_refuse_failing_row(state, model, options) ? total : 0;
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
    job_options options;
    app_make_job_options(&options, state);
    const int32_t total = checked_labels(state, &model, &options);
    if (total < 1) return;
    const uint32_t language = printer_language(state);
    const char* queue = state->queue_names[state->queue];
    size_t length = 0;
    char msg[256] = "";
    engine_error e = spool_send_job(queue, language, &model, &state->table, 0, state->table.rows, &options, &length,
                                    msg, sizeof msg);
    if (e == ERR_IO) return app_status_error(state, "Print failed: %s", msg);
    if (e != ERR_OK) return app_status_error(state, "Cannot build the job: %s", engine_error_text(e));
    char sent[APP_STATUS_SIZE];
    snprintf(sent, sizeof sent, "Sent %d label%s (%zu bytes of %s) to %s", total, total == 1 ? "" : "s", length,
             printer_lang_name(language), queue);
    if (!spool_queue_paused(queue)) return app_status_set(state, APP_STATUS_INFO, "%s", sent);
    // The queue keeps the job: said as a problem, so that nobody prints it a second time.
    app_status_error(state, "%s, but the queue is paused: the job waits there until it is resumed", sent);
}

void app_save_job(app_state* state, app_file_chooser choose, void* user)
{
    label_model model;
    if (!state->loaded || !app_build_label_model(state, &model)) return app_status_error(state, "Nothing to save yet.");
    job_options options;
    app_make_job_options(&options, state);
    if (checked_labels(state, &model, &options) < 1) return;
    static const char* const default_names[] = {"labels.zpl", "labels.tspl", "labels.bin", "labels.bin"};
    const uint32_t language = printer_language(state);
    qel_file_dialog_spec dialog = {};
    dialog.kind = QEL_FILE_SAVE;
    dialog.title = "Save the printer job";
    dialog.default_name = default_names[language];
    char path[512];
    if (!choose(user, &dialog, path, sizeof path)) return;
    size_t length = 0;
    engine_error e =
        job_write_file(path, language, &model, &state->table, 0, state->table.rows, &options, &length);
    if (e != ERR_OK) return app_status_error(state, "Cannot write %s: %s", path, engine_error_text(e));
    app_status_set(state, APP_STATUS_INFO, "%zu bytes of %s written to %s", length, printer_lang_name(language), path);
}
