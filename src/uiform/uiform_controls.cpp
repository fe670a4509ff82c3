// The controls of a form: measuring with the dialog's font, creating and
// filling one control per kind, enabling by check boxes, and reading back.
// The layout and the enabling rule come from the core (uiform_core.h); this
// file hands it the measurer and the check box reader and applies its answers.
#include "uiform/uiform.h"
#include "uiform/datetime_core.h"
#include "uiform/link.h"
#include "base/win_raii.h"

#include <commctrl.h>
#include <cstdio>
#include <string>

const wchar_t uiform_default_link_address[] = L"https://clipnook.example.org/";

namespace {

HWND as_hwnd(void* p) { return static_cast<HWND>(p); }
HWND dialog_of(const UiForm* form) { return as_hwnd(form->dialog); }

// ---------------------------------------------------------------------------
// Measuring

int32_t wrap_height(void* context, const wchar_t* text, int32_t width) {
    HWND dialog = static_cast<HWND>(context);
    if (!text) return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    WindowDC dc(dialog);
    if (!dc || !font) return 0;
    SelectGuard select(dc.get(), font);
    RECT r{0, 0, width, 0};
    return DrawTextW(dc.get(), text, -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
}

void measure_text(void* context, const wchar_t* text, int32_t count, int32_t* width, int32_t* height) {
    uiform_text_size(static_cast<HWND>(context), text, count, width, height);
}

void load_string(void*, void* instance, uint32_t id, wchar_t* buffer, int32_t capacity) {
    LoadStringW(static_cast<HINSTANCE>(instance), id, buffer, capacity);
}

// -1..-4 select the system's error, exclamation, information and question
// icons; anything else names an icon resource of the form's module.
HICON load_item_icon(void* instance, const void* value) {
    const intptr_t v = reinterpret_cast<intptr_t>(value);
    switch (v) {
    case -1: return LoadIconW(nullptr, IDI_HAND);
    case -2: return LoadIconW(nullptr, IDI_EXCLAMATION);
    case -3: return LoadIconW(nullptr, IDI_ASTERISK);
    case -4: return LoadIconW(nullptr, IDI_QUESTION);
    default: return LoadIconA(static_cast<HINSTANCE>(instance), static_cast<LPCSTR>(value));
    }
}

bool icon_bitmap_size(HICON icon, int32_t* width, int32_t* height) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return false;
    GdiObject<HBITMAP> colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    bool ok;
    if (colour) {
        ok = GetObjectW(colour.get(), sizeof bm, &bm) != 0;
    } else {
        // A monochrome icon keeps image and mask stacked in one bitmap.
        ok = GetObjectW(mask.get(), sizeof bm, &bm) != 0;
        bm.bmHeight /= 2;
    }
    if (!ok) return false;
    *width = bm.bmWidth;
    *height = bm.bmHeight;
    return true;
}

bool icon_size(void*, void* instance, const void* value, int32_t* width, int32_t* height) {
    return icon_bitmap_size(load_item_icon(instance, value), width, height);
}

// ---------------------------------------------------------------------------
// Creating controls

struct Creator {
    UiForm* form;
    HWND dialog;
    HINSTANCE instance;
    HFONT font;
};

HWND make_window(const Creator& c, DWORD exStyle, const wchar_t* cls, const wchar_t* caption, DWORD style, int x,
                 int y, int w, int h, int id, bool withFont = true) {
    HWND control = CreateWindowExW(exStyle, cls, caption, style, x, y, w, h, c.dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), c.instance, nullptr);
    if (control && withFont && c.font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(c.font), FALSE);
    return control;
}

HWND make_node_window(const Creator& c, UiFormNode* n, DWORD exStyle, const wchar_t* cls, const wchar_t* caption,
                      DWORD style, bool withFont = true) {
    return make_window(c, exStyle, cls, caption, style, n->x, n->y, n->width, n->height, n->id, withFont);
}

const wchar_t* text_or_blank(const wchar_t* s) { return s ? s : L" "; }

template <class T>
T* value_as(UiFormNode* n) {
    return static_cast<T*>(n->value);
}

bool is_checked(void* control) {
    return control && SendMessageW(as_hwnd(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void show_number(UiFormNode* n, bool isSigned) {
    if (!n->value) return;
    wchar_t text[16];
    if (isSigned) wsprintfW(text, L"%d", *value_as<int32_t>(n));
    else wsprintfW(text, L"%u", *value_as<uint32_t>(n));
    SetWindowTextW(as_hwnd(n->control), text);
}

struct ComboFill {
    HWND combo;
    std::wstring piece;
};

void add_combo_piece(void* context, const wchar_t* piece, int32_t length) {
    auto* fill = static_cast<ComboFill*>(context);
    fill->piece.assign(piece, static_cast<size_t>(length));
    SendMessageW(fill->combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fill->piece.c_str()));
}

HWND create_combo(const Creator& c, UiFormNode* n) {
    int32_t blankW = 0, blankH = 0;
    uiform_text_size(c.dialog, L" ", -1, &blankW, &blankH);
    return make_window(c, WS_EX_CLIENTEDGE, L"ComboBox", L"", 0x50030003, n->x, n->y, n->width, 10 * blankH + 4,
                       n->id);
}

void fill_combo(UiFormNode* n) {
    HWND combo = as_hwnd(n->control);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    ComboFill fill{combo, {}};
    uiform_combo_pieces(n->text, add_combo_piece, &fill);
    if (n->value) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(*value_as<int32_t>(n)), 0);
}

// LINEH / LINEV: the etched line and, with a caption, a static in control2.
int create_line(const Creator& c, UiFormNode* n) {
    const auto* caption = static_cast<const wchar_t*>(n->value);
    const bool hasCaption = caption && *caption;
    const bool horizontal = n->kind == UIFORM_LINEH;
    if (hasCaption) {
        int32_t w = 0, h = 0;
        uiform_text_size(c.dialog, caption, -1, &w, &h);
        // The caption comes first so that it lies above the line it interrupts.
        HWND label = horizontal
                         ? make_window(c, 0, L"Static", caption, 0x50000200, n->x, n->y, w + c.form->gapX, n->height, 0)
                         : make_window(c, 0, L"Static", caption, 0x50000200, n->x, n->y, n->width,
                                       h + c.form->gapX, 0);
        if (!label) return UIFORM_ERR_CONTROL;
        n->control2 = label;
    }
    HWND line = horizontal ? make_window(c, 0, L"Static", nullptr, 0x50000010, n->x,
                                         hasCaption ? n->y + n->height / 2 : n->y, n->width + 2, 2, n->id, false)
                           : make_window(c, 0, L"Static", nullptr, 0x50000011,
                                         hasCaption ? n->x + n->width / 2 : n->x, n->y, 2, n->height + 2, n->id,
                                         false);
    if (!line) return UIFORM_ERR_CONTROL;
    n->control = line;
    return UIFORM_OK;
}

void fill_check_list(UiFormNode* n) {
    HWND list = as_hwnd(n->control);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(list, &client);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - 17;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    auto* entries = value_as<UiFormCheckEntry>(n);
    if (!entries || !entries[0].text) return;
    int i = 0;
    for (; entries[i].text; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = const_cast<wchar_t*>(entries[i].text);
        item.lParam = i;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMW state{};
        state.state = INDEXTOSTATEIMAGEMASK(entries[i].checked ? 2 : 1);
        state.stateMask = LVIS_STATEIMAGEMASK;
        SendMessageW(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
    }
    LVITEMW first{};
    first.mask = LVIF_STATE;
    first.iItem = 0;
    first.state = first.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&first));
}

void set_icon(const Creator& c, UiFormNode* n) {
    HICON icon = load_item_icon(c.instance, n->value);
    int32_t w = 0, h = 0;
    if (!icon || !icon_bitmap_size(icon, &w, &h)) {
        std::puts("Error: Could not load icon!");
        return;
    }
    std::printf("Icon w=%ld h=%ld!\n", static_cast<long>(w), static_cast<long>(h));
    SendMessageW(as_hwnd(n->control), STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

// The link target: the item's own address when it has one.
const wchar_t* link_address(const UiFormNode* n) {
    return n->text && *n->text ? n->text : uiform_default_link_address;
}

// Creates the node's own control(s); 0, -3 or -6.
int create_own(const Creator& c, UiFormNode* n) {
    const uint32_t f = n->flags;
    HWND w = nullptr;
    switch (n->kind) {
    case UIFORM_LABEL: {
        int width = n->firstChild ? n->firstChild->x - n->x : n->width;
        w = make_window(c, 0, L"Static", static_cast<const wchar_t*>(n->value), 0x50000300, n->x, n->y, width,
                        n->height, 0);
        break;
    }
    case UIFORM_UINT:
    case UIFORM_SINT:
        w = make_node_window(c, n, WS_EX_CLIENTEDGE, L"Edit", L"", 0x50030002);
        if (w) {
            n->control = w;
            show_number(n, n->kind == UIFORM_SINT);
        }
        break;
    case UIFORM_CHECKBUTTON:
        w = make_node_window(c, n, 0, L"Button", text_or_blank(n->text), 0x50030003);
        if (w && n->value) SendMessageW(w, BM_SETCHECK, *value_as<int32_t>(n) ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case UIFORM_LINEH:
    case UIFORM_LINEV:
        return create_line(c, n);
    case UIFORM_COMBO:
        w = create_combo(c, n);
        if (w) {
            n->control = w;
            fill_combo(n);
        }
        break;
    case UIFORM_COMBOSTR:
        w = create_combo(c, n);
        break;
    case UIFORM_EDITTIME: {
        w = make_node_window(c, n, WS_EX_CLIENTEDGE, L"Edit", L"", 0x50030002);
        wchar_t text[24];
        if (w && n->value && uiform_format_time(*value_as<int32_t>(n), text, 24)) SetWindowTextW(w, text);
        break;
    }
    case UIFORM_EDITDATE: {
        if (f & UIF_ALT) return UIFORM_OK;  // room only
        w = make_node_window(c, n, WS_EX_CLIENTEDGE, L"Edit", L"", 0x50030082);
        wchar_t text[32];
        if (w && n->value && uiform_format_date(*value_as<int32_t>(n), text, 32)) SetWindowTextW(w, text);
        break;
    }
    case UIFORM_TEXT:
        w = make_node_window(c, n, 0, L"Static", n->resolvedText, 0x50000200);
        break;
    case UIFORM_WRAPTEXT:
        w = make_node_window(c, n, 0, L"Static", static_cast<const wchar_t*>(n->value), 0x50000000);
        if (w && (f & UIF_ALT) && c.form->italicFont)
            SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(c.form->italicFont), FALSE);
        break;
    case UIFORM_COPYTEXT:
        // Widened so that the edit's text lines up with the statics around it.
        w = make_window(c, 0, L"Edit", n->resolvedText, 0x50030880, n->x - 3, n->y, n->width + 6, n->height, n->id);
        break;
    case UIFORM_LINKTEXT:
        w = make_node_window(c, n, 0, L"Button", static_cast<const wchar_t*>(n->value),
                             0x50030000 | ((f & UIF_DEFAULT) ? BS_DEFPUSHBUTTON : 0));
        if (w) {
            n->control = w;
            link_attach(c.dialog, n->id, c.instance, link_address(n), nullptr, LINK_CENTERED);
        }
        break;
    case UIFORM_EDITTEXT: {
        DWORD style = 0x50030080 | ((f & UIF_READONLY) ? ES_READONLY : 0) | ((f & UIF_ALT) ? ES_RIGHT : 0);
        w = make_node_window(c, n, WS_EX_CLIENTEDGE, L"Edit", L"", style);
        auto* record = value_as<UiFormEditTextHeader>(n);
        if (w && record && record->capacity > 0) {
            SendMessageW(w, EM_LIMITTEXT, static_cast<WPARAM>(record->capacity - 1), 0);
            const wchar_t* buffer = uiform_edittext_buffer(record);
            SetWindowTextW(w, std::wstring(buffer, wcsnlen(buffer, static_cast<size_t>(record->capacity))).c_str());
        }
        break;
    }
    case UIFORM_BUTTON: {
        DWORD style = 0x50010000 | ((n->parent && n->parent->firstChild == n) ? WS_GROUP : 0) |
                      ((f & UIF_DEFAULT) ? BS_DEFPUSHBUTTON : 0);
        w = make_node_window(c, n, 0, L"Button", static_cast<const wchar_t*>(n->value), style);
        break;
    }
    case UIFORM_ICON:
        w = make_node_window(c, n, 0, L"Static", L"", 0x50000203, false);
        if (w) {
            n->control = w;
            set_icon(c, n);
        }
        break;
    case UIFORM_LISTBOX:
        w = make_node_window(c, n, WS_EX_CLIENTEDGE, L"ListBox", L"", 0x50030101);
        break;
    case UIFORM_CHECKLB:
        w = make_node_window(c, n, 0x224, WC_LISTVIEWW, L"", 0x50034009);
        if (w) {
            n->control = w;
            fill_check_list(n);
        }
        break;
    case UIFORM_COLORREF:
        w = make_node_window(c, n, WS_EX_CLIENTEDGE, L"Static", L"", 0x5000000D, false);
        break;
    case UIFORM_OWNERDRAW:
        w = make_node_window(c, n, 0, L"Static", L"", 0x5000000D);
        break;
    case UIFORM_RADIOTEXT: {
        UiFormNode* group = uiform_radio_group(n);
        if (!group) return UIFORM_ERR_NORADIO;
        int position = 0;
        for (UiFormNode* r = group->nextRadio; r && r != n; r = r->nextRadio) ++position;
        DWORD style = group->nextRadio == n ? 0x50030009 : 0x50000009;
        w = make_node_window(c, n, 0, L"Button", n->resolvedText, style);
        if (w && group->value && *static_cast<int32_t*>(group->value) == position)
            SendMessageW(w, BM_SETCHECK, BST_CHECKED, 0);
        break;
    }
    case UIFORM_OPENG:
        w = make_window(c, 0, L"Button", text_or_blank(static_cast<const wchar_t*>(n->value)), 0x50000007, n->x,
                        n->y, n->width, n->height, 0);
        break;
    case UIFORM_OPENC: {
        HWND frame = make_window(c, 0, L"Button", L" ", 0x50000007, n->x, n->y, n->width, n->height, 0);
        if (!frame) return UIFORM_ERR_CONTROL;
        n->control2 = frame;
        int32_t tw = 0, th = 0;
        uiform_text_size(c.dialog, text_or_blank(n->text), -1, &tw, &th);
        const int32_t ux = c.form->unitX;
        w = make_window(c, 0, L"Button", text_or_blank(n->text), 0x50010003, n->x + 3 * ux / 2, n->y, tw + 3 * ux,
                        c.form->unitY, n->id);
        if (w && n->value) SendMessageW(w, BM_SETCHECK, *value_as<int32_t>(n) ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    }
    case UIFORM_FRAMEV:
    case UIFORM_FRAMEH:
        w = make_window(c, 0, L"Static", nullptr, 0x50000007, n->x, n->y, n->width, n->height, 0, false);
        break;
    case UIFORM_GRAYFRAMEV:
    case UIFORM_GRAYFRAMEH:
        w = make_window(c, 0, L"Static", nullptr, 0x50000008, n->x, n->y, n->width, n->height, 0, false);
        break;
    case UIFORM_WHITEFRAMEV:
    case UIFORM_WHITEFRAMEH:
        w = make_window(c, 0, L"Static", nullptr, 0x50000009, n->x, n->y, n->width, n->height, 0, false);
        break;
    default:
        // Containers without a frame, SPACE, OPENR/OPENRH, OPENL and codes
        // without a rule have no control of their own.
        return UIFORM_OK;
    }
    if (!w) return UIFORM_ERR_CONTROL;
    n->control = w;
    return UIFORM_OK;
}

int create_tree(const Creator& c, UiFormNode* n) {
    if (int rc = create_own(c, n)) return rc;
    for (UiFormNode* child = n->firstChild; child; child = child->next)
        if (int rc = create_tree(c, child)) return rc;
    return UIFORM_OK;
}

bool box_checked(void*, const UiFormNode* box) { return is_checked(box->control); }

void enable_node(void*, UiFormNode* n, bool enabled) {
    if (n->control2) EnableWindow(as_hwnd(n->control2), enabled);
    if (n->control) EnableWindow(as_hwnd(n->control), enabled);
}

// ---------------------------------------------------------------------------
// Read-back

std::wstring control_text(void* control) {
    HWND w = as_hwnd(control);
    int length = GetWindowTextLengthW(w);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    int got = GetWindowTextW(w, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

// Reads one node; false when its text does not parse. Writes only when
// `write` is set, so that a first pass can check every field beforehand.
bool read_one(UiFormNode* n, bool write) {
    const bool hasValue = n->value != nullptr;
    switch (n->kind) {
    case UIFORM_UINT: {
        if (!n->control) return true;
        uint32_t v;
        if (!uiform_parse_uint(control_text(n->control).c_str(), &v)) return false;
        if (write && hasValue) *value_as<uint32_t>(n) = v;
        return true;
    }
    case UIFORM_SINT: {
        if (!n->control) return true;
        int32_t v;
        if (!uiform_parse_sint(control_text(n->control).c_str(), &v)) return false;
        if (write && hasValue) *value_as<int32_t>(n) = v;
        return true;
    }
    case UIFORM_EDITTIME: {
        if (!n->control) return true;
        int32_t v;
        if (!uiform_parse_time(control_text(n->control).c_str(), &v)) return false;
        if (write && hasValue) *value_as<int32_t>(n) = v;
        return true;
    }
    case UIFORM_EDITDATE: {
        if (!n->control) return true;  // UIF_ALT: room only, nothing to read
        int32_t v;
        if (!uiform_parse_date(control_text(n->control).c_str(), &v)) return false;
        if (write && hasValue) *value_as<int32_t>(n) = v;
        return true;
    }
    default:
        break;
    }
    if (!write || !hasValue) return true;
    // Radio groups have no control of their own; their buttons do.
    if (!n->control && n->kind != UIFORM_OPENR && n->kind != UIFORM_OPENRH) return true;
    switch (n->kind) {
    case UIFORM_CHECKBUTTON:
    case UIFORM_OPENC:
        *value_as<int32_t>(n) = is_checked(n->control) ? 1 : 0;
        break;
    case UIFORM_COMBO:
        *value_as<int32_t>(n) = static_cast<int32_t>(SendMessageW(as_hwnd(n->control), CB_GETCURSEL, 0, 0));
        break;
    case UIFORM_EDITTEXT: {
        auto* record = value_as<UiFormEditTextHeader>(n);
        if (record->capacity > 0) GetWindowTextW(as_hwnd(n->control), uiform_edittext_buffer(record), record->capacity);
        break;
    }
    case UIFORM_COMBOSTR: {
        HWND combo = as_hwnd(n->control);
        auto* buffer = value_as<wchar_t>(n);
        buffer[0] = 0;
        LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR) break;
        LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == CB_ERR) break;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        lstrcpynW(buffer, text.c_str(), UIFORM_COMBOSTR_CAPACITY);
        break;
    }
    case UIFORM_CHECKLB: {
        auto* entries = value_as<UiFormCheckEntry>(n);
        for (int i = 0; entries[i].text; ++i) {
            LRESULT state = SendMessageW(as_hwnd(n->control), LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK);
            entries[i].checked = static_cast<int32_t>((static_cast<DWORD>(state) >> 12) & 0xFFFFF) - 1;
        }
        break;
    }
    case UIFORM_OPENR:
    case UIFORM_OPENRH: {
        int position = 0;
        for (UiFormNode* r = n->nextRadio; r; r = r->nextRadio, ++position) {
            if (is_checked(r->control)) {
                *value_as<int32_t>(n) = position;
                break;
            }
        }
        break;
    }
    default:
        break;
    }
    return true;
}

}  // namespace

void uiform_text_size(HWND dialog, const wchar_t* text, int count, int32_t* width, int32_t* height) {
    *width = *height = 0;
    if (!text) return;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    WindowDC dc(dialog);
    if (!dc || !font) return;
    SelectGuard select(dc.get(), font);
    RECT r{0, 0, 0, 0};
    *height = DrawTextW(dc.get(), text, count, &r, DT_SINGLELINE | DT_CALCRECT);
    *width = r.right;
}

int32_t uiform_create_controls(UiForm* form, HWND dialog) {
    if (!form) return 1;
    form->dialog = dialog;
    UiFormMeasure measure{dialog, measure_text, wrap_height, load_string, icon_size};
    if (uiform_layout(form, &measure) != UIFORM_OK) return 1;
    std::puts("uiform_create_control");
    return uiform_create_control(form, form->root) == UIFORM_OK ? 0 : 1;
}

int32_t uiform_create_control(UiForm* form, UiFormNode* node) {
    if (!form || !node) return UIFORM_ERR_ARG;
    HWND dialog = dialog_of(form);
    Creator c{form, dialog, static_cast<HINSTANCE>(form->instance),
              form->dialogFont ? static_cast<HFONT>(form->dialogFont)
                               : reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0))};
    if (int rc = create_tree(c, node)) return rc;
    uiform_apply_enabling(form);
    return UIFORM_OK;
}

void uiform_apply_enabling(UiForm* form) {
    const UiFormEnabling enabling{nullptr, box_checked, enable_node};
    uiform_enable_tree(form, &enabling);
}

int32_t uiform_read_back(UiForm* form, UiFormNode* node, UiFormNode** failed) {
    if (failed) *failed = nullptr;
    if (!form || !node) return 0;
    // First every field is checked; only a form that reads completely is
    // written, so that a refused OK followed by Cancel leaves the caller's
    // variables as they were.
    for (UiFormNode* n = node; n; n = uiform_node_next(node, n)) {
        if (!read_one(n, false)) {
            if (failed) *failed = n;
            return n->id;
        }
    }
    for (UiFormNode* n = node; n; n = uiform_node_next(node, n)) read_one(n, true);
    return 0;
}
