// Bitmap checks over arbitrary bytes: whatever a header claims, everything the
// drawing call would be given must lie inside the block. The fuzzer's buffer is
// exactly the input's size, so any read past it is caught by the sanitizer.
#include "viewer/dib_core.h"
#include "viewer/fit_core.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

volatile uint8_t g_sink;

void touch(const uint8_t* p, uint64_t offset, uint64_t length, size_t size) {
    if (length == 0) return;
    if (offset > size || length > size - offset) std::abort();
    g_sink = p[offset];
    g_sink = p[offset + length - 1];
}

void exercise(const uint8_t* header, size_t size, const DibLayout& l) {
    if (l.maskOffset) touch(header, l.maskOffset, 12, size);
    touch(header, l.colorTableOffset, uint64_t{l.colorCount} * l.colorEntrySize, size);
    touch(header, l.pixelOffset, l.imageBytes, size);
    if (l.stride && l.stride * l.absHeight != l.imageBytes) std::abort();
    DibInfo info;
    dib_build_info(header, l, &info);
    if (info.length > kDibInfoMax) std::abort();
    FitPlacement p;
    for (int mode = 0; mode < 3; ++mode)
        fit_bitmap(5, 5, 400, 300, l.width, static_cast<int>(l.absHeight), mode, mode > 0, &p);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DibLayout l;
    if (dib_check(data, size, &l) == DibError::None) exercise(data, size, l);
    size_t start = 0;
    if (dib_check_file(data, size, &l, &start) == DibError::None) exercise(data + start, size - start, l);
    return 0;
}
