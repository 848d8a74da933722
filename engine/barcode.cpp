// Code 128 and EAN/UPC module patterns from the published symbol tables.
#include "barcode.h"

#include <cstring>

namespace {

// Bar and space widths of the Code 128 symbol values 0..105, bar first.
const char code128_widths[106][7] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232",
};
const char code128_stop[] = "2331112";

enum {
    CODE128_CODE_C = 99,
    CODE128_CODE_B = 100,
    CODE128_START_B = 104,
    CODE128_START_C = 105,
    CODE128_QUIET = 10,
    // Symbol characters (start and check included) that fit the module capacity with the stop.
    CODE128_MAX_CHARS = (BARCODE_MAX_MODULES - 2 * CODE128_QUIET - 13) / 11,
};
static_assert(CODE128_MAX_VALUES == CODE128_MAX_CHARS - 1);

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Appends bars and spaces of the given widths, bar first.
void put_widths(barcode_symbol* s, const char* widths)
{
    for (int i = 0; widths[i]; i++)
        for (int w = 0; w < widths[i] - '0'; w++) s->modules[s->module_count++] = (uint8_t)(i % 2 == 0);
}

void put_text(barcode_symbol* s, const char* text, size_t length)
{
    s->text_length = (int32_t)(length < BARCODE_TEXT_SIZE - 1 ? length : BARCODE_TEXT_SIZE - 1);
    memcpy(s->text, text, (size_t)s->text_length);
    s->text[s->text_length] = '\0';
}

// Symbol values from the start on, stopping with false once they cannot all fit.
struct code128_plan_values {
    int value[CODE128_MAX_CHARS];
    int count;
    bool push(int v)
    {
        if (count >= CODE128_MAX_CHARS - 1) return false;  // the check still needs its place
        value[count++] = v;
        return true;
    }
};

size_t digit_run(const char* text)
{
    size_t n = 0;
    while (is_digit(text[n])) n++;
    return n;
}

bool code128_values_of(const char* text, size_t length, code128_plan_values* v)
{
    bool code_c = length > 3 && length % 2 == 0 && digit_run(text) == length;
    if (!v->push(code_c ? CODE128_START_C : CODE128_START_B)) return false;
    for (size_t i = 0; i < length;) {
        if (code_c) {
            if (is_digit(text[i]) && is_digit(text[i + 1])) {
                if (!v->push((text[i] - '0') * 10 + (text[i + 1] - '0'))) return false;
                i += 2;
                continue;
            }
            code_c = false;
            if (!v->push(CODE128_CODE_B)) return false;
        } else if (digit_run(text + i) >= 4) {
            code_c = true;
            if (!v->push(CODE128_CODE_C)) return false;
        } else {
            if (!v->push(text[i] - 32)) return false;
            i++;
        }
    }
    return true;
}

// Module widths of the EAN/UPC left-hand odd-parity (L) digit codes; the right-hand (R) codes
// are their complements and the even-parity (G) codes the R codes reversed.
const char* const ean_l_codes[10] = {
    "0001101", "0011001", "0010011", "0111101", "0100011", "0110001", "0101111", "0111011", "0110111", "0001011",
};
// For each first digit of an EAN-13, which of digits 2..7 take G codes, most significant first.
const uint8_t ean_parity[10] = {0x00, 0x0B, 0x0D, 0x0E, 0x13, 0x19, 0x1C, 0x15, 0x16, 0x1A};

enum ean_code { EAN_L, EAN_G, EAN_R };

void put_modules(barcode_symbol* s, int at, const char* bits)
{
    for (int i = 0; bits[i]; i++) s->modules[at + i] = (uint8_t)(bits[i] == '1');
}

void put_digit(barcode_symbol* s, int at, int digit, ean_code code)
{
    for (int i = 0; i < 7; i++) {
        int bit = code == EAN_G ? 6 - i : i;
        uint8_t l = (uint8_t)(ean_l_codes[digit][bit] == '1');
        s->modules[at + i] = code == EAN_L ? l : (uint8_t)!l;
    }
}

int check_digit_of(const char* digits, size_t length)
{
    if (!digits || length == 0) return -1;
    int sum = 0;
    for (size_t i = 0; i < length; i++) {
        char c = digits[length - 1 - i];
        if (!is_digit(c)) return -1;
        sum += (c - '0') * (i % 2 == 0 ? 3 : 1);
    }
    return (10 - sum % 10) % 10;
}

// EAN-13 or UPC-A: n digits with the check digit, or n - 1 without it.
engine_error retail_encode(const char* text, int n, barcode_symbol* s)
{
    size_t length = strlen(text);
    if (length != (size_t)n && length != (size_t)n - 1) return ERR_INVALID;
    int check = check_digit_of(text, (size_t)n - 1);
    if (check < 0 || (length == (size_t)n && text[n - 1] != '0' + check)) return ERR_INVALID;
    char digits[14];
    memcpy(digits, text, (size_t)n - 1);
    digits[n - 1] = (char)('0' + check);

    // EAN-13 hides its first digit in the parity of the next six; UPC-A shows all twelve.
    bool ean = n == 13;
    const char* left = ean ? digits + 1 : digits;
    uint8_t parity = ean ? ean_parity[digits[0] - '0'] : 0;
    int q = ean ? 11 : 9;
    put_modules(s, q, "101");
    for (int k = 0; k < 6; k++) put_digit(s, q + 3 + 7 * k, left[k] - '0', (parity >> (5 - k)) & 1 ? EAN_G : EAN_L);
    put_modules(s, q + 45, "01010");
    for (int k = 0; k < 6; k++) put_digit(s, q + 50 + 7 * k, left[6 + k] - '0', EAN_R);
    put_modules(s, q + 92, "101");
    s->module_count = 113;
    s->quiet_zone = q;
    s->guard_count = 3;
    s->guards[0] = {q, q + 3};
    s->guards[1] = {q + 45, q + 50};
    s->guards[2] = {q + 92, q + 95};
    put_text(s, digits, (size_t)n);
    return ERR_OK;
}

// The symbol values of a text the symbology can carry, start included, check not.
engine_error code128_plan(const char* text, code128_plan_values* v)
{
    size_t length = strlen(text);
    if (length == 0) return ERR_INVALID;
    for (size_t i = 0; i < length; i++)
        if (text[i] < 32 || text[i] > 126) return ERR_INVALID;
    *v = {};
    return code128_values_of(text, length, v) ? ERR_OK : ERR_RANGE;
}

}  // namespace

int32_t code128_values(const char* text, int32_t* values, int32_t max)
{
    code128_plan_values v;
    if (!text || !values || code128_plan(text, &v) != ERR_OK || v.count > max) return -1;
    for (int i = 0; i < v.count; i++) values[i] = v.value[i];
    return v.count;
}

engine_error code128_encode(const char* text, barcode_symbol* symbol)
{
    if (!text || !symbol) return ERR_INVALID;
    code128_plan_values v;
    engine_error error = code128_plan(text, &v);
    if (error) return error;
    size_t length = strlen(text);

    memset(symbol->modules, 0, sizeof symbol->modules);  // the quiet zones
    int check = v.value[0];
    for (int i = 1; i < v.count; i++) check = (check + v.value[i] * i) % 103;
    v.value[v.count++] = check;

    symbol->module_count = CODE128_QUIET;
    for (int i = 0; i < v.count; i++) put_widths(symbol, code128_widths[v.value[i]]);
    put_widths(symbol, code128_stop);
    symbol->module_count += CODE128_QUIET;
    symbol->quiet_zone = CODE128_QUIET;
    symbol->guard_count = 0;
    put_text(symbol, text, length);
    return ERR_OK;
}

int ean_check_digit(const char* digits)
{
    return digits ? check_digit_of(digits, strlen(digits)) : -1;
}

engine_error barcode_encode(uint32_t symbology, const char* text, barcode_symbol* symbol)
{
    if (!text || !symbol) return ERR_INVALID;
    memset(symbol, 0, sizeof *symbol);
    switch (symbology) {
    case SYMBOLOGY_CODE128: return code128_encode(text, symbol);
    case SYMBOLOGY_EAN13: return retail_encode(text, 13, symbol);
    case SYMBOLOGY_UPCA: return retail_encode(text, 12, symbol);
    default: return ERR_INVALID;
    }
}

const char* barcode_symbology_name(uint32_t symbology)
{
    static const char* const names[] = {"Code128", "EAN-13", "UPC-A"};
    return symbology < 3 ? names[symbology] : "?";
}

const char* zpl_barcode_command(uint32_t symbology)
{
    static const char* const commands[] = {"^BC", "^BE", "^BU"};
    return symbology < 3 ? commands[symbology] : "";
}
