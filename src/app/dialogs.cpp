// The Goto and About dialogs, both described as form item lists.
#include "app/dialogs.h"
#include "base/log.h"
#include "app/main_state.h"
#include "app/resource_ids.h"
#include "base/version.h"
#include "hexdump/uihexdump.h"
#include "uiform/link.h"
#include "uiform/uiform.h"

uint32_t goto_offset = 0;
uint32_t goto_count = 0;

namespace {

constexpr int kAboutLinkId = 12345;
const wchar_t kAboutLinkCaption[] = L"clipnook.example.org";

// Both ends of the range, as the hex dump takes them: a count that runs past
// 4 GB ends at the largest offset instead of wrapping around to the start,
// and no offset turns negative in a 32-bit message parameter.
void goto_range(uint32_t offset, uint32_t count, WPARAM* anchor, LPARAM* caret) {
    constexpr uint64_t kLargest = 0x7FFFFFFF;
    uint64_t end = static_cast<uint64_t>(offset) + count;
    *anchor = static_cast<WPARAM>(offset < kLargest ? offset : kLargest);
    *caret = static_cast<LPARAM>(end < kLargest ? end : kLargest);
}

}  // namespace

void main_on_goto(HWND window) {
    log_message(1, "Main", "Goto.");
    const UiFormItem items[] = {
        {0xC8000, 0, nullptr, nullptr},         // column with margins
        {0x100C000, 9999, nullptr, nullptr},    // row, second column aligned
        {0x11, 0, L"Offset:", nullptr},
        {0x100080B, 0, &goto_offset, nullptr},
        {0x1, 0, nullptr, nullptr},
        {0x100C000, 9999, nullptr, nullptr},
        {0x11, 0, L"Select:", nullptr},
        {0x100080B, 0, &goto_count, nullptr},
        {0x11, 0, L"bytes", nullptr},
        {0x1, 0, nullptr, nullptr},
        {0x1, 0, nullptr, nullptr},
        uiform_end(UIFORM_BUTTONS_OKCANCEL),
    };
    if (uiform_simple(nullptr, L"Goto Dump", window, items, nullptr, 0) != 0) return;
    MainWindowState* state = main_state(window);
    if (!state || !state->viewer.hexDump) return;
    WPARAM anchor;
    LPARAM caret;
    goto_range(goto_offset, goto_count, &anchor, &caret);
    SetFocus(state->viewer.hexDump);
    SendMessageW(state->viewer.hexDump, UIHDM_SETSEL, anchor, caret);
    SendMessageW(state->viewer.hexDump, UIHDM_ENSURECARETVISIBLE, 0, 0);
}

int32_t about_callback(void* dialog, uint32_t message, uintptr_t wParam, intptr_t, intptr_t*) {
    if (message == WM_COMMAND && wParam == kAboutLinkId) link_open(static_cast<HWND>(dialog), kAboutLinkId, nullptr);
    return 0;
}

void main_on_about(HWND window) {
    log_message(1, "Main", "Handle 'About Application' dialog.");
    const UiFormItem items[] = {
        {0xC8000, 0, nullptr, nullptr},
        {0xC000, 0, nullptr, nullptr},
        {0x17, 0, MAKEINTRESOURCEA(IDR_MAIN), nullptr},  // the program icon
        {0x18, 0, nullptr, nullptr},
        {0x18, 0, nullptr, nullptr},
        {0x18, 0, nullptr, nullptr},
        {0xC00011, 0, CLIPNOOK_NAME_VERSION_W, nullptr},
        {0x1, 0, nullptr, nullptr},
        {0x18, 0, nullptr, nullptr},
        {0x18, 0, nullptr, nullptr},
        {0x11, 0, L"Copyright (c) 2025-2026 the Clipnook developers", nullptr},
        {0x11, 0, L"Written by the Clipnook developers", nullptr},
        {0x18, 0, nullptr, nullptr},
        {0xC000, 0, nullptr, nullptr},
        {0x11, 0, L"Have a look at", nullptr},
        {0x14, kAboutLinkId, kAboutLinkCaption, uiform_default_link_address},
        {0x1, 0, nullptr, nullptr},
        uiform_end(UIFORM_BUTTONS_OK),
    };
    uiform_simple(g_instance, L"About Clipnook", window, items, about_callback, 0);
}
