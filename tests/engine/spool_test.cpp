#include "engine/spool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/scratch.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#endif

TEST(JobFile, SavesEveryByteAndEmptiesOldFiles)
{
    std::string bytes;
    for (int i = 0; i < 256; i++) bytes += (char)i;
    bytes += "\r\n\n\x1a";
    const std::string path = scratch_path("job \xC3\xA9tiquette.bin");
    ASSERT_EQ(job_save_file(path.c_str(), bytes.data(), bytes.size()), ERR_OK);
    std::string back;
    ASSERT_TRUE(scratch_read(path, &back));
    EXPECT_EQ(back, bytes);

    EXPECT_EQ(job_save_file(path.c_str(), nullptr, 0), ERR_OK);
    ASSERT_TRUE(scratch_read(path, &back));
    EXPECT_EQ(back, "");
}

TEST(JobFile, Refusals)
{
    EXPECT_EQ(job_save_file(nullptr, "x", 1), ERR_INVALID);
    const std::string path = scratch_path("never.bin");
    EXPECT_EQ(job_save_file(path.c_str(), nullptr, 1), ERR_INVALID);
    EXPECT_FALSE(scratch_exists(path));
    EXPECT_EQ(job_save_file(scratch_path("no such folder/job.bin").c_str(), "x", 1), ERR_IO);
}

#ifndef _WIN32
// Saves under a file-size limit, which makes the write fall short; exits with 0 when the
// failure was reported and the old job is there as it was. _exit leaves the scratch folder.
static void save_past_size_limit(const std::string& path)
{
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string bytes(100000, 'z');
    engine_error e = job_save_file(path.c_str(), bytes.data(), bytes.size());
    std::string old;
    _exit(e == ERR_IO && scratch_read(path, &old) && old == "old job" ? 0 : 1);
}

TEST(JobFile, FailedWriteLeavesTheOldJob)
{
    const std::string path = scratch_path("cut.bin");
    ASSERT_TRUE(scratch_write(path, "old job"));
    EXPECT_EXIT(save_past_size_limit(path), testing::ExitedWithCode(0), "");
}

TEST(JobFile, DeviceThatFailsIsNeverRemoved)
{
    // A node like /dev/full, made in scratch where it may go: the write fails, the device stays.
    const std::string device = scratch_path("full");
    if (mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0) GTEST_SKIP() << "cannot make a device node here";
    const std::string bytes(100000, 'z');
    EXPECT_EQ(job_save_file(device.c_str(), bytes.data(), bytes.size()), ERR_IO);
    EXPECT_TRUE(scratch_exists(device));
}
#endif

TEST(Spool, NameSlotsCutAtWholeCharacters)
{
    const struct {
        std::string name;
        std::string expect;
    } cases[] = {
        {"Zebra ZD230", "Zebra ZD230"},
        {std::string(127, 'q'), std::string(127, 'q')},
        {std::string(200, 'q'), std::string(127, 'q')},
        {std::string(126, 'q') + "\xC3\xA9", std::string(126, 'q')},
        {std::string(125, 'q') + "\xC3\xA9", std::string(125, 'q') + "\xC3\xA9"},
        {std::string(125, 'q') + "\xE8\x8C\xB6", std::string(125, 'q')},
        {std::string(124, 'q') + "\xF0\x9F\x8F\xB7" "x", std::string(124, 'q')},
    };
    for (const auto& c : cases) {
        char slot[SPOOL_NAME_SIZE + 8];
        memset(slot, '#', sizeof slot);
        spool_copy_name(slot, c.name.c_str());
        EXPECT_EQ(std::string(slot), c.expect) << c.name.size();
    }
}

TEST(Spool, ArgumentsAreCheckedBeforeTheSpooler)
{
    char names[2][SPOOL_NAME_SIZE];
    EXPECT_EQ(spool_list_queues(names, 0), 0);
    EXPECT_EQ(spool_list_queues(nullptr, 2), 0);
    char msg[64] = "untouched";
    EXPECT_EQ(spool_send_raw(nullptr, "x", 1, msg, sizeof msg), ERR_INVALID);
    EXPECT_EQ(spool_send_raw("queue", nullptr, 1, msg, sizeof msg), ERR_INVALID);
    EXPECT_STREQ(msg, "untouched");
}
