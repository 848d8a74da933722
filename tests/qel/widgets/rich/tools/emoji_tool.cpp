// Answers for comparison with another shaper. "emoji_tool FONT FILE" reads one emoji sequence a
// line from FILE as hexadecimal code points and prints 1 when the font draws it, else 0.
// "emoji_tool FONT --catalogue" prints the names of the catalogue entries the font cannot draw,
// one a line. "emoji_tool FONT --raster SIZE CODE-POINTS..." prints the emoji's SIZE x SIZE
// straight RGBA pixels in hexadecimal, a row a line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qel/context.h"
#include "qel/emoji.h"
#include "qel/emoji_picker.h"
#include "qel/frame.h"
#include "widgets/rich/emoji_catalogue.h"

namespace {

std::string utf8_of(const char* line)
{
    std::string out;
    char* end = nullptr;
    for (const char* p = line;; p = end) {
        unsigned long cp = strtoul(p, &end, 16);
        if (end == p) break;
        if (cp < 0x80) {
            out += (char)cp;
        } else if (cp < 0x800) {
            out += (char)(0xC0 | cp >> 6), out += (char)(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += (char)(0xE0 | cp >> 12), out += (char)(0x80 | (cp >> 6 & 0x3F)), out += (char)(0x80 | (cp & 0x3F));
        } else {
            out += (char)(0xF0 | cp >> 18), out += (char)(0x80 | (cp >> 12 & 0x3F));
            out += (char)(0x80 | (cp >> 6 & 0x3F)), out += (char)(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

void hidden_entries(qel_context* ctx)
{
    qel_begin_frame(ctx, 1.0f / 60);
    qel_emoji_picker(ctx, "emoji", nullptr);
    qel_end_frame(ctx);
    const qel_emoji_state* st = qel_emoji_state_of(ctx);
    for (int32_t i = 0; i < st->entry_count; i++)
        if (!st->renderable[i]) printf("%.*s\n", st->entries[i].name_length, st->catalogue + st->entries[i].name);
}

int raster(qel_context* ctx, int argc, char** argv)
{
    int32_t p = atoi(argv[3]), c = p + 2;
    std::string codes;
    for (int i = 4; i < argc; i++) codes += std::string(argv[i]) + " ";
    std::string text = utf8_of(codes.c_str());
    std::string rgba((size_t)c * c * 4, '\0');
    uint8_t tint = 0;
    if (p < 8 || p > 254 ||
        !qel_emoji_rasterise(ctx, qel_emoji_state_of(ctx), text.c_str(), (int32_t)text.size(), p, c,
                             (uint8_t*)rgba.data(), &tint))
        return 1;
    for (int32_t y = 0; y < p; y++) {
        for (int32_t x = 0; x < p * 4; x++) printf("%02x", (uint8_t)rgba[((size_t)(y + 1) * c + 1) * 4 + x]);
        putchar('\n');
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    bool rastering = argc >= 5 && strcmp(argv[2], "--raster") == 0;
    if (argc != 3 && !rastering) {
        fprintf(stderr, "usage: emoji_tool FONT FILE|--catalogue|--raster SIZE CODE-POINTS...\n");
        return 2;
    }
    qel_context* ctx = qel_ctx_create(nullptr);
    if (!qel_emoji_font_from_file(ctx, argv[1])) {
        fprintf(stderr, "emoji_tool: cannot use %s\n", argv[1]);
        return 2;
    }
    if (rastering) {
        int status = raster(ctx, argc, argv);
        qel_ctx_destroy(ctx);
        return status;
    }
    if (strcmp(argv[2], "--catalogue") == 0) {
        hidden_entries(ctx);
        qel_ctx_destroy(ctx);
        return 0;
    }
    FILE* in = fopen(argv[2], "r");
    if (!in) {
        fprintf(stderr, "emoji_tool: cannot open %s\n", argv[2]);
        return 2;
    }
    char line[512];
    while (fgets(line, sizeof line, in)) printf("%d\n", qel_emoji_can_render(ctx, utf8_of(line).c_str(), -1) ? 1 : 0);
    fclose(in);
    qel_ctx_destroy(ctx);
    return 0;
}
