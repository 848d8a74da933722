// Random bytes through the terminal intake in random write sizes on small rings: every held line
// stays inside the text ring, no two held lines share a byte, the current line ends at the write
// offset, and walking a line by cells and stored sequences counts the columns the intake stored
// (the sequences read as the widget reads them to draw).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

#include "qel/terminal_buffer.h"
#include "widgets/rich/terminal_lines.h"
#include "widgets/rich/terminal_style.h"

static void check(bool ok)
{
    if (!ok) abort();
}

static uint32_t walked_columns(const char* p, const char* end)
{
    uint32_t columns = 0;
    qel_terminal_attrs attrs = {};
    while (p < end) {
        bool sequence;
        const char* next = qel_terminal_next(p, end, &sequence);
        if (sequence) qel_terminal_apply_sgr(&attrs, p, (int32_t)(next - p), columns & 1);
        else if (qel_terminal_cell_start((uint8_t)*p)) columns++;
        p = next;
    }
    return columns;
}

static void check_buffer(const qel_terminal_buffer& b)
{
    check(b.count >= 1 && b.count <= b.line_capacity);
    std::vector<uint8_t> used(b.text_capacity, 0);
    for (int32_t i = 0; i < b.count; i++) {
        const qel_terminal_line& l = qel_terminal_line_of(&b, i);
        check((uint64_t)l.start + l.length <= b.text_capacity);
        for (uint32_t k = 0; k < l.length; k++) check(!used[l.start + k]++);
        check(walked_columns(b.text + l.start, b.text + l.start + l.length) == l.columns);
    }
    const qel_terminal_line& last = qel_terminal_line_of(&b, b.count - 1);
    check(last.start + last.length == b.write_offset);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    uint32_t text_capacity = in.ConsumeIntegralInRange<uint32_t>(64, 300);
    int32_t line_capacity = in.ConsumeIntegralInRange<int32_t>(2, 12);
    std::vector<char> text(text_capacity);
    std::vector<qel_terminal_line> lines((size_t)line_capacity);
    qel_terminal_buffer b;
    qel_terminal_init(&b, text.data(), text_capacity, lines.data(), line_capacity);
    uint64_t total = b.line_total;
    while (in.remaining_bytes() > 0) {
        std::vector<char> bytes = in.ConsumeBytes<char>(in.ConsumeIntegralInRange<size_t>(1, 80));
        qel_terminal_write(&b, bytes.data(), (int32_t)bytes.size());
        check(b.line_total >= total);
        total = b.line_total;
        check_buffer(b);
    }
    return 0;
}
