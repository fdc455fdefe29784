// Our own strict reader for flat PSD files: the merged picture after the
// header, colour-mode, resource and layer sections; grey, RGB and CMYK at 8
// or 16 bits (16 keeps the high byte), raw or PackBits run-length; the
// channel after the colour channels is alpha. Layers are not read.
#include <vector>

#include "platform/imaging/codecs.h"

namespace mrv::platform::codecs {

namespace {
constexpr uint16_t kModeGrey = 1, kModeRgb = 3, kModeCmyk = 4;
constexpr uint32_t kMaxSide = 30000;  // the format's own limit for version 1
}  // namespace

bool decodePsd(const uint8_t* d, size_t n, DecodedImage* out) {
    ByteReader r(d, n);
    if (r.be32() != 0x38425053u) return false;  // "8BPS"
    if (r.be16() != 1) return false;           // 2 would be the large-document variant
    r.skip(6);
    const uint16_t channels = r.be16();
    const uint32_t height = r.be32(), width = r.be32();
    const uint16_t depth = r.be16(), mode = r.be16();
    if (!r.ok() || channels < 1 || channels > 56 || width == 0 || height == 0 || width > kMaxSide ||
        height > kMaxSide)
        return false;
    if (depth != 8 && depth != 16) return false;
    const int colorChannels = mode == kModeGrey ? 1 : mode == kModeRgb ? 3 : mode == kModeCmyk ? 4 : 0;
    if (colorChannels == 0 || channels < colorChannels) return false;
    for (int section = 0; section < 3; ++section) {  // colour-mode data, resources, layers and masks
        const uint32_t len = r.be32();
        if (!r.ok() || !r.skip(len)) return false;
    }
    const uint16_t compression = r.be16();
    if (!r.ok() || compression > 1) return false;
    const int used = channels > colorChannels ? colorChannels + 1 : colorChannels;
    const size_t bytesPerSample = depth / 8;
    const size_t rowBytes = static_cast<size_t>(width) * bytesPerSample;
    if (static_cast<int64_t>(width) * height > kMaxDecodedPixels) return false;

    // Everything is checked against the file before the planes are allocated,
    // so a short file cannot make us reserve memory for a picture it lacks.
    std::vector<uint16_t> counts;
    if (compression == 0) {
        if (r.left() / rowBytes / height < static_cast<size_t>(used)) return false;
    } else {
        // Byte counts of every row of every channel come first; a PackBits
        // pair gives at most 128 bytes.
        const size_t rows = static_cast<size_t>(height) * channels;
        if (r.left() / 2 < rows) return false;
        counts.resize(rows);
        size_t sum = 0;
        for (size_t i = 0; i < rows; ++i) {
            counts[i] = r.be16();
            if (i < static_cast<size_t>(height) * used) {
                if (static_cast<size_t>(counts[i]) * 64 < rowBytes) return false;
                sum += counts[i];
            }
        }
        if (sum > r.left()) return false;
    }
    std::vector<uint8_t> planes(rowBytes * height * used);
    if (compression == 0) {
        std::memcpy(planes.data(), r.here(), planes.size());
    } else {
        for (size_t row = 0; row < static_cast<size_t>(height) * used; ++row) {
            const size_t len = counts[row];
            if (r.left() < len) return false;
            const uint8_t* s = r.here();
            uint8_t* o = &planes[row * rowBytes];
            size_t p = 0, q = 0;
            while (q < rowBytes) {
                if (p >= len) return false;
                const int8_t c = static_cast<int8_t>(s[p++]);
                if (c >= 0) {
                    const size_t k = static_cast<size_t>(c) + 1;
                    if (k > len - p || k > rowBytes - q) return false;
                    std::memcpy(o + q, s + p, k);
                    p += k;
                    q += k;
                } else if (c != -128) {
                    const size_t k = 1 - static_cast<int>(c);
                    if (p >= len || k > rowBytes - q) return false;
                    std::memset(o + q, s[p++], k);
                    q += k;
                }
            }
            r.skip(len);
        }
    }
    if (!allocDecoded(width, height, out)) return false;
    const size_t planeBytes = rowBytes * height;
    const size_t count = static_cast<size_t>(width) * height;
    auto sample = [&](int channel, size_t i) { return planes[channel * planeBytes + i * bytesPerSample]; };
    for (size_t i = 0; i < count; ++i) {
        uint8_t* px = out->pixels + i * 4;
        if (mode == kModeGrey) {
            px[0] = px[1] = px[2] = sample(0, i);
        } else if (mode == kModeRgb) {
            px[0] = sample(0, i);
            px[1] = sample(1, i);
            px[2] = sample(2, i);
        } else {
            // Stored as 255 = no ink.
            const int k = sample(3, i);
            px[0] = static_cast<uint8_t>((sample(0, i) * k + 127) / 255);
            px[1] = static_cast<uint8_t>((sample(1, i) * k + 127) / 255);
            px[2] = static_cast<uint8_t>((sample(2, i) * k + 127) / 255);
        }
        px[3] = used > colorChannels ? sample(colorChannels, i) : 255;
    }
    return true;
}

}  // namespace mrv::platform::codecs
