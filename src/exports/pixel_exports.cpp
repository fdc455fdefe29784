// Boundary of pixel transfer: loaders, readers, host-buffer conversions,
// fills, alpha operations, the compressed blob and the single-pixel getters.
#include "core/engine_state.h"
#include "core/guard.h"
#include "core/pixel_transfer.h"
#include "morvane/morvane.h"

using namespace mrv;

namespace {
inline const LayerSlot* layerSlotOrNull(int32_t n) { return isLayerNumber(n) ? &engine().core.layers[n] : nullptr; }
}  // namespace

extern "C" {

// ---- Loading ------------------------------------------------------------------------

MRV_API void MRV_LoadRGBA32Layer(const uint8_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w,
                                 int32_t h, int32_t useSelection) {
    guardedVoid("LoadRGBA32Layer Excpt", [&] { loadRGBA32Layer(data, stride, n, x, y, w, h, useSelection); });
}

MRV_API void MRV_LoadRGBA32(const uint8_t* data, int32_t stride, int32_t useSelection) {
    guardedVoid("LoadRGBA32 Excpt", [&] { loadRGBA32(data, stride, useSelection); });
}

MRV_API void MRV_LoadRGBA32Into(const uint8_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w,
                                int32_t h) {
    guardedVoid("LoadRGBA32Into Excpt", [&] { loadRGBA32Layer(data, stride, n, x, y, w, h, 1); });
}

MRV_API int32_t MRV_LoadRGBA32LayerCompressed(const uint8_t* blob, int32_t ignored, int32_t length, int32_t n) {
    static constexpr const char* kFailText = "LoadRGBA32LayerCompressed Excpt";
    return guarded(kFailText, 0, [&] {
        bool refused = false;
        const int32_t loaded = loadRGBA32LayerCompressed(blob, length, n, &refused);
        if (refused) setLastError(kFailText);
        return loaded;
    });
}

MRV_API void MRV_LoadRGBA32Layer_BAD(uint8_t* data, int32_t ignored, int32_t n, int32_t w, int32_t h,
                                     int32_t adjust) {
    guardedVoid("LoadRGBA32Layer Excpt", [&] { loadRGBA32LayerBlended(data, n, w, h, adjust); });
}

MRV_API void MRV_LoadRGB24(const uint8_t* data, int32_t stride, int32_t useSelection) {
    guardedVoid("LoadRGB24 Excpt", [&] { loadRGB24(data, stride, useSelection); });
}

MRV_API void MRV_LoadRGB24ToAlpha(const uint8_t* data, int32_t stride, int32_t useSelection) {
    guardedVoid("LoadRGB24ToAlpha Excpt", [&] { loadRGB24ToAlpha(data, stride, useSelection); });
}

MRV_API void MRV_Load(const uint8_t* data, int32_t stride, int32_t w, int32_t h) {
    guardedVoid("Load Excpt", [&] { loadBGR24(data, stride, w, h); });
}

MRV_API int32_t MRV_SetRGBA64Layer(const uint16_t* data, int32_t stride, int32_t n) {
    return guarded("SetRGBA64Layer Excpt", 0, [&] { return setRGBA64Layer(data, stride, n); });
}

MRV_API void MRV_SetLayerData(const uint16_t* data, int32_t n) {
    guardedVoid("SetLayerData Excpt", [&] { setLayerData(data, n); });
}

MRV_API void MRV_CopyLayerData(int32_t from, int32_t to) {
    guardedVoid("CopyLayerData Excpt", [&] { copyLayerData(from, to); });
}

// ---- Reading ------------------------------------------------------------------------

MRV_API int32_t MRV_GetRGBA32Layer(uint8_t* data, int32_t stride, int32_t n) {
    return guarded("GetRGBA32Layer Excpt", 0, [&] { return getRGBA32FromSlot(layerSlotOrNull(n), data, stride); });
}

MRV_API int32_t MRV_GetRGBA32(uint8_t* data, int32_t stride) {
    return guarded("GetRGBA32 Excpt", 0, [&] { return getRGBA32FromSlot(engine().core.currentLayer, data, stride); });
}

MRV_API void MRV_GetRGB24Layer(uint8_t* data, int32_t stride, int32_t n) {
    guardedVoid("GetRGB24Layer Excpt", [&] { getRGB24FromSlot(layerSlotOrNull(n), data, stride); });
}

MRV_API void MRV_GetRGB24(uint8_t* data, int32_t stride) {
    guardedVoid("GetRGB24 Excpt", [&] { getRGB24FromSlot(engine().core.currentLayer, data, stride); });
}

MRV_API void MRV_GetRGB24FromAlpha(uint8_t* data, int32_t stride) {
    guardedVoid("GetRGB24FromAlpha Excpt", [&] { getRGB24FromAlpha(data, stride); });
}

MRV_API void MRV_GetRGBA64Layer(uint16_t* data, int32_t stride, int32_t n) {
    guardedVoid("GetRGBA64Layer Excpt", [&] { getRGBA64Layer(data, stride, n); });
}

MRV_API void MRV_GetRGBA64LayerRect(uint16_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w,
                                    int32_t h) {
    guardedVoid("GetRGBA64LayerRect Excpt", [&] { getRGBA64LayerRect(data, stride, n, x, y, w, h); });
}

MRV_API void MRV_GetLayerData(uint16_t* data, int32_t n) {
    guardedVoid("GetLayerData Excpt", [&] { getLayerData(data, n); });
}

MRV_API int32_t MRV_GetRGBA32LayerCompressed(uint8_t* output, int32_t ignored, int32_t capacity, int32_t n,
                                             int32_t level) {
    return guarded("GetRGBA32Layer Excpt", 0, [&] { return getRGBA32LayerCompressed(output, capacity, n, level); });
}

MRV_API void MRV_FindDataExtentsLayer(int32_t n, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
    guardedVoid("FindDataExtentsLayer Excpt", [&] { findDataExtentsLayer(n, left, top, right, bottom); });
}

// ---- Host-buffer conversions ------------------------------------------------------------

MRV_API void MRV_GetRGBA32FromRGBA64Rect(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride,
                                         int32_t x, int32_t y, int32_t w, int32_t h) {
    guardedVoid("GetRGBA32FromRGBA64Rect Excpt", [&] { convertRGBA64ToRGBA32(dst, dstStride, src, srcStride, w, h); });
}

MRV_API void MRV_GetRGB24FromRGBA64Rect(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride,
                                        int32_t x, int32_t y, int32_t w, int32_t h) {
    guardedVoid("GetRGB24FromRGBA64Rect Excpt", [&] { convertRGBA64ToRGB24(dst, dstStride, src, srcStride, w, h); });
}

MRV_API void MRV_GetRGBA32FromRGBA64(uint8_t* dst, int32_t dstStride, int32_t w, int32_t h, const uint16_t* src,
                                     int32_t srcStride) {
    guardedVoid("GetRGBA32FromRGBA64 Excpt", [&] { convertRGBA64ToRGBA32(dst, dstStride, src, srcStride, w, h); });
}

MRV_API void MRV_GetRGB24FromRGBA64(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride) {
    guardedVoid("GetRGB24FromRGBA64 Excpt", [&] {
        const CoreState& c = engine().core;
        convertRGBA64ToRGB24(dst, dstStride, src, srcStride, c.canvasWidth, c.canvasHeight);
    });
}

MRV_API void MRV_RGBA64RectToRGBA32(const uint16_t* src, int32_t x, int32_t y, int32_t w, int32_t h,
                                    int32_t srcStridePixels, int32_t ignored, uint8_t* dst) {
    guardedVoid("RGBA64RectToRGBA32 Excpt", [&] { rgba64RectToPacked(src, x, y, w, h, srcStridePixels, dst, 4); });
}

MRV_API void MRV_RGBA64RectToRGBA24(const uint16_t* src, int32_t x, int32_t y, int32_t w, int32_t h,
                                    int32_t srcStridePixels, int32_t ignored, uint8_t* dst) {
    guardedVoid("RGBA64RectToRGBA24 Excpt", [&] { rgba64RectToPacked(src, x, y, w, h, srcStridePixels, dst, 3); });
}

MRV_API void MRV_SetPixelRGB24(uint8_t* buffer, int32_t stride, int32_t x, int32_t y, int32_t r, int32_t g,
                               int32_t b) {
    guardedVoid("SetPixelRGB24 Excpt", [&] { setPixelRGB24(buffer, stride, x, y, r, g, b); });
}

// ---- Filling ------------------------------------------------------------------------

MRV_API void MRV_Clear(int32_t r, int32_t g, int32_t b, int32_t a) {
    guardedVoid("Clear Excpt", [&] { clearLayer(r, g, b, a); });
}

MRV_API void MRV_ClearMasked(int32_t r, int32_t g, int32_t b, int32_t a) {
    guardedVoid("ClearMasked Excpt", [&] { clearMasked(r, g, b, a); });
}

MRV_API int32_t MRV_ClearMaskedAlpha(int32_t r, int32_t g, int32_t b, int32_t a) {
    return guarded("ClearMaskedAlpha Excpt", 0, [&] { return clearMaskedAlpha(r, g, b, a); });
}

MRV_API void MRV_ClearRGBA64(uint16_t* buffer, int32_t stride, int32_t r, int32_t g, int32_t b, int32_t a) {
    guardedVoid("ClearRGBA64 Excpt", [&] { clearRGBA64(buffer, stride, r, g, b, a); });
}

MRV_API void MRV_ClearRGBA32(uint8_t* buffer, int32_t stride, int32_t r, int32_t g, int32_t b, int32_t a) {
    guardedVoid("ClearRGBA32 Excpt", [&] { clearRGBA32(buffer, stride, r, g, b, a); });
}

MRV_API void MRV_ClearRGBA32Buf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b, int32_t a) {
    guardedVoid("ClearRGBA32Buf Excpt", [&] { clearRGBA32Buf(buffer, w, h, r, g, b, a); });
}

// ---- Alpha and colour keys ----------------------------------------------------------------

MRV_API void MRV_InvertAlpha(int32_t n) {
    guardedVoid("InvertAlpha Excpt", [&] { invertAlpha(n); });
}

MRV_API void MRV_InvertAlpha_RGBA32(uint8_t* buffer) {
    guardedVoid("InvertAlpha_RGBA32 Excpt", [&] { invertAlphaRGBA32(buffer); });
}

MRV_API void MRV_SetLayerAlpha(int32_t n, int32_t value) {
    guardedVoid("SetLayerAlpha Excpt", [&] { setLayerAlpha(n, value); });
}

MRV_API void MRV_NormalizeLayerAlpha(int32_t n) {
    guardedVoid("NormalizeLayerAlpha Excpt", [&] { normalizeLayerAlpha(n); });
}

MRV_API void MRV_BlurPaintLayerAlpha(void) {
    guardedVoid("BlurPaintLayerAlpha Excpt", [&] { blurPaintLayerAlpha(); });
}

MRV_API void MRV_SetColorAlpha(int32_t r, int32_t g, int32_t b) {
    guardedVoid("SetColorAlpha Excpt", [&] { setColorAlpha(r, g, b); });
}

MRV_API void MRV_SetColorAlphaRGBABuf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b) {
    guardedVoid("SetColorAlphaRGBABuf Excpt", [&] { setColorAlphaRGBABuf(buffer, w, h, r, g, b); });
}

MRV_API void MRV_SetColorRGBABuf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b) {
    guardedVoid("SetColorRGBABuf Excpt", [&] { setColorRGBABuf(buffer, w, h, r, g, b); });
}

MRV_API void MRV_SetAlphaFromRGBAImageColor(uint8_t* buffer, int32_t r, int32_t g, int32_t b) {
    guardedVoid("SetAlphaFromRGBAImageColor Excpt", [&] { setAlphaFromRGBAImageColor(buffer, r, g, b); });
}

// ---- Single pixels and the mask plane -------------------------------------------------------
// These only read and cannot fail inside; they need no guard.

MRV_API int32_t MRV_GetRed64(int32_t x, int32_t y) { return currentChannelAt(x, y, 0); }
MRV_API int32_t MRV_GetGreen64(int32_t x, int32_t y) { return currentChannelAt(x, y, 1); }
MRV_API int32_t MRV_GetBlue64(int32_t x, int32_t y) { return currentChannelAt(x, y, 2); }
MRV_API int32_t MRV_GetAlpha64(int32_t x, int32_t y) { return currentChannelAt(x, y, 3); }

MRV_API void MRV_GetMaskData16(uint16_t* buffer) {
    guardedVoid("GetMaskData16 Excpt", [&] { getMaskData16(buffer); });
}

MRV_API void MRV_SetMaskData16(const uint16_t* buffer) {
    guardedVoid("SetMaskData16 Excpt", [&] { setMaskData16(buffer); });
}

MRV_API uint32_t MRV_GetRGBAAt(int32_t x, int32_t y, const uint16_t* buffer) {
    return rgbaAt(canvasBufferSource(buffer), x, y);
}
MRV_API uint32_t MRV_GetRGBAAtSurface(int32_t x, int32_t y) {
    return rgbaAt(slotSource(engine().core.currentLayer), x, y);
}
MRV_API uint32_t MRV_GetRGBAAtUnderLayer(int32_t x, int32_t y) { return rgbaAt(undoBackSource(), x, y); }
MRV_API uint32_t MRV_GetRGBAAtLayer(int32_t x, int32_t y, int32_t n) {
    return rgbaAt(slotSource(layerSlotOrNull(n)), x, y);
}
MRV_API uint32_t MRV_GetRGBAAtTrace(int32_t x, int32_t y) { return rgbaAt(slotSource(&engine().core.layers[0]), x, y); }

MRV_API uint32_t MRV_GetColorAt(int32_t x, int32_t y, const uint16_t* buffer) {
    return colorAt(canvasBufferSource(buffer), x, y);
}
MRV_API uint32_t MRV_GetColorAtSurface(int32_t x, int32_t y) {
    return colorAt(slotSource(engine().core.currentLayer), x, y);
}
MRV_API uint32_t MRV_GetColorAtUnderLayer(int32_t x, int32_t y) { return colorAt(undoBackSource(), x, y); }
MRV_API uint32_t MRV_GetColorAtLayer(int32_t x, int32_t y, int32_t n) {
    return colorAt(slotSource(layerSlotOrNull(n)), x, y);
}
MRV_API uint32_t MRV_GetColorAtTrace(int32_t x, int32_t y) {
    return colorAt(slotSource(&engine().core.layers[0]), x, y);
}
MRV_API uint32_t MRV_GetColorAtHistory(int32_t x, int32_t y) {
    return historyHasRecordAtPosition() ? colorAt(undoBackSource(), x, y) : 0;
}

}  // extern "C"
