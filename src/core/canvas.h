// The canvas lifecycle: creating, resizing and deleting the picture with every
// working buffer whose size follows from the canvas or the brush maximum.
#pragma once

#include <cstdint>

namespace mrv {

// Out-of-range sides (negative or above 10000) become 100; 0 stays 0.
int32_t clampCanvasSide(int32_t side);

void createImage(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth);
void newSize(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth);
void deleteImage();

// Frees the canvas-sized working buffers (mask, texture, back buffers, image-
// processing buffers) and the brush buffers. Layers are not touched.
void releaseWorkingBuffers();

}  // namespace mrv
