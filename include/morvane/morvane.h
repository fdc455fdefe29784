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

/* Formats: RGBA64 = four uint16 (red, green, blue, alpha, straight alpha); RGBA32 =
   four bytes in the same order; RGB24 = three bytes. Strides are row lengths in
   bytes unless named "pixels". Functions without a size work on canvasWidth x
   canvasHeight (a layer of another size only on the part of it inside the canvas).
   Weighted loads scale what they write by the selection mask (while enabled) and
   the paper texture (while a Texturize3 layer casts one). */

/* Places a w x h RGBA32 block at (x, y) (negative offsets skip source pixels) in
   layer n, clipped to the layer; weighted when useSelection is set. */
MRV_API void MRV_LoadRGBA32Layer(const uint8_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w, int32_t h, int32_t useSelection);
/* Loads a layer-sized RGBA32 picture into the current layer at (0, 0). */
MRV_API void MRV_LoadRGBA32(const uint8_t* data, int32_t stride, int32_t useSelection);
/* MRV_LoadRGBA32Layer with useSelection = 1. */
MRV_API void MRV_LoadRGBA32Into(const uint8_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w, int32_t h);
/* Inflates a blob from MRV_GetRGBA32LayerCompressed into layer n (unweighted). 1 when
   loaded; 0 when layer n is empty, or when the blob is null, truncated, corrupt or of
   the wrong size (then the layer is unchanged and LastError is set). */
MRV_API int32_t MRV_LoadRGBA32LayerCompressed(const uint8_t* blob, int32_t ignored, int32_t length, int32_t n);
/* The older loader: if adjust, weights data's alpha by the selection and texture (in
   place, over w x h); clears the selection on the current layer to transparent; then
   blends the canvas-sized data over layer n (Normal, full opacity, its alpha lock). */
MRV_API void MRV_LoadRGBA32Layer_BAD(uint8_t* data, int32_t ignored, int32_t n, int32_t w, int32_t h, int32_t adjust);
/* Loads canvas-sized RGB24 into the current layer's colour; alpha untouched. */
MRV_API void MRV_LoadRGB24(const uint8_t* data, int32_t stride, int32_t useSelection);
/* Loads the first byte of each RGB24 pixel into the current layer's alpha where that
   alpha is not 0. */
MRV_API void MRV_LoadRGB24ToAlpha(const uint8_t* data, int32_t stride, int32_t useSelection);
/* Loads blue-green-red bytes into the current layer from (0, 0), alpha 65535;
   min(w, canvasWidth) x min(h, canvasHeight) pixels. */
MRV_API void MRV_Load(const uint8_t* data, int32_t stride, int32_t w, int32_t h);
/* Copies canvas-sized RGBA64 into layer n verbatim; 1, or 0 if layer n is empty. */
MRV_API int32_t MRV_SetRGBA64Layer(const uint16_t* data, int32_t stride, int32_t n);
/* Copies canvasWidth x canvasHeight x 8 packed bytes into layer n (no more than it holds). */
MRV_API void MRV_SetLayerData(const uint16_t* data, int32_t n);
/* Copies layer from's pixels over layer to's (both must hold pixels; the common area). */
MRV_API void MRV_CopyLayerData(int32_t from, int32_t to);

/* Writes layer n as canvas-sized RGBA32; 1, or 0 if layer n is empty. */
MRV_API int32_t MRV_GetRGBA32Layer(uint8_t* data, int32_t stride, int32_t n);
/* Writes the current layer as canvas-sized RGBA32; 1, or 0 without one. */
MRV_API int32_t MRV_GetRGBA32(uint8_t* data, int32_t stride);
/* Writes layer n as canvas-sized RGB24 (alpha dropped). */
MRV_API void MRV_GetRGB24Layer(uint8_t* data, int32_t stride, int32_t n);
/* Writes the current layer as canvas-sized RGB24. */
MRV_API void MRV_GetRGB24(uint8_t* data, int32_t stride);
/* Writes the current layer's alpha (high byte) into all three bytes of RGB24. */
MRV_API void MRV_GetRGB24FromAlpha(uint8_t* data, int32_t stride);
/* Copies layer n verbatim into a canvas-sized RGBA64 buffer. */
MRV_API void MRV_GetRGBA64Layer(uint16_t* data, int32_t stride, int32_t n);
/* Copies the w x h rectangle at (x, y) of layer n into the buffer from its first pixel;
   parts outside the layer are skipped (their host pixels stay untouched). */
MRV_API void MRV_GetRGBA64LayerRect(uint16_t* data, int32_t stride, int32_t n, int32_t x, int32_t y, int32_t w, int32_t h);
/* Copies canvasWidth x canvasHeight x 8 packed bytes out of layer n (no more than it holds). */
MRV_API void MRV_GetLayerData(uint16_t* data, int32_t n);
/* Deflates layer n as canvas-sized RGBA32 (plain zlib stream, no header of ours) into
   output of capacity bytes at zlib level (-1 default, 0..9; others default). Returns
   the compressed length; 0 if the layer is empty or the output is too small. */
MRV_API int32_t MRV_GetRGBA32LayerCompressed(uint8_t* output, int32_t ignored, int32_t capacity, int32_t n, int32_t level);
/* Inclusive bounding box of layer n's pixels with alpha != 0; (canvasWidth,
   canvasHeight, 0, 0) when none; nothing written if layer n is empty. */
MRV_API void MRV_FindDataExtentsLayer(int32_t n, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);

/* Converts w x h RGBA64 to RGBA32 from the first pixel of both buffers (x, y unused). */
MRV_API void MRV_GetRGBA32FromRGBA64Rect(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride, int32_t x, int32_t y, int32_t w, int32_t h);
/* Converts w x h RGBA64 to RGB24 from the first pixel of both buffers (x, y unused). */
MRV_API void MRV_GetRGB24FromRGBA64Rect(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride, int32_t x, int32_t y, int32_t w, int32_t h);
/* Converts w x h RGBA64 to RGBA32; nothing if a pointer is null. */
MRV_API void MRV_GetRGBA32FromRGBA64(uint8_t* dst, int32_t dstStride, int32_t w, int32_t h, const uint16_t* src, int32_t srcStride);
/* Converts canvas-sized RGBA64 to RGB24; nothing if a pointer is null. */
MRV_API void MRV_GetRGB24FromRGBA64(uint8_t* dst, int32_t dstStride, const uint16_t* src, int32_t srcStride);
/* Converts the w x h rectangle at (x, y) of src (row length in pixels) to packed RGBA32;
   a rectangle starting at a negative position or wider than a row is refused. */
MRV_API void MRV_RGBA64RectToRGBA32(const uint16_t* src, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcStridePixels, int32_t ignored, uint8_t* dst);
/* The same to packed RGB24. */
MRV_API void MRV_RGBA64RectToRGBA24(const uint16_t* src, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcStridePixels, int32_t ignored, uint8_t* dst);
/* Writes the high bytes of 16-bit r, g, b at (x, y) of an RGB24 buffer inside the canvas. */
MRV_API void MRV_SetPixelRGB24(uint8_t* buffer, int32_t stride, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);

/* Fills the current layer with (r, g, b, a) bytes widened by 256. */
MRV_API void MRV_Clear(int32_t r, int32_t g, int32_t b, int32_t a);
/* Fills the current layer within the selection (partly selected pixels blend and
   become opaque). */
MRV_API void MRV_ClearMasked(int32_t r, int32_t g, int32_t b, int32_t a);
/* MRV_Clear without the mask; with it, a weighted load of the colour. 1, or 0 without
   a current layer or when the temporary cannot be allocated. */
MRV_API int32_t MRV_ClearMaskedAlpha(int32_t r, int32_t g, int32_t b, int32_t a);
/* Fills a canvas-sized RGBA64 buffer with 16-bit values. */
MRV_API void MRV_ClearRGBA64(uint16_t* buffer, int32_t stride, int32_t r, int32_t g, int32_t b, int32_t a);
/* Fills a canvas-sized RGBA32 buffer. */
MRV_API void MRV_ClearRGBA32(uint8_t* buffer, int32_t stride, int32_t r, int32_t g, int32_t b, int32_t a);
/* Fills a packed w x h RGBA32 buffer. */
MRV_API void MRV_ClearRGBA32Buf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b, int32_t a);

/* alpha = 65535 - alpha over layer n. */
MRV_API void MRV_InvertAlpha(int32_t n);
/* alpha = 255 - alpha over a canvas-sized packed RGBA32 buffer. */
MRV_API void MRV_InvertAlpha_RGBA32(uint8_t* buffer);
/* Sets every alpha of layer n to value (low 16 bits). */
MRV_API void MRV_SetLayerAlpha(int32_t n, int32_t value);
/* Bakes layer n's opacity into its alpha ((opacity * alpha) >> 8, at most 65535) and
   sets the opacity to 256. */
MRV_API void MRV_NormalizeLayerAlpha(int32_t n);
/* Softens the PaintLayer's alpha (alpha bytes >= 240 become fully opaque). */
MRV_API void MRV_BlurPaintLayerAlpha(void);
/* Pixels of the current layer with alpha < 256 become (r*257, g*257, b*257, 0). */
MRV_API void MRV_SetColorAlpha(int32_t r, int32_t g, int32_t b);
/* In a packed w x h RGBA32 buffer, pixels with alpha 0 get colour (r, g, b). */
MRV_API void MRV_SetColorAlphaRGBABuf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b);
/* Every pixel of a packed w x h RGBA32 buffer gets colour (r, g, b); alpha kept. */
MRV_API void MRV_SetColorRGBABuf(uint8_t* buffer, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b);
/* In a canvas-sized packed RGBA32 buffer, pixels of colour (r, g, b) get alpha 0. */
MRV_API void MRV_SetAlphaFromRGBAImageColor(uint8_t* buffer, int32_t r, int32_t g, int32_t b);

/* The 16-bit red of the current layer at (x, y); 0 outside or without a current layer. */
MRV_API int32_t MRV_GetRed64(int32_t x, int32_t y);
/* The 16-bit green, as MRV_GetRed64. */
MRV_API int32_t MRV_GetGreen64(int32_t x, int32_t y);
/* The 16-bit blue, as MRV_GetRed64. */
MRV_API int32_t MRV_GetBlue64(int32_t x, int32_t y);
/* The 16-bit alpha, as MRV_GetRed64. */
MRV_API int32_t MRV_GetAlpha64(int32_t x, int32_t y);
/* MRV_GetMask64 (the protection level at a pixel) is declared with the selection mask. */
/* Copies the whole mask plane (canvasWidth x canvasHeight uint16) out. */
MRV_API void MRV_GetMaskData16(uint16_t* buffer);
/* Copies the whole mask plane in. */
MRV_API void MRV_SetMaskData16(const uint16_t* buffer);
/* (R8 << 24) | (G8 << 16) | (B8 << 8) | A8 of a canvas-sized RGBA64 buffer, x and y
   clamped into the canvas; 0 for a null buffer. */
MRV_API uint32_t MRV_GetRGBAAt(int32_t x, int32_t y, const uint16_t* buffer);
/* MRV_GetRGBAAt on the current layer (0 without one). */
MRV_API uint32_t MRV_GetRGBAAtSurface(int32_t x, int32_t y);
/* MRV_GetRGBAAt on the undo back buffer (the current layer before the stroke in progress). */
MRV_API uint32_t MRV_GetRGBAAtUnderLayer(int32_t x, int32_t y);
/* MRV_GetRGBAAt on layer n (0 if empty). */
MRV_API uint32_t MRV_GetRGBAAtLayer(int32_t x, int32_t y, int32_t n);
/* MRV_GetRGBAAt on the tracing layer 0 (0 if empty). */
MRV_API uint32_t MRV_GetRGBAAtTrace(int32_t x, int32_t y);
/* (A8 << 24) | (R8 << 16) | (G8 << 8) | B8 of a canvas-sized RGBA64 buffer; 0xFFFFFF
   outside the canvas; 0 for a null buffer. */
MRV_API uint32_t MRV_GetColorAt(int32_t x, int32_t y, const uint16_t* buffer);
/* MRV_GetColorAt on the current layer (0 without one). */
MRV_API uint32_t MRV_GetColorAtSurface(int32_t x, int32_t y);
/* MRV_GetColorAt on the undo back buffer. */
MRV_API uint32_t MRV_GetColorAtUnderLayer(int32_t x, int32_t y);
/* MRV_GetColorAt on layer n (0 if empty). */
MRV_API uint32_t MRV_GetColorAtLayer(int32_t x, int32_t y, int32_t n);
/* MRV_GetColorAt on the tracing layer 0 (0 if empty). */
MRV_API uint32_t MRV_GetColorAtTrace(int32_t x, int32_t y);
/* MRV_GetColorAt on the undo back buffer while the history holds a record at its
   current position; 0 otherwise. */
MRV_API uint32_t MRV_GetColorAtHistory(int32_t x, int32_t y);

/* ---- Run-length codecs ----------------------------------------------------- */

/* Layer lines are 5-byte runs (count 1..255, red, green, blue, alpha high bytes); mask
   lines are 2-byte runs (count, high byte). Decoding widens each byte by 256. Output
   buffers hold 5 x n (layer) or 2 x n (mask) bytes. */

/* Encodes n RGBA64 pixels; returns the bytes written, 0 if a pointer is null or n < 1. */
MRV_API int32_t MRV_RLECompressRGBA64ToRGBA32(const uint16_t* pixels, uint8_t* out, int32_t n);
/* Decodes runs into exactly n RGBA64 pixels (never more); nothing if a pointer is null. */
MRV_API void MRV_RLEUncompressRGBA32ToRGBA64(const uint8_t* in, uint16_t* pixels, int32_t n);
/* Encodes n 16-bit values; returns the bytes written, 0 if a pointer is null or n < 1. */
MRV_API int32_t MRV_RLECompressG16ToG8(const uint16_t* values, uint8_t* out, int32_t n);
/* Decodes runs into exactly n 16-bit values; nothing if a pointer is null. */
MRV_API void MRV_RLEUncompressG8ToG16(const uint8_t* in, uint16_t* values, int32_t n);
/* Encodes row y of layer n (canvasWidth pixels); bytes written, 0 if empty or out of range. */
MRV_API int32_t MRV_GetRGBA32LayerLineRLE(uint8_t* out, int32_t n, int32_t y);
/* Decodes canvasWidth pixels into row y of layer n (nothing if empty or out of range). */
MRV_API void MRV_PutRGBA32LayerLineRLE(const uint8_t* in, int32_t n, int32_t y);
/* Encodes row y of the mask plane; bytes written, 0 without a mask plane. */
MRV_API int32_t MRV_GetMaskLineRLE(uint8_t* out, int32_t y);
/* Decodes canvasWidth values into row y of the mask plane. */
MRV_API void MRV_PutMaskLineRLE(const uint8_t* in, int32_t y);

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

/* The tool record of MRV_SetTool, passed by value: sixteen fields in this order.
   Fields marked "low byte" count only their low 8 bits. A path of 0 or 1
   characters (or null) means none. 80 bytes on x86-64. */
typedef struct MRV_ToolRecord {
    float shapeStrength;          /* factor on every brush shape value; 1.0 keeps the shape */
    int32_t gritCellSize;         /* edge of a grit cell in pixels; 0 = no grit */
    int32_t gritCellThreshold;    /* a cell is kept when its random byte (0..254) is below this */
    int32_t gritPixelThreshold;   /* a pixel of a kept cell is set when its byte is below this */
    int32_t shapeSoftness;        /* low byte: width of the round shape's soft rim, 0..255 */
    int32_t colorVary;            /* as MRV_SetColorVary */
    int32_t gritInterval;         /* MRV_DecDrawingLength calls one grit texture stays in use */
    int32_t blendStrength;        /* as MRV_SetBlendStrength */
    int32_t primaryColorStrength; /* as MRV_SetBlendPrimaryColorStrength */
    int32_t blendRemix;           /* low byte: as MRV_SetBlendRemix */
    int32_t reserved10;           /* low byte: stored, no effect */
    int32_t shapeHollow;          /* low byte: non-zero inverts the rim ramp of the round shape */
    int32_t reserved12;           /* low byte: stored, no effect */
    const char* paperPath;        /* image file or effect script cut into the grit textures */
    const char* shapePath;        /* image file or effect script for the brush shape */
    int32_t shapeAngle;           /* rotation of the shape picture in whole degrees */
} MRV_ToolRecord;

/* Brush colour = (low byte of r, g, b) * 256, alpha 65535. */
MRV_API void MRV_SetColor(int32_t r, int32_t g, int32_t b);
/* Brush colour = low 16 bits of r, g, b, alpha 65535. */
MRV_API void MRV_SetColor16(int32_t r, int32_t g, int32_t b);
/* Colour bank k (0..3) = (low byte of rk, gk, bk) * 256, alpha 65535. */
MRV_API void MRV_SetColorBanks(int32_t r0, int32_t g0, int32_t b0, int32_t r1, int32_t g1, int32_t b1, int32_t r2,
                               int32_t g2, int32_t b2, int32_t r3, int32_t g3, int32_t b3);
/* Blur applied to a picture shape at its next build (> 0 blurs). */
MRV_API void MRV_SetShapeBlur(int32_t n);
/* Weight 0..256 of picked-up colour; 0 = no pick-up (the inverse is kept then). */
MRV_API void MRV_SetBlendStrength(int32_t n);
/* Weight 0..256 of the brush colour mixed into picked-up colour (inverse kept at 0). */
MRV_API void MRV_SetBlendPrimaryColorStrength(int32_t n);
/* Low byte non-zero: painted pixels are written back into the blend buffer. */
MRV_API void MRV_SetBlendRemix(int32_t flag);
/* Grit bytes up to n - 1 take paint (256: every byte; 0: none while grit is on). */
MRV_API void MRV_SetDensity(int32_t n);
/* Brush opacity in percent; the dab weight is percent * 1.28, truncated. */
MRV_API void MRV_SetAlpha(int32_t percent);
/* Range of the per-dab colour variation (0 = off). */
MRV_API void MRV_SetColorVary(int32_t n);
/* Non-zero: dabs leave the layer's alpha channel alone. */
MRV_API void MRV_SetAlphaLocked(int32_t n);
/* Non-zero: dabs leave the layer's colour channels alone. */
MRV_API void MRV_SetColorLocked(int32_t n);
/* Non-zero: dabs change alpha only where the layer is already more than faintly opaque. */
MRV_API void MRV_SetBlobLocked(int32_t n);
/* Greater than 0: dabs write this fixed alpha. */
MRV_API void MRV_SetAlphaLevel(int32_t n);
/* Non-zero: the alpha of picked-up colour scales the coverage. */
MRV_API void MRV_SetImageBrushMode(int32_t n);
/* Non-zero: every painted pixel gets full coverage. */
MRV_API void MRV_SetSolidBrushMode(int32_t n);
/* mode 1 samples the shape rotated by degrees (pi taken as 3.14159); other modes do not rotate. */
MRV_API void MRV_SetRotateBrushMode(int32_t mode, int32_t degrees);
/* Mix mode of the dab and its weight 0..256 against the brush colour. */
MRV_API void MRV_SetMixMode(int32_t mode, int32_t amount);
/* Lowers the grit countdown by one; below 1 the next dab takes another grit texture. */
MRV_API void MRV_DecDrawingLength(void);
/* The next dab ignores the picked-up colour. */
MRV_API void MRV_TempDisableBlend(void);
/* Dabs paint into the selection mask until the next MRV_SetTool. */
MRV_API void MRV_SetMaskMakerOn(void);
/* The next dab erases. */
MRV_API void MRV_SetEraseModeOn(void);
/* Brush and dab edge = n with an unscaled dab. n is clamped to 1..min(brushMaxSize, 1000)
   (1..1000 before a canvas exists); the shape is not rebuilt. */
MRV_API void MRV_SetSize(int32_t n);
/* Dab edge n (kept within 1..brushSize and 999) sampling the brushSize shape evenly. */
MRV_API void MRV_SetScaleSize(int32_t n);
/* Range of the per-pixel colour variation (0 = off); n > 0 (re)makes its random bytes. */
MRV_API void MRV_SetPixColorVary(int32_t n);
/* Range of the per-pixel lightness variation (0 = off); n > 0 (re)makes its random bytes. */
MRV_API void MRV_SetPixLumVary(int32_t n);
/* Sets the whole tool: reseeds the random generator, rebuilds the grit textures (random
   cells and/or a paper picture), sets the mix mode to 32 and builds the brush shape.
   Failure text "SetTool Excpt" (e.g. grit asked for before a canvas exists). */
MRV_API void MRV_SetTool(MRV_ToolRecord record);


/* ---- Brush shapes ---------------------------------------------------------- */

/* Rebuilds the brush shape at the current size from an effect script or image file
   (rotated by angle degrees, resampled, grey * 256 * shapeStrength, saturated to 16 bits),
   or the round shape when path has 0 or 1 characters or cannot be used. The picture is
   cached per path and angle. Failure text "SetBrushShape Excpt" (no canvas). */
MRV_API void MRV_SetBrushShape(const char* path, int32_t angle);
/* The older builder: image files only, no shape blur; otherwise as MRV_SetBrushShape. */
MRV_API void MRV_SetBrushShape_ORIGINAL(const char* path, int32_t angle);
/* Turns layer n into a blob in place: mode 1 pulls colours half-way toward middle grey,
   other modes make them middle grey; alpha above 8191 becomes lightness * 0.843 + 10239.
   Nothing for a layer number outside 0..63 or an empty slot. */
MRV_API void MRV_CreateBlobFromImage(int32_t n, int32_t mode);


/* ---- Dabs ------------------------------------------------------------------ */

/* Paints one dab of the current tool centred at (x, y) into the PaintLayer when it holds
   pixels, else into the current layer, and widens the undo rectangle (and the PaintLayer's
   touched rectangle). r, g, b are 16-bit values of which only the high byte counts; they
   become the brush colour. Mix modes: 32 "Normal"; 33 and below 32 "Multiply"; 34..48 the
   layer modes "Screen".."Subtract"; 249..262 bank and level modes; 295 posterize; 340 grey
   alpha; every other value paints as 32. With the mask maker on, paints the mask instead.
   Refuses (paints nothing, last error "DrawDabGrit Excpt") a brush size outside
   1..brushMaxSize or a dab size outside 1..min(brush size, 1000); with no PaintLayer and no
   current layer it paints nothing. The one-dab flags (erase, mask maker, blend off) clear. */
MRV_API void MRV_DrawDabGrit(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);
/* Paints one dab centred at (x, y) into the selection mask with the lightness of the brush
   colour (dark colours select fully); refuses bad brush sizes as MRV_DrawDabGrit does
   ("DrawDabGritMask Excpt"). Keeps the mask maker and erase flags on. */
MRV_API void MRV_DrawDabGritMask(int32_t x, int32_t y);

/* ---- Blend buffer ---------------------------------------------------------- */

/* The blend buffer holds the colour a brush has picked up: brushMaxSize x brushMaxSize
   RGBA64 pixels aligned with the brush (buffer pixel (row, column) feeds the dab pixel
   that samples brush shape (row, column)); only the top-left brushSize square is used.
   Operations with a position (x, y) work on the brushSize square centred there
   (left = x - brushSize / 2), clipped to the canvas. Colour channels written by pick-up
   and tint stop at 65280 (0xFF00); alpha does not. Copy, mix, tint and mask-copy do
   nothing while the blend strength is 0 (MRV_SetBlendStrength), and every operation
   does nothing without a canvas. A brushSize above brushMaxSize is cut to it. Weights
   are 0..256; values outside are taken as the nearer end, except that the alpha the
   copy writes where the source is transparent or off the canvas uses the weight's low
   byte. Sources are canvas-sized RGBA64: a layer or a buffer of another size is ignored
   (source pointers of the Do* calls are trusted to be canvas-sized; null is ignored). */

/* Loads the footprint from source: colour min(65280, ((S * (256 - w) + brush * w) >> 8) + 1),
   alpha (Sa * (256 - w) + brushAlpha * w) >> 8; a transparent source pixel gives the brush
   colour with alpha (w & 0xFF) * 256 (flag: ((256 - w) & 0xFF) * 256). A clipped footprint
   first fills the whole square with the brush colour at that alpha (flag: alpha 65535
   only). With the selection enabled the source alpha is weighted by the mask. */
MRV_API void MRV_DoCopyBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t weight, int32_t flag);
/* MRV_DoCopyBlendBuffer from the current layer. */
MRV_API void MRV_CopyBlendBufferSurface(int32_t x, int32_t y, int32_t weight, int32_t flag);
/* MRV_DoCopyBlendBuffer from layer n (0..63, holding pixels), flag 0. */
MRV_API void MRV_CopyBlendBufferLayer(int32_t n, int32_t x, int32_t y, int32_t weight);
/* MRV_DoCopyBlendBuffer from the undo back buffer (the layer before the stroke), flag 0. */
MRV_API void MRV_CopyBlendBufferHistory(int32_t x, int32_t y, int32_t weight);
/* The same as MRV_CopyBlendBufferHistory. */
MRV_API void MRV_CopyBlendBufferUnderLayer(int32_t x, int32_t y, int32_t weight);
/* MRV_DoCopyBlendBuffer from the tracing layer (layer 0), flag 0; nothing when it is empty. */
MRV_API void MRV_CopyBlendBufferTrace(int32_t x, int32_t y, int32_t weight);
/* Mixes source into the footprint under the tool's mix mode with the source's share
   L = min(w * 256, 65535): a transparent source fades the buffer's alpha, an empty buffer
   pixel takes the source, otherwise colour min(65280, ((F * (65536 - L) >> 8) +
   (S * L >> 8)) >> 8) + 1) with F the mode colour of buffer over source. */
MRV_API void MRV_DoMixBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t weight);
/* MRV_DoMixBlendBuffer from the current layer. */
MRV_API void MRV_MixBlendBufferSurface(int32_t x, int32_t y, int32_t weight);
/* MRV_DoMixBlendBuffer from layer n. */
MRV_API void MRV_MixBlendBufferLayer(int32_t n, int32_t x, int32_t y, int32_t weight);
/* MRV_DoMixBlendBuffer from the undo back buffer. */
MRV_API void MRV_MixBlendBufferHistory(int32_t x, int32_t y, int32_t weight);
/* The same as MRV_MixBlendBufferHistory. */
MRV_API void MRV_MixBlendBufferUnderLayer(int32_t x, int32_t y, int32_t weight);
/* MRV_DoMixBlendBuffer from the tracing layer; nothing when it is empty. */
MRV_API void MRV_MixBlendBufferTrace(int32_t x, int32_t y, int32_t weight);
/* Tints the footprint towards the 8-bit colour (low bytes of r, g, b, times 256) with
   share L = min(w * 256, 65535); transparent buffer pixels take the colour; alpha stays. */
MRV_API void MRV_DoColorBlendBuffer(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t ignored, int32_t weight);
/* Loads the footprint of the selection mask into the buffer as one 16-bit value per pixel
   (row * 4 * brushMaxSize + column): min(65280, ((m * (256 - w) + M0 * w) >> 8) + 1), M0
   the mask value of the brush colour's grey; a clipped footprint is first filled with M0. */
MRV_API void MRV_DoCopyBlendBufferMask(int32_t x, int32_t y, int32_t weight);
/* Zeroes the first 2 * brushMaxSize^2 bytes of the buffer (the mask layout's extent). */
MRV_API void MRV_ClearBlendBuffer(void);
/* Sets the first 2 * brushMaxSize^2 bytes to the low byte of low; the others are ignored. */
MRV_API void MRV_FillBlendBuffer(int32_t ignored1, int32_t ignored2, int32_t high, int32_t low);
/* Filters the brushSize square's colour (alpha untouched), e = trunc(level * 655.35):
   289 grey (R + G + B) / 3; 290 invert; 291 channels below e become 0; 292 channels
   above e become 65280; other kinds change nothing. */
MRV_API void MRV_FilterBlendBuffer(int32_t kind, int32_t levelPercent);

/* ---- Undo ------------------------------------------------------------------ */

/* The history keeps up to 500 records of rectangles of a layer and/or the selection
   mask, held against a back buffer that shows the current layer and the mask as they
   were before the operation in progress. Nothing is recorded until levels are set.
   A record whose layer no longer holds canvas-sized pixels when it is undone or redone
   keeps its place: its layer block is skipped (never copied into another layer), its
   mask block is still exchanged, and the position moves as usual. When the back buffer
   holds another layer than the current one (a layer selected while paused, or
   MRV_SaveUndoBackBuffer of another layer), a save records no layer block but reloads the
   back buffer from the current layer, and undo/redo reload it before exchanging. */

/* Records the area painted since the last save (the whole canvas when nothing was
   painted, or only one column or row) of the current layer (saveLayer) and/or the mask
   (saveMask), dropping redo records and the oldest records as levels and the budget
   demand; the back buffer is brought up to date even when no record could be kept.
   A save that can record neither (no current layer, no canvas) changes no record. */
MRV_API void MRV_SaveUndoBuffer(int32_t saveLayer, int32_t saveMask);
/* Copies layer n's pixels (when it holds any) and the mask into the back buffer. */
MRV_API void MRV_SaveUndoBackBuffer(int32_t n);
/* Undoes one record, first selecting its layer when another one is current. */
MRV_API void MRV_Undo(void);
/* Redoes the last undone record, selecting its layer as MRV_Undo does. */
MRV_API void MRV_Redo(void);
/* Empties the history and unpauses it; refreshes the back buffer from the current layer. */
MRV_API void MRV_ClearUndo(void);
/* Drops redo records, then frees the oldest records (those with layer pixels) until at
   least that many kilobytes are released; 0 frees nothing beyond the redo records. */
MRV_API void MRV_ReduceUndo(int32_t kilobytes);
/* Empties the history, then keeps at most levels records (cut to 0..500). */
MRV_API void MRV_SetUndoLevels(int32_t levels);
/* 0: the budget follows free memory (85 % of it plus what the history holds, less 20
   canvas-sized units, at least 15); otherwise a fixed budget of megabytes (a negative one
   keeps only the newest record). The newest record is kept even when it alone exceeds the
   budget. */
MRV_API void MRV_SetUndoMB(int32_t megabytes);
/* While paused, saving, undo, redo and back-buffer refreshes do nothing. */
MRV_API void MRV_PauseUndo(void);
/* Ends a pause. */
MRV_API void MRV_ResumeUndo(void);
/* 1 when a record is there to undo, else 0. */
MRV_API int32_t MRV_CanUndo(void);
/* 1 when a record is there to redo, else 0. */
MRV_API int32_t MRV_CanRedo(void);
/* How many records are undone (and can be redone). */
MRV_API int32_t MRV_GetRedoCount(void);
/* How many of the 500 slots hold a record, redo records included. */
MRV_API int32_t MRV_GetUndoCount(void);

/* ---- Selection mask -------------------------------------------------------- */

/* The selection mask holds one 16-bit weight per canvas pixel: 0xFFFF lets edits act
   fully, 0 protects the pixel. Hosts and grey mask images see the inverse, the
   protection level (white protects, black opens). A new or resized canvas has every
   weight 0xFFFF and the mask enabled. Unless stated, the calls below walk the whole
   canvas, ignore a null buffer and do nothing while no canvas exists; they work on the
   weights whether or not the mask is enabled. Caller images are canvas-sized with
   packed rows (RGBA32: width * 4 bytes, RGB24: width * 3). A "level" is the 8-bit
   protection level written to selected pixels: weight (255 - level) * 256, so level 0
   writes 0xFF00 and level 255 writes 0. A "tolerance" is a percentage 0..100 whose
   threshold is trunc(tolerance * 2.56) (100 selects everything). Range calls write
   only the pixels they select, so successive calls add up. */

/* Switches the mask's use on (non-zero low byte) or off; while off, edits and the view
   act as though every weight were 0xFFFF. */
MRV_API void MRV_EnableMask(int32_t on);
/* Switches the view's mask overlay on or off (drawn only while the mask is enabled too). */
MRV_API void MRV_DisplayMask(int32_t on);
/* Overlay colours A (odd squares of a 32-pixel checkerboard) and B (even squares), 8-bit
   components; fullStrength 0 draws fully protected pixels at half strength. */
MRV_API void MRV_SetMaskOptions(int32_t redA, int32_t greenA, int32_t blueA, int32_t redB, int32_t greenB,
                                int32_t blueB, int32_t fullStrength);
/* Every weight becomes 0xFFFF minus itself. */
MRV_API void MRV_InvertMask(void);
/* Fills the mask from the grey g = (red + green + blue) / 3 of 16-bit channels:
   g <= 255 opens (0xFFFF), g > 0xFF00 protects (0), otherwise weight 0xFF00 - g. */
MRV_API void MRV_ClearMask(int32_t red, int32_t green, int32_t blue);
/* Writes the mask as a canvas-sized RGB24 grey image (255 - high byte of each weight),
   rows dstStride bytes apart. */
MRV_API void MRV_SaveMask(uint8_t* dst, int32_t dstStride);
/* Reads a width x height RGB24 grey image (rows srcStride bytes apart) into the top-left
   corner of the mask: grey 0 opens, grey k protects to weight (255 - k) * 256. The part
   beyond the canvas is skipped. */
MRV_API void MRV_LoadMask(const uint8_t* src, int32_t srcStride, int32_t width, int32_t height);
/* Protection level 65535 - weight at (x, y); 0 outside the canvas, without a current
   layer, or while the mask is disabled. */
MRV_API int32_t MRV_GetMask64(int32_t x, int32_t y);
/* Current layer becomes an opaque grey picture of the protection level, each channel
   min(65535 - weight, 0xFF00). Nothing without a current layer (as the four below). */
MRV_API void MRV_CreateImageFromMask(void);
/* Mask from the current layer's grey (R + G + B) / 3 by the rule of MRV_ClearMask;
   alpha is ignored. */
MRV_API void MRV_CreateMaskFromImage(void);
/* Current layer's alpha becomes the weight unchanged; colour is untouched. */
MRV_API void MRV_CreateAlphaFromMask(void);
/* Each weight becomes the current layer's alpha unchanged. */
MRV_API void MRV_CreateMaskFromAlpha(void);
/* Where any of the four bytes of two RGBA32 images differ, the weight becomes the low
   16 bits of value. */
MRV_API void MRV_CreateMaskFromDiff_RGBA32(const uint8_t* imageA, const uint8_t* imageB, int32_t value);
/* Selects RGBA32 pixels whose red, green and blue equal the arguments (alpha ignored). */
MRV_API void MRV_CreateMaskFromRGBAImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                              int32_t level);
/* The same over an RGB24 image. */
MRV_API void MRV_CreateMaskFromRGB24ImageColor(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                               int32_t level);
/* Selects the pixels whose byte in the canvas-sized region map is 1. */
MRV_API void MRV_CreateMaskFromFloodMask(const uint8_t* regionMap, int32_t level);
/* Selects pixels whose red, green and blue each lie within the threshold of the arguments. */
MRV_API void MRV_CreateMaskFromRGBAImageColorRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                                   int32_t tolerance, int32_t level);
/* Selects pixels whose alpha lies within the threshold of alpha. */
MRV_API void MRV_CreateMaskFromRGBAImageAlphaRange(const uint8_t* image, int32_t alpha, int32_t tolerance,
                                                   int32_t level);
/* Selects pixels whose (R + G + B) / 3 lies within the threshold of (red + green + blue) / 3. */
MRV_API void MRV_CreateMaskFromRGBAImageLuminanceRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                                       int32_t tolerance, int32_t level);
/* Selects pixels whose HSV hue lies within trunc(tolerance * 1.8) degrees of the colour's,
   across 0/360; a grey has hue -1. */
MRV_API void MRV_CreateMaskFromRGBAImageHueRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                                 int32_t tolerance, int32_t level);
/* Selects pixels whose HSL hue lies within hueTolerance * 180 degrees (across 0/360) and
   whose saturation and lightness (0..1) lie within their tolerances (0..1) of the colour's. */
MRV_API void MRV_CreateMaskFromRGBAImageHSLRange(const uint8_t* image, int32_t red, int32_t green, int32_t blue,
                                                 double hueTolerance, double saturationTolerance,
                                                 double lightnessTolerance, int32_t level);
/* Scales the alpha of an RGBA32 image by the mask over canvas pixels x0..x1, y0..y1
   (inclusive); image points at canvas (x0, y0), rows stride bytes apart. With w the high
   byte of the weight: w 0 clears alpha, 255 keeps it, else alpha * (w + 1) / 256. Ignores
   whether the mask is enabled; the part beyond the canvas is skipped. */
MRV_API void MRV_ApplyMaskToAlphaRect_RGBA32(uint8_t* image, int32_t stride, int32_t x0, int32_t y0, int32_t x1,
                                             int32_t y1);
/* The same over a whole canvas-sized RGBA32 image. */
MRV_API void MRV_ApplyMaskToAlpha_RGBA32(uint8_t* image);
/* In a canvas-sized RGBA32 image, every pixel whose alpha lies within the threshold of
   alpha becomes (red, green, blue, newAlpha); the mask is not touched. */
MRV_API void MRV_ReplaceFromRGBAImageAlphaRange(uint8_t* image, int32_t alpha, int32_t tolerance, int32_t red,
                                                int32_t green, int32_t blue, int32_t newAlpha);
/* Grey RGB24 image of an RGBA32 image's alpha (width x height, packed rows). */
MRV_API void MRV_RGBAlphaToRGB(uint8_t* dstRGB24, int32_t width, int32_t height, const uint8_t* srcRGBA32);
/* RGBA32 alpha becomes (R + G + B) / 3 of an RGB24 image; its colour is untouched. */
MRV_API void MRV_RGBToRGBAlpha(uint8_t* dstRGBA32, int32_t width, int32_t height, const uint8_t* srcRGB24);
/* Copies red, green and blue from RGB24 into RGBA32; the alpha is untouched. */
MRV_API void MRV_RGBToRGBA(uint8_t* dstRGBA32, int32_t width, int32_t height, const uint8_t* srcRGB24);
/* Copies red, green and blue from RGBA32 into RGB24, dropping alpha. */
MRV_API void MRV_RGBAToRGB(uint8_t* dstRGB24, int32_t width, int32_t height, const uint8_t* srcRGBA32);

/* ---- Image files ----------------------------------------------------------- */

/* Writes a packed RGB24 image to path in the format named by extension (with its dot, any letter case;
   ".png" so far, with a resolution record of dpi * 39.3700787 pixels per metre, truncated). Returns 1
   when written, 0 for another extension, bad arguments or a failed write. */
MRV_API int32_t MRV_WriteToFileRGB24(const uint8_t* image, int32_t width, int32_t height, const char* path,
                                     const char* extension, int32_t dpi);
/* The same for a packed RGBA32 image (alpha kept). */
MRV_API int32_t MRV_WriteToFileRGBA32(const uint8_t* image, int32_t width, int32_t height, const char* path,
                                      const char* extension, int32_t dpi);

#ifdef __cplusplus
}
#endif

#endif /* MORVANE_MORVANE_H */
