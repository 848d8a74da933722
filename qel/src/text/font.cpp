// The font registry: adding and recognising fonts, their metrics and ASCII tables, roles and
// fallbacks, the embedded fonts at start-up, and the glyph walk with fallback, kerning, tabular
// digits and tracking. Rasterising and the atlas are glyph_atlas.cpp's.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"
#include "text/embedded_fonts.h"
#include "files/file_io.h"
#include "text/font_check.h"
#include "text/inflate.h"
#include "qel/text_units.h"

namespace {

// Glyph index of a code point from the font's cmap; a glyph the font does not have counts as
// missing.
int32_t qel_font_cmap(const qel_font* font, uint32_t code_point)
{
    int32_t glyph = stbtt_FindGlyphIndex(&font->info, (int)code_point);
    return glyph > 0 && glyph < font->info.numGlyphs ? glyph : 0;
}

// Glyph index of a code point in a font: the ASCII table below 128, else the font's cmap.
int32_t qel_font_glyph(const qel_font* font, uint32_t code_point)
{
    return code_point < 128 ? font->ascii_glyph[code_point] : qel_font_cmap(font, code_point);
}

float qel_font_kern_units(const qel_font* f, int32_t g1, int32_t g2)
{
    return (float)stbtt_GetGlyphKernAdvance(&f->info, g1, g2) / f->units_per_em;
}

void qel_font_measure(qel_font* f)
{
    int32_t ascent, descent, gap;
    if (!stbtt_GetFontVMetricsOS2(&f->info, &ascent, &descent, &gap)) stbtt_GetFontVMetrics(&f->info, &ascent, &descent, &gap);
    f->ascent = (float)ascent / f->units_per_em;
    f->descent = (float)descent / f->units_per_em;
    f->line_gap = (float)gap / f->units_per_em;
    int32_t x0, y0, x1, y1, h = qel_font_cmap(f, 'H');
    f->cap_height = h && stbtt_GetGlyphBox(&f->info, h, &x0, &y0, &x1, &y1) ? (float)y1 / f->units_per_em : 0.72f * f->ascent;
    for (int32_t c = 0; c < 128; c++) {
        int32_t glyph = qel_font_cmap(f, (uint32_t)c), advance = 0, bearing;
        if (glyph) stbtt_GetGlyphHMetrics(&f->info, glyph, &advance, &bearing);
        f->ascii_glyph[c] = glyph;
        f->ascii_advance[c] = (float)advance / f->units_per_em;
    }
    for (int32_t c = '0'; c <= '9'; c++) f->widest_digit = fmaxf(f->widest_digit, f->ascii_advance[c]);
}

// The 95 x 95 kerning per em of the printable-ASCII pairs, made on first use.
const float* qel_font_ascii_kern(qel_context* ctx, qel_font* f)
{
    if (!f->ascii_kern) {
        f->ascii_kern = (float*)qel_mem_alloc(ctx, sizeof(float) * 95 * 95);
        for (int32_t a = 0; a < 95; a++)
            for (int32_t b = 0; b < 95; b++) {
                int32_t ga = f->ascii_glyph[32 + a], gb = f->ascii_glyph[32 + b];
                f->ascii_kern[a * 95 + b] = ga && gb ? qel_font_kern_units(f, ga, gb) : 0;
            }
    }
    return f->ascii_kern;
}

// Kerning per em of a glyph pair; printable-ASCII pairs come from the font's table.
float qel_font_kern(qel_context* ctx, qel_font* f, uint32_t c1, int32_t g1, uint32_t c2, int32_t g2)
{
    bool ascii = c1 >= 32 && c1 < 127 && c2 >= 32 && c2 < 127 && f->ascii_glyph[c1] == g1 && f->ascii_glyph[c2] == g2;
    if (!ascii) return qel_font_kern_units(f, g1, g2);
    return qel_font_ascii_kern(ctx, f)[(c1 - 32) * 95 + (c2 - 32)];
}

bool qel_is_digit(uint32_t c)
{
    return c >= '0' && c <= '9';
}

// The glyph of a character and the font it comes from: the run's font, its fallbacks, the icon
// font for private-use code points, any other text font, else glyph 0 of the run's font.
void qel_glyph_iter_select(qel_glyph_iter* it, uint32_t c)
{
    qel_font_state* fs = &it->ctx->fonts;
    const qel_font* run = &fs->fonts[it->font];
    it->glyph_font = it->font;
    it->size_used = it->size;
    it->glyph = qel_font_glyph(run, c);
    if (it->glyph || c == ' ') return;
    for (int32_t i = 0; i < run->fallback_count; i++) {
        int32_t index = run->fallbacks[i];
        int32_t glyph = qel_font_glyph(&fs->fonts[index], c);
        if (!glyph) continue;
        it->glyph = glyph;
        it->glyph_font = index;
        if (fs->fonts[index].icon && index != it->font) it->size_used = 1.15f * it->size;
        return;
    }
    int32_t icon = fs->roles[QEL_FONT_ICON];
    if (c >= 0xE000 && c <= 0xF8FF && icon >= 0 && icon != it->font) {
        it->glyph = qel_font_glyph(&fs->fonts[icon], c);
        it->glyph_font = icon;
        if (fs->fonts[icon].icon) it->size_used = 1.15f * it->size;
        return;
    }
    for (int32_t index = 0; index < fs->font_count; index++) {
        if (index == it->font || fs->fonts[index].icon) continue;
        int32_t glyph = qel_font_glyph(&fs->fonts[index], c);
        if (!glyph) continue;
        it->glyph = glyph;
        it->glyph_font = index;
        return;
    }
}

void qel_fonts_load_embedded(qel_context* ctx)
{
    for (int32_t role = 0; role < QEL_EMBEDDED_FONT_COUNT; role++) {
        const uint8_t* stream;
        uint32_t compressed, inflated;
        if (!qel_embedded_font(role, &stream, &compressed, &inflated)) continue;
        uint8_t* data = (uint8_t*)qel_mem_alloc(ctx, inflated);
        int32_t handle = -1;
        if (inflated <= INT32_MAX && qel_inflate(stream, compressed, data, inflated) == inflated)
            handle = qel_font_add_memory(ctx, data, (int32_t)inflated, 0);
        if (handle < 0) {
            qel_mem_free(ctx, data);
            continue;
        }
        ctx->fonts.fonts[handle - QEL_FONT_HANDLE_BASE].owns_data = 1;
        ctx->fonts.roles[role] = handle - QEL_FONT_HANDLE_BASE;
    }
}

}  // namespace

int32_t qel_font_add_memory(qel_context* ctx, const uint8_t* data, int32_t size, uint8_t copy)
{
    int32_t offset, units_per_em;
    if (!qel_font_check(ctx, data, size, &offset, &units_per_em)) return -1;
    qel_font font = {};
    if (copy) {
        uint8_t* owned = (uint8_t*)qel_mem_alloc(ctx, (size_t)size);
        memcpy(owned, data, (size_t)size);
        data = owned;
    }
    // The rasteriser allocates through the context, which it finds in the font's user data.
    font.info.userdata = ctx;
    font.units_per_em = (float)units_per_em;
    if (!stbtt_InitFont(&font.info, data, offset)) {
        if (copy) qel_mem_free(ctx, (void*)data);
        return -1;
    }
    font.data = data;
    font.owns_data = copy;
    qel_font_measure(&font);
    qel_font_state* fs = &ctx->fonts;
    fs->fonts = qel_array_grow(ctx, fs->fonts, &fs->font_capacity, fs->font_count + 1ll);
    fs->fonts[fs->font_count++] = font;
    // A character no font had may come from this one now.
    qel_text_cache_clear(ctx);
    return fs->font_count - 1 + QEL_FONT_HANDLE_BASE;
}

int32_t qel_font_add_file(qel_context* ctx, const char* path)
{
    FILE* f = path ? file_open(path, "rb") : nullptr;
    if (!f) return -1;
    int64_t size = file_size_from_end(f);
    uint8_t* data = nullptr;
    int32_t handle = -1;
    if (size >= 1 && size <= INT32_MAX && fseek(f, 0, SEEK_SET) == 0) {
        data = (uint8_t*)qel_mem_alloc(ctx, (size_t)size);
        if (fread(data, 1, (size_t)size, f) == (size_t)size) handle = qel_font_add_memory(ctx, data, (int32_t)size, 0);
    }
    fclose(f);
    if (handle < 0) {
        qel_mem_free(ctx, data);
        return -1;
    }
    ctx->fonts.fonts[handle - QEL_FONT_HANDLE_BASE].owns_data = 1;
    return handle;
}

int32_t qel_font_resolve(qel_context* ctx, int32_t handle)
{
    const qel_font_state* fs = &ctx->fonts;
    if (handle >= 0 && handle < QEL_FONT_ROLE_COUNT && fs->roles[handle] >= 0) return fs->roles[handle];
    if (handle >= QEL_FONT_HANDLE_BASE && handle - QEL_FONT_HANDLE_BASE < fs->font_count) return handle - QEL_FONT_HANDLE_BASE;
    return fs->font_count > 0 ? 0 : -1;
}

void qel_font_set_role(qel_context* ctx, int32_t role, int32_t handle)
{
    if (role < 0 || role >= QEL_FONT_ROLE_COUNT) return;
    int32_t index = qel_font_resolve(ctx, handle);
    if (index < 0) return;
    ctx->fonts.roles[role] = index;
    ctx->fonts.fonts[index].icon = role == QEL_FONT_ICON;
    qel_text_cache_clear(ctx);
}

void qel_font_add_fallback(qel_context* ctx, int32_t handle, int32_t fallback_handle)
{
    int32_t index = qel_font_resolve(ctx, handle), fallback = qel_font_resolve(ctx, fallback_handle);
    if (index < 0) return;
    qel_font* f = &ctx->fonts.fonts[index];
    if (f->fallback_count < QEL_FONT_MAX_FALLBACKS) f->fallbacks[f->fallback_count++] = fallback;
    qel_text_cache_clear(ctx);
}

void qel_fonts_init(qel_context* ctx, uint8_t load_embedded)
{
    qel_font_state* fs = &ctx->fonts;
    for (int32_t& head : fs->chains) head = -1;
    for (int32_t& role : fs->roles) role = -1;
    qel_glyph_atlas* a = &fs->atlas;
    a->width = a->height = QEL_ATLAS_START_SIZE;
    a->pixels = (uint8_t*)qel_mem_alloc(ctx, (size_t)a->width * (size_t)a->height);
    memset(a->pixels, 0, (size_t)a->width * (size_t)a->height);
    a->packer = {1, 1, 0};
    if (load_embedded) qel_fonts_load_embedded(ctx);
    if (fs->roles[QEL_FONT_ICON] >= 0) fs->fonts[fs->roles[QEL_FONT_ICON]].icon = 1;
    qel_font_add_fallback(ctx, QEL_FONT_HEADING, QEL_FONT_MEDIUM);
    qel_font_add_fallback(ctx, QEL_FONT_MONO, QEL_FONT_BODY);
}

void qel_fonts_shutdown(qel_context* ctx)
{
    qel_font_state* fs = &ctx->fonts;
    for (int32_t i = 0; i < fs->font_count; i++) {
        if (fs->fonts[i].owns_data) qel_mem_free(ctx, (void*)fs->fonts[i].data);
        qel_mem_free(ctx, fs->fonts[i].ascii_kern);
    }
    qel_mem_free(ctx, fs->fonts);
    qel_mem_free(ctx, fs->glyphs);
    qel_text_cache_release(ctx);
    qel_atlas_release(ctx);
}

void qel_glyph_iter_init(qel_glyph_iter* it, qel_context* ctx, int32_t font, float size, const char* text,
                         int32_t length, uint8_t tabular_digits)
{
    *it = {};
    it->ctx = ctx;
    it->font = font;
    it->size = size;
    it->tabular_digits = tabular_digits;
    it->text = text;
    it->length = text ? length : 0;
    it->prev_glyph = it->prev_font = -1;
    it->tracking = (expf(-0.1745f * size) * 0.185f - 0.0223f) * size;
}

bool qel_glyph_iter_next(qel_glyph_iter* it)
{
    qel_font_state* fs = &it->ctx->fonts;
    if (it->position >= it->length || it->font < 0 || it->font >= fs->font_count) return false;
    uint32_t c;
    it->byte_start = it->position;
    it->position += qel_utf8_decode((const uint8_t*)it->text + it->position, it->length - it->position, &c);
    it->byte_end = it->position;
    it->code_point = c;
    qel_glyph_iter_select(it, c);
    qel_font* f = &fs->fonts[it->glyph_font];
    bool digits_apart = !it->tabular_digits || (!qel_is_digit(c) && !qel_is_digit(it->prev_code_point));
    if (it->prev_font == it->glyph_font && it->prev_glyph > 0 && it->glyph > 0 && !f->icon && digits_apart)
        it->pen_x += qel_font_kern(it->ctx, f, it->prev_code_point, it->prev_glyph, c, it->glyph) * it->size_used;
    float per_em;
    if (c < 128 && f->ascii_glyph[c] == it->glyph) {
        per_em = f->ascii_advance[c];
    } else {
        int32_t advance, bearing;
        stbtt_GetGlyphHMetrics(&f->info, it->glyph, &advance, &bearing);
        per_em = (float)advance / f->units_per_em;
    }
    it->advance = per_em * it->size_used;
    it->x_offset = 0;
    if (it->tabular_digits && qel_is_digit(c) && f->widest_digit > 0) {
        float cell = f->widest_digit * it->size_used;
        it->x_offset = (cell - it->advance) * 0.5f;
        it->advance = cell;
    }
    if (!f->icon) {
        it->advance += it->tracking;
        it->x_offset += it->tracking * 0.5f;
    }
    it->pen_before = it->pen_x;
    it->pen_x += it->advance;
    it->prev_code_point = c;
    it->prev_glyph = it->glyph;
    it->prev_font = it->glyph_font;
    return true;
}

int32_t qel_glyph_iter_skip_ascii(qel_glyph_iter* it)
{
    qel_font_state* fs = &it->ctx->fonts;
    if (it->font < 0 || it->font >= fs->font_count) return 0;
    qel_font* f = &fs->fonts[it->font];
    if (f->icon) return 0;
    const uint8_t* text = (const uint8_t*)it->text;
    int32_t start = it->position, at = start;
    // The first character may kern with one the general walk stepped over; the rest kern with
    // each other, through the ASCII table.
    if (at >= it->length || text[at] < 32 || text[at] > 126 || !(f->ascii_glyph[text[at]] || text[at] == ' '))
        return 0;
    if (!qel_glyph_iter_next(it)) return 0;
    at = it->position;
    const float* kern = qel_font_ascii_kern(it->ctx, f);
    const float size = it->size, tracking = it->tracking;
    const bool tabular = it->tabular_digits && f->widest_digit > 0, tabular_pairs = it->tabular_digits;
    float pen = it->pen_x, pen_before = it->pen_before, advance = it->advance, x_offset = it->x_offset;
    uint32_t prev = it->code_point;
    for (; at < it->length; at++) {
        uint32_t c = text[at];
        if (c < 32 || c > 126) break;
        int32_t glyph = f->ascii_glyph[c];
        if (!glyph && c != ' ') break;
        bool digit = qel_is_digit(c);
        if (f->ascii_glyph[prev] > 0 && glyph > 0 && (!tabular_pairs || (!digit && !qel_is_digit(prev))))
            pen += kern[(prev - 32) * 95 + (c - 32)] * size;
        advance = f->ascii_advance[c] * size;
        x_offset = 0;
        if (tabular && digit) {
            float cell = f->widest_digit * size;
            x_offset = (cell - advance) * 0.5f;
            advance = cell;
        }
        advance += tracking;
        x_offset += tracking * 0.5f;
        pen_before = pen;
        pen += advance;
        prev = c;
    }
    if (at == it->position) return at - start;
    it->byte_start = at - 1;
    it->position = it->byte_end = at;
    it->code_point = it->prev_code_point = prev;
    it->glyph = it->prev_glyph = f->ascii_glyph[prev];
    it->pen_before = pen_before;
    it->pen_x = pen;
    it->advance = advance;
    it->x_offset = x_offset;
    return at - start;
}

// The outline library's record and nothing else, so callers free it with qel_mem_free.
struct qel_font_info {
    stbtt_fontinfo outline;
};

qel_font_info* qel_font_info_create(qel_context* ctx, const uint8_t* data, int32_t font_offset)
{
    qel_font_info* info = (qel_font_info*)qel_mem_alloc(ctx, sizeof(qel_font_info));
    memset(info, 0, sizeof *info);
    info->outline.userdata = ctx;
    if (data && stbtt_InitFont(&info->outline, data, font_offset)) return info;
    qel_mem_free(ctx, info);
    return nullptr;
}

void qel_font_info_vmetrics(const qel_font_info* info, int32_t* ascent, int32_t* descent)
{
    int32_t a, d, gap;
    stbtt_GetFontVMetrics(&info->outline, &a, &d, &gap);
    if (ascent) *ascent = a;
    if (descent) *descent = d;
}

bool qel_font_info_glyph_box(const qel_font_info* info, int32_t glyph, float scale, int32_t* x0, int32_t* y0,
                             int32_t* x1, int32_t* y1)
{
    stbtt_GetGlyphBitmapBox(&info->outline, glyph, scale, scale, x0, y0, x1, y1);
    return *x1 > *x0 && *y1 > *y0;
}

void qel_font_info_glyph_bitmap(const qel_font_info* info, int32_t glyph, float scale, uint8_t* out, int32_t width,
                                int32_t height, int32_t stride)
{
    stbtt_MakeGlyphBitmap(&info->outline, out, width, height, stride, scale, scale, glyph);
}
