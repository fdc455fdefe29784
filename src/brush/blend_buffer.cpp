// The BlendBuffer operations: loading picked-up colour from a canvas-sized
// source, mixing a source into it under the tool's mix mode, tinting it,
// loading it from the MaskPlane for mask painting, and clearing, filling and
// filtering it. The dab renderer reads the buffer and writes remixed colour
// back into it; none of these operations paints the canvas.
//
// Weights: in the copy operations w (0..256) is the share of the brush
// colour and 256 - w that of the source. In mix and tint the weight becomes
// L = min(w * 256, 65535), the source's share in 16 bits. Weights outside
// 0..256 are taken as the nearer end for mixing; only the pre-fill alpha of
// the copy keeps its low-byte rule, (w & 0xFF) * 256.
#include "brush/blend_buffer.h"

#include <algorithm>
#include <cstring>

#include "brush/mix_modes.h"
#include "core/engine_state.h"
#include "core/random.h"
#include "selection/mask_plane.h"

namespace mrv {

namespace {

constexpr uint32_t kFullAlpha = 65535;
constexpr int32_t kFullWeight = 256;

// Mix modes that have their own rule in the buffer mix.
constexpr int32_t kModeMultiply = 33;
constexpr int32_t kModeScreen = 34;
constexpr int32_t kModeSubtract = 48;
constexpr int32_t kModeBankFirst = 249;
constexpr int32_t kModeBankLast = 262;
constexpr int32_t kModePosterize = 295;
constexpr int32_t kModeGreyLevel = 340;

// Filter kinds.
constexpr int32_t kFilterGrey = 289;
constexpr int32_t kFilterInvert = 290;
constexpr int32_t kFilterCutBelow = 291;
constexpr int32_t kFilterLiftAbove = 292;

int32_t clampWeight(int32_t w) { return std::clamp(w, 0, kFullWeight); }

// The 16-bit share of the source in mix and tint.
uint32_t sourceShare(int32_t w) { return std::min<uint32_t>(static_cast<uint32_t>(clampWeight(w)) * 256, 65535); }

bool pickupActive() { return engine().brush.blendStrength != 0; }

uint16_t* bufferPixel(const BlendFootprint& f, int32_t i, int32_t j) {
    const CoreState& c = engine().core;
    return engine().brush.blendBuffer.pixels + static_cast<size_t>(f.skipY + j) * c.brushMaxStride +
           static_cast<size_t>(f.skipX + i) * 4;
}

uint16_t* bufferMaskValue(const BlendFootprint& f, int32_t i, int32_t j) {
    const CoreState& c = engine().core;
    return engine().brush.blendBuffer.pixels + static_cast<size_t>(f.skipY + j) * c.brushMaxStride + f.skipX + i;
}

const uint16_t* canvasPixel(const uint16_t* source, const BlendFootprint& f, int32_t i, int32_t j) {
    const CoreState& c = engine().core;
    return source + static_cast<size_t>(f.top + j) * c.canvasStride + static_cast<size_t>(f.left + i) * 4;
}

// The mask row of the footprint's visible row j, or null when the selection
// does not act (disabled or absent).
const uint16_t* activeMaskRow(const BlendFootprint& f, int32_t j) {
    const EngineState& e = engine();
    if (!e.selection.maskEnabled || !e.selection.maskPlane) return nullptr;
    return e.selection.maskPlane + static_cast<size_t>(f.top + j) * e.core.canvasWidth + f.left;
}

// Source alpha weighted by the selection: a fully open pixel keeps it as it
// is, any other weight m scales it by ((m * 65535) >> 16) / 65535.
uint32_t maskedAlpha(uint32_t sa, const uint16_t* maskRow, int32_t i) {
    if (!maskRow) return sa;
    const uint32_t m = maskRow[i];
    if (m == kFullAlpha) return sa;
    const uint32_t k = (m * 65535u) >> 16;
    return static_cast<uint32_t>(static_cast<double>(sa) * k / 65535.0);
}

uint32_t ceilingOf(uint32_t v) { return std::min(kPickupCeiling, v); }

// Lightness of a pixel's colour as the bank modes measure it.
uint32_t lightnessOf(const uint16_t* p) { return (uint32_t{p[0]} + p[1] + p[2]) / 3; }

// What a bank or level rule picks for the buffer pixel.
enum class BankPick { Brush, Bank0, Bank1, Bank2, Bank3, Source, Keep, Blend01, Blend12, Quantize4, Quantize3 };

BankPick bankRule(int32_t mode, uint32_t l) {
    switch (mode) {
        case 249:
            return l < 32767 ? BankPick::Bank0 : BankPick::Bank1;
        case 250:
            return l < 21845 ? BankPick::Bank0 : l < 43690 ? BankPick::Bank1 : BankPick::Bank2;
        case 251:
            return l < 16383   ? BankPick::Bank0
                   : l < 32767 ? BankPick::Bank1
                   : l < 49151 ? BankPick::Bank2
                               : BankPick::Bank3;
        case 252:
            return l < 32767 ? BankPick::Blend01 : BankPick::Blend12;
        case 253:
            nextRandom();  // drawn and discarded, as the dab renderer does
            return l < 32767 ? BankPick::Bank0 : BankPick::Source;
        case 254:
            nextRandom();
            return l > 32767 ? BankPick::Bank0 : BankPick::Source;
        case 255:
            return l < 20479 ? BankPick::Bank0 : l > 49151 ? BankPick::Bank1 : BankPick::Brush;
        case 256:
            return l < 20479 ? BankPick::Keep : BankPick::Brush;
        case 257:
            return l > 49151 ? BankPick::Keep : BankPick::Brush;
        case 258:
            return l < 20479 ? BankPick::Keep : l <= 49151 ? BankPick::Brush : BankPick::Keep;
        case 259:
            return l > 12287 ? BankPick::Keep : BankPick::Bank0;
        case 260:
            return l >= 57343 ? BankPick::Bank0 : BankPick::Keep;
        case 261:
            return BankPick::Quantize4;
        case 262:
            return BankPick::Quantize3;
        default:
            return BankPick::Brush;
    }
}

uint32_t quantize4(uint32_t c) { return c < 10922 ? 0 : c < 32767 ? 21845 : c < 54613 ? 43690 : 65535; }
uint32_t quantize3(uint32_t c) { return c < 21845 ? 0 : c < 43690 ? 32767 : 65535; }

}  // namespace

bool blendFootprint(int32_t x, int32_t y, BlendFootprint& f) {
    const EngineState& e = engine();
    const CoreState& c = e.core;
    if (!e.brush.blendBuffer.pixels || c.brushMaxSize <= 0) return false;
    const int32_t size = std::min(e.brush.brushSize, c.brushMaxSize);
    if (size < 1) return false;
    // 64-bit edges: a centre near the ends of the int32 range must not wrap.
    const int64_t h = size / 2;
    int64_t left = static_cast<int64_t>(x) - h;
    int64_t top = static_cast<int64_t>(y) - h;
    int64_t right = left + size - 1;
    int64_t bottom = top + size - 1;
    f.size = size;
    f.skipX = 0;
    f.skipY = 0;
    f.clipped = false;
    if (left < 0) {
        f.skipX = static_cast<int32_t>(std::min<int64_t>(-left, size));
        left = 0;
        f.clipped = true;
    }
    if (top < 0) {
        f.skipY = static_cast<int32_t>(std::min<int64_t>(-top, size));
        top = 0;
        f.clipped = true;
    }
    if (right > static_cast<int64_t>(c.canvasWidth) - 1) {
        right = static_cast<int64_t>(c.canvasWidth) - 1;
        f.clipped = true;
    }
    if (bottom > static_cast<int64_t>(c.canvasHeight) - 1) {
        bottom = static_cast<int64_t>(c.canvasHeight) - 1;
        f.clipped = true;
    }
    f.left = static_cast<int32_t>(std::min<int64_t>(left, INT32_MAX));
    f.top = static_cast<int32_t>(std::min<int64_t>(top, INT32_MAX));
    f.width = static_cast<int32_t>(std::max<int64_t>(right - left + 1, 0));
    f.height = static_cast<int32_t>(std::max<int64_t>(bottom - top + 1, 0));
    if (f.width == 0 || f.height == 0) f.width = f.height = 0;
    return true;
}

void blendBufferCopy(int32_t x, int32_t y, const uint16_t* source, int32_t weight, int32_t flag) {
    if (!pickupActive() || !source) return;
    BlendFootprint f;
    if (!blendFootprint(x, y, f)) return;
    const BrushState& b = engine().brush;
    const uint32_t colour[4] = {b.brushColor[0], b.brushColor[1], b.brushColor[2], b.brushColor[3]};
    const bool keepColour = (flag & 0xFF) != 0;
    // Low bytes of the raw weight, taken in unsigned arithmetic so that no
    // weight can overflow: 256 gives alpha 0, as does 0 with the flag set.
    const uint32_t rawWeight = static_cast<uint32_t>(weight);
    const uint32_t emptyByte = keepColour ? (256u - rawWeight) & 0xFFu : rawWeight & 0xFFu;
    const uint16_t emptyAlpha = static_cast<uint16_t>(emptyByte * 256);

    if (f.clipped) {
        // Where the square leaves the canvas the brush carries its own colour.
        const int32_t stride = engine().core.brushMaxStride;
        const uint16_t fillAlpha = static_cast<uint16_t>((rawWeight & 0xFFu) * 256);
        for (int32_t row = 0; row < f.size; ++row) {
            uint16_t* p = b.blendBuffer.pixels + static_cast<size_t>(row) * stride;
            for (int32_t col = 0; col < f.size; ++col, p += 4) {
                if (keepColour) {
                    p[3] = static_cast<uint16_t>(kFullAlpha);
                } else {
                    p[0] = static_cast<uint16_t>(colour[0]);
                    p[1] = static_cast<uint16_t>(colour[1]);
                    p[2] = static_cast<uint16_t>(colour[2]);
                    p[3] = fillAlpha;
                }
            }
        }
    }

    const uint32_t w = static_cast<uint32_t>(clampWeight(weight));
    const uint32_t sourceW = kFullWeight - w;
    for (int32_t j = 0; j < f.height; ++j) {
        const uint16_t* maskRow = activeMaskRow(f, j);
        const uint16_t* s = canvasPixel(source, f, 0, j);
        uint16_t* p = bufferPixel(f, 0, j);
        for (int32_t i = 0; i < f.width; ++i, s += 4, p += 4) {
            const uint32_t sa = maskedAlpha(s[3], maskRow, i);
            if (sa == 0) {
                p[0] = static_cast<uint16_t>(colour[0]);
                p[1] = static_cast<uint16_t>(colour[1]);
                p[2] = static_cast<uint16_t>(colour[2]);
                p[3] = emptyAlpha;
                continue;
            }
            for (int ch = 0; ch < 3; ++ch)
                p[ch] = static_cast<uint16_t>(ceilingOf(((s[ch] * sourceW + colour[ch] * w) >> 8) + 1));
            p[3] = static_cast<uint16_t>((sa * sourceW + colour[3] * w) >> 8);
        }
    }
}

void blendMixModeColour(int32_t mode, const uint16_t* p, const uint16_t* s, uint32_t* f, uint32_t& fa) {
    fa = p[3];
    if (mode == kModeMultiply) {
        for (int ch = 0; ch < 3; ++ch) f[ch] = (uint32_t{p[ch]} * s[ch]) >> 16;
        return;
    }
    if (mode >= kModeScreen && mode <= kModeSubtract) {
        // The dab's mode functions, with the buffer colour as the brush (C)
        // and the source as the target (D).
        for (int ch = 0; ch < 3; ++ch) f[ch] = static_cast<uint32_t>(blendModeFunction(mode, p[ch], s[ch]));
        return;
    }
    if (mode >= kModeBankFirst && mode <= kModeBankLast) {
        const uint16_t(&banks)[4][4] = engine().brush.colorBanks;
        const uint32_t l = lightnessOf(p);
        const BankPick pick = bankRule(mode, l);
        for (int ch = 0; ch < 3; ++ch) {
            switch (pick) {
                case BankPick::Brush: f[ch] = p[ch]; break;
                case BankPick::Bank0: f[ch] = banks[0][ch]; break;
                case BankPick::Bank1: f[ch] = banks[1][ch]; break;
                case BankPick::Bank2: f[ch] = banks[2][ch]; break;
                case BankPick::Bank3: f[ch] = banks[3][ch]; break;
                case BankPick::Source:
                case BankPick::Keep: f[ch] = s[ch]; break;
                case BankPick::Blend01: {
                    const uint32_t t = (2 * l) >> 8;
                    f[ch] = (uint32_t{banks[1][ch]} * t + uint32_t{banks[0][ch]} * (256 - t)) >> 8;
                    break;
                }
                case BankPick::Blend12: {
                    const uint32_t t = (2 * l - 65534) >> 8;
                    f[ch] = (uint32_t{banks[2][ch]} * t + uint32_t{banks[1][ch]} * (256 - t)) >> 8;
                    break;
                }
                case BankPick::Quantize4: f[ch] = quantize4(p[ch]); break;
                case BankPick::Quantize3: f[ch] = quantize3(p[ch]); break;
            }
        }
        if (pick == BankPick::Keep) fa = s[3];
        return;
    }
    if (mode == kModePosterize) {
        const uint32_t n = static_cast<uint32_t>(engine().brush.mixShift) & 31u;
        for (int ch = 0; ch < 3; ++ch) f[ch] = (uint32_t{p[ch]} >> n) << n;
        return;
    }
    if (mode == kModeGreyLevel) {
        f[0] = f[1] = f[2] = 32767;
        fa = lightnessOf(p);
        return;
    }
    // 32 ("Normal") and every mode without a rule of its own keep the buffer.
    for (int ch = 0; ch < 3; ++ch) f[ch] = p[ch];
}

void blendBufferMix(int32_t x, int32_t y, const uint16_t* source, int32_t weight) {
    if (!pickupActive() || !source) return;
    BlendFootprint f;
    if (!blendFootprint(x, y, f)) return;
    const int32_t mode = engine().brush.mixMode;
    const uint64_t l = sourceShare(weight);
    const uint64_t keep = 65536 - l;
    for (int32_t j = 0; j < f.height; ++j) {
        const uint16_t* maskRow = activeMaskRow(f, j);
        const uint16_t* s = canvasPixel(source, f, 0, j);
        uint16_t* p = bufferPixel(f, 0, j);
        for (int32_t i = 0; i < f.width; ++i, s += 4, p += 4) {
            const uint32_t sa = maskedAlpha(s[3], maskRow, i);
            if (sa == 0) {
                p[3] = static_cast<uint16_t>((keep * p[3]) >> 16);
                continue;
            }
            if (l == 0) continue;
            if (p[3] == 0) {
                for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint16_t>(ceilingOf(s[ch]));
                p[3] = static_cast<uint16_t>(sa);
                continue;
            }
            uint32_t fc[3];
            uint32_t fa;
            blendMixModeColour(mode, p, s, fc, fa);
            for (int ch = 0; ch < 3; ++ch) {
                const uint64_t v = (((fc[ch] * keep) >> 8) + ((s[ch] * l) >> 8)) >> 8;
                p[ch] = static_cast<uint16_t>(std::min<uint64_t>(kPickupCeiling, v + 1));
            }
            p[3] = static_cast<uint16_t>((((fa * keep) >> 8) + ((sa * l) >> 8)) >> 8);
        }
    }
}

void blendBufferTint(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t weight) {
    if (!pickupActive()) return;
    BlendFootprint f;
    if (!blendFootprint(x, y, f)) return;
    // 8-bit colour arguments: only their low byte counts.
    const uint64_t tint[3] = {static_cast<uint64_t>(r & 0xFF) * 256, static_cast<uint64_t>(g & 0xFF) * 256,
                              static_cast<uint64_t>(b & 0xFF) * 256};
    const uint64_t l = sourceShare(weight);
    const uint64_t keep = 65536 - l;
    for (int32_t j = 0; j < f.height; ++j) {
        uint16_t* p = bufferPixel(f, 0, j);
        for (int32_t i = 0; i < f.width; ++i, p += 4) {
            if (p[3] == 0) {
                for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint16_t>(std::min<uint64_t>(kPickupCeiling, tint[ch]));
                continue;
            }
            for (int ch = 0; ch < 3; ++ch) {
                const uint64_t v = (((p[ch] * keep) >> 8) + ((tint[ch] * l) >> 8)) >> 8;
                p[ch] = static_cast<uint16_t>(std::min<uint64_t>(kPickupCeiling, v + 1));
            }
        }
    }
}

void blendBufferCopyMask(int32_t x, int32_t y, int32_t weight) {
    if (!pickupActive()) return;
    const EngineState& e = engine();
    if (!e.selection.maskPlane) return;
    BlendFootprint f;
    if (!blendFootprint(x, y, f)) return;
    const uint16_t* colour = e.brush.brushColor;
    const uint32_t m0 = greyToMask((uint32_t{colour[0]} + colour[1] + colour[2]) / 3);
    if (f.clipped) {
        const int32_t stride = e.core.brushMaxStride;
        for (int32_t row = 0; row < f.size; ++row) {
            uint16_t* v = e.brush.blendBuffer.pixels + static_cast<size_t>(row) * stride;
            std::fill(v, v + f.size, static_cast<uint16_t>(m0));
        }
    }
    const uint32_t w = static_cast<uint32_t>(clampWeight(weight));
    const uint32_t sourceW = kFullWeight - w;
    for (int32_t j = 0; j < f.height; ++j) {
        // Mask painting reads the plane whether or not the selection acts.
        const uint16_t* m = e.selection.maskPlane + static_cast<size_t>(f.top + j) * e.core.canvasWidth + f.left;
        uint16_t* v = bufferMaskValue(f, 0, j);
        for (int32_t i = 0; i < f.width; ++i)
            v[i] = static_cast<uint16_t>(ceilingOf(((m[i] * sourceW + m0 * w) >> 8) + 1));
    }
}

void blendBufferClear() { blendBufferFill(0); }

void blendBufferFill(int32_t low) {
    const EngineState& e = engine();
    if (!e.brush.blendBuffer.pixels || e.core.brushMaxSize <= 0) return;
    const size_t side = static_cast<size_t>(e.core.brushMaxSize);
    std::memset(e.brush.blendBuffer.pixels, low & 0xFF, 2 * side * side);
}

void blendBufferFilter(int32_t kind, int32_t levelPercent) {
    const EngineState& e = engine();
    if (!e.brush.blendBuffer.pixels) return;
    const int32_t size = std::min(e.brush.brushSize, e.core.brushMaxSize);
    if (size < 1) return;
    if (kind < kFilterGrey || kind > kFilterLiftAbove) return;
    const int64_t edge = static_cast<int64_t>(levelPercent * 655.35);
    for (int32_t row = 0; row < size; ++row) {
        uint16_t* p = e.brush.blendBuffer.pixels + static_cast<size_t>(row) * e.core.brushMaxStride;
        for (int32_t col = 0; col < size; ++col, p += 4) {
            switch (kind) {
                case kFilterGrey: {
                    const uint16_t grey = static_cast<uint16_t>(lightnessOf(p));
                    p[0] = p[1] = p[2] = grey;
                    break;
                }
                case kFilterInvert:
                    for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint16_t>(65535 - p[ch]);
                    break;
                case kFilterCutBelow:
                    for (int ch = 0; ch < 3; ++ch)
                        if (p[ch] < edge) p[ch] = 0;
                    break;
                case kFilterLiftAbove:
                    for (int ch = 0; ch < 3; ++ch)
                        if (p[ch] > edge) p[ch] = static_cast<uint16_t>(kPickupCeiling);
                    break;
            }
        }
    }
}

namespace {

// A layer's pixels when they are laid out like the canvas; the footprint is
// clipped to the canvas, so anything smaller would be read past its end.
const uint16_t* canvasSizedPixels(const LayerSlot* s) {
    const CoreState& c = engine().core;
    if (!s || !s->pixels || s->width != c.canvasWidth || s->height != c.canvasHeight || s->stride != c.canvasStride)
        return nullptr;
    return s->pixels;
}

}  // namespace

const uint16_t* blendSourceSurface() { return canvasSizedPixels(engine().core.currentLayer); }

const uint16_t* blendSourceLayer(int32_t n) {
    if (!isLayerNumber(n)) return nullptr;
    return canvasSizedPixels(&engine().core.layers[n]);
}

const uint16_t* blendSourceHistory() { return engine().undo.undoBackBuffer; }

const uint16_t* blendSourceTrace() {
    const CoreState& c = engine().core;
    return canvasSizedPixels(c.traceLayer ? c.traceLayer : &c.layers[0]);
}

}  // namespace mrv
