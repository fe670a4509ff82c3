// Dump text of 64 MiB of random bytes (default settings, then binary with 32
// per row and decimal offsets), sized, allocated once and written as
// UIHDM_GETDUMPTEXT does, against plain `xxd` on the same bytes in the same run.
// Each layout is also written as one pass on one thread (the way before large
// texts were sliced), interleaved with the program's way.
#include "hexdump/hexdump_core.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// CPU seconds (user + system) of this process or of its finished children:
// on a busy machine these compare fairer than wall time.
double cpu_seconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double wall = 1e30, cpu = 1e30;  // best of the runs
    void add(double w, double c) { wall = std::min(wall, w), cpu = std::min(cpu, c); }
};

// One fresh-buffer dump text of all the data, sized, allocated and written
// with `linesPerSlice` and `threads` (-1: as the program writes it); `touched`
// receives the time of writing it again into the same buffer.
double write_once(const HexTextSettings& s, const std::vector<unsigned char>& data, long long linesPerSlice,
                  unsigned threads, long long* out, double* cpu, double* touched) {
    const long long size = static_cast<long long>(data.size());
    auto write = [&](char* buf) {
        return linesPerSlice < 0 ? hexdump_text_write(s, data.data(), 0, size, buf)
                                 : hexdump_text_write_sliced(s, data.data(), 0, size, buf, linesPerSlice, threads);
    };
    double c0 = cpu_seconds(RUSAGE_SELF);
    auto t0 = std::chrono::steady_clock::now();
    long long len = hexdump_text_length(s, 0, size);
    char* buf = static_cast<char*>(std::malloc(static_cast<size_t>(len) + 1));
    size_t written = write(buf);
    double t = seconds_since(t0);
    *cpu = cpu_seconds(RUSAGE_SELF) - c0;
    if (static_cast<long long>(written) != len || buf[len] != '\0') {
        std::fprintf(stderr, "length mismatch\n");
        std::exit(1);
    }
    auto t1 = std::chrono::steady_clock::now();
    write(buf);
    *touched = seconds_since(t1);
    *out = len;
    std::free(buf);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    size_t size = mib << 20;
    std::vector<unsigned char> data(size);
    std::mt19937_64 rng(7);
    for (size_t i = 0; i + 8 <= size; i += 8) {
        uint64_t v = rng();
        std::memcpy(&data[i], &v, 8);
    }

    char path[] = "/tmp/dumptext_bench_XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0 || write(fd, data.data(), size) != static_cast<ssize_t>(size)) {
        std::perror("temp file");
        return 1;
    }
    close(fd);
    std::string cmd = std::string("xxd ") + path + " > /dev/null";
    std::system(cmd.c_str());  // warm the page cache
    double c0 = cpu_seconds(RUSAGE_CHILDREN);
    auto t0 = std::chrono::steady_clock::now();
    int rc = std::system(cmd.c_str());
    double xxd = seconds_since(t0);
    double xxdCpu = cpu_seconds(RUSAGE_CHILDREN) - c0;
    unlink(path);
    if (rc != 0) {
        std::fprintf(stderr, "xxd failed (%d)\n", rc);
        return 1;
    }
    const double mb = static_cast<double>(size) / 1e6;
    std::printf("input %zu MiB of random bytes\n", mib);
    std::printf("%-34s %8.1f MB/s of input (CPU time: %8.1f MB/s)\n", "xxd", mb / xxd, mb / xxdCpu);

    struct Case {
        const char* name;
        HexTextSettings s;
    } cases[] = {
        {"dump text, defaults", {16, 4, 2, 16, false, true, true, true, true}},
        {"dump text, decimal bytes and offsets", {16, 4, 3, 10, true, true, true, true, true}},
        {"dump text, binary, 32 per row", {32, 0, 8, 1, false, true, true, true, false}},
    };
    for (const Case& c : cases) {
        // The program's way and the old single pass on one thread, interleaved.
        Timing now, onePass, nowTouched, onePassTouched;
        long long len = 0;
        for (int r = 0; r < 3; ++r) {
            double cpu, touched;
            double t = write_once(c.s, data, -1, 0, &len, &cpu, &touched);
            now.add(t, cpu), nowTouched.add(touched, 0);
            t = write_once(c.s, data, 0, 1, &len, &cpu, &touched);
            onePass.add(t, cpu), onePassTouched.add(touched, 0);
        }
        const double t = now.wall, cpu = now.cpu;
        std::printf("%-34s %8.1f MB/s of input, %8.1f MB/s of text, %5.2fx xxd (CPU time: %8.1f MB/s, %5.2fx)\n",
                    c.name, mb / t, static_cast<double>(len) / 1e6 / t, xxd / t, mb / cpu, xxdCpu / cpu);
        std::printf("  one pass on one thread:          %8.1f MB/s of input, %5.2fx xxd; into a touched buffer:"
                    " %8.1f MB/s of input (%8.1f MB/s as the program writes)\n",
                    mb / onePass.wall, xxd / onePass.wall, mb / onePassTouched.wall, mb / nowTouched.wall);
    }
    return 0;
}
