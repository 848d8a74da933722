// Print queues through CUPS: the scheduler's own queues, and RAW jobs sent to them in pieces.
// The scheduler is the one libcups finds (CUPS_SERVER, client.conf or the local default).
#include "spool.h"

#include <cups/cups.h>

#include <cstdint>

namespace {

struct spool_listing {
    char (*names)[SPOOL_NAME_SIZE];
    int max;
    int count;
};

int spool_collect(void* user_data, unsigned flags, cups_dest_t* dest)
{
    spool_listing* listing = (spool_listing*)user_data;
    // An instance is a saved set of options on a queue, not a queue of its own.
    if (!(flags & CUPS_DEST_FLAGS_REMOVED) && !dest->instance)
        spool_copy_name(listing->names[listing->count++], dest->name);
    return listing->count < listing->max;
}

// Sends the document body of a started job; 0 with *sent bytes taken on failure.
bool spool_write_body(const uint8_t* data, size_t length, size_t* sent)
{
    const size_t piece = 64 * 1024;
    for (*sent = 0; *sent < length;) {
        size_t n = length - *sent < piece ? length - *sent : piece;
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, (const char*)data + *sent, n) != HTTP_STATUS_CONTINUE) return false;
        *sent += n;
    }
    return true;
}

// Sends the body of job `job` and closes the document; on failure the job is cancelled, so
// that no part of it prints.
engine_error spool_send_document(const char* queue, int job, const uint8_t* data, size_t length, char* msg,
                                 size_t msg_size)
{
    size_t sent = 0;
    if (!spool_write_body(data, length, &sent)) {
        engine_message(msg, msg_size, "cupsWriteRequestData wrote %zu of %zu: %s", sent, length, cupsLastErrorString());
        cupsFinishDocument(CUPS_HTTP_DEFAULT, queue);
    } else if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue) > IPP_STATUS_OK_CONFLICTING) {
        engine_message(msg, msg_size, "cupsFinishDocument failed: %s", cupsLastErrorString());
    } else {
        return ERR_OK;
    }
    cupsCancelJob2(CUPS_HTTP_DEFAULT, queue, job, 0);
    return ERR_IO;
}

}  // namespace

int spool_list_queues(char (*names)[SPOOL_NAME_SIZE], int max)
{
    if (!names || max <= 0) return 0;
    spool_listing listing = {names, max, 0};
    // Printers merely discovered on the network are left out: they are not queues until made so.
    cupsEnumDests(CUPS_DEST_FLAGS_NONE, 1000, nullptr, 0, CUPS_PRINTER_DISCOVERED, spool_collect, &listing);
    return listing.count;
}

engine_error spool_send_raw(const char* queue, const void* data, size_t length, char* msg, size_t msg_size)
{
    if (!queue || (!data && length)) return ERR_INVALID;
    engine_message_clear(msg, msg_size);
    static const char title[] = "Tagmoor label";
    int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue, title, 0, nullptr);
    if (job == 0) {
        engine_message(msg, msg_size, "cupsCreateJob(%s) failed: %s", queue, cupsLastErrorString());
        return ERR_IO;
    }
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue, job, title, CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
        engine_message(msg, msg_size, "cupsStartDocument failed: %s", cupsLastErrorString());
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue, job, 0);
        return ERR_IO;
    }
    return spool_send_document(queue, job, (const uint8_t*)data, length, msg, msg_size);
}
