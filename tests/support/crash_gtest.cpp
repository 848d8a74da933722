// A GoogleTest program with a test that writes through a null pointer on purpose and one that
// passes, for the check that the Wine runner reports a crash as a failure and a pass as a pass.
#include <gtest/gtest.h>

TEST(Crash, OnPurpose)
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

TEST(Crash, NotAtAll)
{
    SUCCEED();
}
