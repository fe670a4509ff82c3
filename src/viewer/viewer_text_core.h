// Text of the text viewers: how much of a block another program gave us is
// text, and the CF_LOCALE description. Counts never look past the block.
#pragma once
#include <cstddef>
#include <cstdint>

// 8-bit characters before the first zero, at most `bytes`.
size_t ansi_text_length(const uint8_t* data, size_t bytes);
// Whole 16-bit units before the first zero unit; an odd last byte is no unit.
size_t wide_text_length(const uint8_t* data, size_t bytes);

// The locale id at the start of a CF_LOCALE block; a block shorter than the
// 32-bit id reads as 0.
uint32_t locale_id_from_block(const uint8_t* data, size_t bytes);
inline uint16_t locale_language_id(uint32_t lcid) { return static_cast<uint16_t>(lcid & 0xFFFF); }
inline uint16_t locale_sort_id(uint32_t lcid) { return static_cast<uint16_t>((lcid & 0xFFFFF) >> 16); }

// "Unknown (0x%04X)" for a language the platform has no name for.
size_t locale_unknown_name(uint16_t languageId, char16_t* out, size_t capacity);
// "Language: '<name>' (0x%04X)\r\nSort order: %d (0x%04X)\r\n". Writes at most
// capacity - 1 units and a terminator; returns the full length the text needs.
size_t locale_text(const char16_t* languageName, uint32_t lcid, char16_t* out, size_t capacity);
