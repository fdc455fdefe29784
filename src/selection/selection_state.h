// The selection's part of EngineState: the canvas-sized MaskPlane of 16-bit
// edit weights (65535 = edits act fully, 0 = protected).
#pragma once

#include <cstdint>

namespace mrv {

struct SelectionState {
    uint16_t* maskPlane;  // canvasWidth * canvasHeight values
    int32_t maskStride;   // canvasWidth * 2, in bytes
    uint8_t maskEnabled;
    uint8_t maskDisplayed;
};

}  // namespace mrv
