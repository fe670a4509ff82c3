// Entry point of every Wine test binary: the program's classes are registered
// once, as start-up registers them, before the cases run.
#include "win_test.h"

#include "hexdump/uihexdump.h"
#include "splitter/splitter.h"

#include <commctrl.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    g_instance = GetModuleHandleW(nullptr);
    InitCommonControls();
    splitter_register_class(g_instance);
    uihexdump_register(g_instance);
    main_register_formats();
    main_register_class(g_instance);
    return RUN_ALL_TESTS();
}
