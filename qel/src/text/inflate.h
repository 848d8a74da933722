// The toolkit's own decoder of raw DEFLATE streams (RFC 1951: no zlib or gzip wrapper, no
// checksum), for data compiled into the program. What a stream holds is left to its callers.
#pragma once

#include <cstdint>

// Decodes the whole stream into out and returns the number of bytes written; 0 on any error
// (truncated or corrupt input, a distance before the start, output past out_cap), and for a
// stream that writes nothing. Allocates nothing; on an error out holds what was written so far.
uint64_t qel_inflate(const uint8_t* in, uint64_t in_len, uint8_t* out, uint64_t out_cap);
