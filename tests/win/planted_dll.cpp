// A DLL that lies next to the Wine test programs and nowhere else: once start-up
// has run, loading it by its name alone must not find it.
extern "C" __declspec(dllexport) int planted_dll_present() { return 1; }
