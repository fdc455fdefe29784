// Our own strict BMP reader: file header plus an info header of 12 (core),
// 40, 52, 56, 108 or 124 bytes; 1, 4 and 8 bits through a palette, 16, 24
// and 32 bits, bit-field masks, and run-length 8 and 4 bits. Every row,
// palette entry and run is checked against the file before it is used.
#include <vector>

#include "platform/imaging/codecs.h"

namespace mrv::platform::codecs {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6;

struct Mask {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

Mask makeMask(uint32_t m) {
    Mask r;
    r.mask = m;
    if (!m) return r;
    while (!((m >> r.shift) & 1)) ++r.shift;
    while (r.shift + r.bits < 32 && ((m >> (r.shift + r.bits)) & 1)) ++r.bits;
    return r;
}

// Scales a field of `bits` bits to 0..255.
uint8_t fieldValue(uint32_t px, const Mask& m) {
    if (!m.mask) return 0;
    const uint32_t v = (px & m.mask) >> m.shift;
    const uint32_t maxV = m.bits >= 32 ? 0xFFFFFFFFu : ((1u << m.bits) - 1);
    return static_cast<uint8_t>((static_cast<uint64_t>(v) * 255 + maxV / 2) / maxV);
}

bool contiguous(uint32_t m) {
    if (!m) return true;
    while (!(m & 1)) m >>= 1;
    return (m & (m + 1)) == 0;
}

}  // namespace

bool decodeBmp(const uint8_t* d, size_t n, DecodedImage* out) {
    ByteReader r(d, n);
    if (r.u8() != 'B' || r.u8() != 'M') return false;
    r.skip(8);
    const uint32_t pixelOffset = r.le32();
    const size_t infoStart = r.pos();
    const uint32_t headerSize = r.le32();
    if (!r.ok()) return false;
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return false;
    int64_t width, height;
    uint16_t planes, bits;
    uint32_t compression = kRgb, colorsUsed = 0;
    if (headerSize == 12) {
        width = r.le16();
        height = r.le16();  // unsigned here: core headers have no top-down form
        planes = r.le16();
        bits = r.le16();
    } else {
        width = static_cast<int32_t>(r.le32());
        height = static_cast<int32_t>(r.le32());
        planes = r.le16();
        bits = r.le16();
        compression = r.le32();
        r.skip(12);  // image size, resolution
        colorsUsed = r.le32();
        r.skip(4);
    }
    if (!r.ok() || planes != 1 || width <= 0 || height == 0) return false;
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (width * height > kMaxDecodedPixels) return false;

    // Colour masks: inside the longer headers, or right after a 40-byte one.
    Mask red, green, blue, alpha;
    bool useAlpha = false;
    if (compression == kBitfields || compression == kAlphaBitfields) {
        if (bits != 16 && bits != 32) return false;
        const size_t maskPos = infoStart + 40;
        ByteReader m(d, n);
        m.seek(maskPos);
        const uint32_t rm = m.le32(), gm = m.le32(), bm = m.le32();
        uint32_t am = 0;
        if (headerSize >= 56 || compression == kAlphaBitfields) am = m.le32();
        if (!m.ok()) return false;
        if (!contiguous(rm) || !contiguous(gm) || !contiguous(bm) || !contiguous(am)) return false;
        red = makeMask(rm);
        green = makeMask(gm);
        blue = makeMask(bm);
        alpha = makeMask(am);
        useAlpha = am != 0;
    } else if (bits == 16) {
        red = makeMask(0x7C00);
        green = makeMask(0x03E0);
        blue = makeMask(0x001F);
    } else if (compression == kRle8) {
        if (bits != 8) return false;
    } else if (compression == kRle4) {
        if (bits != 4) return false;
    } else if (compression != kRgb) {
        return false;
    }
    if ((compression == kRle8 || compression == kRle4) && topDown) return false;

    // Palette, right after the header (and masks).
    std::vector<uint8_t> palette;  // RGBA entries
    if (bits <= 8) {
        const uint32_t maxColors = 1u << bits;
        const uint32_t count = colorsUsed == 0 ? maxColors : colorsUsed;
        if (count > maxColors) return false;
        const size_t entry = headerSize == 12 ? 3 : 4;
        r.seek(infoStart + headerSize);
        palette.resize(static_cast<size_t>(count) * 4);
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t b = r.u8(), g = r.u8(), rr = r.u8();
            if (entry == 4) r.u8();
            palette[i * 4 + 0] = rr;
            palette[i * 4 + 1] = g;
            palette[i * 4 + 2] = b;
            palette[i * 4 + 3] = 255;
        }
        if (!r.ok()) return false;
    }
    if (pixelOffset >= n) return false;
    const uint8_t* pixels = d + pixelOffset;
    const size_t avail = n - pixelOffset;
    if (!allocDecoded(width, height, out)) return false;
    const int32_t w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
    auto outRow = [&](int32_t fileRow) {
        const int32_t y = topDown ? fileRow : h - 1 - fileRow;
        return out->pixels + static_cast<size_t>(y) * w * 4;
    };
    auto putIndex = [&](uint8_t* px, uint32_t index) {
        if (static_cast<size_t>(index) * 4 >= palette.size()) return false;
        std::memcpy(px, &palette[index * 4], 4);
        return true;
    };

    if (compression == kRle8 || compression == kRle4) {
        // Pixels a run does not reach stay transparent black.
        std::memset(out->pixels, 0, static_cast<size_t>(w) * h * 4);
        size_t p = 0;
        int32_t x = 0, row = 0;
        for (;;) {
            if (avail - p < 2) return false;
            const uint8_t count = pixels[p], value = pixels[p + 1];
            p += 2;
            if (count > 0) {
                if (row >= h) return false;
                for (int i = 0; i < count; ++i, ++x) {
                    if (x >= w) return false;
                    const uint32_t index = compression == kRle8 ? value : ((i & 1) ? value & 0x0F : value >> 4);
                    if (!putIndex(outRow(row) + static_cast<size_t>(x) * 4, index)) return false;
                }
            } else if (value == 0) {  // end of line
                x = 0;
                ++row;
            } else if (value == 1) {  // end of bitmap
                return true;
            } else if (value == 2) {  // delta
                if (avail - p < 2) return false;
                x += pixels[p];
                row += pixels[p + 1];
                p += 2;
                if (x > w || row > h) return false;
            } else {  // literal run, padded to a 16-bit boundary
                const size_t bytes = compression == kRle8 ? value : (value + 1u) / 2;
                if (avail - p < bytes || row >= h) return false;
                for (int i = 0; i < value; ++i, ++x) {
                    if (x >= w) return false;
                    const uint8_t b = pixels[p + (compression == kRle8 ? i : i / 2)];
                    const uint32_t index = compression == kRle8 ? b : ((i & 1) ? b & 0x0F : b >> 4);
                    if (!putIndex(outRow(row) + static_cast<size_t>(x) * 4, index)) return false;
                }
                p += (bytes + 1) & ~size_t(1);
                if (p > avail) return false;
            }
        }
    }

    const size_t rowBytes = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
    if (avail / rowBytes < static_cast<size_t>(h)) return false;
    bool anyAlpha = false;
    for (int32_t fr = 0; fr < h; ++fr) {
        const uint8_t* s = pixels + static_cast<size_t>(fr) * rowBytes;
        uint8_t* o = outRow(fr);
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* px = o + static_cast<size_t>(x) * 4;
            switch (bits) {
                case 1:
                    if (!putIndex(px, (s[x >> 3] >> (7 - (x & 7))) & 1)) return false;
                    break;
                case 4:
                    if (!putIndex(px, (x & 1) ? s[x >> 1] & 0x0F : s[x >> 1] >> 4)) return false;
                    break;
                case 8:
                    if (!putIndex(px, s[x])) return false;
                    break;
                case 24:
                    px[0] = s[x * 3 + 2];
                    px[1] = s[x * 3 + 1];
                    px[2] = s[x * 3 + 0];
                    px[3] = 255;
                    break;
                default: {
                    uint32_t v;
                    if (bits == 16) {
                        v = static_cast<uint32_t>(s[x * 2] | s[x * 2 + 1] << 8);
                    } else {
                        v = static_cast<uint32_t>(s[x * 4]) | static_cast<uint32_t>(s[x * 4 + 1]) << 8 |
                            static_cast<uint32_t>(s[x * 4 + 2]) << 16 | static_cast<uint32_t>(s[x * 4 + 3]) << 24;
                    }
                    if (bits == 32 && compression == kRgb) {
                        px[0] = static_cast<uint8_t>(v >> 16);
                        px[1] = static_cast<uint8_t>(v >> 8);
                        px[2] = static_cast<uint8_t>(v);
                        px[3] = static_cast<uint8_t>(v >> 24);
                        anyAlpha = anyAlpha || px[3] != 0;
                    } else {
                        px[0] = fieldValue(v, red);
                        px[1] = fieldValue(v, green);
                        px[2] = fieldValue(v, blue);
                        px[3] = useAlpha ? fieldValue(v, alpha) : 255;
                    }
                }
            }
        }
    }
    // Plain 32-bit files usually leave the fourth byte at zero: opaque, not invisible.
    if (bits == 32 && compression == kRgb && !anyAlpha)
        for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) out->pixels[i * 4 + 3] = 255;
    return true;
}

}  // namespace mrv::platform::codecs
