// Pixel transfer between layers and host buffers: the weighted loaders, the
// readers at 8 and 16 bits, host-buffer conversions, fills, alpha and
// colour-key operations, the compressed whole-layer blob and the single-pixel
// getters. The exports in src/exports/pixel_exports.cpp are thin wrappers.
//
// Host strides are row lengths in bytes (they may be negative for bottom-up
// buffers; the host points at its first row). "Canvas-sized" operations on a
// layer cover the part of the canvas the layer actually holds: a layer whose
// size differs from the canvas (possible while a host resizes) is never read
// or written outside its own pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/core_types.h"

namespace mrv {

// ---- Loading ------------------------------------------------------------------
// Places a w x h RGBA32 block at (x, y) of layer n; negative x or y skip that
// many source columns or rows. Weighted by the selection and the paper texture
// when useSelection (low byte) is set and either exists.
void loadRGBA32Layer(const uint8_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w, int32_t h,
                     int32_t useSelection);
// The same on a slot (the current layer, the PaintLayer, ...).
void loadRGBA32IntoSlot(LayerSlot& s, const uint8_t* data, int32_t stride, int32_t x, int32_t y, int32_t w,
                        int32_t h, int32_t useSelection);
void loadRGBA32(const uint8_t* data, int32_t stride, int32_t useSelection);
// Inflates a whole-layer blob into layer n. 1 when loaded; 0 when the layer is
// empty or the blob is refused (null, truncated, corrupt, wrong size).
int32_t loadRGBA32LayerCompressed(const uint8_t* blob, int32_t length, int32_t n, bool* refused);
// The older loader: optionally weights data's alpha by the selection and the
// texture (in place), clears the selection on the current layer, then blends
// the canvas-sized data over layer n in Normal mode at full opacity, keeping
// layer n's alpha when it is alpha-locked.
void loadRGBA32LayerBlended(uint8_t* data, int32_t n, int32_t w, int32_t h, int32_t adjust);
void loadRGB24(const uint8_t* data, int32_t stride, int32_t useSelection);
void loadRGB24ToAlpha(const uint8_t* data, int32_t stride, int32_t useSelection);
void loadBGR24(const uint8_t* data, int32_t stride, int32_t w, int32_t h);
int32_t setRGBA64Layer(const uint16_t* data, int32_t stride, int32_t n);
void setLayerData(const uint16_t* data, int32_t n);
void copyLayerData(int32_t from, int32_t to);

// ---- Reading ------------------------------------------------------------------
int32_t getRGBA32FromSlot(const LayerSlot* s, uint8_t* data, int32_t stride);
void getRGB24FromSlot(const LayerSlot* s, uint8_t* data, int32_t stride);
void getRGB24FromAlpha(uint8_t* data, int32_t stride);
void getRGBA64Layer(uint16_t* data, int32_t stride, int32_t n);
void getRGBA64LayerRect(uint16_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w, int32_t h);
void getLayerData(uint16_t* data, int32_t n);
// Deflates layer n as RGBA32 into output (capacity bytes); level is the zlib
// level (-1 default, 0..9). Returns the compressed length, 0 on any failure.
int32_t getRGBA32LayerCompressed(uint8_t* output, int32_t capacity, int32_t n, int32_t level);
void findDataExtentsLayer(int32_t n, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);

// ---- Host-buffer conversions (strides in bytes) ---------------------------------
void convertRGBA64ToRGBA32(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride, int32_t w,
                           int32_t h);
void convertRGBA64ToRGB24(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride, int32_t w,
                          int32_t h);
// Rectangle (x, y, w, h) of src (row length srcStridePixels) to a packed
// destination with bytesPerPixel 4 or 3.
void rgba64RectToPacked(const uint16_t* src, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcStridePixels,
                        uint8_t* dst, int32_t bytesPerPixel);
void setPixelRGB24(uint8_t* buffer, int32_t stride, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);

// ---- Filling ------------------------------------------------------------------
void clearLayer(int32_t r, int32_t g, int32_t b, int32_t a);
void clearMasked(int32_t r, int32_t g, int32_t b, int32_t a);
int32_t clearMaskedAlpha(int32_t r, int32_t g, int32_t b, int32_t a);
void clearRGBA64(uint16_t* buffer, int32_t stride, int32_t r, int32_t g, int32_t b, int32_t a);
void clearRGBA32(uint8_t* buffer, int32_t stride, int32_t r, int32_t g, int32_t b, int32_t a);
void clearRGBA32Buf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b, int32_t a);

// ---- Alpha and colour keys ------------------------------------------------------
void invertAlpha(int32_t n);
void invertAlphaRGBA32(uint8_t* buffer);
void setLayerAlpha(int32_t n, int32_t value);
void normalizeLayerAlpha(int32_t n);
// Throws EngineFault when a plane cannot be allocated.
void blurPaintLayerAlpha();
void setColorAlpha(int32_t r, int32_t g, int32_t b);
void setColorAlphaRGBABuf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b);
void setColorRGBABuf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b);
void setAlphaFromRGBAImageColor(uint8_t* buffer, int32_t r, int32_t g, int32_t b);

// ---- Single pixels ----------------------------------------------------------------
// A canvas-sized (or smaller, for a layer) RGBA64 picture to sample.
struct PixelSource {
    const uint16_t* pixels;
    int32_t width;
    int32_t height;
    int32_t stride;  // 16-bit units
};
PixelSource canvasBufferSource(const uint16_t* buffer);
PixelSource slotSource(const LayerSlot* s);  // empty source for null or empty slots
PixelSource undoBackSource();

// RGBA form with x, y clamped into the picture; 0 for an empty source.
uint32_t rgbaAt(const PixelSource& src, int32_t x, int32_t y);
// ARGB form; 0xFFFFFF outside the picture, 0 for an empty source.
uint32_t colorAt(const PixelSource& src, int32_t x, int32_t y);
// One 16-bit channel (0..3) of the current layer; 0 outside or without one.
int32_t currentChannelAt(int32_t x, int32_t y, int32_t channel);
void getMaskData16(uint16_t* buffer);
void setMaskData16(const uint16_t* buffer);
bool historyHasRecordAtPosition();

}  // namespace mrv
