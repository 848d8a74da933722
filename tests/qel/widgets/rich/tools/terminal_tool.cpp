// Feeds byte streams to terminal buffers for another emulator to check. "terminal_tool colours"
// prints the 256-colour set, one RRGGBB a line. "terminal_tool FILE" reads one stream a line in
// hexadecimal and prints, for each, every held line as its stored length and its text (stored
// sequences skipped) in hexadecimal, first from a large ring written at once, then after
// a line "--" from a 64-byte ring written a byte at a time, then a line "==".
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "qel/terminal_buffer.h"
#include "widgets/rich/terminal_lines.h"
#include "widgets/rich/terminal_style.h"

namespace {

void print_lines(const qel_terminal_buffer& b)
{
    for (int32_t i = 0; i < b.count; i++) {
        const qel_terminal_line& l = qel_terminal_line_of(&b, i);
        const char* p = b.text + l.start;
        const char* end = p + l.length;
        printf("%u ", l.length);
        while (p < end) {
            bool sequence;
            const char* next = qel_terminal_next(p, end, &sequence);
            for (; !sequence && p < next; p++) printf("%02x", (uint8_t)*p);
            p = next;
        }
        putchar('\n');
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "colours") {
        for (uint32_t n = 0; n < 256; n++) {
            qel_color c = qel_terminal_color_256(n, false);
            printf("%02x%02x%02x\n", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
        }
        return 0;
    }
    FILE* in = argc > 1 ? fopen(argv[1], "rb") : stdin;
    if (!in) return 2;
    static char line[1 << 20];
    std::vector<char> big_text(1 << 20), small_text(64);
    std::vector<qel_terminal_line> big_lines(4096), small_lines(16);
    while (fgets(line, sizeof line, in)) {
        std::string bytes;
        for (const char* p = line; p[0] && p[1] && p[0] != '\n'; p += 2)
            bytes += (char)strtol(std::string(p, 2).c_str(), nullptr, 16);
        qel_terminal_buffer big, small;
        qel_terminal_init(&big, big_text.data(), (uint32_t)big_text.size(), big_lines.data(), 4096);
        qel_terminal_init(&small, small_text.data(), 64, small_lines.data(), 16);
        qel_terminal_write(&big, bytes.data(), (int32_t)bytes.size());
        for (char c : bytes) qel_terminal_write(&small, &c, 1);
        print_lines(big);
        puts("--");
        print_lines(small);
        puts("==");
    }
    return 0;
}
