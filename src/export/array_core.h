// Selected bytes as a source-code byte array, in one of six notations.
// Pure text building: the Win32 side fetches the bytes and hands over blocks.
#pragma once
#include <cstddef>
#include <cstdint>

// One notation: constant text pieces; an empty text leaves its piece out.
struct ArrayNotation {
    const char* name;
    const char* lineEnd;                   // appended to every line
    const char* commentOpen;               // before the title and range lines
    const char* commentClose;              // after the title and range lines
    const char* titleFormat;               // printf, with the title text
    const char* rangeFormat;               // printf, with start, end (exclusive), length
    const char* declarationWithCount;      // printf, with the byte count
    const char* declarationWithLastIndex;  // printf, with the byte count minus one
    const char* bytesPerLine;              // decimal text, taken as 1..80
    const char* linePrefix;
    const char* byteFormat;                // printf, with the byte 0..255
    const char* byteSeparator;             // between two bytes of one line
    const char* lineSuffixMore;            // after a line's last byte when more lines follow
    const char* lineSuffixLast;            // after the last byte of the last line
    const char* closingLine;
};

extern const ArrayNotation array_notation_c_array;
extern const ArrayNotation array_notation_c_string;
extern const ArrayNotation array_notation_csharp_array;
extern const ArrayNotation array_notation_java_array;
extern const ArrayNotation array_notation_pascal_array;
extern const ArrayNotation array_notation_vbnet_array;

// The six in menu order (C Array first).
extern const ArrayNotation* const array_notations[6];

// `bytesPerLine` as a number: below 1 (or not a number) gives 8, above 80 gives 80.
int array_bytes_per_line(const ArrayNotation& notation);

// Orders a selection (anchor and caret in either order) and keeps it inside
// `size` bytes of data: negative ends count as 0, ends past the data as `size`.
void array_selection_range(long long anchor, long long caret, std::size_t size, std::size_t* start,
                           std::size_t* count);

// Marks a text too large to build (or a byte format that prints more than
// array_max_byte_text characters); no output is written then.
constexpr std::size_t array_too_large = SIZE_MAX;
constexpr std::size_t array_max_byte_text = 48;

// Exact length of the text (without the terminating zero) for `count` bytes
// that start at offset `start` of the data; every byte text of a notation has
// one width, so the bytes themselves are not read. title may be null or empty.
// A notation whose byte texts differ in width is refused (array_too_large).
std::size_t array_text_length(const ArrayNotation& notation, const unsigned char* bytes, std::size_t count,
                              std::uint32_t start, const char* title);

// Writes the text and a terminating zero into `out`, which must hold
// array_text_length(...) + 1 bytes. Returns the length written (without the
// zero), or array_too_large when nothing was written. A large text is written
// in slices of whole lines on several threads: the same text as in one pass.
std::size_t array_text_write(const ArrayNotation& notation, const unsigned char* bytes, std::size_t count,
                             std::uint32_t start, const char* title, char* out);
// The same with the slicing chosen: linesPerSlice data lines per slice (0: one
// pass on this thread) on up to `threads` threads.
std::size_t array_text_write_sliced(const ArrayNotation& notation, const unsigned char* bytes, std::size_t count,
                                    std::uint32_t start, const char* title, char* out, std::size_t linesPerSlice,
                                    unsigned threads);
