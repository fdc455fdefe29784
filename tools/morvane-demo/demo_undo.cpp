// Demo stage: demoUndoAndSmudge. Records three edits of the current layer with
// MRV_SaveUndoBuffer, undoes two of them and redoes one, checking the pixels
// each time, so the picture keeps the first two edits and not the third.
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

bool expectAt(int32_t x, int32_t y, uint32_t want, const char* when) {
    const uint32_t got = MRV_GetRGBAAtSurface(x, y);
    if (got == want) return true;
    std::fprintf(stderr, "undo demo: %s: pixel (%d, %d) is %08x, expected %08x\n", when, x, y, got, want);
    return false;
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

    std::printf("stage demoUndoAndSmudge: smudge stroke waits for the dab renderer\n");
    return true;
}
