// Resolves and reorders paragraphs of random code points: levels stay 0 to 2, bracket partners
// point forward at closing brackets, and a line's visual order is a permutation of the line.
//
// Input: a byte for the direction (-1, 0 or 1), two bytes for the line's start and length, then
// three bytes for each code point: mostly one of a pool of every bidi class, else any value.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "qel/bidi.h"

namespace {

uint32_t code_point(const uint8_t* b)
{
    static const uint32_t pool[] = {'a', 0x05D0, 0x0627, '1', '+', '#', 0x0660, ',', 0x0300, 0x00AD, '\n', '\t', ' ',
                                    '!', '(', ')', '[', ']', 0x2329, 0x232A, 0x3008, 0x3009, 0x202A, 0x202B, 0x202C,
                                    0x202D, 0x202E, 0x2066, 0x2067, 0x2068, 0x2069, 0x06F1, 0x200D, 0xFFFF};
    constexpr uint32_t n = sizeof pool / sizeof *pool;
    if (b[0] < 192) return pool[b[1] % n];
    return ((uint32_t)b[0] << 16 | (uint32_t)b[1] << 8 | b[2]) % 0x110000;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3) return 0;
    std::vector<qel_bidi_char> chars;
    for (size_t at = 3; at + 3 <= size; at += 3) chars.push_back({code_point(data + at), 0, 0, 0, 0});
    int count = (int)chars.size();
    int paragraph = qel_bidi_resolve_levels(chars.data(), count, data[0] % 3 - 1);
    if (count > 0 && paragraph != 0 && paragraph != 1) abort();
    for (int i = 0; i < count; i++) {
        const qel_bidi_char& c = chars[i];
        if (c.level > 2 || c.bidi_class > QEL_BIDI_ON || c.resolved > QEL_BIDI_ON) abort();
        if (c.partner != -1 && (c.partner <= i || c.partner >= count)) abort();
        if (qel_bidi_mirror(qel_bidi_mirror(c.code_point, 1), 1) != c.code_point) abort();
    }
    int start = count ? data[1] % count : 0, length = count ? data[2] % (count - start + 1) : 0;
    std::vector<uint32_t> visual((size_t)length);
    std::vector<uint8_t> levels((size_t)length);
    qel_bidi_reorder(chars.data(), start, length, paragraph, visual.data(), levels.data());
    std::sort(visual.begin(), visual.end());
    for (int i = 0; i < length; i++) {
        if (visual[i] != (uint32_t)(start + i) || levels[i] > 2) abort();
    }
    return 0;
}
