#include "base/lazy_dll.h"

namespace {

// Resolved once per function; a DLL that cannot be loaded stays unloaded and
// every call through it reports failure.
template <typename Fn>
Fn resolve(const wchar_t* dll, const char* name) {
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

BOOL lazy_get_open_file_name(OPENFILENAMEW* ofn) {
    static const auto fn = resolve<BOOL(WINAPI*)(OPENFILENAMEW*)>(L"comdlg32.dll", "GetOpenFileNameW");
    return fn ? fn(ofn) : FALSE;
}

BOOL lazy_get_save_file_name(OPENFILENAMEW* ofn) {
    static const auto fn = resolve<BOOL(WINAPI*)(OPENFILENAMEW*)>(L"comdlg32.dll", "GetSaveFileNameW");
    return fn ? fn(ofn) : FALSE;
}

DWORD lazy_comm_dlg_extended_error() {
    static const auto fn = resolve<DWORD(WINAPI*)()>(L"comdlg32.dll", "CommDlgExtendedError");
    return fn ? fn() : CDERR_INITIALIZATION;
}

UINT lazy_extract_icon_ex(const wchar_t* file, int index, HICON* large, HICON* small, UINT count) {
    static const auto fn = resolve<UINT(WINAPI*)(const wchar_t*, int, HICON*, HICON*, UINT)>(
        L"shell32.dll", "ExtractIconExW");
    return fn ? fn(file, index, large, small, count) : 0;
}

PIDLIST_ABSOLUTE lazy_il_clone(PCUIDLIST_RELATIVE pidl) {
    static const auto fn = resolve<PIDLIST_ABSOLUTE(WINAPI*)(PCUIDLIST_RELATIVE)>(L"shell32.dll", "ILClone");
    return fn ? fn(pidl) : nullptr;
}

PIDLIST_ABSOLUTE lazy_il_combine(PCIDLIST_ABSOLUTE parent, PCUIDLIST_RELATIVE child) {
    static const auto fn = resolve<PIDLIST_ABSOLUTE(WINAPI*)(PCIDLIST_ABSOLUTE, PCUIDLIST_RELATIVE)>(
        L"shell32.dll", "ILCombine");
    return fn ? fn(parent, child) : nullptr;
}

void lazy_il_free(PIDLIST_RELATIVE pidl) {
    static const auto fn = resolve<void(WINAPI*)(PIDLIST_RELATIVE)>(L"shell32.dll", "ILFree");
    if (fn && pidl) fn(pidl);
}

HRESULT lazy_sh_get_name_from_id_list(PCIDLIST_ABSOLUTE pidl, SIGDN kind, PWSTR* name) {
    static const auto fn = resolve<HRESULT(WINAPI*)(PCIDLIST_ABSOLUTE, SIGDN, PWSTR*)>(
        L"shell32.dll", "SHGetNameFromIDList");
    if (name) *name = nullptr;
    return fn ? fn(pidl, kind, name) : E_NOTIMPL;
}

HINSTANCE lazy_shell_execute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                             const wchar_t* folder, int show) {
    using Fn = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int);
    static const auto fn = resolve<Fn>(L"shell32.dll", "ShellExecuteW");
    return fn ? fn(owner, verb, file, params, folder, show) : reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
}
