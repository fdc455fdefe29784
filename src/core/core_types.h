// Plain records shared by every subsystem: the layer slot (also the layout of
// the PaintLayer and the BlendBuffer) and the random byte array record.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrv {

constexpr int kLayerCount = 64;
constexpr int kMaxCanvasSide = 10000;
constexpr int kModeNameSize = 50;  // 49 characters and the terminator

// One canvas-sized RGBA64 picture with its display options. Channels are
// red, green, blue, alpha, 16 bits each, straight (not premultiplied) alpha.
struct LayerSlot {
    uint16_t* pixels;  // width * height pixels, row-major, top row first; null = empty
    int32_t width;
    int32_t height;
    int32_t stride;  // row length in 16-bit units (width * 4)
    uint8_t visible;
    uint8_t alphaLocked;
    uint16_t opacity;  // 0..256, 256 = opaque
    char modeName[kModeNameSize];
    int32_t blendMode;
    // Rectangle touched since the last clear; used by the PaintLayer only.
    // Empty is (canvasWidth, canvasHeight, 0, 0).
    int32_t touchedLeft;
    int32_t touchedTop;
    int32_t touchedRight;
    int32_t touchedBottom;
};

// Pseudo-random bytes cut from the engine's generator, remembered with the
// seed, modulus and length they were made with so an unchanged array is kept.
struct RandArrayByte {
    uint8_t* data;
    int32_t modulus;
    int32_t seed;
    int32_t length;
};

}  // namespace mrv
