// The current tool: every setter of the brush state, MRV_SetTool and the dab
// scale table. Nothing here paints; the dab renderer, the blend buffer and the
// image brushes read the fields these functions write.
#pragma once

#include <cstdint>

#include "morvane/morvane.h"

namespace mrv {

// ---- Colour
void setColor(int32_t r, int32_t g, int32_t b);    // low byte * 256, alpha 65535
void setColor16(int32_t r, int32_t g, int32_t b);  // low 16 bits, alpha 65535
void setColorBanks(const int32_t rgb[12]);         // four banks of (r, g, b) low bytes * 256

// ---- Size and scale
// Largest edge the brush buffers and the dab scale table can serve:
// min(brushMaxSize, 1000); 0 while no canvas exists.
int32_t brushSizeLimit();
// brushSize = dabSize = n, identity scale table. n is clamped to 1..brushSizeLimit()
// (to 1..1000 while no canvas exists) so no later build can outgrow the buffers.
void setSize(int32_t n);
// dabSize and the scale table for a dab of n pixels sampling a brushSize shape.
void setScaleSize(int32_t n);
// The brushSize a builder or a dab may use against the buffers in place now:
// brushSize cut to brushSizeLimit() (a canvas resized to a smaller brush
// maximum after MRV_SetSize would otherwise leave brushSize too large).
int32_t usableBrushSize();

// ---- Modulation, modes and mixing (each stores what its export documents)
void setDensity(int32_t n);
void setAlpha(int32_t percent);
void setRotateBrushMode(int32_t mode, int32_t degrees);
void setMixMode(int32_t mode, int32_t amount);
void setBlendStrength(int32_t n);
void setBlendPrimaryColorStrength(int32_t n);
void setPixColorVary(int32_t n);
void setPixLumVary(int32_t n);

// ---- Grit bookkeeping
// Start of grit texture k (0..19), or null while the textures are not allocated.
uint8_t* gritTextureStart(int32_t k);
void decDrawingLength();

// ---- The bulk tool call. Throws (EngineFault) on a fault outside the paper
// step; the export turns that into "SetTool Excpt".
void setTool(const MRV_ToolRecord& record);

}  // namespace mrv
