// The brush engine's calls into the effect-script platform. While that
// platform is not yet part of the build the calls answer "not a script" and
// "effect did not run", which the shape and paper builders already handle
// (they fall back to the file route and to an unrotated picture).
#pragma once

#include <cstdint>

namespace mrv {

bool brushScriptSize(const char* path, int32_t* width, int32_t* height);
bool brushRenderScript(const char* path, uint8_t* bgra, int32_t width, int32_t height);
bool brushApplyEffect(int32_t effect, const int32_t* slots, int32_t slotCount, uint8_t* bgra, int32_t width,
                      int32_t height);

}  // namespace mrv
