// Drives text inputs over whole frames with random keys, modifiers, typed and pasted text, clicks
// and drags (on the clear and reveal buttons too), in fields of random capacity, one- and
// multi-line, masked, read-only and frameless, and calls
// the editing core directly with arbitrary bytes. After each frame the buffer must hold at most
// capacity - 1 bytes with its terminator, stay valid UTF-8 when everything put in was, and the
// caret and anchor must stand on character starts.
#include <string>
#include <vector>

#include "fuzz_qel_support.h"
#include "qel/qel.h"

namespace {

bool is_continuation(uint8_t b)
{
    return (b & 0xC0) == 0x80;
}

bool valid_utf8(const char* text, int32_t length)
{
    for (int32_t i = 0; i < length;) {
        uint8_t b = (uint8_t)text[i];
        int32_t n = b < 0x80                  ? 1
                    : b >= 0xC2 && b <= 0xDF ? 2
                    : b >= 0xE0 && b <= 0xEF ? 3
                    : b >= 0xF0 && b <= 0xF4 ? 4
                                             : 0;
        if (n == 0 || i + n > length) return false;
        for (int32_t k = 1; k < n; k++)
            if (!is_continuation((uint8_t)text[i + k])) return false;
        i += n;
    }
    return true;
}

// Text of whole characters, line ends and blanks included; or any bytes at all.
std::string any_text(FuzzedDataProvider& in, bool valid)
{
    if (!valid) return in.ConsumeRandomLengthString(24);
    std::string out;
    int32_t n = in.ConsumeIntegralInRange<int32_t>(0, 12);
    for (int32_t i = 0; i < n; i++) {
        static const uint32_t picks[] = {'a', ' ', '\r', '\n', '\t', '_', '-', 0xE9, 0x20AC, 0x1F375};
        uint32_t cp = in.ConsumeBool() ? picks[in.ConsumeIntegralInRange<size_t>(0, 9)]
                                       : in.ConsumeIntegralInRange<uint32_t>(1, 0x10FFFF);
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
        uint8_t bytes[4];
        out.append((char*)bytes, (size_t)qel_utf8_encode(cp, bytes));
    }
    return out;
}

struct rig {
    std::vector<char> buffer;  // capacity bytes and a canary
    int32_t capacity = 1;
    qel_text_input_opts opts = {};
    bool multiline = false, frameless = false;
    bool valid = true;
    std::string clipboard;
};

void check(qel_context* ctx, rig& r, uint32_t id)
{
    if (r.buffer[(size_t)r.capacity] != '!') abort();
    const char* end = (const char*)memchr(r.buffer.data(), 0, (size_t)r.capacity);
    if (!end) abort();
    int32_t length = (int32_t)(end - r.buffer.data());
    if (r.valid && !valid_utf8(r.buffer.data(), length)) abort();
    auto* s = (qel_text_input_state*)qel_state_find(ctx, id, sizeof(qel_text_input_state), false);
    if (!s) return;
    for (int32_t o : {s->caret, s->anchor})
        if (o < 0 || o > length || (o > 0 && o < length && is_continuation((uint8_t)r.buffer[(size_t)o]))) abort();
    if (s->undo_count > QEL_TEXT_UNDO_DEPTH || s->undo_position > s->undo_count) abort();
    check_draw_list(ctx);
}

void frame(qel_context* ctx, rig& r, uint32_t id)
{
    qel_begin_frame(ctx, 1.0f / 60);
    r.opts.width = {QEL_SIZE_FIXED, 200};
    qel_input_text_ex(ctx, id, r.buffer.data(), r.capacity, &r.opts, r.multiline, r.frameless, nullptr);
    qel_end_frame(ctx);
}

// The core alone, with bytes of every kind: NUL, CR, cut characters.
void core_calls(FuzzedDataProvider& in, rig& r)
{
    std::string bytes = in.ConsumeRandomLengthString(16);
    const char* end = (const char*)memchr(r.buffer.data(), 0, (size_t)r.capacity);
    int32_t length = (int32_t)(end - r.buffer.data());
    int32_t a = in.ConsumeIntegralInRange<int32_t>(-2, r.capacity + 2), b = in.ConsumeIntegralInRange<int32_t>(-2, 99);
    if (in.ConsumeBool()) {
        if (!r.valid || valid_utf8(bytes.data(), (int32_t)bytes.size()))
            qel_text_insert_raw(r.buffer.data(), &length, r.capacity, a, bytes.data(), (int32_t)bytes.size(),
                                in.ConsumeBool());
    } else {
        qel_text_delete(r.buffer.data(), &length, a, b);
    }
    if (length != (int32_t)strlen(r.buffer.data())) abort();
    int32_t w = qel_text_next_word(r.buffer.data(), length, a);
    int32_t p = qel_text_prev_word(r.buffer.data(), std::min(b, length));
    if (w < 0 || w > length || p < 0 || p > length) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    rig r;
    r.valid = in.ConsumeBool();
    r.capacity = in.ConsumeIntegralInRange<int32_t>(1, 96);
    r.multiline = in.ConsumeBool();
    r.buffer.assign((size_t)r.capacity + 1, 0);
    r.buffer[(size_t)r.capacity] = '!';
    std::string start = any_text(in, r.valid);
    int32_t start_size = (int32_t)start.size();
    if (r.valid)
        start.resize((size_t)qel_text_char_start(start.data(), start_size, std::min(start_size, r.capacity - 1)));
    // Arbitrary bytes may fill the buffer without a terminator.
    memcpy(r.buffer.data(), start.data(), std::min(start.size(), (size_t)r.capacity));

    // One context for every run (its fonts take long to load); each run edits a field of its own,
    // from a clean slate of input.
    static qel_context* ctx = qel_ctx_create(nullptr);
    static uint32_t run = 0;
    run++;
    uint32_t id = qel_hash_bytes(&run, sizeof run, 1);
    qel_input_focus(ctx, false);
    qel_input_focus(ctx, true);
    qel_input_mouse_leave(ctx);
    qel_platform p = {};
    p.user = &r;
    p.set_clipboard = [](void* u, const char* text) { ((rig*)u)->clipboard = text; };
    p.get_clipboard = [](void* u) -> const char* { return ((rig*)u)->clipboard.c_str(); };
    qel_ctx_set_platform(ctx, &p);
    frame(ctx, r, id);
    frame(ctx, r, id);
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 8)) {
        case 0:
        case 1: {
            int32_t key = in.ConsumeIntegralInRange<int32_t>(1, 67);
            uint32_t mods = in.ConsumeIntegralInRange<uint32_t>(0, 15);
            for (int n = in.ConsumeIntegralInRange<int>(1, 3); n > 0; n--) qel_input_key(ctx, key, true, mods);
            qel_input_key(ctx, key, false, mods);
            break;
        }
        case 2: qel_input_chars(ctx, any_text(in, r.valid).c_str()); break;
        case 3: r.clipboard = any_text(in, r.valid); break;
        case 4: {
            float x = in.ConsumeFloatingPointInRange<float>(-20, 240);
            qel_input_mouse_move(ctx, x, in.ConsumeFloatingPointInRange<float>(-20, 120));
            break;
        }
        case 5: qel_input_mouse_button(ctx, 0, in.ConsumeBool()); break;
        case 6: {
            r.opts.password = in.ConsumeBool();
            r.opts.read_only = in.ConsumeBool();
            r.opts.clear_button = in.ConsumeBool();
            r.frameless = in.ConsumeBool();
            if (in.ConsumeBool()) qel_text_activate(ctx, id);
            break;
        }
        case 7: core_calls(in, r); break;
        case 8: qel_input_wheel(ctx, 0, in.ConsumeFloatingPointInRange<float>(-3, 3)); break;
        }
        frame(ctx, r, id);
        check(ctx, r, id);
    }
    qel_ctx_set_platform(ctx, nullptr);  // the rig goes
    return 0;
}
