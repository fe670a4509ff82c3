// Which addresses the link control hands to the shell. The address can be
// replaced from any process (WM_SETTEXT reaches a window from outside), and
// the shell would run a program or open a document as readily as a web page.
#pragma once

// True for "http://" or "https://" (the scheme in any case) followed by at
// least one character, with no blank, control character or quotation mark
// anywhere (a web address has them percent-encoded).
bool link_address_opens(const wchar_t* address);
