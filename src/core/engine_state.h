// EngineState: the one process-wide record of the engine. It is a zero-
// initialised static object made of one plain struct per subsystem, reached
// through engine(). There are no handles: every export works on this record.
#pragma once

#include "brush/brush_state.h"
#include "core/core_types.h"
#include "imaging/imaging_state.h"
#include "selection/selection_state.h"
#include "undo/undo_state.h"

namespace mrv {

constexpr int kLastErrorSize = 512;      // 511 characters and the terminator
constexpr int kStartDirectorySize = 1024;
constexpr int kDirInfoSize = 261;        // a directory path of at most 260 characters
constexpr int kRandomArrayLength = 1000000;

// Canvas, layers and the small services of the core.
struct CoreState {
    int32_t canvasWidth;
    int32_t canvasHeight;
    int32_t canvasStride;  // canvasWidth * 4, in 16-bit units
    void* hostWindow;
    int32_t brushMaxSize;
    int32_t brushMaxStride;  // brushMaxSize * 4
    int32_t fifthArgument;   // stored by MRV_CreateImage / MRV_NewSize, never read

    LayerSlot layers[kLayerCount];
    int32_t currentLayerNum;
    LayerSlot* currentLayer;  // null until MRV_SetLayer
    int32_t topLayerNum;
    LayerSlot paintLayer;
    LayerSlot* traceLayer;  // always layer 0 once a canvas exists
    uint8_t tracingMode;
    uint16_t alphaLayerOpacity = 65535;
    uint8_t* textureMap;  // canvasWidth * canvasHeight bytes 4..250, or null

    char lastError[kLastErrorSize];
    char startDirectory[kStartDirectorySize];
    char dirInfo[kDirInfoSize];
    uint32_t randomSeed;
    RandArrayByte randomBytes255;
    RandArrayByte randomBytes254;
    uint8_t displayChanged;
};

struct ViewState {
    int32_t viewZoom;
    float viewScale;
    int32_t viewOffsetX;
    int32_t viewOffsetY;
    int32_t viewWidth;
    int32_t viewHeight;
};

struct EngineState {
    CoreState core;
    ViewState view;
    BrushState brush;
    SelectionState selection;
    UndoState undo;
    ImagingState imaging;
};

EngineState& engine();

// True when n names one of the 64 layer slots.
inline bool isLayerNumber(int32_t n) { return n >= 0 && n < kLayerCount; }

}  // namespace mrv
