// Virtual-key numbers are Windows' own, fixed by its interface; they are spelled out here so that
// this file builds and is tested on any system.
#include "platform/message_input.h"

#include "platform/platform_text.h"
#include "qel/input.h"

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

struct key_pair {
    uint32_t virtual_key;
    int32_t key;
};

static const key_pair NAMED_KEYS[] = {
    {VKEY_TAB, QEL_KEY_TAB},
    {VKEY_RETURN, QEL_KEY_ENTER},
    {VKEY_ESCAPE, QEL_KEY_ESCAPE},
    {VKEY_BACK, QEL_KEY_BACKSPACE},
    {VKEY_DELETE, QEL_KEY_DELETE},
    {VKEY_SPACE, QEL_KEY_SPACE},
    {VKEY_LEFT, QEL_KEY_LEFT},
    {VKEY_RIGHT, QEL_KEY_RIGHT},
    {VKEY_UP, QEL_KEY_UP},
    {VKEY_DOWN, QEL_KEY_DOWN},
    {VKEY_HOME, QEL_KEY_HOME},
    {VKEY_END, QEL_KEY_END},
    {VKEY_PRIOR, QEL_KEY_PAGE_UP},
    {VKEY_NEXT, QEL_KEY_PAGE_DOWN},
    {VKEY_OEM_MINUS, QEL_KEY_MINUS},
    {VKEY_OEM_PLUS, QEL_KEY_EQUAL},
    {VKEY_OEM_COMMA, QEL_KEY_COMMA},
    {VKEY_OEM_PERIOD, QEL_KEY_PERIOD},
    {VKEY_OEM_2, QEL_KEY_SLASH},
    {VKEY_SHIFT, QEL_KEY_NONE},
    {VKEY_CONTROL, QEL_KEY_NONE},
    {VKEY_MENU, QEL_KEY_NONE},
    {VKEY_LWIN, QEL_KEY_NONE},
    {VKEY_RWIN, QEL_KEY_NONE},
};

// Letters, digits and function keys run in the same order in both numberings.
struct key_range {
    uint32_t first, last;
    int32_t key;
};

static const key_range KEY_RANGES[] = {
    {VKEY_A, VKEY_Z, QEL_KEY_A},
    {VKEY_0, VKEY_9, QEL_KEY_0},
    {VKEY_F1, VKEY_F12, QEL_KEY_F1},
};

bool qel_key_from_virtual_key(uint32_t virtual_key, int32_t* key)
{
    for (const key_range& range : KEY_RANGES) {
        if (virtual_key >= range.first && virtual_key <= range.last)
            return *key = range.key + (int32_t)(virtual_key - range.first), true;
    }
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
    uint32_t mods = 0;
    if (shift) mods |= QEL_MOD_SHIFT;
    if (ctrl) mods |= QEL_MOD_CTRL;
    if (alt) mods |= QEL_MOD_ALT;
    if (left_super || right_super) mods |= QEL_MOD_SUPER;
    return mods;
}

float qel_wheel_steps(int16_t delta)
{
    return (float)delta / 120.0f;
}

bool qel_char_from_unit(uint16_t* pending, uint32_t unit, uint32_t* code_point)
{
    if (qel_utf16_is_high(unit)) {
        *pending = (uint16_t)unit;
        return false;
    }
    uint32_t high = *pending;
    *pending = 0;  // whatever follows a high surrogate ends its wait
    if (qel_utf16_is_low(unit)) {
        if (!high) return false;
        *code_point = qel_utf16_join(high, unit);
        return true;
    }
    *code_point = unit;
    return unit >= 32 && unit != 127;
}
