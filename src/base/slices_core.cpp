#include "base/slices_core.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace {

unsigned slices_threads() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

// Text from one thread up to this size; above it the faults of the fresh
// pages cost more than starting threads.
constexpr std::size_t kSlicedFrom = std::size_t{2} << 20;
// Text per slice: small enough for the threads to finish together.
constexpr std::size_t kSliceText = std::size_t{1} << 20;

}  // namespace

SliceCut slices_for_text(std::size_t length, std::size_t lineLength) {
    const unsigned threads = length > kSlicedFrom && lineLength > 0 ? slices_threads() : 1;
    if (threads < 2) return {0, 1};
    return {std::max<std::size_t>(1, kSliceText / lineLength), threads};
}

void slices_run(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& job) {
    std::atomic<std::size_t> taken{0};
    auto work = [&] {
        for (std::size_t t; (t = taken.fetch_add(1, std::memory_order_relaxed)) < count;) job(count - 1 - t);
    };
    const std::size_t extra = std::min<std::size_t>(threads > 1 ? threads - 1 : 0, count > 1 ? count - 1 : 0);
    std::vector<std::thread> helpers;
    helpers.reserve(extra);
    for (std::size_t t = 0; t < extra; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // out of threads: the ones running, this one included, take the rest
        }
    }
    work();
    for (std::thread& h : helpers) h.join();
}
