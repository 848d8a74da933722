// Parses arbitrary bytes as a spreadsheet and checks the table's promises.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    csv_table t = {};
    if (csv_parse(&t, (const char*)data, size, nullptr, 0) != ERR_OK) abort();
    if (t.columns < 1 || t.rows < 0 || !t.header) abort();
    for (int32_t c = 0; c < t.columns; c++)
        if (!t.header[c]) abort();
    size_t bytes = 0;
    for (int32_t r = 0; r < t.rows; r++)
        for (int32_t c = 0; c < t.columns; c++) bytes += strlen(csv_cell(&t, r, c));
    // Cells hold input bytes less quotes and separators; a cell never invents bytes.
    if (bytes > size) abort();
    csv_table_clear(&t);
    return 0;
}
