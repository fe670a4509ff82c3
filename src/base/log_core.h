// Pure parts of the log: the record prefix and the marker-file names.
#pragma once
#include <cstddef>
#include <cwchar>

// The level letter from " IWEF"; '?' for any other level.
char log_level_letter(unsigned level);

// Writes "%lu %c %-15s " for one record into buf (always terminated).
// Returns the length the prefix has (which may exceed cap - 1 if cut).
int log_format_prefix(char* buf, std::size_t cap, unsigned long tick, unsigned level, const char* tag);

// Replaces the extension of the file name in path (after the last backslash,
// from its last '.') by ext, in place. cap is the buffer size in wide chars.
// Returns false when the result does not fit (path is left unchanged).
bool log_replace_extension(wchar_t* path, std::size_t cap, const wchar_t* ext);

// Pointer to the file name within a path (after the last backslash).
const wchar_t* log_file_name(const wchar_t* path);
