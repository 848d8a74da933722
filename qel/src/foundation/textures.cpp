// Textures through the context's renderer interface, and image files decoded into them with
// stb_image (PNG and JPEG only), read through callbacks over a file opened by UTF-8 name. The
// renderer owns what it makes; drawing is qel_draw_image's.
#include "qel/textures.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "files/file_io.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#include <stb_image.h>

// --- Textures from pixels ---

uint64_t qel_texture_create(qel_context* ctx, int32_t width, int32_t height, const uint8_t* rgba)
{
    const qel_renderer* r = &ctx->renderer;
    return r->create ? r->create(r->user, width, height, 4, rgba) : 0;
}

void qel_texture_release(qel_context* ctx, uint64_t texture)
{
    const qel_renderer* r = &ctx->renderer;
    if (texture && r->destroy) r->destroy(r->user, texture);
}

// --- Textures from image files ---

// The open file and its size: the end is where the size says, since a skip past it (a length
// field lying) clears the stream's own end-of-file mark and the decoder would wait for more.
struct file_source {
    FILE* f;
    int64_t size;
};

static int read_file(void* user, char* data, int size)
{
    return (int)fread(data, 1, (size_t)size, ((file_source*)user)->f);
}

static void skip_file(void* user, int n)
{
    fseek(((file_source*)user)->f, n, SEEK_CUR);
}

static int file_ended(void* user)
{
    const file_source* s = (const file_source*)user;
    long at = ftell(s->f);  // past 2 GiB on Windows: -1, taken as the end
    return ferror(s->f) || at < 0 || at >= s->size;
}

static const stbi_io_callbacks FILE_READER = {read_file, skip_file, file_ended};

// The marker after a 0xFF and any 0xFF fill bytes that follow it, or EOF.
static int next_marker(FILE* f)
{
    int marker;
    while ((marker = getc(f)) == 0xFF) {
    }
    return marker;
}

// Debian's stb_image takes the sixteen counts of a JPEG Huffman table on trust and writes past its
// tables when they add up to more than 256 codes. So every table of every DHT segment is checked
// first, walking the file's segments as the decoder will: lengths skip segment data, and between
// segments (entropy-coded data among them) only a 0xFF byte opens a marker, after any number of
// 0xFF fill bytes. A file that does not open with a start-of-image marker is no JPEG and passes.
static bool jpeg_tables_fit(FILE* f)
{
    if (getc(f) != 0xFF || next_marker(f) != 0xD8) return true;
    for (int c; (c = getc(f)) != EOF;) {
        if (c != 0xFF) continue;
        int marker = next_marker(f);
        bool bare = marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9);
        if (marker == EOF || bare) continue;
        int high = getc(f), low = getc(f);
        if (low == EOF) return true;
        long left = (long)(high << 8 | low) - 2;
        if (marker != 0xC4) {
            fseek(f, left > 0 ? left : 0, SEEK_CUR);
            continue;
        }
        while (left > 0) {
            int codes = 0;
            getc(f);  // table class and number
            for (int i = 0; i < 16; i++) codes += getc(f) & 0xFF;
            if (codes > 256) return false;
            fseek(f, codes, SEEK_CUR);
            left -= 17 + codes;
        }
    }
    return true;
}

// Debian's stb_image grows its buffer of image data to what a PNG chunk's length claims before it
// reads the chunk, so a small file claiming a gigabyte has it allocated. So every chunk must lie
// within the file, up to the image's end. A file without the PNG signature is no PNG and passes.
static bool png_chunks_fit(FILE* f, int64_t size)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8_t head[8];
    if (fread(head, 1, 8, f) != 8 || memcmp(head, signature, 8) != 0) return true;
    for (int64_t at = 8; at + 12 <= size && at <= LONG_MAX;) {
        if (fseek(f, (long)at, SEEK_SET) != 0 || fread(head, 1, 8, f) != 8) return false;
        int64_t length = (int64_t)head[0] << 24 | head[1] << 16 | head[2] << 8 | head[3];
        if (at + 12 + length > size) return false;
        if (memcmp(head + 4, "IEND", 4) == 0) return true;
        at += 12 + length;
    }
    return false;
}

static bool fits_limits(int width, int height)
{
    return width <= QEL_IMAGE_MAX_SIDE && height <= QEL_IMAGE_MAX_SIDE &&
           (int64_t)width * height <= QEL_IMAGE_MAX_PIXELS;
}

static bool rewind_file(FILE* f)
{
    clearerr(f);
    return fseek(f, 0, SEEK_SET) == 0;
}

// The image's size from its header, then its pixels once the size is known to be acceptable.
static qel_image_result decode(FILE* f, uint8_t** pixels, int* width, int* height)
{
    file_source source = {f, file_size_from_end(f)};
    if (source.size < 0 || !rewind_file(f)) return QEL_IMAGE_CANNOT_OPEN;
    int channels;
    if (!jpeg_tables_fit(f)) return QEL_IMAGE_NOT_DECODED;
    if (!rewind_file(f)) return QEL_IMAGE_CANNOT_OPEN;
    if (!stbi_info_from_callbacks(&FILE_READER, &source, width, height, &channels)) return QEL_IMAGE_NOT_DECODED;
    if (!fits_limits(*width, *height)) return QEL_IMAGE_TOO_LARGE;
    if (!rewind_file(f)) return QEL_IMAGE_CANNOT_OPEN;
    if (!png_chunks_fit(f, source.size)) return QEL_IMAGE_NOT_DECODED;
    if (!rewind_file(f)) return QEL_IMAGE_CANNOT_OPEN;
    int w, h;
    *pixels = stbi_load_from_callbacks(&FILE_READER, &source, &w, &h, &channels, 4);
    if (!*pixels) return QEL_IMAGE_NOT_DECODED;
    if (w != *width || h != *height) {  // the file changed under us
        stbi_image_free(*pixels);
        *pixels = nullptr;
        return QEL_IMAGE_NOT_DECODED;
    }
    return QEL_IMAGE_OK;
}

qel_image_result qel_image_load(qel_context* ctx, const char* path, uint64_t* out_texture, uint32_t* out_width,
                                uint32_t* out_height)
{
    if (out_texture) *out_texture = 0;
    if (out_width) *out_width = 0;
    if (out_height) *out_height = 0;
    FILE* f = path ? file_open(path, "rb") : nullptr;
    if (!f) return QEL_IMAGE_CANNOT_OPEN;
    uint8_t* pixels = nullptr;
    int width = 0, height = 0;
    qel_image_result result = decode(f, &pixels, &width, &height);
    fclose(f);
    if (result == QEL_IMAGE_OK || result == QEL_IMAGE_TOO_LARGE) {
        if (out_width) *out_width = (uint32_t)width;
        if (out_height) *out_height = (uint32_t)height;
    }
    if (result != QEL_IMAGE_OK) return result;
    uint64_t texture = qel_texture_create(ctx, width, height, pixels);
    stbi_image_free(pixels);
    if (out_texture) *out_texture = texture;
    return texture ? QEL_IMAGE_OK : QEL_IMAGE_NO_TEXTURE;
}

uint64_t qel_image_load_texture(qel_context* ctx, const char* path, uint32_t* out_width, uint32_t* out_height)
{
    uint64_t texture;
    qel_image_load(ctx, path, &texture, out_width, out_height);
    return texture;
}
