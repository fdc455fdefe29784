// Mode colours of the dab's mix modes above 33: the layer-style functions
// 34..48, the bank and level modes 249..262, posterize (295) and the grey
// alpha mode (340). Operands keep the order and widths the results depend
// on: products of two channels reach 32 bits, so they are taken in 64.
#include "brush/mix_modes.h"

#include <cmath>
#include <cstdlib>

#include "core/random.h"

namespace mrv {

namespace {

// Lightness limits of the level modes: quarters, thirds and the shadow and
// highlight bands of the 0..65535 range.
constexpr int32_t kThird = 21845;
constexpr int32_t kTwoThirds = 43690;
constexpr int32_t kQuarter = 16383;
constexpr int32_t kThreeQuarters = 49151;
constexpr int32_t kShadow = 20479;
constexpr int32_t kHighlight = 49151;
constexpr int32_t kDeepShadow = 12287;
constexpr int32_t kBrightHighlight = 57343;

}  // namespace

MixFamily mixFamilyOf(int32_t mode) {
    if (mode == kMixNormal) return MixFamily::Normal;
    if (mode < kMixNormal || mode == kMixMultiply) return MixFamily::Multiply;
    if ((mode >= kMixFirstBlendMode && mode <= kMixLastBlendMode) || (mode >= kMixFirstBank && mode <= kMixLastBank) ||
        mode == kMixPosterize || mode == kMixGrey)
        return MixFamily::Mode;
    return MixFamily::Normal;
}

int32_t blendModeFunction(int32_t mode, int32_t c, int32_t d) {
    const int64_t C = c;
    const int64_t D = d;
    switch (mode) {
        case 34:  // "Screen"
            return static_cast<int32_t>(kChannelMax - (((kChannelMax - D) * (kChannelMax - C)) >> 16));
        case 35:  // "Darken"
            return d < c ? d : c;
        case 36:  // "Lighten"
            return d > c ? d : c;
        case 37:  // "Difference"
            return std::abs(d - c);
        case 38:  // "Negation"
            return kChannelMax - std::abs(kChannelMax - d - c);
        case 39:  // "Exclusion"
            return static_cast<int32_t>(D - ((D * C) >> 15) + C);
        case 40:  // "Overlay": the target decides between multiply and screen
            if (d < kChannelHalf) return static_cast<int32_t>((D * C) >> 15);
            return static_cast<int32_t>(kChannelMax - (((kChannelMax - D) * (kChannelMax - C)) >> 15));
        case 41:  // "Hard Light": the brush decides
            if (c < kChannelHalf) return static_cast<int32_t>((D * C) >> 15);
            return static_cast<int32_t>(kChannelMax - (((kChannelMax - D) * (kChannelMax - C)) >> 15));
        case 42: {  // "Soft Light", the one floating-point mode
            const double cf = c / 65535.0;
            const double df = d / 65535.0;
            double result;
            if (cf < 0.5)
                result = df * (2 * cf + (1 - 2 * cf) * df);
            else
                result = 2 * df * (1 - cf) + std::sqrt(df) * (2 * cf - 1);
            return static_cast<int32_t>(result * 65535);
        }
        case 43:  // "Dodge"
            if (c < kChannelMax) {
                const int64_t v = D * 65536 / (kChannelMax - C);
                return static_cast<int32_t>(v < kChannelMax ? v : kChannelMax);
            }
            return kChannelMax;
        case 44: {  // "Burn"
            if (c == 0) return 0;
            const int64_t v = kChannelMax - (kChannelMax - D) * 65536 / C;
            return static_cast<int32_t>(v > 0 ? v : 0);
        }
        case 45:  // "Reflect"
            if (c < kChannelMax) {
                const int64_t v = D * D / (kChannelMax - C);
                return static_cast<int32_t>(v < kChannelMax ? v : kChannelMax);
            }
            return kChannelMax;
        case 46:  // "Glow"
            if (d < kChannelMax) {
                const int64_t v = C * C / (kChannelMax - D);
                return static_cast<int32_t>(v < kChannelMax ? v : kChannelMax);
            }
            return kChannelMax;
        case 47: {  // "Add"
            const int32_t v = d + c;
            return v < kChannelMax ? v : kChannelMax;
        }
        case 48: {  // "Subtract"
            const int32_t v = d + c - kChannelMax;
            return v > 0 ? v : 0;
        }
        default:
            return c;
    }
}

namespace {

// What the function of a bank or level mode yields for the whole pixel.
enum class BankChoice { Bank, Brush, Keep, Target, Blend252, Quantise4, Quantise3 };

// Mixes the mode function F with the brush colour by the mix amount.
inline int32_t mixWithBrush(const MixParams& p, int32_t c, int64_t f) {
    const int64_t v = (((static_cast<int64_t>(p.mixInverse) * c) >> 4) + ((p.mixAmount * f) >> 4)) >> 4;
    return clampChannel(v);
}

}  // namespace

ModeColour modeColour(const MixParams& p, const int32_t c[4], const int32_t dp[3], int32_t da) {
    ModeColour out{};
    out.alpha = c[3];
    const int32_t mode = p.mode;

    if (mode >= kMixFirstBlendMode && mode <= kMixLastBlendMode) {
        for (int i = 0; i < 3; ++i) out.o[i] = mixWithBrush(p, c[i], blendModeFunction(mode, c[i], dp[i]));
        return out;
    }
    if (mode == kMixPosterize) {
        // No mixing: the brush colour loses its low bits. A negative shift
        // count wraps into 0..31 through its low five bits.
        const int n = p.mixShift & 31;
        for (int i = 0; i < 3; ++i)
            out.o[i] = static_cast<int32_t>((static_cast<uint32_t>(c[i]) >> n) << n);
        return out;
    }

    const int32_t lum = (c[0] + c[1] + c[2]) / 3;
    if (mode == kMixGrey) {
        for (int i = 0; i < 3; ++i) out.o[i] = kChannelHalf;
        out.alpha = lum;
        out.greyTarget = true;
        return out;
    }

    BankChoice choice = BankChoice::Brush;
    int bank = 0;
    switch (mode) {
        case 249:
            choice = BankChoice::Bank;
            bank = lum < kChannelHalf ? 0 : 1;
            break;
        case 250:
            choice = BankChoice::Bank;
            bank = lum < kThird ? 0 : lum < kTwoThirds ? 1 : 2;
            break;
        case 251:
            choice = BankChoice::Bank;
            bank = lum < kQuarter ? 0 : lum < kChannelHalf ? 1 : lum < kThreeQuarters ? 2 : 3;
            break;
        case 252:
            choice = BankChoice::Blend252;
            break;
        case 253:
            // The draw is kept even though its value is not used: it moves
            // the random sequence, and strokes must repeat exactly.
            (void)nextRandom();
            choice = lum < kChannelHalf ? BankChoice::Bank : BankChoice::Target;
            break;
        case 254:
            (void)nextRandom();
            choice = lum > kChannelHalf ? BankChoice::Bank : BankChoice::Target;
            break;
        case 255:
            if (lum < kShadow) {
                choice = BankChoice::Bank;
            } else if (lum > kHighlight) {
                choice = BankChoice::Bank;
                bank = 1;
            }
            break;
        case 256:
            if (lum < kShadow) choice = BankChoice::Keep;
            break;
        case 257:
            if (lum > kHighlight) choice = BankChoice::Keep;
            break;
        case 258:
            if (lum < kShadow || lum > kHighlight) choice = BankChoice::Keep;
            break;
        case 259:
            choice = lum > kDeepShadow ? BankChoice::Keep : BankChoice::Bank;
            break;
        case 260:
            choice = lum >= kBrightHighlight ? BankChoice::Bank : BankChoice::Keep;
            break;
        case 261:
            choice = BankChoice::Quantise4;
            break;
        case 262:
            choice = BankChoice::Quantise3;
            break;
        default:
            break;
    }

    if (choice == BankChoice::Keep) {
        for (int i = 0; i < 3; ++i) out.o[i] = dp[i];
        out.alpha = da;
        return out;
    }
    for (int i = 0; i < 3; ++i) {
        int64_t f = c[i];
        switch (choice) {
            case BankChoice::Bank:
                f = p.banks[bank][i];
                break;
            case BankChoice::Target:
                f = dp[i];
                break;
            case BankChoice::Blend252:
                if (lum < kChannelHalf) {
                    const int64_t t = (2 * lum) >> 8;
                    f = (p.banks[1][i] * t + p.banks[0][i] * (256 - t)) >> 8;
                } else {
                    const int64_t t = (2 * lum - 65534) >> 8;
                    f = (p.banks[2][i] * t + p.banks[1][i] * (256 - t)) >> 8;
                }
                break;
            case BankChoice::Quantise4:
                f = c[i] < 10922 ? 0 : c[i] < kChannelHalf ? kThird : c[i] < 54613 ? kTwoThirds : kChannelMax;
                break;
            case BankChoice::Quantise3:
                f = c[i] < kThird ? 0 : c[i] < kTwoThirds ? kChannelHalf : kChannelMax;
                break;
            default:
                break;
        }
        out.o[i] = mixWithBrush(p, c[i], f);
    }
    return out;
}

}  // namespace mrv
