// Day numbers from dates and back, in 400-year eras of 146097 days counted in March years, so
// that the leap day ends its year. Intermediates are 64-bit, so no date or day in range
// overflows, and a month out of range is carried into the year first.
#include "qel/civil_date.h"

// 1970-01-01 counted from 0000-03-01.
static const int64_t EPOCH_DAY = 719468;
static const int64_t ERA_DAYS = 146097;

static int64_t floor_div(int64_t a, int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

int32_t qel_days_from_civil(qel_date date)
{
    int64_t months = (int64_t)date.month - 1;
    int64_t year = date.year + floor_div(months, 12);
    int64_t month = months - floor_div(months, 12) * 12 + 1;
    int64_t y = month <= 2 ? year - 1 : year;
    int64_t era = floor_div(y, 400);
    int64_t yoe = y - era * 400;
    int64_t march_month = month >= 3 ? month - 3 : month + 9;
    int64_t doy = (153 * march_month + 2) / 5 + date.day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    int64_t days = era * ERA_DAYS + doe - EPOCH_DAY;
    if (days < INT32_MIN) return INT32_MIN;
    if (days > INT32_MAX) return INT32_MAX;
    return (int32_t)days;
}

qel_date qel_civil_from_days(int32_t days)
{
    int64_t z = (int64_t)days + EPOCH_DAY;
    int64_t era = floor_div(z, ERA_DAYS);
    int64_t doe = z - era * ERA_DAYS;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t march_month = (5 * doy + 2) / 153;
    int64_t day = doy - (153 * march_month + 2) / 5 + 1;
    int64_t month = march_month < 10 ? march_month + 3 : march_month - 9;
    int64_t year = era * 400 + yoe + (month <= 2 ? 1 : 0);
    return {(int32_t)year, (int32_t)month, (int32_t)day};
}

int32_t qel_weekday(int32_t days)
{
    return (int32_t)(((int64_t)days + 3) - floor_div((int64_t)days + 3, 7) * 7);
}

int32_t qel_days_in_month(int32_t year, int32_t month)
{
    static const int32_t LENGTHS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : LENGTHS[month - 1];
}
