// The dab's mix modes: how a painted colour combines with the pixel under
// it. Modes up to 33 composite straight over the target ("Normal" and
// "Multiply"); modes 34..48 and the bank and level modes 249..262, 295 and
// 340 first compute a mode colour from the brush colour and the target and
// then lay it over the target by the coverage. Everything is fixed point on
// 16-bit channels; every shift and truncation is part of the result, so
// these helpers are written operation by operation and shared by the dab
// renderer and its tests.
#pragma once

#include <cstdint>

namespace mrv {

constexpr int32_t kChannelMax = 65535;
constexpr int32_t kChannelHalf = 32767;

constexpr int32_t kMixNormal = 32;
constexpr int32_t kMixMultiply = 33;
constexpr int32_t kMixFirstBlendMode = 34;  // "Screen"; 34..48 are 32 + a layer blend mode
constexpr int32_t kMixLastBlendMode = 48;   // "Subtract"
constexpr int32_t kMixSoftLight = 42;
constexpr int32_t kMixFirstBank = 249;
constexpr int32_t kMixLastBank = 262;
constexpr int32_t kMixPosterize = 295;  // keeps the top bits of each channel
constexpr int32_t kMixGrey = 340;       // paints the brush lightness as alpha over mid grey

// How a dab combines colour. Unlisted modes above 33 have no result of their
// own; the engine paints them exactly as "Normal" (32) so that a host that
// sends a mode this engine does not know still gets an ordinary brush.
enum class MixFamily : uint8_t {
    Normal,    // 32 and every unlisted mode above 33
    Multiply,  // 33 and every value below 32
    Mode,      // 34..48, 249..262, 295, 340: mode colour, then coverage
};

MixFamily mixFamilyOf(int32_t mode);

inline int32_t clampChannel(int64_t v) {
    return v < 0 ? 0 : v > kChannelMax ? kChannelMax : static_cast<int32_t>(v);
}

// The per-channel function F(C, D) of modes 34..48 (C brush, D target, both
// 0..65535). Other modes return C.
int32_t blendModeFunction(int32_t mode, int32_t c, int32_t d);

// Everything a mode colour needs besides the two pixels; fixed for a dab.
struct MixParams {
    int32_t mode;
    int32_t mixAmount;   // weight of the mode function
    int32_t mixInverse;  // weight of the brush colour (256 - mixAmount)
    int32_t mixShift;    // bit count of the posterize mode (low 5 bits used)
    const uint16_t (*banks)[4];  // the four bank colours
};

// Result of a mode above 33 for one pixel, before the coverage is applied.
struct ModeColour {
    int32_t o[3];     // mode colour O
    int32_t alpha;    // mode alpha A'
    bool greyTarget;  // 340: the target counts as mid grey for coverage and remix
};

// Mode colour O and alpha A' for brush colour c (r, g, b, a) over the
// adjusted target dp (r, g, b) whose alpha is da. Modes 253 and 254 take one
// draw of the engine's random sequence each time.
ModeColour modeColour(const MixParams& p, const int32_t c[4], const int32_t dp[3], int32_t da);

}  // namespace mrv
