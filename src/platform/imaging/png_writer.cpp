// Whole-image PNG writing with libpng: RGB24 or RGBA32 packed rows, 8 bits a
// channel, with an optional physical-resolution record in pixels per metre.
// A write that fails part-way removes the file rather than leaving a
// truncated picture behind that later reads would choke on.
#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "platform/imaging/imaging.h"

namespace mrv::platform {

namespace {

void pngWriteError(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }
void pngWarning(png_structp, png_const_charp) {}

// Kept apart from writePng so that no local with a destructor lives across setjmp.
bool writePngStream(FILE* file, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
                    int32_t pixelsPerMetre, int32_t level) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngWriteError, pngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (pixelsPerMetre > 0)
        png_set_pHYs(png, info, static_cast<png_uint_32>(pixelsPerMetre), static_cast<png_uint_32>(pixelsPerMetre),
                     PNG_RESOLUTION_METER);
    png_write_info(png, info);
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    for (int32_t y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(pixels + static_cast<size_t>(y) * rowBytes));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePngLevel(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
                   int32_t pixelsPerMetre, int32_t level) {
    if (!path || !*path || !pixels || width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return false;
    // The format allows 2^31 - 1 a side; our readers refuse above the pixel limit,
    // so we never write what we could not read back.
    if (static_cast<int64_t>(width) * height > kMaxDecodedPixels) return false;
    if (level < 0 || level > 9) level = 6;
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool ok = writePngStream(file, pixels, width, height, channels, pixelsPerMetre, level);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) std::remove(path);
    return ok;
}

bool writePng(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              int32_t pixelsPerMetre) {
    return writePngLevel(path, pixels, width, height, channels, pixelsPerMetre, 6);
}

}  // namespace mrv::platform
