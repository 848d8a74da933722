// Copies byte strings out of a headless hex viewer for the Python oracle. Reads a file of records
// "LENGTH\n" followed by that many bytes; for each selects everything with Ctrl+A and prints what
// Ctrl+C put on the clipboard, then what Ctrl+Shift+C put there, one line each.
#include <cstdio>
#include <string>
#include <vector>

#include "qel_headless.h"

static std::string clipboard;

static void set_clipboard(void*, const char* utf8)
{
    clipboard = utf8;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: hex_copy_tool FILE\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (!in) return 2;
    qel_headless h(640, 400);
    qel_platform p = {};
    p.set_clipboard = set_clipboard;
    qel_ctx_set_platform(h.ctx, &p);
    std::vector<uint8_t> bytes;
    h.ui = [&](qel_context* ctx) { qel_hex_view(ctx, "hex", bytes.data(), bytes.size(), nullptr, nullptr); };
    long length = 0;
    while (fscanf(in, "%ld", &length) == 1 && fgetc(in) == '\n') {
        bytes.assign((size_t)length, 0);
        if (fread(bytes.data(), 1, (size_t)length, in) != (size_t)length) return 2;
        h.run(2);
        qel_set_focus(h.ctx, qel_id(h.ctx, "hex") ^ 0x4e5b0d1, false);
        h.tap(QEL_KEY_A, QEL_MOD_CTRL);
        h.run();
        for (uint32_t mods : {(uint32_t)QEL_MOD_CTRL, (uint32_t)(QEL_MOD_CTRL | QEL_MOD_SHIFT)}) {
            clipboard.clear();
            h.tap(QEL_KEY_A + ('C' - 'A'), mods);
            h.run();
            fwrite(clipboard.data(), 1, clipboard.size(), stdout);
            fputc('\n', stdout);
        }
    }
    return 0;
}
