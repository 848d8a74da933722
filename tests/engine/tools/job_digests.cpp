// Builds a job of a few rows for every printer language and resolution of the catalog, every
// stock, template, symbology and turn, and prints one line for each: what it was, the result,
// the length and a 64-bit FNV-1a digest of its bytes. Lines from writers that must not change
// their output are kept, and compared with the lines of today's writers.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "engine/catalog.h"
#include "engine/job.h"
#include "engine/label_model.h"

static uint64_t fnv1a(const uint8_t* data, size_t length)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < length; i++) hash = (hash ^ data[i]) * 0x100000001B3ull;
    return hash;
}

int main()
{
    // Short and wrapping names, UPC-A numbers (which every symbology takes), and quantities of
    // 1, 2, none and 0.
    static const char rows[] =
        "Name,Price,Barcode,Qty\n"
        "Jasmine Green Tea,$4.99,036000291452,1\n"
        "An oolong whose name runs on over two lines of the label,$12.50,012345678905,2\n"
        "Mint,0.99,042100005264,\n"
        "Skipped,1.00,036000291452,0\n"
        "Rooibos,$3.25,012345678905,1\n";
    csv_table table = {};
    if (csv_parse(&table, rows, strlen(rows), nullptr, 0) != ERR_OK) return 1;
    job_options options = {};
    options.quantity_column = "Qty";
    static const uint32_t symbologies[] = {SYMBOLOGY_CODE128, SYMBOLOGY_EAN13, SYMBOLOGY_UPCA};
    for (uint32_t p = 0; p < catalog_printer_count(); p++) {
        const printer_def* printer = catalog_printer_at(p);
        // One printer of each language and resolution.
        bool seen = false;
        for (uint32_t q = 0; q < p; q++)
            seen = seen || (catalog_printer_at(q)->language == printer->language && catalog_printer_at(q)->dpi == printer->dpi);
        if (seen) continue;
        for (uint32_t s = 0; s < catalog_stock_count(); s++) {
            const stock_def* stock = catalog_stock_at(s);
            for (uint32_t l = 0; l < catalog_layout_count(); l++) {
                for (uint32_t symbology : symbologies) {
                    for (int32_t turn : {-1, 0, 90, 180, 270}) {
                        label_model model;
                        label_model_init(&model, stock->description, stock->width_mm, stock->height_mm,
                                         (int32_t)printer->dpi);
                        model.gap_mm = stock->gap_mm;
                        layout_build(&model, catalog_layout_id(l), &table);
                        bool barcode = false;
                        for (int32_t i = 0; i < model.element_count; i++) {
                            if (model.elements[i].kind == LABEL_BARCODE) {
                                model.elements[i].symbology = symbology;
                                barcode = true;
                            }
                            if (turn >= 0) model.elements[i].rotation_deg = turn;
                        }
                        // Symbologies only matter to templates with a barcode.
                        if (!barcode && symbology != SYMBOLOGY_CODE128) continue;
                        uint8_t* data = nullptr;
                        size_t length = 0;
                        engine_error e =
                            job_build(printer->language, &model, &table, 0, table.rows, &options, &data, &length);
                        printf("%s %u dpi, %s, %s, %s, turn %d: %d %zu %016" PRIx64 "\n",
                               printer_lang_name(printer->language), printer->dpi, stock->id, catalog_layout_id(l),
                               barcode ? barcode_symbology_name(symbology) : "no barcode", turn, (int)e, length,
                               fnv1a(data, length));
                        free(data);
                    }
                }
            }
        }
    }
    csv_table_clear(&table);
    return 0;
}
