// Reads the length trailer of an embedded font record; the records themselves are generated.
#include "text/embedded_fonts.h"

static uint32_t qel_read_u32_le(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

bool qel_embedded_font(int32_t role, const uint8_t** stream, uint32_t* compressed, uint32_t* inflated)
{
    if (role < 0 || role >= QEL_EMBEDDED_FONT_COUNT) return false;
    const qel_font_record& r = qel_embedded_font_records[role];
    if (r.size < 8) return false;
    *compressed = qel_read_u32_le(r.bytes + r.size - 8);
    *inflated = qel_read_u32_le(r.bytes + r.size - 4);
    *stream = r.bytes;
    return *compressed <= r.size - 8;
}
