// Timing helpers shared by the Windows-side benchmarks.
#pragma once
#include <windows.h>

inline double now_seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Keeps the compiler from dropping a copy whose target is never read.
inline void keep(void* p) { asm volatile("" : : "g"(p) : "memory"); }
