// Structured formats: the viewer choice, the parsers and their reports. All
// arithmetic on offsets read from the data is done in 64 bits against the
// block size, so no count or offset can wrap past a check.
#include "viewer/formats_core.h"
#include "base/utf16.h"
#include "values/values_core.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

uint32_t rd16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t rd32(const uint8_t* p) { return rd16(p) | rd16(p + 2) << 16; }
uint64_t rd64(const uint8_t* p) { return rd32(p) | uint64_t{rd32(p + 4)} << 32; }

std::string vformat(const char* format, va_list args) {
    char buf[300];
    std::vsnprintf(buf, sizeof buf, format, args);
    return buf;
}

void problem(std::vector<FormatProblem>& list, uint64_t offset, const char* format, ...) {
    va_list args;
    va_start(args, format);
    list.push_back(FormatProblem{offset, vformat(format, args)});
    va_end(args);
}

// A name lowered for comparison; anything beyond ASCII can match nothing.
std::string lowered(const char16_t* name) {
    std::string s;
    for (; name && *name; ++name) {
        char16_t c = *name;
        s += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c < 0x80 ? static_cast<char>(c) : '\x7F';
    }
    return s;
}

// Whether the n bytes at p are `name` (letters only) in any case.
bool same_name(const uint8_t* p, size_t n, const char* name) {
    if (std::strlen(name) != n) return false;
    for (size_t i = 0; i < n; ++i)
        if ((p[i] | 0x20) != (name[i] | 0x20)) return false;
    return true;
}

std::string trimmed(std::string s) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '"'; };
    while (!s.empty() && space(s.back())) s.pop_back();
    size_t i = 0;
    while (i < s.size() && space(s[i])) ++i;
    return s.substr(i);
}

std::u16string from_utf8(const uint8_t* p, size_t n) {
    std::u16string s;
    s.reserve(n);
    for (size_t i = 0; i < n;) {
        char32_t c = 0xFFFD;
        int length = inspector_decode_utf8(p + i, n - i, &c);
        if (length <= 0) {
            c = 0xFFFD;
            length = 1;
        }
        append_code_point(s, c);
        i += static_cast<size_t>(length);
    }
    return s;
}

std::u16string span_text(const uint8_t* data, const TextSpan& span, bool wide, const FormatsPlatform& pf) {
    if (span.bytes == 0) return {};
    const uint8_t* p = data + span.offset;
    std::u16string s;
    if (wide) {
        for (size_t i = 0; i + 1 < span.bytes; i += 2) s += static_cast<char16_t>(rd16(p + i));
        return s;
    }
    if (pf.text8) return pf.text8(p, span.bytes);
    for (size_t i = 0; i < span.bytes; ++i) s += p[i];
    return s;
}

struct Report {
    std::u16string text;
    Report& add(const char* format, ...) {
        va_list args;
        va_start(args, format);
        for (char c : vformat(format, args)) text += static_cast<char16_t>(static_cast<unsigned char>(c));
        va_end(args);
        return *this;
    }
    Report& add(const std::u16string& s) {
        text += s;
        return *this;
    }
    void end() { text += u"\r\n"; }
    void problems(const std::vector<FormatProblem>& list) {
        for (const FormatProblem& p : list) add("Error at offset %llu: %s", static_cast<unsigned long long>(p.offset), p.what.c_str()).end();
    }
};

const char* const kHtmlNames[kHtmlFieldCount] = {"Version",     "StartHTML",      "EndHTML",      "StartFragment",
                                                 "EndFragment", "StartSelection", "EndSelection", "SourceURL"};

bool html_absent_allowed(int f) {
    return f == kHtmlStartHtml || f == kHtmlEndHtml || f == kHtmlStartSelection || f == kHtmlEndSelection;
}

void html_read_number(HtmlFormat& h, int f, const uint8_t* data, size_t size) {
    HtmlHeaderField& field = h.fields[f];
    const uint8_t* s = data + field.value.offset;
    const size_t n = field.value.bytes;
    const size_t sign = n && s[0] == '-' ? 1 : 0;
    field.numeric = n > sign && n - sign <= 18;
    int64_t v = 0;
    for (size_t i = sign; field.numeric && i < n; ++i) {
        field.numeric = s[i] >= '0' && s[i] <= '9';
        v = v * 10 + (s[i] - '0');
    }
    const uint64_t at = field.value.offset;
    if (!field.numeric) return problem(h.problems, at, "%s is not a number", kHtmlNames[f]);
    field.number = sign ? -v : v;
    if (sign && (v != 1 || !html_absent_allowed(f)))
        return problem(h.problems, at, "%s %lld is negative", kHtmlNames[f], static_cast<long long>(field.number));
    field.inside = !sign && static_cast<uint64_t>(v) <= size;
    if (!sign && !field.inside)
        problem(h.problems, at, "%s %lld lies past the end of the block (%zu bytes)", kHtmlNames[f],
                static_cast<long long>(v), size);
}

void html_report(Report& r, const uint8_t* data, size_t size) {
    HtmlFormat h = formats_parse_html(data, size);
    for (int f = 0; f < kHtmlFieldCount; ++f) {
        const HtmlHeaderField& field = h.fields[f];
        r.add("%s: ", kHtmlNames[f]);
        if (!field.present) {
            r.add("(not in the header)").end();
            continue;
        }
        r.add(from_utf8(data + field.value.offset, field.value.bytes));
        bool offset = f != kHtmlVersion && f != kHtmlSourceUrl;
        if (offset && field.numeric && field.number == -1) r.add(" (absent)");
        else if (offset && field.numeric) r.add(field.inside ? " (inside the block)" : " (past the end of the block)");
        r.end();
    }
    r.add("Offsets in order: %s", h.ordered ? "yes" : "no").end();
    r.problems(h.problems);
    if (!h.hasFragment) return r.add("No fragment").end();
    r.add("Fragment: bytes %zu to %zu (%zu bytes, UTF-8)", h.fragmentBegin, h.fragmentEnd,
          h.fragmentEnd - h.fragmentBegin).end();
    r.add(from_utf8(data + h.fragmentBegin, h.fragmentEnd - h.fragmentBegin));
}

void hdrop_report(Report& r, const uint8_t* data, size_t size, const FormatsPlatform& pf) {
    DropFiles d = formats_parse_hdrop(data, size);
    if (d.header) {
        r.add("Files offset: %u", d.filesOffset).end();
        r.add("Point: (%d, %d)", d.x, d.y).end();
        r.add("Non-client area: %u", d.nonClient).end();
        r.add("Wide names: %u", d.wide).end();
    }
    r.problems(d.problems);
    r.add("Files: %zu", d.names.size()).end();
    for (const TextSpan& name : d.names) r.add(span_text(data, name, d.wide != 0, pf)).end();
}

void file_time_line(Report& r, const char* label, uint64_t value, const FormatsPlatform& pf) {
    r.add("  %s: ", label);
    if (pf.fileTime) r.add(pf.fileTime(value)).add(" ");
    r.add("(FILETIME 0x%016llX)", static_cast<unsigned long long>(value)).end();
}

void filegroup_report(Report& r, const uint8_t* data, size_t size, bool wide, const FormatsPlatform& pf) {
    FileGroup g = formats_parse_filegroup(data, size, wide);
    if (g.header) r.add("Descriptors: %u", g.count).end();
    r.problems(g.problems);
    static const struct {
        uint32_t bit;
        const char* name;
    } kFlags[] = {{kFdClsid, "FD_CLSID"},           {kFdSizePoint, "FD_SIZEPOINT"}, {kFdAttributes, "FD_ATTRIBUTES"},
                  {kFdCreateTime, "FD_CREATETIME"}, {kFdAccessTime, "FD_ACCESSTIME"}, {kFdWriteTime, "FD_WRITESTIME"},
                  {kFdFileSize, "FD_FILESIZE"},     {kFdProgressUi, "FD_PROGRESSUI"}, {kFdLinkUi, "FD_LINKUI"},
                  {kFdUnicode, "FD_UNICODE"}};
    for (size_t i = 0; i < g.items.size(); ++i) {
        const FileDescriptor& d = g.items[i];
        r.add("Descriptor %zu at offset %zu: ", i + 1, d.offset).add(span_text(data, d.name, wide, pf)).end();
        r.add("  Flags: 0x%08X", d.flags);
        const char* separator = " (";
        uint32_t unnamed = d.flags;
        for (const auto& f : kFlags) {
            if (!(d.flags & f.bit)) continue;
            r.add("%s%s", separator, f.name);
            separator = " | ";
            unnamed &= ~f.bit;
        }
        if (unnamed) r.add("%s0x%X", separator, unnamed);
        if (d.flags) r.add(")");
        r.end();
        r.add("  Attributes: 0x%08X%s", d.attributes, d.flags & kFdAttributes ? "" : " (not flagged)").end();
        if (d.flags & kFdFileSize)
            r.add("  Size: %llu bytes (high 0x%08X, low 0x%08X)",
                  static_cast<unsigned long long>(uint64_t{d.sizeHigh} << 32 | d.sizeLow), d.sizeHigh, d.sizeLow).end();
        if (d.flags & kFdCreateTime) file_time_line(r, "Created", d.created, pf);
        if (d.flags & kFdAccessTime) file_time_line(r, "Accessed", d.accessed, pf);
        if (d.flags & kFdWriteTime) file_time_line(r, "Written", d.written, pf);
    }
}

void idlist_report(Report& r, const uint8_t* data, size_t size, const FormatsPlatform& pf) {
    IdListArray a = formats_parse_idlist(data, size);
    if (a.header) r.add("Items: %u and the parent folder", a.count).end();
    if (!a.lists.empty()) {
        r.add("Offsets:");
        for (const IdList& l : a.lists) r.add(" %u", l.offset);
        r.end();
    }
    for (size_t i = 0; i < a.lists.size(); ++i) {
        const IdList& l = a.lists[i];
        if (i == 0) r.add("Parent folder at offset %u: item sizes", l.offset);
        else r.add("Item %zu at offset %u: item sizes", i, l.offset);
        for (size_t k = 0; k < l.sizes.size(); ++k) r.add(k ? ", %u" : " %u", l.sizes[k]);
        r.end();
        if (a.ok && pf.idListNames && i < pf.idListNames->size()) r.add("  Name: ").add((*pf.idListNames)[i]).end();
    }
    r.problems(a.problems);
    r.add("Structure checks out: %s", a.ok ? "yes" : "no").end();
}

void url_report(Report& r, const uint8_t* data, size_t size, bool wide, const FormatsPlatform& pf) {
    TextSpan s = formats_text_span(data, size, 0, wide);
    r.add("Address: ").add(span_text(data, s, wide, pf)).end();
    if (!s.terminated) r.add("Error at offset %zu: the address has no terminator", s.bytes).end();
}

}  // namespace

FormatsText formats_text_encoding(const char16_t* name) {
    const std::string n = lowered(name);
    const size_t charset = n.find("charset=");
    if (charset != std::string::npos && n.find(';') < charset) {
        std::string value = trimmed(n.substr(charset + 8, n.find(';', charset) - charset - 8));
        if (value == "utf-8" || value == "utf8") return FormatsText::Utf8;
        if (value == "utf-16" || value == "utf-16le" || value == "ucs-2") return FormatsText::Utf16;
        return FormatsText::Ansi8;
    }
    for (const char* ansi : {"rich text format", "rich text format without objects", "rtf as text", "csv"})
        if (n == ansi) return FormatsText::Ansi8;
    if (n == "html format") return FormatsText::Utf8;
    if (n == "text/x-moz-url" || n == "text/unicode") return FormatsText::Utf16;
    return n.rfind("text/", 0) == 0 ? FormatsText::Utf8 : FormatsText::None;
}

FormatViewerChoice formats_choose_viewer(int format, const char16_t* name) {
    switch (format) {
    case 1: return {FormatViewer::AnsiText, "CF_TEXT", nullptr};
    case 2: return {FormatViewer::Bitmap, "CF_BITMAP", nullptr};
    case 3: return {FormatViewer::MetafilePict, "CF_METAFILEPICT", nullptr};
    case 8: return {FormatViewer::Pane, "CF_DIB", "No viewer"};
    case 13: return {FormatViewer::WideText, "CF_UNICODETEXT", nullptr};
    case 14: return {FormatViewer::EnhMetafile, "CF_ENHMETAFILE", nullptr};
    case 15: return {FormatViewer::Hdrop, "CF_HDROP", nullptr};
    case 16: return {FormatViewer::Locale, "CF_LOCALE", nullptr};
    case 17: return {FormatViewer::Pane, "CF_DIBV5", "No viewer"};
    default: break;
    }
    static const struct {
        const char* name;
        FormatViewer viewer;
        const char* log;
    } kNamed[] = {
        {"filename", FormatViewer::AnsiText, "cf_filename"},
        {"filenamew", FormatViewer::WideText, "cf_filenamew"},
        {"html format", FormatViewer::Html, "HTML Format"},
        {"filegroupdescriptor", FormatViewer::FileGroup, "FileGroupDescriptor"},
        {"filegroupdescriptorw", FormatViewer::FileGroupW, "FileGroupDescriptorW"},
        {"shell idlist array", FormatViewer::IdList, "Shell IDList Array"},
        {"uniformresourcelocator", FormatViewer::Url, "UniformResourceLocator"},
        {"uniformresourcelocatorw", FormatViewer::UrlW, "UniformResourceLocatorW"},
        {"png", FormatViewer::Image, "PNG"},   {"image/png", FormatViewer::Image, "PNG"},
        {"jfif", FormatViewer::Image, "JPEG"}, {"image/jpeg", FormatViewer::Image, "JPEG"},
        {"gif", FormatViewer::Image, "GIF"},   {"image/gif", FormatViewer::Image, "GIF"},
    };
    const std::string n = lowered(name);
    for (const auto& k : kNamed)
        if (n == k.name) return {k.viewer, k.log, nullptr};
    switch (formats_text_encoding(name)) {
    case FormatsText::Ansi8: return {FormatViewer::AnsiText, "8-bit text", nullptr};
    case FormatsText::Utf8: return {FormatViewer::Utf8Text, "UTF-8 text", nullptr};
    case FormatsText::Utf16: return {FormatViewer::WideText, "UTF-16 text", nullptr};
    case FormatsText::None: break;
    }
    return {FormatViewer::Pane, "No viewer", nullptr};
}

TextSpan formats_text_span(const uint8_t* data, size_t size, size_t offset, bool wide) {
    TextSpan s{offset, 0, false};
    if (!data || offset >= size) return s;
    size_t end = offset;
    if (wide) {
        while (end + 2 <= size && !(s.terminated = data[end] == 0 && data[end + 1] == 0)) end += 2;
    } else {
        const void* zero = std::memchr(data + offset, 0, size - offset);
        s.terminated = zero != nullptr;
        end = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - data) : size;
    }
    s.bytes = end - offset;
    return s;
}

HtmlFormat formats_parse_html(const uint8_t* data, size_t size) {
    HtmlFormat h{};
    if (!data) size = 0;
    size_t pos = 0;
    while (pos < size) {
        size_t eol = pos, colon = pos;
        while (eol < size && data[eol] != '\r' && data[eol] != '\n') ++eol;
        while (colon < eol && ((data[colon] | 0x20) >= 'a' && (data[colon] | 0x20) <= 'z')) ++colon;
        if (colon == pos || colon == eol || data[colon] != ':') break;
        for (int f = 0; f < kHtmlFieldCount; ++f) {
            HtmlHeaderField& field = h.fields[f];
            if (field.present || !same_name(data + pos, colon - pos, kHtmlNames[f])) continue;
            size_t b = colon + 1, e = eol;
            while (b < e && data[b] == ' ') ++b;
            while (e > b && data[e - 1] == ' ') --e;
            field.present = true;
            field.value = TextSpan{b, e - b, false};
        }
        pos = eol;
        if (pos < size && data[pos] == '\r') ++pos;
        if (pos < size && data[pos] == '\n') ++pos;
    }
    h.headerEnd = pos;
    for (int f = kHtmlStartHtml; f <= kHtmlEndSelection; ++f)
        if (h.fields[f].present) html_read_number(h, f, data, size);
    for (int f : {kHtmlVersion, kHtmlStartHtml, kHtmlEndHtml, kHtmlStartFragment, kHtmlEndFragment})
        if (!h.fields[f].present) problem(h.problems, pos, "%s is missing from the header", kHtmlNames[f]);

    auto usable = [&](int f) { return h.fields[f].numeric && h.fields[f].number >= 0; };
    auto at = [&](int f) { return h.fields[f].number; };
    h.ordered = true;
    const int first = usable(kHtmlStartHtml) ? kHtmlStartHtml : kHtmlStartFragment;
    if (usable(first) && at(first) < static_cast<int64_t>(pos)) {
        h.ordered = false;
        problem(h.problems, h.fields[first].value.offset, "%s %lld points into the header (it ends at %zu)",
                kHtmlNames[first], static_cast<long long>(at(first)), pos);
    }
    static const int kOrder[][2] = {{kHtmlStartHtml, kHtmlStartFragment},     {kHtmlStartFragment, kHtmlEndFragment},
                                    {kHtmlEndFragment, kHtmlEndHtml},         {kHtmlStartFragment, kHtmlStartSelection},
                                    {kHtmlStartSelection, kHtmlEndSelection}, {kHtmlEndSelection, kHtmlEndFragment}};
    for (const auto& o : kOrder) {
        if (!usable(o[0]) || !usable(o[1]) || at(o[0]) <= at(o[1])) continue;
        h.ordered = false;
        problem(h.problems, h.fields[o[1]].value.offset, "%s %lld lies before %s %lld", kHtmlNames[o[1]],
                static_cast<long long>(at(o[1])), kHtmlNames[o[0]], static_cast<long long>(at(o[0])));
    }
    if (usable(kHtmlStartFragment) && usable(kHtmlEndFragment)) {
        h.fragmentBegin = static_cast<size_t>(at(kHtmlStartFragment));
        h.fragmentEnd = static_cast<size_t>(std::min<int64_t>(at(kHtmlEndFragment), static_cast<int64_t>(size)));
        h.hasFragment = h.fragmentBegin <= h.fragmentEnd;
    }
    return h;
}

DropFiles formats_parse_hdrop(const uint8_t* data, size_t size) {
    DropFiles d{};
    if (!data) size = 0;
    if (size < 20) {
        problem(d.problems, 0, "%zu bytes are too few for the 20-byte DROPFILES header", size);
        return d;
    }
    d.header = true;
    d.filesOffset = rd32(data);
    d.x = static_cast<int32_t>(rd32(data + 4));
    d.y = static_cast<int32_t>(rd32(data + 8));
    d.nonClient = rd32(data + 12);
    d.wide = rd32(data + 16);
    const bool wide = d.wide != 0;
    if (d.filesOffset > size) {
        problem(d.problems, 0, "the files offset %u lies past the end of the block (%zu bytes)", d.filesOffset, size);
        return d;
    }
    if (d.filesOffset < 20) problem(d.problems, 0, "the files offset %u lies inside the header", d.filesOffset);
    if (wide && d.filesOffset % 2) problem(d.problems, 0, "the files offset %u is odd for wide names", d.filesOffset);
    size_t pos = d.filesOffset;
    for (;;) {
        if (d.names.size() == kFormatsMaxItems) {
            problem(d.problems, pos, "more than %zu names: the rest is not listed", kFormatsMaxItems);
            break;
        }
        TextSpan name = formats_text_span(data, size, pos, wide);
        if (name.terminated && name.bytes == 0) {
            d.terminated = true;
            break;
        }
        if (!name.terminated) {
            if (name.bytes) d.names.push_back(name);
            problem(d.problems, pos, name.bytes ? "the name runs to the end of the block without its terminator"
                                                : "the list ends without its final terminator");
            break;
        }
        d.names.push_back(name);
        pos += name.bytes + (wide ? 2 : 1);
    }
    return d;
}

FileGroup formats_parse_filegroup(const uint8_t* data, size_t size, bool wide) {
    FileGroup g{};
    g.wide = wide;
    if (!data) size = 0;
    if (size < 4) {
        problem(g.problems, 0, "%zu bytes are too few for the descriptor count", size);
        return g;
    }
    g.header = true;
    g.count = rd32(data);
    const size_t nameBytes = wide ? 520 : 260, each = 72 + nameBytes;
    const uint64_t need = 4 + uint64_t{g.count} * each;
    if (need > size)
        problem(g.problems, 0, "%u descriptors need %llu bytes, the block holds %zu", g.count,
                static_cast<unsigned long long>(need), size);
    const size_t n = std::min<uint64_t>({g.count, (size - 4) / each, kFormatsMaxItems});
    if (n == kFormatsMaxItems && g.count > n) problem(g.problems, 4, "only the first %zu descriptors are listed", n);
    for (size_t i = 0; i < n; ++i) {
        const size_t at = 4 + i * each;
        const uint8_t* p = data + at;
        FileDescriptor d{at, rd32(p), rd32(p + 36), rd32(p + 64), rd32(p + 68), rd64(p + 40), rd64(p + 48), rd64(p + 56),
                         formats_text_span(data, at + each, at + 72, wide)};
        if (!d.name.terminated) problem(g.problems, at + 72, "descriptor %zu: the name fills its field without a terminator", i + 1);
        g.items.push_back(d);
    }
    return g;
}

IdListArray formats_parse_idlist(const uint8_t* data, size_t size) {
    IdListArray a{};
    if (!data) size = 0;
    if (size < 4) {
        problem(a.problems, 0, "%zu bytes are too few for the item count", size);
        return a;
    }
    a.header = true;
    a.count = rd32(data);
    const uint64_t lists = uint64_t{a.count} + 1, need = 4 + lists * 4;
    a.ok = need <= size;
    if (!a.ok)
        problem(a.problems, 0, "%u items and the parent need %llu bytes of offsets, the block holds %zu", a.count,
                static_cast<unsigned long long>(need), size);
    const size_t n = std::min<uint64_t>({lists, (size - 4) / 4, kFormatsMaxItems});
    if (n < lists && a.ok) {
        a.ok = false;
        problem(a.problems, 4, "only the first %zu item lists are read", n);
    }
    for (size_t i = 0; i < n; ++i) {
        IdList l{rd32(data + 4 + 4 * i), {}, false};
        size_t p = l.offset;
        for (;;) {
            if (p > size - 2) {  // size is 4 or more here
                problem(a.problems, p, p == l.offset ? "list %zu: the offset lies past the end of the block"
                                                     : "list %zu: the chain ends without its terminator", i);
                break;
            }
            const uint32_t cb = rd16(data + p);
            l.sizes.push_back(static_cast<uint16_t>(cb));
            if (cb == 0) {
                l.ok = true;
                break;
            }
            if (cb < 2) {
                problem(a.problems, p, "list %zu: an item size of %u is smaller than its own size field", i, cb);
                break;
            }
            if (cb > size - p) {
                problem(a.problems, p, "list %zu: an item of %u bytes runs past the end of the block", i, cb);
                break;
            }
            if (l.sizes.size() > kFormatsMaxChain) {
                problem(a.problems, p, "list %zu: more than %zu items", i, kFormatsMaxChain);
                break;
            }
            p += cb;
        }
        a.ok = a.ok && l.ok;
        a.lists.push_back(std::move(l));
    }
    return a;
}

std::u16string formats_report(FormatViewer viewer, const uint8_t* data, size_t size, const FormatsPlatform& platform) {
    if (!data) size = 0;
    Report r;
    switch (viewer) {
    case FormatViewer::Html: html_report(r, data, size); break;
    case FormatViewer::Hdrop: hdrop_report(r, data, size, platform); break;
    case FormatViewer::FileGroup: filegroup_report(r, data, size, false, platform); break;
    case FormatViewer::FileGroupW: filegroup_report(r, data, size, true, platform); break;
    case FormatViewer::IdList: idlist_report(r, data, size, platform); break;
    case FormatViewer::Url: url_report(r, data, size, false, platform); break;
    case FormatViewer::UrlW: url_report(r, data, size, true, platform); break;
    default: break;
    }
    return r.text;
}
