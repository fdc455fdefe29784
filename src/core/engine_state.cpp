// The one EngineState record and the last-error text kept in it.
#include "core/engine_state.h"

#include <cstring>

#include "core/guard.h"

namespace mrv {

namespace {
// Constant-initialised: all zero except the defaults written in the structs.
EngineState gEngine;
}  // namespace

EngineState& engine() { return gEngine; }

void setLastError(const char* text) {
    char* out = gEngine.core.lastError;
    if (!text) text = "";
    const size_t n = strnlen(text, kLastErrorSize - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

const char* lastError() { return gEngine.core.lastError; }

}  // namespace mrv
