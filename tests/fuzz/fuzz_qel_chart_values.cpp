// Chart numbers and formats from arbitrary bytes: every range gives finite bounds and a step that
// advances, tick counts stay bounded, and a format is printed only when it takes the one double
// passed (a wrong guess reads a missing argument, which the sanitizers catch).
#include <cmath>
#include <cstring>
#include <string>

#include "fuzz_qel_support.h"
#include "qel/chart_values.h"
#include "qel/context.h"
#include "qel/frame.h"

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    float min = any_float(in, 1e12f), max = any_float(in, 1e12f), value = any_float(in, 1e12f);
    int ticks = in.ConsumeIntegral<int>();
    std::string format = in.ConsumeRandomLengthString(24);

    float lower, upper, step;
    qel_chart_nice_range(min, max, ticks, &lower, &upper, &step);
    check(std::isfinite(lower) && std::isfinite(upper) && step > 0 && lower < upper && lower + step != lower);
    int32_t count = qel_chart_tick_count(lower, upper, step);
    check(count >= 1 && count <= QEL_CHART_MAX_TICKS);
    check(qel_chart_tick_count(min, max, value) <= QEL_CHART_MAX_TICKS);

    // The texts live in the frame arena, which each frame begin empties.
    qel_context* ctx = context();
    qel_begin_frame(ctx, 1.0f / 60);
    check(qel_chart_format_value(ctx, format.c_str(), value) != nullptr);
    check(qel_chart_format_value(ctx, nullptr, value) != nullptr);
    const char* percent = qel_chart_percent_text(ctx, min, max);
    check(percent && !strstr(percent, "nan") && !strstr(percent, "inf"));
    qel_end_frame(ctx);
    return 0;
}
