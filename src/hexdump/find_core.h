// Find in a block: the search text turned into bytes, and the search itself,
// forwards or backwards, with or without case, wrapping once. This is the
// extended search behind UIHDM_FIND; hexdump_find stays the plain forward one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

enum class FindKind {
    Text8,   // each character one byte (U+0000..U+00FF); the default
    Text16,  // UTF-16, little-endian, two bytes a unit
    Hex,     // hex byte pairs, "48 65 6C" or "48656C"; either case
};

enum class FindError {
    None,
    Empty,         // nothing to search for
    BadHexDigit,   // a character that is neither a hex digit nor a space or tab
    OddHexDigits,  // a group between spaces with an odd digit count
    NotEightBit,   // an 8-bit text character above U+00FF
};

struct FindPattern {
    std::vector<uint8_t> bytes;  // empty unless error is None
    FindError error;
    size_t errorPosition;        // the character the dialog puts the caret on: the
                                 // bad one, the unpaired last digit of its group, 0 for Empty
};

// `text` holds `length` UTF-16 units (a dialog field's text, no terminator needed).
FindPattern find_parse(FindKind kind, const char16_t* text, size_t length);
// Short English wording for a refusal, for the dialog's message ("" for None).
const char* find_error_text(FindError error);

struct FindOptions {
    FindKind kind;    // how letters compare when case does not matter
    bool matchCase;   // false: ASCII letters for Text8; Basic Latin and Latin-1 letters for
                      // Text16 (unit by unit, at any byte offset); Hex always exact
    bool backwards;
};

struct FindHit {
    long long position;  // where the match starts, -1 for a miss
    bool wrapped;        // found only after going past the end (or, backwards, the start)
};

// Every start position p of data[0..size) is looked at once at most. Forwards:
// p >= start first, then 0 <= p < start. Backwards: p < start from the nearest
// down, then p >= start from the end down. So "Find next" passes the selection
// start + 1 (the caret for a fresh search), "Find previous" the selection start.
// A start past the end counts as the end.
FindHit find_search(const uint8_t* data, size_t size, size_t start, const std::vector<uint8_t>& pattern,
                    const FindOptions& options);
