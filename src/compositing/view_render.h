// MRV_Render: the visible layers, the stroke in progress and the tracing
// reference composited on the fly into the host's 24-bit blue-green-red
// display buffer, over a checkerboard, with the selection overlay, at 1:1,
// at an integer magnification or at a fractional reduction.
#pragma once

#include <cstdint>

namespace mrv {

// Renders the canvas rectangle (x0, y0, w, h) into buffer (rows stride bytes
// apart). Draws nothing when there is no current layer with pixels, the
// rectangle misses the canvas, the view size is 0, or the view's zoom and
// scale give no usable mapping (magnification with a zoom below 1, reduction
// with a scale that is not a positive finite number).
void renderView(uint8_t* buffer, int32_t stride, int32_t x0, int32_t y0, int32_t w, int32_t h);

}  // namespace mrv
