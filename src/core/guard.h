// The failure guard every export body runs inside. Any C++ exception (an
// allocation failure, an EngineFault raised on a refused allocation, anything
// else) stops the operation, stores the operation's fixed text in LastError
// and yields the export's failure value. Nothing ever crosses the C boundary.
#pragma once

#include <utility>

namespace mrv {

// Copies at most 511 characters of text into LastError; null stores "".
void setLastError(const char* text);
const char* lastError();

template <class R, class F>
R guarded(const char* failText, R failValue, F&& body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (...) {
        setLastError(failText);
        return failValue;
    }
}

template <class F>
void guardedVoid(const char* failText, F&& body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (...) {
        setLastError(failText);
    }
}

}  // namespace mrv
