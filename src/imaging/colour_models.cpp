// Colour-model conversions. The constants are written out as the multipliers
// the conversions have always used (x * 0.00392156862745098 rather than
// x / 255, and so on): a division would differ in the last bit now and then,
// and filters and masks built on these must repeat exactly.
#include "imaging/colour_models.h"

#include <algorithm>
#include <cmath>

namespace mrv {

namespace {

using namespace colour_constants;

constexpr double kInv60 = 0.016666666666666666;

// sRGB transfer curve.
constexpr double kSrgbLinearLimit = 0.04045;
constexpr double kSrgbInvScale = 0.9478672985781991;  // 1 / 1.055
constexpr double kSrgbInvSlope = 0.07739938080495357;  // 1 / 12.92
constexpr double kSrgbGamma = 2.4;
constexpr double kSrgbEncodeLimit = 0.0031308;
constexpr double kSrgbInvGamma = 0.4166666666666667;  // 1 / 2.4

// D65 white and the Lab companding function.
constexpr double kWhiteX = 95.047;
constexpr double kWhiteY = 100.0;
constexpr double kWhiteZ = 108.883;
constexpr double kInvWhiteX = 0.010521110608435826;
constexpr double kInvWhiteZ = 0.009184170164304804;
constexpr double kLabEpsilon = 0.008856;
constexpr double kLabKappa = 7.787;
constexpr double kLabOffset = 0.13793103448275862;  // 16 / 116
constexpr double kInv116 = 0.008620689655172414;
constexpr double kInvLabKappa = 0.1284191601386927;  // 1 / 7.787

// A real value written as a byte: truncated toward zero, then its low eight
// bits. Values beyond the 32-bit range (and NaN) only come from inputs far
// outside the documented ranges; they give 0 instead of undefined behaviour.
inline uint8_t truncToByte(double v) {
    if (v > -2147483648.0 && v < 2147483648.0) return static_cast<uint8_t>(static_cast<int32_t>(v));
    return 0;
}

// Truncation toward zero kept in 0..255 (XyzToRgb only).
inline uint8_t truncClampToByte(double v) {
    if (!(v > 0.0)) return 0;  // negatives and NaN
    if (v >= 255.0) return 255;
    return static_cast<uint8_t>(static_cast<int32_t>(v));
}

inline double srgbToLinear(double c) {
    c = c > kSrgbLinearLimit ? std::pow((c + 0.055) * kSrgbInvScale, kSrgbGamma) : c * kSrgbInvSlope;
    return c * 100.0;
}

inline double linearToSrgb(double c) {
    return c > kSrgbEncodeLimit ? 1.055 * std::pow(c, kSrgbInvGamma) - 0.055 : 12.92 * c;
}

inline double labCompand(double t) { return t > kLabEpsilon ? std::pow(t, kOneThird) : kLabKappa * t + kLabOffset; }

inline double labExpand(double f) {
    const double t = f * f * f;
    return t > kLabEpsilon ? t : (f - kLabOffset) * kInvLabKappa;
}

}  // namespace

void HsvToRgb(double h, double s, double v, uint8_t& r, uint8_t& g, uint8_t& b) {
    if (s == 0.0) {
        r = g = b = truncToByte(v * 255.0);
        return;
    }
    if (!(h >= 0.0 && h < 360.0)) {
        // 360 is the same hue as 0; anything else outside the circle is
        // wrapped so that one of the six sectors below always applies.
        h = std::isfinite(h) ? std::fmod(h, 360.0) : 0.0;
        if (h < 0.0) h += 360.0;
        if (h >= 360.0) h = 0.0;
    }
    const double sector = h * kInv60;
    const double i = std::floor(sector);
    const double f = sector - i;
    const double p = v * (1.0 - s);
    const double q = v * (1.0 - s * f);
    const double t = v * (1.0 - s * (1.0 - f));
    double rr, gg, bb;
    switch (static_cast<int>(i)) {
        case 0: rr = v, gg = t, bb = p; break;
        case 1: rr = q, gg = v, bb = p; break;
        case 2: rr = p, gg = v, bb = t; break;
        case 3: rr = p, gg = q, bb = v; break;
        case 4: rr = t, gg = p, bb = v; break;
        default: rr = v, gg = p, bb = q; break;  // 5
    }
    r = truncToByte(rr * 255.0);
    g = truncToByte(gg * 255.0);
    b = truncToByte(bb * 255.0);
}

uint8_t HslChannel(double m1, double m2, double hue) {
    if (hue > 360.0)
        hue -= 360.0;
    else if (hue < 0.0)
        hue += 360.0;
    double v;
    if (hue < 60.0)
        v = m1 + (m2 - m1) * hue * kInv60;
    else if (hue < 180.0)
        v = m2;
    else if (hue < 240.0)
        v = m1 + (m2 - m1) * (240.0 - hue) * kInv60;
    else
        v = m1;
    return truncToByte(v * 255.0);
}

void HslToRgb(double h, double s, double l, uint8_t& r, uint8_t& g, uint8_t& b) {
    if (s == 0.0) {
        r = g = b = truncToByte(l * 255.0);
        return;
    }
    const double m2 = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
    const double m1 = 2.0 * l - m2;
    r = HslChannel(m1, m2, h + 120.0);
    g = HslChannel(m1, m2, h);
    b = HslChannel(m1, m2, h - 120.0);
}

void RgbToXyz(int32_t R, int32_t G, int32_t B, double& x, double& y, double& z) {
    const double r = srgbToLinear(R * kInv255);
    const double g = srgbToLinear(G * kInv255);
    const double b = srgbToLinear(B * kInv255);
    x = 0.4124 * r + 0.3576 * g + 0.1805 * b;
    y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    z = 0.0193 * r + 0.1192 * g + 0.9505 * b;
    if (x < 0.0) x = 0.0;
    if (y < 0.0) y = 0.0;
    if (z < 0.0) z = 0.0;
}

void XyzToRgb(double X, double Y, double Z, uint8_t& r, uint8_t& g, uint8_t& b) {
    const double x = X * 0.01;
    const double y = Y * 0.01;
    const double z = Z * 0.01;
    const double rl = 3.2406 * x - 1.5372 * y - 0.4986 * z;
    const double gl = -0.9689 * x + 1.8758 * y + 0.0415 * z;
    const double bl = 0.0557 * x - 0.204 * y + 1.057 * z;
    r = truncClampToByte(linearToSrgb(rl) * 255.0);
    g = truncClampToByte(linearToSrgb(gl) * 255.0);
    b = truncClampToByte(linearToSrgb(bl) * 255.0);
}

void XyzToLab(double X, double Y, double Z, double& l, double& a, double& bStar) {
    const double fx = labCompand(X * kInvWhiteX);
    const double fy = labCompand(Y * 0.01);
    const double fz = labCompand(Z * kInvWhiteZ);
    l = 116.0 * fy - 16.0;
    a = 500.0 * (fx - fy);
    bStar = 200.0 * (fy - fz);
}

void LabToXyz(double l, double a, double bStar, double& x, double& y, double& z) {
    const double fy = (l + 16.0) * kInv116;
    const double fx = fy + a * 0.002;
    const double fz = fy - bStar * 0.005;
    x = kWhiteX * labExpand(fx);
    y = kWhiteY * labExpand(fy);
    z = kWhiteZ * labExpand(fz);
    if (x < 0.0) x = 0.0;
    if (y < 0.0) y = 0.0;
    if (z < 0.0) z = 0.0;
}

void LabToRgb(double l, double a, double bStar, uint8_t& r, uint8_t& g, uint8_t& b) {
    double x, y, z;
    LabToXyz(l, a, bStar, x, y, z);
    XyzToRgb(x, y, z, r, g, b);
}

void CmyToCmyk(double c, double m, double y, double& cOut, double& mOut, double& yOut, double& k) {
    k = std::min(std::min(1.0, c), std::min(m, y));
    if (k == 1.0) {
        cOut = mOut = yOut = 0.0;
        return;
    }
    cOut = (c - k) / (1.0 - k);
    mOut = (m - k) / (1.0 - k);
    yOut = (y - k) / (1.0 - k);
}

void CmykToRgb(double c, double m, double y, double k, uint8_t& r, uint8_t& g, uint8_t& b) {
    r = truncToByte((1.0 - (c * (1.0 - k) + k)) * 255.0);
    g = truncToByte((1.0 - (m * (1.0 - k) + k)) * 255.0);
    b = truncToByte((1.0 - (y * (1.0 - k) + k)) * 255.0);
}

}  // namespace mrv
