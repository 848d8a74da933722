// Dock layout texts from arbitrary bytes: an accepted text saves as a text that loads again to
// the same save, and a refused one leaves the saved layout as it was.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "qel/context.h"
#include "qel/dock_layout.h"

static void check(bool ok)
{
    if (!ok) abort();
}

static qel_context* context()
{
    static qel_context* ctx = [] {
        qel_config config = {};
        config.no_embedded_fonts = 1;
        return qel_ctx_create(&config);
    }();
    return ctx;
}

static std::string saved(qel_context* ctx)
{
    uint64_t length = qel_dock_layout_save(ctx, "fuzz", nullptr, 0);
    std::string text(length + 1, '\0');
    check(qel_dock_layout_save(ctx, "fuzz", text.data(), text.size()) == length);
    text.resize(length);
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qel_context* ctx = context();
    check(qel_dock_layout_load(ctx, "fuzz", "dock1 h0.5([*start],v0.25([-other],[third,fourth]))") == 1);
    std::string before = saved(ctx);
    // The parser sees the bytes up to the first NUL, as a C string ends there.
    std::string text((const char*)data, size);
    if (qel_dock_layout_load(ctx, "fuzz", text.c_str()) == 0) {
        check(saved(ctx) == before);
        return 0;
    }
    std::string first = saved(ctx);
    check(qel_dock_layout_load(ctx, "fuzz", first.c_str()) == 1);
    check(saved(ctx) == first);
    return 0;
}
