// Tokenizes random lines in every language: tokens lie in the line in order without overlap,
// whatever their limit, and the comment state at the line's end does not depend on the limit.
//
// Input: a byte choosing the language, a byte for the token limit, a byte for the starting
// state, then the line.
#include <cstdlib>

#include "qel/code.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const names[] = {"c", "js", "python", "rust", "go", "sh", "json", "text", nullptr};
    if (size < 3 || size > 1 << 16) return 0;
    const char* language = names[data[0] % 9];
    int32_t limit = data[1] - 8;
    const char* line = (const char*)data + 3;
    auto length = (int32_t)(size - 3);
    qel_code_token tokens[QEL_CODE_MAX_TOKENS];
    uint8_t state = data[2] & 1, full_state = state;
    int32_t n = qel_code_tokenize(language, line, length, &state, tokens, limit);
    qel_code_tokenize(language, line, length, &full_state, tokens, 0);
    if (state != full_state || n < 0 || n > (limit < 0 ? 0 : limit)) abort();
    int32_t end = 0;
    for (int32_t i = 0; i < n; i++) {
        if (tokens[i].start < end || tokens[i].length < 1 || tokens[i].start + tokens[i].length > length) abort();
        if (tokens[i].token_class > QEL_CODE_LITERAL) abort();
        end = tokens[i].start + tokens[i].length;
    }
    return 0;
}
