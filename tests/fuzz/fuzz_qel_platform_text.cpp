// Text crossing the Windows boundary, from arbitrary bytes: UTF-8 and UTF-16 conversions into
// buffers of any size, the dialogs' filter list and clipboard line ends. Buffers are exactly as
// large as claimed, so the sanitizers catch any write past them; the checks catch split
// characters, missing terminators and conversions that are not stable.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform_text.h"

static void check(bool ok)
{
    if (!ok) abort();
}

static bool high_surrogate(uint16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

static void utf8_side(const std::string& text, int32_t capacity)
{
    std::vector<uint16_t> wide((size_t)capacity);
    bool complete;
    int32_t n = qel_utf16_from_utf8(text.c_str(), wide.data(), capacity, &complete);
    check(n >= 0 && n < capacity && wide[(size_t)n] == 0);
    check(n == 0 || !high_surrogate(wide[(size_t)n - 1]));
    // What came out holds whole characters only, so it survives a trip through UTF-8 unchanged.
    std::vector<char> narrow((size_t)n * 3 + 1);
    int32_t bytes = qel_utf8_from_utf16(wide.data(), n, narrow.data(), (int32_t)narrow.size(), &complete);
    check(complete && narrow[(size_t)bytes] == 0);
    std::vector<uint16_t> again((size_t)n + 1);
    check(qel_utf16_from_utf8(narrow.data(), again.data(), n + 1, &complete) == n && complete);
    check(memcmp(again.data(), wide.data(), (size_t)n * 2) == 0);
}

static void utf16_side(const std::vector<uint16_t>& units, int32_t capacity)
{
    std::vector<char> narrow((size_t)capacity);
    bool complete;
    int32_t n = qel_utf8_from_utf16(units.data(), (int32_t)units.size(), narrow.data(), capacity, &complete);
    check(n >= 0 && n < capacity && narrow[(size_t)n] == 0);
    check(n <= (int32_t)units.size() * 3);
    if ((size_t)capacity > units.size() * 3) check(complete);  // the documented worst case fits
}

static void filter(const std::string& name, const std::string& extensions, int32_t capacity)
{
    std::vector<uint16_t> out((size_t)capacity);
    int32_t n = qel_file_filter_build(name.c_str(), extensions.c_str(), out.data(), capacity);
    check(n >= 1 && n <= capacity && out[(size_t)n - 1] == 0);
    check(n == 1 || (n >= 3 && out[(size_t)n - 2] == 0));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    int32_t capacity = in.ConsumeIntegralInRange<int32_t>(1, 600);
    std::string name = in.ConsumeRandomLengthString(300);
    std::string text = in.ConsumeRandomLengthString(1200);
    utf8_side(text, capacity);
    filter(name, text, capacity);

    std::string lines = text;
    qel_text_unix_line_ends(lines.data());
    check(strchr(lines.c_str(), '\r') == nullptr && strlen(lines.c_str()) <= strlen(text.c_str()));

    std::vector<uint16_t> units(text.size() / 2);
    if (!units.empty()) memcpy(units.data(), text.data(), units.size() * 2);
    utf16_side(units, capacity);
    return 0;
}
