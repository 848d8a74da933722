// The one rule for where a folder and a name meet, shared by the path join and the Windows
// lister's search pattern; and the root of the system's files, defined beside each lister.
#pragma once

// True when a separator must come between dir and a name: not after an empty dir, one already
// ending in '/' or '\', or a bare drive such as "C:" (which names the drive's current folder).
bool qel_path_wants_separator(const char* dir);

// The root the browser's default places offer: the C: drive on Windows, "/" elsewhere.
const char* qel_dir_system_root();
