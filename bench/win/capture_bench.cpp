// The whole capture of one large (private) format, as a drop or the clipboard runs it:
// enumeration, GetData, the program's own copy, the row's texts and the release
// of the medium, on a real main window; against malloc + memcpy of the same
// bytes in the same run; and the same format read from the clipboard by the
// worker thread against the same read done directly on the window's thread.
// Each figure is the best of several interleaved runs.
//
//   capture_bench.exe [MiB] [runs] [format id]   (defaults 256, 5 and a private format)
//
// Prints "RESULT" lines for bench/run_all.sh.
#include "bench_clock.h"
#include "../../tests/win/test_data_object.h"
#include "app/main_state.h"
#include "entries/clipboard_capture.h"
#include "entries/entries.h"
#include "entries/entry_table.h"
#include "hexdump/uihexdump.h"
#include "splitter/splitter.h"

#include <algorithm>
#include <utility>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr UINT kBenchEvent = WM_APP + 50;

// The best time of each side over interleaved runs.
template <class A, class B>
std::pair<double, double> best_of(int runs, A a, B b) {
    double first = 1e30, second = 1e30;
    for (int r = 0; r < runs; ++r) first = std::min(first, a()), second = std::min(second, b());
    return {first, second};
}

// The format's row once the capture is over: its size, or 0.
UINT captured_size(const EntryTable* table, UINT format) {
    for (int i = 0; i < table->count; ++i)
        if (static_cast<UINT>(table->items[i].format) == format) return table->items[i].size;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    SIZE_T mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    SIZE_T size = mib << 20;

    OleInitialize(nullptr);
    g_instance = GetModuleHandleW(nullptr);
    InitCommonControls();
    splitter_register_class(g_instance);
    uihexdump_register(g_instance);
    main_register_formats();
    main_register_class(g_instance);
    HWND window = main_create_window(g_instance);
    if (!window) return 1;

    // The object hands out its own block (kept alive through pUnkForRelease),
    // so the capture's copy is the only copy that is timed.
    TestDataObject object;
    const UINT format = argc > 3 ? static_cast<UINT>(std::strtoul(argv[3], nullptr, 10))
                                 : RegisterClipboardFormatW(L"Clipnook Bench Format");
    object.add(formatetc(static_cast<CLIPFORMAT>(format), TYMED_HGLOBAL), Answer::SharedBlock, pattern(size));
    const double mb = static_cast<double>(size) / 1e6;
    std::printf("%lu MiB, best of %d interleaved runs\n", static_cast<unsigned long>(mib), runs);

    const std::vector<unsigned char>& bytes = object.offers[0].bytes;
    auto capture_once = [&] {
        double t0 = now_seconds();
        entry_capture_data_object(&main_state(window)->entries, &object);
        double t = now_seconds() - t0;
        MainWindowState* state = main_state(window);
        if (state->entries.count != 1 || state->entries.items[0].size != size) {
            std::fprintf(stderr, "capture failed\n");
            std::exit(1);
        }
        entry_table_clear(&state->entries);  // the copy is freed outside the timing
        return t;
    };
    auto memcpy_once = [&] {
        double t0 = now_seconds();
        void* to = std::malloc(size);
        if (to) std::memcpy(to, bytes.data(), size);
        keep(to);
        double t = now_seconds() - t0;
        if (!to) std::exit(1);
        std::free(to);
        return t;
    };
    capture_once();  // the object's block is made on the first GetData
    const auto [capture, copy] = best_of(runs, capture_once, memcpy_once);
    std::printf("capture of one format       %8.1f ms %8.0f MB/s\n", capture * 1e3, mb / capture);
    std::printf("malloc + memcpy (fresh)     %8.1f ms %8.0f MB/s\n", copy * 1e3, mb / copy);
    std::printf("RESULT\tcapture of a %lu MiB format (entry_capture_data_object) vs malloc+memcpy\t%.0f ms vs %.0f ms\t"
                "%.2f\tfresh target pages on both sides\n",
                static_cast<unsigned long>(mib), capture * 1e3, copy * 1e3, capture / copy);

    // The same bytes on the clipboard: read by the worker, and directly.
    EntryTable* table = &main_state(window)->entries;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return 1;
    std::memcpy(GlobalLock(block), bytes.data(), size);
    GlobalUnlock(block);
    if (!OpenClipboard(window) || !EmptyClipboard() || !SetClipboardData(format, block) || !CloseClipboard()) return 1;
    auto checked = [&](double t) {
        if (captured_size(table, format) != size) {
            std::fprintf(stderr, "clipboard capture failed\n");
            std::exit(1);
        }
        entry_table_clear(table);
        return t;
    };
    auto direct_once = [&] {
        double t0 = now_seconds();
        IDataObject* clipboard = nullptr;
        if (FAILED(OleGetClipboard(&clipboard))) std::exit(1);
        entry_capture_data_object(table, clipboard);
        clipboard->Release();
        return checked(now_seconds() - t0);
    };
    auto worker_once = [&] {
        double t0 = now_seconds();
        ClipboardCapture capture{};
        if (!entry_clipboard_begin(table, &capture, window, kBenchEvent)) std::exit(1);
        MSG m;
        while (entry_clipboard_running(&capture) && GetMessageW(&m, nullptr, 0, 0) > 0) {
            if (m.message == kBenchEvent)
                entry_clipboard_event(table, &capture, m.wParam, reinterpret_cast<ClipboardEvent*>(m.lParam));
            else
                DispatchMessageW(&m);
        }
        return checked(now_seconds() - t0);
    };
    direct_once();
    const auto [worker, direct] = best_of(runs, worker_once, direct_once);
    std::printf("clipboard read by the worker %8.1f ms %8.0f MB/s\n", worker * 1e3, mb / worker);
    std::printf("clipboard read directly      %8.1f ms %8.0f MB/s\n", direct * 1e3, mb / direct);
    std::printf("RESULT\tclipboard capture of a %lu MiB format, worker thread vs the window's thread\t%.0f ms vs %.0f ms\t"
                "%.2f\tthe same OleGetClipboard read on both sides\n",
                static_cast<unsigned long>(mib), worker * 1e3, direct * 1e3, worker / direct);
    // The block would outlive this process on the session's clipboard, and a
    // clipnook.exe started later in the same session (the start-up benchmark)
    // would read all of it while it starts.
    if (OpenClipboard(window)) EmptyClipboard(), CloseClipboard();
    DestroyWindow(window);
    return 0;
}
