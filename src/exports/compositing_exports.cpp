// Boundary of compositing: merges, buffer adjustments, the view and flatten.
#include <climits>

#include "compositing/blend_kernel.h"
#include "compositing/merges.h"
#include "compositing/view_render.h"
#include "core/engine_state.h"
#include "core/guard.h"
#include "morvane/morvane.h"

using namespace mrv;

namespace {

// Pixel count of a packed w x h buffer, or -1 for an impossible size.
int64_t packedPixels(int32_t w, int32_t h) {
    if (w <= 0 || h <= 0) return -1;
    return int64_t{w} * h;
}

}  // namespace

extern "C" {

MRV_API void MRV_MergeLayer(int32_t a, int32_t b) {
    guardedVoid("MergeLayer Excpt", [&] { mergeLayer(a, b); });
}

MRV_API void MRV_MergeLayerIntoRect(int32_t a, uint16_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h) {
    guardedVoid("MergeLayerIntoRect Excpt", [&] { mergeLayerIntoRect(a, buffer, x, y, w, h); });
}

MRV_API void MRV_MergeLayerInto(int32_t a, uint16_t* buffer) {
    guardedVoid("MergeLayerInto Excpt", [&] {
        const CoreState& c = engine().core;
        mergeLayerIntoRect(a, buffer, 0, 0, c.canvasWidth, c.canvasHeight);
    });
}

MRV_API void MRV_MergePaintLayer(int32_t n) {
    guardedVoid("MergePaintLayer Excpt", [&] { mergePaintLayer(n); });
}

MRV_API void MRV_AdjustRGBA32ByMaskAndTexture(uint8_t* data, int32_t w, int32_t h) {
    guardedVoid("AdjustRGBA32ByMaskAndTexture Excpt", [&] { adjustRGBA32RectByMaskAndTexture(data, 0, 0, w, h); });
}

MRV_API int32_t MRV_AdjustRGBA32RectByMaskAndTexture(uint8_t* data, int32_t x, int32_t y, int32_t w, int32_t h) {
    return guarded("AdjustRGBA32RectByMaskAndTexture Excpt", 0,
                   [&] { return adjustRGBA32RectByMaskAndTexture(data, x, y, w, h) ? 1 : 0; });
}

MRV_API void MRV_AdjustRGBA32PreFilter(uint8_t* data, int32_t w, int32_t h) {
    adjustRGBA32PreFilter(data, packedPixels(w, h));
}

MRV_API void MRV_AdjustRGBA32PostFilter(uint8_t* data, int32_t w, int32_t h) {
    adjustRGBA32PostFilter(data, packedPixels(w, h));
}

MRV_API void MRV_AdjustRGBA32ForAlphaComp(int32_t flag, uint8_t* data) {
    if (static_cast<uint8_t>(flag) == 0) return;
    const CoreState& c = engine().core;
    adjustRGBA32ForAlphaComp(data, packedPixels(c.canvasWidth, c.canvasHeight));
}

MRV_API void MRV_AdjustRGBA64PreFilter(uint16_t* data, int32_t w, int32_t h) {
    adjustRGBA64PreFilter(data, packedPixels(w, h));
}

MRV_API void MRV_AdjustRGBA64PostFilter(uint16_t* data, int32_t w, int32_t h) {
    adjustRGBA64PostFilter(data, packedPixels(w, h));
}

MRV_API void MRV_Render(uint8_t* buffer, int32_t stride, int32_t x0, int32_t y0, int32_t w, int32_t h) {
    guardedVoid("Render Excpt", [&] { renderView(buffer, stride, x0, y0, w, h); });
}

MRV_API void MRV_SetScale(int32_t zoom, float scale) {
    ViewState& v = engine().view;
    v.viewZoom = zoom;
    v.viewScale = scale;
}

MRV_API void MRV_SetOffset(int32_t x, int32_t y) {
    ViewState& v = engine().view;
    v.viewOffsetX = x;
    v.viewOffsetY = y;
}

MRV_API void MRV_SetViewSize(int32_t w, int32_t h) {
    ViewState& v = engine().view;
    v.viewWidth = w;
    v.viewHeight = h;
}

MRV_API void MRV_SetTracingMode(int32_t flag) { engine().core.tracingMode = static_cast<uint8_t>(flag); }

MRV_API void MRV_MergeRect(uint16_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h) {
    guardedVoid("MergeRect Excpt", [&] { mergeRect(buffer, x, y, w, h); });
}

MRV_API void MRV_Merge(uint16_t* buffer) {
    guardedVoid("Merge Excpt", [&] {
        const CoreState& c = engine().core;
        mergeRect(buffer, 0, 0, c.canvasWidth, c.canvasHeight);
    });
}

MRV_API uint32_t MRV_GetColorAtMerged(int32_t x, int32_t y) {
    return guarded("MRV_GetColorAtMerged Excpt", uint32_t{0}, [&] { return colorAtMerged(x, y); });
}

}  // extern "C"
