/*
 * morvane: a layered 16-bit painting engine behind a flat C interface.
 *
 * The engine holds exactly one picture (the canvas, each side at most 10000
 * pixels) of up to 64 layers stored as RGBA64 (four 16-bit channels, red,
 * green, blue, alpha, straight alpha), one current tool, one selection mask,
 * an undo history and image-processing working buffers. There are no
 * handles: every call works on that one state. The engine is single-threaded
 * at this interface and not re-entrant.
 *
 * Conventions
 *   - Integers are 32-bit; flags count only in their low byte.
 *   - Pixel buffers are the caller's and are only used during the call.
 *   - 8 to 16 bits is v * 256 (255 becomes 65280); 16 to 8 bits is the high byte.
 *   - Names that select behaviour (blend modes, effects, ...) match byte for
 *     byte; an unknown name selects nothing.
 *   - A call that fails inside stores a fixed text such as "CreateImage Excpt"
 *     in the last-error text (MRV_GetLastError) and returns its failure value.
 *     Bad arguments (layer numbers outside 0..63, null pointers, impossible
 *     sizes) get the documented answer or are refused; they never crash.
 *
 * Linux stand-ins (marked "Linux:" below) answer the calls that a desktop
 * system service would answer elsewhere.
 */
#ifndef MORVANE_MORVANE_H
#define MORVANE_MORVANE_H

#include <stdint.h>

#if defined(__GNUC__)
#define MRV_API __attribute__((visibility("default")))
#else
#define MRV_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Canvas lifecycle and services ---------------------------------------- */

/* Creates the canvas: width and height outside 0..10000 become 100; brushMaxSize
   (largest brush diameter, cut to 0..10000) sizes every brush buffer; fifth is
   stored and unused. All 64 layers become empty, the mask all 0xFFFF, the undo
   history empty. A canvas that already exists is released first. */
MRV_API void MRV_CreateImage(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth);
/* Resizes the canvas and brush maximum; keeps layers, replaces every working buffer,
   clears undo, the TextureMap and the PaintLayer, and resets the view. */
MRV_API void MRV_NewSize(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth);
/* Frees everything the canvas owns, layers included; random arrays stay. */
MRV_API void MRV_DeleteImage(void);
/* Stores the first 511 characters of text as the last-error text (null: ""). */
MRV_API void MRV_SetLastError(const char* text);
/* The last-error text (engine-owned; never cleared by the engine). */
MRV_API const char* MRV_GetLastError(void);
/* A block of size bytes from the C heap; null on failure or a negative size. */
MRV_API void* MRV_Alloc(int32_t size);
/* Frees a block from MRV_Alloc; null is ignored. */
MRV_API void MRV_Free(void* block);
/* Copies count bytes (no overlap); nothing when a pointer is null or count <= 0. */
MRV_API void MRV_Memcpy(void* destination, const void* source, int32_t count);
/* Returns pointer unchanged (lets hosts without pointer arithmetic take an address). */
MRV_API void* BankAdrs(void* pointer);
/* Renames a file: 1 on success, 0 on failure (an existing target name fails). */
MRV_API int32_t MRV_RenameFile(const char* oldPath, const char* newPath);
/* Sets the start directory when shorter than 1024 characters, else ignores it. */
MRV_API void MRV_SetStartDir(const char* path);
/* Stores the engine seed and restarts the engine's random generator with it. */
MRV_API void MRV_SetRandomSeed(int32_t seed);
/* Linux: the fixed system directory "/usr/share" (engine-owned text). */
MRV_API const char* MRV_GetDirInfo(void);
/* 1 once after the display configuration changed, then 0. Linux: nothing watches the
   display on its own; the engine's host integration raises the flag. */
MRV_API int32_t MRV_IsDisplayChanged(void);
/* Linux: 0 (no desktop composition service is asked). */
MRV_API int32_t MRV_IsCompositionEnabled(void);
/* Linux: 0 (the engine owns no windows to redraw). */
MRV_API int32_t MRV_SetWindowRedraw(void* window, int32_t flag);
/* Linux: 0 (the engine owns no windows to redraw). */
MRV_API int32_t MRV_RedrawWindow(void* window);
/* Linux: button face colour, fixed 0x00F0F0F0 (0x00BBGGRR). */
MRV_API int32_t MRV_GetWindowBackgroundColor(void);
/* Linux: button text colour, fixed 0x00000000. */
MRV_API int32_t MRV_GetWindowTextColor(void);
/* Linux: caption height, fixed 23 pixels. */
MRV_API int32_t MRV_GetWindowCaptionSize(void);
/* Linux: small caption height, fixed 23 pixels. */
MRV_API int32_t MRV_GetWindowSmallCaptionSize(void);
/* Linux: fixed dialog frame height, fixed 3 pixels. */
MRV_API int32_t MRV_GetWindowFixedFrameSize(void);
/* Linux: physical memory (MemTotal) in megabytes. */
MRV_API int32_t MRV_GetTotalPhyMemory(void);
/* Linux: available physical memory (MemAvailable) in megabytes. */
MRV_API int32_t MRV_GetAvailPhyMemory(void);
/* Linux: the kernel's commit limit (CommitLimit) in megabytes. */
MRV_API int32_t MRV_GetTotalPgMemory(void);
/* Linux: commit limit less committed memory (Committed_AS) in megabytes. */
MRV_API int32_t MRV_GetAvailPgMemory(void);
/* Linux: the 128 TiB user address space of x86-64 in megabytes. */
MRV_API int32_t MRV_GetTotalVirMemory(void);
/* Linux: the user address space less this process's mapped size, in megabytes. */
MRV_API int32_t MRV_GetAvailVirMemory(void);
/* Undo budget in megabytes (an automatic budget is recomputed first). */
MRV_API int32_t MRV_GetTotalUndoMemory(void);
/* Undo memory in use (back buffers and records) in megabytes. */
MRV_API int32_t MRV_GetCurrentUndoMemory(void);
/* Accepts and ignores its argument. */
MRV_API void MRV_SetGrid(int32_t value);
/* Accepts and ignores its argument. */
MRV_API void MRV_SetGridSpacing(int32_t value);

/* ---- Layer table ----------------------------------------------------------- */

/* Creates (or clears again) layer n (0..63) at width x height (0..10000 each): layer 1
   opaque white, others transparent black. 1 on success, 0 on failure. */
MRV_API int32_t MRV_CreateLayer(int32_t n, int32_t width, int32_t height);
/* Frees layer n's pixels; its options stay. */
MRV_API void MRV_DeleteLayer(int32_t n);
/* Makes layer n current (when it holds pixels) and refreshes the undo back buffer. */
MRV_API void MRV_SetLayer(int32_t n);
/* The current layer number. */
MRV_API int32_t MRV_GetLayerNum(void);
/* How many of the slots 0..63 hold pixels. */
MRV_API int32_t MRV_GetLayerCount(void);
/* Sets visibility, alpha lock, opacity (percent * 256 / 100, not clamped) and blend
   mode by exact name ("Normal", "Multiply", ... "Luminance Alpha Invert"; others: 0). */
MRV_API void MRV_SetLayerOptions(int32_t n, int32_t visible, int32_t alphaLocked, int32_t opacityPercent, const char* modeName);
/* Exchanges the complete records of slots a and b. */
MRV_API void MRV_SwapLayers(int32_t a, int32_t b);
/* Builds the TextureMap (canvas-sized bytes 4..250) from layer n; null on failure. */
MRV_API uint8_t* MRV_CreateTexture(int32_t n);
/* Frees the TextureMap. */
MRV_API void MRV_DeleteTexture(void);
/* Creates the canvas-sized PaintLayer if needed and sets its opacity and blend mode. */
MRV_API void MRV_CreatePaintLayer(int32_t opacityPercent, const char* modeName);
/* Clears the PaintLayer to transparent black and empties its touched rectangle. */
MRV_API void MRV_ClearPaintLayer(void);
/* The older clear: all 0xFF, then transparent black inside the touched rectangle. */
MRV_API void MRV_ClearPaintLayer_old(void);
/* Frees the PaintLayer pixels. */
MRV_API void MRV_DeletePaintLayer(void);
/* Sets the compositing opacity of alpha layers: percent * 0.01 * 65535, kept in 0..65535. */
MRV_API void MRV_SetAlphaLayerOpacity(int32_t opacityPercent);

/* ---- Pixel transfer -------------------------------------------------------- */

/* ---- Run-length codecs ----------------------------------------------------- */

/* ---- Merges and compositing ------------------------------------------------ */

/* Blends all of layer a into layer b with a's blend mode, opacity and layer mask (the
   visible Layer Mask layer right above a). Nothing happens for a number outside 0..63
   or an empty layer; layers of different sizes merge over the area they share. */
MRV_API void MRV_MergeLayer(int32_t a, int32_t b);
/* Blends the w x h rectangle at (x, y) of layer a (mode, opacity, layer mask) into a
   packed w x h RGBA64 buffer; only the part inside layer a is read. */
MRV_API void MRV_MergeLayerIntoRect(int32_t a, uint16_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h);
/* MRV_MergeLayerIntoRect over the whole canvas (buffer of canvas size). */
MRV_API void MRV_MergeLayerInto(int32_t a, uint16_t* buffer);
/* Blends the PaintLayer's touched rectangle into layer n with the PaintLayer's mode and
   opacity, then clears the PaintLayer. Without a PaintLayer, or when layer n is not a
   layer holding pixels, nothing happens and the stroke is kept. */
MRV_API void MRV_MergePaintLayer(int32_t n);
/* Scales the alpha of a packed w x h RGBA32 buffer covering the canvas from (0, 0) by the
   selection weight (MaskPlane while enabled, paper TextureMap when present). */
MRV_API void MRV_AdjustRGBA32ByMaskAndTexture(uint8_t* data, int32_t w, int32_t h);
/* The same for a packed w x h buffer covering the canvas rectangle at (x, y); pixels
   outside the canvas are left alone. 0 when there is neither mask nor texture, else 1. */
MRV_API int32_t MRV_AdjustRGBA32RectByMaskAndTexture(uint8_t* data, int32_t x, int32_t y, int32_t w, int32_t h);
/* Premultiplies a packed RGBA32 buffer: pixels with 0 < a < 255 get c = trunc(a / 255 * (c + 1)). */
MRV_API void MRV_AdjustRGBA32PreFilter(uint8_t* data, int32_t w, int32_t h);
/* Un-premultiplies it: pixels with 0 < a < 255 get c = min(255, c * 255 / a). */
MRV_API void MRV_AdjustRGBA32PostFilter(uint8_t* data, int32_t w, int32_t h);
/* When flag is not 0: un-premultiplies a canvas-sized RGBA32 buffer, opaque pixels included. */
MRV_API void MRV_AdjustRGBA32ForAlphaComp(int32_t flag, uint8_t* data);
/* Premultiplies a packed RGBA64 buffer: pixels with a != 0 get c = c * a / 65535. */
MRV_API void MRV_AdjustRGBA64PreFilter(uint16_t* data, int32_t w, int32_t h);
/* Un-premultiplies it: pixels with a != 0 get c = min(65535, c * 65535 / a). */
MRV_API void MRV_AdjustRGBA64PostFilter(uint16_t* data, int32_t w, int32_t h);

/* ---- View rendering and flatten -------------------------------------------- */

/* Renders the canvas rectangle (x0, y0, w, h) with every visible layer, the stroke in
   progress, tracing, checkerboard and selection overlay into a 24-bit blue-green-red
   buffer (rows stride bytes apart), at the view's zoom or scale, cut to the view size.
   Draws nothing without a current layer, for a rectangle off the canvas, a view size of
   0, or a zoom/scale pair with no usable mapping (magnifying with zoom < 1, reducing with
   a scale that is not a positive finite number). */
MRV_API void MRV_Render(uint8_t* buffer, int32_t stride, int32_t x0, int32_t y0, int32_t w, int32_t h);
/* Stores the integer magnification and the fractional reduction (canvas pixels per shown
   pixel): equal values mean 1:1, zoom > scale magnifies, zoom < scale reduces. */
MRV_API void MRV_SetScale(int32_t zoom, float scale);
/* Stores the view offset (kept for the host; rendering does not read it). */
MRV_API void MRV_SetOffset(int32_t x, int32_t y);
/* Stores the largest number of displayed columns and rows. */
MRV_API void MRV_SetViewSize(int32_t w, int32_t h);
/* Non-zero low byte: the tracing layer (layer 0) is averaged into the view. */
MRV_API void MRV_SetTracingMode(int32_t flag);
/* Flattens the visible layers of the canvas rectangle (x, y, w, h) into a packed w x h
   RGBA64 buffer: layer 1 copied when its visible flag is exactly 1, layers 2..63 blended
   with their mode, opacity and mask. No PaintLayer, tracing, checkerboard or overlay. */
MRV_API void MRV_MergeRect(uint16_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h);
/* MRV_MergeRect of the whole canvas. */
MRV_API void MRV_Merge(uint16_t* buffer);
/* The flattened colour at (x, y) as (A8 << 24) | (R8 << 16) | (G8 << 8) | B8; 0xFFFFFF
   outside the canvas; 0 on failure. */
MRV_API uint32_t MRV_GetColorAtMerged(int32_t x, int32_t y);

/* ---- Brush tool and grit textures ------------------------------------------ */

/* ---- Brush shapes ---------------------------------------------------------- */

/* ---- Dabs ------------------------------------------------------------------ */

/* ---- Blend buffer ---------------------------------------------------------- */

/* ---- Undo ------------------------------------------------------------------ */

/* ---- Selection mask -------------------------------------------------------- */

#ifdef __cplusplus
}
#endif

#endif /* MORVANE_MORVANE_H */
