// Scratch files for tests: a fresh folder per test program, and whole-file reads and writes
// that go through the standard library (not the engine) so they can check the engine's I/O.
#pragma once

#include <string>

// A folder of its own under the system's temporary folder, made on first use, as UTF-8.
const std::string& scratch_dir();

// scratch_dir() joined with a UTF-8 file name.
std::string scratch_path(const std::string& name);

bool scratch_write(const std::string& path, const std::string& bytes);
bool scratch_read(const std::string& path, std::string* bytes);
bool scratch_exists(const std::string& path);
