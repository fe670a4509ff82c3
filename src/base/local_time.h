// A FILETIME (100 ns since 1601-01-01 UTC) as the user's local short date and
// time, for the data inspector and the file descriptor report.
#pragma once
#include <cstdint>
#include <string>

// Empty when the platform cannot turn the value into a date.
std::u16string local_time_text(uint64_t fileTime);
