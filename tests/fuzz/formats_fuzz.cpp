// Every structured-format parser, the inspector and Find over arbitrary bytes.
// The buffer is exactly the input's size, so a read past it is caught; beyond
// that, every span handed back lies inside the input, and so does every chain
// of a CIDA said to check out.
#include "hexdump/find_core.h"
#include "inspector/inspector_core.h"
#include "viewer/formats_core.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

static void inside(const TextSpan& s, size_t size) {
    if (s.bytes && (s.offset > size || s.bytes > size - s.offset)) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::u16string> names(3, u"n");
    FormatsPlatform pf;
    pf.idListNames = &names;
    for (int v = static_cast<int>(FormatViewer::Pane); v <= static_cast<int>(FormatViewer::Bitmap); ++v)
        formats_report(static_cast<FormatViewer>(v), data, size, pf);
    HtmlFormat h = formats_parse_html(data, size);
    for (const HtmlHeaderField& f : h.fields) inside(f.value, size);
    if (h.hasFragment && (h.fragmentEnd > size || h.fragmentBegin > h.fragmentEnd)) std::abort();
    for (const TextSpan& n : formats_parse_hdrop(data, size).names) inside(n, size);
    for (bool wide : {false, true})
        for (const FileDescriptor& d : formats_parse_filegroup(data, size, wide).items) inside(d.name, size);
    for (const IdList& l : formats_parse_idlist(data, size).lists)
        for (uint64_t p = l.offset, k = 0; l.ok && k < l.sizes.size(); p += l.sizes[k++])
            if (p + 2 > size) std::abort();
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * 2);
    formats_choose_viewer(0xC000, text.c_str());
    for (size_t at : {size_t{0}, size / 2, size - 1}) inspector_rows(data, size, at);
    find_parse(FindKind::Hex, text.data(), text.size());
    std::vector<uint8_t> pattern(data + size / 2, data + std::min(size, size / 2 + 3));
    find_search(data, size, size / 3, pattern, {FindKind::Text16, false, size % 2 == 1});
    return 0;
}
