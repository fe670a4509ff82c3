// The shell verb in Wine's real registry: what adding writes, removing whole
// trees, roll-back of a half-made verb and the error box.
#include "win_test_util.h"
#include "modal_util.h"

#include "shell/shell.h"
#include "shell/shell_core.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const wchar_t kShell[] = L"*\\shell";

bool key_exists(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The default value of a key under the classes root, with its type.
std::wstring default_value(const wchar_t* path, DWORD* type = nullptr) {
    wchar_t text[1024] = {};
    DWORD bytes = sizeof text - sizeof(wchar_t);
    DWORD t = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<no key>";
    LONG r = RegQueryValueExW(key, nullptr, nullptr, &t, reinterpret_cast<BYTE*>(text), &bytes);
    RegCloseKey(key);
    if (type) *type = t;
    return r == ERROR_SUCCESS ? std::wstring(text) : L"<no value>";
}

void counts(const wchar_t* path, DWORD* subkeys, DWORD* values) {
    HKEY key;
    *subkeys = *values = 99;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, subkeys, nullptr, nullptr, values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
}

LONG make_key(const wchar_t* path, DWORD options = REG_OPTION_NON_VOLATILE) {
    HKEY key;
    LONG r = RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (r == ERROR_SUCCESS) RegCloseKey(key);
    return r;
}

LONG set_text(const wchar_t* path, const wchar_t* name, const wchar_t* text) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, path, name, REG_SZ, text,
                           static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t)));
}

std::wstring own_command_line() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return L"\"" + std::wstring(exe) + L"\" \"%1\"";
}

// Every case starts and ends without the program's verb.
struct CleanVerb {
    CleanVerb() { reg_delete_tree(HKEY_CLASSES_ROOT, shell_verb_key_path); }
    ~CleanVerb() {
        reg_delete_tree(HKEY_CLASSES_ROOT, shell_verb_key_path);
        reg_delete_tree(HKEY_CLASSES_ROOT, L"*\\shell\\ClipnookTest");
    }
};

}  // namespace

TEST(ShellVerb, AddWritesMenuTextAndQuotedCommandLine) {
    CleanVerb clean;
    MainWindowFixture f;
    LogCapture log;
    ModalWatcher boxes;
    SendMessageW(f.window, WM_COMMAND, 2019, 0);
    EXPECT_TRUE(boxes.seen().empty());
    DWORD type = 0;
    EXPECT_EQ(default_value(L"*\\shell\\Clipnook", &type), L"Open with Clipnook");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(default_value(L"*\\shell\\Clipnook\\command", &type), own_command_line());
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(log.count('I', "Add application to the shell context menu."), 1);
    EXPECT_EQ(log.count_level('E'), 0);
}

TEST(ShellVerb, AddingTwiceLeavesOneVerbWithTheCurrentPath) {
    CleanVerb clean;
    // A verb left by an older copy elsewhere, with an extra value of its own.
    ASSERT_EQ(shell_add_verb(L"Clipnook", L"old text", L"\"C:\\old place\\clipnook.exe\" \"%1\""), 0);
    shell_add_to_context_menu(nullptr);
    shell_add_to_context_menu(nullptr);
    EXPECT_EQ(default_value(L"*\\shell\\Clipnook"), L"Open with Clipnook");
    EXPECT_EQ(default_value(L"*\\shell\\Clipnook\\command"), own_command_line());
    DWORD subkeys, values;
    counts(L"*\\shell\\Clipnook", &subkeys, &values);
    EXPECT_EQ(subkeys, 1u);
    EXPECT_EQ(values, 1u);
    counts(L"*\\shell\\Clipnook\\command", &subkeys, &values);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 1u);
}

TEST(ShellVerb, PathWithBlanksStaysOneArgument) {
    CleanVerb clean;
    wchar_t command[300];
    ASSERT_TRUE(shell_format_command_line(L"C:\\Program Files\\Clip Tools\\clipnook.exe", command, 300));
    ASSERT_EQ(shell_add_verb(L"ClipnookTest", L"Open with Clipnook", command), 0);
    std::wstring stored = default_value(L"*\\shell\\ClipnookTest\\command");
    EXPECT_EQ(stored, L"\"C:\\Program Files\\Clip Tools\\clipnook.exe\" \"%1\"");
    // What the shell runs, with %1 replaced by a clicked path with blanks, splits
    // into exactly the program and that one path.
    std::wstring run = stored;
    run.replace(run.find(L"%1"), 2, L"C:\\My Files\\a b.txt");
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(run.c_str(), &argc);
    ASSERT_EQ(argc, 2);
    EXPECT_STREQ(argv[0], L"C:\\Program Files\\Clip Tools\\clipnook.exe");
    EXPECT_STREQ(argv[1], L"C:\\My Files\\a b.txt");
    LocalFree(argv);
}

TEST(ShellVerb, RemoveDeletesNestedSubkeysAndNothingElse) {
    CleanVerb clean;
    shell_add_to_context_menu(nullptr);
    // Extra levels added by hand, with values and siblings at each level.
    std::wstring deep = L"*\\shell\\Clipnook\\command";
    for (int level = 0; level < 6; ++level) {
        deep += L"\\level" + std::to_wstring(level);
        ASSERT_EQ(make_key(deep.c_str()), 0);
        ASSERT_EQ(set_text(deep.c_str(), L"v", L"x"), 0);
        ASSERT_EQ(make_key((deep + L"\\sibling").c_str()), 0);
        ASSERT_EQ(make_key((deep + L"\\sibling2\\inner").c_str()), 0);
    }
    ASSERT_EQ(make_key(L"*\\shell\\ClipnookTest"), 0);  // a neighbour that must stay
    {
        MainWindowFixture f;
        LogCapture log;
        ModalWatcher boxes;
        SendMessageW(f.window, WM_COMMAND, 2020, 0);
        EXPECT_TRUE(boxes.seen().empty());
        EXPECT_EQ(log.count('I', "Remove application from the shell context menu."), 1);
        EXPECT_EQ(log.count_level('E'), 0);
    }
    EXPECT_FALSE(key_exists(L"*\\shell\\Clipnook"));
    EXPECT_TRUE(key_exists(L"*\\shell\\ClipnookTest"));
    EXPECT_TRUE(key_exists(kShell));
}

TEST(ShellVerb, RemovingAMissingVerbIsQuietSuccess) {
    CleanVerb clean;
    EXPECT_EQ(reg_delete_tree(HKEY_CLASSES_ROOT, L"*\\shell\\Clipnook"), 0);
    EXPECT_EQ(reg_delete_tree(HKEY_CLASSES_ROOT, L"*\\no such class here\\shell\\x"), 0);
    MainWindowFixture f;
    LogCapture log;
    ModalWatcher boxes;
    SendMessageW(f.window, WM_COMMAND, 2020, 0);
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_EQ(log.count_level('E'), 0);
    EXPECT_EQ(log.count('I', "Remove application from the shell context menu."), 1);
}

TEST(ShellVerb, DeleteTreeRemovesAWideTree) {
    // Many siblings: index 0 must be re-read after each deletion.
    ASSERT_EQ(make_key(L"*\\shell\\ClipnookTest"), 0);
    for (int i = 0; i < 40; ++i) {
        std::wstring k = L"*\\shell\\ClipnookTest\\k" + std::to_wstring(i);
        ASSERT_EQ(make_key((k + L"\\a\\b").c_str()), 0);
    }
    EXPECT_EQ(reg_delete_tree(HKEY_CLASSES_ROOT, L"*\\shell\\ClipnookTest"), 0);
    EXPECT_FALSE(key_exists(L"*\\shell\\ClipnookTest"));
}

// A key made volatile cannot get a non-volatile subkey: the add then fails at
// "command", after the verb key was opened and its text written.
TEST(ShellVerb, FailureHalfWayRollsBackTheVerb) {
    CleanVerb clean;
    ASSERT_EQ(make_key(L"*\\shell\\ClipnookTest", REG_OPTION_VOLATILE), 0);
    LONG r = shell_add_verb(L"ClipnookTest", L"Open with Clipnook", L"\"x.exe\" \"%1\"");
    EXPECT_EQ(r, ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_FALSE(key_exists(L"*\\shell\\ClipnookTest"));
    EXPECT_TRUE(key_exists(kShell));
}

TEST(ShellVerb, FailedAddReportsWithTheSystemTextAndHint) {
    CleanVerb clean;
    ASSERT_EQ(make_key(L"*\\shell\\Clipnook", REG_OPTION_VOLATILE), 0);
    MainWindowFixture f;
    LogCapture log;
    ModalWatcher boxes;
    SendMessageW(f.window, WM_COMMAND, 2019, 0);
    ASSERT_EQ(boxes.seen().size(), 1u);
    const SeenDialog& box = boxes.seen()[0];
    EXPECT_EQ(box.caption, L"Clipnook");
    EXPECT_EQ(box.owner, f.window);
    char system_text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_CHILD_MUST_BE_VOLATILE, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system_text,
                   sizeof system_text, nullptr);
    std::string want = "Error (1021): " + std::string(system_text) +
                       "\nRun the application as administrator\nto 'add to' or 'remove from' the context menu.";
    wchar_t wide_want[600];
    MultiByteToWideChar(CP_ACP, 0, want.c_str(), -1, wide_want, 600);
    bool found = false;
    for (const std::wstring& t : box.texts) {
        // The box may show line ends as CR LF; compare with bare LF.
        std::wstring shown;
        for (wchar_t c : t)
            if (c != L'\r') shown += c;
        std::wstring expected;
        for (const wchar_t* p = wide_want; *p; ++p)
            if (*p != L'\r') expected += *p;
        found = found || shown == expected;
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(log.count('E', "Failed to add to context menu"), 1);
    EXPECT_FALSE(key_exists(L"*\\shell\\Clipnook"));  // rolled back
}

// A verb key this process may read but not change, as for a user without
// administrator rights: Remove fails with code 5 and says so; the menu then
// offers Add, since the key cannot be opened with full access.
TEST(ShellVerb, ReadOnlyVerbKeyFailsToRemoveWithAccessDenied) {
    CleanVerb clean;
    ASSERT_EQ(make_key(L"*\\shell\\Clipnook\\command"), 0);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"*\\shell\\Clipnook", 0, KEY_ALL_ACCESS, &key), 0);
    // Everyone may read; nobody may delete or write.
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    BYTE acl_bytes[256];
    PACL acl = reinterpret_cast<PACL>(acl_bytes);
    InitializeAcl(acl, sizeof acl_bytes, ACL_REVISION);
    BYTE sid_bytes[SECURITY_MAX_SID_SIZE];
    DWORD sid_size = sizeof sid_bytes;
    CreateWellKnownSid(WinWorldSid, nullptr, sid_bytes, &sid_size);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, sid_bytes);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    ASSERT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd), 0);
    RegCloseKey(key);
    HKEY probe;
    LONG full = RegOpenKeyExW(HKEY_CLASSES_ROOT, L"*\\shell\\Clipnook", 0, KEY_ALL_ACCESS, &probe);
    if (full == ERROR_SUCCESS) {
        RegCloseKey(probe);
        GTEST_SKIP() << "this registry does not enforce key permissions";
    }
    EXPECT_EQ(full, ERROR_ACCESS_DENIED);
    {
        MainWindowFixture f;
        HMENU extras = GetSubMenu(GetMenu(f.window), 2);
        SendMessageW(f.window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(extras), 2);
        EXPECT_FALSE(menu_item_grayed(extras, 2019));
        EXPECT_TRUE(menu_item_grayed(extras, 2020));

        LogCapture log;
        ModalWatcher boxes;
        shell_remove_from_context_menu(f.window);
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].caption, L"Clipnook");
        bool found = false;
        for (const std::wstring& t : boxes.seen()[0].texts)
            found = found || (t.rfind(L"Error (5): ", 0) == 0 &&
                              t.find(L"Run the application as administrator") != std::wstring::npos);
        EXPECT_TRUE(found);
        EXPECT_EQ(log.count('E', "Failed to remove from context menu"), 1);
    }
    EXPECT_TRUE(key_exists(L"*\\shell\\Clipnook"));
    // Give the rights back so the clean-up can remove it.
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"*\\shell\\Clipnook", 0, WRITE_DAC, &key), 0);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(key);
}
