// The writing steps every build shares: temporaries named beside their targets, and the
// replacing or removing that ends them.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_io_internal.h"

namespace {

// A path in the target's folder for the attempt-th temporary of this process: hidden, short
// whatever the target's name is, and different for every process and attempt.
char* temporary_path(const char* target, unsigned attempt)
{
    size_t folder = strlen(target);
#ifdef _WIN32
    while (folder > 0 && !strchr("/\\:", target[folder - 1])) folder--;
#else
    while (folder > 0 && target[folder - 1] != '/') folder--;
#endif
    const size_t room = folder + 48;
    char* name = (char*)malloc(room);
    if (name) snprintf(name, room, "%.*s.tagmoor-%lu-%u.tmp", (int)folder, target, file_process_id(), attempt);
    return name;
}

}  // namespace

bool file_begin_temporary(file_writing* w, char* target, int mode)
{
    *w = {};
    w->target = target;
    errno = ENOMEM;
    for (unsigned attempt = 0; target && attempt < 100; attempt++) {
        w->temporary = temporary_path(target, attempt);
        if (!w->temporary) break;
        w->f = file_create_new(w->temporary, mode);
        if (w->f) return true;
        free(w->temporary);
        w->temporary = nullptr;
        if (errno != EEXIST) break;
    }
    int reason = errno;
    free(target);
    *w = {};
    errno = reason;
    return false;
}

bool file_write_end(file_writing* w, bool complete)
{
    int reason = errno;
    bool closed = fclose(w->f) == 0;
    if (!closed) reason = errno;
    bool done = complete && closed;
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
