// Keys, stops and indices from arbitrary bytes (NaN, infinities, huge values, unsorted arrays) for
// the curve and gradient functions: nothing is read or written outside the arrays, finite keys
// evaluate to finite values, a move or re-sort changes only what it should.
#include <algorithm>
#include <cmath>
#include <vector>

#include "fuzz_qel_support.h"
#include "qel/curve.h"
#include "qel/gradient.h"

static void check(bool ok)
{
    if (!ok) abort();
}

static bool finite_keys(const std::vector<qel_curve_key>& keys)
{
    for (const qel_curve_key& k : keys)
        if (!std::isfinite(k.x) || !std::isfinite(k.y)) return false;
    return true;
}

static void curves(FuzzedDataProvider& in)
{
    // Exactly sized, so AddressSanitizer sees any read past either end.
    std::vector<qel_curve_key> keys(in.ConsumeIntegralInRange<size_t>(0, 12));
    float range = in.ConsumeBool() ? 1e38f : 10.0f;
    for (qel_curve_key& k : keys) {
        k = {any_float(in, range), any_float(in, range), any_float(in, range), any_float(in, range),
             any_float(in, range), any_float(in, range), in.ConsumeIntegral<uint8_t>()};
    }
    if (in.ConsumeBool()) std::sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.x < b.x; });
    int32_t count = (int32_t)keys.size(), index = in.ConsumeIntegralInRange<int32_t>(-3, count + 3);
    qel_curve_key* k = keys.empty() ? nullptr : keys.data();
    float x = any_float(in, range);
    float value = qel_curve_evaluate(k, count, x);
    if (finite_keys(keys)) check(std::isfinite(value));
    if (index > 0 && index < count - 1) (void)qel_curve_auto_slope(k, index);
    float h[4];
    qel_curve_segment_handles(k, count, index, &h[0], &h[1], &h[2], &h[3]);

    std::vector<qel_curve_key> before = keys;
    float b[6];
    for (float& v : b) v = any_float(in, range);
    int32_t moved = qel_curve_move_key(k, count, index, b[0], b[1], b[2], b[3], b[4], b[5]);
    bool inside = index >= 0 && index < count;
    check(inside || moved == 0);
    for (int32_t i = 0; i < count; i++) {
        if (i == index) continue;
        check(!memcmp(&keys[(size_t)i], &before[(size_t)i], sizeof(qel_curve_key)));
    }
    if (inside && std::isfinite(before[(size_t)index].x) && std::isfinite(b[0]) && std::isfinite(b[1]))
        check(std::isfinite(keys[(size_t)index].x));
    if (inside && std::isfinite(before[(size_t)index].y) && std::isfinite(b[2]) && std::isfinite(b[3]))
        check(std::isfinite(keys[(size_t)index].y));
    qel_curve_key_make_free(k, count, index);
    if (finite_keys(keys)) check(std::isfinite(qel_curve_evaluate(k, count, x)));
}

static void gradients(FuzzedDataProvider& in)
{
    std::vector<qel_gradient_stop> stops(in.ConsumeIntegralInRange<size_t>(0, 12));
    for (qel_gradient_stop& s : stops) s = {any_float(in, 2.0f), in.ConsumeIntegral<uint32_t>()};
    int32_t count = (int32_t)stops.size(), index = in.ConsumeIntegralInRange<int32_t>(-3, count + 3);
    qel_gradient_stop* s = stops.empty() ? nullptr : stops.data();
    (void)qel_gradient_evaluate(s, count, any_float(in, 2.0f));
    int32_t placed = qel_gradient_stop_resort(s, count, index);
    check(index >= 0 && index < count ? placed >= 0 && placed < count : placed == index);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    curves(in);
    gradients(in);
    return 0;
}
