// The selection's part of EngineState: the canvas-sized MaskPlane of 16-bit
// edit weights (65535 = edits act fully, 0 = protected), the flags that switch
// its use and its on-screen overlay, and the overlay's colours.
#pragma once

#include <cstdint>

namespace mrv {

// Colours and strength of the selection overlay that the view draws. The
// components are 16-bit (the host's 8-bit value shifted left by 8).
struct MaskOverlayOptions {
    uint16_t colourA[3];  // red, green, blue: odd squares of the 32 x 32 checkerboard
    uint16_t colourB[3];  // red, green, blue: even squares
    int32_t fullStrength;  // 0: protected pixels show the colour at half strength
};

struct SelectionState {
    uint16_t* maskPlane;  // canvasWidth * canvasHeight values
    int32_t maskStride;   // canvasWidth * 2, in bytes
    uint8_t maskEnabled;
    uint8_t maskDisplayed;
    MaskOverlayOptions maskOverlay;  // zero at load, kept across canvases
};

}  // namespace mrv
