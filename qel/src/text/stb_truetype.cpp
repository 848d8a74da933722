// The one translation unit that compiles the font rasteriser's implementation. Its allocations
// go through the context, which every font info carries as its user data.
#include "qel/context.h"

#define STBTT_malloc(size, user) qel_mem_alloc((qel_context*)(user), (size))
#define STBTT_free(ptr, user) qel_mem_free((qel_context*)(user), (ptr))
#define STB_TRUETYPE_IMPLEMENTATION
#include "stb_truetype.h"
