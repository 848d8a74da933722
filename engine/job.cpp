// Jobs by printer language, written to streams or built in memory through the same byte sink,
// so that both give the same bytes and neither needs a temporary file.
#include "job.h"

#include <cstdlib>

#include "brother_ql.h"
#include "byte_buffer.h"
#include "catalog.h"
#include "dymo.h"
#include "quantity.h"
#include "tspl.h"
#include "zpl.h"

typedef engine_error (*job_writer)(const label_model*, const csv_table*, int32_t, int32_t, const job_options*,
                                   byte_sink*);

static engine_error job_write_sink(uint32_t language, const label_model* model, const csv_table* table,
                                   int32_t first_row, int32_t row_count, const job_options* options, byte_sink* sink)
{
    static const job_writer writers[] = {zpl_write_job, tspl_write_job, brother_ql_write_job, dymo_write_job};
    static_assert(PRINTER_LANG_ZPL == 0 && PRINTER_LANG_TSPL == 1 && PRINTER_LANG_BROTHER_QL == 2 &&
                  PRINTER_LANG_DYMO == 3);
    if (!model || !table || first_row < 0 || row_count < 0) return ERR_INVALID;
    if (language >= sizeof writers / sizeof writers[0]) return ERR_INVALID;
    engine_error error = writers[language](model, table, first_row, row_count, options, sink);
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
    byte_sink sink = byte_sink_buffer(&job);
    engine_error error = job_write_sink(language, model, table, first_row, row_count, options, &sink);
    if (error || job.length == 0) {
        byte_buffer_free(&job);
        return error;
    }
    // Hand back the growth slack too: a job can run to hundreds of megabytes.
    uint8_t* fitted = (uint8_t*)realloc(job.data, job.length);
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
