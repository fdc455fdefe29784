// BlendKernel: the one routine that lays an RGBA64 rectangle over another,
// used by the merges, the flatten, ApplyRGBA32ToLayer and the effects.
#pragma once

#include <cstdint>

#include "core/core_types.h"

namespace mrv {

constexpr int32_t kMaskModeApply = 39;  // maskMode value that applies the layer mask

// Composites the width x height rectangle of src at (srcX, srcY) onto dst at
// (dstX, dstY); strides are in 16-bit units. mask (or null) is addressed
// exactly like src. mode 0..41 (others composite as Normal), opacity 0..256
// (255 and above are full, below 0 counts as 0). keepDstAlpha leaves the
// destination's alpha alone; sameMode marks source and destination sharing
// the same Alpha-family mode. The caller guarantees both rectangles lie inside
// their pictures: nothing is clipped here.
void blendKernel(const uint16_t* src, int32_t srcX, int32_t srcY, int32_t width, int32_t height, int32_t srcStride,
                 const uint16_t* mask, uint16_t* dst, int32_t dstX, int32_t dstY, int32_t dstStride, int32_t mode,
                 int32_t maskMode, int32_t opacity, uint8_t keepDstAlpha, uint8_t sameMode);

// Blends a canvas-sized RGBA32 buffer (byte * 256 per channel) over the whole
// layer: no mask picture, sameMode 0. Works in strips of rows, so the result
// is the same as converting the whole buffer first; does nothing when a strip
// cannot be allocated, the data is null or the layer is empty. Only the part
// inside both the canvas and the layer is touched.
void applyRGBA32ToLayer(const uint8_t* data, LayerSlot& layer, int32_t mode, int32_t maskMode, int32_t opacity,
                        uint8_t keepDstAlpha);

}  // namespace mrv
