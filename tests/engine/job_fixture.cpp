#include "job_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/image_file.h"
#include "engine/render.h"
#include "support/scratch.h"

const char* const JOB_TEST_CSV =
    "Name,Price,Barcode,Qty\n"
    "Sencha ^green~ \\ tea,4.50,TEA-0001>A,2\n"
    "Oolong,12.00,4006381333931,0\n"
    "Genmaicha with roasted rice,7.25,12345678901234567890, \n";

job_fixture::job_fixture(const std::string& csv, float width_mm, float height_mm, int32_t dpi, const char* layout)
{
    EXPECT_EQ(csv_parse(&table, csv.data(), csv.size(), nullptr, 0), ERR_OK);
    label_model_init(&model, "test", width_mm, height_mm, dpi);
    if (layout) {
        EXPECT_EQ(layout_build(&model, layout, &table), ERR_OK);
    }
}

job_fixture::~job_fixture()
{
    csv_table_clear(&table);
}

std::string job_fixture::build(uint32_t language, const job_options* options, int32_t first_row, int32_t row_count,
                               engine_error* error) const
{
    uint8_t* data = nullptr;
    size_t length = 0;
    engine_error e = job_build(language, &model, &table, first_row, row_count, options, &data, &length);
    if (error) {
        *error = e;
    } else {
        EXPECT_EQ(e, ERR_OK);
    }
    EXPECT_EQ(data == nullptr, length == 0);
    std::string bytes(data ? (const char*)data : "", length);
    free(data);
    return bytes;
}

picture job_fixture::preview(int32_t row) const
{
    raster r = {};
    EXPECT_EQ(label_render_row(&model, &table, row, &r), ERR_OK);
    const std::string path = scratch_path("preview.pbm");
    EXPECT_EQ(pbm_write_raster(&r, path.c_str()), ERR_OK);
    raster_free(&r);
    std::string bytes;
    EXPECT_TRUE(scratch_read(path, &bytes));
    return picture_of_pbm(bytes);
}

float mm_of_dots(int32_t dots, int32_t dpi)
{
    return (float)dots * 25.4f / (float)dpi;
}

std::string bytes_of(const char* hex)
{
    std::string bytes;
    char* end = nullptr;
    for (const char* p = hex;; p = end) {
        unsigned long value = strtoul(p, &end, 16);
        if (end == p) return bytes;
        bytes += (char)value;
    }
}
