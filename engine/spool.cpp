// Job files, and sending jobs to queues through the platform's documents; what the platforms'
// queue listings share.
#include "spool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/file_io.h"

namespace {

// A job on its way to a queue, sent in pieces of a size the spooler handles well rather than
// in the writers' lines: the sink gathers them in `pending`.
struct spool_stream {
    spool_document* doc;
    char* msg;
    size_t msg_size;
    uint8_t pending[64 * 1024];
};

int spool_take(void* target, const void* bytes, size_t count)
{
    spool_stream* s = (spool_stream*)target;
    return spool_document_write(s->doc, bytes, count, s->msg, s->msg_size) == ERR_OK;
}

}  // namespace

engine_error job_save_file(const char* path, const void* data, size_t length)
{
    if (!path || (!data && length)) return ERR_INVALID;
    file_writing file;
    if (!file_write_begin(&file, path)) return ERR_IO;
    bool written = length == 0 || fwrite(data, 1, length, file.f) == length;
    return file_write_end(&file, written) ? ERR_OK : ERR_IO;
}

engine_error job_write_file(const char* path, uint32_t language, const label_model* model, const csv_table* table,
                            int32_t first_row, int32_t row_count, const job_options* options, size_t* length)
{
    if (!path || !length) return ERR_INVALID;
    *length = 0;
    file_writing file;
    if (!file_write_begin(&file, path)) return ERR_IO;
    // Large pieces, gathered by the sink with the C library's buffering off, so that a writer
    // can fill them in place and no byte is copied twice: a job can run to hundreds of megabytes.
    const size_t piece = 1 << 18;
    char* buffer = (char*)malloc(piece);
    byte_sink sink = byte_sink_stream(file.f);
    if (buffer) {
        setvbuf(file.f, nullptr, _IONBF, 0);
        byte_sink_stage(&sink, buffer, piece);
    }
    engine_error error = job_write_sink(language, model, table, first_row, row_count, options, &sink);
    if (!error && !byte_sink_flush(&sink)) error = ERR_IO;
    bool written = file_write_end(&file, error == ERR_OK);
    free(buffer);
    if (error) return error;
    *length = (size_t)sink.written;
    return written ? ERR_OK : ERR_IO;
}

engine_error spool_send_raw(const char* queue, const void* data, size_t length, char* msg, size_t msg_size)
{
    if (!queue || (!data && length)) return ERR_INVALID;
    engine_message_clear(msg, msg_size);
    spool_document* doc = nullptr;
    engine_error error = spool_document_start(queue, &doc, msg, msg_size);
    if (error) return error;
    error = length ? spool_document_write(doc, data, length, msg, msg_size) : ERR_OK;
    engine_error ended = spool_document_end(doc, error == ERR_OK, msg, msg_size);
    return error ? error : ended;
}

engine_error spool_send_job(const char* queue, uint32_t language, const label_model* model, const csv_table* table,
                            int32_t first_row, int32_t row_count, const job_options* options, size_t* length,
                            char* msg, size_t msg_size)
{
    if (!queue || !length) return ERR_INVALID;
    engine_message_clear(msg, msg_size);
    *length = 0;
    engine_error error = job_check(language, model, options, nullptr, 0);
    if (!error) error = job_check_rows(model, table, first_row, row_count, options);
    if (error) return error;
    spool_stream* s = (spool_stream*)malloc(sizeof *s);
    if (!s) return ERR_NOMEM;
    s->msg = msg;
    s->msg_size = msg_size;
    error = spool_document_start(queue, &s->doc, msg, msg_size);
    if (!error) {
        byte_sink sink = byte_sink_to(spool_take, s);
        byte_sink_stage(&sink, s->pending, sizeof s->pending);
        error = job_write_sink(language, model, table, first_row, row_count, options, &sink);
        if (!error && !byte_sink_flush(&sink)) error = ERR_IO;
        engine_error ended = spool_document_end(s->doc, error == ERR_OK, msg, msg_size);
        if (!error) error = ended;
        if (!error) *length = (size_t)sink.written;
    }
    free(s);
    return error;
}

void spool_copy_name(char* slot, const char* name)
{
    size_t n = strlen(name);
    if (n >= SPOOL_NAME_SIZE) {
        n = SPOOL_NAME_SIZE - 1;
        // Back off to the start of a UTF-8 character, so the slot never ends inside one.
        while (n > 0 && ((unsigned char)name[n] & 0xC0) == 0x80) n--;
    }
    memcpy(slot, name, n);
    slot[n] = '\0';
}
