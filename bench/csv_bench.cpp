// Reading spreadsheets of the largest size a file may have (64 MiB) in the shapes that cost
// most, as the programs read them, from memory already touched: the goal is 500 MB/s for each.
#include <benchmark/benchmark.h>

#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "engine/csv.h"

namespace {

void csv_64_mib(benchmark::State& state, const std::string& head, const std::string& unit)
{
    std::string text = head;
    while (text.size() + unit.size() <= CSV_MAX_FILE_SIZE) text += unit;
#if defined(__GLIBC__)
    // Blocks this large would be mapped afresh for every read and their pages faulted in one
    // by one: kept in the heap, each read finds its memory touched by the last.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    for (auto _ : state) {
        csv_table table = {};
        // Shapes past the cell limit are refused: that they are, quickly, is what is timed.
        engine_error e = csv_parse(&table, text.data(), text.size(), nullptr, 0);
        if (e != ERR_OK && e != ERR_RANGE) state.SkipWithError("the text was not read");
        state.counters["cells"] = e == ERR_OK ? (double)table.columns * (table.rows + 1) : 0;
        csv_table_clear(&table);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)text.size());
}

}  // namespace

BENCHMARK_CAPTURE(csv_64_mib, product_rows, "Name,Price,Barcode,Quantity\n",
                  "Loose leaf tea blend, 100 g,$4.99,5901234120111,3\n")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(csv_64_mib, quoted_rows, "Name,Price\n", "\"Tea \"\"Gyokuro\"\", 50 g\",\"$12,50\"\n")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(csv_64_mib, short_lines, "", "1\n")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(csv_64_mib, header_commas, "", ",")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(csv_64_mib, wide_rows, std::string(16383, ',') + "\n", "a,b,c\n")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(csv_64_mib, one_cell, "Name,Price\nTea,", "9")->Unit(benchmark::kMillisecond);
