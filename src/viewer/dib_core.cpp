// Bitmap header checks: every size is computed in 64-bit arithmetic and
// compared with the block before anything past the first four bytes is read.
#include "viewer/dib_core.h"

#include <climits>
#include <cstring>

namespace {

uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
void write16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void write32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool known_header_size(uint32_t size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool valid_pair(uint32_t compression, uint16_t bits) {
    switch (compression) {
    case kBiRgb: return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kBiRle8: return bits == 8;
    case kBiRle4: return bits == 4;
    case kBiBitfields: return bits == 16 || bits == 32;
    default: return false;
    }
}

// A tiny RLE block may claim a huge picture; the drawing call would expand it
// into memory of that size, so compressed pictures are bounded by pixel count.
constexpr uint64_t kMaxRlePixels = uint64_t{64} << 20;

DibError check_core_header(const uint8_t* data, DibLayout* l) {
    l->width = read16(data + 4);
    int32_t height = read16(data + 6);
    l->bitCount = read16(data + 10);
    l->compression = kBiRgb;
    if (l->width == 0) return DibError::Width;
    if (height == 0) return DibError::Height;
    l->height = height;
    l->absHeight = static_cast<uint32_t>(height);
    if (!(l->bitCount == 1 || l->bitCount == 4 || l->bitCount == 8 || l->bitCount == 24)) return DibError::Format;
    l->colorCount = l->bitCount <= 8 ? (1u << l->bitCount) : 0;
    l->colorEntrySize = 3;
    l->colorTableOffset = 12;
    return DibError::None;
}

DibError check_info_header(const uint8_t* data, size_t size, DibLayout* l) {
    l->width = static_cast<int32_t>(read32(data + 4));
    l->height = static_cast<int32_t>(read32(data + 8));
    l->bitCount = read16(data + 14);
    l->compression = read32(data + 16);
    uint32_t colorsUsed = read32(data + 32);
    if (l->width < 1 || l->width > 65535) return DibError::Width;
    if (l->height == 0 || l->height == INT_MIN) return DibError::Height;
    int64_t absHeight = l->height < 0 ? -static_cast<int64_t>(l->height) : l->height;
    if (absHeight > 65535) return DibError::Height;
    l->absHeight = static_cast<uint32_t>(absHeight);
    if (l->compression == kBiJpeg || l->compression == kBiPng) return DibError::NotDrawable;
    if (!valid_pair(l->compression, l->bitCount)) return DibError::Format;
    // Compressed pictures are stored bottom-up only.
    bool rle = l->compression == kBiRle8 || l->compression == kBiRle4;
    if (rle && l->height < 0) return DibError::Format;
    // A palette has at most 256 entries; in front of 16-, 24- or 32-bit pixels
    // a table of any length is legal, as long as it lies inside the block.
    if (l->bitCount <= 8 && colorsUsed > 256) return DibError::ColorTable;
    l->colorCount = colorsUsed ? colorsUsed : (l->bitCount <= 8 ? (1u << l->bitCount) : 0);
    l->colorEntrySize = 4;
    l->colorTableOffset = l->headerSize;
    if (l->compression == kBiBitfields) {
        // The three masks sit at bytes 40..51 either way: right after a 40-byte
        // header, or inside the larger headers, which carry them as fields.
        l->maskOffset = 40;
        if (l->headerSize == 40) l->colorTableOffset = 52;
        if (size < 52) return DibError::ColorTable;
    }
    return DibError::None;
}

}  // namespace

DibError dib_check(const uint8_t* data, size_t size, DibLayout* layout) {
    DibLayout l{};
    *layout = l;
    if (!data || size < 4) return DibError::NoHeader;
    l.headerSize = read32(data);
    if (!known_header_size(l.headerSize)) return DibError::HeaderSize;
    if (l.headerSize > size) return DibError::NoHeader;

    DibError e = l.headerSize == 12 ? check_core_header(data, &l) : check_info_header(data, size, &l);
    if (e != DibError::None) return e;

    uint64_t tableBytes = uint64_t{l.colorCount} * l.colorEntrySize;
    if (l.colorTableOffset + tableBytes > size) return DibError::ColorTable;
    l.pixelOffset = l.colorTableOffset + tableBytes;
    uint64_t available = size - l.pixelOffset;

    if (l.compression == kBiRle8 || l.compression == kBiRle4) {
        if (available == 0) return DibError::Pixels;
        if (uint64_t{static_cast<uint32_t>(l.width)} * l.absHeight > kMaxRlePixels) return DibError::TooLarge;
        uint32_t claimed = read32(data + 20);
        // The data present bounds what the decoder may read.
        l.imageBytes = (claimed != 0 && claimed <= available) ? claimed : available;
        l.stride = 0;
    } else {
        l.stride = (uint64_t{static_cast<uint32_t>(l.width)} * l.bitCount + 31) / 32 * 4;
        l.imageBytes = l.stride * l.absHeight;
        if (l.imageBytes > available) return DibError::Pixels;
    }
    *layout = l;
    return DibError::None;
}

DibError dib_check_file(const uint8_t* data, size_t size, DibLayout* layout, size_t* headerStart) {
    *layout = DibLayout{};
    *headerStart = kBitmapFileHeaderSize;
    if (!data || size < kBitmapFileHeaderSize || data[0] != 'B' || data[1] != 'M') return DibError::FileHeader;
    return dib_check(data + kBitmapFileHeaderSize, size - kBitmapFileHeaderSize, layout);
}

void dib_build_info(const uint8_t* header, const DibLayout& l, DibInfo* info) {
    std::memset(info->bytes, 0, sizeof info->bytes);
    uint8_t* h = info->bytes;
    write32(h + 0, 40);
    write32(h + 4, static_cast<uint32_t>(l.width));
    write32(h + 8, static_cast<uint32_t>(l.height));
    write16(h + 12, 1);
    write16(h + 14, l.bitCount);
    write32(h + 16, l.compression);
    write32(h + 20, l.imageBytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(l.imageBytes));
    if (l.headerSize >= 40) {
        std::memcpy(h + 24, header + 24, 8);  // resolution, kept for completeness
    }
    size_t at = 40;
    if (l.compression == kBiBitfields) {
        std::memcpy(h + at, header + l.maskOffset, 12);
        at += 12;
    }
    // Only palette formats use a table with RGB colour use; a table in front of
    // 16/24/32-bit pixels is only a hint for palette devices and is left out.
    uint32_t colors = 0;
    if (l.bitCount <= 8) {
        colors = l.colorCount;
        if (colors > (1u << l.bitCount)) colors = 1u << l.bitCount;
    }
    const uint8_t* table = header + l.colorTableOffset;
    for (uint32_t i = 0; i < colors; ++i) {
        const uint8_t* src = table + uint64_t{i} * l.colorEntrySize;
        h[at + 0] = src[0];
        h[at + 1] = src[1];
        h[at + 2] = src[2];
        h[at + 3] = 0;
        at += 4;
    }
    write32(h + 32, colors);
    info->length = at;
}

const char* dib_error_text(DibError error) {
    switch (error) {
    case DibError::None: return "";
    case DibError::NoHeader: return "Invalid bitmap data: the header is incomplete.";
    case DibError::HeaderSize: return "Invalid bitmap data: unknown header size.";
    case DibError::Width: return "Invalid bitmap data: width out of range.";
    case DibError::Height: return "Invalid bitmap data: height out of range.";
    case DibError::Format: return "Invalid bitmap data: unsupported bit count or compression.";
    case DibError::NotDrawable: return "JPEG and PNG bitmaps are not shown.";
    case DibError::ColorTable: return "Invalid bitmap data: the colour table lies outside the data.";
    case DibError::Pixels: return "Invalid bitmap data: too few bytes for the pixels.";
    case DibError::TooLarge: return "Invalid bitmap data: the compressed image is too large.";
    case DibError::FileHeader: return "Invalid bitmap data: the file header is incomplete.";
    }
    return "Invalid bitmap data.";
}
