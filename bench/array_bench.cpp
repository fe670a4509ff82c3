// 64 MiB of random bytes in every array notation, against `xxd -i` on the same
// bytes in the same run. Each notation is sized, allocated fresh and written,
// as the program does for Copy As and Export As, and also as one pass on one
// thread (the way before large texts were sliced), interleaved with it.
#include "export/array_core.h"

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

long peak_rss_kib() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Best of `runs`: seconds for one fresh-buffer format of the whole input.
// `warm` receives the best time of writing again into the same, already
// touched buffer: the writer alone, without the cost of fresh pages.
// `onePass`: written as one pass on one thread, the way before large texts
// were sliced.
double time_notation(const ArrayNotation& n, const std::vector<unsigned char>& data, int runs, std::size_t* out,
                     double* warm = nullptr, bool onePass = false) {
    auto write = [&](char* buf) {
        return onePass ? array_text_write_sliced(n, data.data(), data.size(), 0, nullptr, buf, 0, 1)
                       : array_text_write(n, data.data(), data.size(), 0, nullptr, buf);
    };
    double best = 1e30;
    if (warm) *warm = 1e30;
    for (int r = 0; r < runs; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        std::size_t len = array_text_length(n, data.data(), data.size(), 0, nullptr);
        char* buf = static_cast<char*>(std::malloc(len + 1));
        std::size_t written = write(buf);
        double s = seconds_since(t0);
        if (written != len || buf[len] != '\0') {
            std::fprintf(stderr, "%s: length mismatch\n", n.name);
            std::exit(1);
        }
        *out = len;
        if (warm) {
            auto t1 = std::chrono::steady_clock::now();
            write(buf);
            double w = seconds_since(t1);
            if (w < *warm) *warm = w;
        }
        std::free(buf);
        if (s < best) best = s;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    std::size_t size = mib << 20;
    std::vector<unsigned char> data(size);
    std::mt19937_64 rng(42);
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        std::uint64_t v = rng();
        std::memcpy(&data[i], &v, 8);
    }
    long rssData = peak_rss_kib();

    // C Array first, alone, for its peak memory: the data plus the text.
    std::size_t len = 0;
    double cArray = time_notation(array_notation_c_array, data, 1, &len);
    long rssCArray = peak_rss_kib();
    std::printf("input %zu MiB; peak RSS with data only %ld MiB, after a C Array (%zu MiB text) %ld MiB\n", mib,
                rssData >> 10, len >> 20, rssCArray >> 10);

    // xxd -i on the same bytes from a file in the page cache, output discarded.
    char path[] = "/tmp/array_bench_XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0 || write(fd, data.data(), size) != static_cast<ssize_t>(size)) {
        std::perror("temp file");
        return 1;
    }
    close(fd);
    std::string cmd = std::string("xxd -i ") + path + " > /dev/null";
    std::system(cmd.c_str());  // warm the cache
    auto t0 = std::chrono::steady_clock::now();
    int rc = std::system(cmd.c_str());
    double xxd = seconds_since(t0);
    unlink(path);
    if (rc != 0) {
        std::fprintf(stderr, "xxd failed (%d)\n", rc);
        return 1;
    }
    double mb = static_cast<double>(size) / 1e6;
    std::printf("%-14s %8.1f MB/s of input\n", "xxd -i", mb / xxd);

    for (const ArrayNotation* n : array_notations) {
        // The program's way and the old single pass, interleaved run by run.
        double s = 1e30, warm = 1e30, one = 1e30, oneWarm = 1e30;
        for (int r = 0; r < 3; ++r) {
            double w, t = time_notation(*n, data, 1, &len, &w);
            s = std::min(s, t), warm = std::min(warm, w);
            t = time_notation(*n, data, 1, &len, &w, true);
            one = std::min(one, t), oneWarm = std::min(oneWarm, w);
        }
        if (n == &array_notation_c_array) s = std::min(cArray, s);
        std::printf("%-14s %8.1f MB/s of input, %7.1f MB/s of text, %5.1fx xxd -i"
                    " (into a touched buffer: %7.1f MB/s of input)\n",
                    n->name, mb / s, static_cast<double>(len) / 1e6 / s, xxd / s, mb / warm);
        std::printf("  one pass on one thread: %8.1f MB/s of input, %5.1fx xxd -i (into a touched buffer: %7.1f MB/s)\n",
                    mb / one, xxd / one, mb / oneWarm);
    }
    return 0;
}
