// The UIHexDump control as the main window holds it: messages, keys and mouse at computed client points, header
// menus, painted pixels and its font. Its copies are in export_test.
#include "win_test.h"
#include "hexdump/uihexdump_internal.h"

#include <commctrl.h>
#include <map>

namespace {

using V = std::vector<long long>;

struct Dump : MainWindowFixture {
    HWND hex = state()->viewer.hexDump, header = reinterpret_cast<HWND>(SendMessageW(hex, UIHDM_GETHEADER, 0, 0));
    HexDumpState* s = uihexdump_state(hex);
    HGLOBAL block = nullptr;
    ~Dump() { data(0); }
    void data(size_t n, const std::string& text = "") {  // byte i is i, or from `text` over and over; none for 0
        send(UIHDM_SETDATA, WPARAM(-1), 0), block ? GlobalFree(block) : nullptr;
        if (!(block = n ? GlobalAlloc(GMEM_MOVEABLE, n) : nullptr)) return;
        for (size_t i = 0; i < n; ++i) GlobalLockGuard(block).as<char>()[i] = text.empty() ? char(i) : text[i % text.size()];
        send(UIHDM_SETDATA, n, LPARAM(block));
    }
    LRESULT send(UINT m, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageW(hex, m, wp, lp); }
    V view() const {  // anchor, caret, top offset
        int a = -7, c = -7, t = -7;
        return send(UIHDM_GETSEL, WPARAM(&a), LPARAM(&c)), send(UIHDM_GETTOPOFFSET, WPARAM(&t)), V{a, c, t};
    }
    int right(int item) const { RECT r{}; return SendMessageW(header, HDM_GETITEMRECT, item, LPARAM(&r)), r.right; }  // 0: none
    // Client rectangle of byte j's cell in shown row k of column 1 (dump) or 2 (ASCII); column 0: in the offsets.
    RECT cell(int column, int k, int j) const {
        const HexGeometry g{s->cellWidth, s->digitsPerByte, s->bytesPerRow, s->groupSize};
        const int x = right(column - 1) + (column == 1 ? hexdump_dump_cell_x(g, j) : hexdump_ascii_cell_x(g.cellWidth, j));
        const int y = s->bodyTop + 1 + k * s->cellHeight;
        return {x, y, x + (column == 1 ? hexdump_byte_cell_width(g) : g.cellWidth + 1), y + s->cellHeight};
    }
    LPARAM at(int column, int k, int j, int dx) const { return MAKELPARAM(cell(column, k, j).left + dx, cell(column, k, j).top + 2); }
    void held(int keys, UINT msg, WPARAM wp, LPARAM lp) const {  // with Shift (1), Ctrl (2), the left button (4) down
        BYTE saved[256], k[256];
        GetKeyboardState(saved), memcpy(k, saved, sizeof k);
        k[VK_SHIFT] = keys & 1 ? 0x80 : 0, k[VK_CONTROL] = keys & 2 ? 0x80 : 0, k[VK_LBUTTON] = keys & 4 ? 0x80 : 0;
        SetKeyboardState(k), send(msg, wp, lp), SetKeyboardState(saved);
    }
};

// The control painted through WM_PAINT's DC into a bitmap: how many pixels of a rectangle have each colour.
struct Shot {
    WindowDC screen{nullptr};
    MemoryCanvas canvas{screen.get(), 2000, 1000};
    explicit Shot(const Dump& d) { d.send(WM_PAINT, WPARAM(canvas.dc())); }
    std::map<long long, int> colours(const RECT& r) const {
        std::map<long long, int> n;
        for (int i = 0, w = r.right - r.left; i < w * (r.bottom - r.top); ++i) ++n[GetPixel(canvas.dc(), r.left + i % w, r.top + i / w)];
        return n;
    }
    long long back(const RECT& r) const {  // what most pixels of a cell show: its background, whatever the glyph
        auto n = colours(r);
        return std::max_element(n.begin(), n.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    }
};

// One step of input: unless `top` is -1 the view is set (top row, anchor, caret); the message goes with Shift (1), Ctrl (2)
// or the button (4) held, after a button-up (8) or a far move (16) queued for the drag detection; 32 runs the queue after.
struct Step { int top, a, c, how; UINT msg; WPARAM wp; LPARAM lp; V after; };  // after: anchor, caret, top offset

}  // namespace

TEST(HexDumpControl, KeysScrollBarsMouseAndAutoScroll) {
    Dump d;
    d.data(16 * 1000);
    SetFocus(d.state()->listView);
    RECT client{};
    const int R = d.s->visibleRows, E = 16 * 1000, w = d.s->cellWidth, b = w / 2 + 2 * w, h = d.s->cellHeight;
    const int x = LOWORD(d.at(1, 2, 4, 1)), a = 16 * 502 + 4, T = 16 * 496;
    const UINT K = WM_KEYDOWN, S = WM_VSCROLL, M = WM_MOUSEMOVE, D = WM_LBUTTONDOWN, B = MK_LBUTTON, C = WM_LBUTTONDBLCLK, I = WM_TIMER;
    ASSERT_EQ(V({R > 4 && R < 17, static_cast<long long>(GlobalSize(d.block)), GetClientRect(d.hex, &client)}), V({1, E, 1}));
    const BYTE run[] = {0x10, 0x11, 0x12}, miss[] = {0x10, 0x12};
    HexDumpFindRequest found{run, 3, 0, 0}, missed{miss, 2, 0, 0};
    const Step steps[] = {  // a right click focuses the dump first, so its context menu offers what its selection allows
        {0, 2, 9, 8, WM_RBUTTONDOWN, MK_RBUTTON, d.at(1, 0, 3, 1), {2, 9, 0}},
        // a count is used as given, never past the block; the selection is kept inside the data
        {0, 0, 0, 0, UIHDM_SETDATA, 20, LPARAM(d.block), {0, 0, 0}}, {-1, 0, 0, 0, UIHDM_SETSEL, WPARAM(-1), 30, {20, 20, 0}},
        {-1, 0, 0, 0, UIHDM_SETDATA, 1 << 30, LPARAM(d.block), {0, 0, 0}}, {-1, 0, 0, 0, UIHDM_SETSEL, 100000, -5, {E, 0, 0}},
        {-1, 0, 0, 0, UIHDM_SETSEL, 5, 2, {5, 2, 0}},  // found forward from the selection, then from the start; a miss keeps it
        {0, 20, 20, 0, UIHDM_FIND, 0, LPARAM(&found), {272, 275, (18 - R) * 16}}, {0, E - 9, E - 9, 0, UIHDM_FIND, 0, LPARAM(&found), {16, 19, 0}},
        {-1, 0, 0, 0, UIHDM_FIND, 0, LPARAM(&missed), {16, 19, 0}},
        // a top offset past the data shows the last page; the caret message brings its row into view
        {0, 16, 16, 0, UIHDM_SETTOPOFFSET, 16 * 5000, 0, {16, 16, (1000 - R) * 16}}, {-1, 0, 0, 0, UIHDM_ENSURECARETVISIBLE, 0, 0, {16, 16, 16}},
        {0, 0, 0, 40, D, B, d.at(1, 1, 5, 1), {21, 21, 0}}, {-1, 0, 0, 40, D, B, d.at(1, 1, 5, b - 2), {22, 22, 0}},  // halves
        {-1, 0, 0, 40, D, B, d.at(1, 1, 3, b + 2), {20, 20, 0}}, {-1, 0, 0, 41, D, B | MK_SHIFT, d.at(1, 3, 0, 1), {20, 48, 0}},
        {-1, 0, 0, 40, D, B, d.at(2, 0, 2, w - 1), {3, 3, 0}}, {-1, 0, 0, 40, C, B, d.at(1, 2, 7, b - 2), {39, 40, 0}},
        {-1, 0, 0, 40, C, B, d.at(2, 2, 7, w - 1), {40, 41, 0}}, {-1, 0, 0, 40, D, B, d.at(0, 0, 0, 0), {40, 41, 0}},
        {0, 9, 9, 1, K, VK_RIGHT, 1, {9, 10, 0}}, {0, 9, 26, 0, K, VK_UP, 1, {10, 10, 0}}, {0, 10, 10, 0, K, VK_UP, 1, {10, 10, 0}},
        {0, 0, 0, 0, K, VK_END, 1, {E, E, (1000 - R) * 16}}, {0, 5, 5, 0, K, VK_NEXT, 1, {5 + 16 * R, 5 + 16 * R, 16}},
        {0, 7, 7, 2, K, VK_DOWN, 1, {7, 7, 16}},   {R + 5, 7, 7, 2, K, VK_PRIOR, 1, {7, 7, 96}}, {2, 7, 7, 3, K, VK_RIGHT, 1, {7, 7, 32}},
        {0, 7, 7, 34, K, 'A', 1, {0, E, 0}},       {1, 7, 7, 0, S, SB_PAGEDOWN, 0, {7, 7, 16 * R}}, {2, 7, 7, 0, S, SB_ENDSCROLL, 0, {7, 7, 32}},
        {0, 7, 7, 0, S, MAKEWPARAM(SB_THUMBPOSITION, 1), 0, {7, 7, 16 * 700}},
        {0, 7, 7, 0, S, MAKEWPARAM(SB_THUMBTRACK, 1), 0, {7, 7, 16 * 700}},  // while the thumb is dragged too
        // A drag; four rows above the band's edge scrolls 8 rows a tick up, three below the client 4 down; a tick of
        // another timer, one back over a cell or after the release does nothing; so does a drag whose capture is taken.
        {500, 0, 0, 20, D, B, d.at(1, 2, 4, 1), {a, a, 16 * 500}}, {-1, 0, 0, 0, M, B, d.at(1, 4, 9, 1), {a, 16 * 504 + 9, 16 * 500}},
        {-1, 0, 0, 0, M, B, MAKELPARAM(x, d.s->bodyTop - 4 * h), {a, 16 * 504 + 9, 16 * 500}},
        {-1, 0, 0, 0, I, kScrollTimer + 1, 0, {a, 16 * 504 + 9, 16 * 500}}, {-1, 0, 0, 0, I, kScrollTimer, 0, {a, T, T}},
        {-1, 0, 0, 0, M, B, MAKELPARAM(x, client.bottom + 3 * h), {a, T, T}}, {-1, 0, 0, 0, I, kScrollTimer, 0, {a, T + 64, T}},
        {-1, 0, 0, 0, M, B, d.at(1, 2, 4, 1), {a, T + 36, T}},  {-1, 0, 0, 0, I, kScrollTimer, 0, {a, T + 36, T}},
        {-1, 0, 0, 0, WM_LBUTTONUP, 0, 0, {a, T + 36, T}},      {-1, 0, 0, 0, M, B, d.at(1, 0, 0, 1), {a, T + 36, T}},
        {-1, 0, 0, 20, D, B, d.at(1, 0, 1, 1), {T + 1, T + 1, T}}, {-1, 0, 0, 0, WM_CAPTURECHANGED, 0, LPARAM(d.window), {T + 1, T + 1, T}},
        {-1, 0, 0, 0, M, B, d.at(1, 3, 3, 1), {T + 1, T + 1, T}},
    };
    for (const Step& s : steps) {
        if (s.top >= 0) d.send(UIHDM_SETTOPOFFSET, 16 * s.top), d.send(UIHDM_SETSEL, s.a, s.c);
        if (s.how & 8) PostMessageW(d.hex, WM_LBUTTONUP, 0, s.lp);
        if (s.how & 16) PostMessageW(d.hex, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30000, 30000));
        SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 700, 0};  // a thumb's 32 bits come from the bar, not from the message
        if (s.msg == S) SetScrollInfo(d.hex, SB_VERT, &si, FALSE);
        d.held(s.how & 7, s.msg, s.wp, s.lp);
        if (s.how & 32) pump_messages();
        EXPECT_EQ(d.view(), s.after) << "message " << s.msg << " " << s.wp << " at " << LOWORD(s.lp) << "," << short(HIWORD(s.lp));
        EXPECT_TRUE(!(s.how & 8) || GetFocus() == d.hex);
    }
    ReleaseCapture();
}

// Each header command does what its menu item says: mark, widths, rows, text. Notifications count from the header only.
TEST(HexDumpHeader, CommandsAndNotifications) {
    Dump d;
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += char(i * 7 + 1);
    d.data(300, bytes), d.send(UIHDM_SETSEL, 250, 3);
    HexTextSettings t{16, 4, 2, 16, false, true, true, true, true};
    for (int item = 0; item < 3; ++item) {
        std::vector<std::pair<UINT, std::wstring>> entries;
        HMENU m = uihexdump_build_header_menu(d.hex, item);
        for (int i = 0; i < GetMenuItemCount(m); ++i)
            if (!(GetMenuState(m, i, MF_BYPOSITION) & MF_SEPARATOR)) entries.push_back({GetMenuItemID(m, i), menu_item_text(m, i, true)});
        DestroyMenu(m);
        for (int round = 0; round < 2; ++round)
            for (auto& [id, what] : entries) {
                uihexdump_header_command(d.hex, item, id);
                auto says = [&](const wchar_t* word) { return what.find(word) != std::wstring::npos; };
                bool* flag = says(L"Copy As") ? (item == 0 ? &t.copyOffset : item == 1 ? &t.copyDump : &t.copyAscii)
                             : says(L"extended") ? &t.extendedAscii : nullptr;
                if (flag) *flag = !*flag;
                else if (says(L"per row")) t.bytesPerRow = _wtoi(what.c_str());
                else if (says(L"group")) t.groupSize = _wtoi(what.c_str());  // "No groups": 0
                else if (says(L"Offset")) t.decimalOffset = what[0] == L'D';
                else if (item == 1) t.dumpRadix = what[0] == L'H' ? 16 : what[0] == L'D' ? 10 : what[0] == L'O' ? 8 : 1;
                t.digitsPerByte = hexdump_digits_for_radix(t.dumpRadix);
                const bool marked = GetMenuState(m = uihexdump_build_header_menu(d.hex, item), id, MF_BYCOMMAND) & MF_CHECKED;
                const HexGeometry g{d.s->cellWidth, t.digitsPerByte, t.bytesPerRow, t.groupSize};
                SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
                DestroyMenu(m), GetScrollInfo(d.hex, SB_VERT, &si);
                std::string want(static_cast<size_t>(hexdump_text_length(t, 3, 250)) + 1, '\0');
                want.resize(hexdump_text_write(t, reinterpret_cast<const uint8_t*>(bytes.data()) + 3, 3, 250, want.data()));
                int n = -1;
                GlobalBlock text(reinterpret_cast<HGLOBAL>(d.send(UIHDM_GETDUMPTEXT, 0, LPARAM(&n))));
                EXPECT_EQ(V({marked, std::string(GlobalLockGuard(text.get()).as<char>(), n + 1) == want + '\0',
                             d.right(1) - d.right(0), d.right(2) - d.right(1), si.nMax + 1}),
                          V({flag ? *flag : true, 1, hexdump_dump_column_width(g), hexdump_ascii_column_width(g.cellWidth, t.bytesPerRow),
                             hexdump_row_count(300, t.bytesPerRow)}))
                    << item << " " << id;
            }
    }
    NMHDR notes[] = {{d.header, 0, HDN_BEGINTRACKW}, {d.header, 0, HDN_BEGINTRACKA}, {d.window, 0, HDN_BEGINTRACKW}};
    EXPECT_EQ(V({d.send(WM_NOTIFY, 0, LPARAM(&notes[0])), d.send(WM_NOTIFY, 0, LPARAM(&notes[1])), d.send(WM_NOTIFY, 0, LPARAM(&notes[2]))}), V({1, 1, 0}));
}

// The selection's ends and their neighbours, focused or not; characters out of the font's range drawn as a '.' is.
TEST(HexDumpPaint, SelectedCellsAndCharacters) {
    Dump d;
    TEXTMETRICA tm{};
    WindowDC dc(d.hex);
    SelectObject(dc.get(), d.s->dumpFont), GetTextMetricsA(dc.get(), &tm);
    const int first = tm.tmFirstChar, last = tm.tmLastChar, probes[] = {first - 1, first, last, last + 1};
    d.data(7, std::string("..") + char(probes[0]) + char(probes[1]) + char(probes[2]) + char(probes[3]) + "."), d.send(UIHDM_SETSEL, 1, 6);
    for (HWND focus : {d.hex, d.state()->listView}) {
        SetFocus(focus);
        Shot s(d);
        const long long on = GetSysColor(focus == d.hex ? COLOR_HIGHLIGHT : COLOR_BTNFACE), off = RGB(255, 255, 255);
        for (int column : {1, 2})
            EXPECT_EQ(V({s.back(d.cell(column, 0, 0)), s.back(d.cell(column, 0, 1)), s.back(d.cell(column, 0, 5)), s.back(d.cell(column, 0, 6))}),
                      V({off, on, on, off})) << column;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(s.colours(d.cell(2, 0, i + 2)) == s.colours(d.cell(2, 0, 1)), (probes[i] & 255) < first || (probes[i] & 255) > last)
                << (probes[i] & 255);
    }
}

// A fixed pitch whatever the faces: the mapper's for a missing face, a stock font for a proportional one (DejaVu Sans).
TEST(HexDumpFont, FixedPitchWhateverTheSystemHas) {
    WindowDC dc(nullptr);
    for (const wchar_t* face : {L"Courier New", L"No Such Face Here", L"DejaVu Sans"}) {
        HFONT font = uihexdump_make_dump_font(dc.get(), -11, face);
        HGDIOBJ old = SelectObject(dc.get(), font);
        TEXTMETRICW tm{};
        SIZE i{}, w{};
        GetTextMetricsW(dc.get(), &tm), GetTextExtentPoint32W(dc.get(), L"i", 1, &i), GetTextExtentPoint32W(dc.get(), L"W", 1, &w);
        DeleteObject(SelectObject(dc.get(), old));
        EXPECT_EQ(V({tm.tmPitchAndFamily & TMPF_FIXED_PITCH, i.cx, font == GetStockObject(ANSI_FIXED_FONT)}), V({0, w.cx, face[0] == L'D'}))
            << std::wstring(face).size();
    }
}
