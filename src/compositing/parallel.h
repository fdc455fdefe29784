// Splitting the compositing loops over the machine's cores. Every loop that
// uses this works on independent rows, so a band boundary changes nothing in
// the result: threaded and plain runs are bit-identical (a test checks it).
#pragma once

#include <cstdint>
#include <functional>

namespace mrv {

// Workers the compositing loops may use (1 = plain loop on the caller's thread).
int32_t compositingThreads();
// Sets the worker count, kept in 1..8; 0 or less restores the default
// (the hardware's core count, at most 8).
void setCompositingThreads(int32_t n);

// Runs body(begin, end) over the rows [0, rows) cut into contiguous bands, one
// per worker, when the job is big enough to pay for a thread; otherwise runs
// it once on the caller's thread. body must not throw.
void parallelRows(int32_t rows, int64_t pixels, const std::function<void(int32_t, int32_t, int32_t)>& body);

}  // namespace mrv
