// Edits a small code document with random sequences of inserts, Enter, Tab, Shift+Tab, typing,
// find, undo and redo at random carets and selections. After each step the text fits the buffer
// with its terminator, the line table matches the text, and the caret and anchor lie in it.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_qel_support.h"
#include "qel/qel.h"

namespace {

void check(const qel_code_doc& d, const std::vector<char>& buffer)
{
    if (d.length < 0 || (int64_t)d.length >= d.capacity || d.text[d.length] != 0) abort();
    if ((int32_t)strlen(d.text) != d.length || buffer.back() != 0x5A) abort();
    if (d.edit->caret < 0 || d.edit->caret > d.length || d.edit->anchor < 0 || d.edit->anchor > d.length) abort();
    int32_t line = 0;
    if (d.line_starts[0] != 0 || d.line_starts[d.line_count] != d.length + 1) abort();
    for (int32_t i = 0; i < d.length; i++)
        if (d.text[i] == '\n' && d.line_starts[++line] != i + 1) abort();
    if (line + 1 != d.line_count) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static qel_context* ctx = qel_ctx_create(nullptr);
    FuzzedDataProvider in(data, size);
    auto capacity = in.ConsumeIntegralInRange<int32_t>(1, 48);
    std::vector<char> buffer((size_t)capacity + 1, 0);
    buffer.back() = 0x5A;  // a canary past the capacity
    qel_text_input_state edit = {};
    int32_t column = -1;
    char find[QEL_CODE_FIND_MAX + 1] = {};
    qel_begin_frame(ctx, 1.0f / 60);
    qel_text_state_init(ctx, 0xF022, &edit);
    qel_code_doc d = {ctx, &edit, &column, find, buffer.data(), capacity, 0, nullptr, 0, 0,
                      in.ConsumeIntegralInRange<int32_t>(1, 8), in.ConsumeBool(), 0, 0, 0, 0, 0};
    qel_code_doc_index_lines(&d);
    while (in.remaining_bytes() > 0) {
        edit.caret = in.ConsumeIntegralInRange<int32_t>(0, d.length);
        edit.anchor = in.ConsumeBool() ? edit.caret : in.ConsumeIntegralInRange<int32_t>(0, d.length);
        std::string bytes = in.ConsumeRandomLengthString(12);
        auto style = in.ConsumeIntegralInRange<uint8_t>(0, 2);
        switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: {
            int32_t start = in.ConsumeIntegralInRange<int32_t>(-4, 60);
            int32_t end = in.ConsumeIntegralInRange<int32_t>(-4, 60);
            auto kind = in.ConsumeIntegralInRange<uint32_t>(1, 3);
            qel_code_doc_insert(&d, start, end, bytes.data(), (int32_t)bytes.size(), kind);
            break;
        }
        case 1: qel_code_doc_newline(&d, style); break;
        case 2: qel_code_doc_indent_lines(&d, in.ConsumeBool()); break;
        case 3: qel_code_doc_type(&d, bytes.data(), (int32_t)bytes.size(), style); break;
        case 4:
            snprintf(find, sizeof find, "%s", bytes.c_str());
            qel_code_doc_find(&d, in.ConsumeIntegralInRange<int32_t>(-4, 60), in.ConsumeIntegralInRange<int32_t>(0, 2));
            break;
        case 5:
            if (qel_text_undo(ctx, &edit, d.text, capacity, in.ConsumeBool())) {
                d.length = (int32_t)strlen(d.text);
                qel_code_doc_index_lines(&d);
            }
            break;
        case 6: {
            int32_t start = 0, end = 0;
            qel_code_doc_word_bounds(&d, in.ConsumeIntegralInRange<int32_t>(-4, 60), &start, &end);
            if (start < 0 || end < start || end > d.length) abort();
            break;
        }
        default: {
            int32_t at = qel_code_doc_column_to_offset(&d, in.ConsumeIntegralInRange<int32_t>(-2, 20),
                                                       in.ConsumeFloatingPointInRange<float>(-4, 80));
            if (at < 0 || at > d.length) abort();
        }
        }
        check(d, buffer);
    }
    for (char*& snapshot : edit.undo_text) qel_mem_free(ctx, snapshot);
    qel_end_frame(ctx);
    return 0;
}
