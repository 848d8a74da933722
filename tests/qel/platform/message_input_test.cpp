// Window-message values into toolkit input: keys, modifiers, wheel steps and typed characters.
#include <gtest/gtest.h>

#include <vector>

#include "platform/message_input.h"

TEST(MessageInput, VirtualKeysMapToToolkitKeys)
{
    const int32_t rows[][2] = {
        {0x09, 1},  {0x0D, 2},  {0x1B, 3},  {0x08, 4},  {0x2E, 5},  {0x20, 6},  {0x25, 7},  {0x27, 8},
        {0x26, 9},  {0x28, 10}, {0x24, 11}, {0x23, 12}, {0x21, 13}, {0x22, 14}, {'A', 15},  {'M', 27},
        {'Z', 40},  {'0', 41},  {'9', 50},  {0xBD, 51}, {0xBB, 52}, {0xBC, 53}, {0xBE, 54}, {0xBF, 55},
        {0x70, 56}, {0x73, 59}, {0x7B, 67}, {0x10, 0},  {0x11, 0},  {0x12, 0},  {0x5B, 0},  {0x5C, 0},
    };
    for (const auto& r : rows) {
        int32_t key = -1;
        EXPECT_TRUE(qel_key_from_virtual_key((uint32_t)r[0], &key)) << std::hex << r[0];
        EXPECT_EQ(key, r[1]) << std::hex << r[0];
    }
    // Keys between and beyond the mapped ranges: numpad, F13, '@', ':', '[', Caps Lock.
    for (uint32_t other : {0x60u, 0x7Cu, 0x40u, 0x3Au, 0x5Du, 0x14u, 0xDBu, 0u}) {
        int32_t key = -1;
        EXPECT_FALSE(qel_key_from_virtual_key(other, &key)) << std::hex << other;
        EXPECT_EQ(key, -1);
    }
    EXPECT_TRUE(qel_virtual_key_is_f4(0x73));
    EXPECT_FALSE(qel_virtual_key_is_f4(0x74));
}

TEST(MessageInput, ModifierBits)
{
    EXPECT_EQ(qel_mods_from_keys(false, false, false, false, false), 0u);
    EXPECT_EQ(qel_mods_from_keys(true, false, false, false, false), 1u);
    EXPECT_EQ(qel_mods_from_keys(false, true, false, false, false), 2u);
    EXPECT_EQ(qel_mods_from_keys(false, false, true, false, false), 4u);
    EXPECT_EQ(qel_mods_from_keys(false, false, false, true, false), 8u);
    EXPECT_EQ(qel_mods_from_keys(false, false, false, false, true), 8u);
    EXPECT_EQ(qel_mods_from_keys(true, true, true, true, true), 15u);
}

TEST(MessageInput, WheelDeltasAreFractionalSteps)
{
    const float rows[][2] = {{120, 1}, {-120, -1}, {240, 2}, {30, 0.25f}, {-15, -0.125f}, {1, 1 / 120.0f}, {0, 0}};
    for (const auto& r : rows) EXPECT_FLOAT_EQ(qel_wheel_steps((int16_t)r[0]), r[1]) << r[0];
}

// Feeds WM_CHAR units in order and returns the code points that would be typed.
static std::vector<uint32_t> type_units(std::initializer_list<uint32_t> units)
{
    uint16_t pending = 0;
    std::vector<uint32_t> typed;
    for (uint32_t unit : units) {
        uint32_t cp = 0;
        if (qel_char_from_unit(&pending, unit, &cp)) typed.push_back(cp);
    }
    return typed;
}

TEST(MessageInput, CharactersJoinSurrogatesAndDropControls)
{
    using v = std::vector<uint32_t>;
    EXPECT_EQ(type_units({'a', 0xE9, 0x20AC}), (v{'a', 0xE9, 0x20AC}));
    EXPECT_EQ(type_units({0xD83D, 0xDE00}), (v{0x1F600}));                  // an emoji in two messages
    EXPECT_EQ(type_units({0xDBFF, 0xDFFF}), (v{0x10FFFF}));
    EXPECT_EQ(type_units({0xDE00, 'b'}), (v{'b'}));                         // lone low half
    EXPECT_EQ(type_units({0xD83D, 'c', 0xDE00}), (v{'c'}));                 // the high half is forgotten
    EXPECT_EQ(type_units({0xD800, 0xD83D, 0xDE00}), (v{0x1F600}));          // the later high half counts
    EXPECT_EQ(type_units({1, 8, 9, 13, 27, 31, 127, ' '}), (v{' '}));       // Ctrl+A, Backspace, Tab...
}
