// The per-pixel arithmetic shared by the blend kernel (16-bit destination)
// and the view renderer (floating-point accumulator): the source preparation
// (layer mask, opacity, the Alpha-family reshaping) and the single-precision
// formula table of the blend modes. Both callers must agree to the last bit,
// so the arithmetic lives here once.
#pragma once

#include <cmath>
#include <cstdint>

namespace mrv::blend {

// Colour is measured against the 16-bit image of 8-bit 255; alpha against 65535.
constexpr float kColourScale = 65280.0f;
constexpr float kAlphaScale = 65535.0f;
constexpr int32_t kOpaqueColourAlpha = 65280;  // sa at or above this counts as opaque for Normal
constexpr int32_t kFullOpacity = 255;          // layer opacity 255 and above means full
constexpr int32_t kLastPlainMode = 20;         // modes above this are the Alpha family
constexpr int32_t kHalf = 32767;
constexpr int32_t kCutLow = 8191;   // Alpha Smooth cuts: coverage below this disappears
constexpr int32_t kRampTop = 9215;  // Alpha Smooth Lum4/5: the ramp runs from kCutLow to here
constexpr int32_t kHighlightCut = 32512;
constexpr int32_t kTintCut = 12287;

constexpr int32_t kModeNormal = 0;
constexpr int32_t kModeMultiply = 1;
constexpr int32_t kModeTexturize = 17;
constexpr int32_t kModeTexturize2 = 18;
constexpr int32_t kModeTexturize3Colour = 19;

// a / 65535 in single precision for every 16-bit alpha, filled once by the
// same division, so a lookup gives exactly what dividing would.
struct AlphaTable {
    float v[65536];
    AlphaTable() {
        for (int32_t a = 0; a < 65536; ++a) v[a] = static_cast<float>(a) / kAlphaScale;
    }
};
inline const AlphaTable kAlphaOf{};

inline float alphaOf(int32_t a) { return kAlphaOf.v[a]; }

// True for the modes that draw nothing over a transparent destination.
inline bool isTexturizeMode(int32_t m) { return m >= kModeTexturize && m <= kModeTexturize3Colour; }

// A source pixel on its way through steps 2..4 of compositing.
struct SourcePixel {
    int32_t r, g, b, a;
    int32_t colourMode;
    bool copy;  // the destination counts as transparent for this pixel
};

// Layer-mask weighting: the mask's mean grey scales the coverage. The mean is
// an integer division before the shift, as stored pictures expect.
inline int32_t applyLayerMask(int32_t sa, const uint16_t* maskPixel) {
    const uint32_t grey = (uint32_t{maskPixel[0]} + maskPixel[1] + maskPixel[2]) / 3;
    return static_cast<int32_t>((grey * static_cast<uint32_t>(sa)) >> 16);
}

// Layer opacity 0..254 scales by (opacity + 1) / 256, so 0 still leaves sa >> 8.
inline int32_t applyOpacity(int32_t sa, int32_t opacity) {
    if (opacity >= kFullOpacity) return sa;
    return ((opacity + 1) * sa) >> 8;
}

// Shade rule of Alpha Shader Color: darkens below the half, lightens above.
inline int32_t shadeChannel(int32_t c, int32_t sa) {
    if (sa < kHalf) {
        const int32_t v = c - 2 * (kHalf - sa);
        return v < 0 ? 0 : v;
    }
    const int32_t v = c + 2 * sa - 65534;
    return v > 65535 ? 65535 : v;
}

inline int32_t lightenChannel(int32_t c, int32_t sa) {
    const int32_t v = c + 2 * sa - 65534;
    return v > 65535 ? 65535 : v;
}

// Tone rule of the Alpha Smooth Lum modes (single precision, truncated).
inline void toneColour(SourcePixel& p, int32_t pivot, float lightenDiv, float darkenDiv) {
    const int32_t sa = p.a;
    int32_t* ch[3] = {&p.r, &p.g, &p.b};
    if (sa > pivot) {
        const float k = static_cast<float>(sa - pivot) / lightenDiv;
        for (int32_t* c : ch) *c = static_cast<int32_t>(static_cast<float>(*c) + static_cast<float>(65535 - *c) * k);
    } else {
        const float k = static_cast<float>(pivot - sa) / darkenDiv;
        for (int32_t* c : ch) *c = static_cast<int32_t>(static_cast<float>(*c) - static_cast<float>(*c) * k);
    }
}

inline int32_t smoothCut(int32_t sa, int32_t alo) {
    if (sa < kCutLow) return 0;  // 0 stays 0
    return alo;
}

inline int32_t rampCut(int32_t sa, int32_t alo) {
    if (sa < kCutLow) return 0;
    if (sa < kRampTop) {
        const int32_t v = (kRampTop - sa) * 64;
        return 65535 - (v > 65535 ? 65535 : v);
    }
    return alo;
}

// The Alpha-family step (modes 21..41) on a pixel whose mask and opacity have
// been applied. alo is the alpha-layer opacity read when compositing started.
inline void alphaFamilyStep(SourcePixel& p, int32_t mode, bool sameMode, int32_t alo) {
    int32_t& sa = p.a;
    auto copyIfCovered = [&] {
        if (sa > 0) p.copy = true;
    };
    switch (mode) {
        case 21:
            if (sameMode) copyIfCovered();
            else if (sa > 0) sa = alo;
            break;
        case 22:
            if (sameMode) copyIfCovered();
            else {
                // Inverts coverage: transparent source pixels become opaque white.
                sa = 65535 - sa;
                p.r = p.g = p.b = 65535;
            }
            break;
        case 23:
        case 37:
            if (sameMode) copyIfCovered();
            else if (sa > 0 && sa < kOpaqueColourAlpha) {
                p.r = p.g = p.b = 0;
                sa = alo;
            }
            break;
        case 24:
        case 25:
            if (sameMode) copyIfCovered();
            else if (sa > 0 && sa < kTintCut) sa = 65535 - sa;
            else if (sa >= kTintCut) sa = alo;
            break;
        case 26:
            if (sameMode) copyIfCovered();
            else if (sa > 0) sa = 65535 - sa;
            break;
        case 27:
            if (sameMode) copyIfCovered();
            else if (sa > 0) {
                p.r = p.g = p.b = sa;
                sa = alo;
            }
            break;
        case 28:
        case 29:
            if (sameMode) copyIfCovered();
            else if (sa > 0) {
                p.r = shadeChannel(p.r, sa);
                p.g = shadeChannel(p.g, sa);
                p.b = shadeChannel(p.b, sa);
                sa = alo;
                if (mode == 29) p.colourMode = kModeTexturize2;
            }
            break;
        case 30:
            if (sameMode) copyIfCovered();
            else if (sa > 0 && sa < kHalf) {
                const int32_t v = sa - 2 * (kHalf - sa);
                sa = v < 0 ? 0 : v;
                p.colourMode = kModeTexturize2;
            } else if (sa >= kHalf) {
                p.r = lightenChannel(p.r, sa);
                p.g = lightenChannel(p.g, sa);
                p.b = lightenChannel(p.b, sa);
                sa = alo;
                p.colourMode = kModeTexturize2;
            }
            break;
        case 31:
            if (sameMode) copyIfCovered();
            else if (sa > 0 && sa < kHalf) {
                const int32_t v = sa - 4 * (kHalf - sa);
                sa = v < 0 ? 0 : v;
            } else if (sa >= kHalf) {
                sa = alo;
            }
            break;
        case 32:
        case 33:
        case 34:
            if (sameMode) {
                if (sa < kCutLow) sa = 0;
                else copyIfCovered();
            } else {
                if (mode == 32) toneColour(p, kHalf, 32767.0f, 32767.0f);
                else if (mode == 33) toneColour(p, kHalf, 32767.0f, 65535.0f);
                else toneColour(p, 36862, 28672.0f, 30000.0f);
                sa = smoothCut(sa, alo);
            }
            break;
        case 35:
        case 36:
            if (sameMode) {
                if (sa < kCutLow) sa = 0;
                else if (sa < kRampTop) p.colourMode = kModeMultiply;
                else copyIfCovered();
            } else {
                if (mode == 35) toneColour(p, 36862, 28672.0f, 30000.0f);
                else toneColour(p, kHalf, 32767.0f, 32767.0f);
                sa = rampCut(sa, alo);
            }
            break;
        case 38:
            if (sameMode) {
                if (sa <= kHighlightCut) sa = 0;
                else copyIfCovered();
            } else if (sa > kHighlightCut) {
                sa = 0;
            }
            break;
        case 39:
            sa = 0;  // a mask layer draws nothing itself
            break;
        case 40:
            sa = (p.r + p.g + p.b) / 3;
            p.r = p.g = p.b = 65535;
            break;
        case 41:
            sa = 65535 - (p.r + p.g + p.b) / 3;
            p.r = p.g = p.b = 0;
            break;
        default:
            break;
    }
}

// NaN-safe clamp to 0..1 (a NaN becomes 0).
inline float clamp01(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

// Four single-precision lanes: red, green, blue and a spare. Every lane-wise
// operation is the same IEEE operation as its scalar form, so the lanes give
// bit for bit what three scalar channel computations would.
typedef float Float4 __attribute__((vector_size(16)));
typedef int32_t Int4 __attribute__((vector_size(16)));

inline Float4 splat(float v) { return Float4{v, v, v, v}; }

inline Float4 clamp01(Float4 v) {
    const Float4 zero = splat(0.0f), one = splat(1.0f);
    const Float4 upper = v < one ? v : one;
    return v > zero ? upper : zero;
}

// Premultiplied colour of 16-bit channels: channel * alpha / 65280, lane by lane.
inline Float4 premultiply(int32_t r, int32_t g, int32_t b, float alpha) {
    const Float4 c{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 0.0f};
    return c * alpha / kColourScale;
}

inline Float4 sqrtLanes(Float4 v) { return Float4{std::sqrt(v[0]), std::sqrt(v[1]), std::sqrt(v[2]), 0.0f}; }

// The floating-point formula table. S and D are premultiplied colours, Sa and
// Da the alphas (all 0..1 scale), lumS the source's mean channel on 0..1.
// Returns the unclamped X per channel and sets the unclamped result alpha.
// Where a mode has branches both sides are computed and the lane picks one;
// the side not taken may hold an infinity, which is never used.
[[gnu::always_inline]] inline Float4 blendFormula(int32_t colourMode, Float4 S, Float4 D, float Sa, float Da,
                                                  float lumS, float& Ra) {
    Ra = Sa + Da - Sa * Da;
    const Float4 sa = splat(Sa), da = splat(Da);
    const Float4 oneMinusSa = splat(1.0f - Sa);
    const Float4 oneMinusDa = splat(1.0f - Da);
    switch (colourMode) {
        case 1:
            return S * D + (S * oneMinusDa + D * oneMinusSa);
        case 2:
            return S + D - S * D;
        case 3:
            return D * sa <= S * da ? D + S * oneMinusDa : S + D * oneMinusSa;
        case 4:
            return D * sa >= S * da ? D + S * oneMinusDa : S + D * oneMinusSa;
        case 5: {
            const Float4 a = S * da, b = D * sa;
            return S + D - 2.0f * (a < b ? a : b);
        }
        case 6:
        case 7:
            return S + D - 2.0f * S * D;
        case 8:
        case 9: {
            const Float4 rest = S * oneMinusDa + D * oneMinusSa;
            const Float4 upper = sa * da - 2.0f * (sa - S) * (da - D) + rest;
            const Float4 lower = 2.0f * S * D + rest;
            return (colourMode == 8 ? 2.0f * D >= da : 2.0f * S >= sa) ? upper : lower;
        }
        case 10: {
            const Float4 rest = S * oneMinusDa + D * oneMinusSa;
            const Float4 Dc = D / da;
            const Float4 twoSminusSa = 2.0f * S - sa;
            const Float4 dark = D * (sa + twoSminusSa * (1.0f - Dc)) + rest;
            const Float4 mid = D * (sa + twoSminusSa * (1.0f - Dc) * (3.0f - 8.0f * Dc)) + rest;
            const Float4 light = D * sa + (sqrtLanes(Dc) * da - D) * twoSminusSa + rest;
            return 2.0f * S < sa ? dark : (8.0f * D <= da ? mid : light);
        }
        case 11: {
            const Float4 rest = S * oneMinusDa + D * oneMinusSa;
            const Float4 full = sa * da + rest;
            const Float4 part = D * sa / (1.0f - S / sa) + rest;
            return S * da + D * sa >= sa * da ? full : part;
        }
        case 12: {
            const Float4 rest = S * oneMinusDa + D * oneMinusSa;
            const Float4 part = sa * (S * da + D * sa - sa * da) / S + rest;
            return S * da + D * sa <= sa * da ? rest : part;
        }
        case 15:
            Ra = Sa + Da;
            return S + D;
        case 16:
            Ra = Sa + Da;
            return S + D - sa * da;
        case 17: {
            const Float4 Dc = D / da;
            const float m = (Dc[0] + Dc[1] + Dc[2]) / 3.0f + (lumS - 0.5f) * Sa;
            Ra = Da;
            return Dc + splat(1.75f * Sa * (m - 0.5f));
        }
        case 18:
            Ra = Da;
            return D / da + splat(1.75f * Sa * (lumS - 0.5f));
        case 19:
            Ra = Da;
            return D;
        default:  // Normal, and every mode that composites as Normal
            return S + D * oneMinusSa;
    }
}

// The source's mean channel on a 0..1 scale, used by the Texturize modes.
inline float sourceLuminance(const SourcePixel& p) {
    return static_cast<float>(p.r + p.g + p.b) / (3.0f * kColourScale);
}

}  // namespace mrv::blend
