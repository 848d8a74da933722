// Print queues through CUPS: the scheduler's own queues, and RAW jobs sent to them in pieces.
// The scheduler is the one libcups finds (CUPS_SERVER, client.conf or the local default).
#include "spool.h"

#include <cups/cups.h>
#include <dlfcn.h>

#include <cstdint>

namespace {

// The library calls used here. libcups brings some thirty libraries with it, so it is loaded at
// the first queue call rather than at every start of a program that may never print.
struct cups_library {
    const char* error;  // why it could not be loaded; NULL when loaded
    decltype(&cupsEnumDests) enum_dests;
    decltype(&cupsCreateJob) create_job;
    decltype(&cupsStartDocument) start_document;
    decltype(&cupsWriteRequestData) write_request_data;
    decltype(&cupsFinishDocument) finish_document;
    decltype(&cupsCancelJob2) cancel_job;
    decltype(&cupsLastErrorString) last_error;
};

template <typename F>
bool cups_bind(void* library, const char* name, F* out)
{
    *out = (F)dlsym(library, name);
    return *out != nullptr;
}

const cups_library* cups()
{
    static const cups_library loaded = [] {
        cups_library c = {};
        void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        bool ok = library && cups_bind(library, "cupsEnumDests", &c.enum_dests) &&
                  cups_bind(library, "cupsCreateJob", &c.create_job) &&
                  cups_bind(library, "cupsStartDocument", &c.start_document) &&
                  cups_bind(library, "cupsWriteRequestData", &c.write_request_data) &&
                  cups_bind(library, "cupsFinishDocument", &c.finish_document) &&
                  cups_bind(library, "cupsCancelJob2", &c.cancel_job) &&
                  cups_bind(library, "cupsLastErrorString", &c.last_error);
        if (!ok) c.error = dlerror();
        if (!ok && !c.error) c.error = "libcups.so.2 is incomplete";
        return c;
    }();
    return &loaded;
}

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
        if (cups()->write_request_data(CUPS_HTTP_DEFAULT, (const char*)data + *sent, n) != HTTP_STATUS_CONTINUE) return false;
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
        engine_message(msg, msg_size, "cupsWriteRequestData wrote %zu of %zu: %s", sent, length, cups()->last_error());
        cups()->finish_document(CUPS_HTTP_DEFAULT, queue);
    } else if (cups()->finish_document(CUPS_HTTP_DEFAULT, queue) > IPP_STATUS_OK_CONFLICTING) {
        engine_message(msg, msg_size, "cupsFinishDocument failed: %s", cups()->last_error());
    } else {
        return ERR_OK;
    }
    cups()->cancel_job(CUPS_HTTP_DEFAULT, queue, job, 0);
    return ERR_IO;
}

}  // namespace

int spool_list_queues(char (*names)[SPOOL_NAME_SIZE], int max)
{
    if (!names || max <= 0 || cups()->error) return 0;
    spool_listing listing = {names, max, 0};
    // Printers merely discovered on the network are left out: they are not queues until made so.
    cups()->enum_dests(CUPS_DEST_FLAGS_NONE, 1000, nullptr, 0, CUPS_PRINTER_DISCOVERED, spool_collect, &listing);
    return listing.count;
}

engine_error spool_send_raw(const char* queue, const void* data, size_t length, char* msg, size_t msg_size)
{
    if (!queue || (!data && length)) return ERR_INVALID;
    engine_message_clear(msg, msg_size);
    if (cups()->error) {
        engine_message(msg, msg_size, "cannot load CUPS: %s", cups()->error);
        return ERR_IO;
    }
    static const char title[] = "Tagmoor label";
    int job = cups()->create_job(CUPS_HTTP_DEFAULT, queue, title, 0, nullptr);
    if (job == 0) {
        engine_message(msg, msg_size, "cupsCreateJob(%s) failed: %s", queue, cups()->last_error());
        return ERR_IO;
    }
    if (cups()->start_document(CUPS_HTTP_DEFAULT, queue, job, title, CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
        engine_message(msg, msg_size, "cupsStartDocument failed: %s", cups()->last_error());
        cups()->cancel_job(CUPS_HTTP_DEFAULT, queue, job, 0);
        return ERR_IO;
    }
    return spool_send_document(queue, job, (const uint8_t*)data, length, msg, msg_size);
}
