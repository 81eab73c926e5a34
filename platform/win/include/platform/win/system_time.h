// The calendar time of the machine, as programs stamp their records with it.
#pragma once

#include "platform/win/win_types.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;      // 1 January
    WORD wDayOfWeek;  // 0 Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

// The current time in the process's time zone (TZ).
void GetLocalTime(LPSYSTEMTIME time);
