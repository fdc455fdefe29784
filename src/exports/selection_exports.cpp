// Boundary of the selection mask: flags and overlay options, whole-plane
// operations, exchange with the current layer, masks from caller images, the
// mask applied to caller images and the grey-image conversions.
#include "core/guard.h"
#include "morvane/morvane.h"
#include "selection/mask_plane.h"

using namespace mrv;

extern "C" {

MRV_API void MRV_EnableMask(int32_t on) { enableMask(on); }

MRV_API void MRV_DisplayMask(int32_t on) { displayMask(on); }

MRV_API void MRV_SetMaskOptions(int32_t redA, int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB,
                                int32_t blueB, int32_t fullStrength) {
    setMaskOptions(redA, greenA, blueA, redB, greenB, blueB, fullStrength);
}

MRV_API void MRV_InvertMask(void) {
    guardedVoid("InvertMask Excpt", [] { invertMask(); });
}

MRV_API void MRV_ClearMask(int32_t red, int32_t green, int32_t blue) {
    guardedVoid("ClearMask Excpt", [&] { clearMask(red, green, blue); });
}

MRV_API void MRV_SaveMask(uint8_t* dst, int32_t dstStride) {
    guardedVoid("SaveMask Excpt", [&] { saveMask(dst, dstStride); });
}

MRV_API void MRV_LoadMask(const uint8_t* src, int32_t srcStride, int32_t width, int32_t height) {
    guardedVoid("LoadMask Excpt", [&] { loadMask(src, srcStride, width, height); });
}

MRV_API int32_t MRV_GetMask64(int32_t x, int32_t y) { return maskProtectionAt(x, y); }

MRV_API void MRV_CreateImageFromMask(void) {
    guardedVoid("CreateImageFromMask Excpt", [] { createImageFromMask(); });
}

MRV_API void MRV_CreateMaskFromImage(void) {
    guardedVoid("CreateMaskFromImage Excpt", [] { createMaskFromImage(); });
}

MRV_API void MRV_CreateAlphaFromMask(void) {
    guardedVoid("CreateAlphaFromMask Excpt", [] { createAlphaFromMask(); });
}

MRV_API void MRV_CreateMaskFromAlpha(void) {
    guardedVoid("CreateMaskFromAlpha Excpt", [] { createMaskFromAlpha(); });
}

MRV_API void MRV_CreateMaskFromDiff_RGBA32(const uint8_t* imageA, const uint8_t* imageB, int32_t value) {
    guardedVoid("CreateMaskFromDiff_RGBA32 Excpt", [&] { createMaskFromDiffRGBA32(imageA, imageB, value); });
}

MRV_API void MRV_CreateMaskFromRGBAImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                              int32_t level) {
    guardedVoid("CreateMaskFromRGBAImageColor Excpt",
                [&] { createMaskFromRGBAImageColor(image, red, green, blue, level); });
}

MRV_API void MRV_CreateMaskFromRGB24ImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                               int32_t level) {
    guardedVoid("CreateMaskFromRGB24ImageColor Excpt",
                [&] { createMaskFromRGB24ImageColor(image, red, green, blue, level); });
}

MRV_API void MRV_CreateMaskFromFloodMask(const uint8_t* regionMap, int32_t level) {
    guardedVoid("CreateMaskFromFloodMask Excpt", [&] { createMaskFromFloodMask(regionMap, level); });
}

MRV_API void MRV_CreateMaskFromRGBAImageColorRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                                   int32_t tolerance, int32_t level) {
    guardedVoid("CreateMaskFromRGBAImageColorRange Excpt",
                [&] { createMaskFromRGBAImageColorRange(image, red, green, blue, tolerance, level); });
}

MRV_API void MRV_CreateMaskFromRGBAImageAlphaRange(const uint8_t* image, int32_t alpha, int32_t tolerance,
                                                   int32_t level) {
    guardedVoid("CreateMaskFromRGBAImageAlphaRange Excpt",
                [&] { createMaskFromRGBAImageAlphaRange(image, alpha, tolerance, level); });
}

MRV_API void MRV_CreateMaskFromRGBAImageLuminanceRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                                       int32_t tolerance, int32_t level) {
    guardedVoid("CreateMaskFromRGBAImageLuminanceRange Excpt",
                [&] { createMaskFromRGBAImageLuminanceRange(image, red, green, blue, tolerance, level); });
}

MRV_API void MRV_CreateMaskFromRGBAImageHueRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                                 int32_t tolerance, int32_t level) {
    guardedVoid("CreateMaskFromRGBAImageHueRange Excpt",
                [&] { createMaskFromRGBAImageHueRange(image, red, green, blue, tolerance, level); });
}

MRV_API void MRV_CreateMaskFromRGBAImageHSLRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                                 double hueTolerance, double saturationTolerance,
                                                 double lightnessTolerance, int32_t level) {
    guardedVoid("CreateMaskFromRGBAImageHSLRange Excpt", [&] {
        createMaskFromRGBAImageHSLRange(image, red, green, blue, hueTolerance, saturationTolerance,
                                        lightnessTolerance, level);
    });
}

MRV_API void MRV_ApplyMaskToAlphaRect_RGBA32(uint8_t* image, int32_t stride, int32_t x0, int32_t y0, int32_t x1,
                                             int32_t y1) {
    guardedVoid("ApplyMaskToAlphaRect_RGBA32 Excpt",
                [&] { applyMaskToAlphaRectRGBA32(image, stride, x0, y0, x1, y1); });
}

MRV_API void MRV_ApplyMaskToAlpha_RGBA32(uint8_t* image) {
    guardedVoid("ApplyMaskToAlpha_RGBA32 Excpt", [&] { applyMaskToAlphaRGBA32(image); });
}

MRV_API void MRV_ReplaceFromRGBAImageAlphaRange(uint8_t* image, int32_t alpha, int32_t tolerance, int32_t red,
                                                int32_t green, int32_t blue, int32_t newAlpha) {
    guardedVoid("ReplaceFromRGBAImageAlphaRange Excpt",
                [&] { replaceFromRGBAImageAlphaRange(image, alpha, tolerance, red, green, blue, newAlpha); });
}

MRV_API void MRV_RGBAlphaToRGB(uint8_t* dstRGB24, int32_t width, int32_t height, const uint8_t* srcRGBA32) {
    guardedVoid("RGBAlphaToRGB Excpt", [&] { rgbAlphaToRgb(dstRGB24, width, height, srcRGBA32); });
}

MRV_API void MRV_RGBToRGBAlpha(uint8_t* dstRGBA32, int32_t width, int32_t height, const uint8_t* srcRGB24) {
    guardedVoid("RGBToRGBAlpha Excpt", [&] { rgbToRgbAlpha(dstRGBA32, width, height, srcRGB24); });
}

MRV_API void MRV_RGBToRGBA(uint8_t* dstRGBA32, int32_t width, int32_t height, const uint8_t* srcRGB24) {
    guardedVoid("RGBToRGBA Excpt", [&] { rgbToRgba(dstRGBA32, width, height, srcRGB24); });
}

MRV_API void MRV_RGBAToRGB(uint8_t* dstRGB24, int32_t width, int32_t height, const uint8_t* srcRGBA32) {
    guardedVoid("RGBAToRGB Excpt", [&] { rgbaToRgb(dstRGB24, width, height, srcRGBA32); });
}

}  // extern "C"
