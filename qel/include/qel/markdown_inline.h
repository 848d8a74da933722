// The Markdown inline parser: one paragraph, heading or table cell turned into a flat list of
// styled spans and a list of links. Escapes, code spans, emphasis and strong emphasis with the
// flanking rules and the rule of three, inline links and images, "~~" strikethrough, bare and
// angle-bracket URLs, six entities and the line-break tag; raw HTML, reference links and
// footnotes stay literal text. A streaming text shows its unfinished end as if finished, or hides
// it. Nothing fails: syntax that does not complete is text.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

enum qel_markdown_style : uint8_t {
    QEL_MD_STRONG = 1,
    QEL_MD_EMPHASIS = 2,
    QEL_MD_STRIKE = 4,
    QEL_MD_CODE = 8,
    QEL_MD_BREAK = 16,  // a hard break: length 0, no link
};

// A styled piece of text; text points into the source or into a constant.
struct qel_markdown_span {
    const char* text;
    int32_t length;
    uint8_t style;  // qel_markdown_style bits
    int32_t link;   // index into the links; -1 none
};

struct qel_markdown_link {
    const char* url;  // into the source; null for an inactive link
    int32_t length;
    uint8_t www;       // opened with "http://" in front
    uint8_t inactive;  // unfinished while streaming: drawn as a link, not interactive
    uint8_t autolink;  // a bare or angle-bracket URL: no tooltip
};

// Everything in the frame arena.
struct qel_markdown_inline_result {
    qel_markdown_span* spans;
    int32_t span_count;
    qel_markdown_link* links;
    int32_t link_count;
};

// --- Parsing ---

// Parses length bytes of text; a length of 0 or less gives an empty result. Linear in the text:
// scans that fail remember where they ran out, so later ones stop there.
qel_markdown_inline_result qel_markdown_inline(qel_context* ctx, const char* text, int32_t length, bool streaming);
