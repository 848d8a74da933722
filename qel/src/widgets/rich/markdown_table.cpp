// Markdown pipe tables: splitting rows into cells, the delimiter row with its alignments, where a
// table starts, column widths from the cells' natural widths, and the table drawn through the
// basic table widget with wrapped rich cells.
#include <cstring>

#include "core/core.h"
#include "kit/scopes.h"
#include "markdown_render.h"
#include "qel/arena.h"
#include "qel/context.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/tables.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

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
    float natural;
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

// Whether every cell of the row takes one line at most: no break, and narrower than its column
// with room to spare for the sums of the wrap.
bool one_line_row(const table_cell* row, int32_t columns, const float* width)
{
    for (int32_t c = 0; c < columns; c++) {
        const table_cell& cell = row[c];
        if (!cell.present) continue;
        float wrap = width[c] - 16 <= 24 ? 24 : width[c] - 16;
        if (cell.natural > wrap - 1) return false;
        for (int32_t i = 0; i < cell.parsed.span_count; i++)
            if (cell.parsed.spans[i].style & QEL_MD_BREAK) return false;
    }
    return true;
}

// Drawn only where it shows: the rows it stands for are built in the next frame.
void stood_in_shows(qel_context* ctx, const qel_node*, void*)
{
    qel_request_redraw(ctx);
}

// Body rows far from the display whose cells take a line at most are exactly as tall as the table
// widget's least row (when a line and the cell padding fit in it); they stand in as one spacer
// with their dividers, and the table counts them as rows begun.
struct row_stand_in {
    qel_context* ctx;
    float height;
    int32_t rows;
};

void stand_in_end(row_stand_in& s)
{
    if (!s.rows) return;
    auto* record = qel_scope_find<qel_table_record>(s.ctx);
    qel_table_flush_cells(s.ctx, record);
    int32_t node = qel_node_sized(s.ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, s.height});
    qel_node_draw_with(s.ctx, node, stood_in_shows, nullptr, 0, false);
    record->rows += s.rows;
    s = {s.ctx, 0, 0};
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
            cell.natural = qel_markdown_natural_width(ctx, row == 0 ? &head : &body, &cell.parsed);
            float w = cell.natural + 16;
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
    const char* name = qel_arena_sprintf(ctx, "table%d", r->tables++);
    uint32_t id = qel_id(ctx, name);
    qel_rect last = qel_id_rect(ctx, id);
    float least = r->compact ? 36 : 44, reach = ctx->clock.display_h;
    bool may = qel_id_seen(ctx, id) && 12 + body.line_height < least && qel_markdown_may_stand_in(ctx, last);
    // The rows' tops as the last frame placed the table: exact while every row before was of the
    // least height, else a floor.
    float y = last.y + 39;
    bool exact = true;
    row_stand_in stand = {ctx, 0, 0};
    qel_table_begin(ctx, name, cols, columns, &options);
    for (int32_t row = 1; row <= rows; row++) {
        const table_cell* cell = &cells[row * columns];
        bool least_row = may && one_line_row(cell, columns, width);
        float h = least + (row > 1 ? 1 : 0);
        if (least_row && ((exact && y + h < -reach) || y > reach * 2)) {
            stand.height += h;
            stand.rows++;
            for (int32_t c = 0; c < columns; c++) r->links += cell[c].present ? cell[c].parsed.link_count : 0;
            y += h;
            continue;
        }
        stand_in_end(stand);
        exact = exact && least_row;
        y += h;
        qel_table_next_row(ctx, false);
        for (int32_t c = 0; c < columns; c++) {
            qel_table_next_cell(ctx);
            if (cell[c].present)
                qel_markdown_layout_text(r, &cell[c].parsed, &body, block->color, alignments[c], width[c] - 16);
        }
    }
    stand_in_end(stand);
    qel_table_end(ctx);
    return natural_width;
}
