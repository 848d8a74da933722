// Jobs of 5000 rows of the barcode template on 2 x 1 in labels, each row printed once: built in
// memory, as the tests build the jobs they compare, and streamed to a file as both programs
// write them (the TSPL one at 300 dpi is some 450 MB). The goal is 0.3 s for each.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/catalog.h"
#include "engine/job.h"
#include "engine/label_model.h"
#include "engine/spool.h"
#include "files/file_io.h"

namespace {

struct job_rows {
    csv_table table = {};
    label_model model;

    explicit job_rows(int32_t dpi)
    {
        std::string csv = "Name,Price,Barcode\n";
        char row[96];
        for (int i = 0; i < 5000; i++) {
            snprintf(row, sizeof row, "Loose leaf tea no. %d,%d.%02d,%012d\n", i, 3 + i % 40, i % 100, 400000000 + i * 7);
            csv += row;
        }
        const stock_def* stock = catalog_stock_find("2x1");
        csv_parse(&table, csv.data(), csv.size(), nullptr, 0);
        label_model_init(&model, stock->description, stock->width_mm, stock->height_mm, dpi);
        layout_build(&model, "barcode", &table);
    }
    ~job_rows() { csv_table_clear(&table); }
};

void job_5000_labels(benchmark::State& state, uint32_t language, int32_t dpi)
{
    job_rows rows(dpi);
    size_t length = 0;
    for (auto _ : state) {
        uint8_t* data = nullptr;
        if (job_build(language, &rows.model, &rows.table, 0, rows.table.rows, nullptr, &data, &length) != ERR_OK)
            state.SkipWithError("the job failed");
        benchmark::DoNotOptimize(data);
        free(data);
    }
    state.counters["MB"] = (double)length / 1e6;
}

void job_5000_labels_to_file(benchmark::State& state, uint32_t language, int32_t dpi)
{
    job_rows rows(dpi);
    const char* folder = getenv("TMPDIR");
    const std::string path = std::string(folder ? folder : "/tmp") + "/tagmoor-job-bench.bin";
    size_t length = 0;
    for (auto _ : state) {
        if (job_write_file(path.c_str(), language, &rows.model, &rows.table, 0, rows.table.rows, nullptr, &length) !=
            ERR_OK)
            state.SkipWithError("the job failed");
    }
    file_remove(path.c_str());
    state.counters["MB"] = (double)length / 1e6;
}

}  // namespace

BENCHMARK_CAPTURE(job_5000_labels, zpl_203dpi, PRINTER_LANG_ZPL, 203)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(job_5000_labels, tspl_203dpi, PRINTER_LANG_TSPL, 203)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(job_5000_labels, tspl_300dpi, PRINTER_LANG_TSPL, 300)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(job_5000_labels, brother_ql_300dpi, PRINTER_LANG_BROTHER_QL, 300)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(job_5000_labels, dymo_300dpi, PRINTER_LANG_DYMO, 300)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(job_5000_labels_to_file, tspl_203dpi, PRINTER_LANG_TSPL, 203)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(job_5000_labels_to_file, tspl_300dpi, PRINTER_LANG_TSPL, 300)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(job_5000_labels_to_file, dymo_300dpi, PRINTER_LANG_DYMO, 300)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(job_5000_labels_to_file, brother_ql_300dpi, PRINTER_LANG_BROTHER_QL, 300)
    ->Unit(benchmark::kMillisecond);
