// GIF reading with giflib from memory: the first frame only, placed on the
// logical screen (transparent where the frame does not cover it), with the
// transparent index of its graphics control block. A frame reaching outside
// the screen, a missing colour table or an index beyond the table is refused.
#include <gif_lib.h>

#include <cstdlib>
#include <vector>

#include "platform/imaging/codecs.h"

namespace mrv::platform::codecs {

namespace {

int readFromMemory(GifFileType* gif, GifByteType* out, int count) {
    auto* src = static_cast<MemorySource*>(gif->UserData);
    if (count <= 0) return 0;
    return static_cast<int>(src->take(out, static_cast<size_t>(count)));
}

bool decodeFirstFrame(GifFileType* gif, DecodedImage* out) {
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) != GIF_OK) return false;
        if (type == TERMINATE_RECORD_TYPE) return false;  // no picture at all
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
            if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) transparent = gcb.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif) != GIF_OK) return false;
        const GifImageDesc& desc = gif->Image;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (!map || !map->Colors || desc.Width <= 0 || desc.Height <= 0) return false;
        int64_t screenW = gif->SWidth, screenH = gif->SHeight;
        if (screenW <= 0 || screenH <= 0) {
            screenW = static_cast<int64_t>(desc.Left) + desc.Width;
            screenH = static_cast<int64_t>(desc.Top) + desc.Height;
        }
        if (desc.Left < 0 || desc.Top < 0 || desc.Left + static_cast<int64_t>(desc.Width) > screenW ||
            desc.Top + static_cast<int64_t>(desc.Height) > screenH)
            return false;
        if (!allocDecoded(screenW, screenH, out)) return false;
        std::memset(out->pixels, 0, static_cast<size_t>(screenW * screenH) * 4);
        std::vector<GifPixelType> line(desc.Width);
        // Interlaced frames store rows in four passes.
        static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        const int passes = desc.Interlace ? 4 : 1;
        for (int p = 0; p < passes; ++p) {
            const int start = desc.Interlace ? kStart[p] : 0, step = desc.Interlace ? kStep[p] : 1;
            for (int y = start; y < desc.Height; y += step) {
                if (DGifGetLine(gif, line.data(), desc.Width) != GIF_OK) return false;
                uint8_t* row = out->pixels + (static_cast<size_t>(desc.Top + y) * screenW + desc.Left) * 4;
                for (int x = 0; x < desc.Width; ++x) {
                    const int index = line[x];
                    if (index >= map->ColorCount) return false;
                    if (index == transparent) continue;  // stays fully transparent
                    const GifColorType& c = map->Colors[index];
                    row[x * 4 + 0] = c.Red;
                    row[x * 4 + 1] = c.Green;
                    row[x * 4 + 2] = c.Blue;
                    row[x * 4 + 3] = 255;
                }
            }
        }
        return true;
    }
}

}  // namespace

bool decodeGif(const uint8_t* d, size_t n, DecodedImage* out) {
    MemorySource src{d, n, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&src, readFromMemory, &error);
    if (!gif) return false;
    bool ok = false;
    try {
        ok = decodeFirstFrame(gif, out);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    DGifCloseFile(gif, &error);
    return ok;
}

}  // namespace mrv::platform::codecs
