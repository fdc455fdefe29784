// The merges built on BlendKernel (layer into layer, layer into a host
// buffer, the PaintLayer into its layer), the flatten, and the mask/texture
// and premultiplication adjustments of 8- and 16-bit host buffers.
#pragma once

#include <cstdint>

namespace mrv {

// Blends all of layer a into layer b with a's mode, opacity and layer mask.
// Nothing happens when either number is outside 0..63 or either layer is
// empty; layers of different sizes are merged over the area they share.
void mergeLayer(int32_t a, int32_t b);

// Blends the w x h rectangle at (x, y) of layer a into a packed w x h RGBA64
// buffer. Only the part of the rectangle inside layer a is read; the rest of
// the buffer is left alone.
void mergeLayerIntoRect(int32_t a, uint16_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h);

// Blends the PaintLayer's touched rectangle into layer n, then clears the
// PaintLayer. Returns false (and keeps the stroke) when n is not a layer that
// holds pixels or there is no PaintLayer.
bool mergePaintLayer(int32_t n);

// Flattens the visible layers of the canvas rectangle (x, y, w, h) into a
// packed w x h RGBA64 buffer. Pixels outside the canvas stay transparent black.
void mergeRect(uint16_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h);

// The flattened colour at (x, y) as (A8 << 24) | (R8 << 16) | (G8 << 8) | B8;
// 0xFFFFFF (white, alpha 0) outside the canvas, like the other colour getters.
uint32_t colorAtMerged(int32_t x, int32_t y);

// Selection-and-texture weighting of the alpha of a packed w x h RGBA32
// buffer covering the canvas rectangle at (x, y). Returns false when neither
// the mask is enabled nor a TextureMap exists (nothing to do).
bool adjustRGBA32RectByMaskAndTexture(uint8_t* data, int32_t x, int32_t y, int32_t w, int32_t h);

void adjustRGBA32PreFilter(uint8_t* data, int64_t pixelCount);
void adjustRGBA32PostFilter(uint8_t* data, int64_t pixelCount);
void adjustRGBA32ForAlphaComp(uint8_t* data, int64_t pixelCount);
void adjustRGBA64PreFilter(uint16_t* data, int64_t pixelCount);
void adjustRGBA64PostFilter(uint16_t* data, int64_t pixelCount);

}  // namespace mrv
