#include "text/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

typedef std::vector<uint8_t> bytes;

// zlib as the independent encoder: raw DEFLATE (negative window bits), no wrapper.
static bytes zlib_deflate(const bytes& data, int level, int strategy)
{
    z_stream z = {};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy), Z_OK);
    bytes out(deflateBound(&z, data.size()));
    z.next_in = (Bytef*)data.data();
    z.avail_in = (uInt)data.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

static uint64_t inflate_into(const bytes& stream, bytes* out)
{
    return qel_inflate(stream.data(), stream.size(), out->data(), out->size());
}

static std::vector<std::pair<std::string, bytes>> sample_data()
{
    std::mt19937 rng(7);
    bytes random(70000), text, skewed(50000), runs;
    for (auto& b : random) b = (uint8_t)rng();
    // Few symbols with long-tailed odds give long Huffman codes, past the 9-bit fast table.
    for (auto& b : skewed) {
        uint32_t r = rng();
        int n = 0;
        while (n < 20 && (r & (1u << n))) n++;
        b = (uint8_t)('a' + n);
    }
    const char* words[] = {"Sencha ", "Darjeeling ", "3.90 ", "EAN 4006381333931 ", "matcha\n", "\xE2\x82\xAC "};
    while (text.size() < 120000) {
        const char* w = words[rng() % 6];
        text.insert(text.end(), w, w + strlen(w));
    }
    for (int i = 0; i < 300; i++) runs.insert(runs.end(), 1 + rng() % 600, (uint8_t)(rng() % 3));
    return {{"empty", {}}, {"one byte", {42}}, {"random", random}, {"text", text},
            {"skewed", skewed}, {"runs", runs}, {"zeros", bytes(100000, 0)}};
}

TEST(Inflate, DecodesWhatZlibEncodesAtEveryLevelAndStrategy)
{
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (const auto& [name, data] : sample_data()) {
        for (int level = 0; level <= 9; level++) {
            for (int strategy : strategies) {
                SCOPED_TRACE(name + " level " + std::to_string(level) + " strategy " + std::to_string(strategy));
                bytes stream = zlib_deflate(data, level, strategy);
                bytes out(data.size());
                ASSERT_EQ(inflate_into(stream, &out), data.size());
                ASSERT_TRUE(out == data);
                if (data.empty()) continue;
                out.resize(data.size() - 1);
                EXPECT_EQ(inflate_into(stream, &out), 0u);  // one byte over the capacity
                stream.pop_back();
                out.resize(data.size());
                EXPECT_EQ(inflate_into(stream, &out), 0u);  // input ends early
            }
        }
    }
}

// Writes a DEFLATE bit stream: fields least significant bit first, Huffman codes most
// significant bit first, as RFC 1951 packs them.
struct bit_writer {
    bytes out;
    int used = 8;

    bit_writer& bits(uint32_t value, int n)
    {
        for (int i = 0; i < n; i++, used++) {
            if (used == 8) out.push_back(0), used = 0;
            out.back() |= (uint8_t)(((value >> i) & 1) << used);
        }
        return *this;
    }
    bit_writer& code(uint32_t value, int n)
    {
        for (int i = n - 1; i >= 0; i--) bits((value >> i) & 1, 1);
        return *this;
    }
    bit_writer& raw(std::initializer_list<uint8_t> b)
    {
        out.insert(out.end(), b);
        used = 8;
        return *this;
    }
};

// Fixed-table codes: literals 0-143 are 8 bits from 0x30, 256-279 are 7 bits from 0, 280-287 are
// 8 bits from 0xC0; distances are 5 bits.
static bit_writer& fixed_literal(bit_writer& w, uint8_t c) { return w.code(0x30 + c, 8); }
static bit_writer& fixed_end(bit_writer& w) { return w.code(0, 7); }

// A dynamic block header whose code-length code gives 1-bit codes to symbols a and b (and to
// extra, which over-subscribes it), then the listed code-length symbols with their extra bits,
// b's code being 1.
static bit_writer dynamic_header(int hlit, int hdist, int a, int b, std::vector<std::pair<int, int>> lengths,
                                 int extra_symbol = -1)
{
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    bit_writer w;
    w.bits(1, 1).bits(2, 2).bits(hlit - 257, 5).bits(hdist - 1, 5).bits(15, 4);
    for (int i = 0; i < 19; i++) w.bits(order[i] == a || order[i] == b || order[i] == extra_symbol ? 1 : 0, 3);
    static const int extra[3] = {2, 3, 7}, base[3] = {3, 3, 11};
    for (auto [sym, count] : lengths) {
        w.code(sym == b, 1);
        if (sym >= 16) w.bits(count - base[sym - 16], extra[sym - 16]);
    }
    return w;
}

TEST(Inflate, HandMadeStreams)
{
    bit_writer stored = bit_writer().bits(1, 1).bits(0, 2).raw({3, 0, 0xFC, 0xFF, 'a', 'b', 'c'});
    bit_writer bad_nlen = bit_writer().bits(1, 1).bits(0, 2).raw({3, 0, 0xFC, 0xFE, 'a', 'b', 'c'});
    bit_writer short_stored = bit_writer().bits(1, 1).bits(0, 2).raw({4, 0, 0xFB, 0xFF, 'a', 'b', 'c'});
    bit_writer two_blocks = bit_writer().bits(0, 1).bits(0, 2).raw({2, 0, 0xFD, 0xFF, 'a', 'b'}).bits(1, 1).bits(1, 2);
    fixed_end(fixed_literal(two_blocks, 'c'));

    bit_writer long_match = bit_writer().bits(1, 1).bits(1, 2);
    fixed_literal(long_match, 'x').code(0xC5, 8).code(0, 5);  // length 258, distance 1
    fixed_end(long_match);
    bit_writer overlap = bit_writer().bits(1, 1).bits(1, 2);
    fixed_literal(fixed_literal(overlap, 'a'), 'b').code(3, 7).code(1, 5);  // length 5, distance 2
    fixed_end(overlap);
    // Each stream below is whole, so that only the fault it shows can fail it.
    bit_writer too_far = bit_writer().bits(1, 1).bits(1, 2);
    fixed_end(fixed_literal(too_far, 'a').code(1, 7).code(1, 5));  // length 3, distance 2
    bit_writer symbol_286 = bit_writer().bits(1, 1).bits(1, 2).code(0xC6, 8);
    fixed_end(symbol_286);
    bit_writer distance_30 = bit_writer().bits(1, 1).bits(1, 2);
    fixed_end(fixed_literal(distance_30, 'a').code(1, 7).code(30, 5));

    // Literals 0 and 256 get 1-bit codes, the rest none; the block body is literal 0 and the end.
    const std::vector<std::pair<int, int>> two_codes = {{1, 0}, {18, 138}, {18, 117}, {1, 0}};
    auto with = [&](std::vector<std::pair<int, int>> more) {
        more.insert(more.begin(), two_codes.begin(), two_codes.end());
        return more;
    };
    bit_writer dynamic = dynamic_header(257, 1, 1, 18, with({{1, 0}})).code(0, 1).code(1, 1);
    bit_writer hlit_287 = dynamic_header(287, 1, 1, 18, with({{18, 30}, {1, 0}})).code(0, 1).code(1, 1);
    bit_writer hdist_31 = dynamic_header(257, 31, 1, 18, with({{1, 0}, {18, 30}})).code(0, 1).code(1, 1);
    bit_writer repeat_past = dynamic_header(257, 1, 1, 18, with({{18, 11}})).code(0, 1).code(1, 1);
    bit_writer repeat_first = dynamic_header(257, 1, 0, 16, {{16, 3}});
    // Literals 0 and 1 only: nothing can end the block.
    bit_writer no_end = dynamic_header(257, 1, 1, 18, {{1, 0}, {1, 0}, {18, 138}, {18, 118}}).code(0, 1);
    // Three 1-bit code-length codes cannot exist; a decoder that let the last one win would read
    // this block as literal 0.
    bit_writer oversubscribed = dynamic_header(257, 1, 18, 1, with({{1, 0}}), 0).code(0, 1).code(1, 1);

    const struct {
        const char* name;
        bytes stream;
        size_t capacity;
        std::string expected;  // empty: the call must return 0
    } cases[] = {
        {"stored block", stored.out, 3, "abc"},
        {"stored LEN and NLEN disagree", bad_nlen.out, 3, ""},
        {"stored data past the input", short_stored.out, 4, ""},
        {"stored data past the output", stored.out, 2, ""},
        {"stored then fixed block", two_blocks.out, 3, "abc"},
        {"distance 1, length 258", long_match.out, 259, std::string(259, 'x')},
        {"overlapping copy repeats", overlap.out, 7, "abababa"},
        {"distance before the start", too_far.out, 10, ""},
        {"literal/length symbol 286", symbol_286.out, 10, ""},
        {"fixed distance code 30", distance_30.out, 10, ""},
        {"block type 3", bit_writer().bits(1, 1).bits(3, 2).bits(0, 13).out, 10, ""},
        {"no input", {}, 10, ""},
        {"no final block", bit_writer().bits(0, 1).bits(0, 2).raw({0, 0, 0xFF, 0xFF}).out, 10, ""},
        {"dynamic block", dynamic.out, 10, std::string(1, '\0')},
        {"HLIT + 257 above 286", hlit_287.out, 10, ""},
        {"HDIST + 1 above 30", hdist_31.out, 10, ""},
        {"repeat code 16 first", repeat_first.out, 10, ""},
        {"repeats past the code lengths", repeat_past.out, 10, ""},
        {"end of block without a code", no_end.out, 10, ""},
        {"over-subscribed code lengths", oversubscribed.out, 10, ""},
    };
    for (const auto& c : cases) {
        std::string out(c.capacity, '\0');
        uint64_t n = qel_inflate(c.stream.data(), c.stream.size(), (uint8_t*)out.data(), out.size());
        EXPECT_EQ(out.substr(0, n), c.expected) << c.name;
    }
}

TEST(Inflate, RefusesNullBuffers)
{
    const uint8_t stored[] = {1, 1, 0, 0xFE, 0xFF, 'a'};
    uint8_t out[1];
    EXPECT_EQ(qel_inflate(nullptr, 6, out, 1), 0u);
    EXPECT_EQ(qel_inflate(stored, sizeof stored, nullptr, 1), 0u);
    EXPECT_EQ(qel_inflate(stored, sizeof stored, out, 1), 1u);
}
