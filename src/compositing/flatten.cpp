// Flatten: the visible layers of a rectangle composited into a host buffer
// with the merge rules. Unlike the view it leaves out the stroke in progress,
// the tracing layer, the checkerboard and the overlay, and it keeps the
// background's own alpha (the background is copied, not blended).
#include <algorithm>
#include <climits>
#include <cstring>

#include "compositing/merges.h"
#include "core/engine_state.h"
#include "core/memory.h"

namespace mrv {

namespace {

constexpr int32_t kBackgroundLayer = 1;

// Copies the part of layer 1's rectangle that lies inside the layer, verbatim.
void copyBackground(uint16_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h) {
    const LayerSlot& bg = engine().core.layers[kBackgroundLayer];
    if (!bg.pixels) return;
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + w, bg.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + h, bg.height);
    if (left >= right || top >= bottom) return;
    for (int64_t row = top; row < bottom; ++row) {
        const uint16_t* in = bg.pixels + row * bg.stride + left * 4;
        uint16_t* out = buffer + ((row - y) * w + (left - x)) * 4;
        std::memcpy(out, in, static_cast<size_t>(right - left) * 8);
    }
}

}  // namespace

void mergeRect(uint16_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!buffer || w <= 0 || h <= 0 || w > INT32_MAX / 4) return;
    std::memset(buffer, 0, static_cast<size_t>(w) * static_cast<size_t>(h) * 8);
    const CoreState& c = engine().core;
    // Only an exact 1 shows the background here; other non-zero flags hide it
    // from the flatten while they still count as visible for the other layers.
    if (c.layers[kBackgroundLayer].visible == 1) copyBackground(buffer, x, y, w, h);
    for (int32_t n = 2; n < kLayerCount; ++n) {
        const LayerSlot& s = c.layers[n];
        if (s.pixels && s.visible) mergeLayerIntoRect(n, buffer, x, y, w, h);
    }
}

uint32_t colorAtMerged(int32_t x, int32_t y) {
    const CoreState& c = engine().core;
    if (x < 0 || y < 0 || x >= c.canvasWidth || y >= c.canvasHeight) return 0xFFFFFF;
    UniqueBuffer<uint16_t> pixel(allocArray<uint16_t>(4));
    if (!pixel) return 0;
    mergeRect(pixel.get(), x, y, 1, 1);
    const uint16_t* p = pixel.get();
    return (uint32_t{static_cast<uint8_t>(p[3] >> 8)} << 24) | (uint32_t{static_cast<uint8_t>(p[0] >> 8)} << 16) |
           (uint32_t{static_cast<uint8_t>(p[1] >> 8)} << 8) | static_cast<uint8_t>(p[2] >> 8);
}

}  // namespace mrv
