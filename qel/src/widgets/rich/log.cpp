// The log buffer's rings: reserving room for a line by dropping the oldest ones, cleaning the
// text as it is committed, and the formatted appends that write long lines straight into the ring.
#include "qel/log.h"

#include <cstdio>
#include <cstring>

static const uint32_t MAX_TEXT = 0x7fffffffu;
static const int FORMAT_BUFFER = 512;

static bool log_usable(const qel_log* log)
{
    return log && log->entries && log->text && log->entry_capacity > 0 && log->text_capacity > 0;
}

void qel_log_init(qel_log* log, qel_log_entry* entries, int32_t entry_capacity, char* text, uint32_t text_capacity)
{
    if (!log) return;
    *log = {};
    if (!entries || entry_capacity <= 0 || !text || text_capacity == 0) return;
    log->entries = entries;
    log->entry_capacity = entry_capacity;
    log->text = text;
    log->text_capacity = text_capacity < MAX_TEXT ? text_capacity : MAX_TEXT;
}

static void evict_oldest(qel_log* log)
{
    uint8_t level = log->entries[log->head].level;
    if (level < 5 && log->level_counts[level] > 0) log->level_counts[level]--;
    if (++log->head == (uint32_t)log->entry_capacity) log->head = 0;
    log->count--;
}

// Room for need bytes (need <= text capacity): the offset to write them at.
static uint32_t reserve(qel_log* log, uint32_t need)
{
    if (log->count >= (uint32_t)log->entry_capacity) evict_oldest(log);
    uint32_t off = log->write_offset;
    if (log->text_capacity - off < need) {
        for (;;) {
            if (log->count == 0) {
                log->write_offset = need;
                return 0;
            }
            if (log->entries[log->head].text_offset < off) break;
            evict_oldest(log);  // it lies in the tail being abandoned
        }
        off = 0;
    }
    uint32_t end = off + need;
    while (log->count > 0) {
        const qel_log_entry& e = log->entries[log->head];
        if (!(e.text_offset < end && off < e.text_offset + e.length + 1)) break;
        evict_oldest(log);
    }
    log->write_offset = end;
    return off;
}

// True when one of the eight bytes is below 32 or is 127 (bytes from 128 never count).
static bool has_control(uint64_t w)
{
    const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    uint64_t del = w ^ (ones * 127);
    return (((w - ones * 32) & ~w) | ((del - ones) & ~del)) & highs;
}

// Cleans the n bytes written at offset and records them as the newest line.
static void commit(qel_log* log, int32_t level, double time, uint32_t offset, uint32_t n)
{
    char* p = log->text + offset;
    while (n > 0 && (p[n - 1] == '\n' || p[n - 1] == '\r')) n--;
    // Eight bytes at a time, so that a clean line costs a few word tests.
    for (uint32_t i = 0; i < n; i += 8) {
        uint64_t w = 0;
        uint32_t k = n - i < 8 ? n - i : 8;
        memcpy(&w, p + i, k);
        if (k == 8 && !has_control(w)) continue;
        for (uint32_t j = i; j < i + k; j++)
            if ((uint8_t)p[j] < 32 || p[j] == 127) p[j] = ' ';
    }
    p[n] = 0;
    uint8_t stored = level >= 0 && level <= QEL_LOG_ERROR ? (uint8_t)level : (uint8_t)QEL_LOG_INFO;
    uint32_t slot = log->head + log->count;
    if (slot >= (uint32_t)log->entry_capacity) slot -= (uint32_t)log->entry_capacity;
    qel_log_entry& e = log->entries[slot];
    e = {offset, n, time, stored};
    log->total++;
    log->count++;
    log->level_counts[stored]++;
}

void qel_log_append(qel_log* log, int32_t level, double time, const char* text, int32_t length)
{
    if (!log_usable(log)) return;
    if (!text) text = "", length = 0;
    size_t len = length < 0 ? strlen(text) : (size_t)length;
    uint32_t n = len < log->text_capacity - 1 ? (uint32_t)len : log->text_capacity - 1;
    uint32_t offset = reserve(log, n + 1);
    memcpy(log->text + offset, text, n);
    commit(log, level, time, offset, n);
}

void qel_log_vappend(qel_log* log, int32_t level, const char* format, va_list args)
{
    if (!log_usable(log) || !format) return;
    char local[FORMAT_BUFFER];
    va_list again;
    va_copy(again, args);
    int result = vsnprintf(local, sizeof local, format, args);
    if (result >= 0 && result < FORMAT_BUFFER) {
        qel_log_append(log, level, log->now, local, result);
    } else if (result >= FORMAT_BUFFER) {
        // Formatted again straight into the ring rather than cut at the local buffer.
        uint32_t m = (uint32_t)result < log->text_capacity - 1 ? (uint32_t)result : log->text_capacity - 1;
        uint32_t offset = reserve(log, m + 1);
        vsnprintf(log->text + offset, (size_t)m + 1, format, again);
        commit(log, level, log->now, offset, m);
    }
    va_end(again);
}

void qel_log_printf(qel_log* log, int32_t level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    qel_log_vappend(log, level, format, args);
    va_end(args);
}

void qel_log_clear(qel_log* log)
{
    if (!log) return;
    log->head = log->count = log->write_offset = 0;
    memset(log->level_counts, 0, sizeof log->level_counts);
}

const qel_log_entry* qel_log_line(const qel_log* log, int32_t index, const char** text)
{
    if (text) *text = nullptr;
    if (!log_usable(log) || index < 0 || (uint32_t)index >= log->count) return nullptr;
    const qel_log_entry* e = &log->entries[(log->head + (uint32_t)index) % (uint32_t)log->entry_capacity];
    if (text) *text = log->text + e->text_offset;
    return e;
}
