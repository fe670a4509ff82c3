// The parsers and writers that meet another program's bytes, one libFuzzer target each (FUZZ_TARGET names
// its function, corpus/<name> has its seeds). Buffers are exactly as large as promised, as ASan sees.
#include "entries/entries_core.h"
#include "export/array_core.h"
#include "hexdump/find_core.h"
#include "hexdump/hexdump_core.h"
#include "values/values_core.h"
#include "snapshot/snapshot_core.h"
#include "uiform/uiform_core.h"
#include "viewer/dib_core.h"
#include "viewer/formats_core.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Header: notation, anchor, caret, bytes per line (0: the notation's own), title
// length, title on; then the title and the data.
void fuzz_array(const uint8_t* data, size_t size) {
    if (size < 6) return;
    ArrayNotation n = *array_notations[data[0] % 6];
    char perLine[8];
    if (data[3]) std::snprintf(perLine, sizeof perLine, "%d", data[3] - 40), n.bytesPerLine = perLine;
    const std::string title(reinterpret_cast<const char*>(data) + 6, std::min<size_t>(data[4] % 32, size - 6));
    const uint8_t* bytes = data + 6 + title.size();
    const size_t left = size - 6 - title.size(), lo = std::min<size_t>({data[1], data[2], left});
    const size_t count = std::min<size_t>(std::max(data[1], data[2]), left) - lo;
    const char* t = (data[5] & 1) ? title.c_str() : nullptr;
    const size_t length = array_text_length(n, bytes + lo, count, lo, t);
    if (length == array_too_large) return;  // a refused notation writes nothing to compare
    std::vector<char> out(length + 1);
    if (array_text_write(n, bytes + lo, count, lo, t, out.data()) != length || out[length] ||
        std::memchr(out.data(), 0, length))  // all of it text
        std::abort();
    std::vector<char> sliced(length + 1);  // in slices of 1 to 4 lines on two threads: the same text
    array_text_write_sliced(n, bytes + lo, count, lo, t, sliced.data(), 1 + (data[5] >> 6), 2);
    if (sliced != out) std::abort();
}

// Whatever a bitmap's header claims, all that the drawing call is given lies in the block.
void fuzz_dib(const uint8_t* data, size_t size) {
    auto check = [](const uint8_t* header, size_t size, const DibLayout& l) {
        auto inside = [size](uint64_t at, uint64_t n) { return at <= size && n <= size - at; };
        if (!inside(l.maskOffset, l.maskOffset ? 12 : 0) || !inside(l.pixelOffset, l.imageBytes) ||
            !inside(l.colorTableOffset, uint64_t{l.colorCount} * l.colorEntrySize) ||
            (l.stride && l.stride * l.absHeight != l.imageBytes))
            std::abort();
        DibInfo info;
        dib_build_info(header, l, &info);
        if (info.length > kDibInfoMax) std::abort();
    };
    DibLayout l;
    size_t start = 0;
    if (dib_check(data, size, &l) == DibError::None) check(data, size, l);
    if (dib_check_file(data, size, &l, &start) == DibError::None) check(data + start, size - start, l);
}

// The fields of a FORMATETC and the start of its block: every text ends inside its
// buffer, the grouped size reads as the value, the length saved stays in the block.
void fuzz_formatetc(const uint8_t* data, size_t size) {
    struct { uint32_t format, aspect, tymed; int32_t index; uint64_t device; } f{};
    std::memcpy(&f, data, std::min(size, sizeof f));
    const uint8_t* rest = data + std::min(size, sizeof f);
    const int64_t block = int64_t(size - (rest - data));
    wchar_t t[kEntryTextCapacity + 1];
    for (int which = 0; which < 7; ++which) {
        std::wmemset(t, L'*', kEntryTextCapacity + 1);
        const uint32_t grouped = which == 5 ? f.format : f.tymed;  // 5 and 6: grouped sizes
        which == 0 ? default_format_name(f.format, t) : which == 1 ? aspect_text(f.aspect, t)
        : which == 2 ? index_text(f.index, t) : which == 3 ? target_device_text(uintptr_t(f.device), t)
        : which == 4 ? media_text(f.tymed, t) : size_to_grouped_text(grouped, t);
        const size_t capacity = which < 5 ? kEntryTextCapacity : kGroupedTextCapacity;
        std::wstring want = std::to_wstring(grouped);
        for (size_t i = want.size(); i > 3; i -= 3) want.insert(i - 3, 1, L'\'');
        if (t[capacity] != L'*' || !std::wmemchr(t, 0, capacity) || (which == 4 && (f.tymed == 0) != (t[0] == 0)) ||
            (which >= 5 && want != t))
            std::abort();
    }
    if (save_length(f.index, block) != (f.index < 0 ? block : f.index <= block ? f.index : -1) ||
        starts_like_bitmap_file(rest, block) != (block >= 2 && rest[0] == 'B' && rest[1] == 'M'))
        std::abort();
}

// Dump text of any settings and range, also near the end of 32-bit offsets:
// exactly the announced length, in whole CR LF lines.
void fuzz_hexdump_text(const uint8_t* data, size_t size) {
    size_t at = 0;
    auto byte = [&] { return at < size ? data[at++] : 0; };
    static const int rows[] = {1, 3, 8, 10, 16, 32, 33}, radixes[] = {16, 10, 8, 1};
    const int flags = byte(), perRow = rows[byte() % 7], group = byte() % 9, radix = radixes[byte() % 4];
    HexTextSettings s{perRow, group, hexdump_digits_for_radix(radix), radix, bool(flags & 1), bool(flags & 2),
                      bool(flags & 4), bool(flags & 8), bool(flags & 16)};
    const size_t n = size > 6 ? size - 6 : 0;  // after this header and the range
    const long long lo = byte() % (n + 1), hi = lo + byte() % (n - lo + 1);
    const long long base = (flags & 32) ? INT32_MAX - static_cast<long long>(n) : 0;
    const long long length = hexdump_text_length(s, base + lo, base + hi);
    std::vector<char> out(length < 0 ? 1 : length + 1);
    const uint8_t* selected = data + size - n + lo;
    const size_t written = length < 0 ? 0 : hexdump_text_write(s, selected, base + lo, base + hi, out.data());
    if (length < 0 || written != size_t(length) || out[written] || (written && out[written - 1] != '\n')) std::abort();
    for (size_t i = 0; i + 1 < written; ++i)
        if ((out[i] == '\r') != (out[i + 1] == '\n')) std::abort();
    std::vector<char> sliced(out.size());  // in slices of 1 to 4 lines on two threads: the same text
    hexdump_text_write_sliced(s, selected, base + lo, base + hi, sliced.data(), 1 + (flags >> 6), 2);
    if (sliced != out) std::abort();
}

// Item lists of any shape become trees that are laid out and freed: nothing may
// crash, overflow or leak, whatever the nesting, ids, flags, values or failures.
static int32_t g_cell;  // the width of a character, from the input
void fuzz_uiform(const uint8_t* data, size_t size) {
    size_t at = 0;
    auto byte = [&] { return at < size ? data[at++] : 0; };
    g_cell = byte() % 16;
    const int mode = byte();
    std::wstring strings[4];  // captions and combo entries, with bars
    for (auto& s : strings)
        for (int i = byte() % 24; i > 0; --i) s += L"|abcdefghijklmnopqrstuvwxyz"[byte() % 27];
    uint32_t number = 5;
    UiFormEditText<8> edit{8, int8_t(byte())};
    UiFormCheckEntry checks[] = {{L"a", 1}, {nullptr, 0}};
    wchar_t combo[32] = {};
    std::vector<UiFormItem> items;
    while (size - at >= 3 && items.size() < 2000) {
        // Container bits and a kind number (unknown ones too), any flags, automatic, small or column ids; the
        // value as the kind reads it: s string, n number, e edit, c check list, b combo, i icon, t string or id.
        const uint32_t k = byte(), f = byte(), v = byte(), kind = (k & 0xC0) << 8 | (k & 0x1F);
        const void* values[] = {strings[v & 3].c_str(), &number, &edit, checks, combo, reinterpret_cast<void*>(2000),
                                reinterpret_cast<void*>(uintptr_t{1} + (v & 7))};
        const size_t use = std::string_view("snecbit").find("sssssssnsnsnnnsnntstsesisnscnsbt"[k & 0x1F]);
        const void* value = values[use == 6 && !(v & 0x40) ? 0 : use];
        const int32_t id = (v & 0x30) == 0x30 ? 9996 + (v & 3) : (v & 0x30) == 0x20 ? 1 + (v & 7) : 0;
        items.push_back({kind | ((f * 0x20A00u) & ~UIFORM_KIND_MASK), id, (v & 0x80) ? nullptr : value,
                         (v & 0x08) ? strings[(v >> 1) & 3].c_str() : nullptr});
    }
    items.push_back(uiform_end((mode & 0x10) ? 0xFFFF : mode & 3));
    UiForm* form = nullptr;
    if (uiform_create(&form, L"fuzz") != 0) return;
    if (mode & 1) uiform_add_items(form, items.data());
    for (size_t i = 0; !(mode & 1) && i + 1 < items.size(); ++i)  // on after failures: the tree stays whole
        uiform_add(form, items[i].kind, items[i].id, items[i].value, items[i].text);
    if (mode & 2) uiform_add_button_row(form);
    UiFormMeasure measure{nullptr,  // cells of g_cell by 13 pixels; icons that cannot be loaded
        [](void*, const wchar_t* s, int32_t n, int32_t* w, int32_t* h) { *w = int(wcsnlen(s, n)) * g_cell, *h = 13; },
        [](void*, const wchar_t* s, int32_t width) { return int(std::wcslen(s)) * g_cell / std::max(width, 1) * 13; },
        [](void*, void*, uint32_t id, wchar_t* b, int32_t n) { id % 3 && std::swprintf(b, size_t(n), L"s%u", id); },
        nullptr};
    for (int pass = 0; pass <= (mode >> 2 & 1); ++pass) uiform_layout(form, &measure);  // a second one re-measures
    uiform_find_control(form, &number);
    uiform_destroy(&form);
}

// Any bytes as a snapshot file: refused, or every part handed back lies inside the input.
static bool inside(size_t size, uint64_t offset, uint64_t n) {
    return offset <= size && n <= size - offset;
}
void fuzz_snapshot(const uint8_t* data, size_t size) {
    std::vector<SnapshotRecord> records;
    const SnapshotProblem p = snapshot_parse(data, size, &records);
    if (p.error != SnapshotError::None && (!records.empty() || p.offset > size)) std::abort();
    auto at = [&](const uint8_t* q, size_t n) { return !n || (q >= data && inside(size, q - data, n)); };
    for (const SnapshotRecord& r : records) {
        bool ok = at(r.targetDevice, r.targetDeviceSize) && at(r.data, r.dataSize);
        for (int i = 0; i < kSnapshotTextCount; ++i) ok = ok && at(r.texts[i], 2 * size_t{r.textUnits[i]});
        if (!ok) std::abort();
    }
}

// Every structured-format parser, the inspector and Find: each span handed back
// lies inside the input, and so does every chain of a shell ID list said to check out.
void fuzz_formats(const uint8_t* data, size_t size) {
    if (!size) return;
    auto span = [&](const TextSpan& s) { if (s.bytes && !inside(size, s.offset, s.bytes)) std::abort(); };
    std::vector<std::u16string> names(3, u"n");
    FormatsPlatform pf;
    pf.idListNames = &names;
    for (int v = static_cast<int>(FormatViewer::Pane); v <= static_cast<int>(FormatViewer::Bitmap); ++v)
        formats_report(static_cast<FormatViewer>(v), data, size, pf);
    const HtmlFormat h = formats_parse_html(data, size);
    for (const HtmlHeaderField& f : h.fields) span(f.value);
    if (h.hasFragment && (h.fragmentEnd > size || h.fragmentBegin > h.fragmentEnd)) std::abort();
    for (const TextSpan& n : formats_parse_hdrop(data, size).names) span(n);
    for (bool wide : {false, true})
        for (const FileDescriptor& d : formats_parse_filegroup(data, size, wide).items) span(d.name);
    for (const IdList& l : formats_parse_idlist(data, size).lists)
        for (uint64_t p = l.offset, k = 0; l.ok && k < l.sizes.size(); p += l.sizes[k++])
            if (p + 2 > size) std::abort();
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * 2);
    formats_choose_viewer(0xC000, text.c_str());
    for (size_t at : {size_t{0}, size / 2, size - 1}) inspector_rows(data, size, at);
    find_parse(FindKind::Hex, text.data(), text.size());
    const std::vector<uint8_t> pattern(data + size / 2, data + std::min(size, size / 2 + 3));
    find_search(data, size, size / 3, pattern, {FindKind::Text16, false, size % 2 == 1});
}

extern "C" int LLVMFuzzerInitialize(int*, char***) { return !std::freopen("/dev/null", "w", stdout); }  // form traces
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return FUZZ_TARGET(data, size), 0; }
