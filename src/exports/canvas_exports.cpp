// Boundary of the canvas lifecycle and the core's host services.
#include <cstdlib>
#include <cstring>

#include "core/canvas.h"
#include "core/engine_state.h"
#include "core/guard.h"
#include "core/services.h"
#include "morvane/morvane.h"
#include "platform/os/system_info.h"
#include "undo/undo_store.h"

using namespace mrv;

extern "C" {

MRV_API void MRV_CreateImage(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth) {
    guardedVoid("CreateImage Excpt", [&] { createImage(hostWindow, width, height, brushMaxSize, fifth); });
}

MRV_API void MRV_NewSize(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth) {
    guardedVoid("NewSize Excpt", [&] { newSize(hostWindow, width, height, brushMaxSize, fifth); });
}

MRV_API void MRV_DeleteImage(void) {
    guardedVoid("DeleteImage Excpt", [] { deleteImage(); });
}

MRV_API void MRV_SetLastError(const char* text) { setLastError(text); }

MRV_API const char* MRV_GetLastError(void) { return lastError(); }

MRV_API void* MRV_Alloc(int32_t size) { return size < 0 ? nullptr : std::malloc(static_cast<size_t>(size)); }

MRV_API void MRV_Free(void* block) { std::free(block); }

MRV_API void MRV_Memcpy(void* destination, const void* source, int32_t count) {
    if (!destination || !source || count <= 0) return;
    std::memcpy(destination, source, static_cast<size_t>(count));
}

MRV_API void* BankAdrs(void* pointer) { return pointer; }

MRV_API int32_t MRV_RenameFile(const char* oldPath, const char* newPath) { return renameFile(oldPath, newPath); }

MRV_API void MRV_SetStartDir(const char* path) { setStartDirectory(path); }

MRV_API void MRV_SetRandomSeed(int32_t seed) { setRandomSeed(static_cast<uint32_t>(seed)); }

MRV_API const char* MRV_GetDirInfo(void) {
    char* out = engine().core.dirInfo;
    std::strncpy(out, platform::kSystemDirectory, kDirInfoSize - 1);
    out[kDirInfoSize - 1] = '\0';
    return out;
}

MRV_API int32_t MRV_IsDisplayChanged(void) { return takeDisplayChanged(); }

MRV_API int32_t MRV_IsCompositionEnabled(void) { return 0; }

MRV_API int32_t MRV_SetWindowRedraw(void* window, int32_t flag) { return 0; }

MRV_API int32_t MRV_RedrawWindow(void* window) { return 0; }

MRV_API int32_t MRV_GetWindowBackgroundColor(void) { return platform::kButtonFaceColor; }

MRV_API int32_t MRV_GetWindowTextColor(void) { return platform::kButtonTextColor; }

MRV_API int32_t MRV_GetWindowCaptionSize(void) { return platform::kCaptionHeight; }

MRV_API int32_t MRV_GetWindowSmallCaptionSize(void) { return platform::kSmallCaptionHeight; }

MRV_API int32_t MRV_GetWindowFixedFrameSize(void) { return platform::kFixedFrameHeight; }

MRV_API int32_t MRV_GetTotalPhyMemory(void) { return megabytes(platform::queryMemory().totalPhysical); }

MRV_API int32_t MRV_GetAvailPhyMemory(void) { return megabytes(platform::queryMemory().availPhysical); }

MRV_API int32_t MRV_GetTotalPgMemory(void) { return megabytes(platform::queryMemory().totalPageFile); }

MRV_API int32_t MRV_GetAvailPgMemory(void) { return megabytes(platform::queryMemory().availPageFile); }

MRV_API int32_t MRV_GetTotalVirMemory(void) { return megabytes(platform::queryMemory().totalVirtual); }

MRV_API int32_t MRV_GetAvailVirMemory(void) { return megabytes(platform::queryMemory().availVirtual); }

MRV_API int32_t MRV_GetTotalUndoMemory(void) {
    undoRecomputeAutomaticBudget();
    return static_cast<int32_t>(engine().undo.undoBudgetKb / 1024);
}

MRV_API int32_t MRV_GetCurrentUndoMemory(void) { return static_cast<int32_t>(engine().undo.undoMemoryKb / 1024); }

MRV_API void MRV_SetGrid(int32_t value) {}

MRV_API void MRV_SetGridSpacing(int32_t value) {}

}  // extern "C"
