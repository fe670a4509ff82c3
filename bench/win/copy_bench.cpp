// What a capture and a file load cost against the plainest way to move the same
// bytes: GlobalDuplicate of a 256 MiB block against malloc + memcpy, and
// GlobalLoad of a 256 MiB file against CopyFileW and a CreateFile/ReadFile into
// a fresh buffer. Every figure is the best of several interleaved runs in this process.
//
//   copy_bench.exe [MiB] [runs]      (defaults 256 and 5)
//
// Prints "RESULT" lines for bench/run_all.sh.
#include "bench_clock.h"
#include "entries/entries.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {



void fill(unsigned char* p, SIZE_T size) {
    unsigned long long x = 0x9E3779B97F4A7C15ull;
    for (SIZE_T i = 0; i + 8 <= size; i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        std::memcpy(p + i, &x, 8);
    }
}

// ReadFile of the whole file into a fresh buffer: the least any load can do.
bool read_whole(const wchar_t* path, SIZE_T expected) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && static_cast<SIZE_T>(size.QuadPart) == expected;
    unsigned char* buffer = ok ? static_cast<unsigned char*>(std::malloc(expected)) : nullptr;
    SIZE_T done = 0;
    while (buffer && done < expected) {
        DWORD chunk = static_cast<DWORD>(std::min<SIZE_T>(expected - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, buffer + done, chunk, &got, nullptr) || got == 0) break;
        done += got;
    }
    ok = buffer && done == expected;
    std::free(buffer);
    CloseHandle(file);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    SIZE_T mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    SIZE_T size = mib << 20;

    HGLOBAL source = GlobalAlloc(GMEM_MOVEABLE, size);
    auto* bytes = source ? static_cast<unsigned char*>(GlobalLock(source)) : nullptr;
    if (!bytes) {
        std::fprintf(stderr, "no %lu MiB block\n", static_cast<unsigned long>(mib));
        return 1;
    }
    fill(bytes, size);
    GlobalUnlock(source);
    const double mb = static_cast<double>(size) / 1e6;
    std::printf("%lu MiB, best of %d interleaved runs\n", static_cast<unsigned long>(mib), runs);

    // --- capture: the program's own copy of a fetched block ---
    auto duplicate_once = [&] {
        double t0 = now_seconds();
        HGLOBAL copy = GlobalDuplicate(source);
        double t = now_seconds() - t0;
        if (!copy) {
            std::fprintf(stderr, "GlobalDuplicate failed\n");
            std::exit(1);
        }
        GlobalFree(copy);
        return t;
    };
    // A fresh buffer each time, as GlobalDuplicate must fault in new pages too.
    auto fresh_once = [&] {
        const void* from = GlobalLock(source);
        double t0 = now_seconds();
        void* to = std::malloc(size);
        if (to) std::memcpy(to, from, size);
        keep(to);
        double t = now_seconds() - t0;
        GlobalUnlock(source);
        if (!to) std::exit(1);
        std::free(to);
        return t;
    };
    void* warm = std::malloc(size);
    if (!warm) return 1;
    std::memset(warm, 0, size);
    auto hot_once = [&] {
        const void* from = GlobalLock(source);
        double t0 = now_seconds();
        std::memcpy(warm, from, size);
        keep(warm);
        double t = now_seconds() - t0;
        GlobalUnlock(source);
        return t;
    };
    // Interleaved rounds: load from elsewhere on the machine hits every side.
    double duplicate = 1e30, fresh = 1e30, hot = 1e30;
    for (int r = 0; r < runs; ++r) {
        duplicate = std::min(duplicate, duplicate_once());
        fresh = std::min(fresh, fresh_once());
        hot = std::min(hot, hot_once());
    }
    std::free(warm);
    std::printf("GlobalDuplicate             %8.1f ms %8.0f MB/s\n", duplicate * 1e3, mb / duplicate);
    std::printf("malloc + memcpy (fresh)     %8.1f ms %8.0f MB/s\n", fresh * 1e3, mb / fresh);
    std::printf("memcpy into a warm buffer   %8.1f ms %8.0f MB/s\n", hot * 1e3, mb / hot);
    std::printf("RESULT\tcapture copy, GlobalDuplicate of %lu MiB vs malloc+memcpy\t%.0f ms vs %.0f ms\t%.2f\t"
                "fresh target pages on both sides\n",
                static_cast<unsigned long>(mib), duplicate * 1e3, fresh * 1e3, duplicate / fresh);
    std::printf("RESULT\tcapture copy, GlobalDuplicate of %lu MiB vs memcpy (warm target)\t%.0f ms vs %.0f ms\t%.2f\t"
                "reference skips the page faults of a new block\n",
                static_cast<unsigned long>(mib), duplicate * 1e3, hot * 1e3, duplicate / hot);

    // --- file load: an entry read whole into a movable block ---
    wchar_t dir[MAX_PATH], path[MAX_PATH], target[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    if (!GetTempFileNameW(dir, L"cnb", 0, path) || !GetTempFileNameW(dir, L"cnc", 0, target)) {
        std::fprintf(stderr, "no temporary file\n");
        return 1;
    }
    if (GlobalSave(source, static_cast<UINT>(size), path) != 0) {
        std::fprintf(stderr, "could not write the input file\n");
        DeleteFileW(path);
        DeleteFileW(target);
        return 1;
    }
    GlobalFree(source);

    auto load_once = [&] {
        HGLOBAL block = nullptr;
        UINT length = 0;
        double t0 = now_seconds();
        int rc = GlobalLoad(path, &block, &length);
        double t = now_seconds() - t0;
        if (rc != 0 || length != size) {
            std::fprintf(stderr, "GlobalLoad failed (%d)\n", rc);
            std::exit(1);
        }
        GlobalFree(block);
        return t;
    };
    auto read_once = [&] {
        double t0 = now_seconds();
        bool ok = read_whole(path, size);
        double t = now_seconds() - t0;
        if (!ok) std::exit(1);
        return t;
    };
    auto copy_file_once = [&] {
        double t0 = now_seconds();
        BOOL ok = CopyFileW(path, target, FALSE);
        double t = now_seconds() - t0;
        if (!ok) std::exit(1);
        return t;
    };
    read_once();  // the file into the page cache before anything is timed
    double load = 1e30, read = 1e30, copyFile = 1e30;
    for (int r = 0; r < runs; ++r) {
        load = std::min(load, load_once());
        read = std::min(read, read_once());
        copyFile = std::min(copyFile, copy_file_once());
    }
    DeleteFileW(path);
    DeleteFileW(target);
    std::printf("GlobalLoad                  %8.1f ms %8.0f MB/s\n", load * 1e3, mb / load);
    std::printf("CreateFile + ReadFile       %8.1f ms %8.0f MB/s\n", read * 1e3, mb / read);
    std::printf("CopyFileW (file to file)    %8.1f ms %8.0f MB/s\n", copyFile * 1e3, mb / copyFile);
    std::printf("RESULT\tfile load, GlobalLoad of %lu MiB vs CreateFile+ReadFile\t%.0f ms vs %.0f ms\t%.2f\t"
                "file in the page cache; fresh buffer on both sides\n",
                static_cast<unsigned long>(mib), load * 1e3, read * 1e3, load / read);
    std::printf("RESULT\tfile load, GlobalLoad of %lu MiB vs CopyFileW\t%.0f ms vs %.0f ms\t%.2f\t"
                "CopyFileW also writes the copy\n",
                static_cast<unsigned long>(mib), load * 1e3, copyFile * 1e3, load / copyFile);
    return 0;
}
