// English month and weekday names and today's date from the runtime's local time.
#include "qel/date_names.h"

#include <ctime>

static const char* const MONTHS[12] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
static const char* const MONTHS_SHORT[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
static const char* const WEEKDAYS[7] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
static const char* const WEEKDAYS_SHORT[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
static const char* const WEEKDAYS_NARROW[7] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};

static int32_t wrap(int32_t index, int32_t n)
{
    int32_t r = index % n;
    return r < 0 ? r + n : r;
}

const char* qel_month_name(qel_context*, int32_t index)
{
    return MONTHS[wrap(index, 12)];
}

const char* qel_month_name_short(qel_context*, int32_t index)
{
    return MONTHS_SHORT[wrap(index, 12)];
}

const char* qel_weekday_name(qel_context*, int32_t index)
{
    return WEEKDAYS[wrap(index, 7)];
}

const char* qel_weekday_name_short(qel_context*, int32_t index)
{
    return WEEKDAYS_SHORT[wrap(index, 7)];
}

const char* qel_weekday_name_narrow(qel_context*, int32_t index)
{
    return WEEKDAYS_NARROW[wrap(index, 7)];
}

const char* qel_today_label(qel_context*)
{
    return "Today";
}

qel_date qel_today()
{
    time_t now = time(nullptr);
    const tm* t = localtime(&now);
    if (!t) return {1970, 1, 1};
    return {t->tm_year + 1900, t->tm_mon + 1, t->tm_mday};
}
