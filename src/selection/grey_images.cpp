// Grey-image conversions for hosts that keep masks as pictures: alpha to and
// from an RGB grey, and colour copied between RGBA32 and RGB24. Packed rows,
// the caller's own size; the MaskPlane is not involved.
#include <cstddef>
#include <cstdint>

#include "selection/mask_plane.h"

namespace mrv {

namespace {

// width x height as a pixel count; 0 for a null buffer or a size below 1.
inline size_t imagePixels(const void* dst, const void* src, int32_t width, int32_t height) {
    if (!dst || !src || width <= 0 || height <= 0) return 0;
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

}  // namespace

void rgbAlphaToRgb(uint8_t* dstRGB24, int32_t width, int32_t height, const uint8_t* srcRGBA32) {
    const size_t n = imagePixels(dstRGB24, srcRGBA32, width, height);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t a = srcRGBA32[i * 4 + 3];
        dstRGB24[i * 3] = dstRGB24[i * 3 + 1] = dstRGB24[i * 3 + 2] = a;
    }
}

void rgbToRgbAlpha(uint8_t* dstRGBA32, int32_t width, int32_t height, const uint8_t* srcRGB24) {
    const size_t n = imagePixels(dstRGBA32, srcRGB24, width, height);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* s = srcRGB24 + i * 3;
        dstRGBA32[i * 4 + 3] = static_cast<uint8_t>((static_cast<uint32_t>(s[0]) + s[1] + s[2]) / 3);
    }
}

void rgbToRgba(uint8_t* dstRGBA32, int32_t width, int32_t height, const uint8_t* srcRGB24) {
    const size_t n = imagePixels(dstRGBA32, srcRGB24, width, height);
    for (size_t i = 0; i < n; ++i) {
        dstRGBA32[i * 4] = srcRGB24[i * 3];
        dstRGBA32[i * 4 + 1] = srcRGB24[i * 3 + 1];
        dstRGBA32[i * 4 + 2] = srcRGB24[i * 3 + 2];
    }
}

void rgbaToRgb(uint8_t* dstRGB24, int32_t width, int32_t height, const uint8_t* srcRGBA32) {
    const size_t n = imagePixels(dstRGB24, srcRGBA32, width, height);
    for (size_t i = 0; i < n; ++i) {
        dstRGB24[i * 3] = srcRGBA32[i * 4];
        dstRGB24[i * 3 + 1] = srcRGBA32[i * 4 + 1];
        dstRGB24[i * 3 + 2] = srcRGBA32[i * 4 + 2];
    }
}

}  // namespace mrv
