// Boundary of the undo store.
#include "core/engine_state.h"
#include "core/guard.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

using namespace mrv;

extern "C" {

MRV_API void MRV_SaveUndoBuffer(int32_t saveLayer, int32_t saveMask) {
    guardedVoid("SaveUndoBuf Excpt", [&] { undoSaveBuffer((saveLayer & 0xFF) != 0, (saveMask & 0xFF) != 0); });
}

MRV_API void MRV_SaveUndoBackBuffer(int32_t n) {
    guardedVoid("SaveUndoBackBuffer Excpt", [&] { undoSaveBackBuffer(n); });
}

MRV_API void MRV_Undo(void) {
    guardedVoid("Undo Excpt", [] { undoUndo(); });
}

MRV_API void MRV_Redo(void) {
    guardedVoid("Redo Excpt", [] { undoRedo(); });
}

MRV_API void MRV_ClearUndo(void) {
    guardedVoid("ClearUndo Excpt", [] { undoClearHistory(); });
}

MRV_API void MRV_ReduceUndo(int32_t kilobytes) {
    guardedVoid("RemoveAdandonedUndo Excpt", [&] { undoReduce(kilobytes); });
}

MRV_API void MRV_SetUndoLevels(int32_t levels) {
    guardedVoid("ClearUndo Excpt", [&] { undoSetLevels(levels); });
}

MRV_API void MRV_SetUndoMB(int32_t megabytes) { undoSetBudgetMb(megabytes); }

MRV_API void MRV_PauseUndo(void) { engine().undo.paused = 1; }

MRV_API void MRV_ResumeUndo(void) { engine().undo.paused = 0; }

MRV_API int32_t MRV_CanUndo(void) { return undoCanUndo() ? 1 : 0; }

MRV_API int32_t MRV_CanRedo(void) { return undoCanRedo() ? 1 : 0; }

MRV_API int32_t MRV_GetRedoCount(void) { return undoRedoCount(); }

MRV_API int32_t MRV_GetUndoCount(void) { return undoRecordCount(); }

}  // extern "C"
