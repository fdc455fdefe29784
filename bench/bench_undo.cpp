// Undo and blend-buffer speed. Saving a stroke rectangle (256 x 256) and a
// whole 4000 x 3000 canvas, undoing and redoing each, next to memcpy of the
// same bytes in the same run; and the blend-buffer copy and mix at brush
// diameters 32 and 256.
//
// A save makes two block copies (back buffer -> record, layer -> back
// buffer) into a freshly allocated record; an undo or a redo makes three.
#include <benchmark/benchmark.h>
#include <morvane/morvane.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/engine_state.h"
#include "undo/undo_store.h"

namespace {

constexpr int32_t kCanvasW = 4000;
constexpr int32_t kCanvasH = 3000;
constexpr int32_t kStroke = 256;

void makeCanvas(int32_t w, int32_t h, int32_t brushMax) {
    MRV_CreateImage(nullptr, w, h, brushMax, 0);
    MRV_CreateLayer(1, w, h);
    MRV_CreateLayer(2, w, h);
    MRV_SetLayer(2);
    // A fixed budget keeps the free-memory query out of the loop, and two
    // levels let every save drop the record before the last.
    MRV_SetUndoMB(4096);
    MRV_SetUndoLevels(2);
    // Touch the layer so that its pages are real.
    mrv::LayerSlot& s = mrv::engine().core.layers[2];
    std::memset(s.pixels, 0x40, static_cast<size_t>(w) * h * 8);
}

void markStroke(int32_t size) {
    // The dab renderer's rectangle: right and bottom one past the last pixel.
    mrv::undoWidenRectangle(100, 100, 100 + size - 1, 100 + size - 1);
}

void BM_SaveUndoStroke(benchmark::State& state) {
    makeCanvas(kCanvasW, kCanvasH, 8);
    for (auto _ : state) {
        markStroke(kStroke);
        MRV_SaveUndoBuffer(1, 0);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kStroke} * kStroke * 8);
    MRV_DeleteImage();
}
BENCHMARK(BM_SaveUndoStroke)->Unit(benchmark::kMicrosecond);

void BM_SaveUndoWholeCanvas(benchmark::State& state) {
    makeCanvas(kCanvasW, kCanvasH, 8);
    // The first two saves fault in fresh blocks; from then on each save reuses
    // the block of the record it drops. Both are timed separately.
    if (state.range(0) == 1) {
        MRV_SaveUndoBuffer(1, 0);
        MRV_SaveUndoBuffer(1, 0);
    }
    for (auto _ : state) MRV_SaveUndoBuffer(1, 0);  // empty rectangle: the whole canvas
    state.SetBytesProcessed(state.iterations() * int64_t{kCanvasW} * kCanvasH * 8);
    MRV_DeleteImage();
}
// Arg 0: the first save on a fresh history (a new 96 MB block); arg 1: steady state.
BENCHMARK(BM_SaveUndoWholeCanvas)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveUndoWholeCanvas)->Arg(1)->Iterations(8)->Unit(benchmark::kMillisecond);

void undoRedoPair(benchmark::State& state, int64_t pixels) {
    for (auto _ : state) {
        MRV_Undo();
        MRV_Redo();
    }
    state.SetBytesProcessed(state.iterations() * pixels * 8);
}

void BM_UndoRedoStroke(benchmark::State& state) {
    makeCanvas(kCanvasW, kCanvasH, 8);
    markStroke(kStroke);
    MRV_SaveUndoBuffer(1, 0);
    undoRedoPair(state, int64_t{kStroke} * kStroke);
    MRV_DeleteImage();
}
BENCHMARK(BM_UndoRedoStroke)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoWholeCanvas(benchmark::State& state) {
    makeCanvas(kCanvasW, kCanvasH, 8);
    MRV_SaveUndoBuffer(1, 0);
    undoRedoPair(state, int64_t{kCanvasW} * kCanvasH);
    MRV_DeleteImage();
}
BENCHMARK(BM_UndoRedoWholeCanvas)->Iterations(8)->Unit(benchmark::kMillisecond);

// The yardstick: one memcpy of the record's bytes between two buffers whose
// pages already exist.
void BM_MemcpyBytes(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(state.range(0)) * state.range(1) * 8;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpyBytes)->Args({kStroke, kStroke})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyBytes)->Args({kCanvasW, kCanvasH})->Unit(benchmark::kMillisecond);

// The same copy into a block freshly taken from the allocator and given back
// afterwards: what a save into a new record pays for the block's pages.
void BM_MemcpyIntoFreshBlock(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(state.range(0)) * state.range(1) * 8;
    std::vector<uint8_t> a(bytes, 1);
    for (auto _ : state) {
        uint8_t* b = static_cast<uint8_t*>(std::malloc(bytes));
        std::memcpy(b, a.data(), bytes);
        benchmark::DoNotOptimize(b);
        benchmark::ClobberMemory();
        std::free(b);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpyIntoFreshBlock)->Args({kCanvasW, kCanvasH})->Unit(benchmark::kMillisecond);

void setBlendBrush(int32_t diameter) {
    mrv::BrushState& b = mrv::engine().brush;
    b.brushSize = diameter;
    b.blendStrength = 128;
    b.mixMode = 32;
    b.brushColor[0] = 0x2000;
    b.brushColor[1] = 0x4000;
    b.brushColor[2] = 0x8000;
    b.brushColor[3] = 0xFFFF;
}

// The footprint lies inside a 1024 x 1024 canvas; the selection is enabled
// and fully open, as after canvas creation.
void BM_BlendBufferCopy(benchmark::State& state) {
    const int32_t d = static_cast<int32_t>(state.range(0));
    makeCanvas(1024, 1024, 256);
    setBlendBrush(d);
    int32_t x = 300;
    for (auto _ : state) {
        MRV_CopyBlendBufferSurface(x, 400, 128, 0);
        x = x == 700 ? 300 : x + 1;
    }
    state.SetItemsProcessed(state.iterations() * d * d);
    MRV_DeleteImage();
}
BENCHMARK(BM_BlendBufferCopy)->Arg(32)->Arg(256);

void BM_BlendBufferMix(benchmark::State& state) {
    const int32_t d = static_cast<int32_t>(state.range(0));
    makeCanvas(1024, 1024, 256);
    setBlendBrush(d);
    MRV_CopyBlendBufferSurface(300, 400, 128, 0);
    int32_t x = 300;
    for (auto _ : state) {
        MRV_MixBlendBufferSurface(x, 400, 64);
        x = x == 700 ? 300 : x + 1;
    }
    state.SetItemsProcessed(state.iterations() * d * d);
    MRV_DeleteImage();
}
BENCHMARK(BM_BlendBufferMix)->Arg(32)->Arg(256);

}  // namespace

BENCHMARK_MAIN();
