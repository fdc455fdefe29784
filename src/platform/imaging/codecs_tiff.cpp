// TIFF reading with libtiff from memory (first directory), through its RGBA
// interface so every photometric interpretation libtiff knows is covered.
// libtiff reports problems through global handlers; ours stay silent and
// the failure shows in the return values.
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "platform/imaging/codecs.h"

namespace mrv::platform::codecs {

namespace {

struct MemoryFile {
    const uint8_t* data;
    toff_t size;
    toff_t pos;
};

tsize_t memRead(thandle_t h, tdata_t buf, tsize_t count) {
    auto* f = static_cast<MemoryFile*>(h);
    if (count <= 0 || f->pos >= f->size) return 0;
    toff_t n = static_cast<toff_t>(count);
    if (n > f->size - f->pos) n = f->size - f->pos;
    std::memcpy(buf, f->data + f->pos, static_cast<size_t>(n));
    f->pos += n;
    return static_cast<tsize_t>(n);
}
tsize_t memWrite(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t memSeek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    toff_t base = whence == SEEK_CUR ? f->pos : (whence == SEEK_END ? f->size : 0);
    // Offsets are unsigned; a hostile negative seek wraps and is refused here.
    if (whence != SEEK_SET && static_cast<int64_t>(off) < 0) {
        const uint64_t back = static_cast<uint64_t>(-static_cast<int64_t>(off));
        if (back > base) return static_cast<toff_t>(-1);
        f->pos = base - back;
        return f->pos;
    }
    if (off > f->size || base + off > f->size) return static_cast<toff_t>(-1);
    f->pos = base + off;
    return f->pos;
}
int memClose(thandle_t) { return 0; }
toff_t memSize(thandle_t h) { return static_cast<MemoryFile*>(h)->size; }
int memMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void memUnmap(thandle_t, tdata_t, toff_t) {}

void quietHandler(const char*, const char*, va_list) {}

// Plain strips of 8-bit grey or RGB, with or without one extra channel,
// are read as stored: the RGBA interface would premultiply an unassociated
// alpha and lose colour under low alpha.
bool readPlainScanlines(TIFF* tif, uint32_t width, uint32_t height, DecodedImage* out, bool* handled) {
    uint16_t bits = 0, samples = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
    *handled = false;
    if (TIFFIsTiled(tif)) return false;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) != 1) return false;
    const bool grey = photometric == PHOTOMETRIC_MINISBLACK && (samples == 1 || samples == 2);
    const bool rgb = photometric == PHOTOMETRIC_RGB && (samples == 3 || samples == 4);
    if (bits != 8 || planar != PLANARCONFIG_CONTIG || (!grey && !rgb)) return false;
    *handled = true;
    const tmsize_t lineSize = TIFFScanlineSize(tif);
    if (lineSize < static_cast<tmsize_t>(width) * samples) return false;
    std::vector<uint8_t> line(static_cast<size_t>(lineSize));
    for (uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tif, line.data(), y, 0) != 1) return false;
        uint8_t* o = out->pixels + static_cast<size_t>(y) * width * 4;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* s = &line[static_cast<size_t>(x) * samples];
            if (grey) {
                o[x * 4] = o[x * 4 + 1] = o[x * 4 + 2] = s[0];
                o[x * 4 + 3] = samples == 2 ? s[1] : 255;
            } else {
                o[x * 4] = s[0];
                o[x * 4 + 1] = s[1];
                o[x * 4 + 2] = s[2];
                o[x * 4 + 3] = samples == 4 ? s[3] : 255;
            }
        }
    }
    return true;
}

}  // namespace

bool decodeTiff(const uint8_t* d, size_t n, DecodedImage* out) {
    static const bool quiet = [] {
        TIFFSetErrorHandler(quietHandler);
        TIFFSetWarningHandler(quietHandler);
        return true;
    }();
    (void)quiet;
    MemoryFile file{d, static_cast<toff_t>(n), 0};
    TIFF* tif = TIFFClientOpen("memory", "rm", &file, memRead, memWrite, memSeek, memClose, memSize, memMap, memUnmap);
    if (!tif) return false;
    uint32_t width = 0, height = 0;
    bool ok = TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) == 1 && TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) == 1;
    ok = ok && static_cast<int64_t>(width) * height <= kMaxDecodedPixels && allocDecoded(width, height, out);
    bool handled = false;
    if (ok) {
        try {
            ok = readPlainScanlines(tif, width, height, out, &handled);
        } catch (const std::bad_alloc&) {
            ok = false;
            handled = true;
        }
    }
    if (ok && !handled) {
        char message[1024];
        // The raster holds one 32-bit word a pixel with red in the low byte,
        // which on our little-endian targets is RGBA byte order already.
        ok = TIFFRGBAImageOK(tif, message) == 1 &&
             TIFFReadRGBAImageOriented(tif, width, height, reinterpret_cast<uint32_t*>(out->pixels),
                                       ORIENTATION_TOPLEFT, 1) == 1;
        uint16_t extraCount = 0;
        uint16_t* extra = nullptr;
        if (ok && TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) == 1 && extraCount > 0 &&
            extra[0] == EXTRASAMPLE_UNASSALPHA) {
            // This path premultiplied the colour; give back straight alpha.
            const size_t count = static_cast<size_t>(width) * height;
            for (size_t i = 0; i < count; ++i) {
                uint8_t* px = out->pixels + i * 4;
                const uint32_t a = px[3];
                if (a == 0 || a == 255) continue;
                for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(std::min<uint32_t>(255, (px[c] * 255u + a / 2) / a));
            }
        }
    }
    TIFFClose(tif);
    return ok;
}

}  // namespace mrv::platform::codecs
