// Parses arbitrary bytes as a spreadsheet and checks the table's promises.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    csv_table t = {};
    const char* text = (const char*)data;
    engine_error e = csv_parse(&t, text, size, nullptr, 0);
    // Only what is not UTF-8 text is refused (a table of this size never passes the cell limit).
    bool utf16 = size >= 2 && (memcmp(text, "\xFF\xFE", 2) == 0 || memcmp(text, "\xFE\xFF", 2) == 0);
    bool refused = utf16 || memchr(text, '\0', size) != nullptr;
    if (e != (refused ? ERR_FORMAT : ERR_OK)) abort();
    if (refused) {
        if (t.header || t.cells || t.strings) abort();
        return 0;
    }
    if (t.columns < 1 || t.rows < 0 || !t.header || (t.rows && !t.cells)) abort();
    for (int32_t c = 0; c < t.columns; c++)
        if (!t.header[c]) abort();
    size_t bytes = 0;
    for (int32_t r = 0; r < t.rows; r++)
        for (int32_t c = 0; c < t.columns; c++) {
            if (!t.cells[(size_t)r * (size_t)t.columns + (size_t)c]) abort();
            bytes += strlen(csv_cell(&t, r, c));
        }
    // Cells hold input bytes less quotes and separators; a cell never invents bytes.
    if (bytes > size) abort();
    csv_table_clear(&t);
    return 0;
}
