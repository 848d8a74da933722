// Markdown pipe tables: splitting rows into cells, the delimiter row with its alignments, where a
// table starts, column widths from the cells' natural widths, and the table drawn through the
// basic table widget with wrapped rich cells.
#include <cstring>

#include "markdown_render.h"
#include "qel/arena.h"
#include "qel/font.h"
#include "qel/tables.h"
#include "qel/theme.h"

namespace {

bool blank_char(char c)
{
    return c == ' ' || c == '\t';
}

qel_markdown_line slice(const qel_markdown_line& line, int32_t from, int32_t to)
{
    while (from < to && blank_char(line.text[from])) from++;
    while (to > from && blank_char(line.text[to - 1])) to--;
    return {line.text + from, to - from, line.offset + from};
}

// The row's cells one by one: the bounds of what is split, then each cell from *at.
struct row_cells {
    qel_markdown_line line;
    int32_t at, end;
    bool done;
};

row_cells cells_of(const qel_markdown_line* line)
{
    row_cells c = {*line, 0, line->length, false};
    while (c.at < c.end && blank_char(line->text[c.at])) c.at++;
    while (c.end > c.at && blank_char(line->text[c.end - 1])) c.end--;
    if (c.at < c.end && line->text[c.at] == '|') c.at++;
    if (c.end > c.at && line->text[c.end - 1] == '|' && !(c.end - 2 >= c.at && line->text[c.end - 2] == '\\')) c.end--;
    return c;
}

bool next_cell(row_cells* c, qel_markdown_line* cell)
{
    if (c->done) return false;
    int32_t i = c->at;
    while (i < c->end && !(c->line.text[i] == '|' && (i == c->at || c->line.text[i - 1] != '\\'))) i++;
    *cell = slice(c->line, c->at, i);
    if (i >= c->end) c->done = true;
    c->at = i + 1;
    return true;
}

bool has_pipe(const qel_markdown_line& line)
{
    return memchr(line.text, '|', (size_t)line.length) != nullptr;
}

// The alignment of a delimiter cell, 0 when it is not one.
uint8_t delimiter_cell(const qel_markdown_line& cell, bool last_lenient)
{
    const char* t = cell.text;
    int32_t n = cell.length;
    if (last_lenient && (n == 0 || (n == 1 && t[0] == ':'))) return 3;
    if (last_lenient && n == 2 && t[0] == ':' && t[1] == ':') return 1;
    int32_t i = 0;
    bool left = i < n && t[i] == ':';
    if (left) i++;
    int32_t dashes = 0;
    while (i < n && t[i] == '-') i++, dashes++;
    bool right = i < n && t[i] == ':';
    if (right) i++;
    if (!dashes || i != n) return 0;
    return left && right ? 1 : right ? 2 : 3;
}

struct table_cell {
    qel_markdown_inline_result parsed;
    uint8_t present;
};

qel_markdown_fonts header_fonts(const qel_markdown_render* r)
{
    float hs = r->size * (12.0f / 13) * qel_theme_block_get(r->ctx)->ui_scale;
    return {QEL_FONT_MEDIUM, QEL_FONT_MEDIUM, QEL_FONT_MONO, hs, 12.0f / 13 * hs, 1.3f * hs, 4.0f / 13 * hs};
}

// Widths of the columns within the available width; returns the natural width.
float column_widths(const qel_markdown_render* r, float* width, const float* natural, float* minimum, int32_t columns,
                    float available)
{
    float u = r->unit, total = 18;
    for (int32_t c = 0; c < columns; c++) {
        if (minimum[c] < 48 * u) minimum[c] = 48 * u;
        width[c] = natural[c] < 48 * u ? 48 * u : natural[c] > 360 * u ? 360 * u : natural[c];
        total += width[c];
    }
    float natural_total = total;
    if (available > total) {
        float grow = available - total, sum = total - 18;
        for (int32_t c = 0; c < columns; c++) width[c] += grow * width[c] / sum;
        return natural_total;
    }
    for (int32_t pass = 0; pass < 4 && total > available + 0.5f; pass++) {
        float room = 0;
        for (int32_t c = 0; c < columns; c++) {
            float floor = minimum[c] > 120 * u ? minimum[c] : 120 * u;
            room += width[c] > floor ? width[c] - floor : 0;
        }
        if (room <= 0) break;
        float take = room < total - available ? room : total - available;
        total = 18;
        for (int32_t c = 0; c < columns; c++) {
            float floor = minimum[c] > 120 * u ? minimum[c] : 120 * u;
            width[c] -= (width[c] > floor ? width[c] - floor : 0) * take / room;
            total += width[c];
        }
    }
    return natural_total;
}

// The header's spans as one title: a break reads as a space.
const char* title_of(qel_context* ctx, const qel_markdown_inline_result& parsed)
{
    int32_t length = 0;
    for (int32_t i = 0; i < parsed.span_count; i++) length += parsed.spans[i].style & QEL_MD_BREAK ? 1 : parsed.spans[i].length;
    char* out = (char*)qel_arena_alloc(ctx, (size_t)length + 1);
    int32_t n = 0;
    for (int32_t i = 0; i < parsed.span_count; i++) {
        const qel_markdown_span& s = parsed.spans[i];
        if (s.style & QEL_MD_BREAK) {
            out[n++] = ' ';
        } else {
            memcpy(out + n, s.text, (size_t)s.length);
            n += s.length;
        }
    }
    return out;
}

}  // namespace

int32_t qel_markdown_split_row(const qel_markdown_line* line, qel_markdown_line cells[QEL_MARKDOWN_MAX_CELLS])
{
    row_cells rc = cells_of(line);
    qel_markdown_line cell;
    int32_t count = 0;
    while (next_cell(&rc, &cell)) {
        if (count < QEL_MARKDOWN_MAX_CELLS) cells[count] = cell;
        count++;
    }
    return count;
}

int32_t qel_markdown_delimiter_row(const qel_markdown_line* line, uint8_t alignments[QEL_MARKDOWN_MAX_CELLS],
                                   bool lenient)
{
    if (!has_pipe(*line) || (!lenient && !memchr(line->text, '-', (size_t)line->length))) return 0;
    row_cells rc = cells_of(line);
    qel_markdown_line cell;
    int32_t count = 0;
    while (next_cell(&rc, &cell)) {
        uint8_t a = delimiter_cell(cell, lenient && rc.done);
        if (!a) return 0;
        if (count < QEL_MARKDOWN_MAX_CELLS) alignments[count] = a;
        count++;
    }
    return count;
}

int32_t qel_markdown_table_start(const qel_markdown_render* r, const qel_markdown_line* lines, int32_t count,
                                 int32_t index, uint8_t alignments[QEL_MARKDOWN_MAX_CELLS])
{
    const qel_markdown_line& head = lines[index];
    int32_t bytes = 0;
    if (qel_markdown_blank(&head) || qel_markdown_indent(&head, &bytes) > 3 || !has_pipe(head)) return 0;
    qel_markdown_line cells[QEL_MARKDOWN_MAX_CELLS];
    int32_t columns = qel_markdown_split_row(&head, cells);
    for (int32_t c = 0; c < QEL_MARKDOWN_MAX_CELLS; c++) alignments[c] = 3;
    if (index + 1 < count && qel_markdown_indent(&lines[index + 1], &bytes) < 4) {
        const qel_markdown_line& next = lines[index + 1];
        bool lenient = r->streaming && next.offset + next.length >= r->trimmed;
        uint8_t found[QEL_MARKDOWN_MAX_CELLS];
        int32_t n = qel_markdown_delimiter_row(&next, found, lenient);
        if (n == columns || (lenient && n > 0 && n <= columns)) {
            memcpy(alignments, found, (size_t)(n < QEL_MARKDOWN_MAX_CELLS ? n : QEL_MARKDOWN_MAX_CELLS));
            return columns;
        }
        return 0;
    }
    qel_markdown_line trimmed = slice(head, 0, head.length);
    if (r->streaming && head.offset + head.length >= r->trimmed && trimmed.length > 0 && trimmed.text[0] == '|')
        return columns;
    return 0;
}

float qel_markdown_table(qel_markdown_render* r, const qel_markdown_block_ctx* block, const qel_markdown_line* lines,
                         int32_t count, int32_t index, int32_t* used)
{
    qel_context* ctx = r->ctx;
    uint8_t alignments[QEL_MARKDOWN_MAX_CELLS];
    int32_t header_count = qel_markdown_table_start(r, lines, count, index, alignments);
    int32_t columns = header_count < QEL_MARKDOWN_MAX_CELLS ? header_count : QEL_MARKDOWN_MAX_CELLS;
    // A started table has its delimiter row whenever a next line could be one.
    int32_t bytes = 0, first_body = index + 1;
    if (first_body < count && qel_markdown_indent(&lines[first_body], &bytes) < 4) first_body++;
    int32_t end = first_body;
    while (end < count && !qel_markdown_blank(&lines[end]) && has_pipe(lines[end])) end++;
    *used = end - index;
    int32_t rows = end - first_body;

    qel_markdown_fonts body = qel_markdown_paragraph_fonts(r), head = header_fonts(r);
    auto* cells = (table_cell*)qel_arena_alloc(ctx, sizeof(table_cell) * (size_t)(rows + 1) * (size_t)columns);
    float natural[QEL_MARKDOWN_MAX_CELLS] = {}, minimum[QEL_MARKDOWN_MAX_CELLS] = {}, width[QEL_MARKDOWN_MAX_CELLS];
    for (int32_t row = 0; row <= rows; row++) {
        const qel_markdown_line& line = lines[row == 0 ? index : first_body + row - 1];
        qel_markdown_line split[QEL_MARKDOWN_MAX_CELLS];
        int32_t n = qel_markdown_split_row(&line, split);
        if (n > columns) n = columns;
        bool streaming_row = r->streaming && row == rows && line.offset + line.length >= r->trimmed;
        for (int32_t c = 0; c < n; c++) {
            table_cell& cell = cells[row * columns + c];
            cell.present = 1;
            cell.parsed = qel_markdown_inline(ctx, split[c].text, split[c].length, streaming_row && c == n - 1);
            float w = qel_markdown_natural_width(ctx, row == 0 ? &head : &body, &cell.parsed) + 16;
            if (w > natural[c]) natural[c] = w;
            if (row == 0) minimum[c] = w;
        }
    }
    float natural_width = column_widths(r, width, natural, minimum, columns, block->width);

    auto* cols = (qel_table_column*)qel_arena_alloc(ctx, sizeof(qel_table_column) * (size_t)(columns ? columns : 1));
    for (int32_t c = 0; c < columns; c++) {
        cols[c].title = cells[c].present ? title_of(ctx, cells[c].parsed) : "";
        cols[c].width = {QEL_SIZE_FIXED, width[c]};
        cols[c].align = alignments[c];
    }
    qel_table_opts options = {};
    options.compact = r->compact;
    qel_table_begin(ctx, qel_arena_sprintf(ctx, "table%d", r->tables++), cols, columns, &options);
    for (int32_t row = 1; row <= rows; row++) {
        qel_table_next_row(ctx, false);
        for (int32_t c = 0; c < columns; c++) {
            qel_table_next_cell(ctx);
            const table_cell& cell = cells[row * columns + c];
            if (cell.present)
                qel_markdown_layout_text(r, &cell.parsed, &body, block->color, alignments[c], width[c] - 16);
        }
    }
    qel_table_end(ctx);
    return natural_width;
}
