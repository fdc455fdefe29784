// The BlendBuffer: the colour a brush has picked up from the canvas. It is a
// brushMaxSize x brushMaxSize RGBA64 image (rows brushMaxStride 16-bit units
// apart) aligned with the brush, not the canvas: buffer pixel (row, column)
// feeds the dab pixel that samples BrushShape (row, column). Only the top-left
// brushSize x brushSize square is used. For mask painting the same memory
// holds one 16-bit value per pixel at row * brushMaxStride + column.
//
// Operations with a position work on the brush square centred there, clipped
// to the canvas. Sources are canvas-sized RGBA64 buffers addressed with
// canvasStride. Every operation is a clean no-op without a canvas.
#pragma once

#include <cstdint>

namespace mrv {

// Colour channels written by pick-up and tint stop at 0xFF00: that is what an
// 8-bit 255 widens to, and it keeps picked-up colour in the 8-bit range.
constexpr uint32_t kPickupCeiling = 65280;

// The brush square centred on (x, y), clipped to the canvas. Canvas pixel
// (left + i, top + j) pairs with buffer pixel (skipY + j, skipX + i).
struct BlendFootprint {
    int32_t size;           // brushSize, cut to the buffer
    int32_t left, top;      // first visible canvas pixel
    int32_t width, height;  // visible part; 0 when the square misses the canvas
    int32_t skipX, skipY;   // buffer column and row of the first visible pixel
    bool clipped;           // some edge of the square had to be moved
};

// False when there is no buffer to work on (no canvas, brushSize below 1).
// A brushSize above brushMaxSize is cut to brushMaxSize: the buffer holds no
// more.
bool blendFootprint(int32_t x, int32_t y, BlendFootprint& f);

// MRV_DoCopyBlendBuffer: load the footprint from source; weight is the share
// of the brush colour (0..256), flag non-zero keeps the colour of the pre-fill.
void blendBufferCopy(int32_t x, int32_t y, const uint16_t* source, int32_t weight, int32_t flag);
// MRV_DoMixBlendBuffer: mix source into the buffer under the tool's mix mode.
void blendBufferMix(int32_t x, int32_t y, const uint16_t* source, int32_t weight);
// MRV_DoColorBlendBuffer: tint the footprint towards an 8-bit colour.
void blendBufferTint(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t weight);
// MRV_DoCopyBlendBufferMask: load the footprint of the MaskPlane (mask layout).
void blendBufferCopyMask(int32_t x, int32_t y, int32_t weight);
// MRV_ClearBlendBuffer / MRV_FillBlendBuffer: the first 2 * brushMaxSize^2
// bytes (the mask layout's extent) become 0 / the low byte of low.
void blendBufferClear();
void blendBufferFill(int32_t low);
// MRV_FilterBlendBuffer: kinds 289 grey, 290 invert, 291 cut below, 292 lift above.
void blendBufferFilter(int32_t kind, int32_t levelPercent);

// The sources the exports name, or null when they hold no canvas-sized pixels.
const uint16_t* blendSourceSurface();
const uint16_t* blendSourceLayer(int32_t n);
const uint16_t* blendSourceHistory();
const uint16_t* blendSourceTrace();

// The mix mode colour F (3 channels) and alpha Fa of buffer pixel p mixed
// over source pixel s under mode, as MRV_DoMixBlendBuffer uses it. Modes 253
// and 254 draw one number from the engine's random sequence.
void blendMixModeColour(int32_t mode, const uint16_t* p, const uint16_t* s, uint32_t* f, uint32_t& fa);

}  // namespace mrv
