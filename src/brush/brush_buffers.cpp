// The brush-sized working buffers owned by EngineState. Their sizes follow
// brushMaxSize: grit textures carry a 25-pixel margin so that a dab can be
// offset inside them without reading past the end.
#include "brush/brush_buffers.h"

#include "core/engine_state.h"
#include "core/memory.h"

namespace mrv {

void allocateBrushBuffers() {
    EngineState& e = engine();
    const uint64_t size = static_cast<uint64_t>(e.core.brushMaxSize);
    const uint64_t gritSide = size + kGritMargin;
    for (uint8_t*& grit : e.brush.gritTextures) {
        if (!grit) grit = allocZeroedArrayOrThrow<uint8_t>(gritSide * gritSide);
    }
    if (!e.brush.brushShape) e.brush.brushShape = allocZeroedArrayOrThrow<uint16_t>(size * size);
    LayerSlot& blend = e.brush.blendBuffer;
    if (!blend.pixels) blend.pixels = allocZeroedArrayOrThrow<uint16_t>(size * size * 4);
    blend.width = e.core.brushMaxSize;
    blend.height = e.core.brushMaxSize;
    blend.stride = e.core.brushMaxStride;
}

void releaseBrushBuffers() {
    EngineState& e = engine();
    for (uint8_t*& grit : e.brush.gritTextures) releaseBuffer(grit);
    releaseBuffer(e.brush.brushShape);
    releaseBuffer(e.brush.blendBuffer.pixels);
    releaseBuffer(e.brush.shapeSourcePicture);
}

}  // namespace mrv
