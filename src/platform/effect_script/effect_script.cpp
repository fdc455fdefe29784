// Effect scripts: our own small line-based text format (docs/effect-scripts.md)
// that describes a picture as a size plus a chain of generators and numbered
// effects, and the numbered effects themselves. Paper grain, brush shapes and
// textures are shipped as such scripts. Anything that does not parse as a
// whole is "not a script", so callers fall back to reading the path as an
// ordinary image file.
#include "platform/effect_script/effect_script.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/imaging/imaging.h"

namespace mrv::platform {

namespace {

constexpr const char* kMagic = "effect-script";
constexpr int32_t kVersion = 1;
constexpr int32_t kMaxSide = 8192;
constexpr long kMaxScriptBytes = 1 << 20;
constexpr int32_t kMaxBlurPasses = 64;
constexpr int32_t kRotateEffect = 51;

struct Command {
    std::string name;
    std::vector<int32_t> args;
};

struct Script {
    int32_t width = 0, height = 0;
    std::vector<Command> commands;
};

bool parseInt(const std::string& token, int32_t* out) {
    if (token.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(token.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int32_t>(v);
    return true;
}

std::vector<std::string> tokens(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size() || line[i] == '#') break;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r' && line[j] != '#') ++j;
        out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

// Argument counts of the generators; effects take one or more slot values.
int expectedArgs(const std::string& name) {
    if (name == "fill") return 4;
    if (name == "noise") return 2;
    if (name == "gradient") return 12;
    if (name == "disc") return 8;
    if (name == "rect") return 8;
    if (name == "blur") return 1;
    return -1;
}

bool loadScript(const char* path, Script* script) {
    if (!path || !*path) return false;
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::string text;
    char buf[4096];
    size_t n;
    bool ok = true;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        text.append(buf, n);
        if (text.size() > static_cast<size_t>(kMaxScriptBytes)) {
            ok = false;
            break;
        }
    }
    std::fclose(f);
    if (!ok || text.find('\0') != std::string::npos) return false;

    bool sawMagic = false, sawSize = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const auto t = tokens(text.substr(start, end - start));
        start = end + 1;
        if (t.empty()) continue;
        if (!sawMagic) {
            int32_t version = 0;
            if (t.size() != 2 || t[0] != kMagic || !parseInt(t[1], &version) || version != kVersion) return false;
            sawMagic = true;
            continue;
        }
        if (!sawSize) {
            if (t.size() != 3 || t[0] != "size" || !parseInt(t[1], &script->width) ||
                !parseInt(t[2], &script->height))
                return false;
            if (script->width < 1 || script->height < 1 || script->width > kMaxSide || script->height > kMaxSide)
                return false;
            sawSize = true;
            continue;
        }
        Command c;
        c.name = t[0];
        for (size_t i = 1; i < t.size(); ++i) {
            int32_t v;
            if (!parseInt(t[i], &v)) return false;
            c.args.push_back(v);
        }
        if (c.name == "effect") {
            if (c.args.empty()) return false;
        } else if (expectedArgs(c.name) != static_cast<int>(c.args.size())) {
            return false;
        }
        script->commands.push_back(std::move(c));
    }
    return sawSize;
}

uint8_t clampByte(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Source-over of a straight-alpha colour with coverage 0..1 onto an RGBA pixel.
void blendOver(uint8_t* px, const int32_t* rgba, double coverage) {
    const double sa = clampByte(rgba[3]) / 255.0 * coverage;
    if (sa <= 0.0) return;
    const double da = px[3] / 255.0;
    const double oa = sa + da * (1.0 - sa);
    for (int c = 0; c < 3; ++c) {
        const double v = (clampByte(rgba[c]) * sa + px[c] * da * (1.0 - sa)) / oa;
        px[c] = static_cast<uint8_t>(std::lround(std::min(255.0, v)));
    }
    px[3] = static_cast<uint8_t>(std::lround(oa * 255.0));
}

bool runCommand(const Command& c, uint8_t* rgba, int32_t w, int32_t h, std::vector<uint8_t>& plane,
                std::vector<uint8_t>& planeOut) {
    const size_t count = static_cast<size_t>(w) * h;
    const auto& a = c.args;
    if (c.name == "fill") {
        for (size_t i = 0; i < count; ++i)
            for (int k = 0; k < 4; ++k) rgba[i * 4 + k] = clampByte(a[k]);
        return true;
    }
    if (c.name == "noise") {
        // The engine's generator, seeded from the script, so a script always
        // renders the same grain.
        uint32_t state = static_cast<uint32_t>(a[0]);
        const int32_t amount = std::clamp(a[1], 0, 255);
        for (size_t i = 0; i < count; ++i) {
            state = state * 214013u + 2531011u;
            const int32_t r = static_cast<int32_t>((state >> 16) & 0x7FFF);
            const int32_t offset = r % (2 * amount + 1) - amount;
            for (int k = 0; k < 3; ++k) rgba[i * 4 + k] = clampByte(rgba[i * 4 + k] + offset);
        }
        return true;
    }
    if (c.name == "gradient") {
        const double x0 = a[0], y0 = a[1], dx = a[2] - x0, dy = a[3] - y0;
        const double len2 = dx * dx + dy * dy;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                double t = len2 > 0 ? ((x + 0.5 - x0) * dx + (y + 0.5 - y0) * dy) / len2 : 0.0;
                t = std::clamp(t, 0.0, 1.0);
                uint8_t* px = rgba + (static_cast<size_t>(y) * w + x) * 4;
                for (int k = 0; k < 4; ++k)
                    px[k] = clampByte(static_cast<int32_t>(std::lround(
                        std::clamp(a[4 + k] + (static_cast<double>(a[8 + k]) - a[4 + k]) * t, -1.0, 256.0))));
            }
        return true;
    }
    if (c.name == "disc") {
        const double cx = a[0], cy = a[1], radius = std::max(0, a[2]), soft = std::clamp<double>(a[3], 0, radius);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                double cover = d <= radius - soft ? 1.0 : (soft > 0 ? (radius - d) / soft : 0.0);
                if (cover <= 0.0) continue;
                blendOver(rgba + (static_cast<size_t>(y) * w + x) * 4, &a[4], std::min(cover, 1.0));
            }
        return true;
    }
    if (c.name == "rect") {
        const int64_t x0 = std::max<int64_t>(a[0], 0), y0 = std::max<int64_t>(a[1], 0);
        const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(a[0]) + std::max(a[2], 0), w);
        const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(a[1]) + std::max(a[3], 0), h);
        for (int64_t y = y0; y < y1; ++y)
            for (int64_t x = x0; x < x1; ++x) blendOver(rgba + (static_cast<size_t>(y) * w + x) * 4, &a[4], 1.0);
        return true;
    }
    if (c.name == "blur") {
        const int32_t passes = std::clamp(a[0], 0, kMaxBlurPasses);
        for (int k = 0; k < 4; ++k) {
            uint8_t* planes[4] = {};
            planes[k] = plane.data();
            splitImage(rgba, w, h, w * 4, 4, planes);
            for (int32_t p = 0; p < passes; ++p) {
                blurPlane(plane.data(), planeOut.data(), w, h, w, 100);
                plane.swap(planeOut);
            }
            const uint8_t* back[4] = {};
            back[k] = plane.data();
            combineImageChannels(rgba, w, h, w * 4, 4, back);
        }
        return true;
    }
    if (c.name == "effect") {
        // Effects work blue first, like images handed in by the engine.
        swapRedBlue(rgba, count);
        const bool ok = applyEffect(a[0], a.data() + 1, static_cast<int32_t>(a.size()) - 1, rgba, w, h);
        swapRedBlue(rgba, count);
        return ok;
    }
    return false;
}

// ---- Effect 51: rotation about the centre ----------------------------------------

bool rotateInPlace(uint8_t* bgra, int32_t w, int32_t h, int32_t degrees, int32_t scalePercent) {
    if (scalePercent <= 0) return false;
    const int32_t turn = ((degrees % 360) + 360) % 360;
    // Whole quarter turns use exact sines so pixels land on pixel centres.
    double s, c;
    switch (turn) {
        case 0: s = 0, c = 1; break;
        case 90: s = 1, c = 0; break;
        case 180: s = 0, c = -1; break;
        case 270: s = -1, c = 0; break;
        default: {
            const double rad = turn * M_PI / 180.0;
            s = std::sin(rad);
            c = std::cos(rad);
        }
    }
    const double inv = 100.0 / scalePercent;
    const size_t count = static_cast<size_t>(w) * h;
    std::vector<uint8_t> src(bgra, bgra + count * 4);
    const double cx = w / 2.0, cy = h / 2.0;
    auto at = [&](int32_t x, int32_t y) -> const uint8_t* {
        if (x < 0 || y < 0 || x >= w || y >= h) return nullptr;
        return &src[(static_cast<size_t>(y) * w + x) * 4];
    };
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            // Positive angles turn the picture counter-clockwise as seen on
            // screen (rows running down); this maps each output pixel back.
            const double dx = (x + 0.5 - cx) * inv, dy = (y + 0.5 - cy) * inv;
            const double sx = cx + dx * c - dy * s - 0.5;
            const double sy = cy + dx * s + dy * c - 0.5;
            const double fx = std::floor(sx), fy = std::floor(sy);
            const double tx = sx - fx, ty = sy - fy;
            const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
            // Each channel is interpolated on its own, alpha included: callers
            // carry other planes (an alpha plane in the first channel) through
            // this rotation, so no channel may depend on another. Outside the
            // picture every channel counts as 0, so edges fade to transparent.
            double acc[4] = {};
            const double weights[4] = {(1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty};
            const uint8_t* n[4] = {at(ix, iy), at(ix + 1, iy), at(ix, iy + 1), at(ix + 1, iy + 1)};
            for (int k = 0; k < 4; ++k) {
                if (!n[k] || weights[k] == 0.0) continue;
                for (int ch = 0; ch < 4; ++ch) acc[ch] += weights[k] * n[k][ch];
            }
            uint8_t* out = bgra + (static_cast<size_t>(y) * w + x) * 4;
            for (int ch = 0; ch < 4; ++ch) out[ch] = static_cast<uint8_t>(std::min(255.0, std::floor(acc[ch] + 0.5)));
        }
    }
    return true;
}

}  // namespace

bool scriptImageSize(const char* path, int32_t* width, int32_t* height) {
    if (!width || !height) return false;
    try {
        Script s;
        if (!loadScript(path, &s)) return false;
        *width = s.width;
        *height = s.height;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool renderScript(const char* path, uint8_t* bgra, int32_t width, int32_t height) {
    if (!bgra) return false;
    try {
        Script s;
        if (!loadScript(path, &s) || s.width != width || s.height != height) return false;
        const size_t count = static_cast<size_t>(width) * height;
        // Rendered into a scratch copy so a failing step leaves the caller's buffer alone.
        std::vector<uint8_t> img(count * 4, 0);
        std::vector<uint8_t> plane(count), planeOut(count);
        for (const Command& c : s.commands)
            if (!runCommand(c, img.data(), width, height, plane, planeOut)) return false;
        swapRedBlue(img.data(), count);
        std::memcpy(bgra, img.data(), img.size());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool applyEffect(int32_t effect, const int32_t* slots, int32_t slotCount, uint8_t* bgra, int32_t width,
                 int32_t height) {
    if (!bgra || width <= 0 || height <= 0 || static_cast<int64_t>(width) * height > kMaxDecodedPixels) return false;
    if (slotCount < 0 || (slotCount > 0 && !slots)) return false;
    try {
        if (effect == kRotateEffect) {
            const int32_t angle = slotCount > 0 ? slots[0] : 0;
            const int32_t scale = slotCount > 1 ? slots[1] : 100;
            return rotateInPlace(bgra, width, height, angle, scale);
        }
        return false;  // other numbered effects arrive with the effect catalogue
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace mrv::platform
