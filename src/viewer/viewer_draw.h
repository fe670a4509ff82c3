// What the viewer pane draws besides DIBs: compressed images decoded by the
// platform's imaging component, and metafiles made from their bytes. Both
// read only inside the block they are given.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedImage {
    HRESULT result;               // S_OK, or the decoder's failure
    UINT width, height;
    std::vector<uint8_t> pixels;  // 32-bit BGRA rows, top-down, not premultiplied
};
// The first frame of a PNG, JPEG or GIF file; a frame larger than 64 M pixels
// is refused with E_OUTOFMEMORY before anything is allocated for it.
DecodedImage viewer_decode_image(const uint8_t* bytes, size_t size);

// An enhanced metafile from CF_ENHMETAFILE bytes, or from CF_METAFILEPICT's
// (mapping mode, x and y extent as 32-bit values, then the metafile's bits);
// null when the header does not check out. The caller deletes it.
HENHMETAFILE viewer_enhmetafile(const uint8_t* bytes, size_t size);
HENHMETAFILE viewer_metafilepict(const uint8_t* bytes, size_t size);
