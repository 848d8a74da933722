// Virtual-key numbers are Windows' own, fixed by its interface; they are spelled out here so that
// this file builds and is tested on any system.
#include "message_input.h"

enum : uint32_t {
    VKEY_BACK = 0x08,
    VKEY_TAB = 0x09,
    VKEY_RETURN = 0x0D,
    VKEY_SHIFT = 0x10,
    VKEY_CONTROL = 0x11,
    VKEY_MENU = 0x12,
    VKEY_ESCAPE = 0x1B,
    VKEY_SPACE = 0x20,
    VKEY_PRIOR = 0x21,
    VKEY_NEXT = 0x22,
    VKEY_END = 0x23,
    VKEY_HOME = 0x24,
    VKEY_LEFT = 0x25,
    VKEY_UP = 0x26,
    VKEY_RIGHT = 0x27,
    VKEY_DOWN = 0x28,
    VKEY_DELETE = 0x2E,
    VKEY_0 = 0x30,
    VKEY_9 = 0x39,
    VKEY_A = 0x41,
    VKEY_Z = 0x5A,
    VKEY_LWIN = 0x5B,
    VKEY_RWIN = 0x5C,
    VKEY_F1 = 0x70,
    VKEY_F4 = 0x73,
    VKEY_F12 = 0x7B,
    VKEY_OEM_PLUS = 0xBB,
    VKEY_OEM_COMMA = 0xBC,
    VKEY_OEM_MINUS = 0xBD,
    VKEY_OEM_PERIOD = 0xBE,
    VKEY_OEM_2 = 0xBF,
};

static const uint32_t MOD_SHIFT = 1, MOD_CTRL = 2, MOD_ALT = 4, MOD_SUPER = 8;

struct key_pair {
    uint32_t virtual_key;
    int32_t key;
};

static const key_pair NAMED_KEYS[] = {
    {VKEY_TAB, 1},        {VKEY_RETURN, 2},     {VKEY_ESCAPE, 3},     {VKEY_BACK, 4},      {VKEY_DELETE, 5},
    {VKEY_SPACE, 6},      {VKEY_LEFT, 7},       {VKEY_RIGHT, 8},      {VKEY_UP, 9},        {VKEY_DOWN, 10},
    {VKEY_HOME, 11},      {VKEY_END, 12},       {VKEY_PRIOR, 13},     {VKEY_NEXT, 14},     {VKEY_OEM_MINUS, 51},
    {VKEY_OEM_PLUS, 52},  {VKEY_OEM_COMMA, 53}, {VKEY_OEM_PERIOD, 54}, {VKEY_OEM_2, 55},   {VKEY_SHIFT, 0},
    {VKEY_CONTROL, 0},    {VKEY_MENU, 0},       {VKEY_LWIN, 0},       {VKEY_RWIN, 0},
};

bool qel_key_from_virtual_key(uint32_t virtual_key, int32_t* key)
{
    // Letters, digits and function keys run in the same order in both numberings.
    if (virtual_key >= VKEY_A && virtual_key <= VKEY_Z) return *key = (int32_t)virtual_key - 50, true;
    if (virtual_key >= VKEY_0 && virtual_key <= VKEY_9) return *key = (int32_t)virtual_key - 7, true;
    if (virtual_key >= VKEY_F1 && virtual_key <= VKEY_F12) return *key = (int32_t)virtual_key - 56, true;
    for (const key_pair& pair : NAMED_KEYS) {
        if (pair.virtual_key == virtual_key) return *key = pair.key, true;
    }
    return false;
}

bool qel_virtual_key_is_f4(uint32_t virtual_key)
{
    return virtual_key == VKEY_F4;
}

uint32_t qel_mods_from_keys(bool shift, bool ctrl, bool alt, bool left_super, bool right_super)
{
    return (shift ? MOD_SHIFT : 0) | (ctrl ? MOD_CTRL : 0) | (alt ? MOD_ALT : 0) |
           (left_super || right_super ? MOD_SUPER : 0);
}

float qel_wheel_steps(int16_t delta)
{
    return (float)delta / 120.0f;
}

bool qel_char_from_unit(uint16_t* pending, uint32_t unit, uint32_t* code_point)
{
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        *pending = (uint16_t)unit;
        return false;
    }
    uint32_t high = *pending;
    *pending = 0;  // whatever follows a high surrogate ends its wait
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (!high) return false;
        *code_point = 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00);
        return true;
    }
    *code_point = unit;
    return unit >= 32 && unit != 127;
}
