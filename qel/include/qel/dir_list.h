// What a file browser needs below its widgets: listing one folder into caller storage, matching
// names against file-type patterns, the browser's sort order, and joining and climbing paths.
// Nothing here keeps state beyond one sort; showing and navigating are the browser's.
#pragma once

#include <cstddef>
#include <cstdint>

// --- Records ---

// One listed item; the lister fills it, the caller's arrays own it.
struct qel_dir_entry {
    const char* name;  // UTF-8 name without its folder, inside the caller's name buffer
    uint8_t is_dir;    // 1 folder, 0 file
    uint64_t size;     // bytes; 0 for folders
    int64_t mtime;     // last write, Unix seconds (UTC); 0 when the system reports none
};

// Lists the folder dir into entries (at most max_entries records), packing each name, with its
// terminator, back to back into names (names_capacity bytes). Returns the records written, or a
// negative value when the folder cannot be read. user is handed through from the caller's
// options untouched. qel_dir_list is the default; programs may supply their own.
typedef int32_t (*qel_dir_lister)(void* user, const char* dir, qel_dir_entry* entries, int32_t max_entries,
                                  char* names, uint64_t names_capacity, bool show_hidden);

// What the browser's sort order reads: the entries that the sorted indices point into, the sort
// mode (0 name, 1 date modified, 2 size; any other value sorts by name) and the direction.
struct qel_dir_sort_view {
    const qel_dir_entry* entries;
    int32_t mode;
    uint8_t descending;
};

// --- Listing ---

// The system's lister. A null or empty dir is the current folder. Items whose name begins with
// '.' (and, on Windows, items marked hidden) are left out unless show_hidden; "." and ".." never
// show. The listing stops early, keeping what it wrote, when max_entries records are written or
// the next name does not fit whole in the name buffer. -1 when the path cannot be converted or
// is too long, or the folder cannot be opened. The user pointer is ignored.
int32_t qel_dir_list(void* user, const char* dir, qel_dir_entry* entries, int32_t max_entries, char* names,
                     uint64_t names_capacity, bool show_hidden);

// --- Names ---

// Matches name against the pattern text [pattern, pattern_end), a slice of a longer string.
// '*' stands for any run of characters and '?' for one character; A to Z match either case. A
// trailing run of two or more '*' needs at least one more character ("a**" does not match "a",
// "a*" does); an empty pattern matches only the empty name.
bool qel_wildcard_match(const char* pattern, const char* pattern_end, const char* name);

// Sorts count indices into view->entries in the browser's order: folders first in either
// direction; by date or size when the mode asks, oldest or smallest first (reversed when
// descending); then by name, naturally ("file2" before "file10", digits before letters, A to Z
// folded), reversed when descending.
void qel_file_browser_sort(const qel_dir_sort_view* view, int32_t* indices, int32_t count);

// The comparison that qel_file_browser_sort hands to the standard quicksort: a and b point at two
// int32_t indices into the entries of the view being sorted. Meaningful only during that sort,
// which is why sorting is not re-entrant; 0 at any other time.
int qel_file_browser_compare(const void* a, const void* b);

// --- Paths ---

// Writes dir, a separator when one is needed, and name into out. No separator follows an empty
// dir, one ending in '/' or '\', or a bare drive ("C:" joins to "C:a"); otherwise it is '/' when
// dir holds a '/' anywhere, else '\'. A result that does not fit whole in capacity bytes is
// refused: false, with out emptied. Null texts count as empty; out may be dir.
bool qel_path_join(char* out, size_t capacity, const char* dir, const char* name);

// Climbs path to its parent in place: trailing separators go (the first character stays), then
// everything from the last separator on, keeping that separator when it is the root ("/x" and
// "C:\x" climb to "/" and "C:\"). False, with path unchanged, when it holds no separator or is
// already a root.
bool qel_path_parent(char* path);
