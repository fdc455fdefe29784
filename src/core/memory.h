// Allocation helpers. Long-lived engine buffers come from a null-returning
// allocator (malloc/free) so that callers can survive a refusal; where a
// null buffer would then be used, allocOrThrow turns the refusal into a fault
// that the export guard reports through LastError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>

namespace mrv {

// Raised inside an export when an operation cannot go on; the guard of the
// export catches it like any other fault.
struct EngineFault {};

[[noreturn]] inline void throwFault() { throw EngineFault{}; }

// Null on failure or on a size that does not fit in size_t.
inline void* engineAlloc(uint64_t bytes) {
    if (bytes > std::numeric_limits<size_t>::max() / 2) return nullptr;
    return std::malloc(bytes == 0 ? 1 : static_cast<size_t>(bytes));
}

template <class T>
inline T* allocArray(uint64_t count) {
    if (count > std::numeric_limits<uint64_t>::max() / sizeof(T)) return nullptr;
    return static_cast<T*>(engineAlloc(count * sizeof(T)));
}

// Zero-filled; large blocks come straight from the kernel as untouched pages.
template <class T>
inline T* allocZeroedArray(uint64_t count) {
    if (count > std::numeric_limits<size_t>::max() / 2 / sizeof(T)) return nullptr;
    return static_cast<T*>(std::calloc(count == 0 ? 1 : static_cast<size_t>(count), sizeof(T)));
}

template <class T>
inline T* allocZeroedArrayOrThrow(uint64_t count) {
    T* p = allocZeroedArray<T>(count);
    if (!p) throwFault();
    return p;
}

template <class T>
inline T* allocArrayOrThrow(uint64_t count) {
    T* p = allocArray<T>(count);
    if (!p) throwFault();
    return p;
}

// Frees and nulls an engine buffer.
template <class T>
inline void releaseBuffer(T*& p) {
    std::free(p);
    p = nullptr;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using UniqueBuffer = std::unique_ptr<T[], FreeDeleter>;

}  // namespace mrv
