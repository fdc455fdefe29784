// The selection weight with which loaders, clears and the mask-and-texture
// adjustment scale what they write. A weight is 0..65535 and is built from two
// optional factors: the paper texture (a TextureMap byte t, 4..250) and the
// selection (a MaskPlane value m). The texture factor is taken first and the
// mask factor is applied to its result.
//
// The variants differ on purpose and stored pictures depend on each of them:
//   - the colour loaders round the texture factor up by one step ((c + 1)) and
//     use only the high byte of the mask, so that a mask value whose high byte
//     is 0 protects fully;
//   - the alpha loader and the buffer adjustment use (c) and all 16 bits of
//     the mask.
#pragma once

#include <cstdint>

namespace mrv {

// Texture factor of the colour loaders: c = 2t; 0 -> 0, c >= 255 -> full,
// otherwise ((c + 1) * 65535) >> 8.
inline uint32_t textureWeightLoad(uint8_t t) {
    const uint32_t c = 2u * t;
    if (c == 0) return 0;
    if (c >= 255) return 65535;
    return ((c + 1) * 65535u) >> 8;
}

// Texture factor of the alpha loader and the buffer adjustment: (c * 65535) >> 8.
inline uint32_t textureWeightPlain(uint8_t t) {
    const uint32_t c = 2u * t;
    if (c == 0) return 0;
    if (c >= 255) return 65535;
    return (c * 65535u) >> 8;
}

// Mask factor from the high byte h of the mask value.
inline uint32_t maskWeightHighByte(uint32_t w, uint16_t m) {
    const uint32_t h = m >> 8;
    if (h == 0) return 0;
    if (h == 255) return w;
    return ((h + 1) * w) >> 8;
}

// Mask factor using all 16 bits of the mask value.
inline uint32_t maskWeight16(uint32_t w, uint16_t m) {
    if (m == 65535) return w;
    return (static_cast<uint32_t>(m) * w) >> 16;
}

// Weighted write of one 16-bit channel: source byte s over current value d,
// unsigned 32-bit throughout (no product here exceeds 32 bits).
inline uint16_t weightedWrite(uint32_t s, uint32_t d, uint32_t w) {
    return static_cast<uint16_t>((((s * 256u * w) >> 8) + ((d * (65535u - w)) >> 8)) >> 8);
}

}  // namespace mrv
