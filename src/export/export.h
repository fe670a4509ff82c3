// Copy As and Export As of the hex dump's selection.
#pragma once
#include <windows.h>

// What Copy As and Export As produce. Copy As offers every kind but Raw; the
// array kinds follow the menu order of the notations.
enum class ExportKind { Raw, Dump, CArray, CString, CSharpArray, JavaArray, PascalArray, VbNetArray };

// Copy As: the focused hex dump's selection onto the clipboard as CF_TEXT.
void export_copy_as(HWND hexDump, ExportKind kind);
// Export As: the selection into a file the save dialog names.
void export_save_as(HWND hexDump, ExportKind kind);

struct ArrayNotation;

// The hex dump's selected bytes as a source array: a new movable block with the
// text and a terminating zero, or null (no data, block not lockable, no memory).
// The text length (without the zero) goes through `length` when not null.
HGLOBAL format_array(HWND hexDump, const char* title, const ArrayNotation* notation, int* length);
HGLOBAL format_c_array(HWND hexDump, const char* title, int* length);
HGLOBAL format_c_string(HWND hexDump, const char* title, int* length);
HGLOBAL format_csharp_array(HWND hexDump, const char* title, int* length);
HGLOBAL format_java_array(HWND hexDump, const char* title, int* length);
HGLOBAL format_pascal_array(HWND hexDump, const char* title, int* length);
HGLOBAL format_vbnet_array(HWND hexDump, const char* title, int* length);

// The selected bytes in a new movable block of length + 1 bytes (the last one
// unwritten), or null. A non-zero `zeroReplacement` replaces every zero byte.
HGLOBAL hexdump_copy_selection(HWND hexDump, BYTE zeroReplacement, int* length);

// The save-file dialog with the program's hook (centred on the owner, default
// extension from the selected type). `path` holds MAX_PATH characters and
// proposes the file and receives the chosen one only on OK. 0 chosen (*filterIndex
// updated), 1 cancelled, -1 failure.
int save_file_dialog(HWND owner, const wchar_t* title, wchar_t* path, const wchar_t* filters, int* filterIndex,
                     bool showHelp);
