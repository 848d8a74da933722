// Turns PBM images with the engine's rotated blit, for comparison with another program.
// Reads a list of jobs, one per line: input.pbm rotation output.pbm
#include <cstdio>
#include <cstring>

#include "engine/image_file.h"
#include "engine/raster.h"

static bool read_pbm(const char* path, raster* r)
{
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    int w = 0, h = 0;
    bool ok = fscanf(f, "P4 %d %d", &w, &h) == 2 && fgetc(f) != EOF && raster_create(r, w, h) == ERR_OK &&
              fread(r->bits, 1, (size_t)r->stride * (size_t)h, f) == (size_t)r->stride * (size_t)h;
    fclose(f);
    return ok;
}

int main(int argc, char** argv)
{
    FILE* jobs = argc == 2 ? fopen(argv[1], "r") : nullptr;
    if (!jobs) return 2;
    char in[1024], out[1024];
    int rotation = 0, failed = 0;
    while (fscanf(jobs, "%1023s %d %1023s", in, &rotation, out) == 3) {
        raster src = {}, dst = {};
        bool quarter = rotation == 90 || rotation == 270;
        bool ok = read_pbm(in, &src) &&
                  raster_create(&dst, quarter ? src.height : src.width, quarter ? src.width : src.height) == ERR_OK;
        if (ok) raster_blit_rotated(&dst, &src, 0, 0, rotation);
        if (!ok || pbm_write_raster(&dst, out) != ERR_OK) {
            fprintf(stderr, "cannot turn %s\n", in);
            failed = 1;
        }
        raster_free(&src);
        raster_free(&dst);
    }
    fclose(jobs);
    return failed;
}
