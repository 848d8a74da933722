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
    char* r;        // the next byte to read
    char* w;        // where the field being read is written; never past r
    char* end;      // the end of the text; the block holds one more byte, for a last terminator
    char delimiter;
    bool counting;  // reads without writing, to count the records ahead
    size_t kept;    // bytes of field text read so far, written or not
};

// The first line's most frequent candidate outside quotes.
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

// Every write of the parser: bytes of the field, its doubled quotes, its terminator.
void csv_keep(csv_parser* ps, const char* from, size_t n)
{
    ps->kept += n;
    if (ps->counting) return;
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
        const char* quote = (const char*)memchr(ps->r, '"', (size_t)(ps->end - ps->r));
        ps->r = quote ? (char*)quote : ps->end;
        csv_keep(ps, start, (size_t)(ps->r - start));
        if (ps->r >= ps->end) return;  // unterminated: keep what was read
        if (ps->r + 1 < ps->end && ps->r[1] == '"') {
            csv_keep(ps, "\"", 1);
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
// the place of that very byte. *empty tells whether the field holds no byte.
char* csv_read_field(csv_parser* ps, bool* more, bool* empty)
{
    char* field = ps->w;
    const size_t before = ps->kept;
    if (ps->r < ps->end && *ps->r == '"') csv_read_quoted(ps);
    else csv_read_plain(ps);
    *empty = ps->kept == before;
    *more = ps->r < ps->end && *ps->r == ps->delimiter;
    if (*more) {
        ps->r++;
    } else {
        if (ps->r < ps->end && *ps->r == '\r') ps->r++;
        if (ps->r < ps->end && *ps->r == '\n') ps->r++;
    }
    csv_keep(ps, "", 1);
    return field;
}

// Reads one data record into `cells` (when given), cut or padded to `columns`; true when it
// was blank (one empty field).
bool csv_read_record(csv_parser* ps, int32_t columns, char** cells)
{
    int32_t fields = 0;
    bool more = true, empty = false, blank = false;
    while (more) {
        char* field = csv_read_field(ps, &more, &empty);
        if (fields == 0) blank = empty && !more;
        if (cells && fields < columns) cells[fields] = field;
        if (fields < INT32_MAX) fields++;
    }
    for (int32_t c = fields; cells && c < columns; c++) cells[c] = csv_no_text;
    return blank;
}

// The data rows from the parser's place on, found by reading without writing. A blank last
// line is not a row.
int64_t csv_count_rows(csv_parser ps)
{
    ps.counting = true;
    int64_t rows = 0;
    bool blank = false;
    for (; ps.r < ps.end; rows++) blank = csv_read_record(&ps, 0, nullptr);
    return blank ? rows - 1 : rows;
}

// The fields of the record at the parser's place, found by reading without writing.
size_t csv_count_fields(csv_parser ps)
{
    ps.counting = true;
    size_t fields = 0;
    for (bool more = true, empty = false; more; fields++) csv_read_field(&ps, &more, &empty);
    return fields;
}

// Reads the header into the table; its fields are counted first, so that a header past the
// limit costs nothing.
engine_error csv_read_header(csv_parser* ps, csv_table* table, char* msg, size_t msg_size)
{
    size_t columns = csv_count_fields(*ps);
    if (columns > (size_t)CSV_MAX_CELLS) {
        engine_message(msg, msg_size, "%zu columns are more than the %d cells a table may hold", columns,
                       (int)CSV_MAX_CELLS);
        return ERR_RANGE;
    }
    if (!(table->header = (char**)malloc(columns * sizeof(char*)))) return ERR_NOMEM;
    bool more = true, empty = false;
    for (size_t c = 0; c < columns; c++) table->header[c] = csv_read_field(ps, &more, &empty);
    table->columns = (int32_t)columns;
    return ERR_OK;
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

// Parses the rest of the text after the header into the table's rows. The rows are counted
// first, so that a table past the limit costs nothing and the cells of one within it are
// allocated once.
engine_error csv_read_rows(csv_parser* ps, csv_table* table, char* msg, size_t msg_size)
{
    int64_t rows = csv_count_rows(*ps);
    if ((rows + 1) * table->columns > (int64_t)CSV_MAX_CELLS) {
        engine_message(msg, msg_size,
                       "%lld rows of %d columns with their header are more than the %d cells a table may hold",
                       (long long)rows, table->columns, (int)CSV_MAX_CELLS);
        return ERR_RANGE;
    }
    const size_t width = (size_t)table->columns;
    if (rows > 0 && !(table->cells = (char**)malloc((size_t)rows * width * sizeof(char*)))) return ERR_NOMEM;
    for (int64_t r = 0; r < rows; r++) csv_read_record(ps, table->columns, table->cells + (size_t)r * width);
    table->rows = (int32_t)rows;
    return ERR_OK;
}

// Parses `length` bytes of a heap block of length + 1 bytes, which the table takes over on
// success; on failure it is freed and the table left zeroed.
engine_error csv_parse_block(csv_table* table, char* block, size_t length, char* msg, size_t msg_size)
{
    engine_error error = csv_check_text(block, length, msg, msg_size);
    csv_parser ps = {block, block, block + length, ',', false, 0};
    if (length >= 3 && memcmp(block, "\xEF\xBB\xBF", 3) == 0) ps.r += 3;
    ps.delimiter = csv_detect_delimiter(ps.r, ps.end);
    if (!error) error = csv_read_header(&ps, table, msg, msg_size);
    if (!error) error = csv_read_rows(&ps, table, msg, msg_size);
    if (error) {
        free(table->header);
        free(table->cells);
        free(block);
        memset(table, 0, sizeof *table);
        return error;
    }
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
