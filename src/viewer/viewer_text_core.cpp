// Text lengths and the locale description, without the platform.
#include "viewer/viewer_text_core.h"

#include <cstring>

namespace {

// Appends into a bounded buffer and counts what the whole text needs.
struct Writer {
    char16_t* out;
    size_t capacity;
    size_t length = 0;
    void put(char16_t c) {
        if (capacity && length + 1 < capacity) out[length] = c;
        ++length;
    }
    void put(const char* s) {
        while (*s) put(static_cast<char16_t>(static_cast<unsigned char>(*s++)));
    }
    void put(const char16_t* s) {
        while (*s) put(*s++);
    }
    void hex4(unsigned v) {
        static const char digits[] = "0123456789ABCDEF";
        put("0x");
        for (int shift = 12; shift >= 0; shift -= 4) put(static_cast<char16_t>(digits[(v >> shift) & 0xF]));
    }
    void decimal(unsigned v) {
        char buf[12];
        int n = 0;
        do {
            buf[n++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v);
        while (n) put(static_cast<char16_t>(buf[--n]));
    }
    size_t finish() {
        if (capacity) out[length < capacity ? length : capacity - 1] = 0;
        return length;
    }
};

}  // namespace

size_t ansi_text_length(const uint8_t* data, size_t bytes) {
    if (!data) return 0;
    const void* zero = std::memchr(data, 0, bytes);
    return zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - data) : bytes;
}

size_t wide_text_length(const uint8_t* data, size_t bytes) {
    if (!data) return 0;
    size_t units = bytes / 2;
    for (size_t i = 0; i < units; ++i)
        if (data[2 * i] == 0 && data[2 * i + 1] == 0) return i;
    return units;
}

uint32_t locale_id_from_block(const uint8_t* data, size_t bytes) {
    if (!data || bytes < 4) return 0;
    return static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
           (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
}

size_t locale_unknown_name(uint16_t languageId, char16_t* out, size_t capacity) {
    Writer w{out, capacity};
    w.put("Unknown (");
    w.hex4(languageId);
    w.put(")");
    return w.finish();
}

size_t locale_text(const char16_t* languageName, uint32_t lcid, char16_t* out, size_t capacity) {
    Writer w{out, capacity};
    w.put("Language: '");
    w.put(languageName ? languageName : u"");
    w.put("' (");
    w.hex4(locale_language_id(lcid));
    w.put(")\r\nSort order: ");
    w.decimal(locale_sort_id(lcid));
    w.put(" (");
    w.hex4(locale_sort_id(lcid));
    w.put(")\r\n");
    return w.finish();
}
