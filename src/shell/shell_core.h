// Texts of the shell verb: the command line the shell runs and the error box text.
#pragma once
#include <cstddef>

// The verb's registry names and its menu text.
extern const wchar_t shell_verb_name[];       // "Clipnook"
extern const wchar_t shell_verb_menu_text[];  // "Open with Clipnook"
// "Software\Classes\*\shell\Clipnook": the verb of the current user (under
// HKEY_CURRENT_USER), or one an older version left for every account (under
// HKEY_LOCAL_MACHINE).
extern const wchar_t shell_verb_key_path[];

// "\"<exe>\" \"%1\"": the path quoted as one argument whatever blanks it has,
// then the clicked file as one quoted argument. Returns false (and an empty
// text) when it does not fit into `capacity` characters with its terminator.
bool shell_format_command_line(const wchar_t* exePath, wchar_t* out, std::size_t capacity);

// The error box text for a registry error code and the system's text for it
// (may be empty). Returns the length written, cut to fit `capacity`.
int shell_format_error(long code, const char* systemText, char* out, std::size_t capacity);
