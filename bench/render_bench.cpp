// Rendering one spreadsheet row of the barcode template on the 2x1 stock, at each resolution.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/catalog.h"
#include "engine/render.h"

static void render_barcode_row(benchmark::State& state)
{
    const char text[] = "Name,Price,Barcode\nJasmine Green Tea 100 g,$4.99,4006381333931\n";
    csv_table table = {};
    csv_parse(&table, text, strlen(text), nullptr, 0);
    const stock_def* stock = catalog_stock_find("2x1");
    label_model model;
    label_model_init(&model, stock->description, stock->width_mm, stock->height_mm, (int32_t)state.range(0));
    layout_build(&model, "barcode", &table);
    for (auto _ : state) {
        raster r = {};
        if (label_render_row(&model, &table, 0, &r) != ERR_OK) state.SkipWithError("render failed");
        benchmark::DoNotOptimize(r.bits);
        raster_free(&r);
    }
    csv_table_clear(&table);
}
BENCHMARK(render_barcode_row)->Arg(203)->Arg(300)->Arg(600)->Unit(benchmark::kMicrosecond);


// Checking 1,000,000 rows of the barcode template as the console's check does: laid out, not
// drawn. The goal is under 2 s.
static void check_million_rows(benchmark::State& state)
{
    std::string text = "Name,Price,Barcode\n";
    char row[96];
    for (int i = 0; i < 1000000; i++) {
        snprintf(row, sizeof row, "Loose leaf tea blend no. %d,$%d.%02d,%012d\n", i, 3 + i % 40, i % 100, i);
        text += row;
    }
    csv_table table = {};
    csv_parse(&table, text.data(), text.size(), nullptr, 0);
    const stock_def* stock = catalog_stock_find("2x1");
    label_model model;
    label_model_init(&model, stock->description, stock->width_mm, stock->height_mm, 203);
    layout_build(&model, "barcode", &table);
    for (auto _ : state) {
        int failures = 0;
        for (int32_t r = 0; r < table.rows; r++) failures += label_check_row(&model, &table, r) != ERR_OK;
        if (failures) state.SkipWithError("rows failed");
    }
    csv_table_clear(&table);
}
BENCHMARK(check_million_rows)->Unit(benchmark::kMillisecond);
