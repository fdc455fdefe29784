// Our own strict TGA reader: colour-mapped (8-bit indices into 15-, 16-, 24-
// or 32-bit entries), true colour (15, 16, 24, 32 bits) and 8-bit grey,
// uncompressed or run-length, either origin. TGA has no magic number, so a
// file counts as TGA only when every header field is consistent and the
// colour map fits in the file.
#include <vector>

#include "platform/imaging/codecs.h"

namespace mrv::platform::codecs {

namespace {

struct TgaHeader {
    uint8_t idLength, mapType, imageType;
    uint16_t mapFirst, mapLength;
    uint8_t mapBits;
    uint16_t width, height;
    uint8_t bits, descriptor;
};

bool parseHeader(const uint8_t* d, size_t n, TgaHeader* h) {
    if (n < 18) return false;
    ByteReader r(d, n);
    h->idLength = r.u8();
    h->mapType = r.u8();
    h->imageType = r.u8();
    h->mapFirst = r.le16();
    h->mapLength = r.le16();
    h->mapBits = r.u8();
    r.skip(4);  // origin
    h->width = r.le16();
    h->height = r.le16();
    h->bits = r.u8();
    h->descriptor = r.u8();
    if (h->mapType > 1 || h->width == 0 || h->height == 0) return false;
    if (h->descriptor & 0xC0) return false;  // interleaving: never used, never read
    const uint8_t base = h->imageType & ~8;
    if ((h->imageType & ~0x0B) != 0 || base < 1 || base > 3) return false;
    if (base == 1) {
        if (h->mapType != 1 || h->bits != 8 || h->mapLength == 0) return false;
        if (h->mapBits != 15 && h->mapBits != 16 && h->mapBits != 24 && h->mapBits != 32) return false;
    } else if (base == 2) {
        if (h->bits != 15 && h->bits != 16 && h->bits != 24 && h->bits != 32) return false;
    } else if (h->bits != 8) {
        return false;
    }
    if (h->mapType == 1 && h->mapBits != 15 && h->mapBits != 16 && h->mapBits != 24 && h->mapBits != 32) return false;
    if (h->mapType == 0 && (h->mapLength != 0 || h->mapFirst != 0)) return false;
    const size_t mapBytes = h->mapType ? static_cast<size_t>(h->mapLength) * ((h->mapBits + 7) / 8) : 0;
    const size_t dataStart = 18 + h->idLength + mapBytes;
    if (dataStart >= n) return false;
    if (!(h->imageType & 8)) {
        const size_t need = static_cast<size_t>(h->width) * h->height * ((h->bits + 7) / 8);
        if (n - dataStart < need) return false;
    }
    return true;
}

void colorOf(const uint8_t* s, int bits, bool useAlpha, uint8_t* px) {
    if (bits == 15 || bits == 16) {
        const uint16_t v = static_cast<uint16_t>(s[0] | s[1] << 8);
        px[0] = static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31);
        px[1] = static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31);
        px[2] = static_cast<uint8_t>((v & 31) * 255 / 31);
        px[3] = (bits == 16 && useAlpha) ? ((v & 0x8000) ? 255 : 0) : 255;
    } else {
        px[0] = s[2];
        px[1] = s[1];
        px[2] = s[0];
        px[3] = (bits == 32 && useAlpha) ? s[3] : 255;
    }
}

}  // namespace

bool isTga(const uint8_t* d, size_t n) {
    TgaHeader h;
    return parseHeader(d, n, &h);
}

bool decodeTga(const uint8_t* d, size_t n, DecodedImage* out) {
    TgaHeader h;
    if (!parseHeader(d, n, &h)) return false;
    const int attributeBits = h.descriptor & 0x0F;
    // The attribute count says whether the extra bits are alpha; writers that
    // leave it at zero mean "no alpha".
    const bool useAlpha = attributeBits > 0;
    std::vector<uint8_t> map;
    ByteReader r(d, n);
    r.seek(18 + h.idLength);
    if (h.mapType == 1) {
        const int entry = (h.mapBits + 7) / 8;
        map.resize(static_cast<size_t>(h.mapLength) * 4);
        for (uint32_t i = 0; i < h.mapLength; ++i) {
            colorOf(r.here(), h.mapBits, useAlpha || h.mapBits == 32, &map[i * 4]);
            r.skip(entry);
        }
        if (!r.ok()) return false;
    }
    // A run packet of 1 + bytes bytes gives at most 128 pixels: refuse a file
    // too short for its size before allocating the picture.
    const size_t total = static_cast<size_t>(h.width) * h.height;
    if ((h.imageType & 8) && total / 128 > r.left()) return false;
    if (!allocDecoded(h.width, h.height, out)) return false;
    const uint8_t base = h.imageType & ~8;
    const int bytes = (h.bits + 7) / 8;
    const bool topOrigin = h.descriptor & 0x20, rightOrigin = h.descriptor & 0x10;
    auto place = [&](size_t i, const uint8_t* s) {
        const size_t fileRow = i / h.width, fileCol = i % h.width;
        const size_t y = topOrigin ? fileRow : h.height - 1 - fileRow;
        const size_t x = rightOrigin ? h.width - 1 - fileCol : fileCol;
        uint8_t* px = out->pixels + (y * h.width + x) * 4;
        if (base == 1) {
            const uint32_t index = s[0];
            if (index < h.mapFirst || index - h.mapFirst >= h.mapLength) return false;
            std::memcpy(px, &map[(index - h.mapFirst) * 4], 4);
        } else if (base == 3) {
            px[0] = px[1] = px[2] = s[0];
            px[3] = 255;
        } else {
            colorOf(s, h.bits, useAlpha, px);
        }
        return true;
    };
    if (!(h.imageType & 8)) {
        for (size_t i = 0; i < total; ++i) {
            if (r.left() < static_cast<size_t>(bytes)) return false;
            if (!place(i, r.here())) return false;
            r.skip(bytes);
        }
        return true;
    }
    // Run-length packets may run across rows but never past the picture.
    size_t i = 0;
    while (i < total) {
        const uint8_t head = r.u8();
        if (!r.ok()) return false;
        const size_t count = (head & 0x7F) + 1u;
        if (count > total - i) return false;
        if (head & 0x80) {
            if (r.left() < static_cast<size_t>(bytes)) return false;
            for (size_t k = 0; k < count; ++k)
                if (!place(i + k, r.here())) return false;
            r.skip(bytes);
        } else {
            if (r.left() / bytes < count) return false;
            for (size_t k = 0; k < count; ++k) {
                if (!place(i + k, r.here())) return false;
                r.skip(bytes);
            }
        }
        i += count;
    }
    return true;
}

}  // namespace mrv::platform::codecs
