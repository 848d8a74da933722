// Scratch folders and files for tests, named in UTF-8 on every system.
#include "support/scratch.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

static fs::path scratch_fs_path(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

namespace {

// Removed with everything in it when the test program ends.
struct scratch_folder {
    std::string path;
    ~scratch_folder()
    {
        std::error_code ec;
        fs::remove_all(scratch_fs_path(path), ec);
    }
};

}  // namespace

const std::string& scratch_dir()
{
    static const scratch_folder folder = [] {
        std::random_device seed;
        fs::path p = fs::temp_directory_path() / ("tagmoor-test-" + std::to_string(seed()));
        fs::create_directories(p);
        std::u8string u = p.u8string();
        return scratch_folder{std::string(u.begin(), u.end())};
    }();
    return folder.path;
}

std::string scratch_path(const std::string& name)
{
    std::u8string u = (scratch_fs_path(scratch_dir()) / scratch_fs_path(name)).u8string();
    return std::string(u.begin(), u.end());
}

bool scratch_write(const std::string& path, const std::string& bytes)
{
    std::ofstream out(scratch_fs_path(path), std::ios::binary);
    out.write(bytes.data(), (std::streamsize)bytes.size());
    return (bool)out.flush();
}

bool scratch_read(const std::string& path, std::string* bytes)
{
    std::ifstream in(scratch_fs_path(path), std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool scratch_exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(scratch_fs_path(path), ec);
}
