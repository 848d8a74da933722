// Delimited-text parsing into csv_table, file reading under the size limits, and lookups.
// A quick survey of the text sizes the table (and refuses what is not text or too large); then
// the text is parsed in place in one pass: a field's text stays where it was read and is
// terminated over the byte that ended it, and only a quoted field with a doubled quote is
// moved up over the quotes it drops. A table is thus its text's block plus one pointer a cell.
#include "csv.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/file_io.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// What cells that the text does not supply point to.
char csv_no_text[1] = "";

// How a field ended.
enum csv_ending : uint8_t {
    CSV_NEXT_FIELD,  // a delimiter: the record goes on
    CSV_RECORD_END,  // a line end
    CSV_TEXT_END,    // the end of the text
};

struct csv_reader {
    char* p;    // the next byte to read
    char* end;  // the end of the text; the block holds a NUL there, which stops every scan
    char delimiter;
    // The bytes that end a plain field (delimiter, CR, LF, the end) among the 64 from `seen`, as
    // bits, lowest first, less those before `p`: a short field costs a bit rather than a pass
    // over bytes, and the next field's end does not wait on this one's.
    char* seen;
    uint64_t stops;
    // The quotes among the 64 bytes from `quotes_seen`, and the end when it lies among them.
    char* quotes_seen;
    uint64_t quotes;
};

// The bytes equal to c among the 64 from `at`, or among those before `end` when fewer are
// left, as bits, lowest first.
[[gnu::always_inline]] inline uint64_t csv_equal_bits(const char* at, const char* end, char c)
{
    uint64_t bits = 0;
    if (end - at < 64) {
        for (int i = 0; i < end - at; i++) bits |= (uint64_t)(at[i] == c) << i;
        return bits;
    }
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (int i = 0; i < 4; i++) {
        const __m128i v = _mm_loadu_si128((const __m128i*)(at + 16 * i));
        bits |= (uint64_t)(uint32_t)_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted)) << (16 * i);
    }
#else
    for (int i = 0; i < 64; i++) bits |= (uint64_t)(at[i] == c) << i;
#endif
    return bits;
}

// Each bit set where an odd number of the bits at or below it are set in `quotes`: the bytes
// inside quotes, when the block starts outside.
uint64_t csv_inside_quotes(uint64_t quotes)
{
    for (int shift = 1; shift < 64; shift *= 2) quotes ^= quotes << shift;
    return quotes;
}

// The first line's most frequent candidate outside quotes (every quote toggles), 64 bytes at
// a time.
char csv_detect_delimiter(const char* p, const char* end)
{
    static const char candidates[3] = {',', '\t', ';'};
    uint64_t counts[3] = {0, 0, 0}, carry = 0;
    for (const char* at = p; at < end; at += 64) {
        const uint64_t line_end = csv_equal_bits(at, end, '\n');
        uint64_t line = end - at < 64 ? (1ull << (end - at)) - 1 : ~0ull;
        if (line_end) line = (line_end & -line_end) - 1;
        const uint64_t inside = csv_inside_quotes(csv_equal_bits(at, end, '"') & line) ^ carry;
        for (int i = 0; i < 3; i++)
            counts[i] += (uint64_t)__builtin_popcountll(csv_equal_bits(at, end, candidates[i]) & line & ~inside);
        if (line_end) break;
        carry = inside >> 63 ? ~0ull : 0;
    }
    int best = 0;
    for (int i = 1; i < 3; i++)
        if (counts[i] > counts[best]) best = i;
    return candidates[best];
}

void csv_reader_init(csv_reader* rd, char* text, char* end)
{
    rd->p = text;
    rd->end = end;
    rd->delimiter = csv_detect_delimiter(text, end);
    rd->seen = rd->quotes_seen = nullptr;
    rd->stops = rd->quotes = 0;
}

bool csv_is_stop(const csv_reader* rd, char c)
{
    return c == rd->delimiter || c == '\r' || c == '\n' || c == '\0';
}

// The stop bytes among the 64 from `at`, the end among them when it lies there (the text holds
// no other NUL). Out of line and on values alone, so that the reader's state stays in
// registers.
[[gnu::noinline]] uint64_t csv_stop_bits(const char* at, const char* end, char delimiter)
{
    uint64_t bits = csv_equal_bits(at, end, delimiter) | csv_equal_bits(at, end, '\r') | csv_equal_bits(at, end, '\n');
    return end - at < 64 ? bits | 1ull << (end - at) : bits;
}

// The first byte at or after the reader's place q that ends a plain field; the end's NUL
// stops it at last.
[[gnu::always_inline]] inline char* csv_next_stop(csv_reader* rd, char* q)
{
    for (; !rd->stops; q += 64) {
        rd->seen = q;
        rd->stops = csv_stop_bits(q, rd->end, rd->delimiter);
    }
    return rd->seen + __builtin_ctzll(rd->stops);
}

// Moves the reader on to p, dropping the stops before it.
[[gnu::always_inline]] inline void csv_move_to(csv_reader* rd, char* p)
{
    const uintptr_t offset = (uintptr_t)p - (uintptr_t)rd->seen;
    rd->stops = offset < 64 ? rd->stops & ~0ull << offset : 0;
    rd->p = p;
}

// The first quote at or after q, or the end. The quotes among the 64 bytes last looked at
// are kept, so that a quoted field's short runs between doubled quotes cost a bit each.
char* csv_next_quote(csv_reader* rd, char* q)
{
    for (;;) {
        const uintptr_t offset = (uintptr_t)q - (uintptr_t)rd->quotes_seen;  // wraps when q lies before
        if (offset < 64) {
            const uint64_t ahead = rd->quotes >> offset;
            if (ahead) return q + __builtin_ctzll(ahead);
            q = rd->quotes_seen + 64;
        }
        rd->quotes_seen = q;
        rd->quotes = csv_equal_bits(q, rd->end, '"');
        if (rd->end - q < 64) rd->quotes |= 1ull << (rd->end - q);
    }
}

// Ends a field at q, its text kept up to w, with what q holds; the stop at q is passed.
template <bool keep>
[[gnu::always_inline]] inline void csv_end_field(csv_reader* rd, char* q, char* w, csv_ending* ending)
{
    // What ended the field is read before its terminator may take that byte's place.
    const char c = *q;
    if (keep) *w = '\0';
    if (c == rd->delimiter) {
        *ending = CSV_NEXT_FIELD;
        rd->p = q + 1;
    } else if (c == '\0') {
        *ending = CSV_TEXT_END;
        csv_move_to(rd, rd->end);
    } else {
        *ending = CSV_RECORD_END;
        rd->p = q + 1;
        // The LF of a CR LF is the next stop, unless it starts the next 64 bytes.
        if (c == '\r' && q[1] == '\n') {
            rd->p++;
            rd->stops &= rd->stops - 1;
        }
    }
}

// Reads a quoted field from the opening quote at rd->p, and what ends it; returns its text and
// sets *kept to the end of the text as kept. As csv_field.
template <bool keep>
[[gnu::noinline]] char* csv_quoted_field(csv_reader* rd, csv_ending* ending, char** kept)
{
    char* q = rd->p + 1;
    char* field = q;
    char* w = q;  // the end of the field's text as kept
    for (;;) {
        char* run = q;
        q = csv_next_quote(rd, q);
        if (keep && w != run) memmove(w, run, (size_t)(q - run));
        w += q - run;
        // Two quotes stand for one; the sentinel keeps the look past the last byte safe.
        if (*q != '"' || q[1] != '"') break;
        if (keep) *w = '"';
        w++;
        q += 2;
    }
    if (*q == '"') {
        csv_move_to(rd, ++q);  // past the closing quote and the stops quoted before it
        // Blanks after it are skipped, except a TAB that is the delimiter itself.
        char* s = q;
        while ((*s == ' ' || *s == '\t') && *s != rd->delimiter) s++;
        if (csv_is_stop(rd, *s)) {
            q = s;
        } else {
            // Bytes after the closing quote stay in the field, as spreadsheet programs read
            // them, rather than splitting the line into two rows.
            char* tail = q;
            q = csv_next_stop(rd, q);
            if (keep) memmove(w, tail, (size_t)(q - tail));
            w += q - tail;
        }
    }
    // Past the stops quoted before q, and the one at q.
    csv_move_to(rd, q);
    rd->stops &= rd->stops - 1;
    csv_end_field<keep>(rd, q, w, ending);
    *kept = w;
    return field;
}

// Reads one field and what ends it, and returns its text. With `keep` the text is terminated
// (and a quoted field's content moved up over its doubled quotes); without, nothing is
// written, for counting ahead. *empty tells whether the field holds no byte.
template <bool keep>
[[gnu::always_inline]] inline char* csv_field(csv_reader* rd, csv_ending* ending, bool* empty)
{
    char* q = rd->p;
    if (*q == '"' && q < rd->end) {
        char* w = nullptr;
        char* field = csv_quoted_field<keep>(rd, ending, &w);
        *empty = w == field;
        return field;
    }
    // A plain field's end is the stop ahead, which it passes on the bits alone.
    char* stop = csv_next_stop(rd, q);
    rd->stops &= rd->stops - 1;
    csv_end_field<keep>(rd, stop, stop, ending);
    *empty = stop == q;
    return q;
}

bool csv_is_utf16(const char* text, size_t length)
{
    return length >= 2 && (memcmp(text, "\xFF\xFE", 2) == 0 || memcmp(text, "\xFE\xFF", 2) == 0);
}

// What a look over the whole text finds, 64 bytes at a time and without regard to quotes.
struct csv_survey {
    const char* first_end;    // the first line end (CR or LF), or the end
    const char* first_quote;  // the first quote, or the end
    int64_t delimiters;       // before first_end
    int64_t line_ends;        // a CR LF counted once
    bool nul;                 // a NUL byte
};

csv_survey csv_survey_text(const char* p, const char* end, char delimiter)
{
    csv_survey s = {end, end, 0, 0, false};
    uint64_t cr_before = 0;  // whether the last of the previous 64 bytes was a CR
    for (const char* at = p; at < end; at += 64) {
        const uint64_t lf = csv_equal_bits(at, end, '\n'), cr = csv_equal_bits(at, end, '\r');
        const uint64_t quotes = csv_equal_bits(at, end, '"'), line_ends = lf | cr;
        s.line_ends += __builtin_popcountll(line_ends) - __builtin_popcountll(lf & (cr << 1 | cr_before));
        cr_before = cr >> 63;
        s.nul = s.nul || csv_equal_bits(at, end, '\0');
        if (s.first_end == end) {
            const uint64_t before = line_ends ? (line_ends & -line_ends) - 1 : ~0ull;
            s.delimiters += __builtin_popcountll(csv_equal_bits(at, end, delimiter) & before);
            if (line_ends) s.first_end = at + __builtin_ctzll(line_ends);
        }
        if (s.first_quote == end && quotes) s.first_quote = at + __builtin_ctzll(quotes);
    }
    return s;
}

bool csv_is_line_end(char c)
{
    return c == '\n' || c == '\r';
}

// The data rows of a text without quotes from p on, where every line end ends a record.
int64_t csv_rows_without_quotes(const char* p, const char* end, int64_t line_ends)
{
    if (p == end) return 0;
    if (!csv_is_line_end(end[-1])) return line_ends + 1;
    // The last record ends in a line end; it is a blank line when nothing stands before that.
    const char* last = end - (end - p >= 2 && end[-2] == '\r' && end[-1] == '\n' ? 2 : 1);
    const bool blank = last == p || csv_is_line_end(last[-1]);
    return blank ? line_ends - 1 : line_ends;
}

// Reads the header into the table; its fields are counted first, so that a header past the
// limit costs nothing: from the survey when the header holds no quote, else by reading ahead.
engine_error csv_read_header(csv_reader* rd, const csv_survey* survey, csv_table* table, char* msg, size_t msg_size)
{
    csv_ending ending = CSV_NEXT_FIELD;
    bool empty = false;
    size_t columns = (size_t)survey->delimiters + 1;
    if (survey->first_quote < survey->first_end) {
        csv_reader ahead = *rd;
        for (columns = 0; ending == CSV_NEXT_FIELD; columns++) csv_field<false>(&ahead, &ending, &empty);
    }
    if (columns > (size_t)CSV_MAX_CELLS) {
        engine_message(msg, msg_size, "%zu columns are more than the %d cells a table may hold", columns,
                       (int)CSV_MAX_CELLS);
        return ERR_RANGE;
    }
    if (!(table->header = (char**)malloc(columns * sizeof(char*)))) return ERR_NOMEM;
    for (size_t c = 0; c < columns; c++) table->header[c] = csv_field<true>(rd, &ending, &empty);
    table->columns = (int32_t)columns;
    return ERR_OK;
}

// Reads one record, storing its first `columns` fields into `cells` when given and padding a
// short one; true when it was blank (one empty field). Without `keep` nothing is written.
template <bool keep>
bool csv_read_record(csv_reader* rd, int32_t columns, char** cells)
{
    csv_ending ending = CSV_NEXT_FIELD;
    bool empty = false;
    char* field = csv_field<keep>(rd, &ending, &empty);
    const bool blank = empty && ending != CSV_NEXT_FIELD;
    if (cells) cells[0] = field;
    int32_t c = 1;
    for (; c < columns && ending == CSV_NEXT_FIELD; c++) {
        field = csv_field<keep>(rd, &ending, &empty);
        if (cells) cells[c] = field;
    }
    // Fields past the header's are dropped; missing ones are empty.
    while (ending == CSV_NEXT_FIELD) csv_field<keep>(rd, &ending, &empty);
    for (; cells && c < columns; c++) cells[c] = csv_no_text;
    return blank;
}

// Reads the records from the reader's place to the end, into `cells` when given (`keep` then
// set), with the reader's state in registers; the number of rows (a blank last line is none).
template <bool keep>
int64_t csv_read_records(csv_reader* rd, int32_t columns, char** cells)
{
    csv_reader r = *rd;
    int64_t rows = 0;
    bool blank = false;
    for (; r.p < r.end; rows++) blank = csv_read_record<keep>(&r, columns, cells ? cells + rows * columns : nullptr);
    *rd = r;
    return blank ? rows - 1 : rows;
}

// Parses the records after the header into the table's rows. Every row but the last ends in a
// line end, so the survey's count of them bounds the rows, and gives them exactly when the
// text holds no quote. A table that may pass the limit is counted before anything is written,
// so that it is refused without its cells; any other is read in one pass into cells for as
// many rows as the bound allows, and the pages of those that no row reaches are never touched
// and are handed back.
engine_error csv_read_rows(csv_reader* rd, const csv_survey* survey, csv_table* table, char* msg, size_t msg_size)
{
    const int64_t width = table->columns, room = (int64_t)CSV_MAX_CELLS / width - 1;
    const bool exact = survey->first_quote == rd->end;
    // Without quotes the header ended at the first line end, and every later one ends a row.
    int64_t rows = exact ? csv_rows_without_quotes(rd->p, rd->end, survey->line_ends - (rd->p > survey->first_end))
                         : survey->line_ends + 1;
    if (!exact && rows > room) {
        csv_reader ahead = *rd;
        rows = csv_read_records<false>(&ahead, table->columns, nullptr);
    }
    if (rows > room) {
        engine_message(msg, msg_size,
                       "%lld rows of %d columns with their header are more than the %d cells a table may hold",
                       (long long)rows, table->columns, (int)CSV_MAX_CELLS);
        return ERR_RANGE;
    }
    rows++;  // a blank last line is read into a row before it is dropped
    if (rows > 0 && !(table->cells = (char**)malloc((size_t)(rows * width) * sizeof(char*)))) return ERR_NOMEM;
    const int64_t reserved = rows;
    rows = csv_read_records<true>(rd, table->columns, table->cells);
    if (rows == 0) {
        free(table->cells);
        table->cells = nullptr;
    } else if (rows < reserved) {
        char** fitted = (char**)realloc(table->cells, (size_t)(rows * width) * sizeof(char*));
        if (fitted) table->cells = fitted;
    }
    table->rows = (int32_t)rows;
    return ERR_OK;
}

// Parses `length` bytes of a heap block of length + 1 bytes, which the table takes over on
// success; on failure it is freed and the table left zeroed.
engine_error csv_parse_block(csv_table* table, char* block, size_t length, char* msg, size_t msg_size)
{
    block[length] = '\0';
    if (csv_is_utf16(block, length)) {
        free(block);
        engine_message(msg, msg_size, "UTF-16 text; save the spreadsheet as UTF-8 CSV");
        return ERR_FORMAT;
    }
    csv_reader rd;
    csv_reader_init(&rd, length >= 3 && memcmp(block, "\xEF\xBB\xBF", 3) == 0 ? block + 3 : block, block + length);
    const csv_survey survey = csv_survey_text(rd.p, rd.end, rd.delimiter);
    engine_error error = ERR_FORMAT;
    if (survey.nul) engine_message(msg, msg_size, "holds NUL bytes, so it is not UTF-8 text");
    else error = csv_read_header(&rd, &survey, table, msg, msg_size);
    if (!error) error = csv_read_rows(&rd, &survey, table, msg, msg_size);
    if (!error) {
        table->strings = block;
        return ERR_OK;
    }
    free(table->header);
    free(table->cells);
    free(block);
    memset(table, 0, sizeof *table);
    return error;
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
