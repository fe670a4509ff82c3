// Structured formats from other programs: viewer choice, and each parser on a
// sound block and on hostile ones, with the offset each problem is found at.
#include "viewer/formats_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>

namespace {

using Bytes = std::string;
// An exact-size heap copy of the block: the sanitizer then sees a read even one byte past it.
const uint8_t* u8(const Bytes& b) {
    static std::deque<std::vector<uint8_t>> blocks;
    return blocks.emplace_back(b.begin(), b.end()).data();
}
Bytes le32(std::initializer_list<uint32_t> values) {
    Bytes b;
    for (uint32_t v : values) b += {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    return b;
}
Bytes wide(const char* s, size_t n) {
    Bytes b;
    for (size_t i = 0; i < n; ++i) b += {s[i], 0};
    return b;
}
bool has(const std::u16string& text, const char* ascii) { return text.find(std::u16string(ascii, ascii + std::strlen(ascii))) != text.npos; }
// One of the problems lies at `offset` and mentions `what`.
bool problem_at(const std::vector<FormatProblem>& list, uint64_t offset, const char* what) {
    auto hit = [&](const FormatProblem& p) { return p.offset == offset && p.what.find(what) != p.what.npos; };
    return std::any_of(list.begin(), list.end(), hit);
}
// A clipboard HTML block with its offsets worked out from its own layout, then
// StartHTML, EndHTML, StartFragment, EndFragment overridden by `tweak` (-2 keeps).
Bytes html_block(const char* extra, std::initializer_list<long long> tweak = {}) {
    const Bytes pre = "<html><body><!--StartFragment-->", fragment = "Gr\xC3\xBC\xC3\x9F" "e", post = "<!--EndFragment--></body></html>";
    char h[400];
    const char* format = "Version:0.9\r\nStartHTML:%010lld\r\nEndHTML:%010lld\nStartFragment:%010lld\r\nEndFragment:%010lld\r\n%s";
    const long long L = std::snprintf(h, sizeof h, format, 0ll, 0ll, 0ll, 0ll, extra), p = pre.size(), f = fragment.size();
    long long v[4] = {L, L + p + f + static_cast<long long>(post.size()), L + p, L + p + f};
    for (size_t i = 0; i < tweak.size(); ++i) v[i] = tweak.begin()[i] == -2 ? v[i] : tweak.begin()[i];
    std::snprintf(h, sizeof h, format, v[0], v[1], v[2], v[3], extra);
    return h + pre + fragment + post;
}
uint64_t value_at(const Bytes& b, const char* name) { return b.find(name) + std::strlen(name) + 1; }
Bytes descriptor(bool isWide, uint32_t flags, const char* name, size_t nameLength) {
    Bytes d = le32({flags, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x11, 0x12, 0x21, 0x22, 0x31, 0x32, 1, 2});
    Bytes field = isWide ? wide(name, nameLength) : Bytes(name, nameLength);
    return d + field + Bytes((isWide ? 520 : 260) - field.size(), '\0');
}

}  // namespace

TEST(Formats, ViewerByIdThenName) {
    using V = FormatViewer;
    struct Row { int id; const char16_t* name; V viewer; const char* log; } rows[] = {
        {1, u"HTML Format", V::AnsiText, "CF_TEXT"}, {2, nullptr, V::Bitmap, "CF_BITMAP"}, {8, nullptr, V::Pane, "CF_DIB"},
        {3, nullptr, V::MetafilePict, "CF_METAFILEPICT"}, {13, nullptr, V::WideText, "CF_UNICODETEXT"}, {15, nullptr, V::Hdrop, "CF_HDROP"},
        {14, nullptr, V::EnhMetafile, "CF_ENHMETAFILE"}, {16, nullptr, V::Locale, "CF_LOCALE"}, {17, nullptr, V::Pane, "CF_DIBV5"},
        {0, nullptr, V::Pane, "No viewer"}, {-11, nullptr, V::Pane, "No viewer"}, {7, u"", V::Pane, "No viewer"},
        {0xC001, u"FileName", V::AnsiText, "cf_filename"}, {0xC002, u"FILENAMEW", V::WideText, "cf_filenamew"},
        {0xC003, u"html format", V::Html, "HTML Format"}, {0xC004, u"FileGroupDescriptor", V::FileGroup, "FileGroupDescriptor"},
        {0xC005, u"FileGroupDescriptorW", V::FileGroupW, "FileGroupDescriptorW"}, {0xC009, u"image/png", V::Image, "PNG"},
        {0xC00C, u"Rich Text Format", V::AnsiText, "8-bit text"}, {0xC00D, u"text/html", V::Utf8Text, "UTF-8 text"},
        {0xC00E, u"text/x-moz-url", V::WideText, "UTF-16 text"}, {0xC00F, u"Preferred DropEffect", V::Pane, "No viewer"},
    };
    for (const Row& r : rows) {
        FormatViewerChoice c = formats_choose_viewer(r.id, r.name);
        EXPECT_EQ(c.viewer, r.viewer) << r.log;
        EXPECT_STREQ(c.name, r.log);
        EXPECT_STREQ(c.then, r.id == 8 || r.id == 17 ? "No viewer" : nullptr) << r.log;  // the DIBs log both lines, as before
    }
}

TEST(Formats, TextLikeNamesSpansAndUrls) {
    using T = FormatsText;
    const std::pair<const char16_t*, T> names[] = {
        {u"text/plain;charset=utf-8", T::Utf8}, {u"Text/Plain; Charset=\"UTF-16\"", T::Utf16}, {u"text/plain;charset=cp1252;x=1", T::Ansi8},
        {u"application/x-y;charset=utf8", T::Utf8}, {u"TEXT/URI-LIST", T::Utf8}, {u"RTF As Text", T::Ansi8}, {u"HTML Format", T::Utf8},
        {u"text/unicode", T::Utf16}, {u"charset=utf-16", T::None}, {u"x-text/plain", T::None}, {u"Csv", T::Ansi8}, {nullptr, T::None},
    };
    for (const auto& n : names) EXPECT_EQ(formats_text_encoding(n.first), n.second);
    const Bytes narrow("ab\0c", 4), units("a\0\0b\0\0", 6);
    struct Span { const Bytes* b; size_t size, offset; bool wide; size_t bytes; bool terminated; } spans[] = {
        {&narrow, 4, 0, false, 2, true}, {&narrow, 2, 0, false, 2, false}, {&narrow, 4, 3, false, 1, false},
        {&narrow, 4, 4, false, 0, false}, {&narrow, 4, 9, false, 0, false}, {&units, 6, 0, true, 4, true},
        {&units, 3, 0, true, 2, false}, {&units, 6, 1, true, 0, true}, {&units, 4, 3, true, 0, false},
    };
    for (const Span& s : spans) {
        TextSpan t = formats_text_span(u8(*s.b), s.size, s.offset, s.wide);
        EXPECT_TRUE(t.offset == s.offset && t.bytes == s.bytes && t.terminated == s.terminated) << s.size << " " << s.offset;
    }
    const Bytes url("http://x\0junk", 13), urlw = wide("http://y", 8);
    EXPECT_EQ(formats_report(FormatViewer::Url, u8(url), url.size()), u"Address: http://x\r\n");
    EXPECT_EQ(formats_report(FormatViewer::UrlW, u8(urlw), urlw.size()),
              u"Address: http://y\r\nError at offset 16: the address has no terminator\r\n");
}

TEST(Formats, HtmlHeaderFragmentAndHostileHeaders) {
    const Bytes b = html_block("SourceURL: https://example.org/a \r\nStartSelection:-1\r\nEndSelection:-000000001\r\n");
    HtmlFormat h = formats_parse_html(u8(b), b.size());
    EXPECT_TRUE(h.problems.empty() && h.ordered && h.hasFragment && h.headerEnd == b.find("<html>"));
    EXPECT_EQ(b.substr(h.fragmentBegin, h.fragmentEnd - h.fragmentBegin), "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_TRUE(h.fields[kHtmlEndSelection].number == -1 && h.fields[kHtmlEndHtml].number == static_cast<long long>(b.size()));
    std::u16string r = formats_report(FormatViewer::Html, u8(b), b.size());
    EXPECT_TRUE(has(r, "\r\nSourceURL: https://example.org/a\r\nOffsets in order: yes\r\nFragment: bytes "));
    EXPECT_TRUE(has(r, "StartSelection: -1 (absent)\r\n") && has(r, " (inside the block)\r\nEndFragment: 0000000"));
    EXPECT_NE(r.find(u"(7 bytes, UTF-8)\r\nGrüße"), r.npos);
    const Bytes sel("StartSelection:0000000001\r\nEndSelection:0000009999\r\n"),
        nan("Version:1.0\r\nStartFragment:12x\r\nEndFragment:1234567890123456789");  // ends with its last line
    struct Row { Bytes block; const char* field; const char* what; bool ordered, fragment; } rows[] = {
        {html_block("", {-2, -2, -2, 100000}), "EndFragment", "lies past the end", false, true},
        {html_block("", {-2, 99999}), "EndHTML", "lies past the end of the block", true, true},
        {html_block("", {-2, -2, -5}), "StartFragment", "StartFragment -5 is negative", true, false},
        {html_block("", {-2, -2, -1}), "StartFragment", "-1 is negative", true, false}, {html_block("", {-1, -1}), 0, 0, true, true},
        {html_block("", {-1, -1, 5}), "StartFragment", "points into the header", false, true},
        {html_block("", {-2, -2, -2, 120}), "EndFragment", "EndFragment 120 lies before StartFragment 136", false, false},
        {html_block("", {200}), "StartFragment", "lies before StartHTML 200", false, true},
        {html_block(sel.c_str()), "StartSelection", "StartSelection 1 lies before StartFragment", false, true},
        {nan, "StartFragment", "not a number", true, false}, {nan, "EndFragment", "not a number", true, false},
    };
    for (const Row& r : rows) {
        h = formats_parse_html(u8(r.block), r.block.size());
        EXPECT_TRUE(r.field ? problem_at(h.problems, value_at(r.block, r.field), r.what) : h.problems.empty()) << r.what;
        EXPECT_TRUE(h.ordered == r.ordered && h.hasFragment == r.fragment) << r.what;
        EXPECT_EQ(has(formats_report(FormatViewer::Html, u8(r.block), r.block.size()), "Error at offset "), r.field != nullptr);
    }
    const Bytes bare("Version:1.0\nStartHTML:0\rEndHTML");  // the last line has no colon: the header ends before it
    h = formats_parse_html(u8(bare), bare.size());
    EXPECT_TRUE(h.headerEnd == 24 && problem_at(h.problems, 24, "EndHTML is missing") && problem_at(h.problems, 24, "EndFragment is missing"));
    EXPECT_TRUE(h.fields[kHtmlStartHtml].inside && h.fields[kHtmlVersion].present && !h.fields[kHtmlSourceUrl].present);
    EXPECT_EQ(formats_parse_html(nullptr, 10).problems.size(), 5u);
}

TEST(Formats, DropFiles) {
    auto block = [](uint32_t files, uint32_t isWide, const Bytes& tail) { return le32({files, 3, 0xFFFFFFFC, 1, isWide}) + tail; };
    struct Row { Bytes b; size_t names; bool terminated; uint64_t at; const char* what; } rows[] = {
        {block(20, 1, wide("C:\\a.txt\0C:\\b\0\0", 15)), 2, true, 0, nullptr}, {block(20, 0, Bytes("a\0bc\0\0", 6)), 2, true, 0, nullptr},
        {block(1000, 0, Bytes("\0", 1)), 0, false, 0, "past the end"}, {block(4, 0, Bytes()), 1, true, 0, "inside the header"},
        {block(21, 1, Bytes("\0a\0\0\0\0", 7)), 1, true, 0, "odd"}, {block(20, 0, Bytes("a\0b\0", 4)), 2, false, 24, "final terminator"},
        {block(20, 1, wide("ab", 2) + "c"), 1, false, 20, "without its terminator"}, {block(20, 1, Bytes()), 0, false, 20, "final terminator"},
        {block(20, 0, Bytes()).substr(0, 19), 0, false, 0, "too few"},
    };
    for (const Row& r : rows) {
        DropFiles d = formats_parse_hdrop(u8(r.b), r.b.size());
        EXPECT_TRUE(d.names.size() == r.names && d.terminated == r.terminated) << r.what;
        EXPECT_TRUE(r.what ? problem_at(d.problems, r.at, r.what) : d.problems.empty()) << r.what;
    }
    EXPECT_EQ(formats_report(FormatViewer::Hdrop, u8(rows[0].b), rows[0].b.size()),
              u"Files offset: 20\r\nPoint: (3, -4)\r\nNon-client area: 1\r\nWide names: 1\r\nFiles: 2\r\nC:\\a.txt\r\nC:\\b\r\n");
    FormatsPlatform latin{[](const uint8_t*, size_t n) { return std::u16string(n, u'#'); }};
    EXPECT_TRUE(has(formats_report(FormatViewer::Hdrop, u8(rows[1].b), rows[1].b.size(), latin), "Files: 2\r\n#\r\n##\r\n"));
}

TEST(Formats, FileGroupDescriptors) {
    const Bytes two = le32({2}) + descriptor(true, kFdAttributes | kFdWriteTime | kFdFileSize | 0x100, "one.txt", 7) +
                      descriptor(true, 0, "two", 3);
    FileGroup g = formats_parse_filegroup(u8(two), two.size(), true);
    ASSERT_EQ(g.items.size(), 2u);
    EXPECT_TRUE(g.problems.empty() && g.items[1].offset == 596 && g.items[0].name.offset + g.items[0].name.bytes == 4 + 72 + 14);
    FormatsPlatform pf{nullptr, [](uint64_t t) { return std::u16string(t == 0x3200000031u ? u"W" : u"?"); }};
    const std::u16string r = formats_report(FormatViewer::FileGroupW, u8(two), two.size(), pf);
    EXPECT_EQ(r, u"Descriptors: 2\r\nDescriptor 1 at offset 4: one.txt\r\n  Flags: 0x00000164 (FD_ATTRIBUTES | FD_WRITESTIME | "
                 u"FD_FILESIZE | 0x100)\r\n  Attributes: 0x00000010\r\n  Size: 4294967298 bytes (high 0x00000001, low "
                 u"0x00000002)\r\n  Written: W (FILETIME 0x0000003200000031)\r\nDescriptor 2 at offset 596: two\r\n  Flags: "
                 u"0x00000000\r\n  Attributes: 0x00000010 (not flagged)\r\n");
    const Bytes b = le32({1}) + descriptor(false, kFdCreateTime | kFdAccessTime | kFdUnicode, "x", 1);
    EXPECT_TRUE(has(formats_report(FormatViewer::FileGroup, u8(b), b.size()), "(FD_CREATETIME | FD_ACCESSTIME | FD_UNICODE)\r\n  Attributes: 0x"
                    "00000010 (not flagged)\r\n  Created: (FILETIME 0x0000001200000011)\r\n  Accessed: (FILETIME 0x0000002200000021)"));
    struct Row { Bytes b; bool isWide; size_t items; uint64_t at; const char* what; } rows[] = {
        {le32({0xFFFFFFFF}) + descriptor(true, 0, "a", 1), true, 1, 0, "4294967295 descriptors need 2542620638644 bytes"},
        {le32({3}) + descriptor(false, 0, "a", 1) + descriptor(false, 0, "b", 1) + "x", false, 2, 0, "3 descriptors need 1000 bytes"},
        {le32({1}) + descriptor(false, 0, Bytes(260, 'n').c_str(), 260), false, 1, 76, "without a terminator"},
        {le32({1}) + descriptor(true, 0, "a", 1).substr(0, 591), true, 0, 0, "need 596 bytes"}, {Bytes("\1\0\0", 3), true, 0, 0, "too few"},
    };
    for (const Row& row : rows) {
        FileGroup f = formats_parse_filegroup(u8(row.b), row.b.size(), row.isWide);
        EXPECT_TRUE(f.items.size() == row.items && problem_at(f.problems, row.at, row.what)) << row.what;
    }
}

TEST(Formats, ShellIdListArray) {
    const Bytes chain("\0\0\4\0ab\0\0", 8), good = le32({1, 12, 14}) + chain;  // the parent: only a terminator; the item: one id
    IdListArray a = formats_parse_idlist(u8(good), good.size());
    EXPECT_TRUE(a.ok && a.problems.empty());
    std::vector<std::u16string> names = {u"Desktop", u"ab"};
    FormatsPlatform pf{nullptr, nullptr, &names};
    EXPECT_TRUE(has(formats_report(FormatViewer::IdList, u8(good), good.size(), pf),
                    "Items: 1 and the parent folder\r\nOffsets: 12 14\r\nParent folder at offset 12: item sizes 0\r\n  Name: Desktop\r\n"
                    "Item 1 at offset 14: item sizes 4, 0\r\n  Name: ab\r\nStructure checks out: yes\r\n"));
    struct Row { Bytes b; size_t lists; uint64_t at; const char* what; } rows[] = {
        {le32({1, 12, 100}) + chain, 2, 100, "list 1: the offset lies past the end"},
        {le32({1, 12, 14}) + Bytes("\0\0\x32\0", 4), 2, 14, "an item of 50 bytes runs past the end"},
        {le32({1, 12, 14}) + chain.substr(0, 6), 2, 18, "list 1: the chain ends without its terminator"},
        {le32({1, 12, 14}) + Bytes("\0\0\1\0\0\0", 6), 2, 14, "an item size of 1 is smaller"},
        {le32({0xFFFFFFFF, 8}) + chain, 3, 0, "need 17179869188 bytes"}, {le32({2, 12}), 1, 0, "need 16 bytes"},
        {le32({0, 8}) + wide(Bytes(kFormatsMaxChain + 1, '\2').c_str(), kFormatsMaxChain + 1) + Bytes(2, '\0'), 1, 8 + 2 * kFormatsMaxChain,
         "more than 512 items"},
        {Bytes("\0\0\0", 3), 0, 0, "too few"}, {le32({0}), 0, 0, "need 8 bytes"},
    };
    for (const Row& r : rows) {
        IdListArray l = formats_parse_idlist(u8(r.b), r.b.size());
        EXPECT_TRUE(!l.ok && l.lists.size() == r.lists && problem_at(l.problems, r.at, r.what)) << r.what;
        EXPECT_FALSE(has(formats_report(FormatViewer::IdList, u8(r.b), r.b.size(), pf), "Name:")) << r.what;
    }
}
