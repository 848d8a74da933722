// Inflates arbitrary bytes: never past the output, and whatever zlib decodes (raw DEFLATE, the
// same capacity) ours decodes to the same bytes.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "text/inflate.h"

enum { CAPACITY = 1 << 16 };

// zlib's output length, or -1 when it rejects the stream or needs more room.
static long zlib_inflate(const uint8_t* data, size_t size, uint8_t* out)
{
    z_stream z = {};
    if (inflateInit2(&z, -15) != Z_OK) abort();
    z.next_in = (Bytef*)data;
    z.avail_in = (uInt)size;
    z.next_out = out;
    z.avail_out = CAPACITY;
    int rc = inflate(&z, Z_FINISH);
    long n = rc == Z_STREAM_END ? (long)z.total_out : -1;
    inflateEnd(&z);
    return n;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Exactly sized buffers, so that AddressSanitizer sees any write past the capacity.
    std::vector<uint8_t> ours(CAPACITY), theirs(CAPACITY);
    uint64_t n = qel_inflate(data, size, ours.data(), ours.size());
    if (n > CAPACITY) abort();
    long expected = zlib_inflate(data, size, theirs.data());
    if (expected >= 0 && ((uint64_t)expected != n || memcmp(ours.data(), theirs.data(), n) != 0)) abort();
    if (n > 0) {
        std::vector<uint8_t> tight(n - 1);
        if (qel_inflate(data, size, tight.data(), tight.size()) != 0) abort();
    }
    return 0;
}
