// The header of the UIHexDump control and its three menus: offsets, the
// dump's radix, row width and grouping, and what Copy As Dump includes.
#include "hexdump/uihexdump_internal.h"

#include "base/dpi.h"
#include "base/dpi_core.h"
#include "base/log.h"

#include <commctrl.h>
#include <windowsx.h>

void uihexdump_set_header_font(HexDumpState* s, int dpi) {
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    gui.lfHeight = dpi_rescale(gui.lfHeight, dpi, dpi_of_system());
    HFONT old = s->headerFont;
    s->headerFont = CreateFontIndirectW(&gui);
    SendMessageW(s->header, WM_SETFONT, reinterpret_cast<WPARAM>(s->headerFont), FALSE);
    if (old) DeleteObject(old);
}

void uihexdump_create_header(HexDumpState* s, HINSTANCE instance) {
    DWORD style = WS_CHILD | WS_VISIBLE | HDS_DRAGDROP;
    if (!(s->style & UIHDS_NOHEADERBUTTONS)) style |= HDS_BUTTONS;
    s->header = CreateWindowExW(0, WC_HEADERW, nullptr, style, 0, 0, 0, 0, s->hwnd, nullptr, instance, nullptr);
    if (!s->header) return;
    uihexdump_set_header_font(s, dpi_of_window(s->hwnd));
    const wchar_t* texts[3] = {L"Hex. Offset", L"Hexadecimal Dump", L"ASCII Dump"};
    for (int i = 0; i < 3; ++i) {
        HDITEMW it{};
        it.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        it.fmt = HDF_STRING | HDF_LEFT;
        it.pszText = const_cast<wchar_t*>(texts[i]);
        it.cxy = uihexdump_column_width(s, i);
        SendMessageW(s->header, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&it));
    }
}

LRESULT uihexdump_on_header_notify(HWND w, HexDumpState* s, NMHDR* nm, WPARAM wp, LPARAM lp) {
    switch (nm->code) {
    case HDN_BEGINTRACKA:
    case HDN_BEGINTRACKW: return TRUE;
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW:
        log_message(0, kHexDumpTag, "WM_NOTIFY HDN_DIVIDERDBLCLICK iItem=%d", reinterpret_cast<NMHEADERW*>(nm)->iItem);
        break;
    case HDN_ENDDRAG: uihexdump_invalidate(s); return 0;
    }
    return DefWindowProcW(w, WM_NOTIFY, wp, lp);
}

void uihexdump_apply_header_command(HexDumpState* s, int item, UINT id) {
    if (item == 0) {
        switch (id) {
        case 1000:
            s->decimalOffset = 0;
            uihexdump_set_header_item(s, 0, L"Hex. Offset", -1);
            uihexdump_invalidate(s);
            break;
        case 1001:
            s->decimalOffset = 1;
            uihexdump_set_header_item(s, 0, L"Dec. Offset", -1);
            uihexdump_invalidate(s);
            break;
        case 1003: s->copyOffset = !s->copyOffset; break;
        }
    } else if (item == 1) {
        static const int radixes[] = {16, 10, 8, 1};
        static const int rows[] = {8, 10, 16, 32};
        static const int groups[] = {0, 2, 4, 5, 8};
        if (id >= 1000 && id <= 1003) uihexdump_set_radix(s, radixes[id - 1000]);
        else if (id >= 1005 && id <= 1008) uihexdump_set_bytes_per_row(s, rows[id - 1005]);
        else if (id >= 1010 && id <= 1014) uihexdump_set_group(s, groups[id - 1010]);
        else if (id == 1016) s->copyDump = !s->copyDump;
    } else if (item == 2) {
        if (id == 1002) s->copyAscii = !s->copyAscii;
        else if (id == 1003) s->extendedAscii = !s->extendedAscii;
    }
}

HMENU uihexdump_make_header_menu(const HexDumpState* s, int item) {
    HMENU m = CreatePopupMenu();
    if (!m) return nullptr;
    auto add = [m](UINT id, const char* text) {
        AppendMenuA(m, text ? MF_STRING : MF_SEPARATOR, id, text);
    };
    auto check = [m](UINT id, bool on) { CheckMenuItem(m, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
    if (item == 0) {
        add(1000, "Hexadecimal Offset");
        add(1001, "Decimal Offset");
        add(1002, nullptr);
        add(1003, "Add to 'Copy As Dump'");
        CheckMenuRadioItem(m, 1000, 1001, s->decimalOffset ? 1001 : 1000, MF_BYCOMMAND);
        check(1003, s->copyOffset);
    } else if (item == 1) {
        add(1000, "Hexadecimal Dump");
        add(1001, "Decimal Dump");
        add(1002, "Octal Dump");
        add(1003, "Binary Dump");
        add(1004, nullptr);
        add(1005, "8 bytes per row");
        add(1006, "10 bytes per row");
        add(1007, "16 bytes per row");
        add(1008, "32 bytes per row");
        add(1009, nullptr);
        add(1010, "No groups");
        add(1011, "2 bytes per group");
        add(1012, "4 bytes per group");
        add(1013, "5 bytes per group");
        add(1014, "8 bytes per group");
        add(1015, nullptr);
        add(1016, "Add to 'Copy As Dump'");
        UINT radix = s->dumpRadix == 1 ? 1003 : s->dumpRadix == 8 ? 1002 : s->dumpRadix == 10 ? 1001 : 1000;
        UINT rows = s->bytesPerRow == 10 ? 1006 : s->bytesPerRow == 16 ? 1007 : s->bytesPerRow == 32 ? 1008 : 1005;
        UINT group = s->groupSize == 2   ? 1011
                     : s->groupSize == 4 ? 1012
                     : s->groupSize == 5 ? 1013
                     : s->groupSize == 8 ? 1014
                                         : 1010;
        CheckMenuRadioItem(m, 1000, 1003, radix, MF_BYCOMMAND);
        CheckMenuRadioItem(m, 1005, 1008, rows, MF_BYCOMMAND);
        CheckMenuRadioItem(m, 1010, 1014, group, MF_BYCOMMAND);
        check(1016, s->copyDump);
    } else if (item == 2) {
        add(1000, "Ascii Dump");
        add(1001, nullptr);
        add(1002, "Add to 'Copy As Dump'");
        add(1003, "Add extended Ascii");
        CheckMenuRadioItem(m, 1000, 1000, 1000, MF_BYCOMMAND);
        check(1002, s->copyAscii);
        check(1003, s->extendedAscii);
    } else {
        DestroyMenu(m);
        return nullptr;
    }
    return m;
}

LRESULT uihexdump_on_contextmenu(HWND w, HexDumpState* s, WPARAM wp, LPARAM lp) {
    if (!s->header || reinterpret_cast<HWND>(wp) != s->header) {
        log_message(0, kHexDumpTag, "WM_CONTEXTMENU Body");
        return DefWindowProcW(w, WM_CONTEXTMENU, wp, lp);
    }
    POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    HDHITTESTINFO info{};
    info.pt = screen;
    ScreenToClient(s->header, &info.pt);
    int item = static_cast<int>(SendMessageW(s->header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    log_message(0, kHexDumpTag, "WM_CONTEXTMENU Header item=%d flags=$%X", item, info.flags);
    if (item < 0 || (info.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN))) return 0;
    HMENU menu = uihexdump_make_header_menu(s, item);
    if (!menu) return 0;
    UINT id = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, screen.x, screen.y, 0, w, nullptr));
    DestroyMenu(menu);
    if (id) uihexdump_apply_header_command(s, item, id);
    return 0;
}

HMENU uihexdump_build_header_menu(HWND control, int item) {
    HexDumpState* s = uihexdump_state(control);
    return s ? uihexdump_make_header_menu(s, item) : nullptr;
}

void uihexdump_header_command(HWND control, int item, UINT command) {
    if (HexDumpState* s = uihexdump_state(control)) uihexdump_apply_header_command(s, item, command);
}
