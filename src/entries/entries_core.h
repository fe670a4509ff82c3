// Texts of the entry list and the arithmetic of reading blocks and files,
// kept free of the platform so they can be checked on any machine.
#pragma once
#include <cstddef>
#include <cstdint>

// Capacity, in wide characters, of every text buffer handed to the functions
// below (the list view's cells and clipboard_format_name use the same size).
constexpr std::size_t kEntryTextCapacity = 256;

// Symbolic name of a predefined clipboard format, or null for any other id.
const wchar_t* predefined_format_name(unsigned format);

// The name a format has before the platform is asked for a registered one:
// the predefined name, else "CF_<id>". text holds kEntryTextCapacity chars.
void default_format_name(unsigned format, wchar_t* text);

// FORMATETC texts. Each writes a terminated text of at most
// kEntryTextCapacity characters (the terminator included).
void target_device_text(std::uintptr_t device, wchar_t* text);  // "$<hex>" or "All"
void aspect_text(std::uint32_t aspect, wchar_t* text);          // CONTENT, ..., or "%d"
void index_text(std::int32_t index, wchar_t* text);             // "%d"
void media_text(std::uint32_t tymed, wchar_t* text);            // HGLOBAL+ISTREAM+...
// The offered media and, when more than one is offered, the one the bytes came
// from: "HGLOBAL+ISTREAM (ISTREAM)". `used` 0: nothing was read.
void media_used_text(std::uint32_t tymed, std::uint32_t used, wchar_t* text);

// Decimal with an apostrophe between groups of three digits: 1234567 gives
// 1'234'567. text holds at least kGroupedTextCapacity characters.
constexpr std::size_t kGroupedTextCapacity = 14;  // "4'294'967'295" and the terminator
void size_to_grouped_text(unsigned value, wchar_t* text);

// A file whose first two bytes are 'B' 'M' is drawn as a bitmap file.
bool starts_like_bitmap_file(const void* bytes, std::size_t size);

// A file length the 32-bit entry size can hold and one block can take:
// lengths of 2 GiB and more are refused instead of being cut.
constexpr std::int64_t kLargestLoadableFile = 0x7FFFFFFF;
bool file_length_loadable(std::int64_t length);

// How many bytes of a block GlobalSave writes for a requested length: the whole
// block for a negative request, else the request; -1 when the request asks for
// more than the block holds (nothing may be read past its end).
std::int64_t save_length(std::int32_t requested, std::uint64_t block_size);

// A data object's enumerator is another program's code and may never end: a
// format id has 16 bits, so no honest object offers more formats than this.
constexpr int kMaxEnumeratedFormats = 65536;
