// Our own strict PCX reader: 1 bit in 1 to 4 planes, 2 and 4 bits in one
// plane (the header's 16-colour palette), 8 bits in one plane (the 256-colour
// palette at the end of the file, after its 0x0C marker), and 8 bits in 3 or
// 4 planes (RGB, RGBA). Runs may cross scan lines but never the picture's end.
#include <vector>

#include "platform/imaging/codecs.h"

namespace mrv::platform::codecs {

bool decodePcx(const uint8_t* d, size_t n, DecodedImage* out) {
    if (!isPcx(d, n)) return false;
    ByteReader r(d, n);
    r.skip(2);
    const uint8_t encoding = r.u8();
    const uint8_t bits = r.u8();
    const uint16_t xMin = r.le16(), yMin = r.le16(), xMax = r.le16(), yMax = r.le16();
    r.skip(4);  // resolution
    const uint8_t* headerPalette = d + 16;
    r.seek(65);
    const uint8_t planes = r.u8();
    const uint16_t bytesPerLine = r.le16();
    if (!r.ok() || xMax < xMin || yMax < yMin) return false;
    const int32_t width = xMax - xMin + 1, height = yMax - yMin + 1;
    const bool paletted8 = bits == 8 && planes == 1;
    const bool direct = bits == 8 && (planes == 3 || planes == 4);
    const bool lowBits = (bits == 1 && planes >= 1 && planes <= 4) || ((bits == 2 || bits == 4) && planes == 1);
    if (!paletted8 && !direct && !lowBits) return false;
    if (static_cast<size_t>(bytesPerLine) * 8 < static_cast<size_t>(width) * bits) return false;

    const uint8_t* palette256 = nullptr;
    size_t dataEnd = n;
    if (paletted8) {
        if (n < 128 + 769 || d[n - 769] != 0x0C) return false;
        palette256 = d + n - 768;
        dataEnd = n - 769;
    }
    const size_t lineBytes = static_cast<size_t>(bytesPerLine) * planes;
    const size_t total = lineBytes * height;
    if (static_cast<int64_t>(width) * height > kMaxDecodedPixels) return false;
    // A two-byte run gives at most 63 bytes: a file too short for its size is
    // refused before anything is allocated for it.
    if (dataEnd <= 128 || total / 32 > dataEnd - 128) return false;
    std::vector<uint8_t> raw(total);
    size_t p = 128, i = 0;
    if (encoding == 1) {
        while (i < total) {
            if (p >= dataEnd) return false;
            uint8_t b = d[p++];
            size_t count = 1;
            if ((b & 0xC0) == 0xC0) {
                count = b & 0x3F;
                if (p >= dataEnd) return false;
                b = d[p++];
            }
            if (count > total - i) return false;
            std::memset(&raw[i], b, count);
            i += count;
        }
    } else {
        if (dataEnd - 128 < total) return false;
        std::memcpy(raw.data(), d + 128, total);
    }
    if (!allocDecoded(width, height, out)) return false;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* line = &raw[static_cast<size_t>(y) * lineBytes];
        uint8_t* o = out->pixels + static_cast<size_t>(y) * width * 4;
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* px = o + static_cast<size_t>(x) * 4;
            if (direct) {
                px[0] = line[x];
                px[1] = line[bytesPerLine + x];
                px[2] = line[2 * bytesPerLine + x];
                px[3] = planes == 4 ? line[3 * bytesPerLine + x] : 255;
                continue;
            }
            if (paletted8) {
                std::memcpy(px, palette256 + line[x] * 3, 3);
                px[3] = 255;
                continue;
            }
            uint32_t index = 0;
            if (bits == 1) {
                for (int pl = 0; pl < planes; ++pl)
                    index |= ((line[pl * bytesPerLine + (x >> 3)] >> (7 - (x & 7))) & 1u) << pl;
            } else {
                const int perByte = 8 / bits;
                const uint8_t b = line[x / perByte];
                index = (b >> ((perByte - 1 - x % perByte) * bits)) & ((1u << bits) - 1);
            }
            if (bits == 1 && planes == 1) {
                // Monochrome files carry no usable palette: 0 black, 1 white.
                px[0] = px[1] = px[2] = index ? 255 : 0;
            } else {
                std::memcpy(px, headerPalette + index * 3, 3);  // index < 16 by construction
            }
            px[3] = 255;
        }
    }
    return true;
}

}  // namespace mrv::platform::codecs
