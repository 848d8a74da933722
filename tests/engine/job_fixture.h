// A table and a label model for the job writer tests, and jobs built from them as strings.
#pragma once

#include <cstdint>
#include <string>

#include "engine/csv.h"
#include "engine/job.h"
#include "engine/label_model.h"
#include "job_decoders.h"

struct job_fixture {
    csv_table table = {};
    label_model model = {};

    // Parses the CSV text and lays the template out on a label of the given size. A NULL
    // template leaves the model without elements, for tests that add their own.
    job_fixture(const std::string& csv, float width_mm, float height_mm, int32_t dpi, const char* layout);
    ~job_fixture();
    job_fixture(const job_fixture&) = delete;
    job_fixture& operator=(const job_fixture&) = delete;

    // The job's bytes by job_build; *error gets the result when given.
    std::string build(uint32_t language, const job_options* options = nullptr, int32_t first_row = 0,
                      int32_t row_count = INT32_MAX, engine_error* error = nullptr) const;

    // The row's PBM preview, as the engine writes it for the user to look at.
    picture preview(int32_t row) const;
};

// Millimetres for a whole number of dots at the resolution, for labels sized in dots.
float mm_of_dots(int32_t dots, int32_t dpi);

// Bytes written as hexadecimal pairs separated by spaces ("1B 4C 00 CB").
std::string bytes_of(const char* hex);

// The tea-shop rows the writer tests share: names with the field escapes' bytes, Code 128
// values with '>', and a quantity column of 2, 0 and a blank.
extern const char* const JOB_TEST_CSV;

// Options that count each row's labels by the quantity column of JOB_TEST_CSV.
inline const job_options by_quantity = {0, "Qty", 0, 0, 0, 0};
