// The MaskPlane: one 16-bit edit weight per canvas pixel (0xFFFF = edits act
// fully, 0 = protected), and every operation that builds, converts or reads
// it. Hosts and grey mask images speak of the inverse, the protection level
// (0xFFFF - weight, or 255 - high byte at 8 bits): white protects, black opens.
//
// The operations work on the plane whether or not maskEnabled is set (only
// maskProtectionAt honours the flag) and do nothing while no canvas exists.
// Caller images are canvas-sized with packed rows (RGBA32: width * 4 bytes,
// RGB24: width * 3) unless an operation takes its own size or stride; a null
// image is ignored. None of them allocates.
#pragma once

#include <cmath>
#include <cstdint>

namespace mrv {

constexpr uint16_t kMaskOpen = 0xFFFF;
constexpr uint16_t kMaskProtected = 0;
constexpr uint32_t kMaskGreyFloor = 255;     // greys up to this open the pixel fully
constexpr uint32_t kMaskGreyCeiling = 0xFF00;  // greys above this protect it fully

// ---- Value rules shared with the loaders, the view and the script host ----

// A 16-bit grey to a stored weight: dark greys open, light greys protect.
inline uint16_t greyToMask(int64_t grey) {
    if (grey <= static_cast<int64_t>(kMaskGreyFloor)) return kMaskOpen;
    if (grey > static_cast<int64_t>(kMaskGreyCeiling)) return kMaskProtected;
    return static_cast<uint16_t>(kMaskGreyCeiling - grey);
}

// The weight written for an 8-bit protection level: (255 - level) * 256, taken
// as the low 16 bits of (0xFFFF - level) << 8. Level 0 therefore writes 0xFF00
// rather than 0xFFFF; callers have always relied on that.
inline uint16_t maskValueForLevel(int32_t level) {
    return static_cast<uint16_t>((static_cast<uint32_t>(0xFFFF) - static_cast<uint32_t>(level)) << 8);
}

// Strength s (0..0xFFFF) scaled by the 8-bit weight w (the high byte of a
// stored value): w = 0 leaves nothing, w = 255 everything, else s * (w + 1) / 256.
inline uint32_t scaleByMaskWeight(uint32_t s, uint32_t w) {
    if (w == 0) return 0;
    if (w == 255) return s;
    return s * (w + 1) / 256;
}

// Threshold of the integer range tests: trunc(tolerance * 2.56), so 100 -> 256.
// Kept in 64 bits because tolerance is not clamped.
inline int64_t rangeThreshold(int32_t tolerance) { return static_cast<int64_t>(tolerance * 2.56); }

// Threshold in degrees of the hue-only range test: trunc(tolerance * 1.8).
inline int64_t hueThreshold(int32_t tolerance) { return static_cast<int64_t>(tolerance * 1.8); }

// trunc(d), toward zero. Without SSE4.1 std::trunc is a library call; the
// cast is the same operation for every finite value below 2^63 in magnitude.
inline double truncTowardZero(double d) {
    if (std::fabs(d) < 9.2e18) return static_cast<double>(static_cast<int64_t>(d));
    return std::trunc(d);  // huge, infinite or NaN
}

// Hue test of the range masks. Each difference is truncated toward zero before
// its magnitude is compared; the second and third shift one hue by a full
// turn so that hues on both sides of 0/360 match.
inline bool hueWithin(double pixelHue, double referenceHue, double threshold) {
    const bool first = std::fabs(truncTowardZero(pixelHue - referenceHue)) <= threshold;
    const bool second = std::fabs(truncTowardZero(pixelHue - (referenceHue - 360.0))) <= threshold;
    const bool third = std::fabs(truncTowardZero((pixelHue - 360.0) - referenceHue)) <= threshold;
    return first | second | third;
}

// The plane with the canvas size it belongs to; false (and nothing to walk)
// while no canvas exists.
struct MaskCanvas {
    uint16_t* plane;
    int32_t width;
    int32_t height;
};
bool maskCanvas(MaskCanvas& out);

// ---- Flags and overlay options ----

void enableMask(int32_t on);
void displayMask(int32_t on);
// 8-bit components, kept as value << 8 (16 bits); fullStrength kept as given.
void setMaskOptions(int32_t redA, int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB, int32_t blueB,
                    int32_t fullStrength);

// ---- Whole-plane operations ----

void invertMask();
// Fills the plane with the weight of the grey (red + green + blue) / 3 (16-bit channels).
void clearMask(int32_t red, int32_t green, int32_t blue);
// The plane as an RGB24 grey image of canvas size: 255 - high byte per pixel.
void saveMask(uint8_t* dst, int32_t dstStride);
// A width x height RGB24 grey image into the top-left corner of the plane
// (the part that falls outside the canvas is skipped).
void loadMask(const uint8_t* src, int32_t srcStride, int32_t width, int32_t height);
// Protection level 0xFFFF - weight at (x, y); 0 outside the canvas, without a
// current layer, or while maskEnabled is clear.
int32_t maskProtectionAt(int32_t x, int32_t y);

// ---- Exchange with the current layer (nothing without one) ----

void createImageFromMask();
void createMaskFromImage();
void createAlphaFromMask();
void createMaskFromAlpha();

// ---- Masks from caller images: only selected pixels are written ----

void createMaskFromDiffRGBA32(const uint8_t* imageA, const uint8_t* imageB, int32_t value);
void createMaskFromRGBAImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue, int32_t level);
void createMaskFromRGB24ImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue, int32_t level);
// regionMap: one byte per canvas pixel, 1 = in the region.
void createMaskFromFloodMask(const uint8_t* regionMap, int32_t level);
void createMaskFromRGBAImageColorRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                       int32_t tolerance, int32_t level);
void createMaskFromRGBAImageAlphaRange(const uint8_t* image, int32_t alpha, int32_t tolerance, int32_t level);
void createMaskFromRGBAImageLuminanceRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                           int32_t tolerance, int32_t level);
void createMaskFromRGBAImageHueRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                     int32_t tolerance, int32_t level);
void createMaskFromRGBAImageHSLRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                     double hueTolerance, double saturationTolerance, double lightnessTolerance,
                                     int32_t level);

// ---- The mask applied to caller images ----

// image points at canvas pixel (x0, y0); bounds inclusive; the part of the
// rectangle outside the canvas is skipped. maskEnabled is not consulted.
void applyMaskToAlphaRectRGBA32(uint8_t* image, int32_t stride, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
void applyMaskToAlphaRGBA32(uint8_t* image);
void replaceFromRGBAImageAlphaRange(uint8_t* image, int32_t alpha, int32_t tolerance, int32_t red, int32_t green,
                                    int32_t blue, int32_t newAlpha);

// ---- Grey-image conversions (packed rows, own size; the plane is not used) ----

void rgbAlphaToRgb(uint8_t* dstRGB24, int32_t width, int32_t height, const uint8_t* srcRGBA32);
void rgbToRgbAlpha(uint8_t* dstRGBA32, int32_t width, int32_t height, const uint8_t* srcRGB24);
void rgbToRgba(uint8_t* dstRGBA32, int32_t width, int32_t height, const uint8_t* srcRGB24);
void rgbaToRgb(uint8_t* dstRGB24, int32_t width, int32_t height, const uint8_t* srcRGBA32);

}  // namespace mrv
