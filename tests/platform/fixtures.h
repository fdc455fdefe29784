// Small valid picture files made in code, one per format the readers know,
// each with the RGBA32 content it must decode to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

struct Fixture {
    std::string name;
    int32_t fileType;                 // expected guess code
    std::vector<uint8_t> bytes;       // the file
    int32_t width, height;
    std::vector<uint8_t> rgba;        // expected pixels
    int32_t tolerance;                // per channel (lossy formats)
    size_t truncationSlack;           // trailing bytes a reader may legitimately not need
};

std::vector<Fixture> allFixtures();

// libpng-written PNG of any colour type from raw rows (for grey, palette and 16-bit cases).
std::vector<uint8_t> makePng(int width, int height, int colorType, int bitDepth, const std::vector<uint8_t>& raw,
                             const std::vector<uint8_t>& palette = {}, const std::vector<uint8_t>& trns = {});

struct Bytes {
    std::vector<uint8_t> v;
    Bytes& u8(int x) { v.push_back(static_cast<uint8_t>(x)); return *this; }
    Bytes& le16(int x) { return u8(x & 0xFF).u8((x >> 8) & 0xFF); }
    Bytes& le32(uint32_t x) { return le16(x & 0xFFFF).le16(x >> 16); }
    Bytes& be16(int x) { return u8((x >> 8) & 0xFF).u8(x & 0xFF); }
    Bytes& be32(uint32_t x) { return be16(x >> 16).be16(x & 0xFFFF); }
    Bytes& raw(std::initializer_list<int> xs) { for (int x : xs) u8(x); return *this; }
    Bytes& str(const char* s) { while (*s) u8(*s++); return *this; }
    Bytes& zeros(size_t n) { v.insert(v.end(), n, 0); return *this; }
};

}  // namespace fixtures
