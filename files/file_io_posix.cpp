// Files on systems whose C library takes UTF-8 paths directly. Temporaries are made without a
// name where the file system allows (O_TMPFILE) and linked to one when complete, else with
// O_EXCL; either is renamed over its target.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "file_io_internal.h"

namespace {

// The temporary being written, for file_write_interrupted; a handler reads it as it stands.
char pending_path[4096];
volatile sig_atomic_t pending = 0;

void remember_pending(const char* path)
{
    size_t n = strlen(path);
    if (n >= sizeof pending_path) return;
    pending = 0;
    memcpy(pending_path, path, n + 1);
    pending = 1;
}

// The name by which an open file can be linked, though it has none of its own.
void fd_link_path(int fd, char* link, size_t size)
{
    snprintf(link, size, "/proc/self/fd/%d", fd);
}

}  // namespace

FILE* file_create_new(const char* path, int mode)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    remember_pending(path);
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

FILE* file_create_unnamed(const char* folder, int mode)
{
#ifdef O_TMPFILE
    int fd = open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    // Linking it later goes through /proc, which not every system mounts.
    char link[64];
    fd_link_path(fd, link, sizeof link);
    if (access(link, F_OK) != 0) {
        close(fd);
        return nullptr;
    }
    if (mode >= 0) fchmod(fd, (mode_t)mode);
    FILE* f = fdopen(fd, "wb");
    if (!f) close(fd);
    return f;
#else
    (void)folder;
    (void)mode;
    return nullptr;
#endif
}

bool file_link_unnamed(FILE* f, const char* path)
{
    if (fflush(f) != 0) return false;
    char link[64];
    fd_link_path(fileno(f), link, sizeof link);
    if (linkat(AT_FDCWD, link, AT_FDCWD, path, AT_SYMLINK_FOLLOW) != 0) return false;
    remember_pending(path);
    return true;
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

bool file_machine_name(char* name, size_t room)
{
    if (room == 0 || gethostname(name, room) != 0) return false;
    name[room - 1] = '\0';
    return name[0] != '\0';
}

bool file_process_running(unsigned long id)
{
    // An id no process can have is left to whoever made it.
    if (id == 0 || id > (unsigned long)INT_MAX) return true;
    return kill((pid_t)id, 0) == 0 || errno != ESRCH;
}

void file_each_name(const char* folder, const char* prefix, void (*each)(const char* name, void* user), void* user)
{
    DIR* d = opendir(folder);
    if (!d) return;
    const size_t n = strlen(prefix);
    while (const dirent* e = readdir(d))
        if (strncmp(e->d_name, prefix, n) == 0) each(e->d_name, user);
    closedir(d);
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
