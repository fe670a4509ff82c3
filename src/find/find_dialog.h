// Find in the hex dump: the "Find" form and the searches it and
// Find next / Find previous start through UIHDM_FIND.
#pragma once
#include <windows.h>

#include <cstdint>

enum : int32_t { kFindText8 = 0, kFindText16 = 1, kFindHex = 2 };  // the dialog's radio buttons, FindKind's order

// The last confirmed search; the dialog opens with it.
struct FindSettings {
    wchar_t text[256];
    int32_t kind;
    int32_t matchCase;
    bool confirmed;  // a search was confirmed once, so Find next has something to look for
};
extern FindSettings find_last;

// Control ids of the dialog, for its tests.
enum : int32_t { kFindFieldId = 3001, kFindKindId = 3002, kFindText8Id = 3003, kFindText16Id = 3004, kFindHexId = 3005,
                 kFindCaseId = 3006 };

// Runs the dialog; true when it was confirmed with a text that parses. A text
// that does not is refused with a message, the focus back on the field and
// the bad character selected.
bool find_dialog_run(HWND owner, FindSettings* settings);

enum class FindStep { Fresh, Next, Previous };
enum class FindOutcome { Found, Wrapped, Missed };
// Searches the dump: a fresh search from the caret, Next from just after the
// selection's start, Previous backwards from its start.
FindOutcome find_in_dump(HWND hexDump, const FindSettings& settings, FindStep step);
