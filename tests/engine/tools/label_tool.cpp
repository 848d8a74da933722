// Runs engine jobs listed in a file, one a line, and prints one result line for each, for
// comparison with other programs. Texts are given in hexadecimal so that any byte can pass.
//   modules SYMBOLOGY HEXTEXT               -> "<error> <modules as 0 and 1>"
//   barcode SYMBOLOGY HEXTEXT DPI OUT.png   -> "<error>": the symbol alone on a label, at scale 2
//   label STOCK TEMPLATE DPI CSV ROW OUT.png -> "<error>": one row of a spreadsheet
//   image SEED WIDTH HEIGHT SCALE BASE      -> "<pbm error> <png error>": a random raster as
//                                              BASE.pbm and as BASE.png at the scale
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/barcode.h"
#include "engine/catalog.h"
#include "engine/image_file.h"
#include "engine/render.h"

static std::string from_hex(const char* hex)
{
    std::string text;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
        unsigned byte = 0;
        sscanf(hex + i, "%2x", &byte);
        text += (char)byte;
    }
    return text;
}

static void job_modules(const char* args)
{
    unsigned symbology = 0;
    char hex[4096] = "";
    sscanf(args, "%u %4095s", &symbology, hex);
    barcode_symbol s;
    engine_error e = barcode_encode(symbology, from_hex(hex).c_str(), &s);
    printf("%d ", (int)e);
    for (int i = 0; e == ERR_OK && i < s.module_count; i++) putchar('0' + s.modules[i]);
    putchar('\n');
}

// Laid out as the console's barcode command lays out a single symbol.
static void job_barcode(const char* args)
{
    unsigned symbology = 0;
    int dpi = 0;
    char hex[4096] = "", path[1024] = "";
    sscanf(args, "%u %4095s %d %1023s", &symbology, hex, &dpi, path);
    std::string text = from_hex(hex);
    barcode_symbol s;
    engine_error e = barcode_encode(symbology, text.c_str(), &s);
    if (e == ERR_OK) {
        label_model m;
        label_model_init(&m, "barcode", (float)s.module_count * 0.25f + 6, 20, dpi);
        label_element* b = label_add_element(&m, LABEL_BARCODE);
        b->x_mm = 3;
        b->y_mm = 2;
        b->size_mm = 12;
        b->symbology = symbology;
        snprintf(b->text, sizeof b->text, "%s", text.c_str());
        raster r = {};
        e = label_render_literal(&m, &r);
        if (e == ERR_OK) e = png_write_raster(&r, path, 2);
        raster_free(&r);
    }
    printf("%d\n", (int)e);
}

static void job_label(const char* args)
{
    char stock_id[64] = "", layout[64] = "", csv[1024] = "", path[1024] = "";
    int dpi = 0, row = 0;
    sscanf(args, "%63s %63s %d %1023s %d %1023s", stock_id, layout, &dpi, csv, &row, path);
    const stock_def* stock = catalog_stock_find(stock_id);
    csv_table t = {};
    engine_error e = stock ? csv_read_file(&t, csv, nullptr, 0) : ERR_INVALID;
    label_model m;
    if (e == ERR_OK) {
        label_model_init(&m, stock->description, stock->width_mm, stock->height_mm, dpi);
        e = layout_build(&m, layout, &t);
    }
    raster r = {};
    if (e == ERR_OK) e = label_render_row(&m, &t, row, &r);
    if (e == ERR_OK) e = png_write_raster_1x(&r, path);
    raster_free(&r);
    csv_table_clear(&t);
    printf("%d\n", (int)e);
}

static void job_image(const char* args)
{
    unsigned seed = 0;
    int width = 0, height = 0, scale = 0;
    char base[1024] = "";
    sscanf(args, "%u %d %d %d %1000s", &seed, &width, &height, &scale, base);
    raster r = {};
    if (raster_create(&r, width, height) != ERR_OK) {
        printf("-1 -1\n");
        return;
    }
    for (int32_t y = 0; y < height; y++) {
        for (int32_t x = 0; x < width; x++) {
            seed = seed * 1103515245u + 12345u;
            raster_set(&r, x, y, (int)((seed >> 16) & 1));
        }
    }
    engine_error pbm = pbm_write_raster(&r, (std::string(base) + ".pbm").c_str());
    engine_error png = png_write_raster(&r, (std::string(base) + ".png").c_str(), scale);
    raster_free(&r);
    printf("%d %d\n", (int)pbm, (int)png);
}

int main(int argc, char** argv)
{
    static const struct {
        const char* name;
        void (*run)(const char* args);
    } commands[] = {
        {"modules", job_modules}, {"barcode", job_barcode}, {"label", job_label}, {"image", job_image},
    };
    FILE* jobs = argc == 2 ? fopen(argv[1], "r") : nullptr;
    if (!jobs) return 2;
    char line[8192];
    while (fgets(line, sizeof line, jobs)) {
        char name[32] = "";
        int used = 0;
        if (sscanf(line, "%31s %n", name, &used) < 1) continue;
        bool known = false;
        for (const auto& c : commands) {
            if (strcmp(c.name, name) == 0) {
                c.run(line + used);
                known = true;
            }
        }
        if (!known) printf("unknown job %s\n", name);
    }
    fclose(jobs);
    return 0;
}
