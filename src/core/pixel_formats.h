// Pixel formats and the conversions between them that bind the whole engine.
//
// Layers are RGBA64: four 16-bit channels red, green, blue, alpha, straight
// alpha. Hosts exchange RGBA32 (four bytes in the same order) and RGB24.
// Widening is v * 256, so 255 becomes 65280 and never 65535; narrowing keeps
// the high byte. 8 -> 16 -> 8 is therefore exact, while 16 -> 8 -> 16 clears
// the low byte. Compositing measures colour against kColourScale for that
// reason and alpha against 65535.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrv {

constexpr uint32_t kColourScale = 65280;  // 255 widened
constexpr uint32_t kFullWeight = 65535;

inline uint16_t widen8(uint32_t byte) { return static_cast<uint16_t>((byte & 0xFFu) << 8); }
inline uint8_t narrow16(uint32_t value) { return static_cast<uint8_t>((value & 0xFFFFu) >> 8); }

// Packed colour of one RGBA64 pixel: (R8 << 24) | (G8 << 16) | (B8 << 8) | A8.
inline uint32_t packRGBA(const uint16_t* p) {
    return (static_cast<uint32_t>(p[0] >> 8) << 24) | (static_cast<uint32_t>(p[1] >> 8) << 16) |
           (static_cast<uint32_t>(p[2] >> 8) << 8) | static_cast<uint32_t>(p[3] >> 8);
}

// Packed colour of one RGBA64 pixel: (A8 << 24) | (R8 << 16) | (G8 << 8) | B8.
inline uint32_t packARGB(const uint16_t* p) {
    return (static_cast<uint32_t>(p[3] >> 8) << 24) | (static_cast<uint32_t>(p[0] >> 8) << 16) |
           (static_cast<uint32_t>(p[1] >> 8) << 8) | static_cast<uint32_t>(p[2] >> 8);
}

// One row of `count` pixels. Kept as plain indexed loops so that the compiler
// turns them into vector code; each is a single pass over memory.
inline void rowRGBA32ToRGBA64(const uint8_t* src, uint16_t* dst, size_t count) {
    for (size_t i = 0; i < count * 4; ++i) dst[i] = static_cast<uint16_t>(src[i] << 8);
}

inline void rowRGBA64ToRGBA32(const uint16_t* src, uint8_t* dst, size_t count) {
    for (size_t i = 0; i < count * 4; ++i) dst[i] = static_cast<uint8_t>(src[i] >> 8);
}

inline void rowRGBA64ToRGB24(const uint16_t* src, uint8_t* dst, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        dst[i * 3 + 0] = static_cast<uint8_t>(src[i * 4 + 0] >> 8);
        dst[i * 3 + 1] = static_cast<uint8_t>(src[i * 4 + 1] >> 8);
        dst[i * 3 + 2] = static_cast<uint8_t>(src[i * 4 + 2] >> 8);
    }
}

// Packed w x h blocks (row length w pixels). Negative sizes convert nothing.
void RGBA32ToRGBA64Block(const uint8_t* src, uint16_t* dst, int32_t w, int32_t h);
void RGBA64ToRGBA32Block(const uint16_t* src, uint8_t* dst, int32_t w, int32_t h);

}  // namespace mrv
