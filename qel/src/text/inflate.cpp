// Raw DEFLATE decoding in one pass with tables on the stack: stored, fixed and dynamic blocks,
// a 9-bit lookup for short codes and a canonical walk for the rest.
#include "text/inflate.h"

#include <cstring>

namespace {

struct qel_inflate_state {
    const uint8_t* in;
    const uint8_t* in_end;
    uint8_t* out;
    uint8_t* out_end;
    uint8_t* out_start;
    uint32_t bits;  // taken least significant first
    int32_t bit_count;
};

enum { FAST_BITS = 9, MAX_CODE_BITS = 15, MAX_LITLEN_CODES = 288, MAX_DIST_CODES = 30 };

struct qel_huffman {
    uint16_t counts[MAX_CODE_BITS + 1];  // codes per length
    uint16_t symbols[MAX_LITLEN_CODES];  // by code length, then by symbol
    uint16_t fast[1 << FAST_BITS];       // symbol | length << 12; 0 for codes longer than 9 bits
};

const uint16_t length_base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t length_extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t dist_base[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t dist_extra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t code_length_order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

void qel_inflate_refill(qel_inflate_state* s)
{
    while (s->bit_count <= 24 && s->in < s->in_end) {
        s->bits |= (uint32_t)*s->in++ << s->bit_count;
        s->bit_count += 8;
    }
}

// The next n (0..16) bits, or -1 when the input is exhausted.
int32_t qel_inflate_bits(qel_inflate_state* s, int32_t n)
{
    qel_inflate_refill(s);
    if (s->bit_count < n) return -1;
    int32_t v = (int32_t)(s->bits & ((1u << n) - 1));
    s->bits >>= n;
    s->bit_count -= n;
    return v;
}

// Canonical codes from code lengths. Incomplete sets are allowed (a lone distance code is
// legal); over-subscribed ones are not, since they cannot come from a real encoder.
bool qel_inflate_build_table(qel_huffman* h, const uint8_t* lengths, int32_t n)
{
    memset(h, 0, sizeof *h);
    for (int32_t i = 0; i < n; i++) h->counts[lengths[i]]++;
    h->counts[0] = 0;
    int32_t left = 1;
    uint16_t offsets[MAX_CODE_BITS + 2] = {0};
    for (int32_t len = 1; len <= MAX_CODE_BITS; len++) {
        left = (left << 1) - h->counts[len];
        if (left < 0) return false;
        offsets[len + 1] = (uint16_t)(offsets[len] + h->counts[len]);
    }
    uint32_t next_code[MAX_CODE_BITS + 1] = {0};
    for (int32_t len = 1, code = 0; len <= MAX_CODE_BITS; len++) {
        code = (code + h->counts[len - 1]) << 1;
        next_code[len] = (uint32_t)code;
    }
    for (int32_t sym = 0; sym < n; sym++) {
        int32_t len = lengths[sym];
        if (len == 0) continue;
        h->symbols[offsets[len]++] = (uint16_t)sym;
        uint32_t code = next_code[len]++;
        if (len > FAST_BITS) continue;
        // Codes are sent most significant bit first into a stream read least significant first.
        uint32_t reversed = 0;
        for (int32_t b = 0; b < len; b++) reversed |= ((code >> b) & 1) << (len - 1 - b);
        for (uint32_t i = reversed; i < (1u << FAST_BITS); i += 1u << len)
            h->fast[i] = (uint16_t)(sym | len << 12);
    }
    return true;
}

// One symbol, or -1 for a bad code or exhausted input.
int32_t qel_inflate_symbol(qel_inflate_state* s, const qel_huffman* h)
{
    qel_inflate_refill(s);
    uint16_t entry = h->fast[s->bits & ((1u << FAST_BITS) - 1)];
    int32_t len = entry >> 12;
    if (entry && len <= s->bit_count) {
        s->bits >>= len;
        s->bit_count -= len;
        return entry & 0xFFF;
    }
    int32_t code = 0, first = 0, index = 0;
    for (len = 1; len <= MAX_CODE_BITS; len++) {
        int32_t bit = qel_inflate_bits(s, 1);
        if (bit < 0) return -1;
        code |= bit;
        int32_t count = h->counts[len];
        if (code - first < count) return h->symbols[index + code - first];
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -1;
}

// The literal/length/distance loop of one compressed block: 0 at its end, -1 on an error.
int32_t qel_inflate_block(qel_inflate_state* s, const qel_huffman* litlen, const qel_huffman* dist)
{
    for (;;) {
        int32_t sym = qel_inflate_symbol(s, litlen);
        if (sym < 0) return -1;
        if (sym < 256) {
            if (s->out == s->out_end) return -1;
            *s->out++ = (uint8_t)sym;
            continue;
        }
        if (sym == 256) return 0;
        sym -= 257;
        if (sym >= 29) return -1;
        int32_t extra = qel_inflate_bits(s, length_extra[sym]);
        if (extra < 0) return -1;
        int32_t length = length_base[sym] + extra;
        int32_t dsym = qel_inflate_symbol(s, dist);
        if (dsym < 0 || dsym >= MAX_DIST_CODES) return -1;
        extra = qel_inflate_bits(s, dist_extra[dsym]);
        if (extra < 0) return -1;
        int32_t distance = dist_base[dsym] + extra;
        if (distance > s->out - s->out_start || length > s->out_end - s->out) return -1;
        // Byte by byte: a distance below the length repeats what this copy just wrote.
        const uint8_t* from = s->out - distance;
        for (int32_t i = 0; i < length; i++) *s->out++ = from[i];
    }
}

bool qel_inflate_stored(qel_inflate_state* s)
{
    int32_t skip = s->bit_count & 7;
    s->bits >>= skip;
    s->bit_count -= skip;
    int32_t len = qel_inflate_bits(s, 16);
    int32_t nlen = qel_inflate_bits(s, 16);
    if (len < 0 || nlen < 0 || len != (~nlen & 0xFFFF)) return false;
    if (len > s->out_end - s->out) return false;
    // The first bytes may already sit in the bit buffer, which is byte-aligned here.
    for (; len > 0 && s->bit_count >= 8; len--, s->bit_count -= 8, s->bits >>= 8) *s->out++ = (uint8_t)s->bits;
    if (len > s->in_end - s->in) return false;
    if (len == 0) return true;  // out may be null when nothing is to be written
    memcpy(s->out, s->in, (size_t)len);
    s->out += len;
    s->in += len;
    return true;
}

bool qel_inflate_fixed_tables(qel_huffman* litlen, qel_huffman* dist)
{
    uint8_t lengths[MAX_LITLEN_CODES];
    memset(lengths, 8, 144);
    memset(lengths + 144, 9, 112);
    memset(lengths + 256, 7, 24);
    memset(lengths + 280, 8, 8);
    if (!qel_inflate_build_table(litlen, lengths, MAX_LITLEN_CODES)) return false;
    memset(lengths, 5, MAX_DIST_CODES);
    return qel_inflate_build_table(dist, lengths, MAX_DIST_CODES);
}

bool qel_inflate_dynamic_tables(qel_inflate_state* s, qel_huffman* litlen, qel_huffman* dist)
{
    int32_t hlit = qel_inflate_bits(s, 5);
    int32_t hdist = qel_inflate_bits(s, 5);
    int32_t hclen = qel_inflate_bits(s, 4);
    if (hlit < 0 || hdist < 0 || hclen < 0) return false;
    hlit += 257;
    hdist += 1;
    if (hlit > 286 || hdist > MAX_DIST_CODES) return false;

    uint8_t lengths[MAX_LITLEN_CODES + MAX_DIST_CODES] = {0};
    for (int32_t i = 0; i < hclen + 4; i++) {
        int32_t len = qel_inflate_bits(s, 3);
        if (len < 0) return false;
        lengths[code_length_order[i]] = (uint8_t)len;
    }
    qel_huffman code_lengths;
    if (!qel_inflate_build_table(&code_lengths, lengths, 19)) return false;

    memset(lengths, 0, 19);
    for (int32_t n = 0; n < hlit + hdist;) {
        int32_t sym = qel_inflate_symbol(s, &code_lengths);
        if (sym < 0) return false;
        if (sym < 16) {
            lengths[n++] = (uint8_t)sym;
            continue;
        }
        // 16 repeats the previous length 3-6 times, 17 and 18 give 3-10 and 11-138 zeros.
        static const int8_t extra_bits[3] = {2, 3, 7}, base[3] = {3, 3, 11};
        if (sym == 16 && n == 0) return false;
        int32_t extra = qel_inflate_bits(s, extra_bits[sym - 16]);
        if (extra < 0) return false;
        int32_t repeat = base[sym - 16] + extra;
        if (repeat > hlit + hdist - n) return false;
        uint8_t value = sym == 16 ? lengths[n - 1] : 0;
        memset(lengths + n, value, (size_t)repeat);
        n += repeat;
    }
    if (lengths[256] == 0) return false;
    return qel_inflate_build_table(litlen, lengths, hlit) && qel_inflate_build_table(dist, lengths + hlit, hdist);
}

}  // namespace

uint64_t qel_inflate(const uint8_t* in, uint64_t in_len, uint8_t* out, uint64_t out_cap)
{
    if (!in || (!out && out_cap)) return 0;
    qel_inflate_state s = {in, in + in_len, out, out + out_cap, out, 0, 0};
    qel_huffman litlen, dist;
    for (;;) {
        int32_t final_block = qel_inflate_bits(&s, 1);
        int32_t type = qel_inflate_bits(&s, 2);
        if (final_block < 0 || type < 0) return 0;
        bool ok = false;
        if (type == 0) {
            ok = qel_inflate_stored(&s);
        } else if (type == 1 || type == 2) {
            ok = type == 1 ? qel_inflate_fixed_tables(&litlen, &dist) : qel_inflate_dynamic_tables(&s, &litlen, &dist);
            ok = ok && qel_inflate_block(&s, &litlen, &dist) == 0;
        }
        if (!ok) return 0;
        if (final_block) return (uint64_t)(s.out - s.out_start);
    }
}
