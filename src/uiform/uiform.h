// Running form dialogs: a form (uiform_core.h) shown as a modal dialog whose
// controls the form creates, fills and reads back itself.
#pragma once
#include "uiform/uiform_core.h"

#include <windows.h>

// The buffer of a "COMBOSTR" item must hold this many characters (terminator
// included); a longer chosen entry is cut to fit.
constexpr int UIFORM_COMBOSTR_CAPACITY = 260;

// Value record of an "ICON" with UIF_FILEICON, for uiform_update_item.
struct UiFormFileIcon {
    wchar_t path[260];
    int32_t index;
};

// The link address every "LINKTEXT" gets when its item carries none.
extern const wchar_t uiform_default_link_address[];

// Runs the form as a modal dialog: 0 for OK (values written back), 1 for
// Cancel, -1 when the dialog could not run or ended otherwise, and for a null
// form (which shows nothing).
int32_t uiform_request(UiForm* form, HINSTANCE instance, HWND owner, UiFormCallback callback, intptr_t userData);

// Create, add the items, request, destroy; writes "uiform_simple() => %d".
int32_t uiform_simple(HINSTANCE instance, const wchar_t* title, HWND owner, const UiFormItem* items,
                      UiFormCallback callback, intptr_t userData);

INT_PTR CALLBACK uiform_dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The running dialog's form values. A window that is no running form dialog
// has none (0, null, 0): its user data is never taken for a form.
intptr_t uiform_get_userdata(HWND dialog);
void* uiform_get_item_value(HWND dialog, int id);
// Shows the node's current value again; 1 when the control belongs to a node.
int uiform_update_item(HWND dialog, int id);
// Posts the dialog focus change to control `id` and sets the focus; 0.
int uiform_focus_item(HWND dialog, int id);
// The tree dump, one line per node; 0, or -5 without root.
int32_t uiform_dump(const UiForm* form);

// Lays the form out for `dialog` and creates its controls: 0, or non-zero
// when a step fails (1 for control creation).
int32_t uiform_create_controls(UiForm* form, HWND dialog);
// Creates the controls of `node` and its descendants, then enables the whole
// form's controls: 0 or the first failure (-3 no window, -6 radio button
// without group).
int32_t uiform_create_control(UiForm* form, UiFormNode* node);
// Reads every value of the subtree back into the callers' variables. Nothing
// is written unless every field parses: 0, or the id of the first field whose
// text does not parse (*failed, when given, receives its node).
int32_t uiform_read_back(UiForm* form, UiFormNode* node, UiFormNode** failed);

// Enables or disables every control of the form by uiform_enable_tree from
// the check boxes' current states: after creation and after every click on
// an OPENC or CHECKBUTTON box.
void uiform_apply_enabling(UiForm* form);

// Single-line size of a text in the dialog's font (DrawTextW); 0 by 0 for a
// null text, no device context or no font.
void uiform_text_size(HWND dialog, const wchar_t* text, int count, int32_t* width, int32_t* height);
