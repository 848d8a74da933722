// Prints the date of every day number from FIRST to LAST, one "YYYY-MM-DD" line each, for
// comparison with another calendar; fails when a date does not convert back to its number.
#include <cstdio>
#include <cstdlib>

#include "qel/civil_date.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: dates_tool FIRST LAST\n");
        return 2;
    }
    long first = strtol(argv[1], nullptr, 10), last = strtol(argv[2], nullptr, 10);
    for (long d = first; d <= last; d++) {
        qel_date date = qel_civil_from_days((int32_t)d);
        if (qel_days_from_civil(date) != d) {
            fprintf(stderr, "day %ld gives %d-%d-%d, which gives %d\n", d, date.year, date.month, date.day, qel_days_from_civil(date));
            return 1;
        }
        printf("%04d-%02d-%02d\n", date.year, date.month, date.day);
    }
    return 0;
}
