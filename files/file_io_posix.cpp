// Files on systems whose C library takes UTF-8 paths directly. Temporaries are made with
// O_EXCL and renamed over their targets.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "file_io_internal.h"

namespace {

// The temporary being written, for file_write_interrupted; a handler reads it as it stands.
char pending_path[4096];
volatile sig_atomic_t pending = 0;

}  // namespace

FILE* file_create_new(const char* path, int mode)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    size_t n = strlen(path);
    if (n < sizeof pending_path) {
        pending = 0;
        memcpy(pending_path, path, n + 1);
        pending = 1;
    }
    // A replaced file keeps its permissions; a new one gets those the umask leaves.
    if (mode >= 0) fchmod(fd, (mode_t)mode);
    FILE* f = fdopen(fd, "wb");
    if (f) return f;
    int reason = errno;
    close(fd);
    unlink(path);
    pending = 0;
    errno = reason;
    return nullptr;
}

void file_forget_pending()
{
    pending = 0;
}

bool file_move_over(const char* from, const char* to)
{
    return rename(from, to) == 0;
}

unsigned long file_process_id()
{
    return (unsigned long)getpid();
}

void file_write_interrupted()
{
    if (pending) unlink(pending_path);
}

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

int file_same(const char* a, const char* b)
{
    struct stat sa, sb;
    return a && b && stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

file_read_status file_open_read(const char* path, FILE** f)
{
    *f = nullptr;
    // Without O_NONBLOCK, opening a pipe that has no writer would wait for one.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return FILE_READ_CANNOT_OPEN;
    struct stat st;
    file_read_status status = fstat(fd, &st) != 0    ? FILE_READ_CANNOT_OPEN
                              : S_ISDIR(st.st_mode)  ? FILE_READ_FOLDER
                              : !S_ISREG(st.st_mode) ? FILE_READ_NOT_REGULAR
                                                     : FILE_READ_OPENED;
    int flags = status == FILE_READ_OPENED ? fcntl(fd, F_GETFL) : -1;
    if (flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) *f = fdopen(fd, "rb");
    if (*f) return FILE_READ_OPENED;
    int reason = errno;
    close(fd);
    errno = reason;
    return status == FILE_READ_OPENED ? FILE_READ_CANNOT_OPEN : status;
}

bool file_write_begin(file_writing* w, const char* path)
{
    *w = {};
    struct stat st;
    bool exists = stat(path, &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        w->f = fopen(path, "wb");
        return w->f != nullptr;
    }
    // A file the user may not write stays protected, though its folder would let it be replaced.
    if (exists && access(path, W_OK) != 0) return false;
    // A link is followed, so that the file it names is replaced rather than the link itself.
    char* target = exists ? realpath(path, nullptr) : strdup(path);
    return file_begin_temporary(w, target, exists ? (int)(st.st_mode & 07777) : -1);
}
