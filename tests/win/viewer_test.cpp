// Which viewer of the real main window shows an entry, with what text, and the dump's view kept per entry.
#include "win_test.h"
#include "base/win_raii.h"
#include "entries/entries.h"
#include "hexdump/uihexdump.h"
#include "splitter/splitter.h"
#include "viewer/viewer.h"
#include "viewer/viewer_draw.h"

#include <shlobj.h>

#include <tuple>

namespace {

using V = std::vector<long long>;

struct Viewers : MainWindowFixture {
    MainWindowState* s = state();
    int add(INT format, const std::string& bytes) {
        DataEntry& e = (entry_append(&s->entries), s->entries.items[s->entries.count - 1]);
        e = {GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1), static_cast<UINT>(bytes.size()), format, 0, 0, 0, 0, 0};
        return memcpy(GlobalLockGuard(e.data).get(), bytes.data(), bytes.size()), s->entries.count - 1;
    }
    std::wstring shown() const {  // id and text of the splitter's viewer, when it is the one viewer visible
        HWND first = nullptr, second = nullptr;
        wchar_t t[256] = L"";
        char a[256] = "";
        SendMessageW(s->viewer.outerSplitter, UISPM_GETPANES, WPARAM(&first), LPARAM(&second));
        IsWindowUnicode(second) ? SendMessageW(second, WM_GETTEXT, 256, LPARAM(t)) : SendMessageA(second, WM_GETTEXT, 256, LPARAM(a));
        const bool alone = IsWindowVisible(second) && IsWindowVisible(s->viewer.viewerPane) + IsWindowVisible(s->viewer.ansiEdit) + IsWindowVisible(s->viewer.wideEdit) == 1;
        return std::to_wstring(alone ? GetDlgCtrlID(second) : 0) + L":" + t + std::wstring(a, a + strlen(a));
    }
};

}  // namespace

TEST(ViewerSwitch, EachEntryGetsItsViewerAndKeepsItsView) {
    Viewers f;
    const std::wstring english = [] { wchar_t n[81] = {}; return GetLocaleInfoW(0x0409, LOCALE_SLANGUAGE, n, 80), std::wstring(n); }();
    const std::tuple<INT, std::string, std::wstring, const char*> cases[] = {  // format, bytes, viewer id and text, log line
        {CF_TEXT, std::string("ab\0cd", 5), L"4567:ab", "Activate 'CF_TEXT' viewer"}, {INT(cf_filename), "C:\\a", L"4567:C:\\a", "Activate 'cf_filename' viewer"},
        {CF_UNICODETEXT, std::string("W\0i\0d", 5), L"4568:Wi", "Activate 'CF_UNICODETEXT' viewer"},
        {INT(cf_filenamew), std::string("C\0:\0\xE4\0", 6), L"4568:C:\u00E4", "Activate 'cf_filenamew' viewer"},
        {CF_LOCALE, std::string("\x09\x04\0\0", 4), L"4568:Language: '" + english + L"' (0x0409)\r\nSort order: 0 (0x0000)\r\n",
         "Activate 'CF_LOCALE' viewer"},
        {CF_DIB, "dib", L"1357:", "Activate 'CF_DIB' viewer"}, {CF_DIBV5, "v5", L"1357:", "Activate 'CF_DIBV5' viewer"},
        {CF_ENHMETAFILE, "emf", L"1357:", "Activate 'CF_ENHMETAFILE' viewer"},
    };
    for (auto& [format, bytes, shown, line] : cases) {
        SendMessageW(f.s->viewer.hexDump, UIHDM_SETSEL, 1, 2);  // the outgoing entry's view is kept
        StdoutCapture out;
        main_activate_item_viewer(f.s, f.add(format, bytes));
        EXPECT_EQ(V({f.shown() == shown, out.has(' ', line)}), V({1, 1})) << line;
    }
    int anchor = -1, caret = -1;
    main_activate_item_viewer(f.s, 0), SendMessageW(f.s->viewer.hexDump, UIHDM_GETSEL, WPARAM(&anchor), LPARAM(&caret));
    main_activate_item_viewer(f.s, 99);  // past the table: none
    EXPECT_EQ(V({anchor, caret, f.shown() == L"1357:", f.s->entries.active}), V({1, 2, 1, -1}));
}

// A Unicode text that cannot be copied shows as empty, failure logged, not as the last one (out of moveable handles).
TEST(ViewerText, AFailedCopyShowsNoTextAndSaysSo) {
    Viewers f;
    main_activate_item_viewer(f.s, f.add(CF_UNICODETEXT, std::string("o\0l\0d\0", 6)));
    const int next = f.add(CF_UNICODETEXT, std::string("n\0e\0w\0", 6));
    StdoutCapture out;
    std::vector<HGLOBAL> handles(1 << 17);
    for (HGLOBAL& h : handles) h = GlobalAlloc(GMEM_MOVEABLE, 1);
    main_activate_item_viewer(f.s, next);
    for (HGLOBAL h : handles) GlobalFree(h);
    EXPECT_EQ(V({f.shown() == L"4568:", out.has('E', "Failed to copy the text for the viewer.")}), V({1, 1}));
}

// The structured and text-like formats on blocks as programs write them: the report (or text) in a read-only edit.
TEST(ViewerFormats, StructuredBlocksShowTheirReport) {
    Viewers f;
    auto id = [](const wchar_t* name) { return INT(RegisterClipboardFormatW(name)); };
    const std::string body = "<html><body><!--StartFragment--><b>Gr\xC3\xBC\xC3\x9F" "e</b><!--EndFragment--></body></html>";
    char header[200];
    const int headerSize = snprintf(header, sizeof header, "Version:0.9\r\nStartHTML:%010d\r\nEndHTML:%010d\r\nStartFragment:%010d\r\n"
                                    "EndFragment:%010d\r\nSourceURL:https://example.org/\r\n", 0, 0, 0, 0);
    snprintf(header, sizeof header, "Version:0.9\r\nStartHTML:%010d\r\nEndHTML:%010d\r\nStartFragment:%010d\r\nEndFragment:%010d\r\n"
             "SourceURL:https://example.org/\r\n", headerSize, headerSize + int(body.size()), headerSize + int(body.find("<b>")),
             headerSize + int(body.find("<!--End")));
    const std::wstring names(L"C:\\one.txt\0D:\\two\\b.txt\0\0", 25);
    DROPFILES drop{sizeof drop, {3, 4}, FALSE, TRUE};
    const std::string hdrop = std::string(reinterpret_cast<char*>(&drop), sizeof drop) + std::string(reinterpret_cast<const char*>(names.data()), 2 * 25);
    struct { UINT count; FILEDESCRIPTORW fd[2]; } group{};
    group.count = 2, group.fd[0].dwFlags = FD_FILESIZE | FD_WRITESTIME, group.fd[0].nFileSizeLow = 5;
    group.fd[0].ftLastWriteTime = {0xD53E8000, 0x019DB1DE};  // 1970-01-01 00:00 UTC
    lstrcpyW(group.fd[0].cFileName, L"one.txt"), lstrcpyW(group.fd[1].cFileName, L"two.bin");
    PIDLIST_ABSOLUTE drive = nullptr;
    SHParseDisplayName(L"C:\\", nullptr, &drive, 0, nullptr);
    const UINT cida[3] = {1, 12, 14};  // the desktop's empty list as the parent, then the drive's
    const std::string idList = std::string(reinterpret_cast<const char*>(cida), 12) + std::string(2, '\0') +
                               std::string(reinterpret_cast<const char*>(drive), drive ? ILGetSize(drive) : 0);
    ILFree(drive);
    const std::tuple<INT, std::string, int, std::vector<std::wstring>, const char*> cases[] = {  // format, bytes, edit, texts, log name
        {id(L"HTML Format"), header + body, IDC_WIDE_EDIT, {L"SourceURL: https://example.org/\r\n", L"Offsets in order: yes", L"\r\n<b>Gr\u00FC\u00DFe</b>"}, "HTML Format"},
        {CF_HDROP, hdrop, IDC_WIDE_EDIT, {L"Point: (3, 4)\r\n", L"Wide names: 1\r\nFiles: 2\r\nC:\\one.txt\r\nD:\\two\\b.txt\r\n"}, "CF_HDROP"},
        {id(L"FileGroupDescriptorW"), std::string(reinterpret_cast<char*>(&group), sizeof group), IDC_WIDE_EDIT,
         {L"Descriptors: 2\r\nDescriptor 1 at offset 4: one.txt\r\n", L"Size: 5 bytes", L"1970", L"Descriptor 2 at offset 596: two.bin\r\n"}, "FileGroupDescriptorW"},
        {id(L"Shell IDList Array"), idList, IDC_WIDE_EDIT, {L"Parent folder at offset 12: item sizes 0\r\n  Name: ", L"Item 1 at offset 14: item sizes ",
         L"(C:)\r\nStructure checks out: yes"}, "Shell IDList Array"},
        {id(L"UniformResourceLocatorW"), std::string("h\0t\0t\0p\0:\0/\0/\0x\0\0\0", 18), IDC_WIDE_EDIT, {L"Address: http://x\r\n"}, "UniformResourceLocatorW"},
        {id(L"text/html"), "<p>Gr\xC3\xBC\xC3\x9F" "e</p>", IDC_WIDE_EDIT, {L"<p>Gr\u00FC\u00DFe</p>"}, "UTF-8 text"},
        {id(L"Rich Text Format"), "{\\rtf1 hi}", IDC_ANSI_EDIT, {L"{\\rtf1 hi}"}, "8-bit text"},
    };
    for (auto& [format, bytes, edit, texts, name] : cases) {
        StdoutCapture out;
        main_activate_item_viewer(f.s, f.add(format, bytes));
        HWND shown = GetDlgItem(f.window, edit);
        std::wstring text(size_t(GetWindowTextLengthW(shown)) + 1, L'\0');
        text.resize(size_t(GetWindowTextW(shown, text.data(), int(text.size()))));
        if (!IsWindowUnicode(shown)) text = std::wstring(text.begin(), text.end());
        EXPECT_TRUE(IsWindowVisible(shown) && (GetWindowLongW(shown, GWL_STYLE) & ES_READONLY) &&
                    out.has(' ', std::string("Activate '") + name + "' viewer")) << name;
        for (const std::wstring& want : texts) EXPECT_NE(text.find(want), std::wstring::npos) << name << ": " << std::string(want.begin(), want.end());
    }
}

// Pictures in the pane, fitted (mode 1) into 200 by 100: a 2x2 PNG's four colours, an EMF's and a METAFILEPICT's
// rectangle, CF_BITMAP's DIB; an image enlarged keeps its pixels sharp; a PNG the decoder refuses shows its result code instead.
TEST(ViewerPictures, DecodedAndPlayedIntoThePane) {
    Viewers f;
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255), white = RGB(255, 255, 255);
    const std::string png("\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x02\x08\x02\x00\x00\x00\xFD\xD4"
                          "\x9A\x73\x00\x00\x00\x12\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\xC0\x00\xC2\x0C\xFF\x81\x00\x00\x1F\xEE\x05\xFB\x0B\xD9"
                          "\x68\x8B\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82", 75);  // red, green / blue, white
    auto draw = [](HDC dc) {
        HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
        HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        Rectangle(dc, 10, 10, 91, 61);
        SelectObject(dc, oldBrush), SelectObject(dc, oldPen), DeleteObject(brush);
    };
    HDC emfDc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    draw(emfDc);
    HENHMETAFILE emf = CloseEnhMetaFile(emfDc);
    std::string emfBytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
    GetEnhMetaFileBits(emf, UINT(emfBytes.size()), reinterpret_cast<BYTE*>(emfBytes.data())), DeleteEnhMetaFile(emf);
    HDC wmfDc = CreateMetaFileW(nullptr);
    SetWindowExtEx(wmfDc, 100, 70, nullptr), draw(wmfDc);
    HMETAFILE wmf = CloseMetaFile(wmfDc);
    const LONG head[3] = {MM_ANISOTROPIC, 0, 0};
    std::string pict(reinterpret_cast<const char*>(head), 12);
    pict.resize(12 + GetMetaFileBitsEx(wmf, 0, nullptr)), GetMetaFileBitsEx(wmf, UINT(pict.size() - 12), pict.data() + 12), DeleteMetaFile(wmf);
    BITMAPINFOHEADER dib{sizeof dib, 2, 1, 1, 32, BI_RGB, 8, 0, 0, 0, 0};
    const std::string bitmap = std::string(reinterpret_cast<char*>(&dib), sizeof dib) + std::string("\0\0\xFF\0\xFF\0\0\0", 8);  // red, blue
    const INT pngId = INT(RegisterClipboardFormatW(L"PNG"));
    const std::tuple<INT, std::string, const char*, std::vector<std::pair<POINT, COLORREF>>> cases[] = {  // format, bytes, log, probes
        {pngId, png, "PNG", {{{77, 27}, red}, {{122, 27}, green}, {{77, 72}, blue}, {{122, 72}, white}}},
        {CF_ENHMETAFILE, emfBytes, "CF_ENHMETAFILE", {{{100, 50}, red}, {{40, 10}, red}, {{20, 50}, white}, {{180, 50}, white}}},
        {CF_METAFILEPICT, pict, "CF_METAFILEPICT", {{{100, 50}, red}}},
        {CF_BITMAP, bitmap, "CF_BITMAP", {{{11, 50}, red}, {{189, 50}, blue}}},  // halftone blends the two in between
        {CF_DIB, bitmap, "CF_DIB", {{{11, 50}, red}, {{189, 50}, blue}}},
    };
    WindowDC screen(nullptr);
    MemoryCanvas canvas(screen.get(), 200, 100);
    const RECT all{0, 0, 200, 100};
    for (auto& [format, bytes, name, probes] : cases) {
        StdoutCapture out;
        main_activate_item_viewer(f.s, f.add(format, bytes));
        viewer_pane_paint(&f.s->viewer, &f.s->entries, canvas.dc(), &all);
        EXPECT_TRUE(out.has(' ', std::string("Activate '") + name + "' viewer") && viewer_shows_bitmap(&f.s->entries)) << name;
        for (auto& [at, colour] : probes) {
            const COLORREF seen = GetPixel(canvas.dc(), at.x, at.y);
            EXPECT_TRUE(abs(GetRValue(seen) - GetRValue(colour)) + abs(GetGValue(seen) - GetGValue(colour)) + abs(GetBValue(seen) - GetBValue(colour)) < 24)
                << name << " at " << at.x << "," << at.y << ": " << std::hex << seen;
        }
    }
    const DecodedImage refused = viewer_decode_image(reinterpret_cast<const uint8_t*>(png.data()), 40);  // cut in its data
    main_activate_item_viewer(f.s, f.add(pngId, png.substr(0, 40)));
    FillRect(canvas.dc(), &all, HBRUSH(GetStockObject(BLACK_BRUSH)));
    viewer_pane_paint(&f.s->viewer, &f.s->entries, canvas.dc(), &all);
    int text = 0;
    for (int i = 0; i < 200 * 100; ++i) text += GetPixel(canvas.dc(), i % 200, i / 200) == GetSysColor(COLOR_GRAYTEXT);
    EXPECT_TRUE(FAILED(refused.result) && refused.pixels.empty() && GetPixel(canvas.dc(), 5, 5) == white && text > 20) << std::hex << refused.result;
    main_activate_item_viewer(f.s, -1);
    EXPECT_FALSE(viewer_shows_bitmap(&f.s->entries));  // no entry: no fit menu
}
