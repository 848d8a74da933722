// Answers curve and gradient cases from a file, one case a line, for comparison with another
// evaluator. Every float, read or printed, is its bit pattern in hex, so NaNs and infinities pass
// through any C runtime unchanged.
//   curve N (x y in_dx in_dy out_dx out_dy mode)xN Q x1..xQ    prints the Q values
//   move N (keys)xN index x_min x_max y_min y_max x y           prints "moved x y" of the key
//   gradient N (pos color)xN Q t1..tQ                           prints the Q colours
#include <cstdio>
#include <cstring>
#include <vector>

#include "qel/curve.h"
#include "qel/gradient.h"

static bool read_float(FILE* in, float* v)
{
    uint32_t bits;
    if (fscanf(in, "%x", &bits) != 1) return false;
    memcpy(v, &bits, sizeof bits);
    return true;
}

static void print_float(float v)
{
    uint32_t bits;
    memcpy(&bits, &v, sizeof bits);
    printf("%x ", bits);
}

static bool read_keys(FILE* in, std::vector<qel_curve_key>* keys)
{
    int n;
    if (fscanf(in, "%d", &n) != 1 || n < 0) return false;
    keys->resize((size_t)n);
    for (qel_curve_key& k : *keys) {
        unsigned mode;
        float* fields[] = {&k.x, &k.y, &k.in_dx, &k.in_dy, &k.out_dx, &k.out_dy};
        for (float* f : fields)
            if (!read_float(in, f)) return false;
        if (fscanf(in, "%u", &mode) != 1) return false;
        k.mode = (uint8_t)mode;
    }
    return true;
}

static bool read_floats(FILE* in, std::vector<float>* values)
{
    int n;
    if (fscanf(in, "%d", &n) != 1 || n < 0) return false;
    values->resize((size_t)n);
    for (float& v : *values)
        if (!read_float(in, &v)) return false;
    return true;
}

static bool curve_case(FILE* in)
{
    std::vector<qel_curve_key> keys;
    std::vector<float> xs;
    if (!read_keys(in, &keys) || !read_floats(in, &xs)) return false;
    for (float x : xs) print_float(qel_curve_evaluate(keys.data(), (int32_t)keys.size(), x));
    printf("\n");
    return true;
}

static bool move_case(FILE* in)
{
    std::vector<qel_curve_key> keys;
    int index;
    float r[6];
    if (!read_keys(in, &keys) || fscanf(in, "%d", &index) != 1 || index < 0 || index >= (int)keys.size()) return false;
    for (float& v : r)
        if (!read_float(in, &v)) return false;
    int32_t moved = qel_curve_move_key(keys.data(), (int32_t)keys.size(), index, r[0], r[1], r[2], r[3], r[4], r[5]);
    printf("%d ", moved);
    print_float(keys[(size_t)index].x);
    print_float(keys[(size_t)index].y);
    printf("\n");
    return true;
}

static bool gradient_case(FILE* in)
{
    int n;
    if (fscanf(in, "%d", &n) != 1 || n < 0) return false;
    std::vector<qel_gradient_stop> stops((size_t)n);
    for (qel_gradient_stop& s : stops)
        if (!read_float(in, &s.pos) || fscanf(in, "%u", (unsigned*)&s.color) != 1) return false;
    std::vector<float> ts;
    if (!read_floats(in, &ts)) return false;
    for (float t : ts) printf("%u ", (unsigned)qel_gradient_evaluate(stops.data(), n, t));
    printf("\n");
    return true;
}

int main(int argc, char** argv)
{
    FILE* in = argc == 2 ? fopen(argv[1], "r") : nullptr;
    if (!in) {
        fprintf(stderr, "usage: curves_tool CASES\n");
        return 2;
    }
    char kind[16];
    while (fscanf(in, "%15s", kind) == 1) {
        bool ok = !strcmp(kind, "curve") ? curve_case(in) : !strcmp(kind, "move") ? move_case(in)
                  : !strcmp(kind, "gradient")                  ? gradient_case(in)
                                                               : false;
        if (!ok) {
            fprintf(stderr, "curves_tool: bad case %s\n", kind);
            return 2;
        }
    }
    fclose(in);
    return 0;
}
