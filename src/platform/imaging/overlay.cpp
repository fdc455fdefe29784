// The overlay copy: a source rectangle replaces destination bytes at (x, y),
// clipped to the destination. Undo records, pastes, panning and grit textures
// all rest on this one copy, so it validates every size and stride before it
// touches a byte and copies whole clipped rows with memcpy.
#include <cstring>

#include "platform/imaging/imaging.h"

namespace mrv::platform {

namespace {

bool validPixelSize(int32_t bytesPerPixel) {
    return bytesPerPixel == 1 || bytesPerPixel == 2 || bytesPerPixel == 3 || bytesPerPixel == 4 ||
           bytesPerPixel == 8;
}

}  // namespace

bool overlayImage(uint8_t* dst, int32_t dstWidth, int32_t dstHeight, int32_t bytesPerPixel, int32_t dstStride,
                  const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, int32_t x, int32_t y) {
    if (!dst || !src || !validPixelSize(bytesPerPixel)) return false;
    if (dstWidth <= 0 || dstHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) return false;
    if (static_cast<int64_t>(dstStride) < static_cast<int64_t>(dstWidth) * bytesPerPixel) return false;
    if (static_cast<int64_t>(srcStride) < static_cast<int64_t>(srcWidth) * bytesPerPixel) return false;

    // Clip in 64 bits: x + srcWidth may overflow 32 bits for hostile offsets.
    int64_t left = x, top = y;
    int64_t right = static_cast<int64_t>(x) + srcWidth, bottom = static_cast<int64_t>(y) + srcHeight;
    int64_t skipX = left < 0 ? -left : 0;
    int64_t skipY = top < 0 ? -top : 0;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > dstWidth) right = dstWidth;
    if (bottom > dstHeight) bottom = dstHeight;
    // A rectangle wholly outside the destination copies nothing; that is a
    // completed copy, not a failure, so callers go on with their steps.
    if (left >= right || top >= bottom) return true;

    const size_t rowBytes = static_cast<size_t>(right - left) * bytesPerPixel;
    for (int64_t row = top; row < bottom; ++row) {
        const int64_t srcRow = row - top + skipY;
        uint8_t* d = dst + static_cast<size_t>(row) * dstStride + static_cast<size_t>(left) * bytesPerPixel;
        const uint8_t* s = src + static_cast<size_t>(srcRow) * srcStride + static_cast<size_t>(skipX) * bytesPerPixel;
        std::memmove(d, s, rowBytes);
    }
    return true;
}

}  // namespace mrv::platform
