// The dab renderer. A stroke is thousands of dabs and every dab pixel runs
// the same fixed-point pipeline, so the work is split in two: a set-up that
// takes every per-dab decision once (target, locks, colour, random draws,
// placement, which optional stages are on) and a row painter specialised on
// the decisions that shape the inner loop (rotation, grit, pick-up, mix
// family). The arithmetic is written step by step because every shift, bias
// and truncation shows in the painted result, and the same seed and calls
// must reproduce a stroke bit for bit.
#include "brush/dab_renderer.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "brush/mix_modes.h"
#include "core/engine_state.h"
#include "core/guard.h"
#include "core/random.h"

namespace mrv {

namespace {

constexpr int32_t kColourHighByte = 0xFF00;  // a dab keeps only the high byte of its colour
constexpr int32_t kBlobFaint = 8191;         // at or below this alpha a pixel is not part of the blob
constexpr int32_t kBlobEraseFloor = 9215;    // erasing inside the blob never goes below this alpha
constexpr int32_t kAlphaScaleShift = 7;      // alphaScale is 128 at full opacity
constexpr int32_t kFullOpacityPercent = 100;
constexpr int32_t kTextureNeutral = 255;  // a TextureMap byte that would leave coverage alone
constexpr int32_t kGritTextureOffsetRange = 25;
constexpr int32_t kFirstAlphaLayer = 2;  // layers 0 and 1 keep their alpha
constexpr int32_t kGreyToMaskDark = 255;     // lightness at or below: full mask weight
constexpr int32_t kGreyToMaskBase = 65280;   // mask weight = 65280 - lightness
constexpr int32_t kDabScaleEntries = kDabScaleTableSize;

// The visible part of a dab on the canvas. xs..xe and ys..ye may be empty or
// even inverted when the dab lies off the canvas; the rectangles are widened
// with them all the same.
struct Placement {
    int32_t xs, xe, ys, ye;
    int32_t skipX, skipY;  // dab columns and rows cut off at the left and top
};

int32_t toInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Centres a dab of dabSize at (x, y). Taken in 64 bits so that a centre near
// the ends of the int32 range cannot overflow.
Placement placeDab(int32_t x, int32_t y, int32_t dabSize, int32_t width, int32_t height) {
    const int64_t h = dabSize / 2;
    const int64_t x0 = static_cast<int64_t>(x) - h;
    const int64_t y0 = static_cast<int64_t>(y) - h;
    const int64_t x1 = x0 + dabSize;
    const int64_t y1 = y0 + dabSize;
    Placement p;
    p.skipX = x0 < 0 ? toInt32(-x0) : 0;
    p.skipY = y0 < 0 ? toInt32(-y0) : 0;
    p.xs = toInt32(std::max<int64_t>(x0, 0));
    p.xe = toInt32(std::min<int64_t>(x1, width));
    p.ys = toInt32(std::max<int64_t>(y0, 0));
    p.ye = toInt32(std::min<int64_t>(y1, height));
    return p;
}

void widenRect(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom, const Placement& p) {
    left = std::min(left, p.xs);
    top = std::min(top, p.ys);
    right = std::max(right, p.xe);
    bottom = std::max(bottom, p.ye);
}

// The brush geometry a dab may use: every shape, grit and BlendBuffer read
// lands inside the top-left brushSize square of buffers brushMaxSize wide.
bool geometryIsSafe(const BrushState& b, const CoreState& c) {
    const int32_t bm = c.brushMaxSize;
    if (!b.brushShape || bm < 1) return false;
    if (b.brushSize < 1 || b.brushSize > bm) return false;
    if (b.dabSize < 1 || b.dabSize > b.brushSize || b.dabSize > kDabScaleEntries) return false;
    for (int32_t i = 0; i < b.dabSize; ++i)
        if (b.dabScaleTable[i] < 0 || b.dabScaleTable[i] >= b.brushSize) return false;
    return true;
}

// The grit cursor as a dab may read it: inside one of the textures with room
// for a whole brushSize square. A cursor that no longer points into the
// textures (they are reallocated with the canvas) is put back at the start of
// texture 19, where the tool set-up leaves it. Null when there are no textures.
uint8_t* usableGritCursor(BrushState& b, int32_t bm) {
    const uint64_t side = static_cast<uint64_t>(bm) + kGritMargin;
    const uint64_t textureBytes = side * side;
    const uint64_t reach = static_cast<uint64_t>(b.brushSize - 1) * bm + (b.brushSize - 1);
    const auto cursor = reinterpret_cast<uintptr_t>(b.gritCursor);
    for (uint8_t* start : b.gritTextures) {
        if (!start) continue;
        const auto base = reinterpret_cast<uintptr_t>(start);
        if (cursor >= base && cursor - base + reach < textureBytes) return b.gritCursor;
    }
    uint8_t* fallback = b.gritTextures[kGritTextureCount - 1];
    b.gritCursor = fallback;
    return fallback;
}

// A per-dab stream of bytes from one of the variation arrays. The cursor is
// re-placed at the start of a row when the row might run past the end of the
// array. An array that cannot hold a whole row from every start position
// (missing, or made for a smaller brushMaxSize) switches the variation off
// for the dab rather than let it read past its end.
class VaryStream {
public:
    void start(const RandArrayByte& a, int32_t range, int32_t dabSize, int32_t bm) {
        range_ = 0;
        pos_ = -1;
        if (range <= 0 || !a.data) return;
        if (static_cast<int64_t>(bm) - 1 + dabSize > a.length) return;
        data_ = a.data;
        length_ = a.length;
        range_ = range;
    }
    bool on() const { return range_ > 0; }
    void placeForRow(int32_t dabSize, int32_t bm) {
        if (!range_) return;
        if (pos_ < 0 || pos_ + dabSize >= static_cast<int64_t>(length_) - 1) pos_ = nextRandom() % bm;
    }
    uint8_t next() { return data_[pos_++]; }

private:
    const uint8_t* data_ = nullptr;
    int64_t pos_ = -1;
    int32_t length_ = 0;
    int32_t range_ = 0;
};

// The per-pixel colour offset for each variation byte u:
// ((range with its lowest bit cleared) - 2 * (u mod range)) * 128. Kept for the
// last range used so that a stroke computes it once.
struct ColourOffsets {
    int32_t range = 0;
    int64_t offset[256];
};

const ColourOffsets& colourOffsetsFor(int32_t range) {
    static ColourOffsets table;
    if (table.range != range) {
        for (int u = 0; u < 256; ++u)
            table.offset[u] = (static_cast<int64_t>(range & ~1) - 2 * static_cast<int64_t>(u % range)) * 128;
        table.range = range;
    }
    return table;
}

// The lightness factor for each variation byte u: f = (128 - range/2 +
// (u mod range)) / 256 moves a channel towards white above 0.5 and towards
// black below, by k = |f - 0.5| * 2. Kept for the last range used.
struct LightnessFactors {
    int32_t range = 0;
    bool lighter[256];
    double k[256];
};

const LightnessFactors& lightnessFactorsFor(int32_t range) {
    static LightnessFactors table;
    if (table.range != range) {
        for (int u = 0; u < 256; ++u) {
            const int32_t d = u % range;
            const double f = (128 - (range >> 1) + d) / 256.0;
            table.lighter[u] = f > 0.5;
            table.k[u] = f > 0.5 ? (f - 0.5) * 2 : (0.5 - f) * 2;
        }
        table.range = range;
    }
    return table;
}

// A factor past 1 (a range above 256) would push a channel outside 0..65535;
// the result is held at the ends instead of wrapping.
inline int32_t varyLightness(int32_t channel, bool lighter, double k) {
    const double v = lighter ? channel + (65535 - channel) * k : channel - channel * k;
    if (v <= 0) return 0;
    if (v >= 65535) return 65535;
    return static_cast<int32_t>(v);
}

// Everything the row painter needs, decided once per dab.
struct DabJob {
    // Geometry: the canvas placement and the buffers the shape position indexes.
    Placement place;
    int32_t xeTarget, yeTarget;  // also clipped to the target's own size
    int32_t dabSize;
    int32_t bm;        // row pitch of the BrushShape and the grit textures
    int32_t bmStride;  // row pitch of the BlendBuffer in 16-bit units
    int32_t centre;    // brushSize / 2, the rotation centre
    int32_t brushSize;
    const int32_t* table;
    const uint16_t* shape;
    const uint8_t* grit;
    int32_t densityLimit;
    float rotateSin, rotateCos;

    // Coverage.
    bool scaleByAlpha;
    int32_t alphaScale;
    const uint8_t* texture;
    const uint16_t* mask;
    int32_t canvasWidth;  // row pitch of the TextureMap and the MaskPlane
    bool solid;

    // Colour.
    int32_t dab[4];  // the dab colour after the per-dab variation and erase
    int64_t primaryProduct[4];
    int32_t primaryStrength, primaryInverse;
    bool imageBrush;
    VaryStream colourVary, lumVary;
    const ColourOffsets* colourOffsets;
    const LightnessFactors* lumFactors;

    // Compositing.
    MixParams mix;
    bool erase;
    // "Normal" at full coverage with an opaque, unvaried colour over a pixel
    // that has alpha: s = 65535 makes NA = 65535 and each channel
    // (65535 * Cc) >> 16 whatever the target held, so the result is fixed
    // for the dab. fullCoverOn says the shortcut applies.
    bool fullCoverOn;
    int32_t fullCover[3];

    // Pick-up.
    uint16_t* blend;
    bool remix;
    int32_t blendStrength, blendInverse;

    // Writing.
    uint16_t* target;
    int64_t targetStride;
    bool writeColour;
    bool writeAlpha;
    bool lockBlob;
    int32_t alphaLevel;
};

// The colour of one pixel without pick-up: the dab colour with the per-pixel
// variations (colour on all four channels, lightness on red, green, blue).
inline void plainColour(DabJob& j, int32_t c[4]) {
    c[0] = j.dab[0];
    c[1] = j.dab[1];
    c[2] = j.dab[2];
    c[3] = j.dab[3];
    if (j.colourVary.on()) {
        const int64_t o = j.colourOffsets->offset[j.colourVary.next()];
        for (int i = 0; i < 4; ++i) c[i] = clampChannel(c[i] + o);
    }
    if (j.lumVary.on()) {
        const uint8_t u = j.lumVary.next();
        const bool lighter = j.lumFactors->lighter[u];
        const double k = j.lumFactors->k[u];
        for (int i = 0; i < 3; ++i) c[i] = varyLightness(c[i], lighter, k);
    }
}

// The colour of one pixel with pick-up: the BlendBuffer pixel, which may
// scale the coverage (image brushes), with the variations on red, green,
// blue and the brush colour mixed in by primaryColorStrength.
inline void pickedColour(DabJob& j, const uint16_t* bp, int32_t c[4], uint32_t& v) {
    c[0] = bp[0];
    c[1] = bp[1];
    c[2] = bp[2];
    c[3] = bp[3];
    if (j.imageBrush && c[3] < kChannelMax) {
        v = (v * static_cast<uint32_t>(c[3])) >> 16;
        if (v == 0) v = 1;  // a faint picked-up pixel still takes part
        c[3] = kChannelMax;
    }
    if (j.colourVary.on()) {
        const int64_t o = j.colourOffsets->offset[j.colourVary.next()];
        for (int i = 0; i < 3; ++i) c[i] = clampChannel(c[i] + o);
    }
    if (j.lumVary.on()) {
        const uint8_t u = j.lumVary.next();
        const bool lighter = j.lumFactors->lighter[u];
        const double k = j.lumFactors->k[u];
        for (int i = 0; i < 3; ++i) c[i] = varyLightness(c[i], lighter, k);
    }
    if (j.primaryStrength != 0) {
        for (int i = 0; i < 4; ++i)
            c[i] = clampChannel((static_cast<int64_t>(c[i]) * j.primaryInverse + j.primaryProduct[i]) >> 8);
    }
}

// Straight "Normal" over a pixel that has alpha: s is the effective paint
// amount, NA the new alpha, and each channel the weighted sum divided back
// by NA. Over an opaque pixel NA is 65535 and the division falls away.
inline void normalOver(const int32_t c[4], const uint16_t* d, uint32_t v, int32_t n[3], int32_t& na) {
    const uint32_t da = d[3];
    const uint32_t s = (v * static_cast<uint32_t>(c[3])) / 65535u;
    const uint32_t newAlpha = ((65535u - da) * s) / 65535u + da;
    na = static_cast<int32_t>(newAlpha);
    for (int i = 0; i < 3; ++i) {
        const uint32_t pD = (static_cast<uint32_t>(d[i]) * da) >> 16;
        const uint32_t sC = (s * static_cast<uint32_t>(c[i])) >> 16;
        const uint32_t sum = (pD * (65535u - s)) / 65535u + sC;  // at most 65535
        n[i] = static_cast<int32_t>(newAlpha == 65535u ? sum : (sum * 65535u) / newAlpha);
    }
}

inline void multiplyOver(const int32_t c[4], const uint16_t* d, uint32_t v, int32_t n[3], int32_t& na) {
    const uint64_t da = d[3];
    const uint64_t s = (static_cast<uint64_t>(v) * static_cast<uint64_t>(c[3])) / 65535u;
    const uint64_t newAlpha = ((65535u - da) * s) / 65535u + da;
    na = static_cast<int32_t>(newAlpha);
    for (int i = 0; i < 3; ++i) {
        const uint64_t pD = (d[i] * da) >> 16;
        const uint64_t sC = (s * static_cast<uint64_t>(c[i])) >> 16;
        const uint64_t sum = ((65535u - s) * pD) / 65535u + ((65535u - da) * sC) / 65535u + (pD * sC) / 65535u;
        n[i] = clampChannel(static_cast<int64_t>(sum * 65535u / newAlpha));
    }
}

// kPlain: the common brush (no rotation, grit, pick-up, opacity scale,
// TextureMap, mask, solid mode, variation, erase or lock, "Normal", opaque
// colour); the per-pixel tests of the optional stages are compiled out.
template <bool kRotate, bool kGrit, bool kPickup, MixFamily kFamily, bool kPlain = false>
void paintRows(DabJob& j) {
    const Placement& pl = j.place;
    const int32_t columns = std::max(j.xeTarget - pl.xs, 0);
    // Per-dab values in locals: the pixel loop stores through 16-bit
    // pointers, and locals let the compiler keep these out of memory.
    const uint16_t* const shape = j.shape;
    const uint8_t* const grit = j.grit;
    const int64_t bm = j.bm;
    const int32_t densityLimit = j.densityLimit;
    const bool scaleByAlpha = j.scaleByAlpha;
    const uint32_t alphaScale = static_cast<uint32_t>(j.alphaScale);
    const bool solid = j.solid;
    const bool erase = j.erase;
    const bool fullCoverOn = j.fullCoverOn;
    const bool writeColour = j.writeColour;
    const bool writeAlpha = j.writeAlpha;
    const bool lockBlob = j.lockBlob;
    const int32_t alphaLevel = j.alphaLevel;
    for (int32_t y = pl.ys; y < pl.ye; ++y) {
        const int32_t sr = j.table[pl.skipY + (y - pl.ys)];
        // Cursors move for every row, visible pixels or not, so that a
        // stroke's random sequence does not depend on where it is clipped.
        j.colourVary.placeForRow(j.dabSize, j.bm);
        j.lumVary.placeForRow(j.dabSize, j.bm);
        if (y >= j.yeTarget || columns == 0) continue;

        uint16_t* out = j.target + y * j.targetStride + static_cast<int64_t>(pl.xs) * 4;
        const int64_t canvasIndex = static_cast<int64_t>(y) * j.canvasWidth + pl.xs;
        const uint8_t* tex = j.texture ? j.texture + canvasIndex : nullptr;
        const uint16_t* msk = j.mask ? j.mask + canvasIndex : nullptr;
        const int32_t* cols = j.table + pl.skipX;

        float dySin = 0, dyCos = 0;
        if constexpr (kRotate) {
            const int32_t dy = sr - j.centre;
            dySin = dy * j.rotateSin;
            dyCos = dy * j.rotateCos;
        }

        for (int32_t i = 0; i < columns; ++i, out += 4) {
            const int32_t sc = cols[i];
            int32_t row = sr;
            int32_t col = sc;
            if constexpr (kRotate) {
                const int32_t dx = sc - j.centre;
                const int32_t px = static_cast<int32_t>(dx * j.rotateCos - dySin) + j.centre;
                const int32_t py = static_cast<int32_t>(dx * j.rotateSin + dyCos) + j.centre;
                if (px >= 0 && px < j.brushSize && py >= 0 && py < j.brushSize) {
                    row = py;
                    col = px;
                }
            }
            const int64_t shapeIndex = row * bm + col;
            if constexpr (kGrit) {
                if (static_cast<int32_t>(grit[shapeIndex]) > densityLimit) continue;
            }
            uint32_t v = shape[shapeIndex];
            if (!kPlain && scaleByAlpha) v = (v * alphaScale) >> kAlphaScaleShift;
            if (!kPlain && tex && tex[i] < kTextureNeutral) v = (v * tex[i]) >> 8;
            if (!kPlain && msk && msk[i] < kChannelMax) v = (v * msk[i]) >> 16;
            if (v == 0) continue;
            if (!kPlain && solid) v = kChannelMax;

            int32_t c[4];
            uint16_t* bp = nullptr;
            if constexpr (kPickup) {
                bp = j.blend + static_cast<int64_t>(row) * j.bmStride + static_cast<int64_t>(col) * 4;
                pickedColour(j, bp, c, v);
            } else {
                if constexpr (kPlain) {
                    c[0] = j.dab[0];
                    c[1] = j.dab[1];
                    c[2] = j.dab[2];
                    c[3] = j.dab[3];
                } else {
                    plainColour(j, c);
                }
            }

            const int32_t da = out[3];
            int32_t n[3];
            int32_t na;
            int32_t seen[4];  // the target as the compositing saw it, for the remix
            if (!kPickup && kFamily == MixFamily::Normal && (kPlain || fullCoverOn) && v == kChannelMax && da != 0) {
                n[0] = j.fullCover[0];
                n[1] = j.fullCover[1];
                n[2] = j.fullCover[2];
                na = kChannelMax;
            } else if constexpr (kFamily != MixFamily::Mode) {
                seen[0] = out[0];
                seen[1] = out[1];
                seen[2] = out[2];
                seen[3] = da;
                if (da == 0) {
                    na = static_cast<int32_t>((v * static_cast<uint32_t>(c[3])) >> 16);
                    n[0] = c[0];
                    n[1] = c[1];
                    n[2] = c[2];
                    seen[0] = seen[1] = seen[2] = 0;
                } else if (kPickup && kFamily == MixFamily::Normal) {
                    const uint32_t w = 65536u - v;
                    na = static_cast<int32_t>((((w * static_cast<uint32_t>(da)) >> 8) +
                                               ((v * static_cast<uint32_t>(c[3])) >> 8)) >> 8);
                    for (int k = 0; k < 3; ++k)
                        n[k] = c[3] == 0 ? out[k]
                                         : static_cast<int32_t>((((w * static_cast<uint32_t>(out[k])) >> 8) +
                                                                 ((v * static_cast<uint32_t>(c[k])) >> 8)) >> 8);
                } else if (erase) {
                    na = static_cast<int32_t>(((65535u - v) * static_cast<uint32_t>(da)) >> 16);
                    n[0] = out[0];
                    n[1] = out[1];
                    n[2] = out[2];
                } else if constexpr (kFamily == MixFamily::Normal) {
                    normalOver(c, out, v, n, na);
                } else {
                    multiplyOver(c, out, v, n, na);
                }
            } else {
                // The target is first pulled towards the paint where it is
                // translucent, so that a mode result over thin paint is not
                // computed against colour that barely shows.
                int32_t dp[3] = {out[0], out[1], out[2]};
                if (da == 0) {
                    dp[0] = c[0];
                    dp[1] = c[1];
                    dp[2] = c[2];
                } else if (da < kChannelMax) {
                    int64_t k = ((static_cast<int64_t>(kChannelMax - da) * v) >> 16) * 3;
                    if (k > kChannelMax) k = kChannelMax;
                    for (int q = 0; q < 3; ++q)
                        dp[q] = static_cast<int32_t>((((k * c[q]) >> 8) + (((kChannelMax - k) * out[q]) >> 8)) >> 8);
                }
                if (erase) c[3] = 0;
                const ModeColour mc = modeColour(j.mix, c, dp, da);
                if (mc.greyTarget) dp[0] = dp[1] = dp[2] = kChannelHalf;
                if (v < static_cast<uint32_t>(kChannelMax)) {
                    const int64_t w = 65536 - static_cast<int64_t>(v);
                    for (int q = 0; q < 3; ++q) {
                        const int64_t t = ((((v * static_cast<int64_t>(mc.o[q])) >> 8) + ((w * dp[q]) >> 8)) >> 8) + 1;
                        n[q] = t > kChannelMax ? kChannelMax : static_cast<int32_t>(t);
                    }
                    na = clampChannel((((v * static_cast<int64_t>(mc.alpha)) >> 8) + ((w * da) >> 8)) >> 8);
                } else {
                    n[0] = mc.o[0];
                    n[1] = mc.o[1];
                    n[2] = mc.o[2];
                    na = mc.alpha;
                }
                seen[0] = dp[0];
                seen[1] = dp[1];
                seen[2] = dp[2];
                seen[3] = da;
            }

            if constexpr (kPickup) {
                if (j.remix) {
                    if (c[3] == 0) {
                        bp[0] = static_cast<uint16_t>(seen[0]);
                        bp[1] = static_cast<uint16_t>(seen[1]);
                        bp[2] = static_cast<uint16_t>(seen[2]);
                        bp[3] = static_cast<uint16_t>(clampChannel((static_cast<int64_t>(j.blendInverse) * seen[3]) >> 8));
                    } else if (seen[3] == 0) {
                        bp[0] = static_cast<uint16_t>(c[0]);
                        bp[1] = static_cast<uint16_t>(c[1]);
                        bp[2] = static_cast<uint16_t>(c[2]);
                        bp[3] = static_cast<uint16_t>(clampChannel((static_cast<int64_t>(j.blendStrength) * c[3]) >> 8));
                    } else {
                        for (int q = 0; q < 3; ++q)
                            bp[q] = static_cast<uint16_t>(clampChannel(
                                ((static_cast<int64_t>(j.blendInverse) * seen[q] + static_cast<int64_t>(j.blendStrength) * c[q]) >> 8) + 1));
                        bp[3] = static_cast<uint16_t>(clampChannel(
                            (static_cast<int64_t>(j.blendInverse) * seen[3] + static_cast<int64_t>(j.blendStrength) * c[3]) >> 8));
                    }
                }
            }

            if (!kPlain && erase) {
                // Erasing writes alpha only; with the blob lock it spares what
                // lies outside the blob and never thins the blob below a floor.
                if (lockBlob) {
                    if (da <= kBlobFaint) continue;
                    out[3] = static_cast<uint16_t>(std::max(na, kBlobEraseFloor));
                } else {
                    out[3] = static_cast<uint16_t>(na);
                }
                continue;
            }
            if (kPlain || writeColour) {
                out[0] = static_cast<uint16_t>(n[0]);
                out[1] = static_cast<uint16_t>(n[1]);
                out[2] = static_cast<uint16_t>(n[2]);
            }
            if constexpr (kPlain) {
                out[3] = static_cast<uint16_t>(na);
            } else if (writeAlpha) {
                if (lockBlob && (da <= kBlobFaint || na <= kBlobFaint)) continue;
                out[3] = static_cast<uint16_t>(alphaLevel > 0 ? alphaLevel : na);
            }
        }
    }
}

using RowPainter = void (*)(DabJob&);

template <bool kRotate, bool kGrit, bool kPickup>
RowPainter painterForFamily(MixFamily f) {
    switch (f) {
        case MixFamily::Normal:
            return &paintRows<kRotate, kGrit, kPickup, MixFamily::Normal>;
        case MixFamily::Multiply:
            return &paintRows<kRotate, kGrit, kPickup, MixFamily::Multiply>;
        default:
            return &paintRows<kRotate, kGrit, kPickup, MixFamily::Mode>;
    }
}

template <bool kRotate, bool kGrit>
RowPainter painterForPickup(bool pickup, MixFamily f) {
    return pickup ? painterForFamily<kRotate, kGrit, true>(f) : painterForFamily<kRotate, kGrit, false>(f);
}

RowPainter choosePainter(bool rotate, bool grit, bool pickup, MixFamily f) {
    if (rotate) return grit ? painterForPickup<true, true>(pickup, f) : painterForPickup<true, false>(pickup, f);
    return grit ? painterForPickup<false, true>(pickup, f) : painterForPickup<false, false>(pickup, f);
}

// Step 5 of the set-up: after gritInterval calls of MRV_DecDrawingLength the
// dab moves to another texture and another offset within it.
void changeGritTexture(BrushState& b, int32_t bm) {
    if (b.gritCellSize == 0 || b.gritCountdown >= 1) return;
    int32_t k;
    do {
        k = nextRandom() % kGritTextureCount;
    } while (b.gritTextures[k] == b.gritCursor);
    const int32_t a = nextRandom() % kGritTextureOffsetRange;
    const int32_t c = nextRandom() % kGritTextureOffsetRange;
    b.gritCursor = b.gritTextures[k] + static_cast<int64_t>(a) * bm + c;
    b.gritCountdown = b.gritInterval;
}

bool gritTexturesPresent(const BrushState& b) {
    for (const uint8_t* t : b.gritTextures)
        if (!t) return false;
    return true;
}

// The coverage and geometry part of a job, shared by the layer and mask dabs.
void prepareGeometry(DabJob& j, BrushState& b, const CoreState& c, const Placement& pl) {
    j.place = pl;
    j.dabSize = b.dabSize;
    j.bm = c.brushMaxSize;
    j.bmStride = c.brushMaxStride;
    j.brushSize = b.brushSize;
    j.centre = b.brushSize / 2;
    j.table = b.dabScaleTable;
    j.shape = b.brushShape;
    j.densityLimit = b.densityLimit;
    j.rotateSin = b.rotateSin;
    j.rotateCos = b.rotateCos;
    j.grit = b.gritCellSize != 0 ? usableGritCursor(b, c.brushMaxSize) : nullptr;
    j.scaleByAlpha = b.alphaPercent < kFullOpacityPercent;
    // A negative scale (a negative opacity) paints nothing rather than
    // wrapping through the unsigned coverage.
    j.alphaScale = std::clamp(b.alphaScale, 0, 1 << kAlphaScaleShift);
    j.texture = c.textureMap;
    j.canvasWidth = c.canvasWidth;
    j.solid = b.solidBrushMode != 0;
    j.colourVary.start(b.pixelColorBytes, b.pixelColorVary, b.dabSize, c.brushMaxSize);
    j.lumVary.start(b.pixelLumBytes, b.pixelLumVary, b.dabSize, c.brushMaxSize);
    j.colourOffsets = j.colourVary.on() ? &colourOffsetsFor(b.pixelColorVary) : nullptr;
    j.lumFactors = j.lumVary.on() ? &lightnessFactorsFor(b.pixelLumVary) : nullptr;
}

}  // namespace

bool drawDabGrit(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
    EngineState& e = engine();
    CoreState& core = e.core;
    BrushState& brush = e.brush;

    // 1. The brush keeps the colour, high bytes only.
    brush.brushColor[0] = static_cast<uint16_t>(r & kColourHighByte);
    brush.brushColor[1] = static_cast<uint16_t>(g & kColourHighByte);
    brush.brushColor[2] = static_cast<uint16_t>(b & kColourHighByte);
    brush.brushColor[3] = kChannelMax;
    if (brush.maskMakerOn) return drawDabGritMask(x, y);

    if (!geometryIsSafe(brush, core) || (brush.gritCellSize != 0 && !gritTexturesPresent(brush))) {
        setLastError("DrawDabGrit Excpt");
        return false;
    }

    LayerSlot* target = nullptr;
    const bool toPaintLayer = core.paintLayer.pixels != nullptr;
    if (toPaintLayer)
        target = &core.paintLayer;
    else if (core.currentLayer && core.currentLayer->pixels)
        target = core.currentLayer;
    if (!target) {
        brush.tempDisableBlend = brush.maskMakerOn = brush.eraseModeOn = 0;
        return true;
    }

    DabJob j{};

    // 2-4. The dab colour, its per-dab variation (alpha varies with it, so
    // a negative offset makes the dab translucent), and the eraser colour.
    int32_t dab[4] = {r & kColourHighByte, g & kColourHighByte, b & kColourHighByte, kChannelMax};
    if (brush.colorVary > 0) {
        const int32_t d = nextRandom() % brush.colorVary;
        const int64_t o = (static_cast<int64_t>(brush.colorVary / 2) - d) * 256;
        for (int32_t& ch : dab) ch = clampChannel(ch + o);
    }
    j.erase = brush.eraseModeOn != 0;
    if (j.erase) {
        dab[0] = dab[1] = dab[2] = kChannelMax;
        dab[3] = 0;
    }
    std::copy(dab, dab + 4, j.dab);

    // 5. Grit texture change.
    changeGritTexture(brush, core.brushMaxSize);

    // 6. Products of the brush colour for the pick-up mix, made fresh for
    // every dab that uses them.
    j.primaryStrength = brush.primaryColorStrength;
    j.primaryInverse = brush.primaryInverse;
    for (int i = 0; i < 4; ++i) j.primaryProduct[i] = static_cast<int64_t>(brush.primaryColorStrength) * dab[i];

    // 7-8. Placement, and the rectangles, widened even when nothing is painted.
    const Placement pl = placeDab(x, y, brush.dabSize, core.canvasWidth, core.canvasHeight);
    UndoState& u = e.undo;
    widenRect(u.undoLeft, u.undoTop, u.undoRight, u.undoBottom, pl);
    if (toPaintLayer) {
        LayerSlot& p = core.paintLayer;
        widenRect(p.touchedLeft, p.touchedTop, p.touchedRight, p.touchedBottom, pl);
    }

    if (pl.ys < pl.ye) {
        prepareGeometry(j, brush, core, pl);
        j.xeTarget = std::min(pl.xe, target->width);
        j.yeTarget = std::min(pl.ye, target->height);
        j.mask = e.selection.maskEnabled ? e.selection.maskPlane : nullptr;
        j.imageBrush = brush.imageBrushMode != 0;
        j.mix = MixParams{brush.mixMode, brush.mixAmount, brush.mixInverse, brush.mixShift, brush.colorBanks};

        const bool pickup = brush.blendStrength != 0 && !brush.tempDisableBlend && brush.blendBuffer.pixels;
        j.blend = brush.blendBuffer.pixels;
        j.remix = brush.blendRemix != 0;
        j.blendStrength = brush.blendStrength;
        j.blendInverse = brush.blendInverse;

        j.target = target->pixels;
        j.targetStride = target->stride;
        j.writeColour = !brush.lockColor;
        j.writeAlpha = toPaintLayer ||
                       (target->alphaLocked == 0 && brush.lockAlpha == 0 && core.currentLayerNum >= kFirstAlphaLayer);
        j.lockBlob = brush.lockBlob != 0;
        j.alphaLevel = std::min(brush.alphaLevel, kChannelMax);

        j.fullCoverOn = !j.erase && j.dab[3] == kChannelMax && !j.colourVary.on() && !j.lumVary.on();
        for (int i = 0; i < 3; ++i) j.fullCover[i] = static_cast<int32_t>((65535u * static_cast<uint32_t>(j.dab[i])) >> 16);

        const bool rotate = brush.rotateMode == 1;
        const MixFamily family = mixFamilyOf(brush.mixMode);
        const bool plain = !rotate && !j.grit && !pickup && family == MixFamily::Normal && !j.scaleByAlpha &&
                           !j.texture && !j.mask && !j.solid && j.fullCoverOn && j.writeColour && j.writeAlpha &&
                           !j.lockBlob && j.alphaLevel <= 0;
        const RowPainter paint = plain ? &paintRows<false, false, false, MixFamily::Normal, true>
                                       : choosePainter(rotate, j.grit != nullptr, pickup, family);
        paint(j);
    }

    // 12. The one-dab flags last for one dab.
    brush.tempDisableBlend = brush.maskMakerOn = brush.eraseModeOn = 0;
    return true;
}

bool drawDabGritMask(int32_t x, int32_t y) {
    EngineState& e = engine();
    CoreState& core = e.core;
    BrushState& brush = e.brush;

    if (!geometryIsSafe(brush, core) || (brush.gritCellSize != 0 && !gritTexturesPresent(brush))) {
        setLastError("DrawDabGritMask Excpt");
        return false;
    }
    uint16_t* plane = e.selection.maskPlane;
    if (!plane) {
        brush.tempDisableBlend = 0;
        return true;
    }

    // 1-3. The mask value of the brush colour: dark colours select fully.
    const int32_t lum = (brush.brushColor[0] + brush.brushColor[1] + brush.brushColor[2]) / 3;
    int32_t m0 = lum <= kGreyToMaskDark ? kChannelMax : kGreyToMaskBase - lum;
    if (brush.colorVary > 0) {
        const int64_t o = (static_cast<int64_t>(brush.colorVary / 2) - nextRandom() % brush.colorVary) * 256;
        m0 = clampChannel(m0 + o);
    }
    if (brush.eraseModeOn) m0 = kChannelMax;

    // 4. Grit texture change and the brush product for the pick-up mix.
    changeGritTexture(brush, core.brushMaxSize);
    const int64_t primaryProduct = static_cast<int64_t>(brush.primaryColorStrength) * m0;

    // 5. Placement and the undo rectangle; the PaintLayer is not involved.
    const Placement pl = placeDab(x, y, brush.dabSize, core.canvasWidth, core.canvasHeight);
    UndoState& u = e.undo;
    widenRect(u.undoLeft, u.undoTop, u.undoRight, u.undoBottom, pl);

    if (pl.ys < pl.ye) {
        DabJob j{};
        prepareGeometry(j, brush, core, pl);
        const bool pickup = brush.blendStrength != 0 && !brush.tempDisableBlend && brush.blendBuffer.pixels;
        const bool rotate = brush.rotateMode == 1;
        const int32_t columns = std::max(pl.xe - pl.xs, 0);

        for (int32_t yy = pl.ys; yy < pl.ye; ++yy) {
            const int32_t sr = j.table[pl.skipY + (yy - pl.ys)];
            j.colourVary.placeForRow(j.dabSize, j.bm);
            j.lumVary.placeForRow(j.dabSize, j.bm);
            const int64_t canvasIndex = static_cast<int64_t>(yy) * j.canvasWidth + pl.xs;
            uint16_t* out = plane + canvasIndex;
            const uint8_t* tex = j.texture ? j.texture + canvasIndex : nullptr;
            const int32_t* cols = j.table + pl.skipX;
            for (int32_t i = 0; i < columns; ++i) {
                int32_t row = sr;
                int32_t col = cols[i];
                if (rotate) {
                    const int32_t dx = col - j.centre;
                    const int32_t dy = sr - j.centre;
                    const int32_t px = static_cast<int32_t>(dx * j.rotateCos - dy * j.rotateSin) + j.centre;
                    const int32_t py = static_cast<int32_t>(dx * j.rotateSin + dy * j.rotateCos) + j.centre;
                    if (px >= 0 && px < j.brushSize && py >= 0 && py < j.brushSize) {
                        row = py;
                        col = px;
                    }
                }
                const int64_t shapeIndex = static_cast<int64_t>(row) * j.bm + col;
                if (j.grit && static_cast<int32_t>(j.grit[shapeIndex]) > j.densityLimit) continue;
                uint32_t v = j.shape[shapeIndex];
                if (j.scaleByAlpha) v = (v * static_cast<uint32_t>(j.alphaScale)) >> kAlphaScaleShift;
                if (tex && tex[i] < kTextureNeutral) v = (v * tex[i]) >> 8;
                if (v == 0) continue;
                if (j.solid) v = kChannelMax;

                uint16_t* bp = nullptr;
                int32_t m;
                if (pickup) {
                    bp = brush.blendBuffer.pixels + static_cast<int64_t>(row) * j.bmStride + col;
                    m = *bp;
                } else {
                    m = m0;
                }
                if (j.colourVary.on()) m = clampChannel(m + j.colourOffsets->offset[j.colourVary.next()]);
                if (j.lumVary.on()) {
                    const uint8_t uu = j.lumVary.next();
                    m = varyLightness(m, j.lumFactors->lighter[uu], j.lumFactors->k[uu]);
                }
                if (pickup && brush.primaryColorStrength != 0)
                    m = clampChannel((static_cast<int64_t>(brush.primaryInverse) * m + primaryProduct) >> 8);

                const uint32_t old = out[i];
                out[i] = static_cast<uint16_t>(
                    ((((65536u - v) * old) >> 8) + ((v * static_cast<uint32_t>(m)) >> 8)) >> 8);
                if (pickup && brush.blendRemix)
                    *bp = static_cast<uint16_t>(clampChannel(
                        ((static_cast<int64_t>(brush.blendInverse) * old + static_cast<int64_t>(brush.blendStrength) * m) >> 8) + 1));
            }
        }
    }

    // Mask painting (and erasing within it) stays on until the tool changes.
    brush.tempDisableBlend = 0;
    return true;
}

}  // namespace mrv
