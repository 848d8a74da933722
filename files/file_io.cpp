// The writing steps every build shares: temporaries named beside their targets, the replacing
// or removing that ends them, and clearing away those of processes that died.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_io_internal.h"

namespace {

const char temporary_prefix[] = ".tagmoor-";

// The length of the path's folder part, its last separator included; 0 for a bare name.
size_t folder_length(const char* path)
{
    size_t n = strlen(path);
#ifdef _WIN32
    while (n > 0 && !strchr("/\\:", path[n - 1])) n--;
#else
    while (n > 0 && path[n - 1] != '/') n--;
#endif
    return n;
}

// The path's folder ending in its separator, "./" for a bare name (heap); NULL without memory.
char* folder_of(const char* path)
{
    const size_t n = folder_length(path);
    const size_t length = n > 0 ? n : 2;
    char* folder = (char*)malloc(length + 1);
    if (!folder) return nullptr;
    memcpy(folder, n > 0 ? path : "./", length);
    folder[length] = '\0';
    return folder;
}

// A path in the target's folder for the attempt-th temporary of this process: hidden, short
// whatever the target's name is, and different for every computer, process and attempt.
char* temporary_path(const char* target, unsigned attempt)
{
    const size_t folder = folder_length(target);
    const size_t room = folder + 64;
    char* name = (char*)malloc(room);
    if (name)
        snprintf(name, room, "%.*s%s%08lx-%lu-%u.tmp", (int)folder, target, temporary_prefix,
                 (unsigned long)file_machine_tag(), file_process_id(), attempt);
    return name;
}

// The first temporary name beside target that make(path) can take (it fails with EEXIST for a
// taken one), on the heap; NULL with errno set.
template <class Make>
char* claim_temporary(const char* target, Make make)
{
    errno = ENOMEM;
    for (unsigned attempt = 0; attempt < 100; attempt++) {
        char* path = temporary_path(target, attempt);
        if (!path) return nullptr;
        if (make(path)) return path;
        int reason = errno;
        free(path);
        if (reason != EEXIST) {
            errno = reason;
            return nullptr;
        }
    }
    return nullptr;
}

// The decimal number at *p, at most ten digits, moving p past it; false without digits.
bool read_digits(const char** p, uint64_t* value)
{
    const char* start = *p;
    for (*value = 0; **p >= '0' && **p <= '9' && *p - start < 10; ++*p) *value = *value * 10 + (uint64_t)(**p - '0');
    return *p > start && !(**p >= '0' && **p <= '9');
}

// The eight hex digits at *p, moving p past them; false without all eight.
bool read_tag(const char** p, uint32_t* tag)
{
    for (int i = 0; i < 8; i++, ++*p) {
        const char c = **p;
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        *tag = *tag << 4 | (uint32_t)digit;
    }
    return true;
}

// A name that temporary_path makes, and the computer and process that made it.
bool temporary_owner(const char* name, uint32_t* machine, unsigned long* id)
{
    if (strncmp(name, temporary_prefix, sizeof temporary_prefix - 1) != 0) return false;
    const char* p = name + sizeof temporary_prefix - 1;
    uint64_t process = 0, attempt = 0;
    *machine = 0;
    if (!read_tag(&p, machine) || *p++ != '-' || !read_digits(&p, &process) || *p++ != '-' ||
        !read_digits(&p, &attempt) || strcmp(p, ".tmp") != 0)
        return false;
    if (process > ULONG_MAX) return false;
    *id = (unsigned long)process;
    return true;
}

// The folder being cleared and this computer's tag, learned once for all its names.
struct clearing {
    const char* folder;
    uint32_t machine;
};

// Removes a temporary whose process has ended: it was killed before it could. Only this
// computer's processes can be asked; another's, in a shared folder, may still be writing.
void remove_if_orphaned(const char* name, void* user)
{
    const clearing* c = (const clearing*)user;
    uint32_t machine = 0;
    unsigned long id = 0;
    if (!temporary_owner(name, &machine, &id) || machine != c->machine || file_process_running(id)) return;
    const size_t room = strlen(c->folder) + strlen(name) + 1;
    char* path = (char*)malloc(room);
    if (path) {
        snprintf(path, room, "%s%s", c->folder, name);
        file_remove(path);
    }
    free(path);
}

}  // namespace

uint32_t file_machine_tag()
{
    char name[256];
    if (!file_machine_name(name, sizeof name)) return 0;
    uint32_t h = 2166136261u;
    for (const char* c = name; *c; c++) h = (h ^ (uint8_t)*c) * 16777619u;
    return h ? h : 1;
}

bool file_begin_temporary(file_writing* w, char* target, int mode)
{
    *w = {};
    w->target = target;
    char* folder = target ? folder_of(target) : nullptr;
    errno = ENOMEM;
    if (folder) {
        clearing c = {folder, file_machine_tag()};
        if (c.machine) file_each_name(folder, temporary_prefix, remove_if_orphaned, &c);
        w->f = file_create_unnamed(folder, mode);
        if (!w->f)
            w->temporary = claim_temporary(target, [&](const char* path) {
                return (w->f = file_create_new(path, mode)) != nullptr;
            });
    }
    int reason = errno;
    free(folder);
    if (w->f) return true;
    free(target);
    *w = {};
    errno = reason;
    return false;
}

bool file_write_end(file_writing* w, bool complete)
{
    int reason = errno;
    // An unnamed temporary gets its name only now, while it is still open.
    bool named = true;
    if (complete && w->target && !w->temporary) {
        w->temporary = claim_temporary(w->target, [&](const char* path) { return file_link_unnamed(w->f, path); });
        named = w->temporary != nullptr;
        if (!named) reason = errno;
    }
    bool closed = fclose(w->f) == 0;
    if (!closed) reason = errno;
    bool done = complete && named && closed;
    if (w->temporary) {
        if (done && !file_move_over(w->temporary, w->target)) {
            reason = errno;
            done = false;
        }
        if (!done) file_remove(w->temporary);
        file_forget_pending();
    }
    free(w->temporary);
    free(w->target);
    *w = {};
    if (!done) errno = reason;
    return done;
}
