// PNG reading with libpng from memory: every colour type and depth is
// expanded to 8-bit RGBA (16-bit channels keep their high byte, as the engine
// does everywhere; palettes and grey expanded; a transparency chunk becomes
// alpha). libpng's errors unwind through setjmp; all memory that must be
// freed on that path is owned by the caller's DecodedImage or libpng itself.
#include <png.h>

#include <csetjmp>
#include <cstdlib>

#include "platform/imaging/codecs.h"

namespace mrv::platform::codecs {

namespace {

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* src = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (count > src->size - src->pos) png_error(png, "truncated");
    src->take(out, count);
}

void pngError(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }
void pngWarning(png_structp, png_const_charp) {}

}  // namespace

bool decodePng(const uint8_t* d, size_t n, DecodedImage* out) {
    MemorySource src{d, n, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    // Declared before setjmp and volatile so the error path sees the latest value.
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        std::free(rows);
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &src, readFromMemory);
    // Ancillary chunks cannot make libpng hold more than this (decompression bombs in text chunks).
    png_set_chunk_malloc_max(png, 8u << 20);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (static_cast<int64_t>(width) * height > kMaxDecodedPixels) png_error(png, "too large");
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, transparency chunk to alpha
    png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "unexpected layout");
    if (!allocDecoded(width, height, out)) png_error(png, "no memory");
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!rows) png_error(png, "no memory");
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = out->pixels + static_cast<size_t>(y) * width * 4;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace mrv::platform::codecs
