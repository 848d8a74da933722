// Joining a name onto a folder and climbing to a parent, on UTF-8 paths of either system's form.
// Separators are ASCII, so no cut falls inside a character; a result that does not fit is refused
// rather than cut, since a cut path names some other file.
#include "widgets/pickers/dir_path.h"

#include <cstring>

#include "qel/dir_list.h"

static bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

static bool is_drive_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool qel_path_wants_separator(const char* dir)
{
    size_t n = strlen(dir);
    if (n == 0 || is_separator(dir[n - 1])) return false;
    return !(n == 2 && is_drive_letter(dir[0]) && dir[1] == ':');
}

bool qel_path_join(char* out, size_t capacity, const char* dir, const char* name)
{
    if (!out || capacity == 0) return false;
    if (!dir) dir = "";
    if (!name) name = "";
    const char* separator = !qel_path_wants_separator(dir) ? "" : strchr(dir, '/') ? "/" : "\\";
    size_t dir_len = strlen(dir), sep_len = strlen(separator), name_len = strlen(name);
    if (dir_len + sep_len + name_len >= capacity) {
        out[0] = 0;
        return false;
    }
    // The name first: out may be dir, whose bytes must not move before they are read.
    memmove(out + dir_len + sep_len, name, name_len + 1);
    memcpy(out + dir_len, separator, sep_len);
    memmove(out, dir, dir_len);
    return true;
}

bool qel_path_parent(char* path)
{
    size_t end = strlen(path);
    while (end > 1 && is_separator(path[end - 1])) end--;
    size_t last = end;
    while (last > 0 && !is_separator(path[last - 1])) last--;
    if (last == 0) return false;
    size_t cut = last - 1;
    bool root = cut == 0 || (cut == 2 && path[1] == ':' && is_drive_letter(path[0]));
    size_t keep = root ? cut + 1 : cut;
    if (path[keep] == 0) return false;
    path[keep] = 0;
    return true;
}
