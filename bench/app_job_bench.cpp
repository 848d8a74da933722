// The program's jobs as its save action and its problem report write them: 5,000 TSPL labels at
// 300 dpi saved (some 450 MB), and the report of a 50,000-row sheet, each with the time and how far
// the process's peak memory rose while it ran (a job held whole would raise it by its size).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/data_source.h"
#include "app/job_actions.h"
#include "app/problem_report.h"
#include "app/startup.h"
#include "engine/catalog.h"

namespace {

std::string ean13(int i)
{
    char body[13];
    snprintf(body, sizeof body, "5901234%05d", i % 100000);
    int total = 0;
    for (int d = 0; d < 12; d++) total += (body[11 - d] - '0') * (d % 2 == 0 ? 3 : 1);
    return std::string(body) + (char)('0' + (10 - total % 10) % 10);
}

// A sheet of the given rows of names, prices and EAN-13 barcodes in the temporary folder.
std::string sheet(int rows)
{
    const std::string path = (std::filesystem::temp_directory_path() / ("app-job-bench-" + std::to_string(rows) +
                                                                         ".csv"))
                                 .string();
    FILE* f = fopen(path.c_str(), "w");
    if (!f) return path;
    fputs("Name,Price,Barcode\n", f);
    for (int i = 0; i < rows; i++) fprintf(f, "Loose leaf tea blend no. %d,%d.%02d,%s\n", i, 3 + i % 40, i % 100,
                                           ean13(i).c_str());
    fclose(f);
    return path;
}

double peak_megabytes()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (double)usage.ru_maxrss / 1024;
}

bool answer(void* user, const qel_file_dialog_spec*, char* path, size_t capacity)
{
    snprintf(path, capacity, "%s", (const char*)user);
    return true;
}

// The state after "tagmoor-app --demo SHEET --layout barcode" with the printer chosen.
app_state* open_sheet(benchmark::State& state, int rows, const char* printer)
{
    const std::string path = sheet(rows);
    char program[] = "tagmoor-app", demo[] = "--demo", layout[] = "--layout", barcode[] = "barcode";
    char* argv[] = {program, demo, const_cast<char*>(path.c_str()), layout, barcode};
    app_state* app = nullptr;
    if (app_start(5, argv, &app) != APP_EXIT_OK) {
        state.SkipWithError("no state");
        return nullptr;
    }
    for (uint32_t i = 0; i < catalog_printer_count(); i++)
        if (strcmp(catalog_printer_at(i)->id, printer) == 0) app->printer = i;
    return app;
}

void save_5000_tspl_labels_at_300_dpi(benchmark::State& state)
{
    app_state* app = open_sheet(state, 5000, "tsc-da310");
    if (!app) return;
    const std::string out = (std::filesystem::temp_directory_path() / "app-job-bench.tspl").string();
    const double before = peak_megabytes();
    for (auto _ : state) app_save_job(app, answer, (void*)out.c_str());
    if (app->status_kind != APP_STATUS_INFO) state.SkipWithError(app->status_text);
    state.counters["job MB"] = (double)std::filesystem::file_size(out) / (1024 * 1024);
    state.counters["peak rise MB"] = peak_megabytes() - before;
    std::filesystem::remove(out);
    app_state_free(app);
}
BENCHMARK(save_5000_tspl_labels_at_300_dpi)->Unit(benchmark::kMillisecond)->Iterations(3);

void report_of_50000_rows(benchmark::State& state)
{
    app_state* app = open_sheet(state, 50000, "zebra-zd230");
    if (!app) return;
    setenv("QEL_SCREENSHOT", "no mail client", 1);
    const double before = peak_megabytes();
    for (auto _ : state) {
        app_report_problem(app);
        state.PauseTiming();
        std::filesystem::remove_all(std::filesystem::path(app->report.job_path).parent_path());
        state.ResumeTiming();
    }
    if (!app->problem_dialog_open) state.SkipWithError(app->status_text);
    state.counters["peak rise MB"] = peak_megabytes() - before;
    unsetenv("QEL_SCREENSHOT");
    app_state_free(app);
}
BENCHMARK(report_of_50000_rows)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
