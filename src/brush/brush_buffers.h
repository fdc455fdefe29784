// Allocation and release of the brush-sized buffers that follow the canvas
// lifecycle: the 20 grit textures, the BrushShape and the BlendBuffer pixels.
#pragma once

namespace mrv {

// Allocates the buffers for the stored brushMaxSize, all zero-filled (a
// resized canvas too, so that nothing ever reads stale memory). Throws
// EngineFault when an allocation is refused; buffers made before the refusal
// stay allocated.
void allocateBrushBuffers();

// Frees the grit textures, the BrushShape, the BlendBuffer pixels and the
// picture of the shape source cache.
void releaseBrushBuffers();

}  // namespace mrv
