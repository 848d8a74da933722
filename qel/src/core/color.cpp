// Colour arithmetic in single precision. Every float-to-byte step goes through one guarded
// conversion, so NaN or infinite intermediate values end as 0 or 255, never as undefined casts.
#include "qel/color.h"

#include <cmath>

static float srgb_to_linear(uint8_t byte)
{
    float c = byte / 255.0f;
    return c <= 0.04045f ? c / 12.92f : powf((c + 0.055f) / 1.055f, 2.4f);
}

// A 0..1 value to a rounded byte; NaN and negatives give 0.
static uint32_t unit_to_byte(float c)
{
    if (!(c > 0.0f)) return 0;
    if (c > 1.0f) c = 1.0f;
    return (uint32_t)(int)(c * 255.0f + 0.5f);
}

static uint32_t linear_to_byte(float c)
{
    if (!(c > 0.0f)) return 0;
    if (c > 1.0f) c = 1.0f;
    return unit_to_byte(c <= 0.0031308f ? 12.92f * c : 1.055f * powf(c, 1.0f / 2.4f) - 0.055f);
}

static void color_to_oklab(float out[3], qel_color c)
{
    qel_color_to_oklab(out, (uint8_t)c, (uint8_t)(c >> 8), (uint8_t)(c >> 16));
}

static float color_luminance(qel_color c)
{
    return qel_color_luminance((uint8_t)c, (uint8_t)(c >> 8), (uint8_t)(c >> 16));
}

static float color_alpha(qel_color c)
{
    return (c >> 24) / 255.0f;
}

float qel_color_luminance(uint8_t r, uint8_t g, uint8_t b)
{
    return 0.2126f * srgb_to_linear(r) + 0.7152f * srgb_to_linear(g) + 0.0722f * srgb_to_linear(b);
}

void qel_color_to_oklab(float out[3], uint8_t r, uint8_t g, uint8_t b)
{
    float R = srgb_to_linear(r), G = srgb_to_linear(g), B = srgb_to_linear(b);
    float l = cbrtf(0.41222146f * R + 0.53633255f * G + 0.051445995f * B);
    float m = cbrtf(0.2119035f * R + 0.6806995f * G + 0.10739696f * B);
    float s = cbrtf(0.08830246f * R + 0.28171885f * G + 0.6299787f * B);
    out[0] = 0.21045426f * l + 0.7936178f * m - 0.004072047f * s;
    out[1] = 1.9779985f * l - 2.4285922f * m + 0.4505937f * s;
    out[2] = 0.025904037f * l + 0.78277177f * m - 0.80867577f * s;
}

qel_color qel_color_from_oklab(const float lab[3], float alpha)
{
    float l = lab[0] + 0.39633778f * lab[1] + 0.21580376f * lab[2];
    float m = lab[0] - 0.105561346f * lab[1] - 0.06385417f * lab[2];
    float s = lab[0] - 0.08948418f * lab[1] - 1.2914855f * lab[2];
    l = l * l * l;
    m = m * m * m;
    s = s * s * s;
    uint32_t r = linear_to_byte(4.0767417f * l - 3.3077116f * m + 0.23096994f * s);
    uint32_t g = linear_to_byte(-1.268438f * l + 2.6097574f * m - 0.34131938f * s);
    uint32_t b = linear_to_byte(-0.0041960864f * l - 0.7034186f * m + 1.7076147f * s);
    return r | g << 8 | b << 16 | unit_to_byte(alpha) << 24;
}

qel_color qel_color_oklch(float L, float C, float hue_degrees, float alpha)
{
    float h = hue_degrees * 3.1415927f / 180.0f;
    float lab[3] = {L, C * cosf(h), C * sinf(h)};
    return qel_color_from_oklab(lab, alpha);
}

qel_color qel_color_mix(qel_color from, qel_color to, float t)
{
    if (!(t > 0.0f)) return from;
    if (t >= 1.0f) return to;
    float a0 = color_alpha(from), a1 = color_alpha(to);
    float alpha = a0 + (a1 - a0) * t;
    if (alpha <= 0.0001f) return 0;
    float lab0[3], lab1[3], lab[3];
    color_to_oklab(lab0, from);
    color_to_oklab(lab1, to);
    for (int i = 0; i < 3; i++) lab[i] = (lab0[i] * a0 * (1.0f - t) + lab1[i] * a1 * t) / alpha;
    return qel_color_from_oklab(lab, alpha);
}

static float contrast_ratio(float y0, float y1)
{
    return (fmaxf(y0, y1) + 0.05f) / (fminf(y0, y1) + 0.05f);
}

qel_color qel_color_contrast(qel_color color, qel_color background, float ratio)
{
    float y_bg = color_luminance(background);
    float step = y_bg > 0.18f ? -0.025f : 0.025f;
    float lab[3];
    color_to_oklab(lab, color);
    qel_color current = color;
    for (int i = 0; i < 24; i++) {
        if (contrast_ratio(color_luminance(current), y_bg) >= ratio) break;
        lab[0] = fminf(fmaxf(lab[0] + step, 0.0f), 1.0f);
        lab[1] *= 0.97f;
        lab[2] *= 0.97f;
        current = qel_color_from_oklab(lab, color_alpha(color));
    }
    return current;
}

qel_color qel_color_tone(qel_color color, float L, float chroma_scale)
{
    float lab[3];
    color_to_oklab(lab, color);
    lab[0] = L;
    lab[1] *= chroma_scale;
    lab[2] *= chroma_scale;
    return qel_color_from_oklab(lab, color_alpha(color));
}

qel_color qel_color_alpha(qel_color color, float factor)
{
    float a = factor * (float)(color >> 24) + 0.5f;
    uint32_t alpha = !(a >= 0.0f) ? 0 : a >= 255.0f ? 255 : (uint32_t)(int)a;
    return (color & 0x00FFFFFF) | alpha << 24;
}
