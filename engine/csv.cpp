// Delimited-text parsing into csv_table, file reading under the size limits, and lookups.
// The text is parsed in place: each field is written back over the bytes it was read from,
// which never run ahead of it, so a table is its text's block plus one pointer a cell.
#include "csv.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/file_io.h"

namespace {

// What cells that the text does not supply point to.
char csv_no_text[1] = "";

struct csv_parser {
    char* r;    // the next byte to read
    char* w;    // where the field being read is written; never past r
    char* end;  // the end of the text; the block holds one more byte, for a last terminator
    char delimiter;
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

void csv_keep(csv_parser* ps, const char* from, size_t n)
{
    memmove(ps->w, from, n);
    ps->w += n;
}

// Keeps bytes up to the next delimiter or line end, quotes included as ordinary bytes.
void csv_read_plain(csv_parser* ps)
{
    const char* start = ps->r;
    while (!csv_is_field_end(ps, ps->r)) ps->r++;
    csv_keep(ps, start, (size_t)(ps->r - start));
}

void csv_read_quoted(csv_parser* ps)
{
    ps->r++;  // opening quote
    for (;;) {
        const char* start = ps->r;
        while (ps->r < ps->end && *ps->r != '"') ps->r++;
        csv_keep(ps, start, (size_t)(ps->r - start));
        if (ps->r >= ps->end) return;  // unterminated: keep what was read
        if (ps->r + 1 < ps->end && ps->r[1] == '"') {
            *ps->w++ = '"';
            ps->r += 2;
            continue;
        }
        ps->r++;  // closing quote
        break;
    }
    // Blanks after the closing quote are skipped, except a TAB that is the delimiter itself.
    const char* q = ps->r;
    while (q < ps->end && (*q == ' ' || *q == '\t') && *q != ps->delimiter) q++;
    if (csv_is_field_end(ps, q)) {
        ps->r = (char*)q;
        return;
    }
    // Bytes after the closing quote stay in the field, as spreadsheet programs read them,
    // rather than splitting the line into two rows.
    csv_read_plain(ps);
}

// Reads one field and what ends it; *more is set when a delimiter follows, so the record goes
// on. The field's text is terminated only after its end was consumed: the terminator may take
// the place of that very byte.
char* csv_read_field(csv_parser* ps, bool* more)
{
    char* field = ps->w;
    if (ps->r < ps->end && *ps->r == '"') csv_read_quoted(ps);
    else csv_read_plain(ps);
    *more = ps->r < ps->end && *ps->r == ps->delimiter;
    if (*more) {
        ps->r++;
    } else {
        if (ps->r < ps->end && *ps->r == '\r') ps->r++;
        if (ps->r < ps->end && *ps->r == '\n') ps->r++;
    }
    *ps->w++ = '\0';
    return field;
}

// A growing array of pointers.
struct csv_pointers {
    char** items;
    size_t count;
    size_t capacity;
};

bool csv_reserve(csv_pointers* list, size_t capacity)
{
    if (capacity <= list->capacity) return true;
    if (capacity > SIZE_MAX / sizeof(char*)) return false;
    char** grown = (char**)realloc(list->items, capacity * sizeof(char*));
    if (!grown) return false;
    list->items = grown;
    list->capacity = capacity;
    return true;
}

bool csv_push(csv_pointers* list, char* item)
{
    if (list->count == list->capacity && !csv_reserve(list, list->capacity ? 2 * list->capacity : 64)) return false;
    list->items[list->count++] = item;
    return true;
}

// Gives back what an array grew by beyond its count; a table can hold millions of cells.
char** csv_fitted(csv_pointers* list)
{
    if (list->count == 0) {
        free(list->items);
        return nullptr;
    }
    char** fitted = (char**)realloc(list->items, list->count * sizeof(char*));
    return fitted ? fitted : list->items;
}

// The data rows being filled: every record cut or padded to the header's width, as long as the
// table stays within the cell limit; past it, records are only counted.
struct csv_body {
    csv_pointers cells;
    int32_t columns;
    int64_t rows;       // records after the header
    int64_t rows_kept;  // those whose cells are in `cells`
};

int64_t csv_row_limit(int32_t columns)
{
    return CSV_MAX_CELLS / columns - 1;  // the header counts too
}

// Reads one data record. False when memory ran out.
bool csv_read_row(csv_parser* ps, csv_body* body, bool* blank)
{
    const size_t columns = (size_t)body->columns;
    bool keep = body->rows < csv_row_limit(body->columns);
    body->rows++;
    // Grown by doubling when the first guess of the row count falls short.
    if (keep && body->cells.count + columns > body->cells.capacity &&
        !csv_reserve(&body->cells, 2 * (body->cells.capacity / columns + 1) * columns))
        return false;
    int32_t fields = 0;
    bool more = true;
    char* first = nullptr;
    while (more) {
        char* field = csv_read_field(ps, &more);
        if (fields == 0) first = field;
        if (keep && fields < body->columns) body->cells.items[body->cells.count++] = field;
        if (fields < INT32_MAX) fields++;
    }
    for (int32_t c = fields; keep && c < body->columns; c++) body->cells.items[body->cells.count++] = csv_no_text;
    if (keep) body->rows_kept++;
    *blank = fields == 1 && first[0] == '\0';
    return true;
}

// A first guess of the data rows: the text's line feeds, within the cell limit.
size_t csv_guess_rows(const char* p, const char* end, int32_t columns)
{
    size_t lines = 0;
    while ((p = (const char*)memchr(p, '\n', (size_t)(end - p))) != nullptr) {
        lines++;
        p++;
    }
    size_t limit = (size_t)csv_row_limit(columns);
    return lines < limit ? lines + 1 : limit;
}

// Refuses what is not UTF-8 text, with the cause.
engine_error csv_check_text(const char* text, size_t length, char* msg, size_t msg_size)
{
    const bool utf16 = length >= 2 && (memcmp(text, "\xFF\xFE", 2) == 0 || memcmp(text, "\xFE\xFF", 2) == 0);
    if (utf16) {
        engine_message(msg, msg_size, "UTF-16 text; save the spreadsheet as UTF-8 CSV");
        return ERR_FORMAT;
    }
    if (memchr(text, '\0', length)) {
        engine_message(msg, msg_size, "holds NUL bytes, so it is not UTF-8 text");
        return ERR_FORMAT;
    }
    return ERR_OK;
}

// Parses `length` bytes of a heap block of length + 1 bytes, which the table takes over on
// success; on failure it is freed.
engine_error csv_parse_block(csv_table* table, char* block, size_t length, char* msg, size_t msg_size)
{
    engine_error error = csv_check_text(block, length, msg, msg_size);
    if (error) {
        free(block);
        return error;
    }
    csv_parser ps = {block, block, block + length, ','};
    if (length >= 3 && memcmp(block, "\xEF\xBB\xBF", 3) == 0) ps.r += 3;
    ps.delimiter = csv_detect_delimiter(ps.r, ps.end);

    csv_pointers header = {};
    size_t columns = 0;
    bool more = true, ok = true;
    for (; ok && more; columns++) {
        char* field = csv_read_field(&ps, &more);
        if (columns < (size_t)CSV_MAX_CELLS) ok = csv_push(&header, field);
    }
    csv_body body = {{}, (int32_t)header.count, 0, 0};
    if (ok && columns > (size_t)CSV_MAX_CELLS) {
        engine_message(msg, msg_size, "%zu columns are more than the %d cells a table may hold", columns,
                       (int)CSV_MAX_CELLS);
        error = ERR_RANGE;
    }
    if (ok && !error) ok = csv_reserve(&body.cells, csv_guess_rows(ps.r, ps.end, body.columns) * (size_t)body.columns);
    bool blank = false;
    while (ok && !error && ps.r < ps.end) ok = csv_read_row(&ps, &body, &blank);
    // A blank last line is not a row.
    if (ok && blank) {
        body.rows--;
        if (body.rows_kept > body.rows) {
            body.rows_kept--;
            body.cells.count -= (size_t)body.columns;
        }
    }
    if (ok && !error && body.rows > body.rows_kept) {
        engine_message(msg, msg_size,
                       "%lld rows of %d columns with their header are more than the %d cells a table may hold",
                       (long long)body.rows, body.columns, (int)CSV_MAX_CELLS);
        error = ERR_RANGE;
    }
    if (!ok) error = ERR_NOMEM;
    if (error) {
        free(header.items);
        free(body.cells.items);
        free(block);
        return error;
    }
    table->columns = body.columns;
    table->rows = (int32_t)body.rows;
    table->header = csv_fitted(&header);
    table->cells = csv_fitted(&body.cells);
    table->strings = block;
    return ERR_OK;
}

// Reads a whole open file of at most the size limit into *text, a heap block of *length + 1
// bytes, or explains why not.
engine_error csv_read_whole(FILE* f, const char* path, char** text, size_t* length, char* msg, size_t msg_size)
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
    // One more read shows errors that a short or empty read hides.
    if (*length < (size_t)size || (fgetc(f) == EOF && ferror(f))) {
        engine_message(msg, msg_size, "cannot read %s", path);
        return ERR_IO;
    }
    return ERR_OK;
}

// Opens a regular file, or explains why not.
engine_error csv_open(const char* path, FILE** f, char* msg, size_t msg_size)
{
    switch (file_open_read(path, f)) {
    case FILE_READ_OPENED:
        return ERR_OK;
    case FILE_READ_FOLDER:
        engine_message(msg, msg_size, "%s is a folder, not a file", path);
        return ERR_IO;
    case FILE_READ_NOT_REGULAR:
        engine_message(msg, msg_size, "%s is a device or a pipe, not a file", path);
        return ERR_IO;
    case FILE_READ_CANNOT_OPEN:
        break;
    }
    engine_message(msg, msg_size, "cannot open %s", path);
    return ERR_IO;
}

}  // namespace

engine_error csv_parse(csv_table* table, const char* text, size_t length, char* msg, size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    if (!table) return ERR_INVALID;
    memset(table, 0, sizeof *table);
    char* block = (char*)malloc(length + 1);
    if (!block) return ERR_NOMEM;
    if (length) memcpy(block, text, length);
    return csv_parse_block(table, block, length, msg, msg_size);
}

engine_error csv_parse_memory(csv_table* table, const char* text, size_t length, char* msg, size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    if (!table || !text) return ERR_INVALID;
    return csv_parse(table, text, length, msg, msg_size);
}

engine_error csv_read_file(csv_table* table, const char* path, char* msg, size_t msg_size)
{
    engine_message_clear(msg, msg_size);
    if (!table || !path) return ERR_INVALID;
    memset(table, 0, sizeof *table);
    FILE* f = nullptr;
    engine_error result = csv_open(path, &f, msg, msg_size);
    if (result) return result;
    char* text = nullptr;
    size_t length = 0;
    result = csv_read_whole(f, path, &text, &length, msg, msg_size);
    fclose(f);
    if (result == ERR_OK) {
        result = csv_parse_block(table, text, length, msg, msg_size);
    } else {
        free(text);
    }
    if (result == ERR_NOMEM) engine_message(msg, msg_size, "not enough memory to read %s", path);
    return result;
}

engine_error csv_table_one_label(csv_table* table, const char* name, const char* price, const char* barcode)
{
    if (!table) return ERR_INVALID;
    memset(table, 0, sizeof *table);
    static const char* const names[3] = {"Name", "Price", "Barcode"};
    const char* values[3] = {name ? name : "", price ? price : "", barcode ? barcode : ""};
    // The six texts as one line of CSV would hold them, parsed in place like any table.
    size_t length = 0;
    for (int i = 0; i < 3; i++) length += strlen(names[i]) + strlen(values[i]) + 2;
    char* block = (char*)malloc(length + 1);
    table->header = (char**)malloc(3 * sizeof(char*));
    table->cells = (char**)malloc(3 * sizeof(char*));
    if (!block || !table->header || !table->cells) {
        free(block);
        csv_table_clear(table);
        return ERR_NOMEM;
    }
    char* p = block;
    for (int i = 0; i < 6; i++) {
        const char* text = i < 3 ? names[i] : values[i - 3];
        size_t n = strlen(text) + 1;
        memcpy(p, text, n);
        (i < 3 ? table->header[i] : table->cells[i - 3]) = p;
        p += n;
    }
    table->columns = 3;
    table->rows = 1;
    table->strings = block;
    return ERR_OK;
}

void csv_table_clear(csv_table* table)
{
    if (!table) return;
    free(table->header);
    free(table->cells);
    free(table->strings);
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
