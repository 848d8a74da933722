// Axis bounds, tick counts and value texts for the charts. Bounds are worked in single precision
// like the values they frame; anything that could stall an axis loop or reach a conversion as NaN
// (non-finite input, a flat range of large values, absurd tick counts) is settled on the way in.
#include "qel/chart_values.h"

#include <cmath>
#include <cstring>

#include "text/number_text.h"
#include "qel/arena.h"

// Beyond this, rounding a bound outward by a step could overflow to infinity.
static const float LARGEST_VALUE = 1e37f;
// The narrowest interval, relative to the range's magnitude (some thirty steps of single
// precision) and absolutely, so that the bounds can add a step without rounding it away.
static const float LEAST_RELATIVE_INTERVAL = 2e-6f;
static const float LEAST_INTERVAL = 1e-30f;
static const char* const MISSING_TEXT = "\u2014";

// --- Axes ---

static float settled(float value, float other)
{
    float v = std::isfinite(value) ? value : std::isfinite(other) ? other : 0.0f;
    return std::fmax(-LARGEST_VALUE, std::fmin(v, LARGEST_VALUE));
}

static float nice_factor(float r)
{
    return r < 1.5f ? 1.0f : r < 2.25f ? 2.0f : r < 3.5f ? 2.5f : r < 7.5f ? 5.0f : 10.0f;
}

void qel_chart_nice_range(float min, float max, int ticks, float* lower, float* upper, float* step)
{
    float lo = settled(min, max), hi = settled(max, min);
    float intervals = (float)(ticks < 1 ? 1 : ticks > QEL_CHART_MAX_TICKS ? QEL_CHART_MAX_TICKS : ticks);
    float top = hi > lo ? hi : lo + 1.0f;
    float magnitude_of_range = std::fmax(std::fabs(lo), std::fabs(top));
    float least = std::fmax(magnitude_of_range * LEAST_RELATIVE_INTERVAL, LEAST_INTERVAL) * intervals;
    if (top - lo < least) top = lo + least;
    float raw = (top - lo) / intervals;
    float magnitude = std::pow(10.0f, std::floor(std::log10(raw)));
    float s = magnitude * nice_factor(raw / magnitude);
    float l = std::floor(lo / s) * s, u = std::ceil(top / s) * s;
    if (u - l < s / 2) u = l + s;
    *lower = l;
    *upper = u;
    *step = s;
}

int32_t qel_chart_tick_count(float lower, float upper, float step)
{
    if (!std::isfinite(lower) || !std::isfinite(upper) || !std::isfinite(step) || !(step > 0)) return 0;
    double last = std::floor(((double)upper - lower) / step + 0.5);
    if (last < 0) return 0;
    return last >= QEL_CHART_MAX_TICKS ? QEL_CHART_MAX_TICKS : (int32_t)last + 1;
}

// --- Texts ---

static const char* compact_text(qel_context* ctx, double v)
{
    double a = std::fabs(v);
    if (a >= 1e9) return qel_arena_sprintf(ctx, "%.1fB", v / 1e9);
    if (a >= 1e6) return qel_arena_sprintf(ctx, "%.1fM", v / 1e6);
    if (a >= 10000) return qel_arena_sprintf(ctx, "%.0fk", v / 1000);
    if (a >= 1000) return qel_arena_sprintf(ctx, "%.1fk", v / 1000);
    if (std::trunc(a) == a) return qel_arena_sprintf(ctx, "%.0f", v);
    return qel_arena_sprintf(ctx, a < 10 ? "%.2f" : "%.1f", v);
}

static bool is_currency(const char* format)
{
    return strstr(format, "$") || strstr(format, "\u20AC") || strstr(format, "\u00A3");
}

// Zero in a unit reads as a bare number: "0k" is "0", "0.0M" is "0.0".
static void drop_unit_of_zero(char* text)
{
    size_t n = strlen(text);
    if (n >= 2 && strchr("BKMk", text[n - 1]) && text[n - 2] == '0') text[n - 1] = 0;
}

const char* qel_chart_format_value(qel_context* ctx, const char* format, float value)
{
    if (!std::isfinite(value)) return MISSING_TEXT;
    if (!format || !qel_format_takes_one_double(format)) return compact_text(ctx, value);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    // Checked above: the format consumes exactly the one double passed.
    char* text = qel_arena_sprintf(ctx, format, (double)value);
#pragma GCC diagnostic pop
    if (is_currency(format)) text = qel_group_thousands(ctx, text);
    if (value == 0) drop_unit_of_zero(text);
    return text;
}

const char* qel_chart_percent_text(qel_context* ctx, float part, float total)
{
    if (!(total > 0) || !std::isfinite(total) || !std::isfinite(part)) return "0%";
    float p = part / total * 100;
    if (!std::isfinite(p)) return "0%";
    if (p >= 10) return qel_arena_sprintf(ctx, "%.0f%%", p);
    return qel_arena_sprintf(ctx, std::floor(p) == p ? "%.0f%%" : "%.1f%%", p);
}
