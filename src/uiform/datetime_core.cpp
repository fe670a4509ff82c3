#include "uiform/datetime_core.h"

#include <ctime>

namespace {

bool is_digit(wchar_t c) { return c >= L'0' && c <= L'9'; }
int digit(wchar_t c) { return static_cast<int>(c - L'0'); }

const wchar_t* skip_blanks(const wchar_t* p) {
    while (*p == L' ') ++p;
    return p;
}

// Appends the decimal text of a non-negative number, at least `width` digits.
void append_number(wchar_t* buf, std::size_t cap, std::size_t* len, long value, int width) {
    wchar_t digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value > 0 && n < 20);
    while (n < width && n < 20) digits[n++] = L'0';
    while (n > 0 && *len + 1 < cap) buf[(*len)++] = digits[--n];
}

void append_char(wchar_t* buf, std::size_t cap, std::size_t* len, wchar_t c) {
    if (*len + 1 < cap) buf[(*len)++] = c;
}

std::size_t finish(wchar_t* buf, std::size_t cap, std::size_t len) {
    if (cap > 0) buf[len < cap ? len : cap - 1] = 0;
    return len;
}

const int kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

}  // namespace

bool uiform_parse_time(const wchar_t* text, int32_t* minutes) {
    if (!text || !minutes) return false;
    const wchar_t* p = skip_blanks(text);
    if (*p == 0) {
        *minutes = -1;
        return true;
    }
    if (!is_digit(*p)) return false;
    int hour = digit(*p++);
    if (*p == 0) {
        *minutes = hour * 60;
        return true;
    }
    if (is_digit(*p)) {
        hour = hour * 10 + digit(*p++);
        if (hour * 60 > 1440) return false;
        if (*p == 0) {
            *minutes = hour * 60;
            return true;
        }
    }
    if (*p++ != L':') return false;
    if (!is_digit(p[0]) || !is_digit(p[1])) return false;
    int minute = digit(p[0]) * 10 + digit(p[1]);
    if (minute > 59) return false;
    int value = hour * 60 + minute;
    if (value > 1440) return false;
    if (p[2] != 0) return false;
    *minutes = value;
    return true;
}

std::size_t uiform_format_time(int32_t minutes, wchar_t* buf, std::size_t cap) {
    std::size_t len = 0;
    if (minutes >= 0) {
        append_number(buf, cap, &len, minutes / 60, 1);
        append_char(buf, cap, &len, L':');
        append_number(buf, cap, &len, minutes % 60, 2);
    }
    return finish(buf, cap, len);
}

bool uiform_parse_date_fields(const wchar_t* text, UiFormDate* date, bool* empty) {
    if (empty) *empty = false;
    if (!text || !date) return false;
    const wchar_t* p = skip_blanks(text);
    if (*p == 0) {
        if (empty) *empty = true;
        return false;
    }
    int numbers[3] = {0, 0, 0};
    int count = 0;
    for (;;) {
        p = skip_blanks(p);
        int digits = 0, number = 0;
        while (is_digit(*p)) {
            if (++digits > 4) return false;
            number = number * 10 + digit(*p++);
        }
        if (digits == 0 || count == 3) return false;
        numbers[count++] = number;
        p = skip_blanks(p);
        if (*p == 0) break;
        if (*p++ != L'.') return false;
    }
    if (count != 3) return false;
    int day = numbers[0], month = numbers[1], year = numbers[2];
    if (year <= 98) year += 2000;
    else if (year < 2000 || year > 2099) return false;
    if (month < 1 || month > 12) return false;
    if (day < 1 || day > kMonthDays[month - 1]) return false;
    if (month == 2 && day == 29 && year % 4 != 0) return false;
    *date = {day, month, year};
    return true;
}

bool uiform_parse_date(const wchar_t* text, int32_t* value) {
    if (!value) return false;
    UiFormDate date{};
    bool empty = false;
    if (!uiform_parse_date_fields(text, &date, &empty)) {
        if (!empty) return false;
        *value = -1;
        return true;
    }
    std::tm tm{};
    tm.tm_mday = date.day;
    tm.tm_mon = date.month - 1;
    tm.tm_year = date.year - 1900;
    tm.tm_isdst = 0;
    std::time_t t = std::mktime(&tm);
    // Dates from early 2038 on have no 32-bit calendar time; storing a wrapped
    // value would show an empty or wrong date next time, so such a date fails.
    const int64_t wide = static_cast<int64_t>(t);
    if (wide < 0 || wide > INT32_MAX) return false;
    *value = static_cast<int32_t>(wide);
    return true;
}

std::size_t uiform_format_date(int32_t value, wchar_t* buf, std::size_t cap) {
    std::size_t len = 0;
    if (value >= 0) {
        std::time_t t = value;
        const std::tm* tm = std::localtime(&t);
        if (tm) {
            append_number(buf, cap, &len, tm->tm_mday, 1);
            append_char(buf, cap, &len, L'.');
            append_number(buf, cap, &len, tm->tm_mon + 1, 1);
            append_char(buf, cap, &len, L'.');
            append_number(buf, cap, &len, tm->tm_year + 1900L, 4);
        }
    }
    return finish(buf, cap, len);
}

namespace {

// Digits with blanks around them; the magnitude must not exceed `limit`.
bool parse_magnitude(const wchar_t* p, uint64_t limit, uint64_t* out) {
    if (!is_digit(*p)) return false;
    uint64_t v = 0;
    while (is_digit(*p)) {
        v = v * 10 + static_cast<uint64_t>(digit(*p++));
        if (v > limit) return false;
    }
    if (*skip_blanks(p) != 0) return false;
    *out = v;
    return true;
}

}  // namespace

bool uiform_parse_uint(const wchar_t* text, uint32_t* value) {
    if (!text || !value) return false;
    uint64_t v;
    if (!parse_magnitude(skip_blanks(text), 0xFFFFFFFFull, &v)) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

bool uiform_parse_sint(const wchar_t* text, int32_t* value) {
    if (!text || !value) return false;
    const wchar_t* p = skip_blanks(text);
    bool negative = *p == L'-';
    if (negative) ++p;
    uint64_t v;
    if (!parse_magnitude(p, negative ? 0x80000000ull : 0x7FFFFFFFull, &v)) return false;
    *value = negative ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
    return true;
}
