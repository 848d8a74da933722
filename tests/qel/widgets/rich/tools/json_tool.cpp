// Parses JSON texts for the Python oracle. Reads a file of records "LENGTH\n" followed by that
// many bytes and prints for each "ok NODES" or "error POSITION MESSAGE", then for a valid text
// one line per node: kind parent first_child next_sibling child_count depth key_start key_length
// value_start value_length.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "qel/json.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: json_tool FILE\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (!in) return 2;
    std::vector<qel_json_node> nodes(4096);
    long length = 0;
    while (fscanf(in, "%ld", &length) == 1 && fgetc(in) == '\n') {
        std::vector<char> text((size_t)length + 1);
        if (fread(text.data(), 1, (size_t)length, in) != (size_t)length) return 2;
        qel_json_parser p;
        if (!qel_json_parse(&p, text.data(), (size_t)length, nodes.data(), (int32_t)nodes.size())) {
            printf("error %d %s\n", p.error_position, p.error);
            continue;
        }
        printf("ok %d\n", p.count);
        for (int32_t i = 0; i < p.count; i++) {
            const qel_json_node& n = nodes[(size_t)i];
            printf("%d %d %d %d %d %d %d %d %d %d\n", n.kind, n.parent, n.first_child, n.next_sibling, n.child_count,
                   n.depth, n.key_start, n.key_length, n.value_start, n.value_length);
        }
    }
    fclose(in);
    return 0;
}
