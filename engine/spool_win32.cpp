// Print queues through the Windows spooler's wide calls, so that queue names need not be in
// the ANSI code page. A job is one RAW document of one page, aborted unless it went in whole;
// failures are told in the system's own words.
#include "spool.h"

#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/wide_win32.h"

struct spool_document {
    HANDLE printer;
    char* queue;
};

namespace {

// The spooler's calls used here. Loading the spooler takes a good part of a program's start under
// Wine (it looks for the system's printers), so it is loaded at the first queue call rather than
// at every start of a program that may never print.
struct spooler_library {
    bool loaded;
    decltype(&EnumPrintersW) enum_printers;
    decltype(&OpenPrinterW) open_printer;
    decltype(&GetPrinterW) get_printer;
    decltype(&ClosePrinter) close_printer;
    decltype(&StartDocPrinterW) start_doc;
    decltype(&StartPagePrinter) start_page;
    decltype(&WritePrinter) write_printer;
    decltype(&EndPagePrinter) end_page;
    decltype(&EndDocPrinter) end_doc;
    decltype(&AbortPrinter) abort_printer;
};

template <typename F>
bool spooler_bind(HMODULE library, const char* name, F* out)
{
    // The detour through void (*)() is the one cast between function types compilers accept.
    *out = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
    return *out != nullptr;
}

const spooler_library* spooler()
{
    static const spooler_library loaded = [] {
        spooler_library s = {};
        HMODULE library = LoadLibraryW(L"winspool.drv");
        s.loaded = library && spooler_bind(library, "EnumPrintersW", &s.enum_printers) &&
                   spooler_bind(library, "OpenPrinterW", &s.open_printer) &&
                   spooler_bind(library, "GetPrinterW", &s.get_printer) &&
                   spooler_bind(library, "ClosePrinter", &s.close_printer) &&
                   spooler_bind(library, "StartDocPrinterW", &s.start_doc) &&
                   spooler_bind(library, "StartPagePrinter", &s.start_page) &&
                   spooler_bind(library, "WritePrinter", &s.write_printer) &&
                   spooler_bind(library, "EndPagePrinter", &s.end_page) &&
                   spooler_bind(library, "EndDocPrinter", &s.end_doc) &&
                   spooler_bind(library, "AbortPrinter", &s.abort_printer);
        return s;
    }();
    return &loaded;
}

// Every listed queue, local or connected; NULL (free() it) when there is none or no list.
PRINTER_INFO_2W* spool_enum_printers(DWORD* count)
{
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0;
    *count = 0;
    spooler()->enum_printers(flags, nullptr, 2, nullptr, 0, &needed, count);
    if (needed == 0) return nullptr;
    BYTE* block = (BYTE*)malloc(needed);
    if (block && spooler()->enum_printers(flags, nullptr, 2, block, needed, &needed, count))
        return (PRINTER_INFO_2W*)block;
    free(block);
    *count = 0;
    return nullptr;
}

// The system's words for an error code, without the closing full stop and line end.
void spool_words(DWORD code, char* out, size_t size)
{
    wchar_t text[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text / sizeof text[0], nullptr);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ' || text[n - 1] == L'.')) n--;
    text[n] = L'\0';
    char* words = n > 0 ? utf8_from_wide(text) : nullptr;
    if (words) snprintf(out, size, "%s", words);
    else snprintf(out, size, "error %lu", (unsigned long)code);
    free(words);
}

// A failed step, with the system's reason, in the words the engine uses for every spooler.
engine_error spool_failure(const char* queue, const char* step, DWORD code, char* msg, size_t msg_size)
{
    char words[256];
    spool_words(code, words, sizeof words);
    switch (code) {
    case ERROR_INVALID_PRINTER_NAME:
    case ERROR_PRINTER_NOT_FOUND:
        engine_message(msg, msg_size, "there is no print queue named %s", queue);
        break;
    case RPC_S_SERVER_UNAVAILABLE:
    case RPC_S_SERVER_TOO_BUSY:
    case ERROR_SERVICE_NOT_ACTIVE:
        engine_message(msg, msg_size, "the print system cannot be reached: %s", words);
        break;
    default:
        // Starting and ending the document are where a queue takes a job or turns it away.
        if (strcmp(step, "StartDocPrinter") == 0 || strcmp(step, "EndDocPrinter") == 0)
            engine_message(msg, msg_size, "the queue %s does not accept jobs: %s", queue, words);
        else
            engine_message(msg, msg_size, "%s failed: %s", step, words);
        break;
    }
    return ERR_IO;
}

// The queue opened by UTF-8 name; NULL with the system's error in *code.
HANDLE spool_open(const char* queue, DWORD* code)
{
    wchar_t* wide = wide_from_utf8(queue);
    HANDLE printer = nullptr;
    BOOL opened = wide && spooler()->open_printer(wide, &printer, nullptr);
    *code = wide ? GetLastError() : ERROR_INVALID_PRINTER_NAME;
    free(wide);
    return opened ? printer : nullptr;
}

void spool_release(spool_document* doc)
{
    spooler()->close_printer(doc->printer);
    free(doc->queue);
    free(doc);
}

}  // namespace

int spool_list_queues(char (*names)[SPOOL_NAME_SIZE], int max)
{
    if (!names || max <= 0 || !spooler()->loaded) return 0;
    DWORD count = 0;
    PRINTER_INFO_2W* printers = spool_enum_printers(&count);
    int filled = 0;
    for (DWORD i = 0; i < count && filled < max; i++) {
        if (!printers[i].pPrinterName) continue;
        char* name = utf8_from_wide(printers[i].pPrinterName);
        if (name) spool_copy_name(names[filled++], name);
        free(name);
    }
    free(printers);
    return filled;
}

int spool_queue_paused(const char* queue)
{
    DWORD code = 0;
    HANDLE printer = queue && spooler()->loaded ? spool_open(queue, &code) : nullptr;
    if (!printer) return 0;
    DWORD needed = 0;
    spooler()->get_printer(printer, 2, nullptr, 0, &needed);
    PRINTER_INFO_2W* info = needed ? (PRINTER_INFO_2W*)malloc(needed) : nullptr;
    int paused = info && spooler()->get_printer(printer, 2, (BYTE*)info, needed, &needed) &&
                 (info->Status & PRINTER_STATUS_PAUSED) != 0;
    free(info);
    spooler()->close_printer(printer);
    return paused;
}

engine_error spool_document_start(const char* queue, spool_document** out, char* msg, size_t msg_size)
{
    *out = nullptr;
    if (!spooler()->loaded) {
        engine_message(msg, msg_size, "the print system cannot be reached: winspool.drv cannot be loaded");
        return ERR_IO;
    }
    DWORD code = 0;
    HANDLE printer = spool_open(queue, &code);
    if (!printer) return spool_failure(queue, "OpenPrinter", code, msg, msg_size);
    spool_document* doc = (spool_document*)calloc(1, sizeof *doc);
    if (!doc || !(doc->queue = _strdup(queue))) {
        free(doc);
        spooler()->close_printer(printer);
        return ERR_NOMEM;
    }
    doc->printer = printer;
    DOC_INFO_1W info = {(LPWSTR)L"Tagmoor label", nullptr, (LPWSTR)L"RAW"};
    if (spooler()->start_doc(printer, 1, (BYTE*)&info) == 0) {
        spool_failure(queue, "StartDocPrinter", GetLastError(), msg, msg_size);
        spool_release(doc);
        return ERR_IO;
    }
    if (!spooler()->start_page(printer)) {
        spool_failure(queue, "StartPagePrinter", GetLastError(), msg, msg_size);
        spooler()->abort_printer(printer);
        spool_release(doc);
        return ERR_IO;
    }
    *out = doc;
    return ERR_OK;
}

engine_error spool_document_write(spool_document* doc, const void* data, size_t length, char* msg, size_t msg_size)
{
    // WritePrinter may take less than it is given, and a DWORD cannot count every size_t.
    const uint8_t* bytes = (const uint8_t*)data;
    for (size_t sent = 0; sent < length;) {
        DWORD piece = length - sent < 0x40000000 ? (DWORD)(length - sent) : 0x40000000;
        DWORD written = 0;
        if (!spooler()->write_printer(doc->printer, (void*)(bytes + sent), piece, &written) || written == 0)
            return spool_failure(doc->queue, "WritePrinter", GetLastError(), msg, msg_size);
        sent += written;
    }
    return ERR_OK;
}

engine_error spool_document_end(spool_document* doc, bool complete, char* msg, size_t msg_size)
{
    engine_error result = ERR_OK;
    if (complete && !spooler()->end_page(doc->printer))
        result = spool_failure(doc->queue, "EndPagePrinter", GetLastError(), msg, msg_size);
    else if (complete && !spooler()->end_doc(doc->printer))
        result = spool_failure(doc->queue, "EndDocPrinter", GetLastError(), msg, msg_size);
    // A document that is not whole is aborted, so that no part of it prints.
    if (!complete || result) spooler()->abort_printer(doc->printer);
    spool_release(doc);
    return result;
}
