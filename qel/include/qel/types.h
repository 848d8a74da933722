// The records every part of the toolkit and every program built on it share: the context handle,
// packed colours, points and rectangles. Behaviour lives in the module headers beside this one.
#pragma once

#include <cstdint>

// All toolkit state of one window, passed explicitly as the first argument of every call.
// Made by qel_ctx_create (context.h); its contents are the toolkit's own.
struct qel_context;

// A colour packed as 0xAABBGGRR: sRGB bytes with red in the lowest byte and straight alpha in the
// highest. An alpha of 0 draws nothing, except for the theme tokens 0x001DC5nn (theme.h).
typedef uint32_t qel_color;

// A point, in logical units unless a call says framebuffer pixels.
struct qel_vec2 {
    float x, y;
};

// A rectangle with its top-left corner and size, in the same units as qel_vec2.
struct qel_rect {
    float x, y, w, h;
};
