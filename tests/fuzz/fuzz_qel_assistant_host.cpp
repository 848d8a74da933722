// Reads the host of random URLs as the source cards and citation chips do: the host is a part of
// the URL holding none of "/", "?" and "#", and its monogram letter is one whole character or "?".
#include <cstring>
#include <string>

#include "fuzz_qel_support.h"
#include "qel/qel.h"
#include "widgets/rich/assistant_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static qel_context* ctx = qel_ctx_create(nullptr);
    std::string url((const char*)data, size);
    url.resize(strlen(url.c_str()));
    qel_begin_frame(ctx, 1.0f / 60.0f);
    const char* host = qel_assistant_url_host(ctx, url.c_str());
    if (!host || (*host && !strstr(url.c_str(), host)) || strpbrk(host, "/?#")) abort();
    const char* letter = qel_assistant_monogram_letter(ctx, host);
    size_t n = strlen(letter);
    if (n < 1 || n > 4 || (*host == 0 && strcmp(letter, "?") != 0)) abort();
    qel_end_frame(ctx);
    return 0;
}
