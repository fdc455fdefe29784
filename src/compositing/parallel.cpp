// Row bands over std::thread. The caller's thread takes the first band so a
// two-core split costs one thread start per call.
#include "compositing/parallel.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace mrv {

namespace {

constexpr int32_t kMaxWorkers = 8;
// Below this many pixels a thread start costs more than it saves.
constexpr int64_t kMinPixelsForThreads = 64 * 1024;

int32_t gWorkers = 0;  // 0 = not chosen yet

// One band handed to a thread. A type of this file only, so the thread
// machinery instantiated for it stays out of the library's exported symbols.
struct Band {
    const std::function<void(int32_t, int32_t, int32_t)>* body;
    int32_t worker, begin, end;
    void operator()() const { (*body)(worker, begin, end); }
};

int32_t defaultWorkers() {
    const unsigned hw = std::thread::hardware_concurrency();
    return std::clamp<int32_t>(hw == 0 ? 1 : static_cast<int32_t>(hw), 1, kMaxWorkers);
}

}  // namespace

int32_t compositingThreads() {
    if (gWorkers == 0) gWorkers = defaultWorkers();
    return gWorkers;
}

void setCompositingThreads(int32_t n) { gWorkers = n <= 0 ? defaultWorkers() : std::min(n, kMaxWorkers); }

void parallelRows(int32_t rows, int64_t pixels, const std::function<void(int32_t, int32_t, int32_t)>& body) {
    if (rows <= 0) return;
    int32_t workers = std::min(compositingThreads(), rows);
    if (pixels < kMinPixelsForThreads) workers = 1;
    if (workers <= 1) {
        body(0, 0, rows);
        return;
    }
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(workers - 1));
    int32_t firstEnd = rows;
    int32_t done = 0;  // bands handed out so far (as row index)
    for (int32_t k = 0; k < workers; ++k) {
        const int32_t begin = static_cast<int32_t>(static_cast<int64_t>(rows) * k / workers);
        const int32_t end = static_cast<int32_t>(static_cast<int64_t>(rows) * (k + 1) / workers);
        if (k == 0) {
            firstEnd = end;
            done = end;
            continue;
        }
        try {
            threads.emplace_back(Band{&body, k, begin, end});
            done = end;
        } catch (...) {
            // No thread to be had: the remaining rows run here after band 0.
            break;
        }
    }
    body(0, 0, firstEnd);
    if (done < rows) body(0, done, rows);
    for (std::thread& t : threads) t.join();
}

}  // namespace mrv
