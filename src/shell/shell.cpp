// The program's verb in the shell context menu of all files, under the classes
// root. The registry is the only state: nothing is remembered here.
#include "shell/shell.h"
#include "shell/shell_core.h"
#include "base/log.h"

namespace {

// Closes a key when the scope ends; the predefined roots are never owned.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }
    LONG close() {
        LONG result = ERROR_SUCCESS;
        if (key_) result = RegCloseKey(key_);
        key_ = nullptr;
        return result;
    }
private:
    HKEY key_ = nullptr;
};

LONG create_key(HKEY parent, const wchar_t* name, RegKey& key) {
    return RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.out(),
                           nullptr);
}

LONG set_default_text(HKEY key, const wchar_t* text) {
    DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

}  // namespace

LONG reg_delete_tree(HKEY parent, const wchar_t* subkey) {
    RegKey key;
    LONG result = RegOpenKeyExW(parent, subkey, 0, KEY_ALL_ACCESS, key.out());
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    for (;;) {
        // Always index 0: deleting a subkey moves the next one to the front.
        wchar_t name[260];
        DWORD length = 260;
        result = RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) return result;
        result = reg_delete_tree(key.get(), name);
        if (result != ERROR_SUCCESS) return result;
    }
    result = key.close();
    if (result != ERROR_SUCCESS) return result;
    return RegDeleteKeyW(parent, subkey);
}

LONG shell_add_verb(const wchar_t* verb, const wchar_t* menuText, const wchar_t* commandLine) {
    RegKey shell;
    LONG result = create_key(HKEY_CLASSES_ROOT, L"*\\shell", shell);
    if (result != ERROR_SUCCESS) return result;
    {
        RegKey verb_key;
        RegKey command;
        result = create_key(shell.get(), verb, verb_key);
        if (result == ERROR_SUCCESS) result = set_default_text(verb_key.get(), menuText);
        if (result == ERROR_SUCCESS) result = create_key(verb_key.get(), L"command", command);
        if (result == ERROR_SUCCESS) result = set_default_text(command.get(), commandLine);
        if (result == ERROR_SUCCESS) return ERROR_SUCCESS;
    }
    // The keys below "*\shell" are closed by now; take away whatever part of
    // the verb was made so the shell never offers a verb without a command.
    reg_delete_tree(shell.get(), verb);
    return result;
}

void shell_report_error(HWND window, LONG error) {
    char system_text[256] = "";
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                        static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system_text,
                        sizeof system_text, nullptr))
        system_text[0] = '\0';
    char text[512];
    shell_format_error(error, system_text, text, sizeof text);
    MessageBoxA(window, text, "Clipnook", MB_ICONERROR | MB_OK);
}

void shell_add_to_context_menu(HWND window) {
    log_message(1, "Main", "Add application to the shell context menu.");
    wchar_t path[260];
    wchar_t command[300];
    DWORD length = GetModuleFileNameW(nullptr, path, 260);
    LONG result;
    if (length == 0)
        result = static_cast<LONG>(GetLastError());
    else if (length >= 260 || !shell_format_command_line(path, command, 300))
        // A cut path would make the shell start the wrong file: refuse it.
        result = ERROR_INSUFFICIENT_BUFFER;
    else
        result = shell_add_verb(shell_verb_name, shell_verb_menu_text, command);
    if (result == ERROR_SUCCESS) return;
    log_message(3, "Main", "Failed to add to context menu");
    shell_report_error(window, result);
}

void shell_remove_from_context_menu(HWND window) {
    log_message(1, "Main", "Remove application from the shell context menu.");
    LONG result = reg_delete_tree(HKEY_CLASSES_ROOT, shell_verb_key_path);
    if (result == ERROR_SUCCESS) return;
    log_message(3, "Main", "Failed to remove from context menu");
    shell_report_error(window, result);
}
