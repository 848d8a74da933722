// Loads layout texts for a comparison with another parser. Each input line holds two texts in
// hexadecimal: a base layout and a text loaded over it into the same dockspace. Each output line
// holds both results and the layout then saved, in hexadecimal.
#include <cstdio>
#include <string>

#include "qel/context.h"
#include "qel/dock_layout.h"

static int nibble(int c)
{
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

static std::string unhex(const char* hex, size_t length)
{
    std::string out;
    for (size_t i = 0; i + 1 < length; i += 2) out += (char)(nibble(hex[i]) << 4 | nibble(hex[i + 1]));
    return out;
}

int main(int argc, char** argv)
{
    FILE* in = argc > 1 ? fopen(argv[1], "rb") : nullptr;
    if (!in) return 2;
    qel_config config = {};
    config.no_embedded_fonts = 1;
    qel_context* ctx = qel_ctx_create(&config);
    std::string line, saved;
    const char* name = "oracle";
    for (int c; (c = fgetc(in)) != EOF;) {
        if (c != '\n') {
            line += (char)c;
            continue;
        }
        size_t space = line.find(' ');
        std::string base = unhex(line.data(), space), text = unhex(line.data() + space + 1, line.size() - space - 1);
        int base_loaded = qel_dock_layout_load(ctx, name, base.c_str());
        int loaded = qel_dock_layout_load(ctx, name, text.c_str());
        saved.assign(qel_dock_layout_save(ctx, name, nullptr, 0) + 1, '\0');
        qel_dock_layout_save(ctx, name, saved.data(), saved.size());
        printf("%d %d ", base_loaded, loaded);
        for (size_t i = 0; i + 1 < saved.size(); i++) printf("%02x", (unsigned char)saved[i]);
        printf("\n");
        line.clear();
    }
    fclose(in);
    qel_ctx_destroy(ctx);
    return 0;
}
