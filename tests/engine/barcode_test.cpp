#include "engine/barcode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// The symbol's bars and spaces as width groups: six per symbol character, seven for the stop.
static std::vector<std::string> code128_groups(const barcode_symbol& s)
{
    std::string widths;
    int i = s.quiet_zone, end = s.module_count - s.quiet_zone;
    while (i < end) {
        int run = 1;
        while (i + run < end && s.modules[i + run] == s.modules[i]) run++;
        widths += (char)('0' + run);
        i += run;
    }
    std::vector<std::string> groups;
    for (size_t at = 0; at + 7 < widths.size(); at += 6) groups.push_back(widths.substr(at, 6));
    groups.push_back(widths.substr(widths.size() - 7));
    return groups;
}

// Widths from the published table; each case's check value is worked out in its comment.
TEST(Barcode, Code128ChoosesCodeSets)
{
    const struct {
        const char* text;
        std::vector<std::string> groups;
    } cases[] = {
        // start C, 12, 34, check (105 + 12 + 2*34) % 103 = 82
        {"1234", {"211232", "112232", "131123", "121241", "2331112"}},
        // start B, 1, 2, 3, check (104 + 17 + 2*18 + 3*19) % 103 = 8
        {"123", {"211214", "123221", "223211", "221132", "132212", "2331112"}},
        // start B, code C, 12, 34, code B, 5, check (104 + 99 + 24 + 102 + 400 + 105) % 103 = 10
        {"12345", {"211214", "113141", "112232", "131123", "114131", "213212", "221312", "2331112"}},
        // start B, A, B, code C, 12, 34, code B, C, D, check 1853 % 103 = 102
        {"AB1234CD",
         {"211214", "111323", "131123", "113141", "112232", "131123", "114131", "131321", "112313", "411131",
          "2331112"}},
    };
    for (const auto& c : cases) {
        barcode_symbol s;
        ASSERT_EQ(barcode_encode(SYMBOLOGY_CODE128, c.text, &s), ERR_OK) << c.text;
        EXPECT_EQ(code128_groups(s), c.groups) << c.text;
        EXPECT_EQ(s.module_count, 20 + 11 * ((int)c.groups.size() - 1) + 13) << c.text;
        EXPECT_EQ(s.quiet_zone, 10);
        EXPECT_EQ(s.guard_count, 0);
        for (int i = 0; i < 10; i++) EXPECT_EQ(s.modules[i] | s.modules[s.module_count - 1 - i], 0);
        EXPECT_STREQ(s.text, c.text);
        EXPECT_EQ(s.text_length, (int)strlen(c.text));
    }
}

TEST(Barcode, Code128CapacityAndText)
{
    barcode_symbol s;
    // 41 characters in code B with start and check make 43 symbol characters: the most there is.
    std::string letters(41, 'x');
    ASSERT_EQ(barcode_encode(SYMBOLOGY_CODE128, letters.c_str(), &s), ERR_OK);
    EXPECT_EQ(s.module_count, 20 + 11 * 43 + 13);
    EXPECT_EQ(s.text_length, 31);
    EXPECT_EQ(std::string(s.text), std::string(31, 'x'));
    EXPECT_EQ(barcode_encode(SYMBOLOGY_CODE128, (letters + "x").c_str(), &s), ERR_RANGE);
    // 82 digits are 41 pairs in code C.
    std::string digits(82, '7');
    EXPECT_EQ(barcode_encode(SYMBOLOGY_CODE128, digits.c_str(), &s), ERR_OK);
    EXPECT_EQ(barcode_encode(SYMBOLOGY_CODE128, (digits + "77").c_str(), &s), ERR_RANGE);
}

TEST(Barcode, RetailCodes)
{
    const struct {
        uint32_t symbology;
        const char* text;
        const char* full;
        int quiet;
    } cases[] = {
        {SYMBOLOGY_EAN13, "400638133393", "4006381333931", 11},
        {SYMBOLOGY_EAN13, "4006381333931", "4006381333931", 11},
        {SYMBOLOGY_UPCA, "03600029145", "036000291452", 9},
        {SYMBOLOGY_UPCA, "036000291452", "036000291452", 9},
    };
    for (const auto& c : cases) {
        barcode_symbol s;
        ASSERT_EQ(barcode_encode(c.symbology, c.text, &s), ERR_OK) << c.text;
        EXPECT_STREQ(s.text, c.full);
        EXPECT_EQ(s.text_length, (int)strlen(c.full));
        EXPECT_EQ(s.module_count, 113);
        EXPECT_EQ(s.quiet_zone, c.quiet);
        ASSERT_EQ(s.guard_count, 3);
        const int q = c.quiet;
        const barcode_guard guards[] = {{q, q + 3}, {q + 45, q + 50}, {q + 92, q + 95}};
        for (int g = 0; g < 3; g++) {
            EXPECT_EQ(s.guards[g].first, guards[g].first);
            EXPECT_EQ(s.guards[g].end, guards[g].end);
        }
        std::string modules;
        for (int i = 0; i < s.module_count; i++) modules += (char)('0' + s.modules[i]);
        EXPECT_EQ(modules.substr(0, q), std::string(q, '0'));
        EXPECT_EQ(modules.substr(q, 3), "101");
        EXPECT_EQ(modules.substr(q + 45, 5), "01010");
        EXPECT_EQ(modules.substr(q + 92, 3), "101");
        EXPECT_EQ(modules.substr(q + 95), std::string(113 - q - 95, '0'));
    }
}

TEST(Barcode, CheckDigits)
{
    const struct {
        const char* digits;
        int check;
    } cases[] = {
        {"400638133393", 1}, {"03600029145", 2}, {"0", 0}, {"7", 9}, {"", -1}, {"12a", -1}, {"12 ", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(ean_check_digit(c.digits), c.check) << c.digits;
    EXPECT_EQ(ean_check_digit(nullptr), -1);
}

TEST(Barcode, Refusals)
{
    const std::string long_text(5000, 'a');
    const struct {
        uint32_t symbology;
        const char* text;
        engine_error result;
    } cases[] = {
        {SYMBOLOGY_CODE128, "", ERR_INVALID},
        {SYMBOLOGY_CODE128, "a\tb", ERR_INVALID},
        {SYMBOLOGY_CODE128, "del\x7F", ERR_INVALID},
        {SYMBOLOGY_CODE128, "caf\xC3\xA9", ERR_INVALID},
        {SYMBOLOGY_CODE128, "abcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghij", ERR_RANGE},
        {SYMBOLOGY_CODE128, long_text.c_str(), ERR_RANGE},
        {SYMBOLOGY_EAN13, "40063813339", ERR_INVALID},      // 11 digits
        {SYMBOLOGY_EAN13, "40063813339311", ERR_INVALID},   // 14 digits
        {SYMBOLOGY_EAN13, "4006381333932", ERR_INVALID},    // wrong check digit
        {SYMBOLOGY_EAN13, "40063813339X", ERR_INVALID},
        {SYMBOLOGY_EAN13, "", ERR_INVALID},
        {SYMBOLOGY_UPCA, "0360002914", ERR_INVALID},
        {SYMBOLOGY_UPCA, "036000291453", ERR_INVALID},
        {SYMBOLOGY_UPCA, "03600029145 ", ERR_INVALID},
        {3, "12345", ERR_INVALID},
    };
    for (const auto& c : cases) {
        // A canary right after the record catches any write past it.
        struct {
            barcode_symbol s;
            uint8_t canary[64];
        } box;
        memset(box.canary, 0xA5, sizeof box.canary);
        EXPECT_EQ(barcode_encode(c.symbology, c.text, &box.s), c.result) << c.symbology << " " << strlen(c.text);
        for (uint8_t b : box.canary) ASSERT_EQ(b, 0xA5);
    }
    barcode_symbol s;
    EXPECT_EQ(barcode_encode(SYMBOLOGY_CODE128, nullptr, &s), ERR_INVALID);
    EXPECT_EQ(barcode_encode(SYMBOLOGY_CODE128, "1", nullptr), ERR_INVALID);
}

TEST(Barcode, Names)
{
    const char* names[] = {"Code128", "EAN-13", "UPC-A", "?"};
    const char* commands[] = {"^BC", "^BE", "^BU", ""};
    for (uint32_t i = 0; i < 4; i++) {
        EXPECT_STREQ(barcode_symbology_name(i), names[i]);
        EXPECT_STREQ(zpl_barcode_command(i), commands[i]);
    }
    EXPECT_STREQ(barcode_symbology_name(0xFFFFFFFFu), "?");
}
