// The one translation unit that compiles the font rasteriser's implementation.
#define STB_TRUETYPE_IMPLEMENTATION
#include "stb_truetype.h"
