// Fast array writer against the per-line reference on arbitrary bytes,
// selections, titles and byte-per-line texts.
#include "export/array_core.h"
#include "../host/array_reference.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    // Header: notation, anchor, caret (each 0..255 past the header), a
    // bytes-per-line override (0: the notation's own), title length.
    ArrayNotation n = *array_notations[data[0] % 6];
    unsigned anchor = data[1], caret = data[2];
    char perLine[8];
    if (data[3]) {
        std::snprintf(perLine, sizeof perLine, "%d", static_cast<int>(data[3]) - 40);  // -39..215
        n.bytesPerLine = perLine;
    }
    std::size_t titleLength = data[4] % 32;
    bool withTitle = data[5] & 1;
    data += 6;
    size -= 6;
    if (titleLength > size) titleLength = size;
    std::string title;
    for (std::size_t i = 0; i < titleLength; ++i) title += data[i] ? static_cast<char>(data[i]) : '0';
    data += titleLength;
    size -= titleLength;
    if (anchor > size) anchor = static_cast<unsigned>(size);
    if (caret > size) caret = static_cast<unsigned>(size);

    const char* t = withTitle ? title.c_str() : nullptr;
    std::string fast = array_fast(n, data, size, anchor, caret, t);
    std::string slow = array_reference(n, data, anchor, caret, t);
    if (fast != slow) std::abort();
    return 0;
}
