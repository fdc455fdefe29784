// The BrushShape builder: a brushSize x brushSize square of 16-bit coverage
// values made from a picture (effect script or image file, rotated, resampled
// to the brush size) or, without a usable picture, a round shape with a soft
// or hollow rim. Also the blob conversion of a layer.
#pragma once

#include <cstdint>

namespace mrv {

// Rebuilds the BrushShape at the brushSize in force. withScript selects the
// current builder (script route and shape blur); false is the older builder
// that reads image files only and never blurs. Throws EngineFault when there
// is no BrushShape buffer (no canvas); every failure with the picture itself
// falls back to the round shape.
void setBrushShape(const char* path, int32_t angle, bool withScript);

// The round shape alone, into the BrushShape at the brushSize in force.
void buildRoundShape();

// Softens the shape picture before it is resampled (the "Value Blur" filter).
// Returns false when the blur did not run; dst then still holds the unblurred
// copy and the caller resamples that.
bool applyShapeBlur(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t shapeBlur);

// Releases the cached shape picture and empties the cache.
void releaseShapeSource();

// Turns layer n into a blob in place (mode 1: colours pulled half-way toward
// middle grey, other modes: plain middle grey; alpha from lightness where the
// pixel is not nearly transparent). Nothing for a bad number or an empty slot.
void createBlobFromImage(int32_t n, int32_t mode);

}  // namespace mrv
