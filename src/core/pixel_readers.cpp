// Reading layers back at 8 and 16 bits, host-buffer conversions, the
// compressed whole-layer blob, data extents and the single-pixel getters.
#include <algorithm>
#include <cstring>

#include "core/engine_state.h"
#include "core/memory.h"
#include "core/pixel_formats.h"
#include "core/pixel_transfer.h"
#include "platform/imaging/imaging.h"

namespace mrv {

namespace {

inline uint8_t* hostRow(uint8_t* base, int32_t stride, int64_t row) {
    return base + static_cast<ptrdiff_t>(row) * stride;
}
inline const uint8_t* hostRow(const uint8_t* base, int32_t stride, int64_t row) {
    return base + static_cast<ptrdiff_t>(row) * stride;
}
inline const uint16_t* slotRow(const LayerSlot& s, int64_t row) {
    return s.pixels + static_cast<ptrdiff_t>(row) * s.stride;
}

bool holdsPixels(const LayerSlot* s) { return s && s->pixels && s->width > 0 && s->height > 0; }

const LayerSlot* layerByNumber(int32_t n) {
    if (!isLayerNumber(n)) return nullptr;
    const LayerSlot* s = &engine().core.layers[n];
    return holdsPixels(s) ? s : nullptr;
}

int32_t canvasColumns(const LayerSlot& s) { return std::clamp(engine().core.canvasWidth, 0, s.width); }
int32_t canvasRows(const LayerSlot& s) { return std::clamp(engine().core.canvasHeight, 0, s.height); }

}  // namespace

void RGBA32ToRGBA64Block(const uint8_t* src, uint16_t* dst, int32_t w, int32_t h) {
    if (!src || !dst || w <= 0 || h <= 0) return;
    rowRGBA32ToRGBA64(src, dst, static_cast<size_t>(w) * h);
}

void RGBA64ToRGBA32Block(const uint16_t* src, uint8_t* dst, int32_t w, int32_t h) {
    if (!src || !dst || w <= 0 || h <= 0) return;
    rowRGBA64ToRGBA32(src, dst, static_cast<size_t>(w) * h);
}

// ---- Reading --------------------------------------------------------------------

int32_t getRGBA32FromSlot(const LayerSlot* s, uint8_t* data, int32_t stride) {
    if (!holdsPixels(s) || !data) return 0;
    const int32_t cols = canvasColumns(*s), rows = canvasRows(*s);
    for (int32_t y = 0; y < rows; ++y) rowRGBA64ToRGBA32(slotRow(*s, y), hostRow(data, stride, y), cols);
    return 1;
}

void getRGB24FromSlot(const LayerSlot* s, uint8_t* data, int32_t stride) {
    if (!holdsPixels(s) || !data) return;
    const int32_t cols = canvasColumns(*s), rows = canvasRows(*s);
    for (int32_t y = 0; y < rows; ++y) rowRGBA64ToRGB24(slotRow(*s, y), hostRow(data, stride, y), cols);
}

void getRGB24FromAlpha(uint8_t* data, int32_t stride) {
    const LayerSlot* s = engine().core.currentLayer;
    if (!holdsPixels(s) || !data) return;
    const int32_t cols = canvasColumns(*s), rows = canvasRows(*s);
    for (int32_t y = 0; y < rows; ++y) {
        const uint16_t* src = slotRow(*s, y);
        uint8_t* dst = hostRow(data, stride, y);
        for (int32_t x = 0; x < cols; ++x) dst[x * 3 + 0] = dst[x * 3 + 1] = dst[x * 3 + 2] = narrow16(src[x * 4 + 3]);
    }
}

void getRGBA64Layer(uint16_t* data, int32_t stride, int32_t n) {
    const LayerSlot* s = layerByNumber(n);
    if (!s || !data) return;
    const int32_t cols = canvasColumns(*s), rows = canvasRows(*s);
    for (int32_t y = 0; y < rows; ++y)
        std::memcpy(hostRow(reinterpret_cast<uint8_t*>(data), stride, y), slotRow(*s, y), static_cast<size_t>(cols) * 8);
}

// The rectangle is clipped to what the layer holds of the canvas; layer pixel
// (x + i, y + j) always lands at host pixel (i, j), and host pixels whose
// source lies outside stay untouched.
void getRGBA64LayerRect(uint16_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w, int32_t h) {
    const LayerSlot* s = layerByNumber(n);
    if (!s || !data || w <= 0 || h <= 0) return;
    const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(int64_t{x} + w, canvasColumns(*s));
    const int64_t y0 = std::max<int64_t>(y, 0), y1 = std::min<int64_t>(int64_t{y} + h, canvasRows(*s));
    if (x0 >= x1 || y0 >= y1) return;
    for (int64_t ty = y0; ty < y1; ++ty) {
        uint8_t* dst = hostRow(reinterpret_cast<uint8_t*>(data), stride, ty - y) + (x0 - x) * 8;
        std::memcpy(dst, slotRow(*s, ty) + x0 * 4, static_cast<size_t>(x1 - x0) * 8);
    }
}

void getLayerData(uint16_t* data, int32_t n) {
    const LayerSlot* s = layerByNumber(n);
    if (!s || !data) return;
    const CoreState& c = engine().core;
    const uint64_t canvasPixels = static_cast<uint64_t>(std::max(c.canvasWidth, 0)) * std::max(c.canvasHeight, 0);
    const uint64_t layerPixels = static_cast<uint64_t>(s->width) * s->height;
    std::memcpy(data, s->pixels, std::min(canvasPixels, layerPixels) * 8);
}

int32_t getRGBA32LayerCompressed(uint8_t* output, int32_t capacity, int32_t n, int32_t level) {
    const LayerSlot* s = layerByNumber(n);
    if (!s || !output || capacity <= 0) return 0;
    const CoreState& c = engine().core;
    const size_t bytes = static_cast<size_t>(std::max(c.canvasWidth, 0)) * std::max(c.canvasHeight, 0) * 4;
    if (bytes == 0) return 0;
    // Zeroed so that a layer smaller than the canvas still yields a defined blob.
    UniqueBuffer<uint8_t> buffer(allocZeroedArrayOrThrow<uint8_t>(bytes));
    getRGBA32FromSlot(s, buffer.get(), c.canvasWidth * 4);
    const int zlibLevel = (level >= -1 && level <= 9) ? level : -1;
    size_t produced = 0;
    if (!platform::deflateBuffer(buffer.get(), bytes, output, static_cast<size_t>(capacity), &produced, zlibLevel))
        return 0;
    return static_cast<int32_t>(produced);
}

void findDataExtentsLayer(int32_t n, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
    const LayerSlot* s = layerByNumber(n);
    if (!s) return;
    const CoreState& c = engine().core;
    int32_t l = c.canvasWidth, t = c.canvasHeight, r = 0, b = 0;
    bool found = false;
    for (int32_t y = 0; y < s->height; ++y) {
        const uint16_t* row = slotRow(*s, y);
        int32_t first = -1, last = -1;
        for (int32_t x = 0; x < s->width; ++x) {
            if (row[x * 4 + 3] != 0) {
                first = x;
                break;
            }
        }
        if (first < 0) continue;
        for (int32_t x = s->width - 1; x >= first; --x) {
            if (row[x * 4 + 3] != 0) {
                last = x;
                break;
            }
        }
        if (!found) {
            l = first;
            r = last;
            t = y;
            found = true;
        } else {
            l = std::min(l, first);
            r = std::max(r, last);
        }
        b = y;
    }
    if (left) *left = l;
    if (top) *top = t;
    if (right) *right = r;
    if (bottom) *bottom = b;
}

// ---- Host-buffer conversions --------------------------------------------------------

void convertRGBA64ToRGBA32(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride, int32_t w,
                           int32_t h) {
    if (!dst || !src || w <= 0 || h <= 0) return;
    const uint8_t* s8 = reinterpret_cast<const uint8_t*>(src);
    for (int32_t y = 0; y < h; ++y)
        rowRGBA64ToRGBA32(reinterpret_cast<const uint16_t*>(hostRow(s8, srcStride, y)), hostRow(dst, dstStride, y), w);
}

void convertRGBA64ToRGB24(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride, int32_t w,
                          int32_t h) {
    if (!dst || !src || w <= 0 || h <= 0) return;
    const uint8_t* s8 = reinterpret_cast<const uint8_t*>(src);
    for (int32_t y = 0; y < h; ++y)
        rowRGBA64ToRGB24(reinterpret_cast<const uint16_t*>(hostRow(s8, srcStride, y)), hostRow(dst, dstStride, y), w);
}

// The source's height is unknown here; a rectangle that starts before the
// buffer or wraps past the end of its rows cannot be meant and is refused.
void rgba64RectToPacked(const uint16_t* src, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcStridePixels,
                        uint8_t* dst, int32_t bytesPerPixel) {
    if (!src || !dst || w <= 0 || h <= 0 || x < 0 || y < 0) return;
    if (int64_t{x} + w > srcStridePixels) return;
    for (int32_t j = 0; j < h; ++j) {
        const uint16_t* s = src + (static_cast<size_t>(y) + j) * static_cast<size_t>(srcStridePixels) * 4 +
                            static_cast<size_t>(x) * 4;
        uint8_t* d = dst + static_cast<size_t>(j) * w * bytesPerPixel;
        if (bytesPerPixel == 4)
            rowRGBA64ToRGBA32(s, d, w);
        else
            rowRGBA64ToRGB24(s, d, w);
    }
}

void setPixelRGB24(uint8_t* buffer, int32_t stride, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
    const CoreState& c = engine().core;
    if (!buffer || x < 0 || y < 0 || x >= c.canvasWidth || y >= c.canvasHeight) return;
    uint8_t* p = hostRow(buffer, stride, y) + static_cast<size_t>(x) * 3;
    p[0] = narrow16(static_cast<uint32_t>(r));
    p[1] = narrow16(static_cast<uint32_t>(g));
    p[2] = narrow16(static_cast<uint32_t>(b));
}

// ---- Single pixels ----------------------------------------------------------------

PixelSource canvasBufferSource(const uint16_t* buffer) {
    const CoreState& c = engine().core;
    if (!buffer || c.canvasWidth <= 0 || c.canvasHeight <= 0) return PixelSource{};
    return PixelSource{buffer, c.canvasWidth, c.canvasHeight, c.canvasStride};
}

PixelSource slotSource(const LayerSlot* s) {
    if (!holdsPixels(s)) return PixelSource{};
    const int32_t cols = canvasColumns(*s), rows = canvasRows(*s);
    if (cols <= 0 || rows <= 0) return PixelSource{};
    return PixelSource{s->pixels, cols, rows, s->stride};
}

PixelSource undoBackSource() { return canvasBufferSource(engine().undo.undoBackBuffer); }

uint32_t rgbaAt(const PixelSource& src, int32_t x, int32_t y) {
    if (!src.pixels) return 0;
    x = std::clamp(x, 0, src.width - 1);
    y = std::clamp(y, 0, src.height - 1);
    return packRGBA(src.pixels + static_cast<size_t>(y) * src.stride + static_cast<size_t>(x) * 4);
}

uint32_t colorAt(const PixelSource& src, int32_t x, int32_t y) {
    if (!src.pixels) return 0;
    // Outside the picture reads as white with no coverage.
    constexpr uint32_t kOutside = 0xFFFFFF;
    if (x < 0 || y < 0 || x >= src.width || y >= src.height) return kOutside;
    return packARGB(src.pixels + static_cast<size_t>(y) * src.stride + static_cast<size_t>(x) * 4);
}

int32_t currentChannelAt(int32_t x, int32_t y, int32_t channel) {
    const PixelSource src = slotSource(engine().core.currentLayer);
    if (!src.pixels || x < 0 || y < 0 || x >= src.width || y >= src.height) return 0;
    return src.pixels[static_cast<size_t>(y) * src.stride + static_cast<size_t>(x) * 4 + channel];
}

void getMaskData16(uint16_t* buffer) {
    const EngineState& e = engine();
    if (!buffer || !e.selection.maskPlane) return;
    const size_t count = static_cast<size_t>(std::max(e.core.canvasWidth, 0)) * std::max(e.core.canvasHeight, 0);
    std::memcpy(buffer, e.selection.maskPlane, count * 2);
}

void setMaskData16(const uint16_t* buffer) {
    EngineState& e = engine();
    if (!buffer || !e.selection.maskPlane) return;
    const size_t count = static_cast<size_t>(std::max(e.core.canvasWidth, 0)) * std::max(e.core.canvasHeight, 0);
    std::memcpy(e.selection.maskPlane, buffer, count * 2);
}

bool historyHasRecordAtPosition() {
    const UndoState& u = engine().undo;
    if (u.undoPosition < 0 || u.undoPosition >= kUndoSlots) return false;
    const UndoRecord& r = u.records[u.undoPosition];
    return r.pixels != nullptr || r.mask != nullptr;
}

}  // namespace mrv
