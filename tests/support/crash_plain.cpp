// Writes through a null pointer on purpose, for the check that the Wine runner reports a crashed
// program as failed.
#include <cstdio>

int main()
{
    puts("crashing on purpose");
    fflush(stdout);
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
