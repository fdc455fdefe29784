// Splitting a per-pixel pass over the two cores. Every pixel's result depends
// on that pixel alone, so the split gives exactly the plain loop's result; a
// test compares both. Small passes stay on the caller's thread, where starting
// a thread would cost more than it saves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <thread>

namespace mrv {

// Passes below this many pixels run on one thread.
constexpr size_t kMaskParallelMinPixels = size_t{1} << 18;

// At most this many threads (1 = the plain loop); 2 unless a test changes it.
void setMaskThreadLimit(int32_t threads);
int32_t maskThreadLimit();

// Calls body(begin, end) over disjoint ranges that cover 0..count. The body
// must not throw. If a worker cannot be started, the caller's thread does
// the whole pass.
template <class Body>
void forEachPixelRange(size_t count, Body&& body) {
    if (count < kMaskParallelMinPixels || maskThreadLimit() < 2) {
        body(size_t{0}, count);
        return;
    }
    const size_t half = count / 2;
    std::thread worker;
    try {
        worker = std::thread([&body, half, count] { body(half, count); });
    } catch (...) {
        body(size_t{0}, count);
        return;
    }
    body(size_t{0}, half);
    worker.join();
}

}  // namespace mrv
