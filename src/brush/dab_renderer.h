// The dab renderer: stamps the BrushShape once at a canvas position, through
// grit, opacity, paper texture and selection, with colour from the brush or
// the picked-up BlendBuffer, under the tool's mix mode and locks, into the
// PaintLayer (when it holds pixels) or the current layer. A second entry
// paints the same dab into the MaskPlane.
#pragma once

#include <cstdint>

namespace mrv {

// One dab centred at (x, y) with colour r, g, b (16-bit values of which only
// the high byte counts; brushColor keeps that colour). With maskMakerOn the
// dab goes to drawDabGritMask instead.
//
// Refusals: a brush geometry that would read outside the brush buffers
// (brushSize outside 1..brushMaxSize, dabSize outside 1..min(brushSize, 1000),
// a scale-table entry outside 0..brushSize-1) paints nothing, stores
// "DrawDabGrit Excpt" in LastError and returns false. Without a PaintLayer
// and without a current layer there is nothing to paint into: the dab only
// keeps brushColor and clears the one-dab flags (true, no error).
bool drawDabGrit(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);

// One dab into the MaskPlane, coloured by the lightness of brushColor.
// Refuses bad geometry as drawDabGrit does (LastError "DrawDabGritMask
// Excpt"); without a MaskPlane nothing is painted.
bool drawDabGritMask(int32_t x, int32_t y);

}  // namespace mrv
