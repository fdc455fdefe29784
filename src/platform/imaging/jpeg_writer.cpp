// Whole-image JPEG writing with libjpeg-turbo: RGB24 or RGBA32 packed rows
// (alpha has no place in the format and is dropped), a quality of 1..100 and
// a density record in dots per inch. A failed write removes the file.
#include <cstdio>
#include <csetjmp>

#include <jpeglib.h>

#include "platform/imaging/imaging.h"

namespace mrv::platform {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }
void jpegOutputMessage(j_common_ptr) {}

bool writeJpegStream(FILE* file, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
                     int32_t quality, int32_t dpi) {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = jpegErrorExit;
    err.base.output_message = jpegOutputMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
    // RGBA rows go in as they are; the library skips the fourth byte.
    cinfo.in_color_space = channels == 4 ? JCS_EXT_RGBX : JCS_RGB;
    if (channels == 3) cinfo.input_components = 3;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (dpi > 0 && dpi <= 65535) {
        cinfo.write_JFIF_header = TRUE;
        cinfo.density_unit = 1;  // dots per inch
        cinfo.X_density = static_cast<UINT16>(dpi);
        cinfo.Y_density = static_cast<UINT16>(dpi);
    }
    jpeg_start_compress(&cinfo, TRUE);
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + static_cast<size_t>(cinfo.next_scanline) * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool writeJpeg(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
               int32_t quality, int32_t dpi) {
    if (!path || !*path || !pixels || width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return false;
    // The format's own limit is 65500 a side; stay within what we read back.
    if (width > 65500 || height > 65500 || static_cast<int64_t>(width) * height > kMaxDecodedPixels) return false;
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool ok = writeJpegStream(file, pixels, width, height, channels, quality, dpi);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) std::remove(path);
    return ok;
}

}  // namespace mrv::platform
