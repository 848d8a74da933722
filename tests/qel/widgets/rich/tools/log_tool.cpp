// Runs the log buffer on commands, one a line, and prints its whole state after each:
//   init ENTRIES TEXT | now SECONDS | append LEVEL TIME HEX | printf LEVEL HEX | clear
// The state is "total count c0 c1 c2 c3 c4" and then "level time hex" for each held line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qel/log.h"

namespace {

std::string from_hex(const char* hex)
{
    std::string out;
    for (const char* p = hex; p[0] && p[1] && p[0] != '\n'; p += 2) out += (char)strtol(std::string(p, 2).c_str(), nullptr, 16);
    return out;
}

void print_state(const qel_log& log)
{
    printf("%llu %u", (unsigned long long)log.total, log.count);
    for (uint32_t c : log.level_counts) printf(" %u", c);
    putchar('\n');
    const char* text;
    for (int32_t i = 0; const qel_log_entry* e = qel_log_line(&log, i, &text); i++) {
        printf("%u %.17g ", e->level, e->time);
        for (uint32_t k = 0; k < e->length; k++) printf("%02x", (uint8_t)text[k]);
        putchar('\n');
    }
    puts("end");
}

}  // namespace

int main(int argc, char** argv)
{
    FILE* in = argc > 1 ? fopen(argv[1], "rb") : stdin;
    if (!in) return 2;
    static char line[1 << 16];
    std::vector<qel_log_entry> entries;
    std::vector<char> text;
    qel_log log = {};
    while (fgets(line, sizeof line, in)) {
        char word[16] = {};
        int used = 0;
        if (sscanf(line, "%15s %n", word, &used) != 1) continue;
        char* rest = line + used;
        if (!strcmp(word, "init")) {
            long e = strtol(rest, &rest, 10), t = strtol(rest, &rest, 10);
            entries.assign((size_t)e, {});
            text.assign((size_t)t, 0);
            qel_log_init(&log, entries.data(), (int32_t)e, text.data(), (uint32_t)t);
        } else if (!strcmp(word, "now")) {
            log.now = strtod(rest, nullptr);
        } else if (!strcmp(word, "append")) {
            long level = strtol(rest, &rest, 10);
            double time = strtod(rest, &rest);
            std::string bytes = from_hex(rest + 1);
            qel_log_append(&log, (int32_t)level, time, bytes.data(), (int32_t)bytes.size());
        } else if (!strcmp(word, "printf")) {
            long level = strtol(rest, &rest, 10);
            std::string bytes = from_hex(rest + 1);
            qel_log_printf(&log, (int32_t)level, "%s", bytes.c_str());
        } else if (!strcmp(word, "clear")) {
            qel_log_clear(&log);
        }
        print_state(log);
    }
    return 0;
}
