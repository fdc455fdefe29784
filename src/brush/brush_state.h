// The brush engine's part of EngineState: the brush-sized buffers that the
// canvas lifecycle allocates (grit textures, BrushShape, BlendBuffer) and the
// current tool's fields. The tool fields are all zero at library load.
#pragma once

#include "core/core_types.h"

namespace mrv {

constexpr int kGritTextureCount = 20;
constexpr int kGritMargin = 25;  // grit textures are (brushMaxSize + 25)^2 bytes

struct BrushState {
    // Buffers sized from brushMaxSize (allocated by MRV_CreateImage / MRV_NewSize).
    uint8_t* gritTextures[kGritTextureCount];  // (brushMaxSize + 25)^2 bytes each
    uint16_t* brushShape;                      // brushMaxSize^2 coverage values
    LayerSlot blendBuffer;                     // brushMaxSize^2 RGBA64 pixels, stride brushMaxStride

    // The picture behind the last brush shape loaded from a file or script;
    // released by MRV_NewSize and MRV_DeleteImage.
    uint8_t* shapeSourcePicture;
};

}  // namespace mrv
