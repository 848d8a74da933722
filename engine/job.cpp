// Jobs by printer language, written to streams, to functions or built in memory through the
// same byte sink, so that all give the same bytes and none needs a temporary file.
#include "job.h"

#include <cstdlib>

#include "brother_ql.h"
#include "catalog.h"
#include "dymo.h"
#include "quantity.h"
#include "raster.h"
#include "render.h"
#include "tspl.h"
#include "zpl.h"

namespace {

typedef engine_error (*job_writer)(const label_model*, const csv_table*, int32_t, int32_t, const job_options*,
                                   byte_sink*);
typedef engine_error (*job_checker)(const label_model*, const job_options*, char*, size_t);
// The job's size in bytes, when the language knows it ahead; 0 otherwise.
typedef size_t (*job_sizer)(const label_model*, const csv_table*, int32_t, int32_t, const job_options*);

const struct {
    job_writer write;
    job_checker check;
    job_sizer size;
} languages[] = {
    {zpl_write_job, zpl_check, nullptr},
    {tspl_write_job, tspl_check, tspl_job_size},
    {brother_ql_write_job, brother_ql_check, brother_ql_job_size},
    {dymo_write_job, dymo_check, nullptr},
};
static_assert(PRINTER_LANG_ZPL == 0 && PRINTER_LANG_TSPL == 1 && PRINTER_LANG_BROTHER_QL == 2 &&
              PRINTER_LANG_DYMO == 3);

bool job_language_known(uint32_t language)
{
    return language < sizeof languages / sizeof languages[0];
}

engine_error job_count_row(void* total, int32_t, int32_t labels)
{
    *(int64_t*)total += labels;
    return ERR_OK;
}

// What a row of a job to check and its table and model.
struct job_rows {
    const label_model* model;
    const csv_table* table;
};

engine_error job_render_row(void* rows, int32_t row, int32_t)
{
    const job_rows* j = (const job_rows*)rows;
    raster r = {};
    engine_error error = label_render_row(j->model, j->table, row, &r);
    raster_free(&r);
    return error;
}

}  // namespace

engine_error job_check(uint32_t language, const label_model* model, const job_options* options, char* msg,
                       size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    if (!model || !job_language_known(language)) return ERR_INVALID;
    return languages[language].check(model, options, msg, msg_size);
}

engine_error job_check_rows(const label_model* model, const csv_table* table, int32_t first_row, int32_t row_count,
                            const job_options* options)
{
    if (!model || !table || first_row < 0 || row_count < 0) return ERR_INVALID;
    job_rows rows = {model, table};
    return job_each_row(table, first_row, row_count, options, job_render_row, &rows);
}

engine_error job_check_label_size(const label_model* model, char* msg, size_t msg_size)
{
    int32_t width = label_width_dots(model), height = label_height_dots(model);
    if (width >= 1 && width <= RASTER_MAX_WIDTH && height >= 1 && height <= RASTER_MAX_HEIGHT) return ERR_OK;
    engine_message(msg, msg_size, "a %.1f x %.1f mm label at %d dpi is %d x %d dots; a label takes 1 x 1 to %d x %d",
                   (double)model->width_mm, (double)model->height_mm, model->dpi, width, height, RASTER_MAX_WIDTH,
                   RASTER_MAX_HEIGHT);
    return ERR_RANGE;
}

engine_error job_write_sink(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                            int32_t row_count, const job_options* options, byte_sink* sink)
{
    if (!model || !table || !sink || first_row < 0 || row_count < 0) return ERR_INVALID;
    if (!job_language_known(language)) return ERR_INVALID;
    engine_error error = languages[language].write(model, table, first_row, row_count, options, sink);
    return error ? error : byte_sink_status(sink);
}

engine_error job_write(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                       int32_t row_count, const job_options* options, FILE* stream)
{
    if (!stream) return ERR_INVALID;
    byte_sink sink = byte_sink_stream(stream);
    return job_write_sink(language, model, table, first_row, row_count, options, &sink);
}

engine_error job_write_plain(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                             int32_t row_count, FILE* stream)
{
    return job_write(language, model, table, first_row, row_count, nullptr, stream);
}

engine_error job_build(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                       int32_t row_count, const job_options* options, uint8_t** data, size_t* length)
{
    if (!data || !length) return ERR_INVALID;
    *data = nullptr;
    *length = 0;
    byte_buffer job = {};
    if (model && table && first_row >= 0 && row_count >= 0 && job_language_known(language) &&
        languages[language].size && languages[language].check(model, options, nullptr, 0) == ERR_OK) {
        size_t size = languages[language].size(model, table, first_row, row_count, options);
        if (size > 0 && !byte_buffer_reserve(&job, size)) return ERR_NOMEM;
    }
    byte_sink sink = byte_sink_buffer(&job);
    engine_error error = job_write_sink(language, model, table, first_row, row_count, options, &sink);
    if (error || job.length == 0) {
        byte_buffer_free(&job);
        return error;
    }
    // Hand back the growth slack of a job that grew by doubling: it can run to hundreds of
    // megabytes.
    uint8_t* fitted = job.length < job.capacity ? (uint8_t*)realloc(job.data, job.length) : job.data;
    *data = fitted ? fitted : job.data;
    *length = job.length;
    return ERR_OK;
}

engine_error job_build_plain(uint32_t language, const label_model* model, const csv_table* table, int32_t first_row,
                             int32_t row_count, uint8_t** data, size_t* length)
{
    return job_build(language, model, table, first_row, row_count, nullptr, data, length);
}

engine_error job_each_row(const csv_table* table, int32_t first_row, int32_t row_count, const job_options* options,
                          job_row_printer print, void* writer)
{
    int64_t end = (int64_t)first_row + row_count;
    if (end > table->rows) end = table->rows;
    for (int32_t row = first_row; row < end; row++) {
        int32_t labels = quantity_for_row(table, row, options, nullptr, 0);
        if (labels < 0) return ERR_INVALID;
        if (labels == 0) continue;
        engine_error error = print(writer, row, labels);
        if (error) return error;
    }
    return ERR_OK;
}

int64_t job_count_labels(const csv_table* table, int32_t first_row, int32_t row_count, const job_options* options)
{
    int64_t total = 0;
    return job_each_row(table, first_row, row_count, options, job_count_row, &total) ? -1 : total;
}
