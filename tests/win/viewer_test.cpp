// Viewer switching and the viewer pane, with a real main window: entries are
// selected through the list view, bitmaps are painted through
// viewer_pane_paint into a memory DC and checked pixel by pixel.
#include "app/commands.h"
#include "win_test_util.h"
#include "entries/entries.h"
#include "entries/entry_table.h"
#include "viewer/viewer.h"

#include <commctrl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Appends an entry owning a copy of `bytes` (no block when `withData` is false).
int add_entry(MainWindowState* s, INT format, const Bytes& bytes, bool withData = true) {
    EXPECT_TRUE(entry_append(&s->entries));
    int i = s->entries.count - 1;
    DataEntry& e = s->entries.items[i];
    e.format = format;
    if (withData) {
        e.data = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
        if (!bytes.empty()) {
            std::memcpy(GlobalLock(e.data), bytes.data(), bytes.size());
            GlobalUnlock(e.data);
        }
        e.size = static_cast<UINT>(bytes.size());
    }
    listview_set_cell_text(s->listView, i, 0, L"entry");
    return i;
}

// Selects a row as the user would; -1 clears the selection.
void select_row(MainWindowState* s, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    SendMessageW(s->listView, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

HWND second_pane(MainWindowState* s) {
    HWND first = nullptr, second = nullptr;
    SendMessageW(s->viewer.outerSplitter, UISPM_GETPANES, reinterpret_cast<WPARAM>(&first),
                 reinterpret_cast<LPARAM>(&second));
    return second;
}

std::string edit_text_a(HWND edit) {
    char buf[1024] = {};
    SendMessageA(edit, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}
std::wstring edit_text_w(HWND edit) {
    wchar_t buf[1024] = {};
    SendMessageW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// Collects what the log writes to standard output in between.
class LogCapture {
public:
    LogCapture() {
        std::fflush(stdout);
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"vwl", 0, path_);
        int fd = _wopen(path_, _O_WRONLY | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
        saved_ = _dup(1);
        _dup2(fd, 1);
        _close(fd);
    }
    ~LogCapture() { text(); }
    std::string text() {
        if (saved_ >= 0) {
            std::fflush(stdout);
            _dup2(saved_, 1);
            _close(saved_);
            saved_ = -1;
            if (FILE* f = _wfopen(path_, L"rb")) {
                char buf[4096];
                size_t n;
                while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text_.append(buf, n);
                std::fclose(f);
            }
            DeleteFileW(path_);
        }
        return text_;
    }

private:
    wchar_t path_[MAX_PATH];
    int saved_ = -1;
    std::string text_;
};

size_t count(const std::string& hay, const std::string& needle) {
    size_t n = 0;
    for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
    return n;
}

// ---- bitmaps -------------------------------------------------------------

void put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes info_header(uint32_t size, int32_t w, int32_t h, uint16_t bits, uint32_t compression, uint32_t used = 0) {
    Bytes b(size, 0);
    put32(b, 0, size);
    put32(b, 4, static_cast<uint32_t>(w));
    put32(b, 8, static_cast<uint32_t>(h));
    put16(b, 12, 1);
    put16(b, 14, bits);
    put32(b, 16, compression);
    put32(b, 32, used);
    return b;
}

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0),
                   kYellow = RGB(255, 255, 0);

// Colour of visual pixel (x, y) (y from the top) of the test pictures:
// left half red, right half blue; or top half green, bottom half yellow.
COLORREF picture(int x, int y, int w, int h, bool vertical) {
    if (vertical) return y < h / 2 ? kGreen : kYellow;
    return x < w / 2 ? kRed : kBlue;
}

// A 24-bit DIB (negative height for top-down).
Bytes dib24(int w, int h, bool vertical = false) {
    int ah = h < 0 ? -h : h;
    Bytes b = info_header(40, w, h, 24, BI_RGB);
    size_t stride = (static_cast<size_t>(w) * 24 + 31) / 32 * 4;
    Bytes px(stride * ah, 0);
    for (int row = 0; row < ah; ++row) {
        int y = h < 0 ? row : ah - 1 - row;  // visual row stored at `row`
        for (int x = 0; x < w; ++x) {
            COLORREF c = picture(x, y, w, ah, vertical);
            uint8_t* p = &px[row * stride + x * 3];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    }
    b.insert(b.end(), px.begin(), px.end());
    return b;
}

// An 8-bit DIB with colours-used 0 (a full table); pixel 0 = red, 1 = blue.
Bytes dib8(int w, int h) {
    Bytes b = info_header(40, w, h, 8, BI_RGB);
    Bytes table(1024, 0);
    table[2] = 255;           // entry 0: red
    table[4] = 255;           // entry 1: blue
    b.insert(b.end(), table.begin(), table.end());
    size_t stride = (static_cast<size_t>(w) + 3) / 4 * 4;
    for (int row = 0; row < h; ++row)
        for (size_t x = 0; x < stride; ++x) b.push_back(static_cast<int>(x) < w / 2 ? 0 : 1);
    return b;
}

// A V5 header, BI_BITFIELDS, 32-bit.
Bytes dib_v5_bitfields(int w, int h) {
    Bytes b = info_header(124, w, h, 32, BI_BITFIELDS);
    put32(b, 40, 0x00FF0000);
    put32(b, 44, 0x0000FF00);
    put32(b, 48, 0x000000FF);
    put32(b, 56, 0x73524742);  // sRGB
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x) {
            COLORREF c = picture(x, h - 1 - row, w, h, false);
            b.push_back(GetBValue(c));
            b.push_back(GetGValue(c));
            b.push_back(GetRValue(c));
            b.push_back(0);
        }
    return b;
}

// An RLE8 DIB with a zero image size: each row a run of red, then of blue.
Bytes dib_rle8(int w, int h) {
    Bytes b = info_header(40, w, h, 8, BI_RLE8, 2);
    const uint8_t table[8] = {0, 0, 255, 0, 255, 0, 0, 0};
    b.insert(b.end(), table, table + 8);
    for (int row = 0; row < h; ++row) {
        const uint8_t runs[6] = {static_cast<uint8_t>(w / 2), 0, static_cast<uint8_t>(w - w / 2), 1, 0, 0};
        b.insert(b.end(), runs, runs + 6);
    }
    b.push_back(0);
    b.push_back(1);
    return b;
}

Bytes as_file(const Bytes& dib) {
    Bytes f(14 + dib.size(), 0);
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 2, static_cast<uint32_t>(f.size()));
    put32(f, 10, 54);
    std::memcpy(f.data() + 14, dib.data(), dib.size());
    return f;
}

// A 32-bit top-down canvas the pane paints into.
class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bmp_);
        std::memset(bits_, 0x7F, static_cast<size_t>(w) * h * 4);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    void paint(MainWindowState* s) {
        RECT r{0, 0, w_, h_};
        viewer_pane_paint(&s->viewer, &s->entries, dc_, &r);
        GdiFlush();
    }
    COLORREF at(int x, int y) const {
        uint32_t v = bits_[static_cast<size_t>(y) * w_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // Bounding box of everything that is not `background`.
    RECT ink(COLORREF background) const {
        RECT box{w_, h_, -1, -1};
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                if (at(x, y) != background) {
                    if (x < box.left) box.left = x;
                    if (y < box.top) box.top = y;
                    if (x + 1 > box.right) box.right = x + 1;
                    if (y + 1 > box.bottom) box.bottom = y + 1;
                }
        return box;
    }
    HDC dc() const { return dc_; }
    int width() const { return w_; }
    int height() const { return h_; }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
    uint32_t* bits_ = nullptr;
};

// The pane shows `text` as its centred message: white around, ink as wide as
// the text measured in the viewer font, centred.
void expect_message(MainWindowState* s, const wchar_t* text, int w = 400, int h = 120) {
    Canvas c(w, h);
    c.paint(s);
    EXPECT_EQ(c.at(0, 0), RGB(255, 255, 255)) << "white background for " << testing::PrintToString(std::wstring(text));
    RECT ink = c.ink(RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(c.dc(), s->viewer.font);
    SIZE extent{};
    GetTextExtentPoint32W(c.dc(), text, static_cast<int>(wcslen(text)), &extent);
    SelectObject(c.dc(), old);
    ASSERT_GE(ink.right, 0) << "no ink";
    int inkWidth = ink.right - ink.left;
    EXPECT_LE(inkWidth, extent.cx + 2);
    EXPECT_GE(inkWidth, extent.cx - 6) << std::wstring(text).size();
    int left = (w - extent.cx) / 2;
    EXPECT_NEAR(ink.left, left, 4);
    EXPECT_GE(ink.top, (h - extent.cy) / 2);
    EXPECT_LE(ink.bottom, (h + extent.cy) / 2 + 1);
}

// The drawn picture occupies exactly (x, y, w, h) on a button-face background.
void expect_picture(const Canvas& c, int x, int y, int w, int h, bool vertical = false) {
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    // Corners, a pixel inside, carry the picture's corner colours.
    EXPECT_EQ(c.at(x + 1, y + 1), picture(0, 0, w, h, vertical));
    EXPECT_EQ(c.at(x + w - 2, y + h - 2), picture(w - 1, h - 1, w, h, vertical));
    EXPECT_EQ(c.at(x + 1, y + h - 2), picture(0, h - 1, w, h, vertical));
    EXPECT_EQ(c.at(x + w - 2, y + 1), picture(w - 1, 0, w, h, vertical));
    // And nothing is drawn beside it.
    if (x > 0) {
        EXPECT_EQ(c.at(x - 1, y + h / 2), face);
    }
    if (y > 0) {
        EXPECT_EQ(c.at(x + w / 2, y - 1), face);
    }
    if (x + w < c.width()) {
        EXPECT_EQ(c.at(x + w, y + h / 2), face);
    }
    if (y + h < c.height()) {
        EXPECT_EQ(c.at(x + w / 2, y + h), face);
    }
    EXPECT_EQ(c.at(0, 0), face);
}

}  // namespace

// ---- switching entries -----------------------------------------------------

TEST(ViewerSwitch, EachEntryKeepsItsSelectionAndScroll) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    Bytes big(8192);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i);
    add_entry(s, 0, big);
    add_entry(s, 0, big);
    select_row(s, 0);
    ASSERT_EQ(s->entries.active, 0);
    SendMessageW(s->viewer.hexDump, UIHDM_SETTOPOFFSET, 1024, 0);
    SendMessageW(s->viewer.hexDump, UIHDM_SETSEL, 16, 32);

    select_row(s, 1);
    ASSERT_EQ(s->entries.active, 1);
    EXPECT_EQ(s->entries.items[0].selectionAnchor, 16);
    EXPECT_EQ(s->entries.items[0].selectionCaret, 32);
    EXPECT_EQ(s->entries.items[0].scrollOffset, 1024);
    int anchor = -1, caret = -1, top = -1;
    SendMessageW(s->viewer.hexDump, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&anchor), reinterpret_cast<LPARAM>(&caret));
    SendMessageW(s->viewer.hexDump, UIHDM_GETTOPOFFSET, reinterpret_cast<WPARAM>(&top), 0);
    EXPECT_EQ(anchor, 0);  // a new entry opens at the top with nothing selected
    EXPECT_EQ(caret, 0);
    EXPECT_EQ(top, 0);
    SendMessageW(s->viewer.hexDump, UIHDM_SETSEL, 40, 3);  // a backwards selection

    select_row(s, 0);
    SendMessageW(s->viewer.hexDump, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&anchor), reinterpret_cast<LPARAM>(&caret));
    SendMessageW(s->viewer.hexDump, UIHDM_GETTOPOFFSET, reinterpret_cast<WPARAM>(&top), 0);
    EXPECT_EQ(anchor, 16);
    EXPECT_EQ(caret, 32);
    EXPECT_EQ(top, 1024);
    EXPECT_EQ(s->entries.items[1].selectionAnchor, 40);
    EXPECT_EQ(s->entries.items[1].selectionCaret, 3);
    EXPECT_EQ(reinterpret_cast<HGLOBAL>(SendMessageW(s->viewer.hexDump, UIHDM_GETDATA, 0, 0)), s->entries.items[0].data);
}

TEST(ViewerSwitch, SameRowTwiceSwitchesOnceAndOutOfRangeMeansNone) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    add_entry(s, 0, Bytes(64, 1));
    LogCapture log;
    select_row(s, 0);
    main_activate_item_viewer(s, 0);
    select_row(s, 0);
    main_activate_item_viewer(s, 5);   // past the table: no entry
    main_activate_item_viewer(s, -7);  // already none: nothing
    std::string text = log.text();
    EXPECT_EQ(count(text, "main_activate_item_viewer -1 => 0"), 1u) << text;
    EXPECT_EQ(count(text, "main_activate_item_viewer 0 => -1"), 1u) << text;
    EXPECT_EQ(count(text, "main_activate_item_viewer"), 2u) << text;
    EXPECT_EQ(s->entries.active, -1);
}

TEST(ViewerSwitch, ViewerTableLogLinesAndWindows) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    int dib = add_entry(s, CF_DIB, dib24(4, 4));
    int text = add_entry(s, CF_TEXT, Bytes{'h', 'i', 0});
    int name = add_entry(s, static_cast<INT>(cf_filename), Bytes{'C', ':', '\\', 'a', 0});
    int namew = add_entry(s, static_cast<INT>(cf_filenamew), Bytes{'C', 0, ':', 0, '\\', 0, 'w', 0, 0, 0});
    int other = add_entry(s, CF_ENHMETAFILE, Bytes(8, 0));
    int v5 = add_entry(s, CF_DIBV5, dib_v5_bitfields(4, 4));

    LogCapture log;
    select_row(s, dib);
    std::string lines = log.text();
    size_t a = lines.find("Activate 'CF_DIB' viewer"), b = lines.find("Activate 'No viewer' viewer");
    ASSERT_NE(a, std::string::npos) << lines;
    ASSERT_NE(b, std::string::npos) << lines;
    EXPECT_LT(a, b);
    EXPECT_TRUE(IsWindowVisible(s->viewer.viewerPane));
    EXPECT_FALSE(IsWindowVisible(s->viewer.ansiEdit));
    EXPECT_FALSE(IsWindowVisible(s->viewer.wideEdit));
    EXPECT_EQ(second_pane(s), s->viewer.viewerPane);

    struct Case {
        int row;
        const char* line;
        HWND shown;
    } cases[] = {
        {text, "Activate 'CF_TEXT' viewer", s->viewer.ansiEdit},
        {name, "Activate 'cf_filename' viewer", s->viewer.ansiEdit},
        {namew, "Activate 'cf_filenamew' viewer", s->viewer.wideEdit},
        {other, "Activate 'No viewer' viewer", s->viewer.viewerPane},
        {v5, "Activate 'CF_DIBV5' viewer", s->viewer.viewerPane},
    };
    for (const Case& c : cases) {
        LogCapture one;
        select_row(s, c.row);
        EXPECT_NE(one.text().find(c.line), std::string::npos) << c.line << "\n" << one.text();
        EXPECT_EQ(second_pane(s), c.shown) << c.line;
        for (HWND w : {s->viewer.viewerPane, s->viewer.ansiEdit, s->viewer.wideEdit})
            EXPECT_EQ(IsWindowVisible(w) != FALSE, w == c.shown) << c.line;
    }
    select_row(s, name);
    EXPECT_EQ(edit_text_a(s->viewer.ansiEdit), "C:\\a");
    select_row(s, namew);
    EXPECT_EQ(edit_text_w(s->viewer.wideEdit), L"C:\\w");
}

TEST(ViewerText, EditsShowTextToTheFirstZeroFromTheirOwnCopy) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    int early = add_entry(s, CF_TEXT, Bytes{'a', 'b', 0, 'c', 'd'});
    int open = add_entry(s, CF_TEXT, Bytes{'x', 'y', 'z'});  // no terminator at all
    int odd = add_entry(s, CF_UNICODETEXT, Bytes{'W', 0, 'i', 0, 'd'});  // odd size, no terminator
    int wide = add_entry(s, CF_UNICODETEXT, Bytes{0xE4, 0, 'x', 0, 0, 0, 'y', 0});
    int none = add_entry(s, CF_TEXT, Bytes{}, false);

    select_row(s, early);
    EXPECT_EQ(edit_text_a(s->viewer.ansiEdit), "ab");
    HLOCAL shown = reinterpret_cast<HLOCAL>(SendMessageA(s->viewer.ansiEdit, EM_GETHANDLE, 0, 0));
    EXPECT_NE(shown, s->entries.items[early].data);  // a copy, not the entry's block
    select_row(s, open);
    EXPECT_EQ(edit_text_a(s->viewer.ansiEdit), "xyz");
    select_row(s, odd);
    EXPECT_EQ(edit_text_w(s->viewer.wideEdit), L"Wi");
    select_row(s, wide);
    EXPECT_EQ(edit_text_w(s->viewer.wideEdit), L"\u00E4x");
    // No data: an empty text, not the previous one.
    select_row(s, early);
    select_row(s, none);
    EXPECT_TRUE(IsWindowVisible(s->viewer.ansiEdit));
    EXPECT_EQ(edit_text_a(s->viewer.ansiEdit), "");

    // The entries' blocks are untouched and still theirs.
    for (int i : {early, open, odd, wide}) {
        auto* p = static_cast<uint8_t*>(GlobalLock(s->entries.items[i].data));
        ASSERT_TRUE(p) << i;
        GlobalUnlock(s->entries.items[i].data);
        EXPECT_EQ(GlobalSize(s->entries.items[i].data), s->entries.items[i].size);
    }
    // Leaving the text viewers releases the copies: the hidden edits go empty.
    select_row(s, wide);
    select_row(s, -1);
    EXPECT_EQ(GetWindowTextLengthW(s->viewer.ansiEdit), 0);
    EXPECT_EQ(GetWindowTextLengthW(s->viewer.wideEdit), 0);
    // Clearing the table after a text entry leaves the edits with nothing freed.
    select_row(s, early);
    entry_table_clear(&s->entries);
    EXPECT_EQ(GetWindowTextLengthW(s->viewer.ansiEdit), 0);
    EXPECT_TRUE(IsWindowVisible(s->viewer.viewerPane));
}

// A megabyte of text on one line once crashed the edit's text measuring when
// the edit was handed our buffer; now it keeps a copy of its own.
TEST(ViewerText, OneLongLineOfWideTextIsShownWhole) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    Bytes text(1u << 20, 0);
    for (size_t i = 0; i + 1 < text.size(); i += 2) text[i] = 'a' + (i / 2) % 26;
    int row = add_entry(s, CF_UNICODETEXT, text);
    select_row(s, row);
    EXPECT_EQ(GetWindowTextLengthW(s->viewer.wideEdit), static_cast<int>(text.size() / 2));
    UpdateWindow(f.window);
    EXPECT_TRUE(IsWindow(s->viewer.wideEdit));
}

TEST(ViewerText, LocaleShowsThePlatformsLanguageName) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    int us = add_entry(s, CF_LOCALE, Bytes{0x09, 0x04, 0, 0});
    int sorted = add_entry(s, CF_LOCALE, Bytes{0x07, 0x04, 0x01, 0});
    int shortBlock = add_entry(s, CF_LOCALE, Bytes{0x09, 0x04});
    int nothing = add_entry(s, CF_LOCALE, Bytes{}, false);
    wchar_t name[81] = {};
    ASSERT_GT(GetLocaleInfoW(0x0409, LOCALE_SLANGUAGE, name, 80), 0);
    EXPECT_NE(std::wstring(name).find(L"English"), std::wstring::npos);

    LogCapture log;
    select_row(s, us);
    EXPECT_NE(log.text().find("Activate 'CF_LOCALE' viewer"), std::string::npos);
    EXPECT_TRUE(IsWindowVisible(s->viewer.wideEdit));
    std::wstring expect = L"Language: '" + std::wstring(name) + L"' (0x0409)\r\nSort order: 0 (0x0000)\r\n";
    EXPECT_EQ(edit_text_w(s->viewer.wideEdit), expect);
    EXPECT_EQ(GlobalSize(s->viewer.localeText), (expect.size() + 1) * sizeof(wchar_t));

    select_row(s, sorted);
    std::wstring text = edit_text_w(s->viewer.wideEdit);
    EXPECT_NE(text.find(L"' (0x0407)\r\nSort order: 1 (0x0001)\r\n"), std::wstring::npos) << text;

    // Short or missing blocks read as locale 0, whatever the platform calls it.
    wchar_t zero[81] = {};
    GetLocaleInfoW(0, LOCALE_SLANGUAGE, zero, 80);
    std::wstring zeroText = L"' (0x0000)\r\nSort order: 0 (0x0000)\r\n";
    select_row(s, shortBlock);
    EXPECT_NE(edit_text_w(s->viewer.wideEdit).find(zeroText), std::wstring::npos) << edit_text_w(s->viewer.wideEdit);
    select_row(s, nothing);
    EXPECT_NE(edit_text_w(s->viewer.wideEdit).find(zeroText), std::wstring::npos);
    // The edit shows a copy: localeText stays the window's.
    EXPECT_NE(reinterpret_cast<HLOCAL>(SendMessageW(s->viewer.wideEdit, EM_GETHANDLE, 0, 0)), s->viewer.localeText);
    select_row(s, -1);
    EXPECT_TRUE(GlobalLock(s->viewer.localeText));
    GlobalUnlock(s->viewer.localeText);
}

TEST(ViewerSwitch, ClearingShowsNoData) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    add_entry(s, CF_TEXT, Bytes{'t', 0});
    select_row(s, 0);
    ASSERT_TRUE(IsWindowVisible(s->viewer.ansiEdit));
    LogCapture log;
    entry_table_clear(&s->entries);
    EXPECT_NE(log.text().find("Activate 'No data' viewer"), std::string::npos) << log.text();
    EXPECT_EQ(s->entries.active, -1);
    EXPECT_EQ(SendMessageW(s->viewer.hexDump, UIHDM_GETDATA, 0, 0), 0);
    EXPECT_TRUE(IsWindowVisible(s->viewer.viewerPane));
    EXPECT_EQ(second_pane(s), s->viewer.viewerPane);
    expect_message(s, L"No data to view.");
}

// ---- the viewer pane ----------------------------------------------------

TEST(ViewerPane, FitModesPlaceTheBitmapWhereTheArithmeticSays) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    int small = add_entry(s, CF_DIB, dib24(100, 50));
    int wide = add_entry(s, CF_DIB, dib24(800, 100));
    select_row(s, small);
    Canvas c(410, 410);  // drawing area 400 x 400 at (5, 5)

    viewer_set_fit_mode(&s->viewer, 1);
    EXPECT_EQ(s->viewer.centerBitmap, 1);
    c.paint(s);
    expect_picture(c, 5, 105, 400, 200);

    viewer_set_fit_mode(&s->viewer, 2);
    c.paint(s);
    expect_picture(c, 155, 180, 100, 50);

    viewer_set_fit_mode(&s->viewer, 0);
    EXPECT_EQ(s->viewer.centerBitmap, 0);
    c.paint(s);
    expect_picture(c, 5, 5, 100, 50);

    select_row(s, wide);
    viewer_set_fit_mode(&s->viewer, 2);
    c.paint(s);
    expect_picture(c, 5, 180, 400, 50);
}

TEST(ViewerPane, EveryLayoutIsDrawnUpright) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    viewer_set_fit_mode(&s->viewer, 0);
    Canvas c(120, 80);
    struct Case {
        const char* what;
        INT format;
        Bytes bytes;
        bool vertical;
    } cases[] = {
        {"bottom-up 24", CF_DIB, dib24(40, 20, true), true},
        {"top-down 24", CF_DIB, dib24(40, -20, true), true},
        {"8-bit full table", CF_DIB, dib8(40, 20), false},
        {"V5 bitfields", CF_DIBV5, dib_v5_bitfields(40, 20), false},
        {"RLE8", CF_DIB, dib_rle8(40, 20), false},
        {"bitmap file", cf_bitmapfile, as_file(dib24(40, 20)), false},
    };
    for (Case& k : cases) {
        int row = add_entry(s, k.format, k.bytes);
        select_row(s, row);
        c.paint(s);
        SCOPED_TRACE(k.what);
        expect_picture(c, 5, 5, 40, 20, k.vertical);
        // Drawing never writes into the entry (the RLE size stays 0).
        auto* p = static_cast<uint8_t*>(GlobalLock(s->entries.items[row].data));
        EXPECT_EQ(std::memcmp(p, k.bytes.data(), k.bytes.size()), 0);
        GlobalUnlock(s->entries.items[row].data);
    }
    // Top-down scales by its absolute height in mode 1.
    int td = add_entry(s, CF_DIB, dib24(100, -50, true));
    select_row(s, td);
    viewer_set_fit_mode(&s->viewer, 1);
    Canvas big(410, 410);
    big.paint(s);
    expect_picture(big, 5, 105, 400, 200, true);
}

TEST(ViewerPane, MessagesForEntriesWithoutAPicture) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    expect_message(s, L"No data to view.");
    struct Case {
        INT format;
        Bytes bytes;
        bool withData;
        const wchar_t* message;
    } cases[] = {
        {0, Bytes(16, 'a'), true, L"No viewer available."},
        {CF_ENHMETAFILE, Bytes(16, 0), true, L"No viewer available for 'CF_ENHMETAFILE'."},
        {CF_DIB, Bytes{}, false, L"Missing data handle for this format."},
        {CF_DIBV5, Bytes{}, false, L"Missing data handle for this format."},
        {cf_bitmapfile, Bytes{}, false, L"Failed to lock data handle of the format."},
    };
    for (Case& k : cases) {
        int row = add_entry(s, k.format, k.bytes, k.withData);
        select_row(s, row);
        expect_message(s, k.message);
    }
}

TEST(ViewerPane, HostileBitmapsAreRefusedWithAMessage) {
    MainWindowFixture f;
    MainWindowState* s = f.state();
    Bytes shortPixels = dib24(10, 10);
    shortPixels.pop_back();
    Bytes huge = info_header(40, 65535, 65535, 32, BI_RGB);
    huge.resize(200);
    Bytes wrap = info_header(40, 0x7FFF, -0x7FFF, 32, BI_RGB);
    wrap.resize(64);
    Bytes header = dib24(4, 4);
    put32(header, 0, 0xFFFFFFF0u);
    Bytes colors = info_header(40, 2, 2, 8, BI_RGB, 0x40000000);
    colors.resize(300);
    Bytes tiny{40, 0, 0};
    Bytes file = as_file(dib24(10, 10));
    file.resize(14 + 30);
    Bytes rle = info_header(40, 65535, 65535, 8, BI_RLE8, 1);
    rle.resize(60);
    struct Case {
        INT format;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {CF_DIB, shortPixels, "Invalid bitmap data: too few bytes for the pixels."},
        {CF_DIB, huge, "Invalid bitmap data: too few bytes for the pixels."},
        {CF_DIBV5, wrap, "Invalid bitmap data: too few bytes for the pixels."},
        {CF_DIB, header, "Invalid bitmap data: unknown header size."},
        {CF_DIB, colors, "Invalid bitmap data: the colour table lies outside the data."},
        {CF_DIB, tiny, "Invalid bitmap data: the header is incomplete."},
        {cf_bitmapfile, file, "Invalid bitmap data: the header is incomplete."},
        {CF_DIB, rle, "Invalid bitmap data: the compressed image is too large."},
    };
    for (Case& k : cases) {
        int row = add_entry(s, k.format, k.bytes);
        select_row(s, row);
        std::wstring wide(k.message, k.message + std::strlen(k.message));
        SCOPED_TRACE(k.message);
        expect_message(s, wide.c_str(), 480);
    }
    // An entry whose recorded size is below its block: only `size` bytes count.
    int row = add_entry(s, CF_DIB, dib24(10, 10));
    s->entries.items[row].size -= 4;
    select_row(s, row);
    expect_message(s, L"Invalid bitmap data: too few bytes for the pixels.", 480);
}

// Not a check: shows the window with entries for a screenshot when asked.
TEST(ViewerShot, ShowsEntriesForAScreenshot) {
    char which[32] = {};
    if (!GetEnvironmentVariableA("VIEWER_SHOT", which, sizeof which)) GTEST_SKIP();
    MainWindowFixture f;
    MainWindowState* s = f.state();
    SetWindowPos(f.window, HWND_TOP, 10, 10, 0, 0, SWP_NOSIZE);
    if (std::strcmp(which, "clipboard") == 0) {
        // A CF_DIB put on the clipboard, captured as the Clipboard command does.
        Bytes d = dib24(160, 90, true);
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, d.size());
        std::memcpy(GlobalLock(g), d.data(), d.size());
        GlobalUnlock(g);
        ASSERT_TRUE(OpenClipboard(f.window));
        EmptyClipboard();
        SetClipboardData(CF_DIB, g);
        CloseClipboard();
        main_on_clipboard(f.window);
        // Under Wine the clipboard's data object may offer CF_DIB without a
        // medium; the row then has no block, so give it the clipboard's own.
        for (int i = 0; i < s->entries.count; ++i) {
            DataEntry& e = s->entries.items[i];
            if (e.format != CF_DIB) continue;
            if (!e.data && OpenClipboard(f.window)) {
                e.data = GlobalDuplicate(GetClipboardData(CF_DIB));
                e.size = e.data ? static_cast<UINT>(GlobalSize(e.data)) : 0;
                CloseClipboard();
            }
            select_row(s, -1);
            select_row(s, i);
        }
    } else if (std::strcmp(which, "file") == 0) {
        select_row(s, add_entry(s, cf_bitmapfile, as_file(dib24(64, 64, true))));
    } else if (std::strcmp(which, "text") == 0) {
        const char* t = "Hello from the clipboard.\r\nSecond line of text.";
        select_row(s, add_entry(s, CF_TEXT, Bytes(t, t + std::strlen(t) + 1)));
    } else {
        Bytes bad = dib24(10, 10);
        bad.resize(bad.size() - 7);
        select_row(s, add_entry(s, CF_DIB, bad));
    }
    pump_for(6000, f.window);
}
