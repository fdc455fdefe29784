// Small helpers shared by the compositing tests: a tiny canvas, direct
// access to layer pixels, and one-pixel kernel runs.
#pragma once

#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <array>
#include <cstdint>
#include <vector>

#include "compositing/blend_kernel.h"
#include "core/engine_state.h"

namespace mrvtest {

using Px = std::array<uint16_t, 4>;

inline uint16_t* pixelAt(int32_t layer, int32_t x, int32_t y) {
    mrv::LayerSlot& s = mrv::engine().core.layers[layer];
    return s.pixels + static_cast<size_t>(y) * s.stride + static_cast<size_t>(x) * 4;
}

inline void setPixel(int32_t layer, int32_t x, int32_t y, Px p) {
    uint16_t* d = pixelAt(layer, x, y);
    for (int i = 0; i < 4; ++i) d[i] = p[i];
}

inline Px getPixel(int32_t layer, int32_t x, int32_t y) {
    const uint16_t* d = pixelAt(layer, x, y);
    return {d[0], d[1], d[2], d[3]};
}

inline void fillLayer(int32_t layer, Px p) {
    const mrv::LayerSlot& s = mrv::engine().core.layers[layer];
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x) setPixel(layer, x, y, p);
}

// Canvas w x h with layer 1 (opaque white, visible) current.
inline void makeCanvas(int32_t w, int32_t h) {
    MRV_CreateImage(nullptr, w, h, 16, 0);
    ASSERT_EQ(MRV_CreateLayer(1, w, h), 1);
    MRV_SetLayerOptions(1, 1, 0, 100, "Normal");
    MRV_SetLayer(1);
}

inline void addLayer(int32_t n, const char* mode, int32_t percent = 100, int32_t visible = 1) {
    const mrv::CoreState& c = mrv::engine().core;
    ASSERT_EQ(MRV_CreateLayer(n, c.canvasWidth, c.canvasHeight), 1);
    MRV_SetLayerOptions(n, visible, 0, percent, mode);
}

// One source pixel composited onto one destination pixel by the kernel.
inline Px blendOne(Px src, Px dst, int32_t mode, int32_t opacity = 256, uint8_t sameMode = 0,
                   uint8_t keepDstAlpha = 0, const Px* mask = nullptr) {
    mrv::blendKernel(src.data(), 0, 0, 1, 1, 4, mask ? mask->data() : nullptr, dst.data(), 0, 0, 4, mode,
                     mask ? mrv::kMaskModeApply : 0, opacity, keepDstAlpha, sameMode);
    return dst;
}

}  // namespace mrvtest
