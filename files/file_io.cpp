// What every build shares on top of its own file naming.
#include "file_io.h"

int file_close_written(FILE* f, const char* path, int written)
{
    bool regular = file_is_regular(f);
    bool closed = fclose(f) == 0;
    if (written && closed) return 1;
    if (regular) file_remove(path);
    return 0;
}
