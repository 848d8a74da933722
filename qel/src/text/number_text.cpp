// Reading and writing numbers without the C locale, through the charconv conversions, and the
// check that makes a caller's printf format safe to print one double with.
#include "text/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "qel/arena.h"

static const int32_t MAX_DECIMALS = 17;  // what a double holds

void qel_number_format(char* out, size_t size, double value, int32_t decimals)
{
    auto r = std::to_chars(out, out + size - 1, value, std::chars_format::fixed, std::clamp(decimals, 0, MAX_DECIMALS));
    if (r.ec != std::errc()) r = std::to_chars(out, out + size - 1, value);
    if (r.ec != std::errc()) r.ptr = out;
    *r.ptr = 0;
}

bool qel_number_read(const char* text, double* out)
{
    while (*text == ' ' || *text == '\t') text++;
    if (*text == '+' && text[1] != '-') text++;
    double v;
    auto r = std::from_chars(text, text + strlen(text), v);
    if (r.ec != std::errc() || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

// Skips a width or precision of at most two digits; false for a longer one, whose text could
// run to gigabytes.
static bool skip_small_number(const char** p)
{
    size_t digits = strspn(*p, "0123456789");
    *p += digits;
    return digits <= 2;
}

bool qel_format_takes_one_double(const char* format)
{
    int conversions = 0;
    for (const char* p = format; *p; p++) {
        if (*p != '%') continue;
        if (*++p == '%') continue;
        p += strspn(p, "-+ #0");
        if (!skip_small_number(&p)) return false;
        if (*p == '.' && !skip_small_number(&++p)) return false;
        if (*p == 'l') p++;
        if (!*p || !strchr("fFeEgGaA", *p)) return false;
        conversions++;
    }
    return conversions == 1;
}

const char* qel_format_number(qel_context* ctx, const char* format, double value)
{
    if (!format || !qel_format_takes_one_double(format)) return qel_arena_sprintf(ctx, "%.0f", value);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    // Checked above: the format consumes exactly the one double passed.
    return qel_arena_sprintf(ctx, format, value);
#pragma GCC diagnostic pop
}

char* qel_group_thousands(qel_context* ctx, char* text)
{
    char* run = text;
    while (*run && !(*run >= '0' && *run <= '9')) run++;
    size_t digits = 0;
    while (run[digits] >= '0' && run[digits] <= '9') digits++;
    if (digits <= 3) return text;
    size_t before = (size_t)(run - text), rest = strlen(run + digits);
    char* out = (char*)qel_arena_alloc(ctx, before + digits + (digits - 1) / 3 + rest + 1);
    memcpy(out, text, before);
    char* w = out + before;
    for (size_t i = 0; i < digits; i++) {
        *w++ = run[i];
        size_t following = digits - 1 - i;
        if (following > 0 && following % 3 == 0) *w++ = ',';
    }
    memcpy(w, run + digits, rest + 1);
    return out;
}
