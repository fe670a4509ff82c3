// The shell verb in Wine's real registry: per user, older machine-wide verbs, menu, roll-back.
#include "win_test.h"

#include "app/resource_ids.h"
#include "shell/shell.h"
#include "shell/shell_core.h"

namespace {

const std::wstring kVerb = shell_verb_key_path;

bool exists(HKEY root, const std::wstring& path) {
    HKEY key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS && RegCloseKey(key) == ERROR_SUCCESS;
}

HKEY make(HKEY root, const std::wstring& path, DWORD options = REG_OPTION_NON_VOLATILE) {
    HKEY key = nullptr;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

struct Clean {  // the case starts and ends without the program's verbs and the test's own root
    static void wipe() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) reg_delete_tree(root, kVerb.c_str());
        reg_delete_tree(HKEY_CURRENT_USER, L"Software\\ClipnookTest");
    }
    Clean() { wipe(); }
    ~Clean() { wipe(); }
};

}  // namespace

TEST(ShellVerb, RegisteredForTheUserRemovedWithAnOlderMachineWideOneRolledBackWhenItFails) {
    Clean clean;
    MainWindowFixture f;
    HMENU extras = GetSubMenu(GetMenu(f.window), 2);
    auto offers_add = [&] {  // one of Add and Remove at a time
        SendMessageW(f.window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(extras), 2);
        EXPECT_NE(menu_item_grayed(extras, IDM_SHELL_ADD), menu_item_grayed(extras, IDM_SHELL_REMOVE));
        return !menu_item_grayed(extras, IDM_SHELL_ADD);
    };
    StdoutCapture out;
    ModalWatcher boxes;
    EXPECT_TRUE(offers_add());
    f.command(IDM_SHELL_ADD);
    wchar_t exe[MAX_PATH], text[MAX_PATH + 16];
    for (const auto& [key, want] : {std::pair{kVerb, std::wstring(L"Open with Clipnook")}, {kVerb + L"\\command",
             L"\"" + std::wstring(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH)) + L"\" \"%1\""}}) {
        DWORD bytes = sizeof text;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes), 0);
        EXPECT_EQ(text, want);
    }
    EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, kVerb) || offers_add());  // nothing for every account
    RegCloseKey(make(HKEY_LOCAL_MACHINE, kVerb + L"\\command\\deeper"));  // as an older version left it
    f.command(IDM_SHELL_REMOVE);
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, kVerb) || exists(HKEY_LOCAL_MACHINE, kVerb));
    EXPECT_TRUE(offers_add());
    RegCloseKey(make(HKEY_LOCAL_MACHINE, kVerb));
    EXPECT_FALSE(offers_add());  // a machine-wide verb this account may remove counts
    EXPECT_TRUE(boxes.seen().empty() && out.raw().find(" E ") == std::string::npos);
    EXPECT_TRUE(out.has('I', "Add application to the shell context menu.") &&
                out.has('I', "Remove application from the shell context menu."));
    // A failed add takes away exactly the keys it made.
    HKEY root = make(HKEY_CURRENT_USER, L"Software\\ClipnookTest");
    const std::wstring refused(300, L'v');  // a key name the registry refuses
    EXPECT_EQ(shell_add_verb(root, refused.c_str(), L"text", L"command"), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(exists(root, L"Software"));  // made by the call, with all below it
    RegCloseKey(make(root, L"Software\\Classes\\*\\shell\\Other"));
    EXPECT_EQ(shell_add_verb(root, refused.c_str(), L"text", L"command"), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(exists(root, L"Software\\Classes\\*\\shell\\Other"));  // what was there stays
    RegCloseKey(root);
}
