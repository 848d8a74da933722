// Curve keys and their evaluation. The arithmetic runs in double precision: slopes over the
// narrowest float gaps and handles of the largest float values stay finite there, and the value
// is brought back into float range at the end, so finite keys never evaluate to infinity.
#include "qel/curve.h"

#include <cfloat>
#include <cmath>

static const int NEWTON_ITERATIONS = 40;
static const double NEWTON_TOLERANCE = 1e-6;
static const double LEAST_DERIVATIVE = 1e-12;

struct curve_handle {
    double hx, hy;
};

static double usable(float v)
{
    return std::isfinite(v) ? v : 0.0;
}

static float to_float(double v)
{
    return v > FLT_MAX ? FLT_MAX : v < -FLT_MAX ? -FLT_MAX : (float)v;
}

static double slope_of(const qel_curve_key* k, int32_t count, int32_t i)
{
    if (i <= 0 || i >= count - 1) return 0;
    double d0 = (double)k[i].x - k[i - 1].x, d1 = (double)k[i + 1].x - k[i].x;
    if (!(d0 > 0) || !(d1 > 0)) return 0;
    double s0 = ((double)k[i].y - k[i - 1].y) / d0, s1 = ((double)k[i + 1].y - k[i].y) / d1;
    if (!(s0 * s1 > 0)) return 0;
    double m = ((double)k[i + 1].y - k[i - 1].y) / (d0 + d1);
    double limit = 3 * std::fmin(std::fabs(s0), std::fabs(s1));
    return std::fabs(m) > limit ? std::copysign(limit, m) : m;
}

// A stored handle of length a (its dx's magnitude) shortened to the segment width dx.
static curve_handle fitted(double a, double hy, double dx)
{
    if (a > dx) {
        hy = a > 0 ? hy * dx / a : 0;
        a = dx;
    }
    return {a, hy};
}

static void handles_of(const qel_curve_key* k, int32_t count, int32_t i, curve_handle* out, curve_handle* in)
{
    double dx = (double)k[i + 1].x - k[i].x;
    if (k[i].mode == QEL_CURVE_FREE) {
        *out = fitted(std::fmax(usable(k[i].out_dx), 0.0), usable(k[i].out_dy), dx);
    } else {
        *out = {dx / 3, slope_of(k, count, i) * dx / 3};
    }
    if (k[i + 1].mode == QEL_CURVE_FREE) {
        curve_handle h = fitted(std::fmax(-usable(k[i + 1].in_dx), 0.0), usable(k[i + 1].in_dy), dx);
        *in = {-h.hx, h.hy};
    } else {
        *in = {-dx / 3, -slope_of(k, count, i + 1) * dx / 3};
    }
}

static double bezier(double t, double p0, double p1, double p2, double p3)
{
    double s = 1 - t;
    return s * s * s * p0 + 3 * s * s * t * p1 + 3 * s * t * t * p2 + t * t * t * p3;
}

// The y of the Bezier segment at u across it, t found by safeguarded Newton steps on X(t) = u.
static double bezier_value(const qel_curve_key* k, int32_t count, int32_t i, double dx, double u)
{
    curve_handle out, in;
    handles_of(k, count, i, &out, &in);
    double y0 = k[i].y, y1 = k[i + 1].y, y_out = y0 + out.hy, y_in = y1 + in.hy;
    double p1 = out.hx, p2 = dx + in.hx;
    double t = u / dx, lower = 0, upper = 1;
    for (int n = 0; n < NEWTON_ITERATIONS; n++) {
        double f = bezier(t, 0, p1, p2, dx) - u;
        if (std::fabs(f) <= NEWTON_TOLERANCE * dx) break;
        if (f > 0) upper = t;
        else lower = t;
        double s = 1 - t;
        double derivative = 3 * (s * s * p1 + 2 * s * t * (p2 - p1) + t * t * (dx - p2));
        double candidate = derivative > LEAST_DERIVATIVE ? t - f / derivative : -1;
        t = candidate > lower && candidate < upper ? candidate : (lower + upper) / 2;
    }
    return bezier(t, y0, y_out, y_in, y1);
}

// The segment the query falls in: the last key at or before x, but not the last key. On sorted
// keys this is what a scan from the front finds.
static int32_t segment_of(const qel_curve_key* k, int32_t count, float x)
{
    int32_t lo = 0, hi = count - 2;
    while (lo < hi) {
        int32_t mid = lo + (hi - lo + 1) / 2;
        if (x >= k[mid].x) lo = mid;
        else hi = mid - 1;
    }
    return lo;
}

float qel_curve_evaluate(const qel_curve_key* keys, int32_t count, float x)
{
    if (!keys || count < 1) return 0;
    if (!(x > keys[0].x)) return keys[0].y;
    if (x >= keys[count - 1].x) return keys[count - 1].y;
    int32_t i = segment_of(keys, count, x);
    const qel_curve_key &a = keys[i], &b = keys[i + 1];
    double dx = (double)b.x - a.x, u = (double)x - a.x;
    if (!(dx > 0)) return b.y;
    if (a.mode == QEL_CURVE_STEP) return a.y;
    if (a.mode == QEL_CURVE_LINEAR) return to_float(a.y + ((double)b.y - a.y) * u / dx);
    return to_float(bezier_value(keys, count, i, dx, u));
}

float qel_curve_auto_slope(const qel_curve_key* keys, int32_t index)
{
    // The caller vouches for both neighbours; a count of index + 2 lets them be read.
    return to_float(slope_of(keys, index + 2, index));
}

void qel_curve_segment_handles(const qel_curve_key* keys, int32_t count, int32_t index, float* out_hx, float* out_hy,
                               float* in_hx, float* in_hy)
{
    curve_handle out = {0, 0}, in = {0, 0};
    if (keys && index >= 0 && index < count - 1) handles_of(keys, count, index, &out, &in);
    if (out_hx) *out_hx = to_float(out.hx);
    if (out_hy) *out_hy = to_float(out.hy);
    if (in_hx) *in_hx = to_float(in.hx);
    if (in_hy) *in_hy = to_float(in.hy);
}

static bool same(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

int32_t qel_curve_move_key(qel_curve_key* keys, int32_t count, int32_t index, float x_min, float x_max, float y_min,
                           float y_max, float x, float y)
{
    if (!keys || index < 0 || index >= count) return 0;
    qel_curve_key& k = keys[index];
    float lo = x_min, hi = x_max;
    if (index > 0 && keys[index - 1].x > lo) lo = keys[index - 1].x;
    if (index < count - 1 && keys[index + 1].x < hi) hi = keys[index + 1].x;
    float nx = k.x, ny = k.y;
    if (hi >= lo && !std::isnan(x)) nx = x < lo ? lo : x < hi ? x : hi;
    if (!std::isnan(y)) ny = y < y_min ? y_min : y_max < y ? y_max : y;
    if (std::isnan(ny)) ny = k.y;
    if (same(nx, k.x) && same(ny, k.y)) return 0;
    k.x = nx;
    k.y = ny;
    return 1;
}

void qel_curve_key_make_free(qel_curve_key* keys, int32_t count, int32_t index)
{
    if (!keys || index < 0 || index >= count) return;
    qel_curve_key& k = keys[index];
    double m = slope_of(keys, count, index);
    double before = index > 0 ? (double)k.x - keys[index - 1].x : 0;
    double after = index < count - 1 ? (double)keys[index + 1].x - k.x : 0;
    before = before > 0 ? before : 0;
    after = after > 0 ? after : 0;
    k.in_dx = to_float(-before / 3);
    k.in_dy = to_float(-m * before / 3);
    k.out_dx = to_float(after / 3);
    k.out_dy = to_float(m * after / 3);
    k.mode = QEL_CURVE_FREE;
}
