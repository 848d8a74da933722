// Builds jobs in every printer language from random tables, label models and job options, and
// checks what every job promises: the bytes of job_build are those job_write gives a stream,
// no bytes means no block, and each raster job starts and ends as its protocol says.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/catalog.h"
#include "engine/job.h"
#include "engine/label_model.h"
#include "engine/quantity.h"

namespace {

void random_element(FuzzedDataProvider& in, label_model* model)
{
    label_element* e = label_add_element(model, in.ConsumeIntegralInRange<uint32_t>(0, 3));
    if (!e) return;
    e->x_mm = in.ConsumeFloatingPointInRange<float>(-20, 120);
    e->y_mm = in.ConsumeFloatingPointInRange<float>(-20, 120);
    e->width_mm = in.ConsumeFloatingPointInRange<float>(-5, 120);
    e->height_mm = in.ConsumeFloatingPointInRange<float>(-5, 60);
    e->size_mm = in.ConsumeFloatingPointInRange<float>(-1, 30);
    e->module_mm = in.ConsumeFloatingPointInRange<float>(0, 1);
    e->bold = in.ConsumeBool();
    e->align = in.ConsumeIntegralInRange<uint32_t>(0, 3);
    e->symbology = in.ConsumeIntegralInRange<uint32_t>(0, 3);
    e->human_readable = in.ConsumeBool();
    e->column = in.ConsumeIntegralInRange<int32_t>(-1, 4);
    e->rotation_deg = in.PickValueInArray({0, 90, 180, 270, -90, 450, 45});
    e->max_lines = in.ConsumeIntegralInRange<int32_t>(-1, 4);
    const std::string text = in.ConsumeRandomLengthString(sizeof e->text - 1);
    memcpy(e->text, text.c_str(), text.size() + 1);
}

// The job as job_write puts it on a stream.
std::string written(uint32_t language, const label_model* model, const csv_table* table, int32_t first,
                    int32_t count, const job_options* options, engine_error* error)
{
    char* bytes = nullptr;
    size_t length = 0;
    FILE* stream = open_memstream(&bytes, &length);
    if (!stream) abort();
    *error = job_write(language, model, table, first, count, options, stream);
    fclose(stream);
    std::string job(bytes, length);
    free(bytes);
    return job;
}

void check_job(uint32_t language, const label_model* model, const csv_table* table, int32_t first, int32_t count,
               const job_options* options)
{
    uint8_t* data = nullptr;
    size_t length = 0;
    engine_error built = job_build(language, model, table, first, count, options, &data, &length);
    if ((data == nullptr) != (length == 0)) abort();
    const std::string job((const char*)data, length);
    free(data);
    engine_error error = ERR_OK;
    const std::string stream_job = written(language, model, table, first, count, options, &error);
    if (error != built || (built == ERR_OK && stream_job != job)) abort();
    if (built != ERR_OK) return;
    if (language == PRINTER_LANG_ZPL && !job.empty() && job.compare(0, 4, "^XA\n") != 0) abort();
    if (language == PRINTER_LANG_TSPL && !job.empty() && job.compare(0, 5, "SIZE ") != 0) abort();
    if (language == PRINTER_LANG_BROTHER_QL && (job.compare(0, 10, "\x1b@\x1bia\x01\x1bia\x01") != 0 || job.back() != 0x1a))
        abort();
    if (language == PRINTER_LANG_DYMO && (job.size() < 169 || job.compare(0, 156, std::string(156, '\x1b')) != 0))
        abort();
}

// The labels the writers would print before they stop. Jobs of many labels are only longer,
// not different, and would slow the search down.
int64_t labels_printed(const csv_table* table, int32_t first, int32_t count, const job_options* options)
{
    int64_t labels = 0;
    for (int32_t row = first < 0 ? 0 : first; row < table->rows && row < (int64_t)first + count; row++) {
        int32_t n = quantity_for_row(table, row, options, nullptr, 0);
        if (n < 0) break;
        labels += n;
    }
    return labels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    label_model model;
    label_model_init(&model, "fuzz", in.ConsumeFloatingPointInRange<float>(0, 110),
                     in.ConsumeFloatingPointInRange<float>(0, 80), in.PickValueInArray({0, 96, 203, 300, 600}));
    model.gap_mm = in.ConsumeFloatingPointInRange<float>(-1, 5);
    const bool layout = in.ConsumeBool();
    const char* layout_id = in.PickValueInArray({"price", "barcode", "name", "plain"});
    for (int n = in.ConsumeIntegralInRange<int>(0, 6); n > 0 && !layout; n--) random_element(in, &model);
    job_options options = {};
    options.copies = in.ConsumeIntegralInRange<int32_t>(-2, 600);
    options.quantity_column = in.ConsumeBool() ? "Qty" : nullptr;
    options.media_width_mm = in.ConsumeIntegralInRange<int32_t>(-1, 300);
    options.media_length_mm = in.ConsumeIntegralInRange<int32_t>(-1, 300);
    options.line_bytes = in.ConsumeIntegralInRange<int32_t>(-1, 170);
    options.feed_margin_dots = in.ConsumeIntegralInRange<int32_t>(-1, 70000);
    const int32_t first = in.ConsumeIntegralInRange<int32_t>(-1, 4);
    const int32_t count = in.ConsumeIntegralInRange<int32_t>(-1, 6);
    const std::string csv = in.ConsumeRemainingBytesAsString();

    csv_table table = {};
    // Text that is not UTF-8 (NUL bytes, UTF-16) makes no table, which csv's own target checks.
    engine_error parsed = csv_parse(&table, csv.data(), csv.size(), nullptr, 0);
    if (parsed == ERR_FORMAT) return 0;
    if (parsed != ERR_OK) abort();
    if (layout) layout_build(&model, layout_id, &table);
    if (labels_printed(&table, first, count, &options) <= 8)
        for (uint32_t language = 0; language <= 4; language++) check_job(language, &model, &table, first, count, &options);
    csv_table_clear(&table);
    return 0;
}
