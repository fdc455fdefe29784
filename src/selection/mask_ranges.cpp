// Masks made from caller images: exact colours, differences, region maps and
// the colour, alpha, luminance, hue and HSL ranges. Each operation writes
// only the pixels it selects, so successive calls add to the selection.
//
// Every test depends on one pixel alone, so the passes are split over the two
// cores (mask_parallel.h) with exactly the plain loop's result.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imaging/colour_models.h"
#include "selection/mask_parallel.h"
#include "selection/mask_plane.h"

namespace mrv {

namespace {

inline int64_t absDiff(int64_t a, int64_t b) { return a > b ? a - b : b - a; }

// `value` where selected, else `old`, by bit masks: a conditional here would
// be compiled to a branch that a picture's noise mispredicts.
inline uint16_t choose(bool selected, uint16_t value, uint16_t old) {
    const uint16_t keep = static_cast<uint16_t>(static_cast<uint16_t>(selected) - 1u);  // 0 or 0xFFFF
    return static_cast<uint16_t>((old & keep) | (value & ~keep));
}

size_t canvasPixels(const MaskCanvas& mc) { return static_cast<size_t>(mc.width) * static_cast<size_t>(mc.height); }

// Writes `value` to every plane element whose RGBA32 pixel passes `select`.
// Unselected elements are rewritten with their own value, which lets the
// loop run without a branch per pixel.
template <class Select>
void selectRGBA32(const uint8_t* image, uint16_t value, Select&& select) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !image) return;
    forEachPixelRange(canvasPixels(mc), [&](size_t begin, size_t end) {
        uint16_t* plane = mc.plane;
        for (size_t i = begin; i < end; ++i) plane[i] = choose(select(image + i * 4), value, plane[i]);
    });
}

// The same for tests that depend on the colour alone, with the verdict of the
// last colour remembered: pictures hold long runs of one colour, and the hue
// conversions cost far more than the comparison.
template <class Select>
void selectRGBA32ByColour(const uint8_t* image, uint16_t value, Select&& select) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !image) return;
    forEachPixelRange(canvasPixels(mc), [&](size_t begin, size_t end) {
        uint16_t* plane = mc.plane;
        uint32_t lastColour = 0xFFFFFFFFu;  // no RGB triple packs to this
        bool lastVerdict = false;
        for (size_t i = begin; i < end; ++i) {
            const uint8_t* p = image + i * 4;
            const uint32_t colour = p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
            if (colour != lastColour) {
                lastColour = colour;
                lastVerdict = select(p[0], p[1], p[2]);
            }
            plane[i] = choose(lastVerdict, value, plane[i]);
        }
    });
}

// For each byte value v, whether |v - reference| <= threshold. The range
// tests look their channels up here instead of subtracting per pixel.
struct ByteWithin {
    uint8_t pass[256];
    ByteWithin(int64_t reference, int64_t threshold) {
        for (int v = 0; v < 256; ++v) pass[v] = absDiff(v, reference) <= threshold;
    }
};

}  // namespace

void createMaskFromDiffRGBA32(const uint8_t* imageA, const uint8_t* imageB, int32_t value) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !imageA || !imageB) return;
    const uint16_t stored = static_cast<uint16_t>(value);
    forEachPixelRange(canvasPixels(mc), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            uint32_t a, b;
            std::memcpy(&a, imageA + i * 4, 4);
            std::memcpy(&b, imageB + i * 4, 4);
            mc.plane[i] = choose(a != b, stored, mc.plane[i]);
        }
    });
}

void createMaskFromRGBAImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue, int32_t level) {
    selectRGBA32(image, maskValueForLevel(level),
                 [&](const uint8_t* p) { return (p[0] == red) & (p[1] == green) & (p[2] == blue); });
}

void createMaskFromRGB24ImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue, int32_t level) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !image) return;
    const uint16_t value = maskValueForLevel(level);
    forEachPixelRange(canvasPixels(mc), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            const uint8_t* p = image + i * 3;
            const bool match = (p[0] == red) & (p[1] == green) & (p[2] == blue);
            mc.plane[i] = choose(match, value, mc.plane[i]);
        }
    });
}

void createMaskFromFloodMask(const uint8_t* regionMap, int32_t level) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !regionMap) return;
    const uint16_t value = maskValueForLevel(level);
    forEachPixelRange(canvasPixels(mc), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) mc.plane[i] = choose(regionMap[i] == 1, value, mc.plane[i]);
    });
}

void createMaskFromRGBAImageColorRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                       int32_t tolerance, int32_t level) {
    const int64_t t = rangeThreshold(tolerance);
    const ByteWithin r(red, t), g(green, t), b(blue, t);
    selectRGBA32(image, maskValueForLevel(level),
                 [&](const uint8_t* p) { return (r.pass[p[0]] & g.pass[p[1]] & b.pass[p[2]]) != 0; });
}

void createMaskFromRGBAImageAlphaRange(const uint8_t* image, int32_t alpha, int32_t tolerance, int32_t level) {
    const ByteWithin a(alpha, rangeThreshold(tolerance));
    selectRGBA32(image, maskValueForLevel(level), [&](const uint8_t* p) { return a.pass[p[3]] != 0; });
}

void createMaskFromRGBAImageLuminanceRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                           int32_t tolerance, int32_t level) {
    const int64_t t = rangeThreshold(tolerance);
    const int64_t reference = (static_cast<int64_t>(red) + green + blue) / 3;
    // Verdict by channel sum 0..765: lightness is sum / 3.
    uint8_t pass[766];
    for (int sum = 0; sum < 766; ++sum) pass[sum] = absDiff(sum / 3, reference) <= t;
    selectRGBA32(image, maskValueForLevel(level), [&](const uint8_t* p) { return pass[p[0] + p[1] + p[2]] != 0; });
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
        return hueWithin(h, h0, hueLimit) & (std::fabs(s - s0) <= saturationTolerance) &
               (std::fabs(l - l0) <= lightnessTolerance);
    });
}

void replaceFromRGBAImageAlphaRange(uint8_t* image, int32_t alpha, int32_t tolerance, int32_t red, int32_t green,
                                    int32_t blue, int32_t newAlpha) {
    MaskCanvas mc;
    if (!maskCanvas(mc) || !image) return;
    const ByteWithin a(alpha, rangeThreshold(tolerance));
    const uint8_t replacement[4] = {static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                                    static_cast<uint8_t>(blue), static_cast<uint8_t>(newAlpha)};
    forEachPixelRange(canvasPixels(mc), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i)
            if (a.pass[image[i * 4 + 3]]) std::memcpy(image + i * 4, replacement, 4);
    });
}

}  // namespace mrv
