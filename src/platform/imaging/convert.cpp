// Bulk pixel conversions: channel swaps, adding and dropping alpha, grey,
// splitting and combining channel planes, and device-independent bitmaps
// (the 40-byte info header, bottom-up rows padded to four bytes) for the
// clipboard, capture and scanner paths.
#include <cstring>

#include "platform/imaging/imaging.h"

namespace mrv::platform {

void swapRedBlue(uint8_t* rgba, size_t pixelCount) {
    if (!rgba) return;
    for (size_t i = 0; i < pixelCount; ++i) {
        uint8_t* p = rgba + i * 4;
        const uint8_t t = p[0];
        p[0] = p[2];
        p[2] = t;
    }
}

void rgbToRgba(const uint8_t* rgb, uint8_t* rgba, size_t pixelCount, uint8_t alpha) {
    if (!rgb || !rgba) return;
    for (size_t i = 0; i < pixelCount; ++i) {
        rgba[i * 4 + 0] = rgb[i * 3 + 0];
        rgba[i * 4 + 1] = rgb[i * 3 + 1];
        rgba[i * 4 + 2] = rgb[i * 3 + 2];
        rgba[i * 4 + 3] = alpha;
    }
}

void rgbaToRgb(const uint8_t* rgba, uint8_t* rgb, size_t pixelCount) {
    if (!rgba || !rgb) return;
    for (size_t i = 0; i < pixelCount; ++i) {
        rgb[i * 3 + 0] = rgba[i * 4 + 0];
        rgb[i * 3 + 1] = rgba[i * 4 + 1];
        rgb[i * 3 + 2] = rgba[i * 4 + 2];
    }
}

uint8_t grayOf(uint8_t r, uint8_t g, uint8_t b) {
    // Rec. 601 luma in thousandths, rounded; the weights add up to 1000 so
    // white stays 255 and a grey pixel keeps its value.
    return static_cast<uint8_t>((r * kGrayWeightRed + g * kGrayWeightGreen + b * kGrayWeightBlue + 500) / 1000);
}

void grayFromColor(const uint8_t* src, int32_t bytesPerPixel, uint8_t* gray, size_t pixelCount) {
    if (!src || !gray || (bytesPerPixel != 3 && bytesPerPixel != 4)) return;
    for (size_t i = 0; i < pixelCount; ++i) {
        const uint8_t* p = src + i * bytesPerPixel;
        gray[i] = grayOf(p[0], p[1], p[2]);
    }
}

bool splitImage(const uint8_t* src, int32_t width, int32_t height, int32_t srcStride, int32_t channels,
                uint8_t* const planes[]) {
    if (!src || !planes || width <= 0 || height <= 0 || channels < 1 || channels > 4) return false;
    if (static_cast<int64_t>(srcStride) < static_cast<int64_t>(width) * channels) return false;
    for (int32_t c = 0; c < channels; ++c) {
        uint8_t* plane = planes[c];
        if (!plane) continue;
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* s = src + static_cast<size_t>(y) * srcStride + c;
            uint8_t* d = plane + static_cast<size_t>(y) * width;
            for (int32_t x = 0; x < width; ++x) d[x] = s[static_cast<size_t>(x) * channels];
        }
    }
    return true;
}

bool combineImageChannels(uint8_t* dst, int32_t width, int32_t height, int32_t dstStride, int32_t channels,
                          const uint8_t* const planes[]) {
    if (!dst || !planes || width <= 0 || height <= 0 || channels < 1 || channels > 4) return false;
    if (static_cast<int64_t>(dstStride) < static_cast<int64_t>(width) * channels) return false;
    for (int32_t c = 0; c < channels; ++c) {
        const uint8_t* plane = planes[c];
        if (!plane) continue;
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* d = dst + static_cast<size_t>(y) * dstStride + c;
            const uint8_t* s = plane + static_cast<size_t>(y) * width;
            for (int32_t x = 0; x < width; ++x) d[static_cast<size_t>(x) * channels] = s[x];
        }
    }
    return true;
}

// ---- Device-independent bitmaps ----------------------------------------------

namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionBitfields = 3;

uint32_t readLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
uint16_t readLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void writeLe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
void writeLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

struct DibLayout {
    int32_t width;
    int32_t height;    // always positive
    bool topDown;      // negative height in the header
    int32_t bitCount;  // 24 or 32
    size_t pixelOffset;
    size_t rowBytes;
};

// Checks the header and that every row lies inside the block.
bool dibLayout(const uint8_t* dib, size_t size, DibLayout* out) {
    if (!dib || size < kInfoHeaderSize) return false;
    const uint32_t headerSize = readLe32(dib);
    if (headerSize < kInfoHeaderSize || headerSize > size) return false;
    const int32_t width = static_cast<int32_t>(readLe32(dib + 4));
    const int32_t rawHeight = static_cast<int32_t>(readLe32(dib + 8));
    const uint16_t planes = readLe16(dib + 12);
    const uint16_t bitCount = readLe16(dib + 14);
    const uint32_t compression = readLe32(dib + 16);
    if (planes != 1 || (bitCount != 24 && bitCount != 32)) return false;
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return false;
    const int32_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    if (static_cast<int64_t>(width) * height > kMaxDecodedPixels) return false;
    size_t offset = headerSize;
    if (compression == kCompressionBitfields) {
        // Three colour masks follow a plain info header; we accept only the
        // ordinary byte layout they describe.
        if (bitCount != 32 || size < kInfoHeaderSize + 12) return false;
        if (headerSize == kInfoHeaderSize) {
            offset += 12;
        } else if (headerSize < kInfoHeaderSize + 12) {
            return false;
        }
        const uint8_t* m = dib + kInfoHeaderSize;
        if (readLe32(m) != 0x00FF0000u || readLe32(m + 4) != 0x0000FF00u || readLe32(m + 8) != 0x000000FFu)
            return false;
    } else if (compression != kCompressionRgb) {
        return false;
    }
    const size_t rowBytes = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    if ((size - offset) / rowBytes < static_cast<size_t>(height)) return false;
    *out = DibLayout{width, height, rawHeight < 0, bitCount, offset, rowBytes};
    return true;
}

}  // namespace

int32_t dibWidth(const uint8_t* dib, size_t size) {
    DibLayout l;
    return dibLayout(dib, size, &l) ? l.width : 0;
}

int32_t dibHeight(const uint8_t* dib, size_t size) {
    DibLayout l;
    return dibLayout(dib, size, &l) ? l.height : 0;
}

bool dibToRgba(const uint8_t* dib, size_t size, uint8_t* rgba) {
    DibLayout l;
    if (!rgba || !dibLayout(dib, size, &l)) return false;
    const uint8_t* pixels = dib + l.pixelOffset;
    // Many producers leave the fourth byte of 32-bit rows at zero; a bitmap
    // whose alpha is zero everywhere is opaque, not invisible.
    bool anyAlpha = false;
    if (l.bitCount == 32) {
        for (int32_t y = 0; y < l.height && !anyAlpha; ++y) {
            const uint8_t* s = pixels + static_cast<size_t>(y) * l.rowBytes;
            for (int32_t x = 0; x < l.width; ++x)
                if (s[x * 4 + 3] != 0) {
                    anyAlpha = true;
                    break;
                }
        }
    }
    for (int32_t y = 0; y < l.height; ++y) {
        const int32_t srcRow = l.topDown ? y : l.height - 1 - y;
        const uint8_t* s = pixels + static_cast<size_t>(srcRow) * l.rowBytes;
        uint8_t* d = rgba + static_cast<size_t>(y) * l.width * 4;
        if (l.bitCount == 24) {
            for (int32_t x = 0; x < l.width; ++x) {
                d[x * 4 + 0] = s[x * 3 + 2];
                d[x * 4 + 1] = s[x * 3 + 1];
                d[x * 4 + 2] = s[x * 3 + 0];
                d[x * 4 + 3] = 255;
            }
        } else {
            for (int32_t x = 0; x < l.width; ++x) {
                d[x * 4 + 0] = s[x * 4 + 2];
                d[x * 4 + 1] = s[x * 4 + 1];
                d[x * 4 + 2] = s[x * 4 + 0];
                d[x * 4 + 3] = anyAlpha ? s[x * 4 + 3] : 255;
            }
        }
    }
    return true;
}

size_t dibSize(int32_t width, int32_t height, int32_t bitCount) {
    if (width <= 0 || height <= 0 || (bitCount != 24 && bitCount != 32)) return 0;
    if (static_cast<int64_t>(width) * height > kMaxDecodedPixels) return 0;
    const size_t rowBytes = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    return kInfoHeaderSize + rowBytes * static_cast<size_t>(height);
}

bool rgbaToDib(const uint8_t* rgba, int32_t width, int32_t height, int32_t bitCount, uint8_t* dib,
               size_t capacity) {
    const size_t need = dibSize(width, height, bitCount);
    if (!rgba || !dib || need == 0 || capacity < need) return false;
    const size_t rowBytes = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    std::memset(dib, 0, kInfoHeaderSize);
    writeLe32(dib, kInfoHeaderSize);
    writeLe32(dib + 4, static_cast<uint32_t>(width));
    writeLe32(dib + 8, static_cast<uint32_t>(height));  // positive: bottom-up rows
    writeLe16(dib + 12, 1);
    writeLe16(dib + 14, static_cast<uint16_t>(bitCount));
    writeLe32(dib + 16, kCompressionRgb);
    writeLe32(dib + 20, static_cast<uint32_t>(rowBytes * static_cast<size_t>(height)));
    writeLe32(dib + 24, kDibDefaultPixelsPerMetre);
    writeLe32(dib + 28, kDibDefaultPixelsPerMetre);
    uint8_t* pixels = dib + kInfoHeaderSize;
    const int32_t bpp = bitCount / 8;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* s = rgba + static_cast<size_t>(y) * width * 4;
        uint8_t* d = pixels + static_cast<size_t>(height - 1 - y) * rowBytes;
        std::memset(d, 0, rowBytes);  // padding bytes are defined
        for (int32_t x = 0; x < width; ++x) {
            d[x * bpp + 0] = s[x * 4 + 2];
            d[x * bpp + 1] = s[x * 4 + 1];
            d[x * bpp + 2] = s[x * 4 + 0];
            if (bpp == 4) d[x * bpp + 3] = s[x * 4 + 3];
        }
    }
    return true;
}

}  // namespace mrv::platform
