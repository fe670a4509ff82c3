// The text formats of the form dialogs' time and date fields.
//
// Times are minutes since midnight ("9", "09:05", up to "24:00"); dates are
// "day.month.year" with a year of 2000 to 2099 (or 0 to 98 for short), held
// as calendar seconds of local midnight. -1 stands for an empty field in both.
#pragma once
#include <cstddef>
#include <cstdint>

// Parses a time field. Leading blanks are skipped; an empty text gives -1.
// Accepts one or two hour digits, optionally ":" and exactly two minute digits,
// up to 24:00. Returns false (and leaves *minutes alone) on anything else.
bool uiform_parse_time(const wchar_t* text, int32_t* minutes);

// "%d:%02d" of a non-negative value, an empty text otherwise. Always terminates
// (a too small buffer cuts the text). Returns the length written.
std::size_t uiform_format_time(int32_t minutes, wchar_t* buf, std::size_t cap);

// The three numbers of a date field, checked against the calendar: blanks
// around each number, 1 to 4 digits each, year 0..98 (meaning 2000..2098) or
// 2000..2099. *empty is set for a text of blanks only.
struct UiFormDate {
    int day, month, year;
};
bool uiform_parse_date_fields(const wchar_t* text, UiFormDate* date, bool* empty);

// Parses a date field into the calendar time of its local midnight (-1 for an
// empty text). Fails, leaving *value alone, when the text is no valid date or
// when its calendar time does not fit into the 32-bit value.
bool uiform_parse_date(const wchar_t* text, int32_t* value);

// "%d.%d.%d" (day, month, four-digit year) of the value in local time when it
// is not negative, an empty text otherwise. Returns the length written.
std::size_t uiform_format_date(int32_t value, wchar_t* buf, std::size_t cap);

// Whole numbers of the UINT and SINT fields, read as the platform's dialog
// integer reading does: blanks around the number, a minus sign only when
// signed, decimal digits, no overflow. False (value left alone) otherwise,
// also for an empty text.
bool uiform_parse_uint(const wchar_t* text, uint32_t* value);
bool uiform_parse_sint(const wchar_t* text, int32_t* value);
