#include "engine/byte_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "files/file_io.h"
#include "support/scratch.h"

static std::string contents(const byte_buffer& b)
{
    return std::string((const char*)b.data, b.length);
}

TEST(ByteBuffer, GrowsByDoublingFrom64KiB)
{
    byte_buffer b;
    ASSERT_EQ(byte_buffer_init(&b), 1);
    EXPECT_EQ(byte_buffer_init(nullptr), 0);
    EXPECT_EQ(byte_buffer_append(&b, "", 0), 1);
    EXPECT_EQ(b.data, nullptr);
    ASSERT_EQ(byte_buffer_append_byte(&b, 0x1234), 1);
    EXPECT_EQ(b.capacity, 65536u);
    const std::string big(65536, 'b');
    ASSERT_EQ(byte_buffer_append(&b, big.data(), big.size()), 1);
    EXPECT_EQ(b.capacity, 131072u);
    EXPECT_EQ(b.length, 65537u);
    EXPECT_EQ(b.data[0], 0x34);
    byte_buffer_free(&b);
    EXPECT_EQ(b.data, nullptr);
    EXPECT_EQ(b.capacity, 0u);

    const std::string bigger(65537, 'c');
    ASSERT_EQ(byte_buffer_append(&b, bigger.data(), bigger.size()), 1);
    EXPECT_EQ(b.capacity, 131072u);
    byte_buffer_free(&b);
    byte_buffer_free(nullptr);
}

TEST(ByteBuffer, FailedAppendKeepsTheBuffer)
{
    byte_buffer b = {};
    ASSERT_EQ(byte_buffer_append(&b, "abc", 3), 1);
    EXPECT_EQ(byte_buffer_append(&b, "x", SIZE_MAX - 1), 0);
    EXPECT_EQ(byte_buffer_append(&b, "x", SIZE_MAX / 2 + 1), 0);
    EXPECT_EQ(byte_buffer_append(&b, nullptr, 1), 0);
    EXPECT_EQ(byte_buffer_append(nullptr, "x", 1), 0);
    EXPECT_EQ(contents(b), "abc");
    EXPECT_EQ(b.capacity, 65536u);
    byte_buffer_free(&b);
}

TEST(ByteBuffer, ByteOrders)
{
    byte_buffer b = {};
    byte_buffer_append_u16_le(&b, 0x0102);
    byte_buffer_append_u32_le(&b, 0x03040506);
    byte_buffer_append_u16_be(&b, 0x0708);
    byte_buffer_append_byte(&b, -1);
    EXPECT_EQ(contents(b), std::string("\x02\x01\x06\x05\x04\x03\x07\x08\xff", 9));
    byte_buffer_free(&b);
}

TEST(ByteSink, BufferAndStreamGetTheSameBytes)
{
    const std::string path = scratch_path("sink.bin");
    FILE* f = file_open(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    byte_buffer b = {};
    byte_sink sinks[2] = {byte_sink_stream(f), byte_sink_buffer(&b)};
    const std::string long_text(300, 'L');
    for (byte_sink& sink : sinks) {
        EXPECT_EQ(byte_sink_write(&sink, "\0\xff", 2), 1);
        EXPECT_EQ(byte_sink_printf(&sink, "^PW%d %s %.2f %zu", 812, long_text.c_str(), 50.8, (size_t)7), 1);
        EXPECT_EQ(byte_sink_write(&sink, nullptr, 0), 1);
        EXPECT_EQ(byte_sink_status(&sink), ERR_OK);
    }
    ASSERT_EQ(fclose(f), 0);
    std::string file;
    ASSERT_TRUE(scratch_read(path, &file));
    const std::string expect = std::string("\0\xff", 2) + "^PW812 " + long_text + " 50.80 7";
    EXPECT_EQ(file, expect);
    EXPECT_EQ(contents(b), expect);
    byte_buffer_free(&b);
}

// A function sink gets every byte the others get, and the first refusal sticks.
TEST(ByteSink, FunctionTakesBytesUntilItRefuses)
{
    struct taker {
        std::string bytes;
        size_t room;
        static int take(void* target, const void* bytes, size_t count)
        {
            taker* t = (taker*)target;
            if (count > t->room) return 0;
            t->bytes.append((const char*)bytes, count);
            t->room -= count;
            return 1;
        }
    } t = {"", 10};
    byte_sink sink = byte_sink_to(taker::take, &t);
    EXPECT_EQ(byte_sink_printf(&sink, "%s", "123456"), 1);
    EXPECT_EQ(sink.written, 6u);
    EXPECT_EQ(byte_sink_write(&sink, "78901", 5), 0);
    EXPECT_EQ(byte_sink_write(&sink, "x", 1), 0);
    EXPECT_EQ(byte_sink_status(&sink), ERR_IO);
    EXPECT_EQ(t.bytes, "123456");
    EXPECT_EQ(sink.written, 6u);
}

// Pieces as a function sink receives them; it refuses once `refuse_after` pieces came.
struct sink_pieces {
    std::vector<std::string> got;
    size_t refuse_after = SIZE_MAX;
    static int take(void* target, const void* bytes, size_t count)
    {
        sink_pieces* p = (sink_pieces*)target;
        if (p->got.size() == p->refuse_after) return 0;
        p->got.emplace_back((const char*)bytes, count);
        return 1;
    }
};

// A staging sink hands on whole blocks, a piece of a block or more that finds the block empty as
// it is, and the rest at the flush; a writer may fill the block, or a buffer's end, in place.
TEST(ByteSink, StagingHandsOnWholeBlocks)
{
    sink_pieces p;
    uint8_t block[4];
    byte_sink sink = byte_sink_to(sink_pieces::take, &p);
    byte_sink_stage(&sink, block, sizeof block);
    EXPECT_EQ(byte_sink_write(&sink, "abc", 3), 1);
    EXPECT_EQ(byte_sink_write(&sink, "de", 2), 1);
    size_t room = 0;
    char* at = byte_sink_room(&sink, &room);
    ASSERT_NE(at, nullptr);
    ASSERT_EQ(room, 3u);
    memcpy(at, "fgh", 3);
    byte_sink_took(&sink, 3);
    EXPECT_EQ(byte_sink_write(&sink, "ijklmn", 6), 1);
    EXPECT_EQ(byte_sink_printf(&sink, "%c", 'o'), 1);
    EXPECT_EQ(p.got, (std::vector<std::string>{"abcd", "efgh", "ijklmn"}));
    EXPECT_EQ(byte_sink_flush(&sink), 1);
    EXPECT_EQ(byte_sink_flush(&sink), 1);
    EXPECT_EQ(p.got, (std::vector<std::string>{"abcd", "efgh", "ijklmn", "o"}));
    EXPECT_EQ(sink.written, 15u);

    byte_buffer b = {};
    byte_sink to_buffer = byte_sink_buffer(&b);
    byte_sink_write(&to_buffer, "ab", 2);
    at = byte_sink_room(&to_buffer, &room);
    ASSERT_EQ(at, (char*)b.data + 2);
    ASSERT_GE(room, 2u);
    memcpy(at, "cd", 2);
    byte_sink_took(&to_buffer, 2);
    EXPECT_EQ(contents(b), "abcd");
    EXPECT_EQ(to_buffer.written, 4u);
    byte_buffer_free(&b);

    // Plain streams and functions lend no room.
    byte_sink plain = byte_sink_to(sink_pieces::take, &p);
    EXPECT_EQ(byte_sink_room(&plain, &room), nullptr);
}

TEST(ByteSink, StagingKeepsTheFirstRefusal)
{
    sink_pieces p;
    p.refuse_after = 1;
    uint8_t block[3];
    byte_sink sink = byte_sink_to(sink_pieces::take, &p);
    byte_sink_stage(&sink, block, sizeof block);
    EXPECT_EQ(byte_sink_write(&sink, "ab", 2), 1);
    EXPECT_EQ(byte_sink_write(&sink, "cde", 3), 1);  // the first block went, the second waits
    EXPECT_EQ(byte_sink_write(&sink, "fg", 2), 0);
    EXPECT_EQ(sink.written, 5u);
    size_t room = 0;
    EXPECT_EQ(byte_sink_room(&sink, &room), nullptr);
    EXPECT_EQ(byte_sink_flush(&sink), 0);
    EXPECT_EQ(byte_sink_status(&sink), ERR_IO);
    EXPECT_EQ(p.got, (std::vector<std::string>{"abc"}));
}

TEST(ByteBuffer, ReserveAllocatesOnce)
{
    byte_buffer b = {};
    ASSERT_EQ(byte_buffer_reserve(&b, 1000), 1);
    EXPECT_EQ(b.capacity, 1000u);
    const uint8_t* block = b.data;
    const std::string bytes(1000, 'b');
    byte_buffer_append(&b, bytes.data(), bytes.size());
    EXPECT_EQ(b.data, block);
    EXPECT_EQ(b.capacity, 1000u);
    EXPECT_EQ(byte_buffer_reserve(&b, 10), 1);
    EXPECT_EQ(b.capacity, 1000u);
    byte_buffer_free(&b);
}

TEST(ByteSink, FirstFailureSticks)
{
    // A stream open only for reading takes no bytes.
    const std::string path = scratch_path("readonly.bin");
    ASSERT_TRUE(scratch_write(path, "x"));
    FILE* f = file_open(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    byte_sink sink = byte_sink_stream(f);
    EXPECT_EQ(byte_sink_write(&sink, "abc", 3), 0);
    EXPECT_EQ(byte_sink_status(&sink), ERR_IO);
    EXPECT_EQ(byte_sink_printf(&sink, "%d", 1), 0);
    EXPECT_EQ(sink.written, 0u);
    fclose(f);

    // A stream that failed before the sink met it reports through the status.
    f = file_open(path.c_str(), "rb");
    fputc('x', f);
    byte_sink late = byte_sink_stream(f);
    EXPECT_EQ(byte_sink_status(&late), ERR_IO);
    fclose(f);

    byte_buffer b = {};
    byte_sink full = byte_sink_buffer(&b);
    EXPECT_EQ(byte_sink_write(&full, "x", SIZE_MAX), 0);
    EXPECT_EQ(byte_sink_status(&full), ERR_NOMEM);
    EXPECT_EQ(byte_sink_write(&full, "y", 1), 0);
    EXPECT_EQ(b.length, 0u);
}
