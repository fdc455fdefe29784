// Boundary of the brush tool, grit textures and brush shapes.
#include <cstddef>

#include "brush/brush_shape.h"
#include "brush/tool_state.h"
#include "core/engine_state.h"
#include "core/guard.h"
#include "morvane/morvane.h"

// The tool record crosses the boundary by value with natural C alignment:
// 13 four-byte fields, padding, two pointers, the angle and tail padding.
static_assert(sizeof(MRV_ToolRecord) == 80, "MRV_ToolRecord must keep its 80-byte x86-64 layout");
static_assert(offsetof(MRV_ToolRecord, paperPath) == 56, "paperPath follows four bytes of padding");
static_assert(offsetof(MRV_ToolRecord, shapeAngle) == 72, "shapeAngle follows the two paths");

using namespace mrv;

namespace {
BrushState& brush() { return engine().brush; }
}  // namespace

extern "C" {

MRV_API void MRV_SetColor(int32_t r, int32_t g, int32_t b) { setColor(r, g, b); }
MRV_API void MRV_SetColor16(int32_t r, int32_t g, int32_t b) { setColor16(r, g, b); }
MRV_API void MRV_SetColorBanks(int32_t r0, int32_t g0, int32_t b0, int32_t r1, int32_t g1, int32_t b1, int32_t r2,
                               int32_t g2, int32_t b2, int32_t r3, int32_t g3, int32_t b3) {
    const int32_t rgb[12] = {r0, g0, b0, r1, g1, b1, r2, g2, b2, r3, g3, b3};
    setColorBanks(rgb);
}
MRV_API void MRV_SetShapeBlur(int32_t n) { brush().shapeBlur = n; }
MRV_API void MRV_SetBlendStrength(int32_t n) { setBlendStrength(n); }
MRV_API void MRV_SetBlendPrimaryColorStrength(int32_t n) { setBlendPrimaryColorStrength(n); }
MRV_API void MRV_SetBlendRemix(int32_t flag) { brush().blendRemix = static_cast<uint8_t>(flag & 0xFF); }
MRV_API void MRV_SetDensity(int32_t n) { setDensity(n); }
MRV_API void MRV_SetAlpha(int32_t percent) { setAlpha(percent); }
MRV_API void MRV_SetColorVary(int32_t n) { brush().colorVary = n; }
MRV_API void MRV_SetAlphaLocked(int32_t n) { brush().lockAlpha = n; }
MRV_API void MRV_SetColorLocked(int32_t n) { brush().lockColor = n; }
MRV_API void MRV_SetBlobLocked(int32_t n) { brush().lockBlob = n; }
MRV_API void MRV_SetAlphaLevel(int32_t n) { brush().alphaLevel = n; }
MRV_API void MRV_SetImageBrushMode(int32_t n) { brush().imageBrushMode = n; }
MRV_API void MRV_SetSolidBrushMode(int32_t n) { brush().solidBrushMode = n; }
MRV_API void MRV_SetRotateBrushMode(int32_t mode, int32_t degrees) { setRotateBrushMode(mode, degrees); }
MRV_API void MRV_SetMixMode(int32_t mode, int32_t amount) { setMixMode(mode, amount); }
MRV_API void MRV_DecDrawingLength(void) { decDrawingLength(); }
MRV_API void MRV_TempDisableBlend(void) { brush().tempDisableBlend = 1; }
MRV_API void MRV_SetMaskMakerOn(void) { brush().maskMakerOn = 1; }
MRV_API void MRV_SetEraseModeOn(void) { brush().eraseModeOn = 1; }
MRV_API void MRV_SetSize(int32_t n) { setSize(n); }
MRV_API void MRV_SetScaleSize(int32_t n) { setScaleSize(n); }

MRV_API void MRV_SetPixColorVary(int32_t n) {
    guardedVoid("MakeRandArrayByte Excpt", [&] { setPixColorVary(n); });
}

MRV_API void MRV_SetPixLumVary(int32_t n) {
    guardedVoid("MakeRandArrayByte Excpt", [&] { setPixLumVary(n); });
}

MRV_API void MRV_SetTool(MRV_ToolRecord record) {
    guardedVoid("SetTool Excpt", [&] { setTool(record); });
}

MRV_API void MRV_SetBrushShape(const char* path, int32_t angle) {
    guardedVoid("SetBrushShape Excpt", [&] { setBrushShape(path, angle, true); });
}

MRV_API void MRV_SetBrushShape_ORIGINAL(const char* path, int32_t angle) {
    guardedVoid("SetBrushShape_ORIGINAL Excpt", [&] { setBrushShape(path, angle, false); });
}

MRV_API void MRV_CreateBlobFromImage(int32_t n, int32_t mode) {
    guardedVoid("CreateBlobFromImage Excpt", [&] { createBlobFromImage(n, mode); });
}

}  // extern "C"
