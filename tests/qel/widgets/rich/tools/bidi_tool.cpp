// Runs the bidirectional algorithm for another implementation's test data. "bidi_tool classes"
// prints the class ranges ("first class" in hex and decimal); "bidi_tool FILE" reads paragraphs,
// one a line as a direction (-1 automatic, 0, 1) and hexadecimal code points, and prints for
// each "paragraph level;levels;visual order" of the paragraph shown as one line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qel/bidi.h"
#include "widgets/rich/unicode_tables.h"

namespace {

void print_classes()
{
    for (uint32_t value : qel_unicode_bidi_ranges) printf("%x %u\n", value >> 5, value & 31);
}

bool run(FILE* in)
{
    static char line[1 << 16];
    std::vector<qel_bidi_char> chars;
    std::vector<uint32_t> visual;
    std::vector<uint8_t> levels;
    while (fgets(line, sizeof line, in)) {
        char* p = line;
        int direction = (int)strtol(p, &p, 10);
        chars.clear();
        for (;;) {
            char* end;
            unsigned long cp = strtoul(p, &end, 16);
            if (end == p) break;
            chars.push_back({(uint32_t)cp, 0, 0, 0, 0});
            p = end;
        }
        int n = (int)chars.size();
        visual.assign(n, 0);
        levels.assign(n, 0);
        int paragraph = qel_bidi_resolve_levels(chars.data(), n, direction);
        qel_bidi_reorder(chars.data(), 0, n, paragraph, visual.data(), levels.data());
        printf("%d;", paragraph);
        for (int i = 0; i < n; i++) printf(i ? " %d" : "%d", levels[i]);
        putchar(';');
        for (int i = 0; i < n; i++) printf(i ? " %u" : "%u", visual[i]);
        putchar('\n');
    }
    return !ferror(in);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: bidi_tool classes | bidi_tool FILE\n");
        return 2;
    }
    if (strcmp(argv[1], "classes") == 0) {
        print_classes();
        return 0;
    }
    FILE* in = fopen(argv[1], "r");
    if (!in) {
        fprintf(stderr, "bidi_tool: cannot open %s\n", argv[1]);
        return 2;
    }
    bool ok = run(in);
    fclose(in);
    return ok ? 0 : 1;
}
