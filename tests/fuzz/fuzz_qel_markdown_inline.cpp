// Parses random text as Markdown inline syntax, streaming or not: every span lies in the text or
// is a constant, styles and links are in range, and breaks are empty.
//
// Input: one byte choosing streaming, then the text.
#include <cstdlib>
#include <cstring>

#include "qel/qel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static qel_context* ctx = qel_ctx_create(nullptr);
    if (size < 1) return 0;
    qel_begin_frame(ctx, 1.0f / 60);
    const char* text = (const char*)data + 1;
    int32_t length = (int32_t)size - 1;
    qel_markdown_inline_result r = qel_markdown_inline(ctx, text, length, data[0] & 1);
    for (int32_t i = 0; i < r.span_count; i++) {
        const qel_markdown_span& s = r.spans[i];
        if (s.length < 0 || s.link < -1 || s.link >= r.link_count || s.style > 31) abort();
        if ((s.style & QEL_MD_BREAK) && (s.length != 0 || s.link != -1)) abort();
        bool inside = s.text >= text && s.text + s.length <= text + length;
        if (s.length > 0 && !inside && s.length > 2) abort();
    }
    for (int32_t i = 0; i < r.link_count; i++) {
        const qel_markdown_link& l = r.links[i];
        if (l.url && (l.url < text || l.url + l.length > text + length || l.length < 0)) abort();
    }
    qel_end_frame(ctx);
    return 0;
}
