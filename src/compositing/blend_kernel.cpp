// BlendKernel. Each pixel goes through the same steps: skip a transparent
// source of an ordinary mode, weight by the layer mask and the opacity, let
// the Alpha family reshape it, then either take an integer shortcut
// (transparent destination, opaque Normal source, nothing left to add) or
// composite in single precision. The pixel loop is instantiated once per
// mode so each mode's branch folds away; rows are split over the cores, which
// cannot change a result because rows are independent.
#include "compositing/blend_kernel.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "compositing/blend_math.h"
#include "compositing/parallel.h"
#include "core/engine_state.h"
#include "core/memory.h"

namespace mrv {

namespace {

using blend::SourcePixel;

struct KernelArgs {
    const uint16_t* src;
    int32_t srcX, srcY, width, srcStride;
    const uint16_t* mask;  // null unless the mask applies
    uint16_t* dst;
    int32_t dstX, dstY, dstStride;
    int32_t opacity;
    bool keepDstAlpha;
    bool sameMode;
    int32_t alo;
};

inline void writePixel(uint16_t* d, int32_t r, int32_t g, int32_t b, int32_t a, bool keepDstAlpha) {
    d[0] = static_cast<uint16_t>(r);
    d[1] = static_cast<uint16_t>(g);
    d[2] = static_cast<uint16_t>(b);
    if (!keepDstAlpha) d[3] = static_cast<uint16_t>(a);
}

// Single-precision composite of a prepared source over a 16-bit destination.
inline void compositeFloat(const SourcePixel& p, uint16_t* d, int32_t da, bool keepDstAlpha) {
    using namespace blend;
    const float Sa = alphaOf(p.a);
    const float Da = alphaOf(da);
    const Float4 S = premultiply(p.r, p.g, p.b, Sa);
    const Float4 D = premultiply(d[0], d[1], d[2], Da);
    float Ra;
    const Float4 X = blendFormula(p.colourMode, S, D, Sa, Da, sourceLuminance(p), Ra);
    Ra = clamp01(Ra);
    const Int4 out = __builtin_convertvector(clamp01(X / Ra) * kColourScale, Int4);
    d[0] = static_cast<uint16_t>(out[0]);
    d[1] = static_cast<uint16_t>(out[1]);
    d[2] = static_cast<uint16_t>(out[2]);
    if (!keepDstAlpha) d[3] = static_cast<uint16_t>(Ra * kAlphaScale);
}

template <int32_t Mode>
void kernelRows(const KernelArgs& a, int32_t rowBegin, int32_t rowEnd) {
    using namespace blend;
    constexpr bool kAlphaFamily = Mode > kLastPlainMode;
    for (int32_t y = rowBegin; y < rowEnd; ++y) {
        const ptrdiff_t srcOffset = static_cast<ptrdiff_t>(a.srcY + y) * a.srcStride + static_cast<ptrdiff_t>(a.srcX) * 4;
        const uint16_t* s = a.src + srcOffset;
        const uint16_t* m = a.mask ? a.mask + srcOffset : nullptr;
        uint16_t* d = a.dst + static_cast<ptrdiff_t>(a.dstY + y) * a.dstStride + static_cast<ptrdiff_t>(a.dstX) * 4;
        for (int32_t x = 0; x < a.width; ++x, s += 4, d += 4) {
            int32_t sa = s[3];
            if (!kAlphaFamily && sa == 0) continue;
            if (m && m[x * 4 + 3] != 0) sa = applyLayerMask(sa, m + x * 4);
            sa = applyOpacity(sa, a.opacity);
            SourcePixel p{s[0], s[1], s[2], sa, Mode, false};
            if constexpr (kAlphaFamily) alphaFamilyStep(p, Mode, a.sameMode, a.alo);
            const int32_t da = p.copy ? 0 : d[3];
            if (da == 0) {
                if (isTexturizeMode(p.colourMode))
                    writePixel(d, 0, 0, 0, 0, a.keepDstAlpha);
                else
                    writePixel(d, p.r, p.g, p.b, p.a, a.keepDstAlpha);
            } else if (p.a == 0) {
                // nothing left of the source: the destination stays
            } else if (p.a >= kOpaqueColourAlpha && p.colourMode == kModeNormal) {
                writePixel(d, p.r, p.g, p.b, p.a, a.keepDstAlpha);
            } else {
                compositeFloat(p, d, da, a.keepDstAlpha);
            }
        }
    }
}

using RowsFn = void (*)(const KernelArgs&, int32_t, int32_t);

template <size_t... I>
constexpr std::array<RowsFn, sizeof...(I)> makeKernelTable(std::index_sequence<I...>) {
    return {&kernelRows<static_cast<int32_t>(I)>...};
}

constexpr auto kKernelTable = makeKernelTable(std::make_index_sequence<42>());

// Rows of RGBA64 converted at a time by ApplyRGBA32ToLayer.
constexpr int32_t kApplyStripRows = 128;

}  // namespace

void blendKernel(const uint16_t* src, int32_t srcX, int32_t srcY, int32_t width, int32_t height, int32_t srcStride,
                 const uint16_t* mask, uint16_t* dst, int32_t dstX, int32_t dstY, int32_t dstStride, int32_t mode,
                 int32_t maskMode, int32_t opacity, uint8_t keepDstAlpha, uint8_t sameMode) {
    if (!src || !dst || width <= 0 || height <= 0) return;
    if (mode < 0 || mode >= static_cast<int32_t>(kKernelTable.size())) mode = 0;
    KernelArgs a{src,    srcX, srcY, width, srcStride, maskMode == kMaskModeApply ? mask : nullptr,
                 dst,    dstX, dstY, dstStride,        std::max(opacity, 0),  keepDstAlpha != 0,
                 sameMode != 0, engine().core.alphaLayerOpacity};
    const RowsFn rows = kKernelTable[static_cast<size_t>(mode)];
    parallelRows(height, static_cast<int64_t>(width) * height,
                 [&](int32_t, int32_t begin, int32_t end) { rows(a, begin, end); });
}

void applyRGBA32ToLayer(const uint8_t* data, LayerSlot& layer, int32_t mode, int32_t maskMode, int32_t opacity,
                        uint8_t keepDstAlpha) {
    const CoreState& c = engine().core;
    if (!data || !layer.pixels) return;
    // The buffer is canvas-sized; the layer may lag behind a resize, so only
    // the part both cover is blended.
    const int32_t w = std::min(c.canvasWidth, layer.width);
    const int32_t h = std::min(c.canvasHeight, layer.height);
    if (w <= 0 || h <= 0) return;
    const int32_t stripRows = std::min(kApplyStripRows, h);
    UniqueBuffer<uint16_t> strip(allocArray<uint16_t>(static_cast<uint64_t>(w) * stripRows * 4));
    if (!strip) return;
    const size_t dataStride = static_cast<size_t>(c.canvasWidth) * 4;
    for (int32_t top = 0; top < h; top += stripRows) {
        const int32_t rows = std::min(stripRows, h - top);
        for (int32_t y = 0; y < rows; ++y) {
            const uint8_t* in = data + static_cast<size_t>(top + y) * dataStride;
            uint16_t* out = strip.get() + static_cast<size_t>(y) * w * 4;
            for (int32_t i = 0; i < w * 4; ++i) out[i] = static_cast<uint16_t>(in[i] << 8);
        }
        blendKernel(strip.get(), 0, 0, w, rows, w * 4, nullptr, layer.pixels, 0, top, layer.stride, mode, maskMode,
                    opacity, keepDstAlpha, 0);
    }
}

}  // namespace mrv
