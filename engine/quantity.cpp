// Per-row quantities from a quantity column or the copy count, and job totals under the limits.
// Totals are summed in 64 bits so that the limit message can report any table's full total.
#include "quantity.h"

#include <cctype>
#include <cstring>

// A value stops growing past this, so that long digit runs cannot overflow it.
static const long QUANTITY_VALUE_CAP = 1000000;

// The table's quantity column; -1 when the options name none or the table has no such column.
static int32_t quantity_column(const csv_table* table, const job_options* options)
{
    if (!options || !options->quantity_column) return -1;
    return csv_find_column(table, options->quantity_column);
}

// The cell without leading and trailing white space, as its start and *length.
static const char* quantity_trim(const char* cell, size_t* length)
{
    while (isspace((unsigned char)*cell)) cell++;
    size_t n = strlen(cell);
    while (n > 0 && isspace((unsigned char)cell[n - 1])) n--;
    *length = n;
    return cell;
}

static int32_t quantity_copies(int32_t copies, char* msg, size_t msg_size)
{
    if (copies <= 0) return 1;
    if (copies <= QUANTITY_MAX_PER_ROW) return copies;
    engine_message(msg, msg_size, "%d copies is more than %d of one label", copies, QUANTITY_MAX_PER_ROW);
    return -1;
}

// Reads a trimmed, non-empty quantity text of data row `row` (0-based). Every byte is read, not
// only a first stretch, so that junk behind a long run of zeros is still refused.
static int32_t quantity_parse(const char* text, size_t length, int32_t row, char* msg, size_t msg_size)
{
    int shown = (int)(length < 40 ? length : 40);
    int number = row + 1;
    bool negative = text[0] == '-';
    size_t i = negative ? 1 : 0;
    if (i == length) {
        engine_message(msg, msg_size, "data row %d: quantity \"%.*s\" is not a number", number, shown, text);
        return -1;
    }
    long value = 0;
    for (; i < length; i++) {
        char c = text[i];
        if (c == ',' || c == '.') {
            engine_message(msg, msg_size, "data row %d: quantity \"%.*s\" is not a whole number", number, shown, text);
            return -1;
        }
        if (c < '0' || c > '9') {
            engine_message(msg, msg_size, "data row %d: quantity \"%.*s\" is not a number", number, shown, text);
            return -1;
        }
        if (value <= QUANTITY_VALUE_CAP) value = value * 10 + (c - '0');
    }
    if (negative) {
        engine_message(msg, msg_size, "data row %d: quantity \"%.*s\" cannot be printed", number, shown, text);
        return -1;
    }
    if (value > QUANTITY_MAX_PER_ROW) {
        engine_message(msg, msg_size, "data row %d: quantity %ld is more than %d of one label", number, value,
                       QUANTITY_MAX_PER_ROW);
        return -1;
    }
    return (int32_t)value;
}

// Labels for a row inside the table, its quantity column already looked up; *blank tells
// whether the quantity cell was empty, which a total counts as printed once.
static int32_t quantity_of_row(const csv_table* table, int32_t row, const job_options* options, int32_t column,
                               bool* blank, char* msg, size_t msg_size)
{
    *blank = false;
    if (!options) return 1;
    if (column < 0) return quantity_copies(options->copies, msg, msg_size);
    size_t length = 0;
    const char* text = quantity_trim(csv_cell(table, row, column), &length);
    *blank = length == 0;
    return *blank ? 1 : quantity_parse(text, length, row, msg, msg_size);
}

int32_t quantity_for_row(const csv_table* table, int32_t row, const job_options* options, char* msg,
                         size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    if (!table || row < 0 || row >= table->rows) return -1;
    bool blank = false;
    return quantity_of_row(table, row, options, quantity_column(table, options), &blank, msg, msg_size);
}

int32_t quantity_job_total(const csv_table* table, int32_t first_row, int32_t count, const job_options* options,
                           char* msg, size_t msg_size, int32_t* skipped, int32_t* printed_once)
{
    engine_message_clear(msg, msg_size);
    if (skipped) *skipped = 0;
    if (printed_once) *printed_once = 0;
    if (!table || first_row < 0 || count < 0) return -1;
    int32_t column = quantity_column(table, options);
    if (options && options->quantity_column && column < 0) {
        engine_message(msg, msg_size, "no column is named \"%.60s\"", options->quantity_column);
        return -1;
    }
    int64_t end = (int64_t)first_row + count;
    if (end > table->rows) end = table->rows;
    int64_t total = 0;
    for (int32_t row = first_row; row < end; row++) {
        bool blank = false;
        int32_t n = quantity_of_row(table, row, options, column, &blank, msg, msg_size);
        if (n < 0) return -1;
        if (n == 0 && skipped) (*skipped)++;
        if (blank && printed_once) (*printed_once)++;
        total += n;
    }
    if (total > QUANTITY_MAX_PER_JOB) {
        engine_message(msg, msg_size, "this job would print %lld labels; %d is the limit - split it with --rows FIRST:COUNT",
                       (long long)total, QUANTITY_MAX_PER_JOB);
        return -1;
    }
    return (int32_t)total;
}
