// Run-length line codecs that hosts keep in their documents: layer rows as
// 5-byte runs (count, red, green, blue, alpha: the high bytes of RGBA64) and
// MaskPlane rows as 2-byte runs (count, high byte). Counts are 1..255.
#pragma once

#include <cstdint>

namespace mrv {

constexpr int32_t kMaxRun = 255;

// Encoders return the bytes written (0 for null pointers or n < 1). The
// output must hold 5 * n (layer) or 2 * n (mask) bytes.
int32_t rleCompressRGBA64ToRGBA32(const uint16_t* pixels, uint8_t* out, int32_t n);
int32_t rleCompressG16ToG8(const uint16_t* values, uint8_t* out, int32_t n);
// Decoders write exactly n elements (never more), each byte widened by 256.
void rleUncompressRGBA32ToRGBA64(const uint8_t* in, uint16_t* pixels, int32_t n);
void rleUncompressG8ToG16(const uint8_t* in, uint16_t* values, int32_t n);

// Row y of layer n / of the MaskPlane. A layer narrower than the canvas codes
// only the pixels it holds.
int32_t getRGBA32LayerLineRLE(uint8_t* out, int32_t n, int32_t y);
void putRGBA32LayerLineRLE(const uint8_t* in, int32_t n, int32_t y);
int32_t getMaskLineRLE(uint8_t* out, int32_t y);
void putMaskLineRLE(const uint8_t* in, int32_t y);

}  // namespace mrv
