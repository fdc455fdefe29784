// JPEG reading with libjpeg-turbo from memory, to RGBA: colour and grey
// through the library's own RGBA output, CMYK (plain or the inverted form
// marked by an Adobe segment) converted here. Corrupt-data warnings (a
// truncated file among them) are treated as errors, so a damaged picture is
// refused instead of coming back half grey.
#include <cstdio>
#include <csetjmp>
#include <cstdlib>

#include <jpeglib.h>

#include "platform/imaging/codecs.h"

namespace mrv::platform::codecs {

namespace {

// Progressive files with thousands of tiny scans cost time without bound;
// no real picture needs this many.
constexpr int kMaxScans = 1000;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }

void jpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0) std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void jpegOutputMessage(j_common_ptr) {}

struct ScanLimit {
    jpeg_progress_mgr base;
    j_decompress_ptr cinfo;
};

void jpegProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) jpegErrorExit(cinfo);
}

}  // namespace

bool decodeJpeg(const uint8_t* d, size_t n, DecodedImage* out) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = jpegErrorExit;
    err.base.emit_message = jpegEmitMessage;
    err.base.output_message = jpegOutputMessage;
    JSAMPROW volatile cmykRow = nullptr;
    if (setjmp(err.jump)) {
        std::free(cmykRow);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    ScanLimit progress{};
    progress.base.progress_monitor = jpegProgress;
    cinfo.progress = &progress.base;
    cinfo.mem->max_memory_to_use = 1024l * 1024 * 1024;
    jpeg_mem_src(&cinfo, d, static_cast<unsigned long>(n));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) jpegErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
    if (static_cast<int64_t>(cinfo.image_width) * cinfo.image_height > kMaxDecodedPixels)
        jpegErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(&cinfo);
    const uint32_t width = cinfo.output_width, height = cinfo.output_height;
    if (!allocDecoded(width, height, out)) jpegErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
    if (cmyk) {
        cmykRow = static_cast<JSAMPROW>(std::malloc(static_cast<size_t>(width) * 4));
        if (!cmykRow) jpegErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
    }
    // Adobe's writers store CMYK inverted (255 = no ink).
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < height) {
        uint8_t* row = out->pixels + static_cast<size_t>(cinfo.output_scanline) * width * 4;
        JSAMPROW target = cmyk ? cmykRow : row;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) jpegErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
        if (cmyk) {
            for (uint32_t x = 0; x < width; ++x) {
                int c = cmykRow[x * 4], m = cmykRow[x * 4 + 1], y = cmykRow[x * 4 + 2], k = cmykRow[x * 4 + 3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    y = 255 - y;
                    k = 255 - k;
                }
                row[x * 4 + 0] = static_cast<uint8_t>((c * k + 127) / 255);
                row[x * 4 + 1] = static_cast<uint8_t>((m * k + 127) / 255);
                row[x * 4 + 2] = static_cast<uint8_t>((y * k + 127) / 255);
                row[x * 4 + 3] = 255;
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    std::free(cmykRow);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace mrv::platform::codecs
