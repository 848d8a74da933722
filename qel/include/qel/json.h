// A small JSON parser that copies and decodes nothing: it fills a flat array of node records that
// point back into the text by byte offsets, linked as a tree by indices. Numbers and escapes are
// taken as they stand; every error is reported by its message and the byte where it was found.
#pragma once

#include <cstddef>
#include <cstdint>

// --- Records ---

enum qel_json_kind : uint8_t {
    QEL_JSON_NULL = 0,
    QEL_JSON_BOOL = 1,  // true or false, as the text tells
    QEL_JSON_NUMBER = 2,
    QEL_JSON_STRING = 3,
    QEL_JSON_ARRAY = 4,
    QEL_JSON_OBJECT = 5,
};

enum { QEL_JSON_MAX_DEPTH = 64 };

// One value, in the order values begin in the text; node 0 is the top-level value.
struct qel_json_node {
    uint8_t kind;          // qel_json_kind
    int32_t key_start;     // a member's key, after its opening quote; 0 otherwise
    int32_t key_length;    // between the quotes, escapes as written; -1 for elements and the top level
    int32_t value_start;   // a string's opening quote; 0 for arrays and objects
    int32_t value_length;  // a string's with both quotes; 0 for arrays and objects
    int32_t parent;        // -1 for the top level
    int32_t first_child;   // -1 when none
    int32_t next_sibling;  // -1 for the last
    int32_t child_count;
    int32_t depth;  // 0 for the top level
};

// A parse in progress. error is the first error's message, null while there is none; a later
// error never replaces it.
struct qel_json_parser {
    const char* text;
    int32_t length;
    int32_t position;
    qel_json_node* nodes;
    int32_t count;
    int32_t capacity;
    const char* error;
    int32_t error_position;
};

// --- Parsing ---

// Parses the whole text into capacity nodes: the top-level value and nothing after it but
// blanks (tab, line feed, carriage return, space). Returns 1 when it is valid JSON, else 0 with
// the error set ("too large" for a text of 2^31 bytes or more). The parser is set up here.
int32_t qel_json_parse(qel_json_parser* parser, const char* text, size_t length, qel_json_node* nodes,
                       int32_t capacity);

// Parses one value at the position (after blanks), appending its node and, for arrays and
// objects, every node inside it. Returns its index, or -1 with the error set. Values deeper than
// 64 are refused ("nested too deeply").
int32_t qel_json_parse_value(qel_json_parser* parser, int32_t parent, int32_t depth, int32_t key_start,
                             int32_t key_length);

// Expects a double quote at the position and scans to the closing one; gives the content's
// start and length. 1, or 0 with the error set.
int32_t qel_json_parse_string(qel_json_parser* parser, int32_t* start, int32_t* length);

// The 1-based line and column of a byte position: lines end at line feeds, columns count bytes.
// A position of 0 or less is line 1, column 1.
void qel_json_line_column(const char* text, int32_t position, int32_t* line, int32_t* column);
