// Switching the active entry: the hex dump's saved view, and which of the
// three viewer windows shows the entry. The text edits are given private,
// terminated copies, never the entry's block: another program's text need
// not end in a zero, and an edit may free or resize the buffer it holds.
#include "viewer/viewer.h"
#include "viewer/formats_core.h"
#include "base/lazy_dll.h"
#include "viewer/viewer_draw.h"
#include "viewer/viewer_text_core.h"
#include "base/local_time.h"
#include "base/log.h"
#include "base/win_raii.h"
#include "entries/entries.h"
#include "hexdump/uihexdump.h"
#include "splitter/splitter.h"

#include <shlobj.h>

#include <cstring>
#include <initializer_list>
#include <new>
#include <string>
#include <vector>

namespace {

// Bytes of the entry that may be read: never more than the block holds.
SIZE_T readable_size(const DataEntry& entry, const GlobalLockGuard& lock) {
    SIZE_T held = lock.size();
    return entry.size < held ? entry.size : held;
}

// A movable local buffer holding the first `units` characters of `text`
// (each `unitSize` bytes) and a zero character.
HLOCAL make_text_copy(const void* text, SIZE_T units, SIZE_T unitSize) {
    HLOCAL copy = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, (units + 1) * unitSize);
    if (!copy) return nullptr;
    if (units) {
        void* p = LocalLock(copy);
        if (!p) {
            LocalFree(copy);
            return nullptr;
        }
        std::memcpy(p, text, units * unitSize);
        LocalUnlock(copy);
    }
    return copy;
}

HLOCAL copy_entry_text(const DataEntry& entry, bool wide) {
    GlobalLockGuard lock(entry.data);
    const auto* bytes = lock.as<const uint8_t>();
    SIZE_T size = bytes ? readable_size(entry, lock) : 0;
    SIZE_T units = wide ? wide_text_length(bytes, size) : ansi_text_length(bytes, size);
    return make_text_copy(bytes, units, wide ? 2 : 1);
}

// Shows the copy in the wide edit and frees it: the edit keeps a copy of its
// own (WM_SETTEXT). Handing the buffer over with EM_SETHANDLE made Wine's text
// measuring read past it for long lines. A copy that could not be made
// empties the edit: it must not go on showing the previous entry's text.
void wide_edit_set_buffer(HWND edit, HLOCAL buffer) {
    void* text = buffer ? LocalLock(buffer) : nullptr;
    if (!text) log_message(3, "Main", "Failed to copy the text for the viewer.");
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L""));
    if (text) LocalUnlock(buffer);
    if (buffer) LocalFree(buffer);
}

// The 8-bit edit is given its text through the 8-bit WM_SETTEXT call, which
// every edit converts correctly; a handed-in buffer is taken as 16-bit text
// by some edit implementations. The edit keeps a copy of its own.
void ansi_edit_set_text(HWND edit, const char* text) { SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }

// Empties an edit, releasing the copy it showed.
void edit_release_text(HWND edit) {
    if (GetWindowTextLengthW(edit) == 0) return;
    if (IsWindowUnicode(edit))
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    else
        ansi_edit_set_text(edit, "");
}

void feed_ansi_edit(ViewerState* state, const DataEntry& entry) {
    HLOCAL copy = copy_entry_text(entry, false);
    if (!copy) {
        ansi_edit_set_text(state->ansiEdit, "");
        return;
    }
    if (void* text = LocalLock(copy)) {
        ansi_edit_set_text(state->ansiEdit, static_cast<const char*>(text));
        LocalUnlock(copy);
    }
    LocalFree(copy);
}

// Builds the CF_LOCALE description into state->localeText.
void build_locale_text(ViewerState* state, const DataEntry& entry) {
    uint32_t lcid = 0;
    {
        GlobalLockGuard lock(entry.data);
        if (lock) lcid = locale_id_from_block(lock.as<const uint8_t>(), readable_size(entry, lock));
    }
    wchar_t platformName[81] = {};
    char16_t name[81] = {};
    if (GetLocaleInfoW(lcid, LOCALE_SLANGUAGE, platformName, 80)) {
        static_assert(sizeof(wchar_t) == sizeof(char16_t));
        std::memcpy(name, platformName, sizeof name);
        name[80] = 0;
    } else {
        locale_unknown_name(locale_language_id(lcid), name, 81);
    }
    char16_t text[256];
    size_t length = locale_text(name, lcid, text, 256);
    if (length > 255) length = 255;  // a name is at most 80 characters: never cut
    SIZE_T bytes = (length + 1) * sizeof(wchar_t);

    if (!state->localeText) {
        state->localeText = GlobalAlloc(GMEM_MOVEABLE, bytes);
    } else if (GlobalSize(state->localeText) != bytes) {
        if (HGLOBAL grown = GlobalReAlloc(state->localeText, bytes, GMEM_MOVEABLE)) state->localeText = grown;
    }
    GlobalLockGuard lock(state->localeText);
    if (!lock) return;
    // Should the resize have failed, write only what the block holds.
    SIZE_T room = lock.size() / sizeof(wchar_t);
    if (room == 0) return;
    SIZE_T units = length < room ? length : room - 1;
    std::memcpy(lock.get(), text, units * sizeof(wchar_t));
    lock.as<wchar_t>()[units] = L'\0';
}

HLOCAL copy_locale_text(ViewerState* state) {
    GlobalLockGuard lock(state->localeText);
    const auto* bytes = lock.as<const uint8_t>();
    SIZE_T size = bytes ? lock.size() : 0;
    return make_text_copy(bytes, wide_text_length(bytes, size), 2);
}

// The format's registered name, for the ids the platform registers; null for the others.
const char16_t* registered_name(INT format, wchar_t (&name)[256]) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    name[0] = L'\0';
    if (format < 0xC000 || format > 0xFFFF || !GetClipboardFormatNameW(static_cast<UINT>(format), name, 256))
        return nullptr;
    return reinterpret_cast<const char16_t*>(name);
}

// The pane draws the pictures; the edits show the texts and reports.
FormatViewer choose_viewer(const DataEntry& entry) {
    const FormatViewerChoice choice = viewer_choice(entry);
    log_message(0, "Main", "Activate '%s' viewer", choice.name);
    if (choice.then) log_message(0, "Main", "Activate '%s' viewer", choice.then);
    switch (choice.viewer) {
    case FormatViewer::Image:
    case FormatViewer::EnhMetafile:
    case FormatViewer::MetafilePict:
    case FormatViewer::Bitmap:
        return FormatViewer::Pane;
    default:
        return choice.viewer;
    }
}

// Bytes in a code page as UTF-16; an invalid byte becomes U+FFFD.
std::u16string widen(UINT codePage, const uint8_t* bytes, size_t length) {
    const auto* text = reinterpret_cast<const char*>(bytes);
    const int count = static_cast<int>(length < 0x7FFFFFFF ? length : 0x7FFFFFFF);
    const int n = count ? MultiByteToWideChar(codePage, 0, text, count, nullptr, 0) : 0;
    std::u16string wide(static_cast<size_t>(n > 0 ? n : 0), u'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text, count, reinterpret_cast<wchar_t*>(wide.data()), n);
    return wide;
}

std::u16string text8_to_utf16(const uint8_t* bytes, size_t length) { return widen(CP_ACP, bytes, length); }

// The shell's display names of a CIDA's lists, the parent folder first; asked
// for only once every offset and item chain lies inside the block.
std::vector<std::u16string> id_list_names(const uint8_t* bytes, size_t size) {
    std::vector<std::u16string> names;
    const IdListArray cida = formats_parse_idlist(bytes, size);
    if (!cida.ok || cida.lists.empty()) return names;
    const auto* parent = reinterpret_cast<PCIDLIST_ABSOLUTE>(bytes + cida.lists[0].offset);
    for (size_t i = 0; i < cida.lists.size(); ++i) {
        const auto* child = reinterpret_cast<PCUIDLIST_RELATIVE>(bytes + cida.lists[i].offset);
        PIDLIST_ABSOLUTE combined = i ? lazy_il_combine(parent, child) : lazy_il_clone(parent);
        PWSTR name = nullptr;
        if (combined && SUCCEEDED(lazy_sh_get_name_from_id_list(combined, SIGDN_NORMALDISPLAY, &name)) && name)
            names.emplace_back(reinterpret_cast<const char16_t*>(name));
        else
            names.emplace_back(u"(no name)");
        CoTaskMemFree(name);
        lazy_il_free(combined);
    }
    return names;
}

// What the wide edit shows for the UTF-8 and the structured formats.
std::u16string entry_report(FormatViewer viewer, const DataEntry& entry) {
    GlobalLockGuard lock(entry.data);
    const auto* bytes = lock.as<const uint8_t>();
    const SIZE_T size = bytes ? readable_size(entry, lock) : 0;
    if (viewer == FormatViewer::Utf8Text) return widen(CP_UTF8, bytes, formats_text_span(bytes, size, 0, false).bytes);
    FormatsPlatform platform;
    platform.text8 = text8_to_utf16;
    platform.fileTime = local_time_text;
    std::vector<std::u16string> names;
    if (viewer == FormatViewer::IdList) platform.idListNames = &(names = id_list_names(bytes, size));
    return formats_report(viewer, bytes, size, platform);
}

// Decoded once here rather than on every paint; blended over the pane's
// background, since StretchDIBits copies colours only.
void decode_image(ViewerState* state, const DataEntry& entry) {
    GlobalLockGuard lock(entry.data);
    const auto* bytes = lock.as<const uint8_t>();
    state->image = new (std::nothrow) DecodedImage(viewer_decode_image(bytes, bytes ? readable_size(entry, lock) : 0));
    if (!state->image) return;
    const COLORREF back = GetSysColor(COLOR_BTNFACE);
    const int under[3] = {GetBValue(back), GetGValue(back), GetRValue(back)};
    std::vector<uint8_t>& pixels = state->image->pixels;
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
        const int alpha = pixels[i + 3];
        for (int c = 0; c < 3; ++c)
            pixels[i + c] = static_cast<uint8_t>((pixels[i + c] * alpha + under[c] * (255 - alpha) + 127) / 255);
    }
}

void show_viewer(ViewerState* state, HWND shown) {
    SendMessageW(state->outerSplitter, UISPM_SETPANES, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(shown));
    for (HWND w : {state->viewerPane, state->ansiEdit, state->wideEdit})
        if (w != shown) ShowWindow(w, SW_HIDE);
    ShowWindow(shown, SW_SHOW);
}

void show_text_viewer(ViewerState* state, FormatViewer kind, const DataEntry& entry) {
    HWND edit;
    if (kind == FormatViewer::AnsiText) {
        feed_ansi_edit(state, entry);
        edit_release_text(state->wideEdit);
        edit = state->ansiEdit;
    } else {
        if (kind == FormatViewer::Locale) build_locale_text(state, entry);
        if (kind == FormatViewer::Locale || kind == FormatViewer::WideText) {
            wide_edit_set_buffer(state->wideEdit,
                                 kind == FormatViewer::Locale ? copy_locale_text(state) : copy_entry_text(entry, true));
        } else {
            const std::u16string text = entry_report(kind, entry);
            SendMessageW(state->wideEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        edit_release_text(state->ansiEdit);
        edit = state->wideEdit;
    }
    show_viewer(state, edit);
    InvalidateRect(state->viewerPane, nullptr, TRUE);
}

void show_pane(ViewerState* state) {
    edit_release_text(state->ansiEdit);
    edit_release_text(state->wideEdit);
    SetScrollRange(state->viewerPane, SB_HORZ, 0, 0, TRUE);
    SetScrollRange(state->viewerPane, SB_VERT, 0, 0, TRUE);
    show_viewer(state, state->viewerPane);
    InvalidateRect(state->viewerPane, nullptr, TRUE);
}

}  // namespace

FormatViewerChoice viewer_choice(const DataEntry& entry) {
    wchar_t name[256];
    return formats_choose_viewer(entry.format, registered_name(entry.format, name));
}

void viewer_activate(ViewerState* state, EntryTable* table, int index) {
    // An index past the table cannot be shown; it means no entry.
    if (!entry_at(table, index)) index = -1;
    if (index == table->active) return;
    log_message(0, "Main", "main_activate_item_viewer %d => %d", table->active, index);
    delete state->image;
    state->image = nullptr;

    if (DataEntry* old = entry_at(table, table->active)) {
        SendMessageW(state->hexDump, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&old->selectionAnchor),
                     reinterpret_cast<LPARAM>(&old->selectionCaret));
        SendMessageW(state->hexDump, UIHDM_GETTOPOFFSET, reinterpret_cast<WPARAM>(&old->scrollOffset), 0);
    }

    if (index < 0) {
        log_message(0, "Main", "Activate 'No data' viewer");
        table->active = -1;
        SendMessageW(state->hexDump, UIHDM_SETDATA, static_cast<WPARAM>(-1), 0);
        show_pane(state);
        return;
    }

    table->active = index;
    const DataEntry& entry = table->items[index];
    SendMessageW(state->hexDump, UIHDM_SETDATA, entry.size, reinterpret_cast<LPARAM>(entry.data));
    SendMessageW(state->hexDump, UIHDM_SETTOPOFFSET, static_cast<WPARAM>(static_cast<UINT>(entry.scrollOffset)), 0);
    SendMessageW(state->hexDump, UIHDM_SETSEL, static_cast<WPARAM>(static_cast<INT_PTR>(entry.selectionAnchor)),
                 static_cast<LPARAM>(entry.selectionCaret));

    FormatViewer kind = choose_viewer(entry);
    if (kind == FormatViewer::Pane && viewer_choice(entry).viewer == FormatViewer::Image) decode_image(state, entry);
    if (kind == FormatViewer::Pane)
        show_pane(state);
    else
        show_text_viewer(state, kind, entry);
}
