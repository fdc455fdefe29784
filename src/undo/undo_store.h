// The undo store's internal interface, as the canvas lifecycle and the layer
// table call it. The exports MRV_SaveUndoBuffer, MRV_Undo, MRV_Redo and the
// budget setters live with the store itself.
#pragma once

#include <cstdint>

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

// MRV_ReduceUndo: drops the redo records, then frees the oldest records until
// at least kb kilobytes are released. Returns the kilobytes released.
int64_t undoReduce(int32_t kb);

// True while the history still holds a record that undoReduce could free.
bool undoHasReleasableRecords();

// Recomputes the budget from the machine's free memory while the automatic
// budget is on; a fixed budget is left alone.
void undoRecomputeAutomaticBudget();

// Empties the undo rectangle: (canvasWidth-1, canvasHeight-1, 0, 0).
void undoResetRectangle();

}  // namespace mrv
