// Shapes runs for comparison with another shaper. "shape_tool FONT FILE" reads one run a line
// from FILE: a script tag, the right-to-left and tabular-figures flags (0 or 1) and hexadecimal
// code points. For each it prints "-1" or the glyphs as "glyph,cluster,advance,x offset,y offset"
// separated by spaces, the cluster being the code point's index in the line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qel/shaper.h"

namespace {

bool read_file(const char* path, std::vector<uint8_t>* out)
{
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    uint8_t buffer[1 << 16];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) out->insert(out->end(), buffer, buffer + n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

void shape_line(const qel_shaper* shaper, char* line, std::vector<qel_shaped_glyph>* glyphs)
{
    char* p = line;
    while (*p == ' ') p++;
    uint32_t script = (uint32_t)(uint8_t)p[0] << 24 | (uint32_t)(uint8_t)p[1] << 16 | (uint32_t)(uint8_t)p[2] << 8 |
                      (uint8_t)p[3];
    p += 4;
    int rtl = (int)strtol(p, &p, 10), tabular = (int)strtol(p, &p, 10);
    glyphs->clear();
    for (;;) {
        char* end;
        unsigned long cp = strtoul(p, &end, 16);
        if (end == p) break;
        qel_shaped_glyph g = {};
        g.code_point = (uint32_t)cp;
        g.cluster = (uint32_t)glyphs->size();
        glyphs->push_back(g);
        p = end;
    }
    int count = (int)glyphs->size();
    glyphs->resize(count * 4 + 8);
    int n = qel_shape_text(shaper, glyphs->data(), count, (int)glyphs->size(), script, rtl, tabular);
    if (n < 0) {
        puts("-1");
        return;
    }
    for (int i = 0; i < n; i++) {
        const qel_shaped_glyph& g = (*glyphs)[i];
        printf(i ? " %u,%u,%d,%d,%d" : "%u,%u,%d,%d,%d", g.glyph, g.cluster, g.x_advance, g.x_offset, g.y_offset);
    }
    putchar('\n');
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: shape_tool FONT FILE\n");
        return 2;
    }
    std::vector<uint8_t> font;
    qel_shaper shaper;
    if (!read_file(argv[1], &font) || !qel_shaper_init(&shaper, font.data(), font.size(), 0)) {
        fprintf(stderr, "shape_tool: cannot use %s\n", argv[1]);
        return 2;
    }
    FILE* in = fopen(argv[2], "r");
    if (!in) {
        fprintf(stderr, "shape_tool: cannot open %s\n", argv[2]);
        return 2;
    }
    static char line[1 << 20];
    std::vector<qel_shaped_glyph> glyphs;
    while (fgets(line, sizeof line, in)) shape_line(&shaper, line, &glyphs);
    fclose(in);
    return 0;
}
