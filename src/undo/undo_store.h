// The undo store's internal interface. The canvas lifecycle and the layer
// table call the housekeeping (clear, reset, back buffer refresh, reduction);
// the dab renderer widens the undo rectangle; the exports in
// exports/undo_exports.cpp call the rest.
#pragma once

#include <cstdint>

#include "platform/os/system_info.h"

namespace mrv {

// Kilobytes the UndoBackBuffer pair of a canvas occupies (width*height*10/1024).
int64_t undoBackBufferKb(int32_t width, int32_t height);

// MRV_ClearUndo: empties the history, resets the undo rectangle and the pause
// flag, counts only the back buffer pair as in use, refreshes the back buffer
// from the current layer and recomputes an automatic budget.
void undoClearHistory();

// Frees every record's blocks and empties it (maskState = maskEnabled); used
// when the canvas is resized or deleted.
void undoResetRecords();

// MRV_SaveUndoBackBuffer: copies layer n and the MaskPlane into the back
// buffer pair (whole canvas) unless paused.
void undoSaveBackBuffer(int32_t n);

// MRV_SaveUndoBuffer: records the undo rectangle of the current layer (when
// saveLayer) and/or of the MaskPlane (when saveMask) as the newest record and
// brings the back buffer pair up to date.
void undoSaveBuffer(bool saveLayer, bool saveMask);

// MRV_Undo / MRV_Redo: swap one record with the layer (and the MaskPlane),
// selecting the record's layer first when another one is current.
void undoUndo();
void undoRedo();

// MRV_ReduceUndo: drops the redo records, then frees the oldest records until
// at least kb kilobytes are released. Returns the kilobytes released.
int64_t undoReduce(int32_t kb);

// MRV_SetUndoLevels: clears the history, then levels = n cut to 0..500.
void undoSetLevels(int32_t n);

// MRV_SetUndoMB: 0 turns the automatic budget on (and computes it now);
// anything else is a fixed budget of mb * 1024 kilobytes.
void undoSetBudgetMb(int32_t mb);

// Getters behind MRV_CanUndo, MRV_CanRedo, MRV_GetRedoCount, MRV_GetUndoCount.
bool undoCanUndo();
bool undoCanRedo();
int32_t undoRedoCount();
int32_t undoRecordCount();

// True while the history still holds a record that undoReduce could free.
bool undoHasReleasableRecords();

// The automatic budget in kilobytes for the given free-memory figures, the
// kilobytes in use and the canvas size: 85 % of the smaller of free physical
// memory and free commit charge, plus what is in use, less 20 canvas units
// (width*height/1024 each), but never below 15 units.
int64_t undoAutomaticBudgetKb(const platform::MemoryFigures& m, int64_t memoryInUseKb, int32_t width,
                              int32_t height);

// Recomputes the budget from the machine's free memory while the automatic
// budget is on; a fixed budget is left alone.
void undoRecomputeAutomaticBudget();

// Empties the undo rectangle: (canvasWidth-1, canvasHeight-1, 0, 0).
void undoResetRectangle();

// Widens the undo rectangle to include (left, top)-(right, bottom). Painting
// passes right and bottom one past the last touched pixel; the store takes
// them as included, so a save reaches one column and row further.
void undoWidenRectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);

}  // namespace mrv
