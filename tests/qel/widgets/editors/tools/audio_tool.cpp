// Answers knob mapping and meter ballistics cases from a file, one case a line, for comparison
// with another model. Numbers are bit patterns in hex (doubles 16 digits, floats 8), so NaNs and
// infinities pass through any C runtime unchanged.
//   norm value min max log                      prints the position (double)
//   denorm pos min max step log                 prints the value (float)
//   meter floor ceil hold fall C F (dt l1..lC)xF prints per frame: moving, then per channel
//                                               level peak held clipped
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "qel/knob.h"
#include "qel/level_meter.h"

static bool read_double(FILE* in, double* v)
{
    uint64_t bits;
    if (fscanf(in, "%" SCNx64, &bits) != 1) return false;
    memcpy(v, &bits, sizeof bits);
    return true;
}

static bool read_float(FILE* in, float* v)
{
    uint32_t bits;
    if (fscanf(in, "%" SCNx32, &bits) != 1) return false;
    memcpy(v, &bits, sizeof bits);
    return true;
}

static void print_double(double v)
{
    uint64_t bits;
    memcpy(&bits, &v, sizeof bits);
    printf("%" PRIx64 " ", bits);
}

static void print_float(float v)
{
    uint32_t bits;
    memcpy(&bits, &v, sizeof bits);
    printf("%" PRIx32 " ", bits);
}

static bool meter_case(FILE* in)
{
    float floor_db, ceil_db, hold, fall;
    int channels, frames;
    if (!read_float(in, &floor_db) || !read_float(in, &ceil_db) || !read_float(in, &hold) || !read_float(in, &fall) ||
        fscanf(in, "%d %d", &channels, &frames) != 2 || channels < 1 || channels > 8)
        return false;
    qel_meter_channel states[8];
    for (qel_meter_channel& s : states) s = {floor_db - 1, floor_db - 1, 0, 0};
    for (int f = 0; f < frames; f++) {
        float dt, levels[8];
        if (!read_float(in, &dt)) return false;
        for (int c = 0; c < channels; c++)
            if (!read_float(in, &levels[c])) return false;
        printf("%d ", qel_meter_update(dt, states, levels, channels, floor_db, ceil_db, hold, fall) ? 1 : 0);
        for (int c = 0; c < channels; c++) {
            print_float(states[c].level);
            print_float(states[c].peak);
            print_float(states[c].held);
            printf("%d ", states[c].clipped);
        }
    }
    return true;
}

int main(int argc, char** argv)
{
    FILE* in = argc > 1 ? fopen(argv[1], "r") : nullptr;
    if (!in) return 2;
    char kind[16];
    while (fscanf(in, "%15s", kind) == 1) {
        double v[5];
        int log;
        bool ok;
        if (!strcmp(kind, "norm")) {
            ok = read_double(in, &v[0]) && read_double(in, &v[1]) && read_double(in, &v[2]) &&
                 fscanf(in, "%d", &log) == 1;
            if (ok) print_double(qel_knob_norm(v[0], v[1], v[2], log != 0));
        } else if (!strcmp(kind, "denorm")) {
            ok = read_double(in, &v[0]) && read_double(in, &v[1]) && read_double(in, &v[2]) && read_double(in, &v[3]) &&
                 fscanf(in, "%d", &log) == 1;
            if (ok) print_float(qel_knob_denorm(v[0], v[1], v[2], v[3], log != 0));
        } else {
            ok = !strcmp(kind, "meter") && meter_case(in);
        }
        if (!ok) return 3;
        printf("\n");
    }
    fclose(in);
    return 0;
}
