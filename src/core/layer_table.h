// The LayerTable: 64 canvas-sized RGBA64 slots with their display options,
// the blend-mode names, the PaintLayer that collects a stroke, and the
// TextureMap that a visible Texturize3 layer casts on painting.
#pragma once

#include <cstdint>

#include "core/core_types.h"

namespace mrv {

constexpr int kBlendModeCount = 42;  // numbers 0..41; 20 has no name
constexpr int32_t kModeTexturize3 = 19;
constexpr int32_t kModeLayerMask = 39;
constexpr uint8_t kTextureMin = 4;
constexpr uint8_t kTextureMax = 250;

// The name of blend mode n, or null for 20 and numbers outside 0..41.
const char* blendModeName(int32_t n);

// Byte-exact match against the mode names; anything else (null included) is 0.
int32_t layerModeFromName(const char* name);

// Layer opacity from a percentage: percent * 256 / 100, truncated toward
// zero, kept in 16 bits (no clamping: 101 gives 258).
uint16_t layerOpacityFromPercent(int32_t percent);

int32_t createLayer(int32_t n, int32_t width, int32_t height);
void deleteLayer(int32_t n);
void setLayer(int32_t n);
int32_t layerCount();
void setLayerOptions(int32_t n, int32_t visible, int32_t alphaLocked, int32_t percent, const char* name);
void swapLayers(int32_t a, int32_t b);

// Highest number 1..63 whose slot holds pixels, 1 when none does.
void recomputeTopLayer();

// Builds (allocating when needed) the TextureMap from layer n; null when the
// map cannot be allocated or the layer holds no pixels.
uint8_t* createTexture(int32_t n);
void deleteTexture();

// The number of the visible Layer Mask layer that masks layer n, or 0.
int32_t layerMaskAbove(int32_t n);

void createPaintLayer(int32_t percent, const char* name);
void clearPaintLayer();
void clearPaintLayerOld();
void deletePaintLayer();

}  // namespace mrv
