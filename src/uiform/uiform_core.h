// Form dialogs built at run time from flat item lists: the item kinds and
// flags, the node tree the list turns into, the box-model layout that places
// the tree in pixels before any control exists, and which nodes are enabled.
//
// This header is pure: it never pulls in <windows.h>, so the host tests, the
// fuzzer and the Win32 dialog code share one definition. Window, module and
// font handles are kept as opaque `void*` (HWND, HINSTANCE, HFONT in the
// dialog code, which casts them back).
//
// The direction is one way: the Win32 files (uiform_controls.cpp,
// uiform_dialog.cpp) call this core, and the core calls none of them. It
// reaches the platform only through the function pointers it is handed:
// UiFormMeasure while laying out (the dialog's font, strings, icons) and
// UiFormEnabling while enabling (check box states, EnableWindow).
//
// Trace lines go to standard output with puts/printf, as the dialog code's
// lines do, so that tests can capture them in order.
#pragma once
#include <cstdint>
#include <cwchar>

// ---------------------------------------------------------------------------
// Item kinds: a 16-bit code in the bits 0xC0FF of the item word.
inline constexpr uint32_t UIFORM_KIND_MASK = 0xC0FF;
inline constexpr uint32_t UIFORM_CONTAINER_BIT = 0x8000;   // opens a level
inline constexpr uint32_t UIFORM_HORIZONTAL_BIT = 0x4000;  // row variant of a container or line

inline constexpr uint32_t UIFORM_CLOSE = 1;
inline constexpr uint32_t UIFORM_LABEL = 10;
inline constexpr uint32_t UIFORM_UINT = 11;
inline constexpr uint32_t UIFORM_SINT = 12;
inline constexpr uint32_t UIFORM_CHECKBUTTON = 13;
inline constexpr uint32_t UIFORM_LINEV = 14;
inline constexpr uint32_t UIFORM_LINEH = 0x400E;
inline constexpr uint32_t UIFORM_COMBO = 15;
inline constexpr uint32_t UIFORM_EDITTIME = 16;
inline constexpr uint32_t UIFORM_TEXT = 17;
inline constexpr uint32_t UIFORM_WRAPTEXT = 18;
inline constexpr uint32_t UIFORM_COPYTEXT = 19;
inline constexpr uint32_t UIFORM_LINKTEXT = 20;
inline constexpr uint32_t UIFORM_EDITTEXT = 21;
inline constexpr uint32_t UIFORM_BUTTON = 22;
inline constexpr uint32_t UIFORM_ICON = 23;
inline constexpr uint32_t UIFORM_SPACE = 24;
inline constexpr uint32_t UIFORM_EDITDATE = 25;
inline constexpr uint32_t UIFORM_LISTBOX = 26;
inline constexpr uint32_t UIFORM_CHECKLB = 27;
inline constexpr uint32_t UIFORM_COLORREF = 28;
inline constexpr uint32_t UIFORM_OWNERDRAW = 29;
inline constexpr uint32_t UIFORM_COMBOSTR = 30;
inline constexpr uint32_t UIFORM_RADIOTEXT = 31;

inline constexpr uint32_t UIFORM_OPENV = 0x8000;
inline constexpr uint32_t UIFORM_OPENH = 0xC000;
inline constexpr uint32_t UIFORM_OPENG = 0x8006;
inline constexpr uint32_t UIFORM_OPENC = 0x8007;
inline constexpr uint32_t UIFORM_OPENL = 0x8008;
inline constexpr uint32_t UIFORM_OPENR = 0x8009;
inline constexpr uint32_t UIFORM_OPENRH = 0xC009;

// Codes without a keyword ("???" in traces).
inline constexpr uint32_t UIFORM_FRAMEV = 0x8003;       // container in a black frame, column
inline constexpr uint32_t UIFORM_FRAMEH = 0xC003;       // container in a black frame, row
inline constexpr uint32_t UIFORM_GRAYFRAMEV = 0x8004;   // leaf: grey frame
inline constexpr uint32_t UIFORM_GRAYFRAMEH = 0xC004;
inline constexpr uint32_t UIFORM_WHITEFRAMEV = 0x8005;  // leaf: white frame
inline constexpr uint32_t UIFORM_WHITEFRAMEH = 0xC005;

// Flag bits: every bit of the item word outside UIFORM_KIND_MASK.
inline constexpr uint32_t UIF_DISABLED = 0x200;
inline constexpr uint32_t UIF_READONLY = 0x400;
inline constexpr uint32_t UIF_FILEICON = 0x800;
inline constexpr uint32_t UIF_ALT = 0x1000;
inline constexpr uint32_t UIF_DEFAULT = 0x2000;
inline constexpr uint32_t UIF_PAD_X = 0x10000;
inline constexpr uint32_t UIF_PAD_Y = 0x20000;
inline constexpr uint32_t UIF_MARGIN_X = 0x40000;
inline constexpr uint32_t UIF_MARGIN_Y = 0x80000;
inline constexpr uint32_t UIF_LEFT = 0x100000;
inline constexpr uint32_t UIF_RIGHT = 0x200000;
inline constexpr uint32_t UIF_HCENTER = 0x300000;
inline constexpr uint32_t UIF_HALIGN_MASK = 0x300000;
inline constexpr uint32_t UIF_TOP = 0x400000;
inline constexpr uint32_t UIF_BOTTOM = 0x800000;
inline constexpr uint32_t UIF_VCENTER = 0xC00000;
inline constexpr uint32_t UIF_VALIGN_MASK = 0xC00000;
inline constexpr uint32_t UIF_STRETCH_X = 0x1000000;
inline constexpr uint32_t UIF_STRETCH_Y = 0x2000000;

// Failure codes of the form operations.
enum : int32_t {
    UIFORM_OK = 0,
    UIFORM_ERR_ARG = -1,       // null argument, LABEL outside OPENL, OPENL in control creation
    UIFORM_ERR_MEMORY = -2,
    UIFORM_ERR_CONTROL = -3,   // control window cannot be created
    UIFORM_ERR_NOVALUE = -4,   // an item that needs a value has none
    UIFORM_ERR_NOROOT = -5,    // uiform_dump of a form without root
    UIFORM_ERR_NORADIO = -6,   // RADIOTEXT outside every radio group
};

// Reserved ids: the root, the first automatic id, and the rows whose second
// child lines up with the same id's rows (9999 -> columnX[0] ... 9996 -> [3]).
enum : int32_t {
    UIFORM_ROOT_ID = 2000,
    UIFORM_FIRST_AUTO_ID = 2001,
    UIFORM_COLUMN_ID_FIRST = 9996,
    UIFORM_COLUMN_ID_LAST = 9999,
};

// Standard button row selector (terminator's value field / UiForm::buttons).
enum : int32_t {
    UIFORM_BUTTONS_OKCANCEL = 0,
    UIFORM_BUTTONS_OK = 1,
    UIFORM_BUTTONS_CANCEL = 2,
    UIFORM_BUTTONS_NONE = 0xFFFF,
};

// ---------------------------------------------------------------------------
// One item of a form description. A list ends with an item whose `kind` is 0;
// that item's `value` is the button selector (see uiform_end).
// `value` is const here so that string literals fit; kinds that are written
// back on OK (UINT, SINT, CHECKBUTTON, COMBO, ...) must point at writable data.
struct UiFormItem {
    uint32_t kind;          // kind code | flags
    int32_t id;             // 0: automatic id
    const void* value;      // the caller's variable, string or string-table id
    const wchar_t* text;    // copied into the node
};

// The list terminator with its button selector.
inline UiFormItem uiform_end(int32_t buttons) {
    return UiFormItem{0, 0, reinterpret_cast<const void*>(static_cast<uintptr_t>(buttons)), nullptr};
}

// The value record of "EDITTEXT": capacity in characters (terminator
// included), visible width in characters, then the buffer itself.
struct UiFormEditTextHeader {
    int32_t capacity;
    int32_t visibleWidth;
};
template <int N>
struct UiFormEditText {
    int32_t capacity = N;
    int32_t visibleWidth = 0;
    wchar_t buffer[N] = {};
};
inline wchar_t* uiform_edittext_buffer(void* record) {
    return reinterpret_cast<wchar_t*>(static_cast<char*>(record) + sizeof(UiFormEditTextHeader));
}

// One entry of the "CHECKLB" array; the array ends with a null `text`.
struct UiFormCheckEntry {
    const wchar_t* text;
    int32_t checked;
};

// The caller's message hook: dialog (HWND), message, wParam, lParam, and the
// result the dialog procedure returns when the hook answers non-zero.
typedef int32_t (*UiFormCallback)(void* dialog, uint32_t message, uintptr_t wparam, intptr_t lparam,
                                  intptr_t* result);

// ---------------------------------------------------------------------------
// One node of the tree; one zeroed allocation per item.
struct UiFormNode {
    UiFormNode* parent;      // null only for the root
    UiFormNode* next;        // next sibling
    UiFormNode* firstChild;  // children in the order they were added
    UiFormNode* nextRadio;   // group: its first radio button; radio button: the next one
    uint32_t kind;           // kind code (word & UIFORM_KIND_MASK)
    uint32_t flags;          // the other bits; the layout may add UIF_STRETCH_X/Y
    void* value;             // the caller's, never owned
    wchar_t* text;           // owned copy of the item text, or null
    int32_t id;
    int32_t x, y, width, height;  // relative to the parent while measuring, then to the client area
    void* control;           // HWND of the node's control, or null
    void* control2;          // HWND: group frame of OPENC, caption of a line
    wchar_t* resolvedText;   // TEXT/COPYTEXT/RADIOTEXT: == value, or an owned string-table buffer
    // Bookkeeping so that appending stays O(1).
    UiFormNode* lastChild;
    UiFormNode* lastRadio;   // group only: tail of its radio chain
};

struct UiForm {
    void* instance;          // HINSTANCE: string table and icons
    void* dialog;            // HWND of the running dialog
    UiFormCallback callback;
    intptr_t userData;
    wchar_t* title;          // owned copy
    UiFormNode* root;        // OPENV, id 2000
    UiFormNode* current;     // insertion point; null after a LABEL outside every OPENL
    void* dialogFont;        // HFONT, the dialog's (not owned)
    void* italicFont;        // HFONT, owned by the running dialog
    int32_t nextId;          // starts at 2001
    int32_t buttons;         // from the list terminator; 0 when items are added one by one
    int32_t unitX, unitY;
    int32_t gapX, gapY;
    int32_t insetX, insetY;
    int32_t columnX[4];      // aligned column x for ids 9999, 9998, 9997, 9996
};

// ---------------------------------------------------------------------------
// Building. All return 0 or a negative UIFORM_ERR_* code.

// Writes "uiform_create". *out is set to null first; null out or title: -1.
int32_t uiform_create(UiForm** out, const wchar_t* title);

// Writes "uiform_add %d %ls\n" (id as given, keyword), inserts, and on
// failure writes "uiform_add => %d\n". Id 0 takes nextId. A form without an
// insertion point (after a failed LABEL) refuses every add with -1.
int32_t uiform_add(UiForm* form, uint32_t kind_and_flags, int32_t id, const void* value,
                   const wchar_t* text);

// Adds the items in order, stops at the first failure and returns its code;
// at the terminator stores its value field in form->buttons. Null list: -1.
int32_t uiform_add_items(UiForm* form, const UiFormItem* items);

// The insertion of uiform_add without any trace line (id 0 takes nextId).
int32_t uiform_insert(UiForm* form, uint32_t kind_and_flags, int32_t id, const void* value,
                      const wchar_t* text);

// The standard button row, inserted silently as the root's last child:
// OPENH (UIF_RIGHT|UIF_MARGIN_X|UIF_MARGIN_Y, id = nextId, which counts up)
// with BUTTON id 1 "OK" (UIF_DEFAULT) when bit 0 of `buttons` is set, a
// SPACE with id 0 when both are present, and BUTTON id 2 "Abbruch" when bit 1
// is set. Nothing for 0xFFFF; 0 means both. Leaves `current` at the root.
int32_t uiform_add_button_row(UiForm* form);

// Writes "uiform_destroy begin", frees the tree, title and form, nulls *form,
// writes "uiform_destroy end". Null handle or null form: only the two lines.
void uiform_destroy(UiForm** form);

// Keyword of a kind code (flag bits are masked off); "???" for other codes.
const wchar_t* uiform_keyword(uint32_t kind);

// ---------------------------------------------------------------------------
// Measuring interface. The dialog fills it with its font and DrawTextW; the
// host tests with fixed metrics. A null function pointer measures 0.
struct UiFormMeasure {
    void* context;
    // Single-line size of `count` characters of `text` (-1: to the terminator).
    // Null text: 0 by 0. (DT_SINGLELINE|DT_CALCRECT: width = rect.right, height = result.)
    void (*text_size)(void* context, const wchar_t* text, int32_t count, int32_t* width, int32_t* height);
    // Height of `text` word-wrapped to `width` (DT_WORDBREAK|DT_NOPREFIX|DT_CALCRECT).
    int32_t (*wrap_height)(void* context, const wchar_t* text, int32_t width);
    // LoadStringW(instance, id, buffer, capacity); the buffer arrives zeroed.
    void (*load_string)(void* context, void* instance, uint32_t id, wchar_t* buffer, int32_t capacity);
    // Size of the ICON item's icon (value: resource id/name, or -1..-4 system
    // icons); false when it cannot be loaded (size 0 by 0).
    bool (*icon_size)(void* context, void* instance, const void* value, int32_t* width, int32_t* height);
};

// ---------------------------------------------------------------------------
// Layout.

// Steps 1 to 5 of laying out a form, each announced with puts():
// "uiform_tree_calc_area (first)", "uiform_object_calc_labels",
// "uiform_tree_calc_area (second)", "uiform_node_expand_children",
// "uiform_node_absolute_coordinates". Afterwards every node's x, y, width,
// height is in client coordinates and the root's size is the client size.
// Returns 0, or -1 for a null form/measure or a form without root.
int32_t uiform_layout(UiForm* form, const UiFormMeasure* measure);

// The single steps, for tests and for the dialog code.
void uiform_calc_units(UiForm* form, const UiFormMeasure* measure);
void uiform_measure_node(UiForm* form, const UiFormMeasure* measure, UiFormNode* node, int pass);
void uiform_calc_labels(UiForm* form);
void uiform_expand_children(const UiForm* form, UiFormNode* node);
void uiform_absolute_coordinates(const UiForm* form, UiFormNode* node);

// Inner spaces (left, top, right, bottom) of a node from its kind and flags.
void uiform_inner_spaces(const UiForm* form, const UiFormNode* node, int32_t* left, int32_t* top,
                         int32_t* right, int32_t* bottom);

// Row containers: kind has UIFORM_HORIZONTAL_BIT (OPENH, OPENRH, 0xC003).
bool uiform_is_horizontal(uint32_t kind);
// The container kinds that open a level (LABEL is not among them).
bool uiform_is_container(uint32_t kind);

// Sets node->resolvedText for TEXT, COPYTEXT and RADIOTEXT (done by
// measuring): values below 0x10000 are string ids loaded into an owned
// 256-character buffer, anything else is the string itself.
void uiform_resolve_text(const UiForm* form, const UiFormMeasure* measure, UiFormNode* node);

// Splits COMBO entries at '|': every piece before a '|' is cut to 79
// characters, the last piece is whole. Calls fn for each piece (not
// terminated; `length` characters) and returns the number of pieces; a null
// text has none.
typedef void (*UiFormPieceFn)(void* context, const wchar_t* piece, int32_t length);
int32_t uiform_combo_pieces(const wchar_t* text, UiFormPieceFn fn, void* context);

// ---------------------------------------------------------------------------
// Enabling. A node is enabled exactly when its parent is, it has no
// UIF_DISABLED, and every check box that controls it is checked: the box of
// the OPENC it sits in and every CHECKBUTTON among its siblings. One walk
// decides every node, so a check box can never turn on what another one, or
// an enclosing OPENC, keeps off.
struct UiFormEnabling {
    void* context;
    // Whether the box of an OPENC or CHECKBUTTON node is checked (null: never).
    bool (*checked)(void* context, const UiFormNode* box);
    // Called once for every node of the tree, parents before children.
    void (*apply)(void* context, UiFormNode* node, bool enabled);
};
void uiform_enable_tree(UiForm* form, const UiFormEnabling* enabling);

// ---------------------------------------------------------------------------
// Tree walks.

// Pre-order successor of `node` inside the subtree `top` (null at the end).
UiFormNode* uiform_node_next(const UiFormNode* top, const UiFormNode* node);
// Levels below the root (root 0, its children 1, ...).
int32_t uiform_node_depth(const UiFormNode* node);
// The node whose `control` is `control`; null when none (or null arguments).
UiFormNode* uiform_find_control(const UiForm* form, const void* control);
// Nearest OPENR/OPENRH ancestor; null when none.
UiFormNode* uiform_radio_group(const UiFormNode* node);

