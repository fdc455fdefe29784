// The brush engine's part of EngineState: the brush-sized buffers that the
// canvas lifecycle allocates (grit textures, BrushShape, BlendBuffer), the
// current tool's fields (the BrushState) and the cache of the last shape
// picture. Everything is zero at library load.
#pragma once

#include "core/core_types.h"

namespace mrv {

constexpr int kGritTextureCount = 20;
constexpr int kGritMargin = 25;  // grit textures are (brushMaxSize + 25)^2 bytes
constexpr int kDabScaleTableSize = 1000;
constexpr int kShapePathSize = 1024;
constexpr uint8_t kGritBackground = 255;  // a grit byte nobody painted

struct BrushState {
    // Buffers sized from brushMaxSize (allocated by MRV_CreateImage / MRV_NewSize).
    uint8_t* gritTextures[kGritTextureCount];  // (brushMaxSize + 25)^2 bytes each
    uint16_t* brushShape;                      // brushMaxSize^2 coverage values
    LayerSlot blendBuffer;                     // brushMaxSize^2 RGBA64 pixels, stride brushMaxStride

    // The picture behind the last brush shape loaded from a file or script
    // (RGBA32, after rotation); released by MRV_NewSize and MRV_DeleteImage.
    // The cache is valid only while shapeSourcePicture is not null.
    uint8_t* shapeSourcePicture;
    char shapeSourcePath[kShapePathSize];
    int32_t shapeSourceWidth;
    int32_t shapeSourceHeight;
    int32_t shapeSourceAngle;

    // ---- Colour: 16-bit red, green, blue, alpha.
    uint16_t brushColor[4];
    uint16_t colorBanks[4][4];

    // ---- Size and scale.
    int32_t brushSize;  // edge of the BrushShape in use
    int32_t dabSize;    // edge of a painted dab, at most brushSize
    // Entry i (0 <= i < dabSize) is the BrushShape row/column that dab
    // row/column i samples.
    int32_t dabScaleTable[kDabScaleTableSize];

    // ---- Dab modulation.
    int32_t densityLimit;  // density - 1: grit bytes <= this take paint
    int32_t alphaPercent;
    int32_t alphaScale;  // alphaPercent * 1.28, truncated (128 at 100 %)
    int32_t colorVary;
    int32_t pixelColorVary;
    int32_t pixelLumVary;
    RandArrayByte pixelColorBytes;  // modulus 1000, 3 * brushMaxSize bytes
    RandArrayByte pixelLumBytes;    // modulus 256, 3 * brushMaxSize bytes

    // ---- Modes and locks.
    int32_t rotateMode;  // only 1 rotates
    float rotateSin;
    float rotateCos;
    int32_t solidBrushMode;
    int32_t imageBrushMode;
    int32_t alphaLevel;
    int32_t lockBlob;
    int32_t lockColor;
    int32_t lockAlpha;

    // ---- Mixing and pick-up; the inverses are 256 - weight.
    int32_t mixMode;
    int32_t mixAmount;
    int32_t mixInverse;
    int32_t mixShift;
    int32_t blendStrength;
    int32_t blendInverse;
    int32_t primaryColorStrength;
    int32_t primaryInverse;
    uint8_t blendRemix;

    // ---- One-dab flags.
    uint8_t tempDisableBlend;
    uint8_t maskMakerOn;
    uint8_t eraseModeOn;

    // ---- Grit.
    int32_t gritCellSize;  // 0 = dabs ignore grit
    int32_t gritCellThreshold;
    int32_t gritPixelThreshold;
    int32_t gritInterval;
    int32_t gritCountdown;
    // Where a dab reads its grit: texture start + rowOffset * brushMaxSize + columnOffset.
    uint8_t* gritCursor;

    // ---- Shape parameters.
    float shapeStrength;
    uint8_t shapeSoftness;
    uint8_t shapeHollow;
    int32_t shapeBlur;

    // Fields 10 and 12 of the tool record: kept, never read.
    uint8_t toolReserved10;
    uint8_t toolReserved12;
};

}  // namespace mrv
