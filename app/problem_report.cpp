// The report's folder, its files through the engine, and the mail draft's link.
#include "app/problem_report.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/data_source.h"
#include "app/job_checks.h"
#include "app/system.h"
#include "engine/catalog.h"
#include "engine/report.h"
#include "files/file_io.h"

static app_link_opener link_opener = app_system_open_link;

void app_set_link_opener(app_link_opener opener)
{
    link_opener = opener ? opener : app_system_open_link;
}

// The temporary folder the environment names, else the system's usual one.
static void temporary_folder(char* base, size_t capacity)
{
    static const char* const names[] = {"TMPDIR", "TEMP", "TMP"};
    for (const char* name : names)
        if (app_environment(name, base, capacity) && base[0]) return;
    app_copy_text(base, capacity, "/tmp");
}

bool app_report_folder(char* folder, size_t capacity)
{
    char base[512];
    temporary_folder(base, sizeof base);
    const long long now = (long long)time(nullptr);
    // Two reports in one second each get a folder of their own.
    for (int attempt = 1; attempt <= 100; attempt++) {
        int n = attempt == 1 ? snprintf(folder, capacity, "%s" FILE_SEPARATOR "tagmoor-report-%lld", base, now)
                             : snprintf(folder, capacity, "%s" FILE_SEPARATOR "tagmoor-report-%lld-%d", base, now, attempt);
        if (n < 0 || (size_t)n >= capacity) return false;
        if (app_make_folder(folder) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

// Letters, digits and "-._~" stand for themselves in a link.
static bool unreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

// Appends text to the link at *used, percent-encoded when asked; false when it does not fit.
static bool append(char* link, size_t capacity, size_t* used, const char* text, bool encode)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const unsigned char* c = (const unsigned char*)text; *c; c++) {
        // A mail body's lines end in CR LF.
        const char encoded[] = {'%', hex[*c >> 4], hex[*c & 15], 0};
        const char plain[] = {(char)*c, 0};
        const char* piece = !encode || unreserved(*c) ? plain : *c == '\n' ? "%0D%0A" : encoded;
        const size_t n = strlen(piece);
        if (*used + n >= capacity) return false;
        memcpy(link + *used, piece, n);
        *used += n;
    }
    link[*used] = '\0';
    return true;
}

bool app_mail_link(const problem_report* report, char* link, size_t capacity)
{
    size_t used = 0;
    if (!append(link, capacity, &used, "mailto:" APP_SUPPORT_ADDRESS "?subject=", false) ||
        !append(link, capacity, &used, report->subject, true))
        return false;
    const size_t subject_end = used;
    if (append(link, capacity, &used, "&body=", false) && append(link, capacity, &used, report->body, true))
        return true;
    // The body is in the dialog and the report file too; the draft can do without it.
    link[subject_end] = '\0';
    return true;
}

// The report's folder, files and subject; false after saying why there are none.
static bool write_report(app_state* state)
{
    label_model model;
    if (!state->loaded) {
        app_status_error(state, "Open a CSV first: the report carries the job it is about.");
        return false;
    }
    if (!app_build_label_model(state, &model)) {
        app_status_error(state, "This stock does not fit this printer, so there is no job to report.");
        return false;
    }
    // The report's job is the one a print would send, each row once: the same checks refuse it.
    char msg[256];
    if (!app_check_job(state, &model, msg, sizeof msg)) {
        app_status_error(state, "%s", msg);
        return false;
    }
    if (app_refuse_failing_row(state, &model, nullptr)) return false;
    char folder[512];
    if (!app_report_folder(folder, sizeof folder)) {
        app_status_error(state, "Cannot make the report folder %s", folder);
        return false;
    }
    const stock_def* stock = catalog_stock_at(state->stock);
    const printer_def* printer = catalog_printer_at(state->printer);
    char stock_text[200];
    snprintf(stock_text, sizeof stock_text, "%s, %.1f x %.1f mm", stock->description, stock->width_mm,
             stock->height_mm);
    const report_info info = {printer->description, stock_text, catalog_layout_description(state->layout),
                              APP_VERSION, state->shown_name};
    if (report_write(&state->report, folder, &info, printer->language, &model, &state->table, state->table.rows) !=
        ERR_OK) {
        app_status_error(state, "Cannot write the report into %s", folder);
        return false;
    }
    return true;
}

void app_report_problem(app_state* state)
{
    if (!write_report(state)) return;
    state->problem_dialog_open = 1;
    char link[APP_MAIL_LINK_SIZE];
    // A screenshot run must leave the machine as it found it.
    if (!getenv("QEL_SCREENSHOT") && app_mail_link(&state->report, link, sizeof link) && link_opener(link))
        app_status_set(state, APP_STATUS_INFO,
                       "A message is waiting in your mail client. Nothing is sent until you press Send.");
    else
        app_status_error(state, "No mail client would open. The facts are below, and the job is at %s",
                         state->report.job_path);
}
