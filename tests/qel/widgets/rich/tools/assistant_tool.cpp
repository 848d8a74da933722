// Runs the flame graph's sort and the assistant widgets' text helpers on a file of cases:
//   assistant_tool sort FILE: lines "depth start end"; prints the sorted spans the same way.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qel/flame_graph.h"

namespace {

int sort_spans(FILE* in)
{
    std::vector<qel_flame_span> spans;
    char line[256];
    // strtod, not scanf: the Windows C library's scanf does not round every decimal correctly.
    while (fgets(line, sizeof line, in)) {
        char *p = line, *end;
        long depth = strtol(p, &end, 10);
        double start = strtod(end, &p), stop = strtod(p, &end);
        if (end == p) break;
        spans.push_back({nullptr, start, stop, (int32_t)depth, 0});
    }
    qel_flame_sort_spans(spans.data(), (int32_t)spans.size());
    for (const qel_flame_span& s : spans) printf("%d %.17g %.17g\n", s.depth, s.start, s.end);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    FILE* in = fopen(argv[2], "rb");
    if (!in) return 2;
    int code = strcmp(argv[1], "sort") == 0 ? sort_spans(in) : 2;
    fclose(in);
    return code;
}
