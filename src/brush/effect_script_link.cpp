// See effect_script_link.h. The platform functions are weak references here:
// they resolve to the platform when it is linked and to null before.
#include "brush/effect_script_link.h"

#include "platform/effect_script/effect_script.h"

namespace mrv::platform {
[[gnu::weak]] bool scriptImageSize(const char* path, int32_t* width, int32_t* height);
[[gnu::weak]] bool renderScript(const char* path, uint8_t* bgra, int32_t width, int32_t height);
[[gnu::weak]] bool applyEffect(int32_t effect, const int32_t* slots, int32_t slotCount, uint8_t* bgra,
                               int32_t width, int32_t height);
}  // namespace mrv::platform

namespace mrv {

bool brushScriptSize(const char* path, int32_t* width, int32_t* height) {
    auto* fn = &platform::scriptImageSize;
    return fn != nullptr && fn(path, width, height);
}

bool brushRenderScript(const char* path, uint8_t* bgra, int32_t width, int32_t height) {
    auto* fn = &platform::renderScript;
    return fn != nullptr && fn(path, bgra, width, height);
}

bool brushApplyEffect(int32_t effect, const int32_t* slots, int32_t slotCount, uint8_t* bgra, int32_t width,
                      int32_t height) {
    auto* fn = &platform::applyEffect;
    return fn != nullptr && fn(effect, slots, slotCount, bgra, width, height);
}

}  // namespace mrv
