// The modal form dialog: the empty in-memory template, the dialog procedure
// shared by all forms, OK with read-back, and the tree dump.
#include "uiform/uiform.h"
#include "uiform/background.h"
#include "base/lazy_dll.h"
#include "base/center.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Style, no controls, no size, no title; DS_SETFONT with 8-point "Tahoma".
// The form sizes, titles and fills the dialog when it initialises.
constexpr DWORD kTemplateStyle = 0x90C800C0;
alignas(4) const WORD kTemplate[] = {
    LOWORD(kTemplateStyle), HIWORD(kTemplateStyle),  // style
    0, 0,                                            // extended style
    0,                                               // number of items
    0, 0, 0, 0,                                      // x, y, cx, cy
    0,                                               // menu
    0,                                               // window class
    0,                                               // title
    8,                                               // point size
    L'T', L'a', L'h', L'o', L'm', L'a', 0,
};

// Marks a form dialog from WM_INITDIALOG to WM_NCDESTROY and holds its form,
// also when initialisation failed; DWLP_USER holds it only once that succeeded.
constexpr wchar_t kRunProperty[] = L"UiFormRun";
constexpr wchar_t kOwnedIconProperty[] = L"UiFormOwnedIcon";
constexpr wchar_t kKeepFocusProperty[] = L"UiFormKeepFocus";

// The form of a running form dialog; null for any other window, whose user
// data is never read.
UiForm* attached_form(HWND dialog) {
    auto* marked = dialog ? static_cast<UiForm*>(GetPropW(dialog, kRunProperty)) : nullptr;
    if (!marked) return nullptr;
    auto* attached = reinterpret_cast<UiForm*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return attached == marked ? attached : nullptr;
}

HWND first_focus(HWND dialog) {
    std::vector<HWND> seen;
    for (HWND c = GetNextDlgTabItem(dialog, nullptr, FALSE); c; c = GetNextDlgTabItem(dialog, c, FALSE)) {
        for (HWND s : seen)
            if (s == c) return nullptr;
        seen.push_back(c);
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        const bool readOnlyEdit = lstrcmpiW(cls, L"Edit") == 0 && (GetWindowLongW(c, GWL_STYLE) & ES_READONLY);
        if (!readOnlyEdit) return c;
    }
    return nullptr;
}

void size_to_root(HWND dialog, const UiFormNode* root) {
    RECT client, window;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    const int width = (window.right - window.left) + root->width - client.right;
    const int height = (window.bottom - window.top) + root->height - client.bottom;
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

INT_PTR on_init_dialog(HWND dialog, WPARAM wParam, UiForm* form) {
    std::puts("uiform_on_WM_INITDIALOG");
    if (!form) return FALSE;
    SetPropW(dialog, kRunProperty, form);
    form->dialog = dialog;
    SetWindowTextW(dialog, form->title);

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    form->dialogFont = font;
    form->italicFont = nullptr;
    LOGFONTW description;
    if (font && GetObjectW(font, sizeof description, &description) == sizeof description) {
        description.lfItalic = TRUE;
        form->italicFont = CreateFontIndirectW(&description);
    }

    if (form->buttons != UIFORM_BUTTONS_NONE) uiform_add_button_row(form);

    std::puts("uiform_create_controls");
    if (uiform_create_controls(form, dialog) == 0) {
        if (form->root) uiform_dump(form);
        std::puts("uiform_create_controls OK");
        size_to_root(dialog, form->root);
        center_on_parent(dialog);
        HWND focus = first_focus(dialog);
        std::printf("Has focus: %s %d\n", focus ? "yes" : "no", focus ? GetDlgCtrlID(focus) : -1);
        PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(form));
    }
    std::fflush(stdout);

    if (form->callback) {
        intptr_t result = 0;
        if (form->callback(dialog, WM_INITDIALOG, wParam, reinterpret_cast<intptr_t>(form), &result)) return result;
    }
    return FALSE;  // no focus of the system's own: the posted WM_NEXTDLGCTL decides
}

INT_PTR on_ok(HWND dialog) {
    UiForm* form = attached_form(dialog);
    if (!form) {
        // Without controls nothing can be read: report the dialog as not
        // confirmed rather than claim values were written.
        EndDialog(dialog, IDCANCEL);
        return 1;
    }
    UiFormNode* failed = nullptr;
    if (uiform_read_back(form, form->root, &failed) != 0) {
        if (failed && failed->control) {
            HWND control = static_cast<HWND>(failed->control);
            PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
            SetFocus(control);
        }
        MessageBeep(0xFFFFFFFF);
        return 0;
    }
    EndDialog(dialog, IDOK);
    return 1;
}

void activate_radio_of_row(UiFormNode* n) {
    UiFormNode* leader = n->parent ? n->parent->firstChild : nullptr;
    if (!leader || leader->kind != UIFORM_RADIOTEXT) return;
    std::puts("Activate radio!");
    UiFormNode* group = uiform_radio_group(n);
    if (!group) return;
    for (UiFormNode* r = group->nextRadio; r; r = r->nextRadio)
        if (r->control)
            SendMessageW(static_cast<HWND>(r->control), BM_SETCHECK, r == leader ? BST_CHECKED : BST_UNCHECKED, 0);
}

INT_PTR on_other_command(HWND dialog, WPARAM wParam, LPARAM lParam) {
    std::printf("uiform_on_WM_COMMAND ctrlid=%d action=%d\n", LOWORD(wParam), HIWORD(wParam));
    UiForm* form = attached_form(dialog);
    UiFormNode* n = form ? uiform_find_control(form, reinterpret_cast<HWND>(lParam)) : nullptr;
    if (!n) return 0;
    switch (n->kind) {
    case UIFORM_CHECKBUTTON:
    case UIFORM_OPENC:
        uiform_apply_enabling(form);
        break;
    case UIFORM_EDITTEXT:
        if (HIWORD(wParam) == EN_CHANGE) activate_radio_of_row(n);
        break;
    case UIFORM_BUTTON:
        if (HIWORD(wParam) == BN_CLICKED) activate_radio_of_row(n);
        break;
    default:
        break;
    }
    return 0;
}

INT_PTR on_command(HWND dialog, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDOK: return on_ok(dialog);
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return 1;
    default: return on_other_command(dialog, wParam, lParam);
    }
}

INT_PTR on_draw_item(HWND dialog, WPARAM wParam, const DRAWITEMSTRUCT* item) {
    std::printf("uiform_on_WM_DRAWITEM ctrlid=%d\n", static_cast<int>(wParam));
    UiForm* form = attached_form(dialog);
    UiFormNode* n = form && item ? uiform_find_control(form, item->hwndItem) : nullptr;
    if (n && n->kind == UIFORM_COLORREF && item->itemAction == ODA_DRAWENTIRE && n->value) {
        HBRUSH brush = CreateSolidBrush(*static_cast<const COLORREF*>(n->value));
        if (brush) {
            FillRect(item->hDC, &item->rcItem, brush);
            DeleteObject(brush);
        }
    }
    return 0;
}

BOOL CALLBACK drop_owned_icon(HWND control, LPARAM) {
    if (HANDLE icon = RemovePropW(control, kOwnedIconProperty)) DestroyIcon(static_cast<HICON>(icon));
    return TRUE;
}

INT_PTR on_destroy(HWND dialog) {
    EnumChildWindows(dialog, drop_owned_icon, 0);
    return 0;
}

// The dialog's last message: its controls are gone, so the font they were
// drawing with can go too.
INT_PTR on_nc_destroy(HWND dialog) {
    auto* form = static_cast<UiForm*>(RemovePropW(dialog, kRunProperty));
    if (form) {
        if (form->italicFont) DeleteObject(static_cast<HFONT>(form->italicFont));
        form->italicFont = nullptr;
    }
    return 0;
}

void dump_node(const UiFormNode* n) {
    int controlW = 0, controlH = 0;
    RECT r;
    if (n->control && GetWindowRect(static_cast<HWND>(n->control), &r)) {
        controlW = r.right - r.left;
        controlH = r.bottom - r.top;
    }
    std::printf("%5d: %*s %ls [%d/%d %d %d] [%d %d]\n", n->id, 2 * uiform_node_depth(n), "", uiform_keyword(n->kind),
                n->x, n->y, n->width, n->height, controlW, controlH);
}

}  // namespace

int32_t uiform_request(UiForm* form, HINSTANCE instance, HWND owner, UiFormCallback callback, intptr_t userData) {
    std::puts("uiform_request");
    if (!form) return -1;
    form->instance = instance;
    form->callback = callback;
    form->userData = userData;
    std::fflush(stdout);
    INT_PTR code = DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(kTemplate), owner,
                                           uiform_dialog_proc, reinterpret_cast<LPARAM>(form));
    form->dialog = nullptr;
    if (code == IDOK) return 0;
    if (code == IDCANCEL) return 1;
    return -1;
}

int32_t uiform_simple(HINSTANCE instance, const wchar_t* title, HWND owner, const UiFormItem* items,
                      UiFormCallback callback, intptr_t userData) {
    UiForm* form = nullptr;
    int32_t rc = uiform_create(&form, title);
    if (rc == UIFORM_OK) rc = items ? uiform_add_items(form, items) : UIFORM_ERR_ARG;
    if (rc == UIFORM_OK) rc = uiform_request(form, instance, owner, callback, userData);
    uiform_destroy(&form);
    std::printf("uiform_simple() => %d\n", rc);
    std::fflush(stdout);
    return rc;
}

INT_PTR CALLBACK uiform_dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    if (dialog_background_handle(dialog, message, wParam, lParam, &result)) return result;
    UiForm* form = attached_form(dialog);
    if (form && form->callback) {
        intptr_t hooked = 0;
        if (form->callback(dialog, message, wParam, lParam, &hooked)) return hooked;
    }
    switch (message) {
    case WM_INITDIALOG: return on_init_dialog(dialog, wParam, reinterpret_cast<UiForm*>(lParam));
    case WM_COMMAND: return on_command(dialog, wParam, lParam);
    case WM_DRAWITEM: return on_draw_item(dialog, wParam, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_DESTROY: return on_destroy(dialog);
    case WM_NCDESTROY: return on_nc_destroy(dialog);
    case WM_NEXTDLGCTL:
        // "No control": activation has already given the first tab stop the
        // focus, so the dialog itself takes it, without the dialog manager
        // handing it straight back to that control.
        if (lParam && !wParam) {
            SetPropW(dialog, kKeepFocusProperty, dialog);
            SetFocus(dialog);
            RemovePropW(dialog, kKeepFocusProperty);
            return TRUE;
        }
        return 0;
    case WM_SETFOCUS: return GetPropW(dialog, kKeepFocusProperty) ? TRUE : 0;
    default: return 0;
    }
}

intptr_t uiform_get_userdata(HWND dialog) {
    UiForm* form = attached_form(dialog);
    return form ? form->userData : 0;
}

void* uiform_get_item_value(HWND dialog, int id) {
    UiForm* form = attached_form(dialog);
    HWND control = form ? GetDlgItem(dialog, id) : nullptr;
    UiFormNode* n = control ? uiform_find_control(form, control) : nullptr;
    return n ? n->value : nullptr;
}

int uiform_update_item(HWND dialog, int id) {
    UiForm* form = attached_form(dialog);
    HWND control = form ? GetDlgItem(dialog, id) : nullptr;
    UiFormNode* n = form && control ? uiform_find_control(form, control) : nullptr;
    if (!n) return 0;
    switch (n->kind) {
    case UIFORM_TEXT: {
        const wchar_t* text = reinterpret_cast<uintptr_t>(n->value) >= 0x10000 ? static_cast<const wchar_t*>(n->value)
                                                                                : n->resolvedText;
        SetWindowTextW(control, text ? text : L"");
        int32_t w = 0, h = 0;
        uiform_text_size(dialog, text, -1, &w, &h);
        SetWindowPos(control, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case UIFORM_EDITTEXT: {
        auto* record = static_cast<UiFormEditTextHeader*>(n->value);
        if (record && record->capacity > 0) {
            const wchar_t* buffer = uiform_edittext_buffer(record);
            SetWindowTextW(control, std::wstring(buffer, wcsnlen(buffer, static_cast<size_t>(record->capacity))).c_str());
        }
        break;
    }
    case UIFORM_ICON: {
        if (!(n->flags & UIF_FILEICON) || !n->value) break;
        const auto* file = static_cast<const UiFormFileIcon*>(n->value);
        wchar_t path[260];
        lstrcpynW(path, file->path, 260);
        HICON icon = nullptr;
        if (n->flags & UIF_READONLY) lazy_extract_icon_ex(path, file->index, nullptr, &icon, 1);
        else lazy_extract_icon_ex(path, file->index, &icon, nullptr, 1);
        if (!icon) break;
        // Extracted icons are ours to destroy, unlike the shared loaded ones;
        // the control keeps the one it shows until it is replaced or destroyed.
        auto previous = static_cast<HICON>(GetPropW(control, kOwnedIconProperty));
        SendMessageW(control, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        SetPropW(control, kOwnedIconProperty, icon);
        if (previous) DestroyIcon(previous);
        break;
    }
    case UIFORM_COLORREF:
    case UIFORM_OWNERDRAW:
        InvalidateRect(control, nullptr, FALSE);
        break;
    default:
        break;
    }
    return 1;
}

int uiform_focus_item(HWND dialog, int id) {
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    if (control) {
        PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        SetFocus(control);
    }
    return 0;
}

int32_t uiform_dump(const UiForm* form) {
    if (!form || !form->root) return UIFORM_ERR_NOROOT;
    for (const UiFormNode* n = form->root; n; n = uiform_node_next(form->root, n)) dump_node(n);
    std::fflush(stdout);
    return 0;
}
