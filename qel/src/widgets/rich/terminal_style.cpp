// Colour sequences read at draw time: parameters split on ";" and ":", read with saturation, and
// applied in turn, extended colours taking the parameters after them when they are all there.
#include "terminal_style.h"

static const uint32_t LIGHT[16] = {0x27272a, 0xc4302b, 0x2e7d32, 0x9a6700, 0x1f5fbf, 0x8e3fb0, 0x0f7c84, 0x71717a,
                                   0x52525b, 0xe5484d, 0x30a46c, 0xb08300, 0x3e7bfa, 0xab4aba, 0x12a4ad, 0x18181b};
static const uint32_t DARK[16] = {0x52525b, 0xff6b6b, 0x5bd18b, 0xf5c451, 0x6aa8ff, 0xd38cf2, 0x4fd1d9, 0xd4d4d8,
                                  0x71717a, 0xff8f8f, 0x7ee2a8, 0xffd97a, 0x93c0ff, 0xe2adf7, 0x7fe3e9, 0xfafafa};
static const uint8_t CUBE[6] = {0, 95, 135, 175, 215, 255};
static const int MAX_PARAMETERS = 16;

static qel_color rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return 0xFF000000u | (b & 0xFF) << 16 | (g & 0xFF) << 8 | (r & 0xFF);
}

qel_color qel_terminal_palette(int32_t index, bool dark)
{
    uint32_t c = (dark ? DARK : LIGHT)[index & 15];
    return rgb(c >> 16, c >> 8, c);
}

qel_color qel_terminal_color_256(uint32_t n, bool dark)
{
    if (n < 16) return qel_terminal_palette((int32_t)n, dark);
    if (n < 232) return rgb(CUBE[(n - 16) / 36], CUBE[(n - 16) / 6 % 6], CUBE[(n - 16) % 6]);
    uint32_t grey = 10 * n - 2312;
    return rgb(grey, grey, grey);
}

// The parameters after ESC "[" up to the final byte; at least one (0).
static int32_t parameters_of(const char* sequence, int32_t length, uint32_t* out)
{
    int32_t count = 0;
    uint64_t value = 0;
    for (int32_t i = 2; i < length - 1 && count < MAX_PARAMETERS; i++) {
        char c = sequence[i];
        if (c >= '0' && c <= '9') {
            value = value * 10 + (uint64_t)(c - '0');
            if (value > UINT32_MAX) value = UINT32_MAX;
        } else if (c == ';' || c == ':') {
            out[count++] = (uint32_t)value;
            value = 0;
        }
    }
    if (count < MAX_PARAMETERS) out[count++] = (uint32_t)value;
    return count;
}

// An extended colour from the parameters after 38 or 48 at p; how many of them it took, 0 when
// they are missing (they are then read as ordinary parameters). set is cleared for a colour
// index past 255, which is ignored.
static int32_t extended(const uint32_t* p, int32_t left, bool dark, qel_color* color, bool* set)
{
    if (left >= 2 && p[0] == 5) {
        *set = p[1] <= 255;
        if (*set) *color = qel_terminal_color_256(p[1], dark);
        return 2;
    }
    if (left >= 4 && p[0] == 2) {
        *set = true;
        *color = rgb(p[1], p[2], p[3]);
        return 4;
    }
    return 0;
}

void qel_terminal_apply_sgr(qel_terminal_attrs* a, const char* sequence, int32_t length, bool dark)
{
    uint32_t p[MAX_PARAMETERS];
    int32_t count = parameters_of(sequence, length, p);
    for (int32_t i = 0; i < count; i++) {
        uint32_t v = p[i];
        if (v == 0) *a = {};
        else if (v == 1) a->bold = 1;
        else if (v == 2) a->dim = 1;
        else if (v == 4) a->underline = 1;
        else if (v == 7) a->inverse = 1;
        else if (v == 22) a->bold = a->dim = 0;
        else if (v == 24) a->underline = 0;
        else if (v == 27) a->inverse = 0;
        else if (v >= 30 && v <= 37) a->fg = qel_terminal_palette((int32_t)v - 30, dark), a->has_fg = 1;
        else if (v == 39) a->has_fg = 0;
        else if (v >= 40 && v <= 47) a->bg = qel_terminal_palette((int32_t)v - 40, dark), a->has_bg = 1;
        else if (v == 49) a->has_bg = 0;
        else if (v >= 90 && v <= 97) a->fg = qel_terminal_palette((int32_t)v - 90 + 8, dark), a->has_fg = 1;
        else if (v >= 100 && v <= 107) a->bg = qel_terminal_palette((int32_t)v - 100 + 8, dark), a->has_bg = 1;
        else if (v == 38 || v == 48) {
            bool set = false;
            qel_color color = 0;
            int32_t took = extended(p + i + 1, count - i - 1, dark, &color, &set);
            if (set && v == 38) a->fg = color, a->has_fg = 1;
            if (set && v == 48) a->bg = color, a->has_bg = 1;
            i += took;
        }
    }
}
