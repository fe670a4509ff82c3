// The formats that browsers, office programs and the shell exchange, read
// without the platform: which viewer a format gets, and parsers for the
// structured ones. The bytes come from another program: every offset, count
// and length read from them is checked against the block before it is
// followed. A parser keeps what it could read and records each place where
// the data is wrong with its byte offset; a report shows both.
//
// Reports are UTF-16 with lines joined by "\r\n", for a read-only edit.
// UTF-8 (the HTML header and fragment) is converted here, an invalid byte
// becoming U+FFFD; 8-bit names depend on the system code page, so the window
// passes a converter (FormatsPlatform).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---- Which viewer ----

enum class FormatViewer {
    Pane,          // the viewer pane: the DIBs, bitmap files, or its message
    AnsiText,      // 8-bit text up to the first zero: CF_TEXT, "FileName", 8-bit text-like names
    WideText,      // UTF-16 text up to the first zero unit: CF_UNICODETEXT, "FileNameW", UTF-16 names
    Utf8Text,      // UTF-8 text up to the first zero: "text/html", "text/plain;charset=utf-8", ...
    Locale,        // the CF_LOCALE description
    Html,          // formats_report: "HTML Format"
    Hdrop,         // formats_report: CF_HDROP
    FileGroup,     // formats_report: "FileGroupDescriptor" (8-bit names)
    FileGroupW,    // formats_report: "FileGroupDescriptorW"
    IdList,        // formats_report: "Shell IDList Array"
    Url,           // formats_report: "UniformResourceLocator"
    UrlW,          // formats_report: "UniformResourceLocatorW"
    Image,         // PNG, JPEG, GIF bytes for the platform's imaging component
    EnhMetafile,   // CF_ENHMETAFILE bytes
    MetafilePict,  // CF_METAFILEPICT bytes
    Bitmap,        // CF_BITMAP bytes: the DIB they were captured as
};

struct FormatViewerChoice {
    FormatViewer viewer;
    const char* name;  // for the log line "Activate '%s' viewer"
    const char* then;  // the name of a second such line, or null: the DIBs log 'No viewer' after theirs
};

// `format` is the entry's id (0 for files and the ASCII table, negative for
// the program's own kinds such as bitmap files); `name` the registered name,
// null or empty for ids that have none. Names compare without case, as the
// platform registers them. Predefined ids decide first: CF_TEXT 'CF_TEXT',
// CF_BITMAP 'CF_BITMAP', CF_METAFILEPICT 'CF_METAFILEPICT', CF_DIB 'CF_DIB'
// then 'No viewer', CF_UNICODETEXT 'CF_UNICODETEXT', CF_ENHMETAFILE
// 'CF_ENHMETAFILE', CF_HDROP 'CF_HDROP', CF_LOCALE 'CF_LOCALE', CF_DIBV5
// 'CF_DIBV5' then 'No viewer'. Then names: "FileName" 'cf_filename',
// "FileNameW" 'cf_filenamew', the structured ones under their own name,
// "PNG"/"image/png" 'PNG', "JFIF"/"image/jpeg" 'JPEG', "GIF"/"image/gif"
// 'GIF', text-like names (formats_text_encoding) '8-bit text', 'UTF-8 text'
// or 'UTF-16 text'. Everything else: Pane, 'No viewer'.
FormatViewerChoice formats_choose_viewer(int format, const char16_t* name);

// ---- Text-like registered names ----

enum class FormatsText { None, Ansi8, Utf8, Utf16 };

// By rule, from the name alone: a charset parameter decides when there is one
// ("utf-8"/"utf8" UTF-8, "utf-16"/"utf-16le"/"ucs-2" UTF-16, any other 8-bit);
// else "Rich Text Format", "Rich Text Format Without Objects", "RTF As Text"
// and "Csv" are 8-bit, "HTML Format" UTF-8, "text/x-moz-url" and
// "text/unicode" UTF-16, any other "text/*" UTF-8.
FormatsText formats_text_encoding(const char16_t* name);

// Bytes of a block, always inside it.
struct TextSpan {
    size_t offset;
    size_t bytes;     // the text without its terminator; even for wide text
    bool terminated;  // a zero (unit) follows inside the block
};
// The text at `offset` up to its first zero (wide: zero unit, whole units
// only), or to the end of the block. An offset at or past the end gives no bytes.
TextSpan formats_text_span(const uint8_t* data, size_t size, size_t offset, bool wide);

// One place where the data is wrong.
struct FormatProblem {
    uint64_t offset;   // byte offset in the block
    std::string what;  // ASCII
};

// Lists longer than this are cut (names, descriptors, item lists), and an
// item list longer than kFormatsMaxChain items counts as broken: that bounds
// the work a hostile block can ask for.
constexpr size_t kFormatsMaxItems = 65536;
constexpr size_t kFormatsMaxChain = 512;

// ---- "HTML Format" ----

enum HtmlField {
    kHtmlVersion, kHtmlStartHtml, kHtmlEndHtml, kHtmlStartFragment, kHtmlEndFragment,
    kHtmlStartSelection, kHtmlEndSelection, kHtmlSourceUrl, kHtmlFieldCount
};

struct HtmlHeaderField {
    bool present;     // the header has the line (the first one counts)
    TextSpan value;   // after the colon, spaces trimmed
    bool numeric;     // offset fields: "-"? and 1..18 decimal digits
    int64_t number;   // offset fields: the value; -1 stands for "absent"
    bool inside;      // 0 <= number <= block size
};

struct HtmlFormat {
    HtmlHeaderField fields[kHtmlFieldCount];
    size_t headerEnd;  // the first byte after the "Name:value" lines
    bool ordered;      // StartHTML <= StartFragment <= EndFragment <= EndHTML, the
                       // selection inside the fragment, nothing in the header
    bool hasFragment;  // fragmentBegin..fragmentEnd: the fragment, cut at the block end
    size_t fragmentBegin, fragmentEnd;
    std::vector<FormatProblem> problems;
};

// Header lines are "Name:value" ended by CR, LF or CR LF; the header ends at
// the first other line. Version, StartHTML, EndHTML, StartFragment and
// EndFragment must be there; StartHTML/EndHTML and the selection may be -1.
HtmlFormat formats_parse_html(const uint8_t* data, size_t size);

// ---- CF_HDROP ----

struct DropFiles {
    bool header;        // the 20-byte DROPFILES header is there; the fields below are read
    uint32_t filesOffset;
    int32_t x, y;
    uint32_t nonClient, wide;
    std::vector<TextSpan> names;  // 8-bit, or UTF-16 when `wide` is not 0
    bool terminated;    // the list ends with its empty name
    std::vector<FormatProblem> problems;
};
DropFiles formats_parse_hdrop(const uint8_t* data, size_t size);

// ---- "FileGroupDescriptorW" / "FileGroupDescriptor" ----

enum : uint32_t {
    kFdClsid = 0x1, kFdSizePoint = 0x2, kFdAttributes = 0x4, kFdCreateTime = 0x8, kFdAccessTime = 0x10,
    kFdWriteTime = 0x20, kFdFileSize = 0x40, kFdProgressUi = 0x4000, kFdLinkUi = 0x8000, kFdUnicode = 0x80000000,
};

struct FileDescriptor {
    size_t offset;  // of the descriptor in the block
    uint32_t flags, attributes, sizeHigh, sizeLow;
    uint64_t created, accessed, written;  // raw FILETIMEs; meaningful only with their FD_ flag
    TextSpan name;  // inside the 260-character name field
};

struct FileGroup {
    bool header;   // the count is there
    uint32_t count;
    bool wide;
    std::vector<FileDescriptor> items;  // the whole descriptors the block holds, at most `count`
    std::vector<FormatProblem> problems;
};
FileGroup formats_parse_filegroup(const uint8_t* data, size_t size, bool wide);

// ---- "Shell IDList Array" (CIDA) ----

struct IdList {
    uint32_t offset;
    std::vector<uint16_t> sizes;  // each SHITEMID's size as read, the terminator's 0 last
    bool ok;                      // ends with its terminator, every item inside the block
};

struct IdListArray {
    bool header;    // the count is there
    uint32_t count; // items; the lists are count + 1, the parent folder first
    std::vector<IdList> lists;
    bool ok;        // every offset and every list checks out: only then may the shell be asked
    std::vector<FormatProblem> problems;
};
IdListArray formats_parse_idlist(const uint8_t* data, size_t size);

// ---- Reports ----

struct FormatsPlatform {
    // 8-bit text in the system code page; null: each byte as U+0000..U+00FF.
    std::u16string (*text8)(const uint8_t* bytes, size_t length) = nullptr;
    // A FILETIME as local date and time; null: only the raw value is shown.
    std::u16string (*fileTime)(uint64_t fileTime) = nullptr;
    // Display names of a CIDA's lists, parent first, for formats_parse_idlist's
    // ok result only; shown when given.
    const std::vector<std::u16string>* idListNames = nullptr;
};

// The report for Html, Hdrop, FileGroup, FileGroupW, IdList, Url and UrlW;
// empty for the other viewers. The header values come first, then one line
// "Error at offset N: ..." for each problem, then the content (fragment,
// names, descriptors). The ID list shows its lists before the problems and
// ends with "Structure checks out: yes" or "no".
std::u16string formats_report(FormatViewer viewer, const uint8_t* data, size_t size,
                              const FormatsPlatform& platform = {});
