// Loaders (8-bit host pictures into RGBA64 layers, optionally weighted by the
// selection and the paper texture), fills, and the alpha and colour-key
// operations. Every loop is one integer pass over the rows, in place.
#include "core/pixel_transfer.h"

#include <algorithm>
#include <cstring>

#include "compositing/blend_kernel.h"
#include "compositing/merges.h"
#include "core/engine_state.h"
#include "core/memory.h"
#include "core/pixel_formats.h"
#include "core/pixel_weights.h"
#include "platform/imaging/imaging.h"

namespace mrv {

namespace {

// Rows at a host stride; ptrdiff_t keeps large and negative strides exact.
inline const uint8_t* hostRow(const uint8_t* base, int32_t stride, int64_t row) {
    return base + static_cast<ptrdiff_t>(row) * stride;
}
inline uint8_t* hostRow(uint8_t* base, int32_t stride, int64_t row) {
    return base + static_cast<ptrdiff_t>(row) * stride;
}
inline uint16_t* slotRow(const LayerSlot& s, int64_t row) {
    return s.pixels + static_cast<ptrdiff_t>(row) * s.stride;
}

bool holdsPixels(const LayerSlot* s) { return s && s->pixels && s->width > 0 && s->height > 0; }

LayerSlot* layerByNumber(int32_t n) {
    if (!isLayerNumber(n)) return nullptr;
    LayerSlot* s = &engine().core.layers[n];
    return holdsPixels(s) ? s : nullptr;
}

LayerSlot* currentSlot() {
    LayerSlot* s = engine().core.currentLayer;
    return holdsPixels(s) ? s : nullptr;
}

// The part of the canvas a layer holds.
int32_t canvasColumns(const LayerSlot& s) { return std::clamp(engine().core.canvasWidth, 0, s.width); }
int32_t canvasRows(const LayerSlot& s) { return std::clamp(engine().core.canvasHeight, 0, s.height); }

// What weights a write at canvas pixel (x, y): the mask (while enabled and
// allocated) and the TextureMap (when it exists).
struct WeightSources {
    const uint16_t* mask;
    const uint8_t* texture;
    int32_t width;  // canvas row length of both planes

    explicit WeightSources() {
        const EngineState& e = engine();
        mask = e.selection.maskEnabled ? e.selection.maskPlane : nullptr;
        texture = e.core.textureMap;
        width = e.core.canvasWidth;
    }
    // Whether the "weighted" paths apply at all: the flag tests maskEnabled
    // itself, not whether the plane happens to be allocated.
    static bool active(int32_t useSelection) {
        const EngineState& e = engine();
        return (useSelection & 0xFF) != 0 && (e.selection.maskEnabled || e.core.textureMap);
    }
    size_t index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * width + x; }

    // Colour loaders: (c + 1) texture factor, mask by its high byte.
    uint32_t loadWeight(int32_t x, int32_t y) const {
        uint32_t w = kFullWeight;
        const size_t i = index(x, y);
        if (texture) w = textureWeightLoad(texture[i]);
        if (mask) w = maskWeightHighByte(w, mask[i]);
        return w;
    }
    // Alpha loader: (c) texture factor, mask with all 16 bits.
    uint32_t alphaWeight(int32_t x, int32_t y) const {
        uint32_t w = kFullWeight;
        const size_t i = index(x, y);
        if (texture) w = textureWeightPlain(texture[i]);
        if (mask) w = maskWeight16(w, mask[i]);
        return w;
    }
};

// Widens the colour of count host pixels (bytesPerPixel 3 or 4) into RGBA64,
// leaving the destination's alpha as it is.
void widenColourRow(uint16_t* d, const uint8_t* s, int32_t count, int32_t bytesPerPixel) {
    for (int32_t i = 0; i < count; ++i) {
        d[i * 4 + 0] = widen8(s[i * bytesPerPixel + 0]);
        d[i * 4 + 1] = widen8(s[i * bytesPerPixel + 1]);
        d[i * 4 + 2] = widen8(s[i * bytesPerPixel + 2]);
    }
}

void loadRowUnweighted(uint16_t* d, const uint8_t* s, int32_t count, bool alphaLocked) {
    if (alphaLocked) {
        widenColourRow(d, s, count, 4);
        return;
    }
    // A transparent source pixel carries no colour worth keeping: it clears.
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t keep = s[i * 4 + 3] ? 0xFFFF : 0;
        for (int k = 0; k < 4; ++k) d[i * 4 + k] = static_cast<uint16_t>(widen8(s[i * 4 + k]) & keep);
    }
}

void loadPixelWeighted(uint16_t* d, const uint8_t* s, uint32_t w, bool alphaLocked) {
    if (w == 0) return;
    if (w == kFullWeight) {
        d[0] = widen8(s[0]);
        d[1] = widen8(s[1]);
        d[2] = widen8(s[2]);
        if (!alphaLocked) d[3] = widen8(s[3]);
        return;
    }
    if (d[3] == 0) {
        // Nothing to blend with: take the colour whole and only scale coverage.
        d[0] = widen8(s[0]);
        d[1] = widen8(s[1]);
        d[2] = widen8(s[2]);
        if (!alphaLocked) d[3] = static_cast<uint16_t>((static_cast<uint32_t>(widen8(s[3])) * w) >> 16);
        return;
    }
    if (s[3] == 0) {
        // A transparent source erases in proportion to the weight, keeping colour.
        if (!alphaLocked) d[3] = static_cast<uint16_t>((static_cast<uint32_t>(d[3]) * (kFullWeight - w)) >> 16);
        return;
    }
    d[0] = weightedWrite(s[0], d[0], w);
    d[1] = weightedWrite(s[1], d[1], w);
    d[2] = weightedWrite(s[2], d[2], w);
    if (!alphaLocked) d[3] = weightedWrite(s[3], d[3], w);
}

template <bool kMask, bool kTexture>
void loadRowWeightedFor(uint16_t* d, const uint8_t* s, int32_t count, const uint16_t* mask, const uint8_t* texture,
                        bool alphaLocked) {
    for (int32_t i = 0; i < count; ++i) {
        uint32_t w = kFullWeight;
        if constexpr (kTexture) w = textureWeightLoad(texture[i]);
        if constexpr (kMask) w = maskWeightHighByte(w, mask[i]);
        loadPixelWeighted(d + i * 4, s + i * 4, w, alphaLocked);
    }
}

// One row of a weighted load; the weight planes are already at the row's
// first pixel (null when absent). Split by which planes exist so that the
// inner loop carries no per-pixel tests for them.
void loadRowWeighted(uint16_t* d, const uint8_t* s, int32_t count, const uint16_t* mask, const uint8_t* texture,
                     bool alphaLocked) {
    if (mask && texture)
        loadRowWeightedFor<true, true>(d, s, count, mask, texture, alphaLocked);
    else if (mask)
        loadRowWeightedFor<true, false>(d, s, count, mask, texture, alphaLocked);
    else if (texture)
        loadRowWeightedFor<false, true>(d, s, count, mask, texture, alphaLocked);
    else
        loadRowWeightedFor<false, false>(d, s, count, mask, texture, alphaLocked);
}

}  // namespace

// ---- Loading --------------------------------------------------------------------

void loadRGBA32IntoSlot(LayerSlot& s, const uint8_t* data, int32_t stride, int32_t x, int32_t y, int32_t w,
                        int32_t h, int32_t useSelection) {
    if (!holdsPixels(&s) || !data || w <= 0 || h <= 0) return;
    const bool weighted = WeightSources::active(useSelection);
    // The mask and the texture cover the canvas only; a weighted load does not
    // reach layer pixels outside it, where no weight exists.
    const int64_t limitW = weighted ? canvasColumns(s) : s.width;
    const int64_t limitH = weighted ? canvasRows(s) : s.height;
    const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(int64_t{x} + w, limitW);
    const int64_t y0 = std::max<int64_t>(y, 0), y1 = std::min<int64_t>(int64_t{y} + h, limitH);
    if (x0 >= x1 || y0 >= y1) return;
    const int32_t count = static_cast<int32_t>(x1 - x0);
    const bool locked = s.alphaLocked != 0;
    const WeightSources ws;
    for (int64_t ty = y0; ty < y1; ++ty) {
        const uint8_t* src = hostRow(data, stride, ty - y) + (x0 - x) * 4;
        uint16_t* dst = slotRow(s, ty) + x0 * 4;
        if (!weighted) {
            loadRowUnweighted(dst, src, count, locked);
            continue;
        }
        const size_t at = ws.index(static_cast<int32_t>(x0), static_cast<int32_t>(ty));
        loadRowWeighted(dst, src, count, ws.mask ? ws.mask + at : nullptr, ws.texture ? ws.texture + at : nullptr,
                        locked);
    }
}

void loadRGBA32Layer(const uint8_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w, int32_t h,
                     int32_t useSelection) {
    LayerSlot* s = layerByNumber(n);
    if (s) loadRGBA32IntoSlot(*s, data, stride, x, y, w, h, useSelection);
}

void loadRGBA32(const uint8_t* data, int32_t stride, int32_t useSelection) {
    LayerSlot* s = currentSlot();
    if (s) loadRGBA32IntoSlot(*s, data, stride, 0, 0, s->width, s->height, useSelection);
}

int32_t loadRGBA32LayerCompressed(const uint8_t* blob, int32_t length, int32_t n, bool* refused) {
    *refused = false;
    LayerSlot* s = layerByNumber(n);
    if (!s) return 0;
    *refused = true;
    if (!blob || length <= 0) return 0;
    const size_t bytes = static_cast<size_t>(s->width) * s->height * 4;
    UniqueBuffer<uint8_t> buffer(allocArrayOrThrow<uint8_t>(bytes));
    size_t produced = 0;
    // Inflate into a temporary first: a bad blob must leave the layer as it was.
    if (!platform::inflateBuffer(blob, static_cast<size_t>(length), buffer.get(), bytes, &produced)) return 0;
    if (produced != bytes) return 0;
    *refused = false;
    loadRGBA32IntoSlot(*s, buffer.get(), s->width * 4, 0, 0, s->width, s->height, 0);
    return 1;
}

void loadRGBA32LayerBlended(uint8_t* data, int32_t n, int32_t w, int32_t h, int32_t adjust) {
    LayerSlot* s = layerByNumber(n);
    if (!s || !data) return;
    // The selection and the texture shape the incoming alpha (in the host's
    // buffer, as callers of this path expect), the selected part of the
    // current layer is cleared, and the picture is then laid over layer n.
    if (adjust & 0xFF) adjustRGBA32RectByMaskAndTexture(data, 0, 0, w, h);
    clearMasked(0, 0, 0, 0);
    constexpr int32_t kModeNormal = 0;
    constexpr int32_t kFullOpacity = 255;
    applyRGBA32ToLayer(data, *s, kModeNormal, 0, kFullOpacity, s->alphaLocked);
}

void loadRGB24(const uint8_t* data, int32_t stride, int32_t useSelection) {
    LayerSlot* s = currentSlot();
    if (!s || !data) return;
    const int32_t cols = canvasColumns(*s), rows = canvasRows(*s);
    const bool weighted = WeightSources::active(useSelection);
    const WeightSources ws;
    for (int32_t y = 0; y < rows; ++y) {
        const uint8_t* src = hostRow(data, stride, y);
        uint16_t* dst = slotRow(*s, y);
        if (!weighted) {
            widenColourRow(dst, src, cols, 3);
            continue;
        }
        for (int32_t x = 0; x < cols; ++x) {
            const uint32_t w = ws.loadWeight(x, y);
            if (w == 0) continue;
            for (int k = 0; k < 3; ++k) {
                uint16_t& d = dst[x * 4 + k];
                d = w == kFullWeight ? widen8(src[x * 3 + k]) : weightedWrite(src[x * 3 + k], d, w);
            }
        }
    }
}

void loadRGB24ToAlpha(const uint8_t* data, int32_t stride, int32_t useSelection) {
    LayerSlot* s = currentSlot();
    if (!s || !data) return;
    const int32_t cols = canvasColumns(*s), rows = canvasRows(*s);
    const bool weighted = WeightSources::active(useSelection);
    const WeightSources ws;
    for (int32_t y = 0; y < rows; ++y) {
        const uint8_t* src = hostRow(data, stride, y);
        uint16_t* dst = slotRow(*s, y);
        for (int32_t x = 0; x < cols; ++x) {
            uint16_t& a = dst[x * 4 + 3];
            // Fully transparent pixels stay so: alpha is reshaped, not created.
            if (a == 0) continue;
            const uint32_t w = weighted ? ws.alphaWeight(x, y) : kFullWeight;
            if (w == 0) continue;
            a = w == kFullWeight ? widen8(src[x * 3]) : weightedWrite(src[x * 3], a, w);
        }
    }
}

void loadBGR24(const uint8_t* data, int32_t stride, int32_t w, int32_t h) {
    LayerSlot* s = currentSlot();
    if (!s || !data || w <= 0 || h <= 0) return;
    const int32_t cols = std::min(w, canvasColumns(*s)), rows = std::min(h, canvasRows(*s));
    for (int32_t y = 0; y < rows; ++y) {
        const uint8_t* src = hostRow(data, stride, y);
        uint16_t* dst = slotRow(*s, y);
        for (int32_t x = 0; x < cols; ++x) {
            dst[x * 4 + 0] = widen8(src[x * 3 + 2]);
            dst[x * 4 + 1] = widen8(src[x * 3 + 1]);
            dst[x * 4 + 2] = widen8(src[x * 3 + 0]);
            dst[x * 4 + 3] = 65535;
        }
    }
}

int32_t setRGBA64Layer(const uint16_t* data, int32_t stride, int32_t n) {
    LayerSlot* s = layerByNumber(n);
    if (!s || !data) return 0;
    const int32_t cols = canvasColumns(*s), rows = canvasRows(*s);
    for (int32_t y = 0; y < rows; ++y) {
        const uint8_t* src = hostRow(reinterpret_cast<const uint8_t*>(data), stride, y);
        std::memcpy(slotRow(*s, y), src, static_cast<size_t>(cols) * 8);
    }
    return 1;
}

// A raw byte copy of the canvas; a layer of another size takes only what it holds.
void setLayerData(const uint16_t* data, int32_t n) {
    LayerSlot* s = layerByNumber(n);
    if (!s || !data) return;
    const CoreState& c = engine().core;
    const uint64_t canvasPixels = static_cast<uint64_t>(std::max(c.canvasWidth, 0)) * std::max(c.canvasHeight, 0);
    const uint64_t layerPixels = static_cast<uint64_t>(s->width) * s->height;
    std::memcpy(s->pixels, data, std::min(canvasPixels, layerPixels) * 8);
}

void copyLayerData(int32_t from, int32_t to) {
    LayerSlot* src = layerByNumber(from);
    LayerSlot* dst = layerByNumber(to);
    if (!src || !dst || src == dst) return;
    const int32_t cols = std::min(src->width, dst->width), rows = std::min(src->height, dst->height);
    for (int32_t y = 0; y < rows; ++y) std::memcpy(slotRow(*dst, y), slotRow(*src, y), static_cast<size_t>(cols) * 8);
}

// ---- Filling --------------------------------------------------------------------

namespace {
void fillSlot(LayerSlot& s, uint16_t r, uint16_t g, uint16_t b, uint16_t a) {
    const size_t count = static_cast<size_t>(s.width) * s.height;
    uint16_t* p = s.pixels;
    for (size_t i = 0; i < count; ++i) {
        p[i * 4 + 0] = r;
        p[i * 4 + 1] = g;
        p[i * 4 + 2] = b;
        p[i * 4 + 3] = a;
    }
}
}  // namespace

void clearLayer(int32_t r, int32_t g, int32_t b, int32_t a) {
    LayerSlot* s = currentSlot();
    if (s) fillSlot(*s, widen8(r), widen8(g), widen8(b), widen8(a));
}

void clearMasked(int32_t r, int32_t g, int32_t b, int32_t a) {
    LayerSlot* s = currentSlot();
    if (!s) return;
    const EngineState& e = engine();
    const uint16_t* mask = e.selection.maskEnabled ? e.selection.maskPlane : nullptr;
    if (!mask) {
        fillSlot(*s, widen8(r), widen8(g), widen8(b), widen8(a));
        return;
    }
    const uint8_t colour[3] = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
    const int32_t cols = canvasColumns(*s), rows = canvasRows(*s);
    for (int32_t y = 0; y < rows; ++y) {
        uint16_t* dst = slotRow(*s, y);
        const uint16_t* m = mask + static_cast<size_t>(y) * e.core.canvasWidth;
        for (int32_t x = 0; x < cols; ++x) {
            const uint32_t w = m[x];
            if (w == 0) continue;
            uint16_t* d = dst + x * 4;
            if (w == kFullWeight) {
                for (int k = 0; k < 3; ++k) d[k] = widen8(colour[k]);
                d[3] = widen8(a);
                continue;
            }
            // Partly selected pixels become opaque: the requested alpha is
            // deliberately not used there.
            for (int k = 0; k < 3; ++k) d[k] = weightedWrite(colour[k], d[k], w);
            d[3] = 65535;
        }
    }
}

int32_t clearMaskedAlpha(int32_t r, int32_t g, int32_t b, int32_t a) {
    LayerSlot* s = currentSlot();
    if (!s) return 0;
    const CoreState& c = engine().core;
    if (!engine().selection.maskEnabled) {
        clearLayer(r, g, b, a);
        return 1;
    }
    const size_t pixels = static_cast<size_t>(std::max(c.canvasWidth, 0)) * std::max(c.canvasHeight, 0);
    UniqueBuffer<uint8_t> buffer(allocArray<uint8_t>(pixels * 4));
    if (!buffer) return 0;
    clearRGBA32Buf(buffer.get(), c.canvasWidth, c.canvasHeight, r, g, b, a);
    loadRGBA32(buffer.get(), c.canvasWidth * 4, 1);
    return 1;
}

void clearRGBA64(uint16_t* buffer, int32_t stride, int32_t r, int32_t g, int32_t b, int32_t a) {
    if (!buffer) return;
    const CoreState& c = engine().core;
    for (int32_t y = 0; y < c.canvasHeight; ++y) {
        uint16_t* p = reinterpret_cast<uint16_t*>(hostRow(reinterpret_cast<uint8_t*>(buffer), stride, y));
        for (int32_t x = 0; x < c.canvasWidth; ++x) {
            p[x * 4 + 0] = static_cast<uint16_t>(r);
            p[x * 4 + 1] = static_cast<uint16_t>(g);
            p[x * 4 + 2] = static_cast<uint16_t>(b);
            p[x * 4 + 3] = static_cast<uint16_t>(a);
        }
    }
}

void clearRGBA32(uint8_t* buffer, int32_t stride, int32_t r, int32_t g, int32_t b, int32_t a) {
    if (!buffer) return;
    const CoreState& c = engine().core;
    for (int32_t y = 0; y < c.canvasHeight; ++y) {
        uint8_t* p = hostRow(buffer, stride, y);
        for (int32_t x = 0; x < c.canvasWidth; ++x) {
            p[x * 4 + 0] = static_cast<uint8_t>(r);
            p[x * 4 + 1] = static_cast<uint8_t>(g);
            p[x * 4 + 2] = static_cast<uint8_t>(b);
            p[x * 4 + 3] = static_cast<uint8_t>(a);
        }
    }
}

void clearRGBA32Buf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b, int32_t a) {
    if (!buffer || w <= 0 || h <= 0) return;
    const size_t count = static_cast<size_t>(w) * h;
    for (size_t i = 0; i < count; ++i) {
        buffer[i * 4 + 0] = static_cast<uint8_t>(r);
        buffer[i * 4 + 1] = static_cast<uint8_t>(g);
        buffer[i * 4 + 2] = static_cast<uint8_t>(b);
        buffer[i * 4 + 3] = static_cast<uint8_t>(a);
    }
}

// ---- Alpha and colour keys ----------------------------------------------------------

void invertAlpha(int32_t n) {
    LayerSlot* s = layerByNumber(n);
    if (!s) return;
    const size_t count = static_cast<size_t>(s->width) * s->height;
    for (size_t i = 0; i < count; ++i) s->pixels[i * 4 + 3] = static_cast<uint16_t>(65535 - s->pixels[i * 4 + 3]);
}

void invertAlphaRGBA32(uint8_t* buffer) {
    if (!buffer) return;
    const CoreState& c = engine().core;
    const size_t count = static_cast<size_t>(std::max(c.canvasWidth, 0)) * std::max(c.canvasHeight, 0);
    for (size_t i = 0; i < count; ++i) buffer[i * 4 + 3] = static_cast<uint8_t>(255 - buffer[i * 4 + 3]);
}

void setLayerAlpha(int32_t n, int32_t value) {
    LayerSlot* s = layerByNumber(n);
    if (!s) return;
    const size_t count = static_cast<size_t>(s->width) * s->height;
    for (size_t i = 0; i < count; ++i) s->pixels[i * 4 + 3] = static_cast<uint16_t>(value);
}

void normalizeLayerAlpha(int32_t n) {
    LayerSlot* s = layerByNumber(n);
    if (!s) return;
    const uint32_t opacity = s->opacity;
    const size_t count = static_cast<size_t>(s->width) * s->height;
    for (size_t i = 0; i < count; ++i) {
        uint16_t& a = s->pixels[i * 4 + 3];
        // Opacity percentages above 100 are stored unclamped (up to 65535):
        // saturate rather than let the alpha wrap around to near transparent.
        a = static_cast<uint16_t>(std::min<uint32_t>((opacity * a) >> 8, 65535));
    }
    s->opacity = 256;
}

void blurPaintLayerAlpha() {
    LayerSlot& p = engine().core.paintLayer;
    if (!holdsPixels(&p)) return;
    const size_t count = static_cast<size_t>(p.width) * p.height;
    UniqueBuffer<uint8_t> before(allocArrayOrThrow<uint8_t>(count));
    UniqueBuffer<uint8_t> blurred(allocArrayOrThrow<uint8_t>(count));
    // The paint layer's rows are packed (stride = width * 4 channels).
    for (int32_t y = 0; y < p.height; ++y) {
        const uint16_t* row = slotRow(p, y);
        uint8_t* b = before.get() + static_cast<size_t>(y) * p.width;
        for (int32_t x = 0; x < p.width; ++x) b[x] = narrow16(row[x * 4 + 3]);
    }
    if (!platform::blurPlane(before.get(), blurred.get(), p.width, p.height, p.width, 100)) return;
    // Near-opaque coverage stays solid so that a stroke's core is not thinned.
    constexpr uint8_t kSolidFrom = 240;
    for (int32_t y = 0; y < p.height; ++y) {
        uint16_t* row = slotRow(p, y);
        const uint8_t* b = before.get() + static_cast<size_t>(y) * p.width;
        const uint8_t* f = blurred.get() + static_cast<size_t>(y) * p.width;
        for (int32_t x = 0; x < p.width; ++x) row[x * 4 + 3] = b[x] >= kSolidFrom ? 65535 : widen8(f[x]);
    }
}

void setColorAlpha(int32_t r, int32_t g, int32_t b) {
    LayerSlot* s = currentSlot();
    if (!s) return;
    // Transparent pixels get their colour widened by 257 (255 -> 65535): the
    // key colour is meant exactly, not as an 8-bit sample.
    const uint16_t r16 = static_cast<uint16_t>((r & 0xFF) * 257);
    const uint16_t g16 = static_cast<uint16_t>((g & 0xFF) * 257);
    const uint16_t b16 = static_cast<uint16_t>((b & 0xFF) * 257);
    const size_t count = static_cast<size_t>(s->width) * s->height;
    for (size_t i = 0; i < count; ++i) {
        uint16_t* d = s->pixels + i * 4;
        if (d[3] >= 256) continue;
        d[0] = r16;
        d[1] = g16;
        d[2] = b16;
        d[3] = 0;
    }
}

void setColorAlphaRGBABuf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b) {
    if (!buffer || w <= 0 || h <= 0) return;
    const size_t count = static_cast<size_t>(w) * h;
    for (size_t i = 0; i < count; ++i) {
        uint8_t* d = buffer + i * 4;
        if (d[3] != 0) continue;
        d[0] = static_cast<uint8_t>(r);
        d[1] = static_cast<uint8_t>(g);
        d[2] = static_cast<uint8_t>(b);
    }
}

void setColorRGBABuf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b) {
    if (!buffer || w <= 0 || h <= 0) return;
    const size_t count = static_cast<size_t>(w) * h;
    for (size_t i = 0; i < count; ++i) {
        buffer[i * 4 + 0] = static_cast<uint8_t>(r);
        buffer[i * 4 + 1] = static_cast<uint8_t>(g);
        buffer[i * 4 + 2] = static_cast<uint8_t>(b);
    }
}

void setAlphaFromRGBAImageColor(uint8_t* buffer, int32_t r, int32_t g, int32_t b) {
    if (!buffer) return;
    const CoreState& c = engine().core;
    const size_t count = static_cast<size_t>(std::max(c.canvasWidth, 0)) * std::max(c.canvasHeight, 0);
    const uint8_t r8 = static_cast<uint8_t>(r), g8 = static_cast<uint8_t>(g), b8 = static_cast<uint8_t>(b);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* d = buffer + i * 4;
        if (d[0] == r8 && d[1] == g8 && d[2] == b8) d[3] = 0;
    }
}

}  // namespace mrv
