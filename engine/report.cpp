// Problem reports: the job file, the plain-text report beside it, and the mail's subject and
// body, which the report file repeats.
#include "report.h"

#include <cstdio>
#include <cstring>

#include "files/file_io.h"
#include "spool.h"

static const char* report_text(const char* text)
{
    return text ? text : "";
}

// Fills both paths; false when either would have to be cut to fit its field.
static bool report_paths(problem_report* report, const char* folder, const char* extension)
{
    int job = snprintf(report->job_path, sizeof report->job_path, "%s" FILE_SEPARATOR "tagmoor-job.%s", folder, extension);
    int text = snprintf(report->report_path, sizeof report->report_path, "%s" FILE_SEPARATOR "tagmoor-report.txt", folder);
    return job >= 0 && (size_t)job < sizeof report->job_path && text >= 0 && (size_t)text < sizeof report->report_path;
}

engine_error report_write(problem_report* report, const char* folder, const report_info* info, uint32_t language,
                          const label_model* model, const csv_table* table, int32_t row_limit)
{
    if (!report || !folder || !folder[0] || !info || !model || !table) return ERR_INVALID;
    memset(report, 0, sizeof *report);
    static const char* const extensions[] = {"zpl", "tspl", "bin", "dymo"};
    if (language >= sizeof extensions / sizeof extensions[0]) return ERR_INVALID;
    // A cut path would name some other file: refuse before anything is written.
    if (!report_paths(report, folder, extensions[language])) {
        memset(report, 0, sizeof *report);
        return ERR_RANGE;
    }
    const int32_t rows = row_limit > 0 && row_limit < table->rows ? row_limit : table->rows;

    size_t length = 0;
    engine_error error = job_write_file(report->job_path, language, model, table, 0, rows, nullptr, &length);
    if (error) return error;

    const char* version = report_text(info->version);
    const char* printer = report_text(info->printer);
    snprintf(report->subject, sizeof report->subject, "Tagmoor %s: a label came out wrong (%s)", version, printer);
    snprintf(report->body, sizeof report->body,
             "Tagmoor %s - a label came out wrong\n\nPrinter:  %s\nStock:    %s\nTemplate: %s\nLabels:   %d\n"
             "File:     %s\n\nThe printer job this window would have sent is in the file below. Attach it to\n"
             "this message:\n%s\n\nNothing has been sent anywhere yet. This text is in your own mail client and\n"
             "leaves the machine when you press Send.\n",
             version, printer, report_text(info->stock), report_text(info->layout), rows,
             info->file_name && info->file_name[0] ? info->file_name : "(none)", report->job_path);
    return job_save_file(report->report_path, report->body, strlen(report->body));
}
