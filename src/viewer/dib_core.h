// Checking and laying out a device-independent bitmap that came from another
// program or a file. Everything a drawing call will read is located and
// bounded here first, because the drawing call trusts the header it is given.
#pragma once
#include <cstddef>
#include <cstdint>

enum class DibError {
    None,
    NoHeader,        // fewer bytes than the header needs
    HeaderSize,      // header size not one of 12, 40, 52, 56, 108, 124
    Width,           // width outside 1..65535
    Height,          // height 0 or |height| > 65535
    Format,          // bit count and compression do not go together
    NotDrawable,     // JPEG or PNG inside a bitmap header
    ColorTable,      // palette colour count above 256, or masks/table past the block
    Pixels,          // pixel data missing or shorter than the image needs
    TooLarge,        // compressed image whose drawn size is beyond reason
    FileHeader,      // bitmap file shorter than its 14-byte file header or not "BM"
};

enum : uint32_t {
    kBiRgb = 0,
    kBiRle8 = 1,
    kBiRle4 = 2,
    kBiBitfields = 3,
    kBiJpeg = 4,
    kBiPng = 5,
};

constexpr size_t kBitmapFileHeaderSize = 14;

struct DibLayout {
    uint32_t headerSize;       // the header's own size field
    int32_t width;
    int32_t height;            // negative for a top-down bitmap
    uint32_t absHeight;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t colorCount;       // colour-table entries before the pixels
    uint32_t colorEntrySize;   // 4, or 3 for the 12-byte core header
    uint64_t maskOffset;       // where the three BI_BITFIELDS masks are (40), else 0
    uint64_t colorTableOffset; // from the start of the header
    uint64_t pixelOffset;      // from the start of the header
    uint64_t stride;           // bytes per row; 0 for RLE
    uint64_t imageBytes;       // bytes the drawing call reads from the pixels
};

// Checks the header at data[0..size) and the pixels it describes against the
// block. On DibError::None `layout` tells where everything is; every offset
// plus its length lies inside the block.
DibError dib_check(const uint8_t* data, size_t size, DibLayout* layout);

// The same for a bitmap file: the 14-byte file header, then a header as above.
// The pixels are located from the header, not from the file header's offset
// field. `headerStart` receives 14.
DibError dib_check_file(const uint8_t* data, size_t size, DibLayout* layout, size_t* headerStart);

// A private header for the drawing call: a 40-byte header, the masks when
// compression is BI_BITFIELDS, then the colour table as 4-byte entries. The
// entry's bytes are never changed; the RLE image size is filled in here.
constexpr size_t kDibInfoMax = 40 + 12 + 256 * 4;
struct DibInfo {
    alignas(4) uint8_t bytes[kDibInfoMax];
    size_t length;
};
// `header` is the start of a header that dib_check accepted with `layout`.
void dib_build_info(const uint8_t* header, const DibLayout& layout, DibInfo* info);

// The pane's wording for a refused bitmap.
const char* dib_error_text(DibError error);
