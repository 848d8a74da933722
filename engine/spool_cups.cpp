// Print queues through CUPS: the scheduler's own queues, and RAW documents sent to them in
// pieces. The scheduler is the one libcups finds (CUPS_SERVER, client.conf or the local default).
#include "spool.h"

#include <cups/cups.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct spool_document {
    char* queue;
    int job;
};

namespace {

// The library calls used here. libcups brings some thirty libraries with it, so it is loaded at
// the first queue call rather than at every start of a program that may never print.
struct cups_library {
    const char* error;  // why it could not be loaded; NULL when loaded
    decltype(&cupsEnumDests) enum_dests;
    decltype(&cupsGetNamedDest) get_named_dest;
    decltype(&cupsGetOption) get_option;
    decltype(&cupsFreeDests) free_dests;
    decltype(&cupsCreateJob) create_job;
    decltype(&cupsStartDocument) start_document;
    decltype(&cupsWriteRequestData) write_request_data;
    decltype(&cupsFinishDocument) finish_document;
    decltype(&cupsCancelJob2) cancel_job;
    decltype(&cupsLastError) last_error;
    decltype(&cupsLastErrorString) last_error_string;
    decltype(&cupsServer) server;
    decltype(&ippPort) port;
    decltype(&cupsEncryption) encryption;
    decltype(&httpConnect2) connect;
    decltype(&httpClose) close;
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
                  cups_bind(library, "cupsGetNamedDest", &c.get_named_dest) &&
                  cups_bind(library, "cupsGetOption", &c.get_option) &&
                  cups_bind(library, "cupsFreeDests", &c.free_dests) &&
                  cups_bind(library, "cupsCreateJob", &c.create_job) &&
                  cups_bind(library, "cupsStartDocument", &c.start_document) &&
                  cups_bind(library, "cupsWriteRequestData", &c.write_request_data) &&
                  cups_bind(library, "cupsFinishDocument", &c.finish_document) &&
                  cups_bind(library, "cupsCancelJob2", &c.cancel_job) &&
                  cups_bind(library, "cupsLastError", &c.last_error) &&
                  cups_bind(library, "cupsLastErrorString", &c.last_error_string) &&
                  cups_bind(library, "cupsServer", &c.server) && cups_bind(library, "ippPort", &c.port) &&
                  cups_bind(library, "cupsEncryption", &c.encryption) &&
                  cups_bind(library, "httpConnect2", &c.connect) && cups_bind(library, "httpClose", &c.close);
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

bool scheduler_reachable()
{
    http_t* http = cups()->connect(cups()->server(), cups()->port(), nullptr, AF_UNSPEC, cups()->encryption(), 1, 5000,
                                   nullptr);
    if (http) cups()->close(http);
    return http != nullptr;
}

bool queue_exists(const char* queue)
{
    cups_dest_t* dest = cups()->get_named_dest(CUPS_HTTP_DEFAULT, queue, nullptr);
    if (dest) cups()->free_dests(1, dest);
    return dest != nullptr;
}

// The scheduler's last failure in the words the engine uses for every spooler. libcups gives
// one internal error for a scheduler it cannot reach and a queue that is not there, so the
// scheduler is asked which it was.
engine_error spool_failure(const char* queue, const char* step, char* msg, size_t msg_size)
{
    const ipp_status_t status = cups()->last_error();
    char words[192];
    snprintf(words, sizeof words, "%s", cups()->last_error_string());
    if (status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS)
        engine_message(msg, msg_size, "the queue %s does not accept jobs: %s", queue, words);
    else if (!scheduler_reachable())
        engine_message(msg, msg_size, "the print system cannot be reached at %s: %s", cups()->server(), words);
    else if (!queue_exists(queue))
        engine_message(msg, msg_size, "there is no print queue named %s", queue);
    else
        engine_message(msg, msg_size, "%s failed: %s", step, words);
    return ERR_IO;
}

void spool_release(spool_document* doc)
{
    free(doc->queue);
    free(doc);
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

int spool_queue_paused(const char* queue)
{
    if (!queue || cups()->error) return 0;
    cups_dest_t* dest = cups()->get_named_dest(CUPS_HTTP_DEFAULT, queue, nullptr);
    if (!dest) return 0;
    const char* state = cups()->get_option("printer-state", dest->num_options, dest->options);
    int paused = state && strcmp(state, "5") == 0;  // IPP's "stopped"
    cups()->free_dests(1, dest);
    return paused;
}

engine_error spool_document_start(const char* queue, spool_document** out, char* msg, size_t msg_size)
{
    *out = nullptr;
    if (cups()->error) {
        engine_message(msg, msg_size, "the print system cannot be reached: cannot load CUPS: %s", cups()->error);
        return ERR_IO;
    }
    spool_document* doc = (spool_document*)calloc(1, sizeof *doc);
    if (!doc || !(doc->queue = strdup(queue))) {
        free(doc);
        return ERR_NOMEM;
    }
    static const char title[] = "Tagmoor label";
    doc->job = cups()->create_job(CUPS_HTTP_DEFAULT, queue, title, 0, nullptr);
    if (doc->job == 0) {
        spool_release(doc);
        return spool_failure(queue, "cupsCreateJob", msg, msg_size);
    }
    if (cups()->start_document(CUPS_HTTP_DEFAULT, queue, doc->job, title, CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
        spool_failure(queue, "cupsStartDocument", msg, msg_size);
        cups()->cancel_job(CUPS_HTTP_DEFAULT, queue, doc->job, 0);
        spool_release(doc);
        return ERR_IO;
    }
    *out = doc;
    return ERR_OK;
}

engine_error spool_document_write(spool_document* doc, const void* data, size_t length, char* msg, size_t msg_size)
{
    const size_t piece = 64 * 1024;
    for (size_t sent = 0; sent < length;) {
        size_t n = length - sent < piece ? length - sent : piece;
        if (cups()->write_request_data(CUPS_HTTP_DEFAULT, (const char*)data + sent, n) != HTTP_STATUS_CONTINUE)
            return spool_failure(doc->queue, "cupsWriteRequestData", msg, msg_size);
        sent += n;
    }
    return ERR_OK;
}

engine_error spool_document_end(spool_document* doc, bool complete, char* msg, size_t msg_size)
{
    engine_error result = ERR_OK;
    if (cups()->finish_document(CUPS_HTTP_DEFAULT, doc->queue) > IPP_STATUS_OK_CONFLICTING && complete)
        result = spool_failure(doc->queue, "cupsFinishDocument", msg, msg_size);
    // A document that is not whole is cancelled, so that no part of it prints.
    if (!complete || result) cups()->cancel_job(CUPS_HTTP_DEFAULT, doc->queue, doc->job, 0);
    spool_release(doc);
    return result;
}
