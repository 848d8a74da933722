// Print queues through the Windows spooler's wide calls, so that queue names need not be in
// the ANSI code page. A job is one RAW document of one page, aborted unless it went in whole.
#include "spool.h"

#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <cstdlib>

#include "files/wide_win32.h"

namespace {

// Every listed queue, local or connected; NULL (free() it) when there is none or no list.
PRINTER_INFO_2W* spool_enum_printers(DWORD* count)
{
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0;
    *count = 0;
    EnumPrintersW(flags, nullptr, 2, nullptr, 0, &needed, count);
    if (needed == 0) return nullptr;
    BYTE* block = (BYTE*)malloc(needed);
    if (block && EnumPrintersW(flags, nullptr, 2, block, needed, &needed, count)) return (PRINTER_INFO_2W*)block;
    free(block);
    *count = 0;
    return nullptr;
}

// Fails the started document: it is aborted, so nothing of it prints.
engine_error spool_abort(HANDLE printer, char* msg, size_t msg_size, const char* call)
{
    engine_message(msg, msg_size, "%s failed: %lu", call, (unsigned long)GetLastError());
    AbortPrinter(printer);
    return ERR_IO;
}

// Writes the document of an open printer: every byte, or an aborted document.
engine_error spool_write_document(HANDLE printer, const uint8_t* data, size_t length, char* msg, size_t msg_size)
{
    DOC_INFO_1W doc = {(LPWSTR)L"Tagmoor label", nullptr, (LPWSTR)L"RAW"};
    if (StartDocPrinterW(printer, 1, (BYTE*)&doc) == 0) {
        engine_message(msg, msg_size, "StartDocPrinter failed: %lu", (unsigned long)GetLastError());
        return ERR_IO;
    }
    if (!StartPagePrinter(printer)) return spool_abort(printer, msg, msg_size, "StartPagePrinter");
    // WritePrinter may take less than it is given, and a DWORD cannot count every size_t.
    for (size_t sent = 0; sent < length;) {
        DWORD piece = length - sent < 0x40000000 ? (DWORD)(length - sent) : 0x40000000;
        DWORD written = 0;
        if (!WritePrinter(printer, (void*)(data + sent), piece, &written) || written == 0) {
            engine_message(msg, msg_size, "WritePrinter wrote %zu of %zu: %lu", sent, length,
                           (unsigned long)GetLastError());
            AbortPrinter(printer);
            return ERR_IO;
        }
        sent += written;
    }
    if (!EndPagePrinter(printer)) return spool_abort(printer, msg, msg_size, "EndPagePrinter");
    if (!EndDocPrinter(printer)) {
        engine_message(msg, msg_size, "EndDocPrinter failed: %lu", (unsigned long)GetLastError());
        return ERR_IO;
    }
    return ERR_OK;
}

}  // namespace

int spool_list_queues(char (*names)[SPOOL_NAME_SIZE], int max)
{
    if (!names || max <= 0) return 0;
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

engine_error spool_send_raw(const char* queue, const void* data, size_t length, char* msg, size_t msg_size)
{
    if (!queue || (!data && length)) return ERR_INVALID;
    engine_message_clear(msg, msg_size);
    wchar_t* wide_queue = wide_from_utf8(queue);
    HANDLE printer = nullptr;
    BOOL opened = wide_queue && OpenPrinterW(wide_queue, &printer, nullptr);
    DWORD error = GetLastError();
    free(wide_queue);
    if (!opened) {
        engine_message(msg, msg_size, "OpenPrinter(%s) failed: %lu", queue, (unsigned long)error);
        return ERR_IO;
    }
    engine_error result = spool_write_document(printer, (const uint8_t*)data, length, msg, msg_size);
    ClosePrinter(printer);
    return result;
}
