// Parses random text as JSON: a failure names its message and a position inside the text; a
// success gives a tree whose links, counts and depths agree and whose slices lie in the text.
//
// Input: the text.
#include <cstdlib>
#include <vector>

#include "qel/json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<qel_json_node> nodes(256);
    qel_json_parser p;
    const char* text = (const char*)data;
    if (!qel_json_parse(&p, text, size, nodes.data(), (int32_t)nodes.size())) {
        if (!p.error || p.error_position < 0 || (size_t)p.error_position > size) abort();
        return 0;
    }
    if (p.count < 1 || p.count > 256 || p.error) abort();
    for (int32_t i = 0; i < p.count; i++) {
        const qel_json_node& n = nodes[(size_t)i];
        if (n.value_start < 0 || (size_t)n.value_start + (size_t)n.value_length > size) abort();
        if (n.key_length >= 0 && (size_t)n.key_start + (size_t)n.key_length > size) abort();
        if (n.depth > QEL_JSON_MAX_DEPTH || (i == 0) != (n.parent < 0)) abort();
        if (n.parent >= 0 && (n.parent >= i || nodes[(size_t)n.parent].depth + 1 != n.depth)) abort();
        int32_t children = 0;
        for (int32_t c = n.first_child; c >= 0; c = nodes[(size_t)c].next_sibling) {
            if (c <= i || c >= p.count || nodes[(size_t)c].parent != i) abort();
            children++;
        }
        if (children != n.child_count) abort();
    }
    return 0;
}
