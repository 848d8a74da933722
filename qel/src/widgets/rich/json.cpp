// The JSON parser: recursive descent over the caller's text into fixed node records, with the
// first error's message and byte position.
#include "qel/json.h"

#include <cstring>

namespace {

bool blank(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

void skip_blanks(qel_json_parser* p)
{
    while (p->position < p->length && blank(p->text[p->position])) p->position++;
}

int32_t fail(qel_json_parser* p, const char* message)
{
    if (!p->error) {
        p->error = message;
        p->error_position = p->position;
    }
    return -1;
}

bool word_at(const qel_json_parser* p, const char* word, int32_t length)
{
    return p->length - p->position >= length && memcmp(p->text + p->position, word, (size_t)length) == 0;
}

bool number_byte(char c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

// The elements or members after the opener; the node is at index.
int32_t parse_container(qel_json_parser* p, int32_t index, bool object)
{
    char closer = object ? '}' : ']';
    const char* expected = object ? "expected ',' or '}'" : "expected ',' or ']'";
    p->position++;
    skip_blanks(p);
    if (p->position < p->length && p->text[p->position] == closer) {
        p->position++;
        return index;
    }
    int32_t depth = p->nodes[index].depth, last = -1;
    while (true) {
        skip_blanks(p);
        int32_t key_start = 0, key_length = -1;
        if (object) {
            if (!qel_json_parse_string(p, &key_start, &key_length)) return -1;
            skip_blanks(p);
            if (p->position >= p->length || p->text[p->position] != ':') return fail(p, "expected ':'");
            p->position++;
        }
        int32_t child = qel_json_parse_value(p, index, depth + 1, key_start, key_length);
        if (child < 0) return -1;
        if (last < 0) p->nodes[index].first_child = child;
        else p->nodes[last].next_sibling = child;
        last = child;
        p->nodes[index].child_count++;
        if (p->position >= p->length) return fail(p, expected);
        skip_blanks(p);
        char c = p->position < p->length ? p->text[p->position] : 0;
        if (p->position < p->length && c == ',') {
            p->position++;
        } else if (p->position < p->length && c == closer) {
            p->position++;
            return index;
        } else {
            return fail(p, expected);
        }
    }
}

}  // namespace

int32_t qel_json_parse_string(qel_json_parser* p, int32_t* start, int32_t* length)
{
    if (p->position >= p->length || p->text[p->position] != '"') {
        fail(p, "expected a string");
        return 0;
    }
    int32_t first = ++p->position;
    while (p->position < p->length) {
        auto c = (uint8_t)p->text[p->position];
        if (c == '"') {
            *start = first;
            *length = p->position - first;
            p->position++;
            return 1;
        }
        if (c < 32) {
            fail(p, "control character in string");
            return 0;
        }
        p->position += c == '\\' ? 2 : 1;
    }
    p->position = p->length;
    fail(p, "unterminated string");
    return 0;
}

int32_t qel_json_parse_value(qel_json_parser* p, int32_t parent, int32_t depth, int32_t key_start,
                             int32_t key_length)
{
    if (depth > QEL_JSON_MAX_DEPTH) return fail(p, "nested too deeply");
    if (p->position >= p->length) return fail(p, "unexpected end");
    skip_blanks(p);
    if (p->position >= p->length) return fail(p, "unexpected end");
    if (p->count >= p->capacity) return fail(p, "too large");
    int32_t index = p->count++;
    qel_json_node* n = &p->nodes[index];
    *n = {QEL_JSON_NULL, key_start, key_length, 0, 0, parent, -1, -1, 0, depth};
    char c = p->text[p->position];
    if (c == '[' || c == '{') {
        n->kind = c == '[' ? QEL_JSON_ARRAY : QEL_JSON_OBJECT;
        return parse_container(p, index, c == '{');
    }
    n->value_start = p->position;
    if (c == '"') {
        int32_t start = 0, length = 0;
        if (!qel_json_parse_string(p, &start, &length)) return -1;
        n->kind = QEL_JSON_STRING;
        n->value_start = start - 1;
        n->value_length = length + 2;
    } else if ((c >= '0' && c <= '9') || c == '-') {
        int32_t end = p->position + 1;
        while (end < p->length && number_byte(p->text[end])) end++;
        n->kind = QEL_JSON_NUMBER;
        n->value_length = end - p->position;
        p->position = end;
    } else if (word_at(p, "true", 4) || word_at(p, "null", 4) || word_at(p, "false", 5)) {
        n->kind = c == 'n' ? QEL_JSON_NULL : QEL_JSON_BOOL;
        n->value_length = c == 'f' ? 5 : 4;
        p->position += n->value_length;
    } else {
        return fail(p, "unexpected character");
    }
    return index;
}

int32_t qel_json_parse(qel_json_parser* p, const char* text, size_t length, qel_json_node* nodes, int32_t capacity)
{
    *p = {text ? text : "", 0, 0, nodes, 0, capacity, nullptr, 0};
    if (length > (size_t)INT32_MAX) {
        fail(p, "too large");
        return 0;
    }
    p->length = text ? (int32_t)length : 0;
    if (qel_json_parse_value(p, -1, 0, 0, -1) < 0) return 0;
    skip_blanks(p);
    if (p->position < p->length) {
        fail(p, "unexpected text after the value");
        return 0;
    }
    return 1;
}

void qel_json_line_column(const char* text, int32_t position, int32_t* line, int32_t* column)
{
    *line = 1;
    *column = 1;
    for (int32_t i = 0; i < position; i++) {
        if (text[i] == '\n') {
            (*line)++;
            *column = 1;
        } else {
            (*column)++;
        }
    }
}
