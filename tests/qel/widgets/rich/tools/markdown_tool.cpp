// Parses Markdown inline texts for the oracles. Reads a file of records "LENGTH\n" followed by
// that many bytes and prints for each the number of spans, then one line per span: its style
// bits, its text in hexadecimal and its link's URL in hexadecimal ("-" for none, "?" for an
// inactive link). Empty texts and URLs are written as ".".
#include <cstdio>
#include <vector>

#include "qel/qel.h"

namespace {

void print_hex(const char* bytes, int32_t length)
{
    if (length <= 0) putchar('.');
    for (int32_t i = 0; i < length; i++) printf("%02x", (uint8_t)bytes[i]);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: markdown_tool FILE\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    qel_context* ctx = qel_ctx_create(nullptr);
    if (!in || !ctx) return 2;
    long length = 0;
    while (fscanf(in, "%ld", &length) == 1 && fgetc(in) == '\n') {
        std::vector<char> text((size_t)length + 1);
        if (fread(text.data(), 1, (size_t)length, in) != (size_t)length) return 2;
        qel_begin_frame(ctx, 1.0f / 60);
        qel_markdown_inline_result r = qel_markdown_inline(ctx, text.data(), (int32_t)length, false);
        printf("%d\n", r.span_count);
        for (int32_t i = 0; i < r.span_count; i++) {
            const qel_markdown_span& s = r.spans[i];
            printf("%d ", s.style);
            print_hex(s.text, s.length);
            putchar(' ');
            if (s.link < 0) putchar('-');
            else if (!r.links[s.link].url) putchar('?');
            else print_hex(r.links[s.link].url, r.links[s.link].length);
            putchar('\n');
        }
        qel_end_frame(ctx);
    }
    fclose(in);
    qel_ctx_destroy(ctx);
    return 0;
}
