// Applies skin tones to random UTF-8: the result must stay within its 64 bytes, terminated, and
// no longer than 55 bytes plus the last code point.
//
// Input: a byte choosing the tone (1 to 5), then the text.
#include <cstdlib>
#include <cstring>

#include "widgets/rich/emoji_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096) return 0;
    int32_t tone = 1 + data[0] % 5;
    qel_emoji_text t = qel_emoji_apply_skin_tone((const char*)data + 1, (int32_t)(size - 1), tone);
    if (t.length > QEL_EMOJI_TONE_LIMIT + 4 || t.text[t.length] != '\0') abort();
    return 0;
}
