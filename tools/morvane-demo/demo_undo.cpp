// Demo stage: demoUndoAndSmudge. Records three edits of the current layer with
// MRV_SaveUndoBuffer, undoes two of them and redoes one, checking the pixels
// each time, so the picture keeps the first two edits and not the third.
// Then a smudge stroke picks red up from the picture and drags it into
// green, and is recorded, undone and redone like any other stroke.
#include <cstdio>
#include <vector>

#include "demo.h"

namespace {

struct Patch {
    int32_t x, y, w, h;
    uint8_t r, g, b, a;
};

// Loads a w x h patch of one colour into the current layer at (x, y); a load
// does not mark what it touched, so the next save records the whole canvas.
void loadPatch(const Patch& p) {
    std::vector<uint8_t> rgba(static_cast<size_t>(p.w) * p.h * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = p.r;
        rgba[i + 1] = p.g;
        rgba[i + 2] = p.b;
        rgba[i + 3] = p.a;
    }
    MRV_LoadRGBA32Layer(rgba.data(), p.w * 4, MRV_GetLayerNum(), p.x, p.y, p.w, p.h, 0);
}

uint32_t packed(const Patch& p) {
    return (uint32_t{p.r} << 24) | (uint32_t{p.g} << 16) | (uint32_t{p.b} << 8) | p.a;
}

uint8_t redOf(uint32_t rgba) { return static_cast<uint8_t>(rgba >> 24); }

bool expectAt(int32_t x, int32_t y, uint32_t want, const char* when) {
    const uint32_t got = MRV_GetRGBAAtSurface(x, y);
    if (got == want) return true;
    std::fprintf(stderr, "undo demo: %s: pixel (%d, %d) is %08x, expected %08x\n", when, x, y, got, want);
    return false;
}

// A smudge stroke straight into the layer: the brush picks the red of the
// first edit up where the stroke starts and drags it into the green of the
// second, each dab writing what it painted back into the blend buffer.
bool smudge(const DemoContext& ctx) {
    MRV_DeletePaintLayer();  // a smudge works on the layer itself
    MRV_SetSize(24);
    MRV_ToolRecord tool{};
    tool.shapeStrength = 1.0f;
    tool.shapeSoftness = 8;
    tool.blendStrength = 200;  // how much of the carried colour each dab lays down
    tool.blendRemix = 1;       // and takes the painted result back into the buffer
    tool.paperPath = "";
    tool.shapePath = "";
    MRV_SetTool(tool);
    MRV_SetBlendStrength(200);
    MRV_SetAlpha(100);
    MRV_SetDensity(256);
    MRV_SetMixMode(32, 256);

    const int32_t y = ctx.height - 130;  // through red alone, then red under green
    const int32_t probeX = 300;           // green before the stroke
    const uint32_t beforeStroke = MRV_GetRGBAAtSurface(probeX, y);
    MRV_CopyBlendBufferSurface(110, y, 0, 0);  // pick the red up
    for (int32_t x = 110; x <= 340; x += 3) MRV_DrawDabGrit(x, y, 0, 0, 0);
    MRV_SaveUndoBuffer(1, 0);
    const uint32_t smudged = MRV_GetRGBAAtSurface(probeX, y);
    std::printf("smudge: pixel (%d, %d) went from %08x to %08x\n", probeX, y, beforeStroke, smudged);
    if (!(redOf(smudged) > redOf(beforeStroke) + 40)) {
        std::fprintf(stderr, "smudge: the stroke carried no red into the green\n");
        return false;
    }
    MRV_Undo();
    bool ok = expectAt(probeX, y, beforeStroke, "after undoing the smudge");
    MRV_Redo();
    ok = expectAt(probeX, y, smudged, "after redoing the smudge") && ok;
    std::printf("smudge: undone and redone; %d records in the history\n", MRV_GetUndoCount());
    return ok;
}

}  // namespace

bool demoUndoAndSmudge(DemoContext& ctx) {
    MRV_SetUndoMB(0);  // the budget follows the machine's free memory
    MRV_SetUndoLevels(20);

    const Patch edits[] = {
        {40, ctx.height - 160, 220, 120, 200, 40, 30, 255},
        {180, ctx.height - 200, 220, 120, 40, 150, 60, 255},
        {320, ctx.height - 240, 220, 120, 30, 60, 200, 255},
    };
    // Where the third edit lands but the others do not.
    const int32_t probeX = 500;
    const int32_t probeY = ctx.height - 230;
    const uint32_t beforeThird = MRV_GetRGBAAtSurface(probeX, probeY);
    for (const Patch& p : edits) {
        loadPatch(p);
        MRV_SaveUndoBuffer(1, 0);
    }
    std::printf("undo: %d records, %d MB in use of %d MB\n", MRV_GetUndoCount(), MRV_GetCurrentUndoMemory(),
                MRV_GetTotalUndoMemory());
    bool ok = expectAt(probeX, probeY, packed(edits[2]), "after three edits");

    MRV_Undo();
    MRV_Undo();
    ok = expectAt(probeX, probeY, beforeThird, "after two undos") && ok;
    ok = expectAt(200, ctx.height - 100, packed(edits[0]), "after two undos") && ok;
    MRV_Redo();
    ok = expectAt(200, ctx.height - 100, packed(edits[1]), "after one redo") && ok;
    ok = expectAt(probeX, probeY, beforeThird, "after one redo") && ok;
    std::printf("undo: undid 2, redid 1: %d to redo, can undo %d\n", MRV_GetRedoCount(), MRV_CanUndo());
    if (!ok) return false;

    return smudge(ctx);
}
