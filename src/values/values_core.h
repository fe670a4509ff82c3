// The data inspector: what the bytes at the caret read as, one row per
// interpretation. Rows never read past the block; a value whose bytes do not
// all lie inside it is "not available" and the list shows a dash instead.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Rows in this order, the same labels for every position, so a list can be
// filled once and only its value column changed as the caret moves:
// Int8, UInt8, Int16 LE, Int16 BE, UInt16 LE, UInt16 BE, Int32 LE ... UInt64 BE
// (signed before unsigned, little- before big-endian), Float32 LE, Float32 BE,
// Float64 LE, Float64 BE, FILETIME, time_t (32-bit), GUID, UTF-8, UTF-16.
constexpr size_t kInspectorRowCount = 23;

struct InspectorRow {
    const char* label;     // static ASCII text
    bool available;        // false: the value runs past the end of the block
    std::u16string value;  // empty when not available
    // FILETIME and time_t rows: the instant as a FILETIME (100 ns since
    // 1601-01-01 UTC), and whether the platform can turn it into a date.
    // `value` holds the raw number; the window shows the local date and time
    // in its place when timeValid, else the raw number.
    bool isTime;
    bool timeValid;
    uint64_t fileTime;
};

// The rows for the bytes at `position` of data[0..size). Any position is
// accepted; at or past the end every row is not available. Texts:
// integers in decimal; floats as the shortest text that reads back to the
// same value ("inf", "-inf", "nan", "-nan" for the special ones); FILETIME the
// unsigned 64-bit number, time_t the signed 32-bit seconds since 1970;
// GUID "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (first three groups
// little-endian, as a GUID lies in memory); UTF-8 "U+00E9 é (2 bytes)" or
// "invalid sequence"; UTF-16 (little-endian) "U+0041 A", "U+1F600 😀
// (surrogate pair)" or "U+D800 lone surrogate". Control characters get no
// glyph after their code.
std::vector<InspectorRow> inspector_rows(const uint8_t* data, size_t size, size_t position);

// One UTF-8 character from the `available` bytes at p, decoded strictly (no
// overlong forms, no surrogates, nothing above U+10FFFF). Returns its length
// in bytes and stores the code point; 0 when the bytes end before the
// sequence does; -1 for an invalid sequence.
int inspector_decode_utf8(const uint8_t* p, size_t available, char32_t* codePoint);
