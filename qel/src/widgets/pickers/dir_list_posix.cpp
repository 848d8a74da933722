// The default lister on POSIX systems, with the Windows lister's limits and results: names pass as
// the raw bytes the system keeps, and a leading '.' is what marks an item hidden.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "qel/dir_list.h"
#include "widgets/pickers/dir_path.h"

static bool is_dot_or_dot_dot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// A link is listed as what it points to, so a link to a folder can be opened; a broken link as
// itself. False when the item is gone by now.
static bool stat_item(int dir_fd, const char* name, struct stat* st)
{
    return fstatat(dir_fd, name, st, 0) == 0 || fstatat(dir_fd, name, st, AT_SYMLINK_NOFOLLOW) == 0;
}

int32_t qel_dir_list(void*, const char* dir, qel_dir_entry* entries, int32_t max_entries, char* names,
                     uint64_t names_capacity, bool show_hidden)
{
    DIR* d = opendir(dir && dir[0] ? dir : ".");
    if (!d) return -1;
    if (!entries || max_entries < 0) max_entries = 0;
    if (!names) names_capacity = 0;
    int32_t count = 0;
    uint64_t used = 0;
    while (const dirent* item = readdir(d)) {
        const char* name = item->d_name;
        if (is_dot_or_dot_dot(name) || (!show_hidden && name[0] == '.')) continue;
        if (count == max_entries) break;
        struct stat st;
        if (!stat_item(dirfd(d), name, &st)) continue;
        uint64_t bytes = strlen(name) + 1;
        if (bytes > names_capacity - used) break;
        memcpy(names + used, name, bytes);
        bool is_dir = S_ISDIR(st.st_mode);
        entries[count++] = {names + used, (uint8_t)is_dir, is_dir ? 0 : (uint64_t)st.st_size, (int64_t)st.st_mtime};
        used += bytes;
    }
    closedir(d);
    return count;
}

const char* qel_dir_system_root()
{
    return "/";
}
