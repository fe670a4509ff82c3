// Copy As and Export As: the hex dump's selection as dump text, a source
// array or raw bytes, onto the clipboard or into a file.
#include "export/export.h"

#include "base/center.h"
#include "base/lazy_dll.h"
#include "base/log.h"
#include "base/win_raii.h"
#include "entries/entries.h"
#include "export/array_core.h"
#include "export/filter_core.h"
#include "hexdump/uihexdump.h"

#include <climits>
#include <commdlg.h>
#include <cstring>

namespace {

// Kept for the program's run so the next export proposes the last file and type.
wchar_t g_export_path[MAX_PATH];
int g_export_filter_index;

// The selection of a hex dump, ordered and kept inside the bytes its data
// block really holds (the control's numbers are not trusted to read memory).
struct Selection {
    HGLOBAL data = nullptr;
    int anchor = 0;
    int caret = 0;
};

bool get_selection(HWND hexDump, Selection* sel) {
    sel->data = reinterpret_cast<HGLOBAL>(SendMessageW(hexDump, UIHDM_GETDATA, 0, 0));
    if (!sel->data) return false;
    return SendMessageW(hexDump, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&sel->anchor),
                        reinterpret_cast<LPARAM>(&sel->caret)) != 0;
}

void set_length(int* length, int value) {
    if (length) *length = value;
}

}  // namespace

HGLOBAL format_array(HWND hexDump, const char* title, const ArrayNotation* notation, int* length) {
    set_length(length, 0);
    Selection sel;
    if (!notation || !get_selection(hexDump, &sel)) return nullptr;
    GlobalLockGuard data(sel.data);
    if (!data) return nullptr;
    std::size_t start, count;
    array_selection_range(sel.anchor, sel.caret, data.size(), &start, &count);
    const unsigned char* bytes = data.as<unsigned char>() + start;
    auto offset = static_cast<std::uint32_t>(start);

    std::size_t total = array_text_length(*notation, bytes, count, offset, title);
    if (total == array_too_large || total >= static_cast<std::size_t>(INT_MAX)) return nullptr;
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, total + 1));
    if (!block) return nullptr;
    {
        GlobalLockGuard out(block.get());
        if (!out) return nullptr;
        if (array_text_write(*notation, bytes, count, offset, title, out.as<char>()) != total) return nullptr;
    }
    set_length(length, static_cast<int>(total));
    return block.release();
}

HGLOBAL format_c_array(HWND hexDump, const char* title, int* length) {
    return format_array(hexDump, title, &array_notation_c_array, length);
}
HGLOBAL format_c_string(HWND hexDump, const char* title, int* length) {
    return format_array(hexDump, title, &array_notation_c_string, length);
}
HGLOBAL format_csharp_array(HWND hexDump, const char* title, int* length) {
    return format_array(hexDump, title, &array_notation_csharp_array, length);
}
HGLOBAL format_java_array(HWND hexDump, const char* title, int* length) {
    return format_array(hexDump, title, &array_notation_java_array, length);
}
HGLOBAL format_pascal_array(HWND hexDump, const char* title, int* length) {
    return format_array(hexDump, title, &array_notation_pascal_array, length);
}
HGLOBAL format_vbnet_array(HWND hexDump, const char* title, int* length) {
    return format_array(hexDump, title, &array_notation_vbnet_array, length);
}

HGLOBAL hexdump_copy_selection(HWND hexDump, BYTE zeroReplacement, int* length) {
    set_length(length, 0);
    Selection sel;
    if (!get_selection(hexDump, &sel)) return nullptr;
    GlobalLockGuard data(sel.data);
    if (!data) return nullptr;
    std::size_t start, count;
    array_selection_range(sel.anchor, sel.caret, data.size(), &start, &count);
    if (count >= static_cast<std::size_t>(INT_MAX)) return nullptr;
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, count + 1));
    if (!block) return nullptr;
    {
        GlobalLockGuard out(block.get());
        if (!out) return nullptr;
        unsigned char* dst = out.as<unsigned char>();
        std::memcpy(dst, data.as<unsigned char>() + start, count);
        if (zeroReplacement) {
            for (std::size_t i = 0; i < count; ++i)
                if (dst[i] == 0) dst[i] = zeroReplacement;
        }
    }
    set_length(length, static_cast<int>(count));
    return block.release();
}

namespace {

void set_default_extension(HWND dialog, const OPENFILENAMEW* ofn) {
    wchar_t ext[32];
    bool found = ofn && filter_default_extension(ofn->lpstrFilter, static_cast<int>(ofn->nFilterIndex), ext, 32);
    SendMessageW(dialog, CDM_SETDEFEXT, 0, found ? reinterpret_cast<LPARAM>(ext) : 0);
}

// The hook lives in a child dialog of the explorer-style dialog; the real
// dialog is its parent.
UINT_PTR CALLBACK save_dialog_hook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_NOTIFY) return 0;
    auto* notify = reinterpret_cast<OFNOTIFYW*>(lParam);
    HWND dialog = GetParent(child);
    switch (notify->hdr.code) {
    case CDN_INITDONE:
        center_on_parent(dialog);
        set_default_extension(dialog, notify->lpOFN);
        break;
    case CDN_TYPECHANGE:
        set_default_extension(dialog, notify->lpOFN);
        break;
    default:
        break;
    }
    return 0;
}

}  // namespace

int save_file_dialog(HWND owner, const wchar_t* title, wchar_t* path, const wchar_t* filters, int* filterIndex,
                     bool showHelp) {
    if (!path) return -1;
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = GetModuleHandleW(nullptr);
    ofn.lpstrFilter = filters;
    int index = filterIndex ? *filterIndex : 1;
    // The index is shared by lists of different lengths; one past this list
    // would leave the dialog showing the first type while the hook finds none.
    if (index < 0 || index > filter_pair_count(filters)) index = 1;
    ofn.nFilterIndex = static_cast<DWORD>(index);
    // The dialog writes into its buffer also when it fails (the size it needed
    // after FNERR_BUFFERTOOSMALL): the caller's path changes only on OK.
    wchar_t chosen[MAX_PATH];
    lstrcpynW(chosen, path, MAX_PATH);
    ofn.lpstrFile = chosen;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title;
    ofn.lpfnHook = save_dialog_hook;
    // The hook sets the real default extension (CDM_SETDEFEXT). Dialogs that do
    // not implement that message still add the selected type's extension when a
    // default extension exists at all; an empty one adds nothing for "*.*".
    ofn.lpstrDefExt = L"";
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN | OFN_NOCHANGEDIR |
                OFN_ENABLEHOOK | (showHelp ? OFN_SHOWHELP : 0);
    if (lazy_get_save_file_name(&ofn)) {
        lstrcpynW(path, chosen, MAX_PATH);
        if (filterIndex) *filterIndex = static_cast<int>(ofn.nFilterIndex);
        return 0;
    }
    return lazy_comm_dlg_extended_error() == 0 ? 1 : -1;
}

namespace {

// Produces the block a Copy As or Export As command asks for, under the wait
// cursor. `length` receives the byte count to use (-1: the whole block).
HGLOBAL produce_block(HWND hexDump, ExportKind kind, int* length) {
    *length = -1;
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    HGLOBAL block = nullptr;
    if (kind == ExportKind::Dump)
        block = reinterpret_cast<HGLOBAL>(SendMessageW(hexDump, UIHDM_GETDUMPTEXT, 0, reinterpret_cast<LPARAM>(length)));
    else if (kind == ExportKind::Raw)
        block = hexdump_copy_selection(hexDump, 0, length);
    else
        block = format_array(hexDump, nullptr, array_notations[static_cast<int>(kind) - static_cast<int>(ExportKind::CArray)],
                             length);
    SetCursor(previous ? previous : LoadCursorW(nullptr, IDC_ARROW));
    return block;
}

// Filter lists of the export kinds, in their order.
const wchar_t* const kExportFilters[] = {
    L"Binary (*.bin)\0*.bin\0All (*.*)\0*.*\0",
    L"Dump (*.txt)\0*.txt\0All (*.*)\0*.*\0",
    L"C Array (*.c)\0*.c\0",
    L"C String (*.c)\0*.c\0",
    L"C# Array (*.cs)\0*.cs\0",
    L"Java Array (*.java)\0*.java\0",
    L"Pascal Array (*.pas)\0*.pas\0",
    L"VB.NET Array(*.vb)\0*.vb\0",
};

}  // namespace

void export_copy_as(HWND hexDump, ExportKind kind) {
    if (!is_hexdump_window(hexDump) || kind == ExportKind::Raw) return;
    log_message(0, "Main", "main_on_copy_as");
    // The text is made first: formatting a large selection must not keep the
    // clipboard from every other program meanwhile.
    int length;
    GlobalBlock block(produce_block(hexDump, kind, &length));
    if (!block) {
        log_message(0, "Main", "main_on_copy_as: error got no data");
        MessageBeep(0xFFFFFFFF);
        return;
    }
    ClipboardGuard clipboard(hexDump);
    if (!clipboard) {
        log_message(0, "Main", "main_on_copy_as: error OpenClipboard");
        MessageBeep(0xFFFFFFFF);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, block.get())) {
        block.release();  // the clipboard owns it now
    } else {
        // Not taken: the block stays ours and is freed, not leaked.
        log_message(0, "Main", "main_on_copy_as: error SetClipboardData");
        MessageBeep(0xFFFFFFFF);
    }
}

void export_save_as(HWND hexDump, ExportKind kind) {
    if (!is_hexdump_window(hexDump)) return;
    log_message(0, "Main", "main_on_export_as");
    if (save_file_dialog(hexDump, L"Export to", g_export_path, kExportFilters[static_cast<int>(kind)],
                         &g_export_filter_index, false) != 0)
        return;
    log_message(0, "Main", "main_on_export_as \"%ls\"", g_export_path);
    int length;
    GlobalBlock block(produce_block(hexDump, kind, &length));
    if (!block) {
        log_message(0, "Main", "main_on_export_as: error no data");
        MessageBeep(0xFFFFFFFF);
        return;
    }
    int result = GlobalSave(block.get(), static_cast<UINT>(length), g_export_path);
    if (result != 0) {
        log_message(0, "Main", "main_on_export_as: error %d in GlobalSave()", result);
        MessageBeep(0xFFFFFFFF);
    }
}
