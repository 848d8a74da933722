// Runs the flame graph's sort and the assistant widgets' text helpers on a file of cases:
//   assistant_tool sort FILE: lines "depth start end"; prints the sorted spans the same way.
//   assistant_tool host FILE: a URL a line; prints each one's host.
//   assistant_tool elapsed FILE: seconds a line; prints each one's elapsed text.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qel/flame_graph.h"
#include "qel/qel.h"
#include "widgets/rich/assistant_parts.h"

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

// Each line of the file through one of the text helpers, in a frame of a context of its own.
int each_line(FILE* in, const char* (*helper)(qel_context*, const char*))
{
    qel_context* ctx = qel_ctx_create(nullptr);
    char line[4096];
    while (fgets(line, sizeof line, in)) {
        line[strcspn(line, "\r\n")] = 0;
        qel_begin_frame(ctx, 1.0f / 60.0f);
        printf("%s\n", helper(ctx, line));
        qel_end_frame(ctx);
    }
    qel_ctx_destroy(ctx);
    return 0;
}

const char* elapsed_of(qel_context* ctx, const char* line)
{
    return qel_assistant_elapsed_text(ctx, strtof(line, nullptr));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    FILE* in = fopen(argv[2], "rb");
    if (!in) return 2;
    int code = strcmp(argv[1], "sort") == 0      ? sort_spans(in)
               : strcmp(argv[1], "host") == 0    ? each_line(in, qel_assistant_url_host)
               : strcmp(argv[1], "elapsed") == 0 ? each_line(in, elapsed_of)
                                                 : 2;
    fclose(in);
    return code;
}
