// Delimited-text parsing into csv_table, file reading under the size limit, and lookups.
// Growth is by doubling from small first sizes; every failure frees what was read.
#include "csv.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/file_io.h"

namespace {

template <typename T>
struct csv_list {
    T* items;
    size_t count;
    size_t capacity;
};

template <typename T>
bool csv_reserve(csv_list<T>* list, size_t more, size_t first_capacity)
{
    if (more <= list->capacity - list->count) return true;
    size_t cap = list->capacity ? list->capacity : first_capacity;
    while (cap - list->count < more) {
        if (cap > SIZE_MAX / 2 / sizeof(T)) return false;
        cap *= 2;
    }
    T* grown = (T*)realloc(list->items, cap * sizeof(T));
    if (!grown) return false;
    list->items = grown;
    list->capacity = cap;
    return true;
}

template <typename T>
bool csv_append(csv_list<T>* list, const T* items, size_t n, size_t first_capacity)
{
    if (n == 0) return true;
    if (!csv_reserve(list, n, first_capacity)) return false;
    memcpy(list->items + list->count, items, n * sizeof(T));
    list->count += n;
    return true;
}

enum { FIELD_BYTES_FIRST = 32, FIELDS_FIRST = 64, RECORDS_FIRST = 32 };

struct csv_parser {
    const char* p;
    const char* end;
    char delimiter;
    csv_list<char> field;        // bytes of the field being read
    csv_list<char*> fields;      // every field of every record, in order
    csv_list<int32_t> counts;    // fields per record
};

char csv_detect_delimiter(const char* p, const char* end)
{
    static const char candidates[3] = {',', '\t', ';'};
    size_t counts[3] = {0, 0, 0};
    bool quoted = false;
    for (; p < end && *p != '\n'; p++) {
        if (*p == '"') quoted = !quoted;
        for (int i = 0; !quoted && i < 3; i++) counts[i] += *p == candidates[i];
    }
    int best = 0;
    for (int i = 1; i < 3; i++)
        if (counts[i] > counts[best]) best = i;
    return candidates[best];
}

bool csv_is_field_end(const csv_parser* ps, const char* q)
{
    return q >= ps->end || *q == ps->delimiter || *q == '\r' || *q == '\n';
}

// Appends bytes up to the next delimiter or line end, quotes included as ordinary bytes.
bool csv_read_plain(csv_parser* ps)
{
    const char* start = ps->p;
    while (!csv_is_field_end(ps, ps->p)) ps->p++;
    return csv_append(&ps->field, start, (size_t)(ps->p - start), FIELD_BYTES_FIRST);
}

bool csv_read_quoted(csv_parser* ps)
{
    ps->p++;  // opening quote
    for (;;) {
        const char* start = ps->p;
        while (ps->p < ps->end && *ps->p != '"') ps->p++;
        if (!csv_append(&ps->field, start, (size_t)(ps->p - start), FIELD_BYTES_FIRST)) return false;
        if (ps->p >= ps->end) return true;  // unterminated: keep what was read
        if (ps->p + 1 < ps->end && ps->p[1] == '"') {
            if (!csv_append(&ps->field, "\"", 1, FIELD_BYTES_FIRST)) return false;
            ps->p += 2;
            continue;
        }
        ps->p++;  // closing quote
        break;
    }
    // Blanks after the closing quote are skipped, except a TAB that is the delimiter itself.
    const char* q = ps->p;
    while (q < ps->end && (*q == ' ' || *q == '\t') && *q != ps->delimiter) q++;
    if (csv_is_field_end(ps, q)) {
        ps->p = q;
        return true;
    }
    // Bytes after the closing quote stay in the field, as spreadsheet programs read them,
    // rather than splitting the line into two rows.
    return csv_read_plain(ps);
}

bool csv_finish_field(csv_parser* ps)
{
    char* text = (char*)malloc(ps->field.count + 1);
    if (!text) return false;
    if (ps->field.count) memcpy(text, ps->field.items, ps->field.count);
    text[ps->field.count] = '\0';
    ps->field.count = 0;
    if (csv_append(&ps->fields, &text, 1, FIELDS_FIRST)) return true;
    free(text);
    return false;
}

bool csv_read_record(csv_parser* ps)
{
    int32_t count = 0;
    for (;;) {
        bool ok = ps->p < ps->end && *ps->p == '"' ? csv_read_quoted(ps) : csv_read_plain(ps);
        if (!ok || count == INT32_MAX || !csv_finish_field(ps)) return false;
        count++;
        if (ps->p < ps->end && *ps->p == ps->delimiter) {
            ps->p++;
            continue;
        }
        if (ps->p < ps->end && *ps->p == '\r') ps->p++;
        if (ps->p < ps->end && *ps->p == '\n') ps->p++;
        break;
    }
    return csv_append(&ps->counts, &count, 1, RECORDS_FIRST);
}

void csv_free_strings(char** strings, size_t count)
{
    if (!strings) return;
    for (size_t i = 0; i < count; i++) free(strings[i]);
}

char* csv_copy(const char* text)
{
    size_t n = strlen(text) + 1;
    char* copy = (char*)malloc(n);
    if (copy) memcpy(copy, text, n);
    return copy;
}

// Moves the parsed fields into the table: the header, then each record cut or padded to the
// header's width. Fields not moved stay in the parser's list for the caller to free.
bool csv_build_table(csv_parser* ps, csv_table* table)
{
    size_t records = ps->counts.count;
    // A blank last line is not a row.
    if (records > 1 && ps->counts.items[records - 1] == 1 && ps->fields.items[ps->fields.count - 1][0] == '\0')
        records--;
    if (records - 1 > (size_t)INT32_MAX) return false;
    int32_t columns = ps->counts.items[0];
    size_t rows = records - 1;
    if (rows && (size_t)columns > SIZE_MAX / sizeof(char*) / rows) return false;

    table->header = (char**)malloc(sizeof(char*) * (size_t)columns);
    table->cells = rows ? (char**)calloc(rows * (size_t)columns, sizeof(char*)) : nullptr;
    if (!table->header || (rows && !table->cells)) return false;
    memcpy(table->header, ps->fields.items, sizeof(char*) * (size_t)columns);
    memset(ps->fields.items, 0, sizeof(char*) * (size_t)columns);
    table->columns = columns;

    size_t next = (size_t)columns;
    for (size_t r = 0; r < rows; r++) {
        table->rows = (int32_t)r + 1;  // rows filled so far, for the caller's cleanup
        int32_t count = ps->counts.items[r + 1];
        char** row = table->cells + r * (size_t)columns;
        for (int32_t c = 0; c < columns; c++) {
            if (c < count) {
                row[c] = ps->fields.items[next + (size_t)c];
                ps->fields.items[next + (size_t)c] = nullptr;
            } else if (!(row[c] = csv_copy(""))) {
                return false;
            }
        }
        next += (size_t)count;
    }
    table->rows = (int32_t)rows;
    return true;
}

void csv_parser_free(csv_parser* ps)
{
    csv_free_strings(ps->fields.items, ps->fields.count);
    free(ps->fields.items);
    free(ps->field.items);
    free(ps->counts.items);
}

}  // namespace

engine_error csv_parse(csv_table* table, const char* text, size_t length, char* msg, size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    if (!table) return ERR_INVALID;
    memset(table, 0, sizeof *table);
    if (length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        text += 3;
        length -= 3;
    }
    csv_parser ps = {};
    ps.p = text;
    ps.end = text + length;
    ps.delimiter = csv_detect_delimiter(ps.p, ps.end);
    bool ok = true;
    do {
        ok = csv_read_record(&ps);
    } while (ok && ps.p < ps.end);
    ok = ok && csv_build_table(&ps, table);
    csv_parser_free(&ps);
    if (ok) return ERR_OK;
    csv_table_clear(table);
    return ERR_NOMEM;
}

engine_error csv_parse_memory(csv_table* table, const char* text, size_t length, char* msg, size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    if (!table || !text) return ERR_INVALID;
    return csv_parse(table, text, length, msg, msg_size);
}

// Reads a whole open file of at most the size limit into *text, a NUL-terminated heap block
// of *length bytes that the caller frees whatever the result.
static engine_error csv_read_whole(FILE* f, const char* path, char** text, size_t* length, char* msg,
                                   size_t msg_size)
{
    int64_t size = file_size_from_end(f);
    if (size < 0 || size > CSV_MAX_FILE_SIZE) {
        engine_message(msg, msg_size, "unusable file size");
        return ERR_IO;
    }
    if (fseek(f, 0, SEEK_SET) != 0) return ERR_IO;
    *text = (char*)malloc((size_t)size + 1);
    if (!*text) return ERR_NOMEM;
    *length = fread(*text, 1, (size_t)size, f);
    (*text)[*length] = '\0';
    // One more read shows errors that a short or empty read hides (a directory, say).
    if (*length < (size_t)size || (fgetc(f) == EOF && ferror(f))) {
        engine_message(msg, msg_size, "cannot read %s", path);
        return ERR_IO;
    }
    return ERR_OK;
}

engine_error csv_read_file(csv_table* table, const char* path, char* msg, size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    if (!table || !path) return ERR_INVALID;
    FILE* f = file_open(path, "rb");
    if (!f) {
        engine_message(msg, msg_size, "cannot open %s", path);
        return ERR_IO;
    }
    char* text = nullptr;
    size_t length = 0;
    engine_error result = csv_read_whole(f, path, &text, &length, msg, msg_size);
    fclose(f);
    if (result == ERR_OK) result = csv_parse(table, text, length, msg, msg_size);
    free(text);
    return result;
}

engine_error csv_table_one_label(csv_table* table, const char* name, const char* price, const char* barcode)
{
    if (!table) return ERR_INVALID;
    static const char* const names[3] = {"Name", "Price", "Barcode"};
    const char* values[3] = {name ? name : "", price ? price : "", barcode ? barcode : ""};
    // Zeroed arrays, so that a failure part way leaves NULLs that clearing skips.
    table->columns = 3;
    table->rows = 1;
    table->header = (char**)calloc(3, sizeof(char*));
    table->cells = (char**)calloc(3, sizeof(char*));
    bool ok = table->header && table->cells;
    for (int i = 0; ok && i < 3; i++)
        ok = (table->header[i] = csv_copy(names[i])) && (table->cells[i] = csv_copy(values[i]));
    if (ok) return ERR_OK;
    csv_table_clear(table);
    return ERR_NOMEM;
}

void csv_table_clear(csv_table* table)
{
    if (!table) return;
    csv_free_strings(table->header, (size_t)table->columns);
    csv_free_strings(table->cells, (size_t)table->rows * (size_t)table->columns);
    free(table->header);
    free(table->cells);
    memset(table, 0, sizeof *table);
}

void csv_table_free(csv_table* table)
{
    csv_table_clear(table);
}

const char* csv_cell(const csv_table* table, int32_t row, int32_t column)
{
    if (!table || !table->cells || row < 0 || column < 0 || row >= table->rows || column >= table->columns) return "";
    const char* cell = table->cells[(size_t)row * (size_t)table->columns + (size_t)column];
    return cell ? cell : "";
}

static bool csv_equal_ignoring_case(const char* a, const char* b)
{
    for (; *a && *b; a++, b++) {
        char ca = *a >= 'A' && *a <= 'Z' ? (char)(*a + 32) : *a;
        char cb = *b >= 'A' && *b <= 'Z' ? (char)(*b + 32) : *b;
        if (ca != cb) return false;
    }
    return *a == *b;
}

int32_t csv_find_column(const csv_table* table, const char* name)
{
    if (!table || !name || !table->header || table->columns < 1) return -1;
    for (int32_t c = 0; c < table->columns; c++)
        if (strcmp(table->header[c], name) == 0) return c;
    for (int32_t c = 0; c < table->columns; c++)
        if (csv_equal_ignoring_case(table->header[c], name)) return c;
    return -1;
}
