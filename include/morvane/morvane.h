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

/* ---- View rendering and flatten -------------------------------------------- */

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

/* ---- Blend buffer ---------------------------------------------------------- */

/* ---- Undo ------------------------------------------------------------------ */

/* ---- Selection mask -------------------------------------------------------- */

#ifdef __cplusplus
}
#endif

#endif /* MORVANE_MORVANE_H */
