// Format names, FORMATETC texts, grouped sizes and the checks on loaded bytes.
#include "entries/entries_core.h"

#include <cstdio>
#include <cwchar>

namespace {

struct NamedFormat {
    unsigned id;
    const wchar_t* name;
};

const NamedFormat kPredefined[] = {
    {1, L"CF_TEXT"},          {2, L"CF_BITMAP"},         {3, L"CF_METAFILEPICT"},    {4, L"CF_SYLK"},
    {5, L"CF_DIF"},           {6, L"CF_TIFF"},           {7, L"CF_OEMTEXT"},         {8, L"CF_DIB"},
    {9, L"CF_PALETTE"},       {10, L"CF_PENDATA"},       {11, L"CF_RIFF"},           {12, L"CF_WAVE"},
    {13, L"CF_UNICODETEXT"},  {14, L"CF_ENHMETAFILE"},   {15, L"CF_HDROP"},          {16, L"CF_LOCALE"},
    {17, L"CF_DIBV5"},        {128, L"CF_OWNERDISPLAY"}, {129, L"CF_DSPTEXT"},       {130, L"CF_DSPBITMAP"},
    {131, L"CF_DSPMETAFILEPICT"}, {142, L"CF_DSPENHMETAFILE"},
};

const wchar_t* const kMediaNames[] = {L"HGLOBAL", L"FILE", L"ISTREAM", L"ISTORAGE", L"GDI", L"MFPICT", L"ENHMF"};

// Appends src to the text of length *len, never past the capacity.
void append(wchar_t* text, std::size_t* len, const wchar_t* src) {
    while (*src && *len + 1 < kEntryTextCapacity) text[(*len)++] = *src++;
    text[*len] = 0;
}

}  // namespace

const wchar_t* predefined_format_name(unsigned format) {
    for (const NamedFormat& f : kPredefined)
        if (f.id == format) return f.name;
    return nullptr;
}

void default_format_name(unsigned format, wchar_t* text) {
    if (const wchar_t* name = predefined_format_name(format)) {
        std::size_t len = 0;
        text[0] = 0;
        append(text, &len, name);
    } else {
        std::swprintf(text, kEntryTextCapacity, L"CF_%u", format);
    }
}

void target_device_text(std::uintptr_t device, wchar_t* text) {
    if (device)
        std::swprintf(text, kEntryTextCapacity, L"$%llX", static_cast<unsigned long long>(device));
    else
        std::swprintf(text, kEntryTextCapacity, L"All");
}

void aspect_text(std::uint32_t aspect, wchar_t* text) {
    const wchar_t* name = nullptr;
    switch (aspect) {
    case 1: name = L"CONTENT"; break;
    case 2: name = L"THUMBNAIL"; break;
    case 4: name = L"ICON"; break;
    case 8: name = L"DOCPRINT"; break;
    default: break;
    }
    if (name)
        std::swprintf(text, kEntryTextCapacity, L"%ls", name);
    else
        std::swprintf(text, kEntryTextCapacity, L"%d", static_cast<int>(static_cast<std::int32_t>(aspect)));
}

void index_text(std::int32_t index, wchar_t* text) {
    std::swprintf(text, kEntryTextCapacity, L"%d", static_cast<int>(index));
}

void media_text(std::uint32_t tymed, wchar_t* text) {
    std::size_t len = 0;
    text[0] = 0;
    for (unsigned bit = 0; bit < 7; ++bit) {
        if (!(tymed & (1u << bit))) continue;
        if (len) append(text, &len, L"+");
        append(text, &len, kMediaNames[bit]);
    }
    if (tymed & ~0x7Fu) {
        if (len) append(text, &len, L"+");
        append(text, &len, L"?");
    }
}

void media_used_text(std::uint32_t tymed, std::uint32_t used, wchar_t* text) {
    media_text(tymed, text);
    const bool several = (tymed & (tymed - 1)) != 0, single = used && (used & (used - 1)) == 0;
    if (!several || !single || used > 0x40u) return;
    std::size_t len = std::wcslen(text), bit = 0;
    while (!(used >> bit & 1u)) ++bit;
    append(text, &len, L" (");
    append(text, &len, kMediaNames[bit]);
    append(text, &len, L")");
}

void size_to_grouped_text(unsigned value, wchar_t* text) {
    // Groups from the right: at most four for a 32-bit value.
    unsigned groups[4];
    int count = 0;
    do {
        groups[count++] = value % 1000;
        value /= 1000;
    } while (value);
    int pos = std::swprintf(text, kGroupedTextCapacity, L"%u", groups[count - 1]);
    for (int i = count - 2; i >= 0 && pos > 0; --i)
        pos += std::swprintf(text + pos, kGroupedTextCapacity - static_cast<std::size_t>(pos), L"'%03u", groups[i]);
}

bool starts_like_bitmap_file(const void* bytes, std::size_t size) {
    if (!bytes || size < 2) return false;
    const unsigned char* b = static_cast<const unsigned char*>(bytes);
    return b[0] == 0x42 && b[1] == 0x4D;
}

bool file_length_loadable(std::int64_t length) { return length >= 0 && length <= kLargestLoadableFile; }

std::int64_t save_length(std::int32_t requested, std::uint64_t block_size) {
    if (requested < 0) return static_cast<std::int64_t>(block_size);
    if (static_cast<std::uint64_t>(requested) > block_size) return -1;
    return requested;
}
