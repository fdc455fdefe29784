// Colour models: pure conversions of one colour between 8-bit RGB and HSV,
// HSL, CIE XYZ, CIE L*a*b* (D65 white) and CMY/CMYK. No state, no allocation,
// no failure. All arithmetic is double precision and every real-to-integer
// step truncates toward zero, so results repeat bit for bit.
//
// Ranges: R, G, B 0..255; hue in degrees, 0 <= H < 360 (HSL may give exactly
// 360; RgbToHsv gives -1 for a colour without hue); S, V, L 0..1; X, Y, Z
// scaled so that the D65 white is (95.047, 100, 108.883); L* 0..100; C, M, Y,
// K 0..1. A byte result is the low eight bits of the truncated value; only
// XyzToRgb clamps to 0..255, the others expect inputs in their ranges.
#pragma once

#include <algorithm>
#include <cstdint>

namespace mrv {

namespace colour_constants {
// Multipliers as the conversions have always used them (x * 0.00392156862745098
// rather than x / 255): a division would differ in the last bit now and then.
constexpr double kInv255 = 0.00392156862745098;
constexpr double kOneSixth = 0.16666666666666666;
constexpr double kOneThird = 0.3333333333333333;
constexpr double kTwoThirds = 0.6666666666666666;
constexpr double kHueSectorOffset[3] = {0.0, 2.0, 4.0};
constexpr double kHslTurnOffset[3] = {0.0, kOneThird, kTwoThirds};
}  // namespace colour_constants

// The two RGB-to-hue conversions are defined here so that the per-pixel loops
// of the range masks and adjustments inline them (and drop unused outputs).

// H = -1 and S = 0 for a grey (max == min); V = max / 255.
inline void RgbToHsv(int32_t r, int32_t g, int32_t b, double& h, double& s, double& v);
// H in 0..360 (360 acts as 0). A hue outside that range is wrapped into it
// first so that every input picks one of the six sectors.
void HsvToRgb(double h, double s, double v, uint8_t& r, uint8_t& g, uint8_t& b);

// H = 0 and S = 0 for a grey; H may be exactly 360.
inline void RgbToHsl(int32_t r, int32_t g, int32_t b, double& h, double& s, double& l);
void HslToRgb(double h, double s, double l, uint8_t& r, uint8_t& g, uint8_t& b);
// One channel of HslToRgb: the hue is wrapped once into 0..360.
uint8_t HslChannel(double m1, double m2, double hue);

// sRGB with its transfer curve, D65; never negative.
void RgbToXyz(int32_t r, int32_t g, int32_t b, double& x, double& y, double& z);
// Clamps each channel to 0..255 after truncation (out-of-gamut XYZ is common).
void XyzToRgb(double x, double y, double z, uint8_t& r, uint8_t& g, uint8_t& b);
void XyzToLab(double x, double y, double z, double& l, double& a, double& bStar);
void LabToXyz(double l, double a, double bStar, double& x, double& y, double& z);
// LabToXyz followed by XyzToRgb.
void LabToRgb(double l, double a, double bStar, uint8_t& r, uint8_t& g, uint8_t& b);

// Takes the common black K out of C, M, Y (each 0..1). Black gives (0, 0, 0, 1).
void CmyToCmyk(double c, double m, double y, double& cOut, double& mOut, double& yOut, double& k);
void CmykToRgb(double c, double m, double y, double k, uint8_t& r, uint8_t& g, uint8_t& b);

// ---- Inline definitions ----

inline void RgbToHsv(int32_t R, int32_t G, int32_t B, double& h, double& s, double& v) {
    using namespace colour_constants;
    const double r = R * kInv255;
    const double g = G * kInv255;
    const double b = B * kInv255;
    const double mx = std::max(std::max(r, g), b);
    const double mn = std::min(std::min(r, g), b);
    v = mx;
    const double delta = mx - mn;
    if (delta == 0.0) {
        h = -1.0;
        s = 0.0;
        return;
    }
    s = delta / mx;
    // Red largest: (g - b) / delta; green: (b - r) / delta + 2; blue:
    // (r - g) / delta + 4. The case is picked by index rather than by branch,
    // which noisy pictures would mispredict at every pixel. Adding 0 in the
    // red case changes nothing: the quotient is never -0 (x - x is +0).
    const int which = (R >= G && R >= B) ? 0 : (G >= B ? 1 : 2);
    const double minuend[3] = {g, b, r};
    const double subtrahend[3] = {b, r, g};
    const double sector = (minuend[which] - subtrahend[which]) / delta + kHueSectorOffset[which];
    h = sector * 60.0;
    h += 360.0 * static_cast<double>(h < 0.0);
}

inline void RgbToHsl(int32_t R, int32_t G, int32_t B, double& h, double& s, double& l) {
    using namespace colour_constants;
    const double r = R * kInv255;
    const double g = G * kInv255;
    const double b = B * kInv255;
    const double mx = std::max(std::max(r, g), b);
    const double mn = std::min(std::min(r, g), b);
    l = 0.5 * (mx + mn);
    const double delta = mx - mn;
    if (delta == 0.0) {
        h = 0.0;
        s = 0.0;
        return;
    }
    s = delta / (l < 0.5 ? mx + mn : 2.0 - mx - mn);
    const double dr = ((mx - r) * kOneSixth + delta * 0.5) / delta;
    const double dg = ((mx - g) * kOneSixth + delta * 0.5) / delta;
    const double db = ((mx - b) * kOneSixth + delta * 0.5) / delta;
    // Red largest: db - dg; green: 1/3 + dr - db; blue: 2/3 + dg - dr, picked
    // by index as in RgbToHsv (0 + db is db: the d values are positive).
    const int which = (R >= G && R >= B) ? 0 : (G >= B ? 1 : 2);
    const double first[3] = {db, dr, dg};
    const double second[3] = {dg, db, dr};
    double turn = kHslTurnOffset[which] + first[which] - second[which];
    turn += static_cast<double>(turn < 0.0);
    turn -= static_cast<double>(turn > 1.0);
    h = turn * 360.0;
}

}  // namespace mrv
