// The undo history's part of EngineState: the back buffer pair that holds the
// current layer and the mask as they were before the operation in progress,
// the records, and the memory accounting in kilobytes.
#pragma once

#include <cstdint>

namespace mrv {

constexpr int kUndoSlots = 500;

struct UndoRecord {
    uint16_t* pixels;  // w * h RGBA64 pixels, packed (row length w), or null
    uint16_t* mask;    // w * h MaskPlane values, or null
    uint8_t maskState; // maskEnabled when the record was made
    int32_t left, top, right, bottom;  // all four edges included
    int32_t layerNum;
};

struct UndoState {
    uint16_t* undoBackBuffer;  // canvas-sized RGBA64
    uint16_t* undoBackMask;    // canvas-sized 16-bit companion of the MaskPlane
    int32_t backBufferLayer;   // the layer undoBackBuffer was last loaded from; -1 = none
    UndoRecord records[kUndoSlots];  // slot 0 is the newest record
    int32_t undoPosition;            // records 0 .. undoPosition-1 are redo records
    int32_t undoLevels;              // 0..500; nothing is recorded while 0
    int64_t undoBudgetKb;
    int64_t undoMemoryKb;            // in use: back buffer pair and all records
    uint8_t automaticBudget;
    uint8_t paused;
    // Area touched since the last save; empty is (canvasWidth-1, canvasHeight-1, 0, 0).
    int32_t undoLeft, undoTop, undoRight, undoBottom;
};

}  // namespace mrv
