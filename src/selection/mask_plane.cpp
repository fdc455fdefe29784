// The MaskPlane's flags and overlay options, the whole-plane operations, the
// exchange with the current layer and the application of the mask to the
// alpha of caller images. Each operation is one pass in row order.
#include "selection/mask_plane.h"

#include <algorithm>
#include <cstddef>

#include "core/engine_state.h"

namespace mrv {

namespace {

constexpr uint32_t kGreyCap = 0xFF00;  // a layer grey never goes above 8-bit white

// The current layer's pixels over the part it shares with the canvas. A layer
// can differ from the canvas size while the host is between a resize and
// recreating its layers; only the overlap is walked then.
struct LayerOverlap {
    uint16_t* pixels;
    ptrdiff_t stride;  // in 16-bit units
    int32_t width;
    int32_t height;
};

bool currentLayerOverlap(const MaskCanvas& mc, LayerOverlap& out) {
    const LayerSlot* layer = engine().core.currentLayer;
    if (!layer || !layer->pixels || layer->width <= 0 || layer->height <= 0) return false;
    out.pixels = layer->pixels;
    out.stride = layer->stride;
    out.width = std::min(layer->width, mc.width);
    out.height = std::min(layer->height, mc.height);
    return out.width > 0 && out.height > 0;
}

inline size_t pixelCount(const MaskCanvas& mc) { return static_cast<size_t>(mc.width) * static_cast<size_t>(mc.height); }

}  // namespace

bool maskCanvas(MaskCanvas& out) {
    const EngineState& e = engine();
    out.plane = e.selection.maskPlane;
    out.width = e.core.canvasWidth;
    out.height = e.core.canvasHeight;
    return out.plane && out.width > 0 && out.height > 0;
}

void enableMask(int32_t on) { engine().selection.maskEnabled = static_cast<uint8_t>(on); }

void displayMask(int32_t on) { engine().selection.maskDisplayed = static_cast<uint8_t>(on); }

void setMaskOptions(int32_t redA, int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB, int32_t blueB,
                    int32_t fullStrength) {
    MaskOverlayOptions& o = engine().selection.maskOverlay;
    auto widen = [](int32_t c) { return static_cast<uint16_t>(static_cast<uint32_t>(c) << 8); };
    o.colourA[0] = widen(redA);
    o.colourA[1] = widen(greenA);
    o.colourA[2] = widen(blueA);
    o.colourB[0] = widen(redB);
    o.colourB[1] = widen(greenB);
    o.colourB[2] = widen(blueB);
    o.fullStrength = fullStrength;
}

void invertMask() {
    MaskCanvas mc;
    if (!maskCanvas(mc)) return;
    const size_t n = pixelCount(mc);
    for (size_t i = 0; i < n; ++i) mc.plane[i] = static_cast<uint16_t>(kMaskOpen - mc.plane[i]);
}

void clearMask(int32_t red, int32_t green, int32_t blue) {
    MaskCanvas mc;
    if (!maskCanvas(mc)) return;
    const int64_t grey = (static_cast<int64_t>(red) + green + blue) / 3;
    std::fill_n(mc.plane, pixelCount(mc), greyToMask(grey));
}

void saveMask(uint8_t* dst, int32_t dstStride) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !dst) return;
    for (int32_t y = 0; y < mc.height; ++y) {
        const uint16_t* m = mc.plane + static_cast<size_t>(y) * mc.width;
        uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstStride;
        for (int32_t x = 0; x < mc.width; ++x, d += 3) {
            const uint8_t protection = static_cast<uint8_t>(255 - (m[x] >> 8));
            d[0] = d[1] = d[2] = protection;
        }
    }
}

void loadMask(const uint8_t* src, int32_t srcStride, int32_t width, int32_t height) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !src) return;
    // An image larger than the canvas would write past the plane: only the
    // part that covers the canvas is read.
    const int32_t w = std::min(width, mc.width);
    const int32_t h = std::min(height, mc.height);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcStride;
        uint16_t* m = mc.plane + static_cast<size_t>(y) * mc.width;
        for (int32_t x = 0; x < w; ++x, s += 3) {
            const uint32_t grey = ((static_cast<uint32_t>(s[0]) + s[1] + s[2]) / 3) * 256;
            m[x] = greyToMask(grey);
        }
    }
}

int32_t maskProtectionAt(int32_t x, int32_t y) {
    MaskCanvas mc;
    const EngineState& e = engine();
    if (!maskCanvas(mc) || !e.core.currentLayer || !e.selection.maskEnabled) return 0;
    if (x < 0 || y < 0 || x >= mc.width || y >= mc.height) return 0;
    return kMaskOpen - mc.plane[static_cast<size_t>(y) * mc.width + x];
}

void createImageFromMask() {
    MaskCanvas mc;
    LayerOverlap lo;
    if (!maskCanvas(mc) || !currentLayerOverlap(mc, lo)) return;
    for (int32_t y = 0; y < lo.height; ++y) {
        const uint16_t* m = mc.plane + static_cast<size_t>(y) * mc.width;
        uint16_t* p = lo.pixels + y * lo.stride;
        for (int32_t x = 0; x < lo.width; ++x, p += 4) {
            const uint16_t grey = static_cast<uint16_t>(std::min<uint32_t>(kMaskOpen - m[x], kGreyCap));
            p[0] = p[1] = p[2] = grey;
            p[3] = 0xFFFF;
        }
    }
}

void createMaskFromImage() {
    MaskCanvas mc;
    LayerOverlap lo;
    if (!maskCanvas(mc) || !currentLayerOverlap(mc, lo)) return;
    for (int32_t y = 0; y < lo.height; ++y) {
        uint16_t* m = mc.plane + static_cast<size_t>(y) * mc.width;
        const uint16_t* p = lo.pixels + y * lo.stride;
        for (int32_t x = 0; x < lo.width; ++x, p += 4) {
            const uint32_t grey = (static_cast<uint32_t>(p[0]) + p[1] + p[2]) / 3;
            m[x] = greyToMask(grey);
        }
    }
}

void createAlphaFromMask() {
    MaskCanvas mc;
    LayerOverlap lo;
    if (!maskCanvas(mc) || !currentLayerOverlap(mc, lo)) return;
    for (int32_t y = 0; y < lo.height; ++y) {
        const uint16_t* m = mc.plane + static_cast<size_t>(y) * mc.width;
        uint16_t* p = lo.pixels + y * lo.stride;
        for (int32_t x = 0; x < lo.width; ++x) p[x * 4 + 3] = m[x];
    }
}

void createMaskFromAlpha() {
    MaskCanvas mc;
    LayerOverlap lo;
    if (!maskCanvas(mc) || !currentLayerOverlap(mc, lo)) return;
    for (int32_t y = 0; y < lo.height; ++y) {
        uint16_t* m = mc.plane + static_cast<size_t>(y) * mc.width;
        const uint16_t* p = lo.pixels + y * lo.stride;
        for (int32_t x = 0; x < lo.width; ++x) m[x] = p[x * 4 + 3];
    }
}

void applyMaskToAlphaRectRGBA32(uint8_t* image, int32_t stride, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !image || x0 > x1 || y0 > y1) return;
    // The image still corresponds to canvas (x0, y0); only the canvas pixels
    // of the rectangle are visited so that the plane is never read outside.
    const int32_t left = std::max(x0, 0);
    const int32_t top = std::max(y0, 0);
    const int32_t right = std::min(x1, mc.width - 1);
    const int32_t bottom = std::min(y1, mc.height - 1);
    if (left > right || top > bottom) return;
    for (int32_t y = top; y <= bottom; ++y) {
        const uint16_t* m = mc.plane + static_cast<size_t>(y) * mc.width;
        uint8_t* row = image + (static_cast<ptrdiff_t>(y) - y0) * stride;
        for (int32_t x = left; x <= right; ++x) {
            uint8_t& alpha = row[(static_cast<ptrdiff_t>(x) - x0) * 4 + 3];
            alpha = static_cast<uint8_t>(scaleByMaskWeight(alpha, m[x] >> 8));
        }
    }
}

void applyMaskToAlphaRGBA32(uint8_t* image) {
    MaskCanvas mc;
    if (!maskCanvas(mc)) return;
    applyMaskToAlphaRectRGBA32(image, mc.width * 4, 0, 0, mc.width - 1, mc.height - 1);
}

}  // namespace mrv
