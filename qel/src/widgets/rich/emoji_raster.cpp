// The pixels of one emoji: COLR layers composited from the outline font, or a CBDT or sbix PNG
// decoded and fitted into the square, or what the platform's renderer draws. Every table read
// is bounded by the table copy or the font's size.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "emoji_font.h"
#include "opentype.h"
#include "qel/font.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace {

const uint32_t MAX_BITMAP_RECORD = 8u << 20;
const int32_t MAX_PNG_SIDE = 1024;
const int32_t MAX_SIZE_RECORDS = 64, MAX_INDEX_SUBTABLES = 4096;
const int32_t REDUCTION_LIMIT = 8;

struct square {
    uint8_t* rgba;  // the c x c buffer
    int32_t c, p;
};

uint8_t* pixel(const square& sq, int32_t x, int32_t y)
{
    return sq.rgba + ((size_t)(y + 1) * sq.c + (size_t)(x + 1)) * 4;
}

// --- COLR layers ---

struct layer {
    uint16_t glyph, palette_index;
};

// The base glyph record's first layer and count; false when the glyph has none.
bool colr_layers(qel_span colr, uint32_t glyph, uint32_t* first, uint32_t* count)
{
    uint32_t records = qel_opentype_u32(colr, 4), n = qel_opentype_u16(colr, 2);
    int64_t lo = 0, hi = (int64_t)n - 1;
    while (lo <= hi) {
        int64_t mid = (lo + hi) / 2;
        uint64_t at = records + (uint64_t)mid * 6;
        if (!qel_span_fits(colr, at, 6)) return false;
        uint32_t g = qel_span_u16(colr, at);
        if (g == glyph) {
            *first = qel_span_u16(colr, at + 2);
            *count = qel_span_u16(colr, at + 4);
            return *count > 0;
        }
        if (g < glyph) lo = mid + 1;
        else hi = mid - 1;
    }
    return false;
}

// Straight RGBA of a palette entry of palette 0; opaque white for 0xFFFF or anything missing.
void palette_color(qel_span cpal, uint32_t index, uint8_t out[4])
{
    out[0] = out[1] = out[2] = out[3] = 255;
    if (index == 0xFFFF || !cpal.p) return;
    uint32_t record = index + qel_opentype_u16(cpal, 12);
    uint64_t at = qel_opentype_u32(cpal, 8) + (uint64_t)record * 4;
    if (record >= qel_opentype_u16(cpal, 6) || !qel_span_fits(cpal, at, 4)) return;
    out[0] = cpal.p[at + 2];
    out[1] = cpal.p[at + 1];
    out[2] = cpal.p[at];
    out[3] = cpal.p[at + 3];
}

// Straight-alpha "over" of one coverage value in a colour.
void composite(uint8_t* dst, const uint8_t color[4], uint8_t coverage)
{
    float a = coverage / 255.0f * (color[3] / 255.0f);
    if (a <= 0.0f) return;
    float d = dst[3] / 255.0f, out = d * (1.0f - a) + a;
    for (int k = 0; k < 3; k++) {
        float v = (dst[k] * d * (1.0f - a) + color[k] * a) / out + 0.5f;
        dst[k] = (uint8_t)fminf(v, 255.0f);
    }
    dst[3] = (uint8_t)fminf(out * 255.0f + 0.5f, 255.0f);
}

struct box {
    int32_t x0, y0, x1, y1;
    bool inked;
};

bool outline_glyph(qel_context* ctx, const qel_emoji_state* st, uint32_t glyph, const square& sq, uint8_t* tint)
{
    int32_t ascent, descent;
    qel_font_info_vmetrics(st->outline, &ascent, &descent);
    if (ascent - descent <= 0) return false;  // a damaged hhea: no scale to draw at
    float s = (float)sq.p / (float)(ascent - descent) * 0.94f;
    qel_span colr = {st->colr, st->colr_length}, cpal = {st->cpal, st->cpal_length};
    uint32_t first = 0, count = 1;
    if (!st->outline_only && !colr_layers(colr, glyph, &first, &count)) return false;
    uint32_t layer_records = qel_opentype_u32(colr, 8);
    auto layer_at = [&](uint32_t i, layer* out) {
        if (st->outline_only) {
            *out = {(uint16_t)glyph, 0xFFFF};
            return true;
        }
        uint64_t at = layer_records + ((uint64_t)first + i) * 4;
        if (!qel_span_fits(colr, at, 4)) return false;
        *out = {qel_span_u16(colr, at), qel_span_u16(colr, at + 2)};
        return true;
    };
    // Boxes beyond a few squares are a damaged glyph, never an emoji.
    int32_t limit = 4 * sq.p;
    int32_t left = INT32_MAX, right = INT32_MIN;
    for (uint32_t i = 0; i < count; i++) {
        layer l;
        box b;
        if (!layer_at(i, &l)) break;
        if (!qel_font_info_glyph_box(st->outline, l.glyph, s, &b.x0, &b.y0, &b.x1, &b.y1)) continue;
        left = b.x0 < left ? b.x0 : left;
        right = b.x1 > right ? b.x1 : right;
    }
    if (left > right) return true;  // nothing inked: a blank square
    int32_t offset = (sq.p - (right - left)) / 2 - left;
    int32_t baseline = (int32_t)(((float)sq.p - (float)(ascent - descent) * s) / 2.0f + (float)ascent * s);
    for (uint32_t i = 0; i < count; i++) {
        layer l;
        box b;
        if (!layer_at(i, &l)) break;
        if (!qel_font_info_glyph_box(st->outline, l.glyph, s, &b.x0, &b.y0, &b.x1, &b.y1)) continue;
        int32_t w = b.x1 - b.x0, h = b.y1 - b.y0;
        if (w > limit || h > limit) continue;
        uint8_t color[4];
        palette_color(cpal, l.palette_index, color);
        uint8_t* coverage = (uint8_t*)qel_mem_alloc(ctx, (size_t)w * (size_t)h);
        memset(coverage, 0, (size_t)w * (size_t)h);
        qel_font_info_glyph_bitmap(st->outline, l.glyph, s, coverage, w, h, w);
        for (int32_t y = 0; y < h; y++) {
            int32_t ty = baseline + b.y0 + y;
            if (ty < 0 || ty >= sq.p) continue;
            for (int32_t x = 0; x < w; x++) {
                int32_t tx = offset + b.x0 + x;
                if (tx >= 0 && tx < sq.p) composite(pixel(sq, tx, ty), color, coverage[y * w + x]);
            }
        }
        qel_mem_free(ctx, coverage);
    }
    *tint = st->outline_only;
    return true;
}

// --- Bitmap strikes ---

// Of n sizes, the smallest at or above target, else the largest; -1 when none is eligible.
template <typename Ppem>
int32_t choose_size(int32_t n, int32_t target, Ppem ppem)
{
    int32_t above = -1, largest = -1;
    for (int32_t i = 0; i < n; i++) {
        int32_t v = ppem(i);
        if (v < 0) continue;
        if (v >= target && (above < 0 || v < ppem(above))) above = i;
        if (largest < 0 || v > ppem(largest)) largest = i;
    }
    return above >= 0 ? above : largest;
}

struct image_ref {
    uint64_t offset;  // in the font
    uint32_t length;
    uint16_t format;
};

// Offset and length of the glyph's image inside CBDT from the index subtable at sub.
bool index_subtable_image(qel_span cblc, uint32_t sub, uint32_t first_glyph, uint32_t glyph, uint64_t* at,
                          uint32_t* length)
{
    uint16_t format = qel_opentype_u16(cblc, sub);
    uint32_t data = qel_opentype_u32(cblc, (uint64_t)sub + 4), i = glyph - first_glyph;
    uint64_t begin = 0, end = 0;
    switch (format) {
    case 1:
        if (!qel_span_fits(cblc, sub + 8 + (uint64_t)i * 4, 8)) return false;
        begin = qel_opentype_u32(cblc, sub + 8 + (uint64_t)i * 4);
        end = qel_opentype_u32(cblc, sub + 12 + (uint64_t)i * 4);
        break;
    case 3:
        if (!qel_span_fits(cblc, sub + 8 + (uint64_t)i * 2, 4)) return false;
        begin = qel_opentype_u16(cblc, sub + 8 + (uint64_t)i * 2);
        end = qel_opentype_u16(cblc, sub + 10 + (uint64_t)i * 2);
        break;
    case 2: {
        uint32_t size = qel_opentype_u32(cblc, (uint64_t)sub + 8);
        begin = (uint64_t)size * i;
        end = begin + size;
        break;
    }
    case 4: {
        uint32_t n = qel_opentype_u32(cblc, (uint64_t)sub + 8);
        for (uint32_t k = 0; k < n; k++) {
            uint64_t pair = sub + 12 + (uint64_t)k * 4;
            if (!qel_span_fits(cblc, pair, 8)) return false;
            if (qel_span_u16(cblc, pair) != glyph) continue;
            begin = qel_span_u16(cblc, pair + 2);
            end = qel_span_u16(cblc, pair + 6);
            break;
        }
        break;
    }
    case 5: {
        uint32_t size = qel_opentype_u32(cblc, (uint64_t)sub + 8), n = qel_opentype_u32(cblc, (uint64_t)sub + 20);
        for (uint32_t k = 0; k < n; k++) {
            uint64_t entry = sub + 24 + (uint64_t)k * 2;
            if (!qel_span_fits(cblc, entry, 2)) return false;
            if (qel_span_u16(cblc, entry) != glyph) continue;
            begin = (uint64_t)size * k;
            end = begin + size;
            break;
        }
        break;
    }
    default: return false;
    }
    if (end <= begin || end - begin > MAX_BITMAP_RECORD) return false;
    *at = data + begin;
    *length = (uint32_t)(end - begin);
    return true;
}

bool cblc_image(const qel_emoji_state* st, uint32_t glyph, int32_t target, image_ref* out)
{
    qel_span cblc = {st->cblc, st->cblc_length};
    uint32_t sizes = qel_opentype_u32(cblc, 4);
    int32_t n = sizes < (uint32_t)MAX_SIZE_RECORDS ? (int32_t)sizes : MAX_SIZE_RECORDS;
    auto record = [](int32_t i) { return 8 + (uint64_t)i * 48; };
    int32_t chosen = choose_size(n, target, [&](int32_t i) {
        uint64_t r = record(i);
        if (!qel_span_fits(cblc, r, 48)) return -1;
        if (glyph < qel_span_u16(cblc, r + 40) || glyph > qel_span_u16(cblc, r + 42)) return -1;
        return (int32_t)cblc.p[r + 44];
    });
    if (chosen < 0) return false;
    uint64_t r = record(chosen);
    uint32_t array = qel_span_u32(cblc, r), count = qel_span_u32(cblc, r + 8);
    if (count > (uint32_t)MAX_INDEX_SUBTABLES) count = MAX_INDEX_SUBTABLES;
    for (uint32_t k = 0; k < count; k++) {
        uint64_t entry = (uint64_t)array + k * 8;
        if (!qel_span_fits(cblc, entry, 8)) return false;
        uint32_t first = qel_span_u16(cblc, entry), last = qel_span_u16(cblc, entry + 2);
        if (glyph < first || glyph > last) continue;
        uint64_t sub = (uint64_t)array + qel_span_u32(cblc, entry + 4);
        if (!qel_span_fits(cblc, sub, 8)) return false;
        uint64_t at;
        uint32_t length;
        if (!index_subtable_image(cblc, (uint32_t)sub, first, glyph, &at, &length)) return false;
        out->offset = st->cbdt_offset + at;
        out->length = length;
        out->format = qel_span_u16(cblc, sub + 2);
        return true;
    }
    return false;
}

// The PNG inside a CBDT record of format 17, 18 or 19; null (nothing allocated) otherwise.
uint8_t* cbdt_png(qel_context* ctx, qel_emoji_state* st, const image_ref& img, uint32_t* png_length,
                  uint32_t* png_at)
{
    uint32_t metrics = img.format == 17 ? 5 : img.format == 18 ? 8 : img.format == 19 ? 0 : UINT32_MAX;
    if (metrics == UINT32_MAX || img.length < metrics + 4) return nullptr;
    uint8_t* record = (uint8_t*)qel_mem_alloc(ctx, img.length);
    uint32_t length = 0;
    if (qel_emoji_font_read(st, img.offset, img.length, record))
        length = qel_span_u32({record, img.length}, metrics);
    if (length == 0 || length > img.length - metrics - 4) {
        qel_mem_free(ctx, record);
        return nullptr;
    }
    *png_length = length;
    *png_at = metrics + 4;
    return record;
}

// The PNG of an sbix glyph in the strike chosen for target; "dupe" redirects once.
uint8_t* sbix_png(qel_context* ctx, qel_emoji_state* st, uint32_t glyph, int32_t target, uint32_t* png_length,
                  uint32_t* png_at)
{
    int32_t strike = choose_size((int32_t)st->strike_count, target, [&](int32_t i) { return (int32_t)st->strike_ppem[i]; });
    if (strike < 0) return nullptr;
    uint64_t base = st->strike_offset[strike];
    for (int redirects = 0; redirects < 2; redirects++) {
        if (glyph >= st->glyph_count) return nullptr;
        uint8_t offsets[8];
        if (!qel_emoji_font_read(st, base + 4 + (uint64_t)glyph * 4, 8, offsets)) return nullptr;
        uint32_t begin = qel_span_u32({offsets, 8}, 0), end = qel_span_u32({offsets, 8}, 4);
        if (end <= begin || end - begin <= 8 || end - begin > MAX_BITMAP_RECORD) return nullptr;
        uint32_t length = end - begin;
        uint8_t* record = (uint8_t*)qel_mem_alloc(ctx, length);
        if (!qel_emoji_font_read(st, base + begin, length, record)) {
            qel_mem_free(ctx, record);
            return nullptr;
        }
        if (memcmp(record + 4, "png ", 4) == 0) {
            *png_length = length - 8;
            *png_at = 8;
            return record;
        }
        bool dupe = memcmp(record + 4, "dupe", 4) == 0 && length >= 10;
        glyph = dupe ? qel_span_u16({record, length}, 8) : UINT32_MAX;
        qel_mem_free(ctx, record);
        if (!dupe) return nullptr;
    }
    return nullptr;
}

// --- Fitting a picture into the square ---

struct picture {
    const uint8_t* rgba;
    int32_t w, h;
};

// Accumulates one source pixel, its colour weighted by its alpha and the weight.
struct weighted {
    float c[3], a, weight;
    void add(const uint8_t* px, float wt)
    {
        float aw = px[3] * wt;
        for (int k = 0; k < 3; k++) c[k] += px[k] * aw;
        a += aw;
        weight += wt;
    }
    void store(uint8_t* out) const
    {
        if (a <= 0.0f) return;
        for (int k = 0; k < 3; k++) out[k] = (uint8_t)fminf(c[k] / a + 0.5f, 255.0f);
        out[3] = (uint8_t)fminf(a / weight + 0.5f, 255.0f);
    }
};

float sample_centre(int32_t i, int32_t source, int32_t target)
{
    float v = ((float)i + 0.5f) * (float)source / (float)target - 0.5f;
    return fminf(fmaxf(v, 0.0f), (float)(source - 1));
}

void bilinear(const picture& pic, const square& sq, int32_t ox, int32_t oy, int32_t tw, int32_t th)
{
    for (int32_t y = 0; y < th; y++) {
        float sy = sample_centre(y, pic.h, th);
        int32_t y0 = (int32_t)sy, y1 = y0 + 1 < pic.h ? y0 + 1 : y0;
        float fy = sy - (float)y0;
        for (int32_t x = 0; x < tw; x++) {
            float sx = sample_centre(x, pic.w, tw);
            int32_t x0 = (int32_t)sx, x1 = x0 + 1 < pic.w ? x0 + 1 : x0;
            float fx = sx - (float)x0;
            weighted acc = {};
            acc.add(pic.rgba + ((size_t)y0 * pic.w + x0) * 4, (1 - fx) * (1 - fy));
            acc.add(pic.rgba + ((size_t)y0 * pic.w + x1) * 4, fx * (1 - fy));
            acc.add(pic.rgba + ((size_t)y1 * pic.w + x0) * 4, (1 - fx) * fy);
            acc.add(pic.rgba + ((size_t)y1 * pic.w + x1) * 4, fx * fy);
            acc.store(pixel(sq, ox + x, oy + y));
        }
    }
}

// The overlap of source pixel i with target pixel j, both in source units.
float overlap(int32_t i, int32_t j, int32_t source, int32_t target)
{
    float lo = (float)j * (float)source / (float)target, hi = (float)(j + 1) * (float)source / (float)target;
    return std::max(0.0f, std::min(hi, (float)(i + 1)) - std::max(lo, (float)i));
}

// The box filter, as two passes over premultiplied floats (the same as the 2-D product).
void box_filter(qel_context* ctx, const picture& pic, const square& sq, int32_t ox, int32_t oy, int32_t tw,
                int32_t th)
{
    // Horizontal pass: th rows stay pic.h high; each value holds (c*a sum, a sum, weight sum).
    size_t cells = (size_t)tw * pic.h;
    float* rows = (float*)qel_mem_alloc(ctx, cells * 5 * sizeof(float));
    for (int32_t y = 0; y < pic.h; y++) {
        for (int32_t x = 0; x < tw; x++) {
            weighted acc = {};
            int32_t i0 = (int32_t)((int64_t)x * pic.w / tw), i1 = (int32_t)(((int64_t)(x + 1) * pic.w + tw - 1) / tw);
            for (int32_t i = i0; i < i1 && i < pic.w; i++)
                acc.add(pic.rgba + ((size_t)y * pic.w + i) * 4, overlap(i, x, pic.w, tw));
            float* v = rows + ((size_t)y * tw + x) * 5;
            v[0] = acc.c[0], v[1] = acc.c[1], v[2] = acc.c[2], v[3] = acc.a, v[4] = acc.weight;
        }
    }
    for (int32_t y = 0; y < th; y++) {
        int32_t j0 = (int32_t)((int64_t)y * pic.h / th), j1 = (int32_t)(((int64_t)(y + 1) * pic.h + th - 1) / th);
        for (int32_t x = 0; x < tw; x++) {
            weighted acc = {};
            for (int32_t j = j0; j < j1 && j < pic.h; j++) {
                float wt = overlap(j, y, pic.h, th);
                const float* v = rows + ((size_t)j * tw + x) * 5;
                for (int k = 0; k < 3; k++) acc.c[k] += v[k] * wt;
                acc.a += v[3] * wt;
                acc.weight += v[4] * wt;
            }
            acc.store(pixel(sq, ox + x, oy + y));
        }
    }
    qel_mem_free(ctx, rows);
}

void fit_picture(qel_context* ctx, const picture& pic, const square& sq)
{
    int32_t longer = pic.w > pic.h ? pic.w : pic.h;
    int32_t tw = (int32_t)((int64_t)sq.p * pic.w / longer), th = (int32_t)((int64_t)sq.p * pic.h / longer);
    tw = tw < 1 ? 1 : tw;
    th = th < 1 ? 1 : th;
    int32_t ox = (sq.p - tw) / 2, oy = (sq.p - th) / 2;
    if (tw > pic.w || th > pic.h) bilinear(pic, sq, ox, oy, tw, th);
    else if ((pic.w + tw - 1) / tw < REDUCTION_LIMIT && (pic.h + th - 1) / th < REDUCTION_LIMIT)
        box_filter(ctx, pic, sq, ox, oy, tw, th);
}

// Decodes the PNG (its size read first: large ones are refused before decoding) and fits it.
bool draw_png(qel_context* ctx, const uint8_t* png, uint32_t length, const square& sq)
{
    int w, h, channels;
    if (length > INT32_MAX || !stbi_info_from_memory(png, (int)length, &w, &h, &channels)) return false;
    if (w < 1 || h < 1 || w > MAX_PNG_SIDE || h > MAX_PNG_SIDE) return false;
    uint8_t* rgba = stbi_load_from_memory(png, (int)length, &w, &h, &channels, 4);
    if (!rgba) return false;
    fit_picture(ctx, {rgba, w, h}, sq);
    stbi_image_free(rgba);
    return true;
}

bool bitmap_glyph(qel_context* ctx, qel_emoji_state* st, uint32_t glyph, const square& sq)
{
    int32_t target = 2 * sq.p;
    uint32_t png_length = 0, png_at = 0;
    uint8_t* record = nullptr;
    image_ref img;
    if (st->cblc && cblc_image(st, glyph, target, &img)) record = cbdt_png(ctx, st, img, &png_length, &png_at);
    if (!record && st->strike_count) record = sbix_png(ctx, st, glyph, target, &png_length, &png_at);
    if (!record) return false;
    bool drawn = draw_png(ctx, record + png_at, png_length, sq);
    qel_mem_free(ctx, record);
    return drawn;
}

bool platform_emoji(qel_context* ctx, const char* text, int32_t length, const square& sq)
{
    size_t row = (size_t)sq.p * 4;
    uint8_t* pixels = (uint8_t*)qel_mem_alloc(ctx, row * sq.p);
    memset(pixels, 0, row * sq.p);
    bool drawn = ctx->platform.render_emoji(ctx->platform.user, text, length, (float)sq.p, pixels);
    if (drawn)
        for (int32_t y = 0; y < sq.p; y++) memcpy(pixel(sq, 0, y), pixels + row * y, row);
    qel_mem_free(ctx, pixels);
    return drawn;
}

}  // namespace

bool qel_emoji_rasterise(qel_context* ctx, qel_emoji_state* st, const char* text, int32_t length, int32_t p,
                         int32_t c, uint8_t* rgba, uint8_t* tint)
{
    square sq = {rgba, c, p};
    *tint = 0;
    if (!st->loaded) return ctx->platform.render_emoji && platform_emoji(ctx, text, length, sq);
    uint32_t glyph = qel_emoji_glyph_for_sequence(st, text, length);
    if (!glyph) return false;
    if (st->outline) return outline_glyph(ctx, st, glyph, sq, tint);
    return bitmap_glyph(ctx, st, glyph, sq);
}
