// Paint cost of the real UIHexDump control against the size of its data: the
// control paints only the rows in view, so a full repaint must cost the same
// for 1 KiB as for 1 GiB, wherever the view stands in the data.
//
//   paint_bench.exe [repaints]      (default 40 per batch; 5 rounds of a batch per size and position)
//
// Prints one "RESULT" line per size for bench/run_all.sh.
#include "bench_clock.h"
#include "app/main_state.h"
#include "hexdump/uihexdump.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {


void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK frame_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE) {
        if (HWND dump = GetWindow(w, GW_CHILD)) MoveWindow(dump, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

// A movable block of `size` bytes, every page written so the paint reads
// committed memory as it would after a capture.
HGLOBAL make_block(SIZE_T size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    auto* p = static_cast<unsigned char*>(GlobalLock(block));
    if (!p) {
        GlobalFree(block);
        return nullptr;
    }
    for (SIZE_T i = 0; i < size; ++i) p[i] = static_cast<unsigned char>(i * 131u + (i >> 8));
    GlobalUnlock(block);
    return block;
}

// Seconds per full repaint over one batch of `repaints`, with the view's first
// row at `offset` and a selection across the visible rows (so the selection
// brush is drawn too).
double time_batch(HWND dump, SIZE_T offset, int repaints) {
    SendMessageW(dump, UIHDM_SETTOPOFFSET, offset, 0);
    SendMessageW(dump, UIHDM_SETSEL, offset, offset + 200);
    RedrawWindow(dump, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    pump();
    double t0 = now_seconds();
    for (int i = 0; i < repaints; ++i) RedrawWindow(dump, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    GdiFlush();
    double t = (now_seconds() - t0) / repaints;
    pump();
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    int repaints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    g_instance = GetModuleHandleW(nullptr);
    InitCommonControls();
    if (!uihexdump_register(g_instance)) {
        std::fprintf(stderr, "UIHexDump class not registered\n");
        return 1;
    }
    WNDCLASSW frame{};
    frame.lpfnWndProc = frame_proc;
    frame.hInstance = g_instance;
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.lpszClassName = L"PaintBenchFrame";
    RegisterClassW(&frame);
    HWND window = CreateWindowExW(0, L"PaintBenchFrame", L"paint bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  20, 20, 800, 600, nullptr, nullptr, g_instance, nullptr);
    HWND dump = CreateWindowExW(WS_EX_CLIENTEDGE, UIHEXDUMP_CLASS, L"", WS_CHILD | WS_VISIBLE | UIHDS_HEADER, 0, 0,
                                10, 10, window, nullptr, g_instance, nullptr);
    if (!window || !dump) {
        std::fprintf(stderr, "windows not created\n");
        return 1;
    }
    RECT client;
    GetClientRect(window, &client);
    MoveWindow(dump, 0, 0, client.right, client.bottom, TRUE);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetFocus(dump);
    pump();
    GetClientRect(dump, &client);
    std::printf("UIHexDump %ldx%ld client pixels, %d repaints per batch\n", client.right,
                client.bottom, repaints);

    struct Size {
        const char* name;
        SIZE_T requested;
        SIZE_T bytes;
        HGLOBAL block;
        double best[3];  // view at the top, the middle, the end
    };
    Size sizes[] = {{"1 KiB", 1u << 10, 1u << 10, nullptr, {1e30, 1e30, 1e30}},
                    {"1 MiB", 1u << 20, 1u << 20, nullptr, {1e30, 1e30, 1e30}},
                    {"64 MiB", 64u << 20, 64u << 20, nullptr, {1e30, 1e30, 1e30}},
                    {"1 GiB", 1u << 30, 1u << 30, nullptr, {1e30, 1e30, 1e30}}};
    // The largest step falls back to smaller blocks when the address space
    // (or the machine) cannot give it.
    for (Size& size : sizes) {
        size.block = make_block(size.bytes);
        while (!size.block && size.bytes > (64u << 20)) {
            size.bytes /= 2;
            size.block = make_block(size.bytes);
        }
    }
    // Rounds over every size in turn, best batch kept: a burst of load from
    // elsewhere on the machine then hits all sizes alike instead of one.
    const int rounds = 5;
    for (int round = 0; round < rounds; ++round) {
        for (Size& size : sizes) {
            if (!size.block) continue;
            SendMessageW(dump, UIHDM_SETDATA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(size.block));
            const SIZE_T offsets[3] = {0, size.bytes / 2, size.bytes > 256 ? size.bytes - 256 : 0};
            for (int at = 0; at < 3; ++at) size.best[at] = std::min(size.best[at], time_batch(dump, offsets[at], repaints));
        }
    }
    SendMessageW(dump, UIHDM_SETDATA, 0, 0);
    std::printf("%d rounds over all sizes, best batch of each kept\n", rounds);

    double base = 0;
    for (Size& size : sizes) {
        char label[32];
        std::snprintf(label, sizeof label, "%llu MiB", static_cast<unsigned long long>(size.bytes >> 20));
        if (!size.block) {
            std::printf("%-7s no memory\n", size.name);
            continue;
        }
        const char* shown = size.bytes == size.requested ? size.name : label;
        double worst = std::max(size.best[0], std::max(size.best[1], size.best[2]));
        if (base == 0) base = worst;
        std::printf("%-7s top %7.1f us, middle %7.1f us, end %7.1f us per paint; worst %5.2fx the 1 KiB paint\n",
                    shown, size.best[0] * 1e6, size.best[1] * 1e6, size.best[2] * 1e6, worst / base);
        if (&size == &sizes[0])
            std::printf("RESULT\tpaint, %s of data (the base)\t%.1f ms per full repaint (worst of top/middle/end)\t%.2f\t"
                        "UIHexDump of %ldx%ld pixels\n",
                        shown, worst * 1e3, 1.0, client.right, client.bottom);
        else
            std::printf("RESULT\tpaint, %s of data vs 1 KiB of data\t%.1f ms per full repaint (worst of top/middle/end)\t%.2f\t"
                        "time per paint over the 1 KiB one\n",
                        shown, worst * 1e3, worst / base);
        GlobalFree(size.block);
    }
    DestroyWindow(window);
    return 0;
}
