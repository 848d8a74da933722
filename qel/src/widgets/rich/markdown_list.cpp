// Markdown lists: markers, the items of one list with their continuation and nested lines, tight
// and loose lists, the marker column and the task boxes whose toggles the viewer reports.
#include <cstdio>
#include <cstring>

#include "markdown_render.h"
#include "kit/widget_nodes.h"
#include "qel/arena.h"
#include "qel/check_controls.h"
#include "qel/text.h"
#include "qel/widget_feel.h"

namespace {

struct list_item {
    int32_t first, end;  // line indexes, end exclusive
    int32_t content_column;
    qel_markdown_line first_content;
    uint8_t task, checked;
    int32_t task_offset;
};

// The line without its first columns of indentation (up to columns, a tab counting to the next
// multiple of 4).
qel_markdown_line strip_columns(const qel_markdown_line& line, int32_t columns)
{
    int32_t col = 0, i = 0;
    while (i < line.length && col < columns && (line.text[i] == ' ' || line.text[i] == '\t')) {
        col = line.text[i] == '\t' ? (col / 4 + 1) * 4 : col + 1;
        i++;
    }
    return {line.text + i, line.length - i, line.offset + i};
}

bool marker_line(const qel_markdown_line& line, int32_t* indent, qel_markdown_list_marker_info* m)
{
    int32_t bytes = 0;
    *indent = qel_markdown_indent(&line, &bytes);
    return qel_markdown_list_marker(line.text + bytes, line.length - bytes, m);
}

bool same_list(const qel_markdown_list_marker_info& a, const qel_markdown_list_marker_info& b)
{
    return a.ordered == b.ordered && a.character == b.character;
}

// Rule break lines look like bullets but are not items.
bool list_item_line(const qel_markdown_line& line, int32_t* indent, qel_markdown_list_marker_info* m)
{
    return marker_line(line, indent, m) && *indent <= 3 && !qel_markdown_rule(&line);
}

// The item starting at lines[i]: its content column, first content and task box.
list_item item_at(const qel_markdown_line* lines, int32_t i, int32_t indent, const qel_markdown_list_marker_info& m)
{
    list_item item = {};
    item.first = i;
    int32_t bytes = 0;
    qel_markdown_indent(&lines[i], &bytes);
    const qel_markdown_line& line = lines[i];
    int32_t after = bytes + m.length, k = after, columns = 0;
    while (k < line.length && (line.text[k] == ' ' || line.text[k] == '\t')) {
        columns = line.text[k] == '\t' ? (columns / 4 + 1) * 4 : columns + 1;
        k++;
    }
    if (k >= line.length) {
        item.content_column = indent + m.length + 1;
        item.first_content = {line.text + line.length, 0, line.offset + line.length};
    } else if (columns < 5) {
        item.content_column = indent + m.length + columns;
        item.first_content = {line.text + k, line.length - k, line.offset + k};
    } else {
        item.content_column = indent + m.length + 1;
        item.first_content = {line.text + after + 1, line.length - after - 1, line.offset + after + 1};
    }
    const qel_markdown_line& c = item.first_content;
    if (c.length >= 3 && c.text[0] == '[' && c.text[1] && strchr("xX ", c.text[1]) && c.text[2] == ']' &&
        (c.length == 3 || c.text[3] == ' ' || c.text[3] == '\t')) {
        item.task = 1;
        item.checked = c.text[1] != ' ';
        item.task_offset = c.offset + 1;
        int32_t skip = c.length == 3 ? 3 : 4;
        item.first_content = {c.text + skip, c.length - skip, c.offset + skip};
    }
    return item;
}

// The item's lines after its first: where it ends, and whether a blank line stands inside it.
int32_t item_end(const qel_markdown_line* lines, int32_t count, const list_item& item, int32_t indent, bool* blank_inside)
{
    int32_t last = item.first;
    for (int32_t j = item.first + 1; j < count; j++) {
        const qel_markdown_line& line = lines[j];
        if (qel_markdown_blank(&line)) continue;
        int32_t bytes = 0, ind = qel_markdown_indent(&line, &bytes);
        qel_markdown_list_marker_info m;
        bool marker = qel_markdown_list_marker(line.text + bytes, line.length - bytes, &m);
        bool belongs = ind >= item.content_column || (marker && ind > indent && ind <= indent + 3);
        if (!belongs && j == last + 1 && !(marker && ind <= indent) && !qel_markdown_starts_block(&line))
            belongs = true;
        if (!belongs) break;
        if (j > last + 1) *blank_inside = true;
        last = j;
    }
    return last + 1;
}

float marker_width(qel_markdown_render* r, const qel_markdown_fonts& body, const qel_markdown_list_marker_info& first,
                   int32_t items, bool any_task)
{
    float u = r->unit, w = 18 * u;
    if (first.ordered) {
        char number[24];
        int32_t n = snprintf(number, sizeof number, "%d%c", first.number + items - 1, first.character);
        float text = qel_text_width(r->ctx, (int32_t)body.regular, body.size, number, n, 0);
        if (18 * u <= text + 9 * u) w = text + 9 * u;
    }
    float task = 26 * (u > 1 ? u : 1);
    return any_task && w < task ? task : w;
}

// The content lines of an item: its first content, then its other lines less its indentation.
qel_markdown_line* item_lines(qel_context* ctx, const qel_markdown_line* lines, const list_item& item, int32_t* count)
{
    *count = item.end - item.first;
    auto* out = (qel_markdown_line*)qel_arena_alloc(ctx, sizeof(qel_markdown_line) * (size_t)*count);
    out[0] = item.first_content;
    for (int32_t j = item.first + 1; j < item.end; j++) {
        const qel_markdown_line& line = lines[j];
        out[j - item.first] = qel_markdown_blank(&line) ? qel_markdown_line{line.text, 0, line.offset}
                                                        : strip_columns(line, item.content_column);
    }
    return out;
}

void task_box(qel_markdown_render* r, const list_item& item)
{
    bool checked = item.checked;
    if (!qel_checkbox(r->ctx, qel_arena_sprintf(r->ctx, "##task%d", item.task_offset), &checked, nullptr)) return;
    int32_t line = 1;
    for (int32_t i = 0; i < item.task_offset && i < r->length; i++) line += r->text[i] == '\n';
    r->result->task_offset = item.task_offset;
    r->result->task_line = line;
    r->result->task_checked = checked;
}

}  // namespace

bool qel_markdown_list_marker(const char* text, int32_t length, qel_markdown_list_marker_info* marker)
{
    *marker = {};
    if (length < 1) return false;
    int32_t i = 0;
    if (text[0] == '*' || text[0] == '+' || text[0] == '-') {
        marker->character = text[0];
        i = 1;
    } else {
        int32_t number = 0;
        while (i < length && i < 10 && text[i] >= '0' && text[i] <= '9') {
            if (i < 9) number = number * 10 + (text[i] - '0');
            i++;
        }
        if (i < 1 || i > 9 || i >= length || (text[i] != '.' && text[i] != ')')) return false;
        marker->ordered = 1;
        marker->number = number;
        marker->character = text[i++];
    }
    if (i < length && text[i] != ' ' && text[i] != '\t') return false;
    marker->length = i;
    return true;
}

float qel_markdown_list(qel_markdown_render* r, const qel_markdown_block_ctx* block, const qel_markdown_line* lines,
                        int32_t count, int32_t index, int32_t* used)
{
    qel_context* ctx = r->ctx;
    qel_markdown_list_marker_info first;
    int32_t indent = 0;
    marker_line(lines[index], &indent, &first);  // the caller found it no rule
    qel_markdown_list_marker_info m = first;  // of the item at hand
    int32_t ind = indent;
    // Grown as items are found, so many short lists take memory in their own items' measure.
    int32_t capacity = 4, items = 0;
    auto* item = (list_item*)qel_arena_alloc(ctx, sizeof(list_item) * (size_t)capacity);
    bool loose = false, any_task = false;
    int32_t at = index, end = index;
    while (true) {
        if (items == capacity) {
            auto* grown = (list_item*)qel_arena_alloc(ctx, sizeof(list_item) * (size_t)capacity * 2);
            memcpy(grown, item, sizeof(list_item) * (size_t)items);
            item = grown;
            capacity *= 2;
        }
        list_item& it = item[items++];
        it = item_at(lines, at, ind, m);
        bool blank_inside = false;
        it.end = item_end(lines, count, it, ind, &blank_inside);
        loose = loose || blank_inside;
        any_task = any_task || it.task;
        end = it.end;
        int32_t next = it.end;
        while (next < count && qel_markdown_blank(&lines[next])) next++;
        if (next >= count || !list_item_line(lines[next], &ind, &m) || !same_list(m, first)) break;
        loose = loose || next > it.end;
        at = next;
    }
    *used = end - index;

    qel_markdown_fonts body = qel_markdown_paragraph_fonts(r);
    float u = r->unit;
    float w = marker_width(r, body, first, items, any_task);
    int32_t list = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_at(ctx, list)->gap = (loose ? 10 : r->compact ? 3 : 4) * u;
    float natural = 0;
    for (int32_t i = 0; i < items; i++) {
        const list_item& it = item[i];
        int32_t row = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
        qel_node* rn = qel_node_at(ctx, row);
        rn->direction = QEL_DIR_ROW;
        rn->align = QEL_ALIGN_START;
        int32_t cell = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_FIXED, w}, {QEL_SIZE_FIXED, body.line_height});
        if (it.task) {
            qel_node_at(ctx, cell)->align = QEL_ALIGN_START;
            task_box(r, it);
        } else {
            qel_markdown_marker mk = {first.ordered, block->depth, r->marker, nullptr, body};
            if (first.ordered) mk.number = qel_arena_sprintf(ctx, "%d%c", first.number + i, first.character);
            qel_node_draw_with(ctx, cell, qel_markdown_draw_marker, &mk, sizeof mk, false);
        }
        qel_node_pop(ctx);
        qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
        int32_t n = 0;
        qel_markdown_line* content = item_lines(ctx, lines, it, &n);
        qel_markdown_block_ctx inner = {block->width - w, block->depth + 1, (uint8_t)!loose,
                                        it.task && it.checked ? r->muted : block->color};
        float inner_width = qel_markdown_blocks(r, content, n, &inner) + w;
        if (inner_width > natural) natural = inner_width;
        qel_node_pop(ctx);
        qel_node_pop(ctx);
    }
    qel_node_pop(ctx);
    return natural;
}
