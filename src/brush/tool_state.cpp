// The current tool's setters and the dab scale table. Setters store what the
// host gives them (the host owns the meaning of each weight); only sizes are
// kept inside what the brush buffers and the scale table can hold.
#include "brush/tool_state.h"

#include <algorithm>
#include <cmath>

#include "brush/brush_shape.h"
#include "brush/grit_textures.h"
#include "core/engine_state.h"
#include "core/guard.h"
#include "core/memory.h"
#include "core/random.h"

namespace mrv {

namespace {
constexpr uint16_t kOpaque = 65535;
constexpr int32_t kWeightOne = 256;       // mix and blend weights are 0..256
constexpr double kAlphaToScale = 1.28;    // alphaScale 128 at 100 %
constexpr double kDegreesPi = 3.14159;    // the rotation angle uses this short pi on purpose
constexpr int32_t kScaleSizeCap = 999;
constexpr int32_t kPixColorModulus = 1000;
constexpr int32_t kPixLumModulus = 256;

BrushState& brush() { return engine().brush; }
}  // namespace

void setColor(int32_t r, int32_t g, int32_t b) {
    uint16_t* c = brush().brushColor;
    c[0] = static_cast<uint16_t>((r & 0xFF) << 8);
    c[1] = static_cast<uint16_t>((g & 0xFF) << 8);
    c[2] = static_cast<uint16_t>((b & 0xFF) << 8);
    c[3] = kOpaque;
}

void setColor16(int32_t r, int32_t g, int32_t b) {
    uint16_t* c = brush().brushColor;
    c[0] = static_cast<uint16_t>(r & 0xFFFF);
    c[1] = static_cast<uint16_t>(g & 0xFFFF);
    c[2] = static_cast<uint16_t>(b & 0xFFFF);
    c[3] = kOpaque;
}

void setColorBanks(const int32_t rgb[12]) {
    for (int k = 0; k < 4; ++k) {
        uint16_t* bank = brush().colorBanks[k];
        for (int ch = 0; ch < 3; ++ch) bank[ch] = static_cast<uint16_t>((rgb[k * 3 + ch] & 0xFF) << 8);
        bank[3] = kOpaque;
    }
}

int32_t brushSizeLimit() { return std::min(engine().core.brushMaxSize, kDabScaleTableSize); }

void setSize(int32_t n) {
    const int32_t limit = brushSizeLimit();
    const int32_t upper = limit >= 1 ? limit : kDabScaleTableSize;
    n = std::clamp(n, 1, upper);
    BrushState& b = brush();
    b.brushSize = n;
    b.dabSize = n;
    for (int32_t i = 0; i < n; ++i) b.dabScaleTable[i] = i;
}

int32_t usableBrushSize() {
    const int32_t limit = brushSizeLimit();
    return std::clamp(brush().brushSize, 0, std::max(limit, 0));
}

void setScaleSize(int32_t n) {
    BrushState& b = brush();
    // The sampled shape is never larger than the buffers hold, so every
    // table entry stays a valid shape row.
    const int32_t size = std::min(b.brushSize, std::max(brushSizeLimit(), 0));
    if (n < 1) n = 1;
    if (n > size) n = size;
    if (n > kScaleSizeCap) n = kScaleSizeCap;
    if (n < 1) return;  // no usable brush yet: the table keeps what it had
    b.dabSize = n;
    const double step = static_cast<double>(size) / n;
    const float stepAdded = static_cast<float>(step);
    double v = step * 0.5;
    for (int32_t i = 0; i < n; ++i) {
        b.dabScaleTable[i] = static_cast<int32_t>(v);
        v = v + stepAdded;
    }
}

void setDensity(int32_t n) { brush().densityLimit = n - 1; }

void setAlpha(int32_t percent) {
    brush().alphaPercent = percent;
    brush().alphaScale = static_cast<int32_t>(percent * kAlphaToScale);
}

void setRotateBrushMode(int32_t mode, int32_t degrees) {
    BrushState& b = brush();
    b.rotateMode = mode;
    const double angle = degrees * (1.0 / 180.0) * kDegreesPi;
    b.rotateSin = static_cast<float>(std::sin(angle));
    b.rotateCos = static_cast<float>(std::cos(angle));
}

void setMixMode(int32_t mode, int32_t amount) {
    BrushState& b = brush();
    b.mixMode = mode;
    b.mixAmount = amount;
    b.mixInverse = kWeightOne - amount;
    b.mixShift = static_cast<int32_t>(((amount - 127) * (1.0 / 127.0)) * 16.0);
}

void setBlendStrength(int32_t n) {
    brush().blendStrength = n;
    if (n > 0) brush().blendInverse = kWeightOne - n;
}

void setBlendPrimaryColorStrength(int32_t n) {
    brush().primaryColorStrength = n;
    if (n > 0) brush().primaryInverse = kWeightOne - n;
}

void setPixColorVary(int32_t n) {
    brush().pixelColorVary = n;
    if (n > 0 && !makeRandArrayByte(brush().pixelColorBytes, kPixColorModulus, 3 * engine().core.brushMaxSize))
        throwFault();
}

void setPixLumVary(int32_t n) {
    brush().pixelLumVary = n;
    if (n > 0 && !makeRandArrayByte(brush().pixelLumBytes, kPixLumModulus, 3 * engine().core.brushMaxSize))
        throwFault();
}

uint8_t* gritTextureStart(int32_t k) {
    if (k < 0 || k >= kGritTextureCount) return nullptr;
    return brush().gritTextures[k];
}

void decDrawingLength() { brush().gritCountdown = brush().gritCountdown - 1; }

}  // namespace mrv

namespace mrv {

namespace {
constexpr int32_t kToolMixMode = 32;  // a new tool starts in the plain mix mode
bool hasPaperPath(const char* path) { return path && path[0] != '\0' && path[1] != '\0'; }
}  // namespace

void setTool(const MRV_ToolRecord& record) {
    EngineState& e = engine();
    BrushState& b = e.brush;
    seedRandom(e.core.randomSeed);

    b.shapeStrength = record.shapeStrength;
    b.gritCellSize = record.gritCellSize;
    b.gritCellThreshold = record.gritCellThreshold;
    b.gritPixelThreshold = record.gritPixelThreshold;
    b.shapeSoftness = static_cast<uint8_t>(record.shapeSoftness & 0xFF);
    b.colorVary = record.colorVary;
    b.gritInterval = record.gritInterval;
    b.blendStrength = record.blendStrength;
    b.primaryColorStrength = record.primaryColorStrength;
    b.blendRemix = static_cast<uint8_t>(record.blendRemix & 0xFF);
    b.toolReserved10 = static_cast<uint8_t>(record.reserved10 & 0xFF);
    b.shapeHollow = static_cast<uint8_t>(record.shapeHollow & 0xFF);
    b.toolReserved12 = static_cast<uint8_t>(record.reserved12 & 0xFF);
    b.mixMode = kToolMixMode;  // mixAmount keeps its value

    if (b.gritCellSize != 0) {
        makeRandomGrit();
        b.gritCursor = b.gritTextures[kGritTextureCount - 1];
        b.gritCountdown = b.gritInterval;
    }

    if (hasPaperPath(record.paperPath)) {
        // A paper that cannot be used leaves the textures as they are; the
        // tool is still set up.
        try {
            cutPaperTextures(record.paperPath);
        } catch (...) {
        }
    }

    // The shape builder reports its own failures and the tool set-up goes on.
    guardedVoid("SetBrushShape Excpt", [&] { setBrushShape(record.shapePath, record.shapeAngle, true); });

    if (b.blendStrength > 0) b.blendInverse = kWeightOne - b.blendStrength;
    if (b.primaryColorStrength > 0) b.primaryInverse = kWeightOne - b.primaryColorStrength;
    b.tempDisableBlend = 0;
    b.maskMakerOn = 0;
    b.eraseModeOn = 0;
}

}  // namespace mrv
