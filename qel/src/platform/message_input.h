// Window-message values turned into the toolkit's input terms: virtual keys into key numbers,
// key states into modifier bits, wheel deltas into steps, and WM_CHAR's UTF-16 units into code
// points. The window procedure only unpacks messages and calls these.
#pragma once

#include <cstdint>

// The qel_key for a virtual key: true with *key set (QEL_KEY_NONE for a modifier-only key), false
// for a key the toolkit does not know.
bool qel_key_from_virtual_key(uint32_t virtual_key, int32_t* key);

// Whether F4 with Alt must still reach the system so that the window closes.
bool qel_virtual_key_is_f4(uint32_t virtual_key);

// qel_mod bits from the key states; super is either Windows key.
uint32_t qel_mods_from_keys(bool shift, bool ctrl, bool alt, bool left_super, bool right_super);

// A wheel delta in steps: 120 is one notch, touchpads send fractions of it.
float qel_wheel_steps(int16_t delta);

// One WM_CHAR unit. A high surrogate waits in *pending for its low half; a low one without it is
// dropped, as are control characters. True when *code_point is to be typed.
bool qel_char_from_unit(uint16_t* pending, uint32_t unit, uint32_t* code_point);
