// Writes the sample material that `make run` leaves for a first look:
// moving test patterns in every sequence type at QCIF and CIF, a 1920x1080
// 4:2:0 clip, a raw gray image behind a 64-byte header, a 24-bit and an 8-bit
// bitmap, and a packed-format (MMP) image. File names carry size and type.
//
//   make_samples DIRECTORY
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// The moving pattern: colour bars scrolling left, a white square bouncing
// across them, a gray ramp along the bottom and the frame number as binary
// blocks in the top left corner.
Rgb PatternPixel(int x, int y, int w, int h, int frame) {
    static const Rgb bars[] = {{235, 235, 235}, {235, 235, 16},  {16, 235, 235}, {16, 235, 16},
                               {235, 16, 235},  {235, 16, 16},   {16, 16, 235},  {16, 16, 16}};
    const int bit = x / (w / 32 > 0 ? w / 32 : 1);
    if (y < h / 16 && bit < 16) {
        const bool on = (frame >> (15 - bit)) & 1;
        return on ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    }
    if (y >= h - h / 6) {
        const uint8_t v = static_cast<uint8_t>(x * 255 / (w - 1));
        return Rgb{v, v, v};
    }
    const int side = h / 5;
    const int span = w - side;
    const int phase = (frame * 4) % (2 * span);
    const int sx = phase < span ? phase : 2 * span - phase;
    const int sy = h / 3 + static_cast<int>(h / 8 * sin(frame * 0.15));
    if (x >= sx && x < sx + side && y >= sy && y < sy + side) {
        return Rgb{255, 255, 255};
    }
    return bars[((x + frame * 2) * 8 / w) % 8];
}

uint8_t Clip(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : lround(v)); }

// The inverse of the player's conversion (luma scaled by 255/219, chroma
// stored with 128 as no colour), so the pattern shows in its own colours.
void ToYuv(Rgb p, uint8_t* y, uint8_t* u, uint8_t* v) {
    const double l = 0.299 * p.r + 0.587 * p.g + 0.114 * p.b;
    *y = Clip(l * 219.0 / 255.0);
    *u = Clip((p.b - l) / 1.772 + 128);
    *v = Clip((p.r - l) / 1.402 + 128);
}

enum Layout { GRAY, YUV444, YUV422, YUV411, YUV420, RGB, BGR };

// One frame in the file layout of `layout`.
std::vector<uint8_t> Frame(Layout layout, int w, int h, int frame) {
    const size_t p = size_t(w) * h;
    std::vector<uint8_t> y(p), u(p), v(p);
    std::vector<uint8_t> out;
    for (int r = 0; r < h; ++r) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = PatternPixel(x, r, w, h, frame);
            const size_t i = size_t(r) * w + x;
            if (layout == RGB || layout == BGR) {
                out.push_back(layout == RGB ? c.r : c.b);
                out.push_back(c.g);
                out.push_back(layout == RGB ? c.b : c.r);
            }
            ToYuv(c, &y[i], &u[i], &v[i]);
        }
    }
    if (layout == RGB || layout == BGR) {
        return out;
    }
    out = y;
    if (layout == GRAY) {
        return out;
    }
    // Chroma subsampled by averaging the samples each stored one covers.
    const int sx = layout == YUV444 ? 1 : layout == YUV411 ? 4 : 2;
    const int sy = layout == YUV420 ? 2 : 1;
    for (const std::vector<uint8_t>* plane : {&u, &v}) {
        for (int r = 0; r < h / sy; ++r) {
            for (int x = 0; x < w / sx; ++x) {
                int sum = 0;
                for (int dy = 0; dy < sy; ++dy) {
                    for (int dx = 0; dx < sx; ++dx) {
                        sum += (*plane)[size_t(r * sy + dy) * w + x * sx + dx];
                    }
                }
                out.push_back(static_cast<uint8_t>((sum + sx * sy / 2) / (sx * sy)));
            }
        }
    }
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        perror(path.c_str());
        return false;
    }
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool WriteSequence(const std::string& path, Layout layout, int w, int h, int frames) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        perror(path.c_str());
        return false;
    }
    bool ok = true;
    for (int n = 0; n < frames && ok; ++n) {
        const std::vector<uint8_t> frame = Frame(layout, w, h, n);
        ok = fwrite(frame.data(), 1, frame.size(), f) == frame.size();
    }
    return fclose(f) == 0 && ok;
}

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v);
    Put16(b, v >> 16);
}

// A plain 40-byte-header bitmap, bottom-up, rows padded to 4 bytes.
std::vector<uint8_t> Bitmap(int w, int h, int bits) {
    const uint32_t row = (w * bits + 31) / 32 * 4;
    const uint32_t table = bits == 8 ? 1024 : 0;
    std::vector<uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + table + row * h);
    Put32(b, 0);
    Put32(b, 54 + table);
    for (uint32_t v : {40u, uint32_t(w), uint32_t(h)}) {
        Put32(b, v);
    }
    Put16(b, 1);
    Put16(b, bits);
    for (uint32_t v : {0u, row * h, 2835u, 2835u, 0u, 0u}) {
        Put32(b, v);
    }
    for (uint32_t i = 0; i < table / 4; ++i) {
        Put32(b, i * 0x010101);
    }
    for (int r = h - 1; r >= 0; --r) {
        const size_t start = b.size();
        for (int x = 0; x < w; ++x) {
            const Rgb c = PatternPixel(x, r, w, h, 40);
            if (bits == 8) {
                b.push_back(static_cast<uint8_t>((c.r * 299 + c.g * 587 + c.b * 114) / 1000));
            } else {
                b.push_back(c.b);
                b.push_back(c.g);
                b.push_back(c.r);
            }
        }
        b.resize(start + row, 0);
    }
    return b;
}

// A packed-format image: 16-byte header (size at bytes 12 and 14), then per
// row groups of four pixels in 6 bytes, chroma signed and shared per group.
std::vector<uint8_t> Mmp(int w, int h) {
    std::vector<uint8_t> b(12, 0);
    Put16(b, w);
    Put16(b, h);
    const int groups = (w + 3) / 4;
    for (int r = 0; r < h; ++r) {
        for (int g = 0; g < groups; ++g) {
            uint8_t y[4] = {0, 0, 0, 0};
            int su = 0, sv = 0, n = 0;
            for (int k = 0; k < 4 && 4 * g + k < w; ++k, ++n) {
                uint8_t u, v;
                ToYuv(PatternPixel(4 * g + k, r, w, h, 80), &y[k], &u, &v);
                su += u - 128;
                sv += v - 128;
            }
            const uint8_t u = static_cast<uint8_t>(su / n), v = static_cast<uint8_t>(sv / n);
            auto bits = [](uint8_t x, int low) { return (x >> low) & 3; };
            b.push_back(static_cast<uint8_t>(bits(y[0], 2) << 6 | bits(y[0], 0) << 4 | bits(u, 4) << 2 | bits(v, 4)));
            b.push_back(static_cast<uint8_t>(bits(u, 6) << 6 | bits(v, 6) << 4 | bits(y[0], 6) << 2 | bits(y[0], 4)));
            b.push_back(static_cast<uint8_t>(bits(u, 2) << 6 | bits(v, 2) << 4 | bits(y[2], 6) << 2 | bits(y[2], 4)));
            b.push_back(y[1]);
            b.push_back(y[3]);
            b.push_back(static_cast<uint8_t>(bits(y[2], 2) << 6 | bits(y[2], 0) << 4 | bits(u, 0) << 2 | bits(v, 0)));
        }
    }
    return b;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    struct {
        const char* name;
        Layout layout;
    } types[] = {{"gray", GRAY}, {"444", YUV444}, {"422", YUV422}, {"411", YUV411},
                 {"420", YUV420}, {"rgb", RGB},   {"bgr", BGR}};
    bool ok = true;
    for (const auto& t : types) {
        const std::string ext = t.layout == RGB ? ".rgb" : t.layout == BGR ? ".bgr" : ".yuv";
        ok = ok && WriteSequence(dir + "bars_qcif_" + t.name + ext, t.layout, 176, 144, 90);
        ok = ok && WriteSequence(dir + "bars_cif_" + t.name + ext, t.layout, 352, 288, 60);
    }
    ok = ok && WriteSequence(dir + "bars_1920x1080_420.yuv", YUV420, 1920, 1080, 60);

    std::vector<uint8_t> raw(64, 0);
    const std::vector<uint8_t> gray = Frame(GRAY, 512, 512, 20);
    raw.insert(raw.end(), gray.begin(), gray.end());
    ok = ok && WriteFile(dir + "bars_512x512_gray_header64.raw", raw);
    ok = ok && WriteFile(dir + "bars_352x288_24bit.bmp", Bitmap(352, 288, 24));
    ok = ok && WriteFile(dir + "bars_352x288_8bit.bmp", Bitmap(352, 288, 8));
    ok = ok && WriteFile(dir + "bars_352x288.mmp", Mmp(352, 288));
    return ok ? 0 : 1;
}
