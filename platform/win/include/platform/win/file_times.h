// Conversions of file times: MS-DOS dates and times as archives store them, local time and UTC.
#pragma once
#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

// date: day 0-4, month 5-8, year from 1980 9-15; time: seconds / 2 0-4, minutes 5-10, hours 11-15.
// The result is in no time zone. Fails with ERROR_INVALID_PARAMETER on a day or month of 0 or
// out of range.
BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, LPFILETIME fileTime);
// Local time of the process's time zone (TZ) to UTC.
BOOL LocalFileTimeToFileTime(const FILETIME* localTime, LPFILETIME utcTime);
