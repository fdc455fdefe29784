// The imaging platform: the operations the engine hands to an imaging library
// (rectangle copies, compression, conversions, resampling, a plane blur and
// the file codecs), built here on zlib, libpng, libjpeg-turbo, libtiff, giflib
// and our own code. Every function returns false (or 0) on failure and then
// leaves its outputs untouched unless it says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrv::platform {

// ---- Overlay copy -----------------------------------------------------------
// Copies a srcWidth x srcHeight block over the destination at (x, y), replacing
// the destination bytes, clipped to the destination (negative x, y included).
// bytesPerPixel is 1, 2, 3, 4 or 8; strides are in bytes. A block wholly
// outside the destination copies nothing and still succeeds; false only for
// null buffers, unknown pixel sizes, empty sizes or strides below a row.
bool overlayImage(uint8_t* dst, int32_t dstWidth, int32_t dstHeight, int32_t bytesPerPixel, int32_t dstStride,
                  const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, int32_t x, int32_t y);

// ---- Compression (zlib, no header of our own) ----------------------------------
// Deflates inSize bytes into out (capacity outCapacity); *outSize gets the
// compressed length. level is the zlib level 0..9 (-1 = default). False when
// the result does not fit.
bool deflateBuffer(const uint8_t* in, size_t inSize, uint8_t* out, size_t outCapacity, size_t* outSize, int level);
// Inflates into out; false on a truncated or corrupt stream, or when the data
// would not fit in outCapacity. Never reads or writes outside the buffers.
bool inflateBuffer(const uint8_t* in, size_t inSize, uint8_t* out, size_t outCapacity, size_t* outSize);

// ---- Conversions ------------------------------------------------------------
void swapRedBlue(uint8_t* rgba, size_t pixelCount);                     // bytes 0 and 2 of 4-byte pixels
void rgbToRgba(const uint8_t* rgb, uint8_t* rgba, size_t pixelCount, uint8_t alpha);
void rgbaToRgb(const uint8_t* rgba, uint8_t* rgb, size_t pixelCount);
// 8-bit grey from RGBA32 or RGB24 (bytesPerPixel 4 or 3), alpha ignored:
// grey = (299 r + 587 g + 114 b + 500) / 1000 (Rec. 601 luma, rounded), so
// white stays 255 and grey pixels keep their value.
constexpr int32_t kGrayWeightRed = 299;
constexpr int32_t kGrayWeightGreen = 587;
constexpr int32_t kGrayWeightBlue = 114;
uint8_t grayOf(uint8_t r, uint8_t g, uint8_t b);
void grayFromColor(const uint8_t* src, int32_t bytesPerPixel, uint8_t* gray, size_t pixelCount);

// Splits an image of `channels` interleaved bytes a pixel (1..4) into planes
// of width * height bytes; a null plane is skipped (so one channel can be
// taken alone). False on bad sizes.
bool splitImage(const uint8_t* src, int32_t width, int32_t height, int32_t srcStride, int32_t channels,
                uint8_t* const planes[]);
// Writes each non-null plane into its channel of dst; other channels keep
// their bytes.
bool combineImageChannels(uint8_t* dst, int32_t width, int32_t height, int32_t dstStride, int32_t channels,
                          const uint8_t* const planes[]);

// ---- Device-independent bitmaps ---------------------------------------------
// A DIB is a 40-byte info header (size, width, height, planes 1, bit count,
// compression, image size, resolution, colours used, colours important,
// little-endian), then the pixels blue-green-red(-alpha), rows padded to four
// bytes, bottom row first (a negative height means top row first). 24 and
// 32 bits are read, the latter also with the plain byte-order bit-field
// masks; a 32-bit DIB whose fourth bytes are all zero reads as opaque.
constexpr uint32_t kDibDefaultPixelsPerMetre = 2835;  // 72 dots per inch
int32_t dibWidth(const uint8_t* dib, size_t size);   // 0 when not a DIB we read
int32_t dibHeight(const uint8_t* dib, size_t size);  // rows, always positive; 0 when unreadable
// Writes width * height * 4 bytes of RGBA32, top row first.
bool dibToRgba(const uint8_t* dib, size_t size, uint8_t* rgba);
// Bytes of a DIB of this size (header included); 0 for impossible sizes.
size_t dibSize(int32_t width, int32_t height, int32_t bitCount);
// Writes a bottom-up 24- or 32-bit DIB (alpha kept in the fourth byte) from
// packed RGBA32; false when capacity is below dibSize().
bool rgbaToDib(const uint8_t* rgba, int32_t width, int32_t height, int32_t bitCount, uint8_t* dib,
               size_t capacity);

// ---- Resampling (1, 3, 4 or 8 bytes per pixel; 8 = four 16-bit channels) --------
// Source and destination must not overlap. False on null buffers, other pixel
// sizes, empty or oversized pictures, strides below a row, or no memory.
// Bilinear: a triangle filter, widened by the shrink factor when a side
// shrinks so every source pixel counts; centres aligned ((d + 0.5) / scale).
bool resizeImage(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                 int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel);
// Mode 1: each output pixel is the exact coverage-weighted mean of the source
// pixels under it (integer arithmetic, rounded). Mode 0: nearest. Other modes
// are refused.
constexpr int32_t kDecimateNearest = 0;
constexpr int32_t kDecimateAreaAverage = 1;
bool decimateImage(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                   int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel, int32_t mode);
// Cubic convolution (a = -0.5), widened when shrinking; results clamped.
bool resizeImageBicubic(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                        int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel);
// Nearest: output (x, y) takes source ((2x + 1) sw / 2dw, (2y + 1) sh / 2dh).
bool simpleResampleImage(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                         int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel);

// ---- One-channel blur -------------------------------------------------------
// Blurs a byte plane (rowLength bytes a row, for src and dst alike) into dst
// with the 3 x 3 binomial kernel (1 2 1 / 2 4 2 / 1 2 1, sum 16, edges
// repeated), then mixes: dst = (src (100 - s) 16 + sum s + 800) / 1600 with
// s the strength percentage limited to 0..100. Strength 100 is the full
// kernel, 0 a copy. src may equal dst.
bool blurPlane(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t rowLength,
               int32_t strengthPercent);

// ---- Files ------------------------------------------------------------------
// File-type guess codes by content.
enum FileType : int32_t {
    kFileUnknown = 0,
    kFileBmp = 1,
    kFileJpeg = 3,
    kFilePng = 4,
    kFileTiff = 6,
    kFileWmf = 7,
    kFileEmf = 8,
    kFilePsd = 10,
    kFileGif = 11,
    kFileTga = 12,
    kFilePcx = 13,
};
// Metafiles (7, 8) are recognised but not read yet. TGA, which has no magic
// number, is reported only when its whole header is consistent.
int32_t guessFileType(const char* path);

// Decoded pixels, malloc-owned: the caller copies and releases them with std::free.
struct DecodedImage {
    uint8_t* pixels;  // RGBA32, packed rows of width * 4 bytes
    int32_t width;
    int32_t height;
};
// Reads any supported file by content; refuses pictures above kMaxDecodedPixels.
constexpr int64_t kMaxDecodedPixels = 16384ll * 16384ll;
bool readImageToRGBA(const char* path, DecodedImage* out);
// Same, from a memory buffer.
bool readImageToRGBAFromMemory(const uint8_t* data, size_t size, DecodedImage* out);

// Writes RGB24 (channels 3) or RGBA32 (channels 4), packed rows, as PNG with a
// resolution record in pixels per metre (0: none).
// A failed write removes the file. zlib level 6.
bool writePng(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              int32_t pixelsPerMetre);
// The same with a chosen zlib level 0..9 (others: 6).
bool writePngLevel(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
                   int32_t pixelsPerMetre, int32_t level);

// Writes RGB24 (channels 3) or RGBA32 (channels 4, alpha dropped), packed
// rows, as baseline JPEG of quality 1..100 (clamped) with a density record in
// dots per inch when dpi is 1..65535. A failed write removes the file.
bool writeJpeg(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
               int32_t quality, int32_t dpi);

}  // namespace mrv::platform
