// File naming on systems whose C library takes UTF-8 paths directly.
#include "file_io.h"

#include <sys/stat.h>
#include <sys/types.h>

FILE* file_open(const char* path, const char* mode)
{
    return fopen(path, mode);
}

int file_remove(const char* path)
{
    return remove(path);
}

int64_t file_size_from_end(FILE* f)
{
    if (fseeko(f, 0, SEEK_END) != 0) return -1;
    off_t size = ftello(f);
    return size < 0 ? -1 : (int64_t)size;
}

int file_is_regular(FILE* f)
{
    struct stat st;
    return fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
}
