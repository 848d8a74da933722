// Log appends, formatted appends and clears on rings of random capacities: every held line stays
// inside the text ring with its NUL, no two held lines share a byte, and the level counts always
// add up to the lines held.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qel/log.h"

static void check(bool ok)
{
    if (!ok) abort();
}

static void check_log(const qel_log& log)
{
    uint32_t counts[5] = {};
    std::vector<uint8_t> used(log.text_capacity, 0);
    check(log.count <= (uint32_t)log.entry_capacity);
    const char* text;
    for (int32_t i = 0; i < (int32_t)log.count; i++) {
        const qel_log_entry* e = qel_log_line(&log, i, &text);
        check(e && e->level < 5 && (uint64_t)e->text_offset + e->length + 1 <= log.text_capacity);
        check(text[e->length] == 0 && strlen(text) == e->length);
        for (uint32_t k = 0; k <= e->length; k++) check(!used[e->text_offset + k]++);
        counts[e->level]++;
    }
    check(!memcmp(counts, log.level_counts, sizeof counts));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    int32_t entry_capacity = in.ConsumeIntegralInRange<int32_t>(1, 40);
    uint32_t text_capacity = in.ConsumeIntegralInRange<uint32_t>(1, 2000);
    std::vector<qel_log_entry> entries((size_t)entry_capacity);
    std::vector<char> ring(text_capacity);
    qel_log log;
    qel_log_init(&log, entries.data(), entry_capacity, ring.data(), text_capacity);
    uint64_t appended = 0;
    while (in.remaining_bytes() > 0) {
        int32_t level = in.ConsumeIntegral<int8_t>();
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
        case 0: qel_log_clear(&log); break;
        case 1: {
            std::string text = in.ConsumeRandomLengthString(900);
            qel_log_printf(&log, level, "%s", text.c_str());
            appended++;
            break;
        }
        default: {
            std::string text = in.ConsumeRandomLengthString(900);
            qel_log_append(&log, level, 0, text.data(), (int32_t)text.size());
            appended++;
        }
        }
        check(log.total == appended);
        check_log(log);
    }
    return 0;
}
