// Grit textures. Random grit: per row of cells two random starts are drawn
// into the random byte arrays, one stream decides which cells and which of
// their pixels are set (the cover stream, bytes 0..254), the other gives each
// kept cell its grit value (bytes 0..253). Paper grit: random E x E windows of
// a grey paper picture, one per texture.
#include "brush/grit_textures.h"

#include <algorithm>
#include <cstring>

#include "brush/tool_state.h"
#include "core/engine_state.h"
#include "core/memory.h"
#include "core/random.h"
#include "platform/effect_script/effect_script.h"
#include "platform/imaging/imaging.h"

namespace mrv {

namespace {

constexpr uint32_t kRandRange = 32767;  // the divisor that spreads a draw over an array
constexpr int32_t kPaperTileSide = 600;  // a script paper is tiled over this square

// A forward reader over a random byte array that wraps to its start instead
// of running past its end. The start offset is taken modulo the length too,
// so an offset computed from a wrapped unsigned difference stays inside.
class WrappingStream {
public:
    WrappingStream(const RandArrayByte& array, uint64_t start)
        : data_(array.data), length_(static_cast<uint64_t>(array.length)), pos_(start % length_) {}
    uint8_t next() {
        const uint8_t v = data_[pos_];
        if (++pos_ == length_) pos_ = 0;
        return v;
    }
    // Writes v at line[j] for each of the next count bytes that is below
    // threshold, consuming count bytes. Runs that do not reach the end of the
    // array take the straight loop (the common case, and the hot one).
    void paintRun(uint8_t* line, int64_t count, int32_t threshold, uint8_t v) {
        if (pos_ + static_cast<uint64_t>(count) < length_) {
            const uint8_t* p = data_ + pos_;
            for (int64_t j = 0; j < count; ++j) line[j] = p[j] < threshold ? v : line[j];
            pos_ += static_cast<uint64_t>(count);
            return;
        }
        for (int64_t j = 0; j < count; ++j) {
            if (next() < threshold) line[j] = v;
        }
    }

private:
    const uint8_t* data_;
    uint64_t length_;
    uint64_t pos_;
};

void fillBackground(uint8_t* texture, int32_t brushMaxSize) {
    const uint64_t side = static_cast<uint64_t>(brushMaxSize) + kGritMargin;
    std::memset(texture, kGritBackground, side * side);
}

// One texture of random cells. E columns are written at a row distance of
// brushMaxSize, so when E exceeds brushMaxSize the columns beyond it spill
// into the start of the next row; the (brushMaxSize + 25)^2 allocation holds
// every such address (the last one is (E - 1) * brushMaxSize + E - 1).
void makeRandomTexture(uint8_t* texture, int32_t brushMaxSize, int32_t extent, int32_t cell,
                       int32_t cellThreshold, int32_t pixelThreshold, const RandArrayByte& cover,
                       const RandArrayByte& values) {
    fillBackground(texture, brushMaxSize);
    // Both spreads use the cover array's length, as unsigned 32-bit divisions.
    const uint32_t length = static_cast<uint32_t>(cover.length);
    const uint32_t coverSpread = (length - 2u * static_cast<uint32_t>(cell)) / kRandRange;
    const uint32_t valueSpread = (length - static_cast<uint32_t>(cell)) / kRandRange;
    for (int64_t row0 = 0; row0 < extent; row0 += cell) {
        const uint32_t r1 = static_cast<uint32_t>(nextRandom());
        WrappingStream p(cover, static_cast<uint64_t>(r1) * coverSpread);
        const uint32_t r2 = static_cast<uint32_t>(nextRandom());
        WrappingStream q(values, static_cast<uint64_t>(r2) * valueSpread);
        // Positions outside the E x E square consume no byte, so the cell loops
        // may stop at its edge.
        const int64_t rows = std::min<int64_t>(cell, extent - row0);
        for (int64_t col0 = 0; col0 < extent; col0 += cell) {
            if (p.next() >= cellThreshold) continue;
            const uint8_t v = q.next();
            const int64_t cols = std::min<int64_t>(cell, extent - col0);
            for (int64_t i = 0; i < rows; ++i) {
                p.paintRun(texture + (row0 + i) * brushMaxSize + col0, cols, pixelThreshold, v);
            }
        }
    }
}

// The grey paper picture. Returns false when no picture could be made.
bool loadPaperGrey(const char* path, UniqueBuffer<uint8_t>& grey, int32_t& width, int32_t& height) {
    int32_t scriptWidth = 0;
    int32_t scriptHeight = 0;
    if (platform::scriptImageSize(path, &scriptWidth, &scriptHeight)) {
        // Once the script has loaded, the file route is not tried, whatever happens.
        if (scriptWidth <= 0 || scriptHeight <= 0) return false;
        const uint64_t scriptBytes = static_cast<uint64_t>(scriptWidth) * static_cast<uint64_t>(scriptHeight) * 4;
        UniqueBuffer<uint8_t> script(allocArray<uint8_t>(scriptBytes));
        UniqueBuffer<uint8_t> tiled(allocArray<uint8_t>(uint64_t{kPaperTileSide} * kPaperTileSide * 4));
        if (!script || !tiled) return false;
        if (!platform::renderScript(path, script.get(), scriptWidth, scriptHeight)) return false;
        platform::swapRedBlue(script.get(), static_cast<size_t>(scriptWidth) * static_cast<size_t>(scriptHeight));
        for (int32_t x = 0; x < kPaperTileSide; x += scriptWidth) {
            for (int32_t y = 0; y < kPaperTileSide; y += scriptHeight) {
                platform::overlayImage(tiled.get(), kPaperTileSide, kPaperTileSide, 4, kPaperTileSide * 4,
                                       script.get(), scriptWidth, scriptHeight, scriptWidth * 4, x, y);
            }
        }
        grey.reset(allocArray<uint8_t>(uint64_t{kPaperTileSide} * kPaperTileSide));
        if (!grey) return false;
        platform::grayFromColor(tiled.get(), 4, grey.get(), size_t{kPaperTileSide} * kPaperTileSide);
        width = kPaperTileSide;
        height = kPaperTileSide;
        return true;
    }

    platform::DecodedImage decoded{};
    if (!platform::readImageToRGBA(path, &decoded)) return false;
    UniqueBuffer<uint8_t> library(decoded.pixels);  // the reader's buffer is ours to free
    if (decoded.width <= 0 || decoded.height <= 0) return false;
    const uint64_t pixels = static_cast<uint64_t>(decoded.width) * static_cast<uint64_t>(decoded.height);
    UniqueBuffer<uint8_t> copy(allocArray<uint8_t>(pixels * 4));
    if (!copy) return false;
    std::memcpy(copy.get(), library.get(), pixels * 4);
    library.reset();
    grey.reset(allocArray<uint8_t>(pixels));
    if (!grey) return false;
    platform::grayFromColor(copy.get(), 4, grey.get(), pixels);
    width = decoded.width;
    height = decoded.height;
    return true;
}

}  // namespace

void makeRandomGrit() {
    EngineState& e = engine();
    BrushState& b = e.brush;
    const RandArrayByte& cover = e.core.randomBytes255;
    const RandArrayByte& values = e.core.randomBytes254;
    if (!cover.data || !values.data || cover.length <= 0 || values.length <= 0) throwFault();
    for (uint8_t* texture : b.gritTextures) {
        if (!texture) throwFault();
    }
    const int32_t cell = b.gritCellSize;
    // A negative cell size describes no cells; the textures keep what they had.
    if (cell <= 0) return;
    const int32_t extent = usableBrushSize() + kGritMargin;
    for (uint8_t* texture : b.gritTextures) {
        makeRandomTexture(texture, e.core.brushMaxSize, extent, cell, b.gritCellThreshold, b.gritPixelThreshold,
                          cover, values);
    }
}

bool cutPaperTextures(const char* paperPath) {
    EngineState& e = engine();
    BrushState& b = e.brush;
    for (uint8_t* texture : b.gritTextures) {
        if (!texture) return false;
    }
    UniqueBuffer<uint8_t> grey;
    int32_t width = 0;
    int32_t height = 0;
    if (!loadPaperGrey(paperPath, grey, width, height)) return false;

    const int32_t brushMaxSize = e.core.brushMaxSize;
    const int32_t extent = usableBrushSize() + kGritMargin;
    // The window must fit with room to move: rand() mod 0 has no answer.
    if (width <= extent || height <= extent) return false;
    for (uint8_t* texture : b.gritTextures) {
        fillBackground(texture, brushMaxSize);
        b.gritCursor = texture;
        const int32_t x = nextRandom() % (width - extent);
        const int32_t y = nextRandom() % (height - extent);
        const uint8_t* window = grey.get() + static_cast<int64_t>(y) * width + x;
        // Clipped to brushMaxSize x brushMaxSize: unlike the random grit, the
        // paper window does not spill into the next row.
        platform::overlayImage(texture, brushMaxSize, brushMaxSize, 1, brushMaxSize, window, extent, extent, width,
                               0, 0);
    }
    b.gritCountdown = b.gritInterval;
    return true;
}

}  // namespace mrv
