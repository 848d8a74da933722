// Prints the event calendar's grid of every month from FIRST to LAST year for each first weekday:
// "YYYY-MM W START ROWS DAYS", with the grid's first date, its week rows and the month's length,
// for comparison with another calendar.
#include <cstdio>
#include <cstdlib>

#include "qel/civil_date.h"
#include "qel/event_calendar.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: calendar_grids_tool FIRST_YEAR LAST_YEAR\n");
        return 2;
    }
    int32_t first = (int32_t)strtol(argv[1], nullptr, 10), last = (int32_t)strtol(argv[2], nullptr, 10);
    for (int32_t year = first; year <= last; year++)
        for (int32_t month = 1; month <= 12; month++)
            for (int32_t weekday = 0; weekday < 7; weekday++) {
                int32_t start = 0, rows = 0;
                qel_event_calendar_grid(year, month, weekday, &start, &rows);
                qel_date d = qel_civil_from_days(start);
                printf("%04d-%02d %d %04d-%02d-%02d %d %d\n", year, month, weekday, d.year, d.month, d.day, rows,
                       qel_days_in_month(year, month));
            }
    return 0;
}
