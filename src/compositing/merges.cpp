// Merges of layers and host buffers through BlendKernel. The kernel itself
// does not clip, so every merge here works out the rectangle that lies inside
// both pictures first: after a resize the host has not finished, layers can
// differ in size from the canvas and from each other.
#include <algorithm>
#include <climits>

#include "compositing/blend_kernel.h"
#include "compositing/merges.h"
#include "core/engine_state.h"
#include "core/layer_table.h"

namespace mrv {

namespace {

constexpr int32_t kFirstAlphaMode = 21;

// The layer mask of layer a, when there is one that lines up with a pixel for
// pixel; a mask of another size cannot be addressed like a and is ignored.
const uint16_t* maskPictureFor(int32_t a) {
    const CoreState& c = engine().core;
    const int32_t k = layerMaskAbove(a);
    if (k <= 0 || !isLayerNumber(k)) return nullptr;
    const LayerSlot& m = c.layers[k];
    const LayerSlot& s = c.layers[a];
    if (!m.pixels || m.width != s.width || m.height != s.height || m.stride != s.stride) return nullptr;
    return m.pixels;
}

bool holdsPixels(int32_t n) { return isLayerNumber(n) && engine().core.layers[n].pixels != nullptr; }

}  // namespace

void mergeLayer(int32_t a, int32_t b) {
    if (!holdsPixels(a) || !holdsPixels(b)) return;
    CoreState& c = engine().core;
    const LayerSlot& src = c.layers[a];
    LayerSlot& dst = c.layers[b];
    const int32_t w = std::min({c.canvasWidth, src.width, dst.width});
    const int32_t h = std::min({c.canvasHeight, src.height, dst.height});
    if (w <= 0 || h <= 0) return;
    const uint16_t* mask = maskPictureFor(a);
    const uint8_t sameMode = src.blendMode == dst.blendMode && src.blendMode >= kFirstAlphaMode ? 1 : 0;
    blendKernel(src.pixels, 0, 0, w, h, src.stride, mask, dst.pixels, 0, 0, dst.stride, src.blendMode,
                mask ? kMaskModeApply : 0, src.opacity, 0, sameMode);
}

void mergeLayerIntoRect(int32_t a, uint16_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!buffer || !holdsPixels(a) || w <= 0 || h <= 0 || w > INT32_MAX / 4) return;
    const LayerSlot& src = engine().core.layers[a];
    // Clip to the layer in 64 bits so that x + w cannot overflow.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + w, src.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + h, src.height);
    if (left >= right || top >= bottom) return;
    const uint16_t* mask = maskPictureFor(a);
    blendKernel(src.pixels, static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
                static_cast<int32_t>(bottom - top), src.stride, mask, buffer, static_cast<int32_t>(left - x),
                static_cast<int32_t>(top - y), w * 4, src.blendMode, mask ? kMaskModeApply : 0, src.opacity, 0, 0);
}

bool mergePaintLayer(int32_t n) {
    CoreState& c = engine().core;
    LayerSlot& paint = c.paintLayer;
    if (!paint.pixels || !holdsPixels(n)) return false;
    LayerSlot& dst = c.layers[n];
    const int32_t left = std::max(paint.touchedLeft, 0);
    const int32_t top = std::max(paint.touchedTop, 0);
    const int32_t right = std::min({paint.touchedRight, paint.width, dst.width});
    const int32_t bottom = std::min({paint.touchedBottom, paint.height, dst.height});
    if (left < right && top < bottom)
        blendKernel(paint.pixels, left, top, right - left, bottom - top, paint.stride, nullptr, dst.pixels, left, top,
                    dst.stride, paint.blendMode, 0, paint.opacity, 0, 0);
    clearPaintLayer();
    return true;
}

}  // namespace mrv
