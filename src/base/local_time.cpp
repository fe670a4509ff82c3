// Local date and time by the platform's own rules and formats.
#include "base/local_time.h"

#include <windows.h>

std::u16string local_time_text(uint64_t fileTime) {
    const FILETIME utc{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME universal{}, local{};
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return {};
    wchar_t date[80] = {}, time[80] = {};
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 80) ||
        !GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, time, 80))
        return {};
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    std::u16string text(reinterpret_cast<const char16_t*>(date));
    text += u' ';
    text += reinterpret_cast<const char16_t*>(time);
    return text;
}
