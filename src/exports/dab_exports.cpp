// Boundary of the dab renderer: one call per dab of a stroke.
#include "brush/dab_renderer.h"
#include "core/guard.h"
#include "morvane/morvane.h"

using namespace mrv;

extern "C" {

MRV_API void MRV_DrawDabGrit(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
    guardedVoid("DrawDabGrit Excpt", [&] { drawDabGrit(x, y, r, g, b); });
}

MRV_API void MRV_DrawDabGritMask(int32_t x, int32_t y) {
    guardedVoid("DrawDabGritMask Excpt", [&] { drawDabGritMask(x, y); });
}

}  // extern "C"
