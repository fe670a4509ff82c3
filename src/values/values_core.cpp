// Values of the data inspector. Numbers are put together byte by byte, so the
// result is the same on every host whatever its own byte order.
#include "values/values_core.h"
#include "base/utf16.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

struct IntKind {
    const char* label;
    int bytes;
    bool isSigned;
    bool bigEndian;
};

const IntKind kInts[] = {
    {"Int8", 1, true, false},      {"UInt8", 1, false, false},     {"Int16 LE", 2, true, false},
    {"Int16 BE", 2, true, true},   {"UInt16 LE", 2, false, false}, {"UInt16 BE", 2, false, true},
    {"Int32 LE", 4, true, false},  {"Int32 BE", 4, true, true},    {"UInt32 LE", 4, false, false},
    {"UInt32 BE", 4, false, true}, {"Int64 LE", 8, true, false},   {"Int64 BE", 8, true, true},
    {"UInt64 LE", 8, false, false}, {"UInt64 BE", 8, false, true},
};

uint64_t load(const uint8_t* p, int bytes, bool bigEndian) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t{p[bigEndian ? bytes - 1 - i : i]} << (8 * i);
    return v;
}

void append(std::u16string& s, const char* ascii) {
    while (*ascii) s += static_cast<char16_t>(static_cast<unsigned char>(*ascii++));
}

template <typename T>
std::u16string number_text(T v) {
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf - 1, v);
    *r.ptr = 0;
    std::u16string s;
    append(s, buf);
    return s;
}

// "U+XXXX", and the character itself when it has a glyph.
std::u16string character_text(char32_t c, bool glyph = true) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    std::u16string s;
    append(s, code);
    bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
    if (glyph && !control) {
        s += u' ';
        append_code_point(s, c);
    }
    return s;
}

std::u16string utf8_text(const uint8_t* p, size_t available, bool* ok) {
    char32_t c = 0;
    int length = inspector_decode_utf8(p, available, &c);
    *ok = length != 0;
    if (length == 0) return {};
    if (length < 0) return u"invalid sequence";
    std::u16string s = character_text(c);
    char tail[24];
    std::snprintf(tail, sizeof tail, " (%d byte%s)", length, length > 1 ? "s" : "");
    append(s, tail);
    return s;
}

std::u16string utf16_text(const uint8_t* p, size_t available, bool* ok) {
    unsigned unit = p[0] | p[1] << 8;
    bool high = unit >= 0xD800 && unit < 0xDC00;
    if (!high) {
        if (unit >= 0xDC00 && unit < 0xE000) return character_text(unit, false) + u" lone surrogate";
        return character_text(unit);
    }
    *ok = available >= 4;
    if (!*ok) return {};
    unsigned low = p[2] | p[3] << 8;
    if (low < 0xDC00 || low >= 0xE000) return character_text(unit, false) + u" lone surrogate";
    return character_text(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)) + u" (surrogate pair)";
}

std::u16string guid_text(const uint8_t* p) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(load(p, 4, false)), static_cast<unsigned>(load(p + 4, 2, false)),
                  static_cast<unsigned>(load(p + 6, 2, false)), p[8], p[9], p[10], p[11], p[12], p[13], p[14], p[15]);
    std::u16string s;
    append(s, buf);
    return s;
}

}  // namespace

int inspector_decode_utf8(const uint8_t* p, size_t available, char32_t* codePoint) {
    if (available == 0) return 0;
    const uint8_t lead = p[0];
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;  // C0, C1: always overlong
    if (length == 0 || lead > 0xF4) return -1;
    char32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if (i == available) return 0;
        if ((p[i] & 0xC0) != 0x80) return -1;
        c = c << 6 | (p[i] & 0x3F);
    }
    static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return -1;
    *codePoint = c;
    return static_cast<int>(length);
}

std::vector<InspectorRow> inspector_rows(const uint8_t* data, size_t size, size_t position) {
    std::vector<InspectorRow> rows;
    rows.reserve(kInspectorRowCount);
    const size_t left = data && position < size ? size - position : 0;
    const uint8_t* p = left ? data + position : nullptr;
    // Each row's bytes are looked at only when all of them are there.
    auto add = [&](const char* label, size_t bytes) -> InspectorRow& {
        rows.push_back(InspectorRow{label, left >= bytes, {}, false, false, 0});
        return rows.back();
    };
    for (const IntKind& k : kInts) {
        InspectorRow& row = add(k.label, k.bytes);
        if (!row.available) continue;
        uint64_t v = load(p, k.bytes, k.bigEndian);
        int unused = 64 - 8 * k.bytes;
        row.value = k.isSigned ? number_text(static_cast<int64_t>(v << unused) >> unused) : number_text(v);
    }
    for (bool big : {false, true}) {
        InspectorRow& row = add(big ? "Float32 BE" : "Float32 LE", 4);
        if (!row.available) continue;
        uint32_t bits = static_cast<uint32_t>(load(p, 4, big));
        float f;
        std::memcpy(&f, &bits, 4);
        row.value = number_text(f);
    }
    for (bool big : {false, true}) {
        InspectorRow& row = add(big ? "Float64 BE" : "Float64 LE", 8);
        if (!row.available) continue;
        uint64_t bits = load(p, 8, big);
        double d;
        std::memcpy(&d, &bits, 8);
        row.value = number_text(d);
    }
    InspectorRow& fileTime = add("FILETIME", 8);
    fileTime.isTime = true;
    if (fileTime.available) {
        fileTime.fileTime = load(p, 8, false);
        fileTime.timeValid = fileTime.fileTime < (uint64_t{1} << 63);  // the largest the platform converts
        fileTime.value = number_text(fileTime.fileTime);
    }
    InspectorRow& unixTime = add("time_t (32-bit)", 4);
    unixTime.isTime = true;
    if (unixTime.available) {
        int64_t seconds = static_cast<int32_t>(load(p, 4, false));
        // Every 32-bit second count, 1901 to 2038, lies after 1601.
        unixTime.fileTime = static_cast<uint64_t>(seconds * 10000000 + 116444736000000000);
        unixTime.timeValid = true;
        unixTime.value = number_text(seconds);
    }
    InspectorRow& guid = add("GUID", 16);
    if (guid.available) guid.value = guid_text(p);
    InspectorRow& utf8 = add("UTF-8", 1);
    if (utf8.available) utf8.value = utf8_text(p, left, &utf8.available);
    InspectorRow& utf16 = add("UTF-16", 2);
    if (utf16.available) utf16.value = utf16_text(p, left, &utf16.available);
    return rows;
}
