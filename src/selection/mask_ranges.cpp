// Masks made from caller images: exact colours, differences, region maps and
// the colour, alpha, luminance, hue and HSL ranges. Each operation writes
// only the pixels it selects, so successive calls add to the selection.
//
// The hue and HSL ranges convert every pixel; a picture mostly holds runs of
// one colour, so each remembers the last colour and its verdict and only
// converts again when the colour changes (the verdict is the same either way).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imaging/colour_models.h"
#include "selection/mask_plane.h"

namespace mrv {

namespace {

inline int64_t absDiff(int64_t a, int64_t b) { return a > b ? a - b : b - a; }

// Writes `value` to every plane element whose RGBA32 pixel passes `select`.
template <class Select>
void selectRGBA32(const uint8_t* image, uint16_t value, Select&& select) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !image) return;
    const size_t n = static_cast<size_t>(mc.width) * static_cast<size_t>(mc.height);
    const uint8_t* p = image;
    for (size_t i = 0; i < n; ++i, p += 4)
        if (select(p)) mc.plane[i] = value;
}

// The same with the verdict remembered for the last colour seen (alpha is
// not part of the colour tests that use this).
template <class Select>
void selectRGBA32ByColour(const uint8_t* image, uint16_t value, Select&& select) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !image) return;
    const size_t n = static_cast<size_t>(mc.width) * static_cast<size_t>(mc.height);
    const uint8_t* p = image;
    uint32_t lastColour = 0xFFFFFFFFu;  // no RGB triple packs to this
    bool lastVerdict = false;
    for (size_t i = 0; i < n; ++i, p += 4) {
        const uint32_t colour = p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
        if (colour != lastColour) {
            lastColour = colour;
            lastVerdict = select(p[0], p[1], p[2]);
        }
        if (lastVerdict) mc.plane[i] = value;
    }
}

}  // namespace

void createMaskFromDiffRGBA32(const uint8_t* imageA, const uint8_t* imageB, int32_t value) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !imageA || !imageB) return;
    const size_t n = static_cast<size_t>(mc.width) * static_cast<size_t>(mc.height);
    const uint16_t stored = static_cast<uint16_t>(value);
    for (size_t i = 0; i < n; ++i)
        if (std::memcmp(imageA + i * 4, imageB + i * 4, 4) != 0) mc.plane[i] = stored;
}

void createMaskFromRGBAImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue, int32_t level) {
    selectRGBA32(image, maskValueForLevel(level),
                 [&](const uint8_t* p) { return p[0] == red && p[1] == green && p[2] == blue; });
}

void createMaskFromRGB24ImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue, int32_t level) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !image) return;
    const size_t n = static_cast<size_t>(mc.width) * static_cast<size_t>(mc.height);
    const uint16_t value = maskValueForLevel(level);
    const uint8_t* p = image;
    for (size_t i = 0; i < n; ++i, p += 3)
        if (p[0] == red && p[1] == green && p[2] == blue) mc.plane[i] = value;
}

void createMaskFromFloodMask(const uint8_t* regionMap, int32_t level) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !regionMap) return;
    const size_t n = static_cast<size_t>(mc.width) * static_cast<size_t>(mc.height);
    const uint16_t value = maskValueForLevel(level);
    for (size_t i = 0; i < n; ++i)
        if (regionMap[i] == 1) mc.plane[i] = value;
}

void createMaskFromRGBAImageColorRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                       int32_t tolerance, int32_t level) {
    const int64_t t = rangeThreshold(tolerance);
    selectRGBA32(image, maskValueForLevel(level), [&](const uint8_t* p) {
        return absDiff(p[0], red) <= t && absDiff(p[1], green) <= t && absDiff(p[2], blue) <= t;
    });
}

void createMaskFromRGBAImageAlphaRange(const uint8_t* image, int32_t alpha, int32_t tolerance, int32_t level) {
    const int64_t t = rangeThreshold(tolerance);
    selectRGBA32(image, maskValueForLevel(level), [&](const uint8_t* p) { return absDiff(p[3], alpha) <= t; });
}

void createMaskFromRGBAImageLuminanceRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                           int32_t tolerance, int32_t level) {
    const int64_t t = rangeThreshold(tolerance);
    const int64_t reference = (static_cast<int64_t>(red) + green + blue) / 3;
    selectRGBA32(image, maskValueForLevel(level), [&](const uint8_t* p) {
        const int64_t lightness = (static_cast<int64_t>(p[0]) + p[1] + p[2]) / 3;
        return absDiff(lightness, reference) <= t;
    });
}

void createMaskFromRGBAImageHueRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                     int32_t tolerance, int32_t level) {
    double referenceHue, s, v;
    RgbToHsv(red, green, blue, referenceHue, s, v);
    const double threshold = static_cast<double>(hueThreshold(tolerance));
    selectRGBA32ByColour(image, maskValueForLevel(level), [&](uint8_t r, uint8_t g, uint8_t b) {
        double hue, ps, pv;
        RgbToHsv(r, g, b, hue, ps, pv);
        return hueWithin(hue, referenceHue, threshold);
    });
}

void createMaskFromRGBAImageHSLRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                     double hueTolerance, double saturationTolerance, double lightnessTolerance,
                                     int32_t level) {
    double h0, s0, l0;
    RgbToHsl(red, green, blue, h0, s0, l0);
    const double hueLimit = hueTolerance * 180.0;
    selectRGBA32ByColour(image, maskValueForLevel(level), [&](uint8_t r, uint8_t g, uint8_t b) {
        double h, s, l;
        RgbToHsl(r, g, b, h, s, l);
        return hueWithin(h, h0, hueLimit) && std::fabs(s - s0) <= saturationTolerance &&
               std::fabs(l - l0) <= lightnessTolerance;
    });
}

void replaceFromRGBAImageAlphaRange(uint8_t* image, int32_t alpha, int32_t tolerance, int32_t red, int32_t green,
                                    int32_t blue, int32_t newAlpha) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !image) return;
    const size_t n = static_cast<size_t>(mc.width) * static_cast<size_t>(mc.height);
    const int64_t t = rangeThreshold(tolerance);
    const uint8_t replacement[4] = {static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                                    static_cast<uint8_t>(blue), static_cast<uint8_t>(newAlpha)};
    uint8_t* p = image;
    for (size_t i = 0; i < n; ++i, p += 4)
        if (absDiff(p[3], alpha) <= t) std::memcpy(p, replacement, 4);
}

}  // namespace mrv
