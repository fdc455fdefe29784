// Boundary of the layer table.
#include <algorithm>

#include "core/engine_state.h"
#include "core/guard.h"
#include "core/layer_table.h"
#include "morvane/morvane.h"

using namespace mrv;

extern "C" {

MRV_API int32_t MRV_CreateLayer(int32_t n, int32_t width, int32_t height) {
    return guarded("CreateLayer Excpt", 0, [&] { return createLayer(n, width, height); });
}

MRV_API void MRV_DeleteLayer(int32_t n) {
    guardedVoid("DeleteLayer Excpt", [&] { deleteLayer(n); });
}

MRV_API void MRV_SetLayer(int32_t n) {
    guardedVoid("SetLayer Excpt", [&] { setLayer(n); });
}

MRV_API int32_t MRV_GetLayerNum(void) { return engine().core.currentLayerNum; }

MRV_API int32_t MRV_GetLayerCount(void) { return layerCount(); }

MRV_API void MRV_SetLayerOptions(int32_t n, int32_t visible, int32_t alphaLocked, int32_t opacityPercent,
                                 const char* modeName) {
    guardedVoid("SetLayerOptions Excpt", [&] { setLayerOptions(n, visible, alphaLocked, opacityPercent, modeName); });
}

MRV_API void MRV_SwapLayers(int32_t a, int32_t b) { swapLayers(a, b); }

MRV_API uint8_t* MRV_CreateTexture(int32_t n) {
    return guarded("CreateTexture Excpt", static_cast<uint8_t*>(nullptr), [&] { return createTexture(n); });
}

MRV_API void MRV_DeleteTexture(void) { deleteTexture(); }

MRV_API void MRV_CreatePaintLayer(int32_t opacityPercent, const char* modeName) {
    guardedVoid("CreatePaintLayer Excpt", [&] { createPaintLayer(opacityPercent, modeName); });
}

MRV_API void MRV_ClearPaintLayer(void) { clearPaintLayer(); }

MRV_API void MRV_ClearPaintLayer_old(void) { clearPaintLayerOld(); }

MRV_API void MRV_DeletePaintLayer(void) { deletePaintLayer(); }

MRV_API void MRV_SetAlphaLayerOpacity(int32_t opacityPercent) {
    // Out-of-range percentages would wrap the 16-bit opacity into nonsense
    // (101 % becoming nearly transparent); the value is kept in 0..65535.
    const double scaled = std::clamp(opacityPercent * 0.01 * 65535.0, 0.0, 65535.0);
    engine().core.alphaLayerOpacity = static_cast<uint16_t>(scaled);
}

}  // extern "C"
