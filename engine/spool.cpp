// Job files, and what the platforms' queue listings share.
#include "spool.h"

#include <cstdio>
#include <cstring>

#include "files/file_io.h"

engine_error job_save_file(const char* path, const void* data, size_t length)
{
    if (!path || (!data && length)) return ERR_INVALID;
    FILE* f = file_open(path, "wb");
    if (!f) return ERR_IO;
    bool written = length == 0 || fwrite(data, 1, length, f) == length;
    // A cut job would print wrong labels; better no file than that one.
    return file_close_written(f, path, written) ? ERR_OK : ERR_IO;
}

void spool_copy_name(char* slot, const char* name)
{
    size_t n = strlen(name);
    if (n >= SPOOL_NAME_SIZE) {
        n = SPOOL_NAME_SIZE - 1;
        // Back off to the start of a UTF-8 character, so the slot never ends inside one.
        while (n > 0 && ((unsigned char)name[n] & 0xC0) == 0x80) n--;
    }
    memcpy(slot, name, n);
    slot[n] = '\0';
}
