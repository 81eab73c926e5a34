// File time conversions.
#include "platform/win/file_times.h"

#include <ctime>

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000;
constexpr ULONGLONG kEpochTicks = 116444736000000000ULL;  // 1601 to 1970

void Store(ULONGLONG ticks, LPFILETIME out) {
    out->dwLowDateTime = static_cast<DWORD>(ticks);
    out->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

BOOL Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

}  // namespace

BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, LPFILETIME fileTime) {
    if (!fileTime) return Fail(ERROR_INVALID_PARAMETER);
    const int day = fatDate & 0x1F, month = (fatDate >> 5) & 0x0F, year = 1980 + (fatDate >> 9);
    const int seconds = (fatTime & 0x1F) * 2, minutes = (fatTime >> 5) & 0x3F, hours = fatTime >> 11;
    if (day == 0 || month == 0 || month > 12 || hours > 23 || minutes > 59 || seconds > 59)
        return Fail(ERROR_INVALID_PARAMETER);
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hours;
    parts.tm_min = minutes;
    parts.tm_sec = seconds;
    const time_t at = timegm(&parts);
    Store(static_cast<ULONGLONG>(at) * kTicksPerSecond + kEpochTicks, fileTime);
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* localTime, LPFILETIME utcTime) {
    if (!localTime || !utcTime) return Fail(ERROR_INVALID_PARAMETER);
    const ULONGLONG ticks = (ULONGLONG(localTime->dwHighDateTime) << 32) | localTime->dwLowDateTime;
    if (ticks < kEpochTicks) {
        *utcTime = *localTime;
        return TRUE;
    }
    const time_t local = static_cast<time_t>((ticks - kEpochTicks) / kTicksPerSecond);
    // The zone's offset at that moment: read the local clock as if it were UTC and compare.
    std::tm parts{};
    gmtime_r(&local, &parts);
    parts.tm_isdst = -1;
    const time_t asUtc = std::mktime(&parts);
    const long long offset = static_cast<long long>(local) - static_cast<long long>(asUtc);
    Store(static_cast<ULONGLONG>(static_cast<long long>(ticks) - offset * static_cast<long long>(kTicksPerSecond)),
          utcTime);
    return TRUE;
}
