// The program's verb in the shell context menu of all files. It is registered
// for the current user only: a verb for every account would run an executable
// from a folder its owner can replace. The registry is the only state.
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

LONG set_default_text(HKEY key, const wchar_t* text) {
    DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

// Removing a tree needs to list each key's subkeys and to delete the key.
constexpr REGSAM kRemoveRights = KEY_ENUMERATE_SUB_KEYS | DELETE;

bool verb_removable(HKEY root) {
    RegKey key;
    return RegOpenKeyExW(root, shell_verb_key_path, 0, kRemoveRights, key.out()) == ERROR_SUCCESS;
}

}  // namespace

LONG reg_delete_tree(HKEY parent, const wchar_t* subkey) {
    RegKey key;
    LONG result = RegOpenKeyExW(parent, subkey, 0, kRemoveRights, key.out());
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

LONG shell_add_verb(HKEY root, const wchar_t* verb, const wchar_t* menuText, const wchar_t* commandLine) {
    // One level at a time, so each key's disposition tells whether this call made it.
    const wchar_t* const names[] = {L"Software", L"Classes", L"*", L"shell", verb, L"command"};
    const wchar_t* const texts[] = {nullptr, nullptr, nullptr, nullptr, menuText, commandLine};
    constexpr int kLevels = sizeof names / sizeof *names;
    RegKey keys[kLevels];
    int first_new = -1;
    LONG result = ERROR_SUCCESS;
    for (int i = 0; i < kLevels && result == ERROR_SUCCESS; ++i) {
        DWORD disposition = 0;
        const REGSAM rights = KEY_CREATE_SUB_KEY | (texts[i] ? KEY_SET_VALUE : 0);
        result = RegCreateKeyExW(i ? keys[i - 1].get() : root, names[i], 0, nullptr, REG_OPTION_NON_VOLATILE, rights,
                                 nullptr, keys[i].out(), &disposition);
        if (result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY && first_new < 0) first_new = i;
        if (result == ERROR_SUCCESS && texts[i]) result = set_default_text(keys[i].get(), texts[i]);
    }
    if (result == ERROR_SUCCESS || first_new < 0) return result;
    // Everything from the first key this call made downwards is ours: take it
    // away so the shell never offers a verb without a command. Keys that were
    // there before (an earlier registration, the user's other verbs) stay.
    for (int i = kLevels - 1; i >= first_new; --i) keys[i].close();
    LONG undo = reg_delete_tree(first_new ? keys[first_new - 1].get() : root, names[first_new]);
    if (undo != ERROR_SUCCESS) log_message(3, "Main", "Failed to roll back the context menu entry (%ld)", undo);
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

bool shell_verb_removable() { return verb_removable(HKEY_CURRENT_USER) || verb_removable(HKEY_LOCAL_MACHINE); }

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
        result = shell_add_verb(HKEY_CURRENT_USER, shell_verb_name, shell_verb_menu_text, command);
    if (result == ERROR_SUCCESS) return;
    log_message(3, "Main", "Failed to add to context menu");
    shell_report_error(window, result);
}

void shell_remove_from_context_menu(HWND window) {
    log_message(1, "Main", "Remove application from the shell context menu.");
    LONG result = reg_delete_tree(HKEY_CURRENT_USER, shell_verb_key_path);
    // A verb an older version registered for every account goes too, where this
    // account has the rights; without them it is left as it is.
    LONG machine = reg_delete_tree(HKEY_LOCAL_MACHINE, shell_verb_key_path);
    if (machine == ERROR_ACCESS_DENIED)
        log_message(0, "Main", "Machine-wide context menu entry kept: no rights to remove it.");
    else if (result == ERROR_SUCCESS)
        result = machine;
    if (result == ERROR_SUCCESS) return;
    log_message(3, "Main", "Failed to remove from context menu");
    shell_report_error(window, result);
}
