// Reading pictures by content: the first bytes pick the format (never the
// file name), one reader decodes it to RGBA32. Each reader refuses damaged
// or oversized input and frees what it allocated on every path.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "platform/imaging/codecs.h"

namespace mrv::platform {

namespace codecs {

bool allocDecoded(int64_t width, int64_t height, DecodedImage* out) {
    out->pixels = nullptr;
    if (width <= 0 || height <= 0 || width * height > kMaxDecodedPixels) return false;
    out->pixels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(width * height) * 4));
    if (!out->pixels) return false;
    out->width = static_cast<int32_t>(width);
    out->height = static_cast<int32_t>(height);
    return true;
}

void freeDecoded(DecodedImage* image) {
    std::free(image->pixels);
    image->pixels = nullptr;
}

bool isPng(const uint8_t* d, size_t n) {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return n >= 8 && std::memcmp(d, sig, 8) == 0;
}
bool isJpeg(const uint8_t* d, size_t n) { return n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF; }
bool isTiff(const uint8_t* d, size_t n) {
    return n >= 4 && ((d[0] == 'I' && d[1] == 'I' && d[2] == 42 && d[3] == 0) ||
                      (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && d[3] == 42));
}
bool isGif(const uint8_t* d, size_t n) {
    return n >= 6 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0);
}
bool isBmp(const uint8_t* d, size_t n) { return n >= 18 && d[0] == 'B' && d[1] == 'M'; }
bool isPsd(const uint8_t* d, size_t n) { return n >= 26 && std::memcmp(d, "8BPS", 4) == 0; }
bool isPcx(const uint8_t* d, size_t n) {
    return n >= 128 && d[0] == 0x0A && (d[1] <= 5 && d[1] != 1) && d[2] <= 1 &&
           (d[3] == 1 || d[3] == 2 || d[3] == 4 || d[3] == 8);
}

// Metafiles are recognised so callers can tell them from damaged pictures;
// rendering them is not offered yet, so reading one is refused.
bool isEmf(const uint8_t* d, size_t n) {
    return n >= 44 && d[0] == 1 && d[1] == 0 && d[2] == 0 && d[3] == 0 && std::memcmp(d + 40, " EMF", 4) == 0;
}
bool isWmf(const uint8_t* d, size_t n) {
    // The placeable header's key, or a plain header (type 1 or 2, 9 words).
    if (n >= 4 && d[0] == 0xD7 && d[1] == 0xCD && d[2] == 0xC6 && d[3] == 0x9A) return true;
    return n >= 18 && (d[0] == 1 || d[0] == 2) && d[1] == 0 && d[2] == 9 && d[3] == 0 && (d[4] == 0 || d[4] == 1) &&
           d[5] == 3;
}

}  // namespace codecs

namespace {

// Our files are pictures; anything above this is refused before reading.
constexpr long kMaxFileBytes = 2047l * 1024 * 1024;

using namespace codecs;

int32_t typeOf(const uint8_t* d, size_t n) {
    if (isPng(d, n)) return kFilePng;
    if (isJpeg(d, n)) return kFileJpeg;
    if (isGif(d, n)) return kFileGif;
    if (isTiff(d, n)) return kFileTiff;
    if (isBmp(d, n)) return kFileBmp;
    if (isPsd(d, n)) return kFilePsd;
    if (isEmf(d, n)) return kFileEmf;
    if (isWmf(d, n)) return kFileWmf;
    if (isPcx(d, n)) return kFilePcx;
    if (isTga(d, n)) return kFileTga;
    return kFileUnknown;
}

bool readWholeFile(const char* path, std::vector<uint8_t>* data) {
    if (!path || !*path) return false;
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size > 0 && size <= kMaxFileBytes && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        try {
            data->resize(static_cast<size_t>(size));
            ok = std::fread(data->data(), 1, data->size(), f) == data->size();
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    std::fclose(f);
    return ok;
}

}  // namespace

int32_t guessFileType(const char* path) {
    if (!path || !*path) return kFileUnknown;
    FILE* f = std::fopen(path, "rb");
    if (!f) return kFileUnknown;
    // TGA has no magic number, so its check needs the header and the file size.
    uint8_t head[128];
    const size_t n = std::fread(head, 1, sizeof head, f);
    int32_t type = kFileUnknown;
    if (n > 0) {
        type = typeOf(head, n);
        if (type == kFileUnknown || type == kFileTga) {
            std::vector<uint8_t> all;
            std::fclose(f);
            return readWholeFile(path, &all) ? typeOf(all.data(), all.size()) : kFileUnknown;
        }
    }
    std::fclose(f);
    return type;
}

bool readImageToRGBAFromMemory(const uint8_t* data, size_t size, DecodedImage* out) {
    if (!data || size == 0 || !out) return false;
    DecodedImage img{nullptr, 0, 0};
    bool ok = false;
    // Our own readers keep scratch in vectors; running out of memory is a refusal like any other.
    try {
    switch (typeOf(data, size)) {
        case kFilePng: ok = decodePng(data, size, &img); break;
        case kFileJpeg: ok = decodeJpeg(data, size, &img); break;
        case kFileGif: ok = decodeGif(data, size, &img); break;
        case kFileTiff: ok = decodeTiff(data, size, &img); break;
        case kFileBmp: ok = decodeBmp(data, size, &img); break;
        case kFilePsd: ok = decodePsd(data, size, &img); break;
        case kFilePcx: ok = decodePcx(data, size, &img); break;
        case kFileTga: ok = decodeTga(data, size, &img); break;
        default: break;
    }
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok) {
        freeDecoded(&img);
        return false;
    }
    *out = img;
    return true;
}

bool readImageToRGBA(const char* path, DecodedImage* out) {
    if (!out) return false;
    std::vector<uint8_t> data;
    if (!readWholeFile(path, &data)) return false;
    return readImageToRGBAFromMemory(data.data(), data.size(), out);
}

}  // namespace mrv::platform
