// Job files, and what the platforms' queue listings share.
#include "spool.h"

#include <cstdio>
#include <cstring>

#include "files/file_io.h"

engine_error job_save_file(const char* path, const void* data, size_t length)
{
    if (!path || (!data && length)) return ERR_INVALID;
    file_writing file;
    if (!file_write_begin(&file, path)) return ERR_IO;
    // A cut job would print wrong labels: the target is replaced only by the whole job.
    bool written = length == 0 || fwrite(data, 1, length, file.f) == length;
    return file_write_end(&file, written) ? ERR_OK : ERR_IO;
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
