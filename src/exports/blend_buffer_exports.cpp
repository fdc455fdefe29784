// Boundary of the blend buffer: pick-up from the current layer (Surface), a
// layer, the undo back buffer (History and UnderLayer are one function) or
// the tracing layer; mixing, tinting, mask loading, clearing and filtering.
#include "brush/blend_buffer.h"
#include "core/guard.h"
#include "morvane/morvane.h"

using namespace mrv;

namespace {

void copyFrom(const uint16_t* source, int32_t x, int32_t y, int32_t weight, int32_t flag) {
    blendBufferCopy(x, y, source, weight, flag);
}

}  // namespace

extern "C" {

MRV_API void MRV_DoCopyBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t weight, int32_t flag) {
    guardedVoid("DoCopyBlendBuffer Excpt", [&] { copyFrom(source, x, y, weight, flag); });
}

MRV_API void MRV_CopyBlendBufferSurface(int32_t x, int32_t y, int32_t weight, int32_t flag) {
    guardedVoid("DoCopyBlendBuffer Excpt", [&] { copyFrom(blendSourceSurface(), x, y, weight, flag); });
}

MRV_API void MRV_CopyBlendBufferLayer(int32_t n, int32_t x, int32_t y, int32_t weight) {
    guardedVoid("DoCopyBlendBuffer Excpt", [&] { copyFrom(blendSourceLayer(n), x, y, weight, 0); });
}

MRV_API void MRV_CopyBlendBufferHistory(int32_t x, int32_t y, int32_t weight) {
    guardedVoid("DoCopyBlendBuffer Excpt", [&] { copyFrom(blendSourceHistory(), x, y, weight, 0); });
}

MRV_API void MRV_CopyBlendBufferUnderLayer(int32_t x, int32_t y, int32_t weight) {
    MRV_CopyBlendBufferHistory(x, y, weight);
}

MRV_API void MRV_CopyBlendBufferTrace(int32_t x, int32_t y, int32_t weight) {
    guardedVoid("DoCopyBlendBuffer Excpt", [&] { copyFrom(blendSourceTrace(), x, y, weight, 0); });
}

MRV_API void MRV_DoMixBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t weight) {
    guardedVoid("DoMixBlendBuffer Excpt", [&] { blendBufferMix(x, y, source, weight); });
}

MRV_API void MRV_MixBlendBufferSurface(int32_t x, int32_t y, int32_t weight) {
    guardedVoid("DoMixBlendBuffer Excpt", [&] { blendBufferMix(x, y, blendSourceSurface(), weight); });
}

MRV_API void MRV_MixBlendBufferLayer(int32_t n, int32_t x, int32_t y, int32_t weight) {
    guardedVoid("DoMixBlendBuffer Excpt", [&] { blendBufferMix(x, y, blendSourceLayer(n), weight); });
}

MRV_API void MRV_MixBlendBufferHistory(int32_t x, int32_t y, int32_t weight) {
    guardedVoid("DoMixBlendBuffer Excpt", [&] { blendBufferMix(x, y, blendSourceHistory(), weight); });
}

MRV_API void MRV_MixBlendBufferUnderLayer(int32_t x, int32_t y, int32_t weight) {
    MRV_MixBlendBufferHistory(x, y, weight);
}

MRV_API void MRV_MixBlendBufferTrace(int32_t x, int32_t y, int32_t weight) {
    guardedVoid("DoMixBlendBuffer Excpt", [&] { blendBufferMix(x, y, blendSourceTrace(), weight); });
}

MRV_API void MRV_DoColorBlendBuffer(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t ignored,
                                    int32_t weight) {
    guardedVoid("DoColorBlendBuffer Excpt", [&] { blendBufferTint(x, y, r, g, b, weight); });
}

MRV_API void MRV_DoCopyBlendBufferMask(int32_t x, int32_t y, int32_t weight) {
    guardedVoid("DoCopyBlendBufferMask Excpt", [&] { blendBufferCopyMask(x, y, weight); });
}

MRV_API void MRV_ClearBlendBuffer(void) { blendBufferClear(); }

MRV_API void MRV_FillBlendBuffer(int32_t ignored1, int32_t ignored2, int32_t high, int32_t low) {
    blendBufferFill(low);
}

MRV_API void MRV_FilterBlendBuffer(int32_t kind, int32_t levelPercent) { blendBufferFilter(kind, levelPercent); }

}  // extern "C"
