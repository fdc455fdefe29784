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

// The floating-point formula table. S and D are premultiplied colours, Sa and
// Da the alphas (all 0..1 scale), lumS the source's mean channel on 0..1.
// Writes the three unclamped X and the unclamped result alpha.
[[gnu::always_inline]] inline void blendFormula(int32_t colourMode, const float S[3], const float D[3], float Sa,
                                                float Da, float lumS, float X[3], float& Ra) {
    Ra = Sa + Da - Sa * Da;
    const float oneMinusSa = 1.0f - Sa;
    const float oneMinusDa = 1.0f - Da;
    switch (colourMode) {
        case 1:
            for (int i = 0; i < 3; ++i) X[i] = S[i] * D[i] + (S[i] * oneMinusDa + D[i] * oneMinusSa);
            break;
        case 2:
            for (int i = 0; i < 3; ++i) X[i] = S[i] + D[i] - S[i] * D[i];
            break;
        case 3:
            for (int i = 0; i < 3; ++i)
                X[i] = D[i] * Sa <= S[i] * Da ? D[i] + S[i] * oneMinusDa : S[i] + D[i] * oneMinusSa;
            break;
        case 4:
            for (int i = 0; i < 3; ++i)
                X[i] = D[i] * Sa >= S[i] * Da ? D[i] + S[i] * oneMinusDa : S[i] + D[i] * oneMinusSa;
            break;
        case 5:
            for (int i = 0; i < 3; ++i) {
                const float a = S[i] * Da, b = D[i] * Sa;
                X[i] = S[i] + D[i] - 2.0f * (a < b ? a : b);
            }
            break;
        case 6:
        case 7:
            for (int i = 0; i < 3; ++i) X[i] = S[i] + D[i] - 2.0f * S[i] * D[i];
            break;
        case 8:
        case 9:
            for (int i = 0; i < 3; ++i) {
                const float rest = S[i] * oneMinusDa + D[i] * oneMinusSa;
                const bool upper = colourMode == 8 ? 2.0f * D[i] >= Da : 2.0f * S[i] >= Sa;
                X[i] = upper ? Sa * Da - 2.0f * (Sa - S[i]) * (Da - D[i]) + rest : 2.0f * S[i] * D[i] + rest;
            }
            break;
        case 10:
            for (int i = 0; i < 3; ++i) {
                const float rest = S[i] * oneMinusDa + D[i] * oneMinusSa;
                const float Dc = D[i] / Da;
                const float twoSminusSa = 2.0f * S[i] - Sa;
                if (2.0f * S[i] < Sa)
                    X[i] = D[i] * (Sa + twoSminusSa * (1.0f - Dc)) + rest;
                else if (8.0f * D[i] <= Da)
                    X[i] = D[i] * (Sa + twoSminusSa * (1.0f - Dc) * (3.0f - 8.0f * Dc)) + rest;
                else
                    X[i] = D[i] * Sa + (std::sqrt(Dc) * Da - D[i]) * twoSminusSa + rest;
            }
            break;
        case 11:
            for (int i = 0; i < 3; ++i) {
                const float rest = S[i] * oneMinusDa + D[i] * oneMinusSa;
                if (S[i] * Da + D[i] * Sa >= Sa * Da)
                    X[i] = Sa * Da + rest;
                else
                    X[i] = D[i] * Sa / (1.0f - S[i] / Sa) + rest;
            }
            break;
        case 12:
            for (int i = 0; i < 3; ++i) {
                const float rest = S[i] * oneMinusDa + D[i] * oneMinusSa;
                if (S[i] * Da + D[i] * Sa <= Sa * Da)
                    X[i] = rest;
                else
                    X[i] = Sa * (S[i] * Da + D[i] * Sa - Sa * Da) / S[i] + rest;
            }
            break;
        case 15:
            for (int i = 0; i < 3; ++i) X[i] = S[i] + D[i];
            Ra = Sa + Da;
            break;
        case 16:
            for (int i = 0; i < 3; ++i) X[i] = S[i] + D[i] - Sa * Da;
            Ra = Sa + Da;
            break;
        case 17: {
            const float Dc0 = D[0] / Da, Dc1 = D[1] / Da, Dc2 = D[2] / Da;
            const float m = (Dc0 + Dc1 + Dc2) / 3.0f + (lumS - 0.5f) * Sa;
            const float lift = 1.75f * Sa * (m - 0.5f);
            X[0] = Dc0 + lift;
            X[1] = Dc1 + lift;
            X[2] = Dc2 + lift;
            Ra = Da;
            break;
        }
        case 18: {
            const float lift = 1.75f * Sa * (lumS - 0.5f);
            for (int i = 0; i < 3; ++i) X[i] = D[i] / Da + lift;
            Ra = Da;
            break;
        }
        case 19:
            for (int i = 0; i < 3; ++i) X[i] = D[i];
            Ra = Da;
            break;
        default:  // Normal, and every mode that composites as Normal
            for (int i = 0; i < 3; ++i) X[i] = S[i] + D[i] * oneMinusSa;
            break;
    }
}

// The source's mean channel on a 0..1 scale, used by the Texturize modes.
inline float sourceLuminance(const SourcePixel& p) {
    return static_cast<float>(p.r + p.g + p.b) / (3.0f * kColourScale);
}

}  // namespace mrv::blend
