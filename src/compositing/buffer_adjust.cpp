// Alpha and colour adjustments of host buffers on their way to or from the
// blend kernel: the selection/paper-texture weighting of an effect result's
// alpha, and premultiplication around image operations that must see
// premultiplied colour. Each loop is a plain per-pixel pass the compiler
// unrolls and vectorises; the rounding of each formula is deliberate and
// stored pictures depend on it.
#include <algorithm>
#include <cstddef>

#include "compositing/merges.h"
#include "core/engine_state.h"
#include "core/pixel_weights.h"

namespace mrv {

namespace {

constexpr uint32_t kFullWeight = 65535;

}  // namespace

bool adjustRGBA32RectByMaskAndTexture(uint8_t* data, int32_t x, int32_t y, int32_t w, int32_t h) {
    const EngineState& e = engine();
    const CoreState& c = e.core;
    const uint16_t* mask = e.selection.maskEnabled ? e.selection.maskPlane : nullptr;
    const uint8_t* texture = c.textureMap;
    if (!mask && !texture) return false;
    if (!data || w <= 0 || h <= 0) return true;
    // Pixels of the buffer that fall outside the canvas are left alone.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + w, c.canvasWidth);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + h, c.canvasHeight);
    for (int64_t cy = top; cy < bottom; ++cy) {
        uint8_t* row = data + ((cy - y) * static_cast<int64_t>(w) + (left - x)) * 4;
        const size_t plane = static_cast<size_t>(cy) * static_cast<size_t>(c.canvasWidth);
        for (int64_t cx = left; cx < right; ++cx, row += 4) {
            // The adjustment uses the plain texture factor and all 16 bits of the mask.
            uint32_t weight = texture ? textureWeightPlain(texture[plane + cx]) : kFullWeight;
            if (mask) weight = maskWeight16(weight, mask[plane + cx]);
            row[3] = static_cast<uint8_t>(static_cast<double>(weight) / 65535.0 * row[3]);
        }
    }
    return true;
}

void adjustRGBA32PreFilter(uint8_t* data, int64_t pixelCount) {
    if (!data) return;
    for (int64_t i = 0; i < pixelCount; ++i) {
        uint8_t* p = data + i * 4;
        const uint8_t a = p[3];
        if (a == 0 || a == 255) continue;
        const double k = a / 255.0;
        for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint8_t>(k * (p[ch] + 1));
    }
}

void adjustRGBA32PostFilter(uint8_t* data, int64_t pixelCount) {
    if (!data) return;
    for (int64_t i = 0; i < pixelCount; ++i) {
        uint8_t* p = data + i * 4;
        const uint32_t a = p[3];
        if (a == 0 || a == 255) continue;
        for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint8_t>(std::min<uint32_t>(255, p[ch] * 255u / a));
    }
}

void adjustRGBA32ForAlphaComp(uint8_t* data, int64_t pixelCount) {
    if (!data) return;
    for (int64_t i = 0; i < pixelCount; ++i) {
        uint8_t* p = data + i * 4;
        const uint32_t a = p[3];
        if (a == 0) continue;
        for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint8_t>(std::min<uint32_t>(255, p[ch] * 255u / a));
    }
}

void adjustRGBA64PreFilter(uint16_t* data, int64_t pixelCount) {
    if (!data) return;
    for (int64_t i = 0; i < pixelCount; ++i) {
        uint16_t* p = data + i * 4;
        const uint32_t a = p[3];
        if (a == 0) continue;
        for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint16_t>(p[ch] * a / 65535u);
    }
}

void adjustRGBA64PostFilter(uint16_t* data, int64_t pixelCount) {
    if (!data) return;
    for (int64_t i = 0; i < pixelCount; ++i) {
        uint16_t* p = data + i * 4;
        const uint32_t a = p[3];
        if (a == 0) continue;
        for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint16_t>(std::min<uint32_t>(65535, p[ch] * 65535u / a));
    }
}

}  // namespace mrv
