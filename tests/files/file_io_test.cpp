#include "files/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "files/file_io_internal.h"
#include "support/scratch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

// A folder of its own under scratch, so that a test sees every file a writing leaves.
std::string fresh_folder(const std::string& name)
{
    const std::string path = scratch_path(name);
#ifdef _WIN32
    CreateDirectoryA(path.c_str(), nullptr);
#else
    mkdir(path.c_str(), 0777);
#endif
    return path;
}

std::vector<std::string> names_in(const std::string& folder)
{
    std::vector<std::string> names;
#ifdef _WIN32
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "/*").c_str(), &found);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &found))
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0) names.push_back(found.cFileName);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
#else
    DIR* d = opendir(folder.c_str());
    while (dirent* e = d ? readdir(d) : nullptr)
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
    if (d) closedir(d);
#endif
    return names;
}

std::string contents(const std::string& path)
{
    std::string bytes;
    EXPECT_TRUE(scratch_read(path, &bytes)) << path;
    return bytes;
}

const char* const null_device =
#ifdef _WIN32
    "NUL";
#else
    "/dev/null";
#endif

// The id of a process that has run and ended.
unsigned long ended_process_id()
{
#ifdef _WIN32
    wchar_t command[] = L"cmd.exe /c exit 0";
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    const DWORD flags = CREATE_NO_WINDOW;
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, flags, nullptr, nullptr, &start, &process)) return 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
#else
    pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return (unsigned long)child;
#endif
}

unsigned long this_process_id()
{
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return (unsigned long)getpid();
#endif
}

std::string temporary_name(unsigned long process, int attempt, uint32_t machine = file_machine_tag())
{
    char tag[16];
    snprintf(tag, sizeof tag, "%08lx", (unsigned long)machine);
    return ".tagmoor-" + std::string(tag) + "-" + std::to_string(process) + "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

// Until the writing ends, the target holds what it held; a complete writing replaces it, an
// incomplete one leaves it, and neither leaves a temporary behind.
TEST(FileWriting, TargetIsReplacedOnlyByACompleteFile)
{
    const std::string folder = fresh_folder("replace");
    const std::string path = folder + "/job.bin";
    ASSERT_TRUE(scratch_write(path, "old job"));
    for (bool complete : {false, true}) {
        file_writing w;
        ASSERT_TRUE(file_write_begin(&w, path.c_str()));
        EXPECT_EQ(names_in(folder).size(), w.temporary ? 2u : 1u);
        ASSERT_GE(fputs("new job", w.f), 0);
        fflush(w.f);
        EXPECT_EQ(contents(path), "old job");
        EXPECT_EQ(file_write_end(&w, complete), complete);
        EXPECT_EQ(contents(path), complete ? "new job" : "old job");
        EXPECT_EQ(names_in(folder), std::vector<std::string>{"job.bin"});
    }
    // A target that did not exist is made only at the end, or not at all.
    const std::string fresh = folder + "/fresh.bin";
    file_writing w;
    ASSERT_TRUE(file_write_begin(&w, fresh.c_str()));
    EXPECT_FALSE(scratch_exists(fresh));
    EXPECT_FALSE(file_write_end(&w, false));
    EXPECT_FALSE(scratch_exists(fresh));
}

// Two writings of one target at once each have their own temporary; the last to end wins whole.
TEST(FileWriting, ConcurrentWritersLeaveOneWholeFile)
{
    const std::string folder = fresh_folder("race");
    const std::string path = folder + "/job.bin";
    file_writing a, b;
    ASSERT_TRUE(file_write_begin(&a, path.c_str()));
    ASSERT_TRUE(file_write_begin(&b, path.c_str()));
    const std::string long_job(100000, 'a'), short_job(10, 'b');
    fwrite(long_job.data(), 1, long_job.size(), a.f);
    fwrite(short_job.data(), 1, short_job.size(), b.f);
    EXPECT_TRUE(file_write_end(&b, true));
    EXPECT_TRUE(file_write_end(&a, true));
    EXPECT_EQ(contents(path), long_job);
    EXPECT_EQ(names_in(folder), std::vector<std::string>{"job.bin"});
}

TEST(FileWriting, InterruptionRemovesTheTemporary)
{
    const std::string folder = fresh_folder("interrupted");
    const std::string path = folder + "/job.bin";
    ASSERT_TRUE(scratch_write(path, "old job"));
    file_writing w;
    ASSERT_TRUE(file_write_begin(&w, path.c_str()));
    fputs("half a job", w.f);
    file_write_interrupted();
    fclose(w.f);  // as the ending process would
    EXPECT_EQ(names_in(folder), std::vector<std::string>{"job.bin"});
    EXPECT_EQ(contents(path), "old job");
    free(w.target);
    free(w.temporary);
    file_write_interrupted();  // nothing is pending any more: harmless
}

// A writer killed before it could remove its temporary leaves it to the next writing in that
// folder, which removes only the temporaries of this computer's processes that have ended.
TEST(FileWriting, OrphanedTemporariesAreClearedAway)
{
    const std::string folder = fresh_folder("orphans");
    const unsigned long ended = ended_process_id();
    ASSERT_NE(ended, 0u);
    ASSERT_NE(file_machine_tag(), 0u);
    const std::string orphans[] = {temporary_name(ended, 0), temporary_name(ended, 7)};
    const std::string ours = temporary_name(ended, 0);
    const std::string kept[] = {
        temporary_name(this_process_id(), 42),  // this process may be writing it
        temporary_name(ended, 0, file_machine_tag() ^ 1),  // another computer's, in a shared folder
        ours + ".bak",
        ".tagmoor-" + std::to_string(ended) + "-0.tmp",  // no computer
        ours.substr(0, 17) + "-" + std::to_string(ended) + ".tmp",
        ours.substr(0, 17) + "--1-0.tmp",
        ours.substr(0, 17) + "-99999999999999999999-0.tmp",
        "notes.tmp",
    };
    for (const auto& name : orphans) ASSERT_TRUE(scratch_write(folder + "/" + name, "half a job"));
    for (const auto& name : kept) ASSERT_TRUE(scratch_write(folder + "/" + name, "kept"));
    file_writing w;
    ASSERT_TRUE(file_write_begin(&w, (folder + "/job.bin").c_str()));
    fputs("new job", w.f);
    ASSERT_TRUE(file_write_end(&w, true));
    std::vector<std::string> expected(std::begin(kept), std::end(kept));
    expected.push_back("job.bin");
    std::vector<std::string> names = names_in(folder);
    std::sort(expected.begin(), expected.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
}

TEST(FileWriting, DevicesAreWrittenDirectlyAndFoldersRefused)
{
    file_writing w;
    ASSERT_TRUE(file_write_begin(&w, null_device));
    EXPECT_EQ(w.temporary, nullptr);
    EXPECT_GE(fputs("bytes", w.f), 0);
    EXPECT_TRUE(file_write_end(&w, true));

    const std::string folder = fresh_folder("a folder");
    errno = 0;
    EXPECT_FALSE(file_write_begin(&w, folder.c_str()));
    EXPECT_EQ(errno, EISDIR);
    errno = 0;
    EXPECT_FALSE(file_write_begin(&w, (folder + "/missing/x.bin").c_str()));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(names_in(folder).empty());
}

TEST(FileReading, OnlyRegularFilesOpen)
{
    const std::string folder = fresh_folder("reading");
    const std::string path = folder + "/t\xC3\xA9.csv";
    ASSERT_TRUE(scratch_write(path, "a,b\n"));
    FILE* f = nullptr;
    ASSERT_EQ(file_open_read(path.c_str(), &f), FILE_READ_OPENED);
    char bytes[8] = {};
    EXPECT_EQ(fread(bytes, 1, sizeof bytes, f), 4u);
    fclose(f);
    EXPECT_EQ(file_open_read(folder.c_str(), &f), FILE_READ_FOLDER);
    EXPECT_EQ(f, nullptr);
    EXPECT_EQ(file_open_read((folder + "/none.csv").c_str(), &f), FILE_READ_CANNOT_OPEN);
    EXPECT_EQ(file_open_read(null_device, &f), FILE_READ_NOT_REGULAR);
    EXPECT_EQ(f, nullptr);
#ifndef _WIN32
    // A pipe nobody writes to is refused at once rather than waited on.
    const std::string fifo = folder + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(file_open_read(fifo.c_str(), &f), FILE_READ_NOT_REGULAR);
    EXPECT_EQ(file_open_read("/dev/zero", &f), FILE_READ_NOT_REGULAR);
#endif
}

TEST(FileNaming, SameFileHoweverSpelt)
{
    const std::string folder = fresh_folder("same");
    const std::string a = folder + "/a.csv", b = folder + "/b.csv";
    ASSERT_TRUE(scratch_write(a, "x"));
    ASSERT_TRUE(scratch_write(b, "x"));
    EXPECT_TRUE(file_same(a.c_str(), a.c_str()));
    EXPECT_TRUE(file_same(a.c_str(), (folder + "/./a.csv").c_str()));
    EXPECT_TRUE(file_same(a.c_str(), (folder + "/../same/a.csv").c_str()));
    EXPECT_FALSE(file_same(a.c_str(), b.c_str()));
    EXPECT_FALSE(file_same(a.c_str(), (folder + "/none.csv").c_str()));
    EXPECT_FALSE(file_same((folder + "/none.csv").c_str(), (folder + "/none.csv").c_str()));
#ifndef _WIN32
    const std::string link = folder + "/link.csv";
    ASSERT_EQ(symlink("a.csv", link.c_str()), 0);
    EXPECT_TRUE(file_same(a.c_str(), link.c_str()));
#endif
}

#ifndef _WIN32
// A replaced file keeps its permissions, and a link is followed to the file it names.
TEST(FileWriting, KeepsPermissionsAndLinks)
{
    const std::string folder = fresh_folder("kept");
    const std::string path = folder + "/job.bin", link = folder + "/link.bin";
    ASSERT_TRUE(scratch_write(path, "old"));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(symlink("job.bin", link.c_str()), 0);
    file_writing w;
    ASSERT_TRUE(file_write_begin(&w, link.c_str()));
    fputs("new", w.f);
    ASSERT_TRUE(file_write_end(&w, true));
    // A file its owner made read-only is not replaced behind their back (root may write anyway).
    ASSERT_EQ(chmod(path.c_str(), 0440), 0);
    if (geteuid() != 0) {
        errno = 0;
        EXPECT_FALSE(file_write_begin(&w, path.c_str()));
        EXPECT_EQ(errno, EACCES);
    }
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    struct stat st, lst;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_EQ(lstat(link.c_str(), &lst), 0);
    EXPECT_TRUE(S_ISLNK(lst.st_mode));
    EXPECT_EQ(contents(path), "new");
}

// Where the file system has unnamed files, a writer killed in the middle leaves no file at all.
TEST(FileWriting, UnnamedTemporaryDiesWithItsWriter)
{
    const std::string folder = fresh_folder("killed");
    int probe = open(folder.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe < 0) GTEST_SKIP() << "the scratch folder's file system has no unnamed files";
    close(probe);
    const std::string path = folder + "/job.bin";
    ASSERT_TRUE(scratch_write(path, "old job"));
    pid_t child = fork();
    if (child == 0) {
        file_writing w;
        if (file_write_begin(&w, path.c_str()) && w.temporary == nullptr && fputs("half a job", w.f) >= 0 &&
            fflush(w.f) == 0)
            raise(SIGKILL);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child did not write through an unnamed file";
    EXPECT_EQ(names_in(folder), std::vector<std::string>{"job.bin"});
    EXPECT_EQ(contents(path), "old job");
}

// A write that falls short (here under a file-size limit) reports the failure with the
// system's reason and leaves the old file; _exit keeps the scratch folder for the test.
static void write_past_size_limit(const std::string& folder)
{
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string path = folder + "/job.bin";
    file_writing w;
    if (!file_write_begin(&w, path.c_str())) _exit(2);
    const std::string bytes(100000, 'z');
    bool written = fwrite(bytes.data(), 1, bytes.size(), w.f) == bytes.size() && fflush(w.f) == 0;
    errno = 0;
    bool ended = file_write_end(&w, written);
    std::string old;
    bool intact = scratch_read(path, &old) && old == "old job" && names_in(folder).size() == 1;
    _exit(!written && !ended && intact ? 0 : 1);
}

TEST(FileWriting, ShortWriteLeavesTheOldFile)
{
    const std::string folder = fresh_folder("short");
    ASSERT_TRUE(scratch_write(folder + "/job.bin", "old job"));
    EXPECT_EXIT(write_past_size_limit(folder), testing::ExitedWithCode(0), "");
}
#endif
