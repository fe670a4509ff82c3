// The Find form and the searches: the text is turned into bytes by find_core,
// the dump searches its own block, so nothing here reads the data.
#include "find/find_dialog.h"

#include "base/log.h"
#include "hexdump/find_core.h"
#include "hexdump/uihexdump.h"
#include "uiform/uiform.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

FindSettings find_last = {};

namespace {

FindKind kind_of(int32_t kind) {
    return kind == kFindText16 ? FindKind::Text16 : kind == kFindHex ? FindKind::Hex : FindKind::Text8;
}

FindPattern parse(FindKind kind, const wchar_t* text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return find_parse(kind, reinterpret_cast<const char16_t*>(text), std::wcslen(text));
}

int32_t checked_kind(HWND dialog) {
    if (IsDlgButtonChecked(dialog, kFindText16Id) == BST_CHECKED) return kFindText16;
    if (IsDlgButtonChecked(dialog, kFindHexId) == BST_CHECKED) return kFindHex;
    return kFindText8;
}

// Case has no meaning for bytes.
void enable_case(HWND dialog) { EnableWindow(GetDlgItem(dialog, kFindCaseId), checked_kind(dialog) != kFindHex); }

// OK with a text that does not parse: refused, the bad character selected.
bool refuse_bad_text(HWND dialog) {
    HWND field = GetDlgItem(dialog, kFindFieldId);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
    const FindPattern pattern = parse(kind_of(checked_kind(dialog)), text.c_str());
    if (pattern.error == FindError::None) return false;
    const char* why = find_error_text(pattern.error);
    MessageBoxW(dialog, std::wstring(why, why + std::strlen(why)).c_str(), L"Find", MB_OK | MB_ICONWARNING);
    uiform_focus_item(dialog, kFindFieldId);
    const WPARAM at = pattern.errorPosition;
    PostMessageW(field, EM_SETSEL, at, static_cast<LPARAM>(at + 1));
    return true;
}

int32_t find_callback(void* window, uint32_t message, uintptr_t wParam, intptr_t, intptr_t* result) {
    HWND dialog = static_cast<HWND>(window);
    if (message == WM_INITDIALOG) enable_case(dialog);
    if (message != WM_COMMAND) return 0;
    const int id = LOWORD(wParam);
    if (id == kFindText8Id || id == kFindText16Id || id == kFindHexId) enable_case(dialog);
    if (id == IDOK && refuse_bad_text(dialog)) return *result = TRUE, 1;
    return 0;
}

}  // namespace

bool find_dialog_run(HWND owner, FindSettings* settings) {
    log_message(1, "Main", "Find.");
    UiFormEditText<256> field{256, 32, {}};
    lstrcpynW(field.buffer, settings->text, 256);
    int32_t kind = settings->kind, matchCase = settings->matchCase;
    const UiFormItem items[] = {
        {UIFORM_OPENV | UIF_MARGIN_X | UIF_MARGIN_Y, 0, nullptr, nullptr},
        {UIFORM_OPENH | UIF_STRETCH_X, 0, nullptr, nullptr},
        {UIFORM_TEXT, 0, L"Find:", nullptr},
        {UIFORM_EDITTEXT | UIF_STRETCH_X, kFindFieldId, &field, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_OPENR, kFindKindId, &kind, nullptr},
        {UIFORM_RADIOTEXT, kFindText8Id, L"8-bit text", nullptr},
        {UIFORM_RADIOTEXT, kFindText16Id, L"UTF-16 text", nullptr},
        {UIFORM_RADIOTEXT, kFindHexId, L"Hex bytes (48 65 6C)", nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_OPENV, 0, nullptr, nullptr},  // alone, since a check box enables or disables its siblings
        {UIFORM_CHECKBUTTON, kFindCaseId, &matchCase, L"Match case"},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        {UIFORM_CLOSE, 0, nullptr, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    if (uiform_simple(nullptr, L"Find", owner, items, find_callback, 0) != 0) return false;
    lstrcpynW(settings->text, field.buffer, 256);
    settings->kind = kind;
    settings->matchCase = matchCase;
    settings->confirmed = true;
    return true;
}

FindOutcome find_in_dump(HWND hexDump, const FindSettings& settings, FindStep step) {
    const FindKind kind = kind_of(settings.kind);
    const FindPattern pattern = parse(kind, settings.text);
    if (pattern.error != FindError::None) return FindOutcome::Missed;
    int anchor = 0, caret = 0;
    SendMessageW(hexDump, UIHDM_GETSEL, reinterpret_cast<WPARAM>(&anchor), reinterpret_cast<LPARAM>(&caret));
    const int first = std::min(anchor, caret);
    // Next steps over the hit it stands on, but may find one overlapping it.
    int start = step == FindStep::Fresh ? caret : step == FindStep::Next && anchor != caret ? first + 1 : first;
    UINT flags = UIHDF_FIND_FROM;
    if (step == FindStep::Previous) flags |= UIHDF_FIND_BACKWARDS;
    if (!settings.matchCase && kind != FindKind::Hex)
        flags |= UIHDF_FIND_IGNORECASE | (kind == FindKind::Text16 ? UINT{UIHDF_FIND_UTF16} : 0u);
    HexDumpFindRequest request{pattern.bytes.data(), static_cast<int>(pattern.bytes.size()), flags, start};
    const LRESULT found = SendMessageW(hexDump, UIHDM_FIND, 0, reinterpret_cast<LPARAM>(&request));
    return found == 2 ? FindOutcome::Wrapped : found ? FindOutcome::Found : FindOutcome::Missed;
}
