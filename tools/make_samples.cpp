// Writes the sample material that `make run` leaves for a first look:
// moving test patterns in every sequence type at QCIF and CIF, a 1920x1080
// 4:2:0 clip, the QCIF pattern in 10-bit 4:2:0, NV12, P010, YUYV and UYVY, a
// CIF 4:2:0 clip as a decoder might give it back (to compare with the
// original), the CIF clip as Y4M files at 8 and 10 bits, a raw gray image behind a 64-byte header, a 24-bit and an 8-bit
// bitmap, and a packed-format (MMP) image. File names carry size and type.
//
//   make_samples DIRECTORY
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "bmp_headers.h"
#include "bmp_rows.h"
#include "chroma_geometry.h"
#include "display.h"
#include "image_sizes.h"
#include "mmp_header.h"

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// The moving pattern: colour bars scrolling left, a white square bouncing
// across them, a gray ramp along the bottom and the frame number as binary
// blocks in the top left corner.
Rgb PatternPixel(int x, int y, int w, int h, int frame) {
    static const Rgb bars[] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                               {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};
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
    const int sy = h / 3 + static_cast<int>(h / 8.0 * sin(frame * 0.15));
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

// One frame in the file layout of the sequence type `type`.
std::vector<uint8_t> Frame(uint32_t type, int w, int h, int frame) {
    const size_t p = size_t(w) * h;
    std::vector<uint8_t> y(p), u(p), v(p);
    std::vector<uint8_t> out;
    const bool interleaved = type == TYPE_RGB || type == TYPE_BGR;
    for (int r = 0; r < h; ++r) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = PatternPixel(x, r, w, h, frame);
            const size_t i = size_t(r) * w + x;
            if (interleaved) {
                out.push_back(type == TYPE_RGB ? c.r : c.b);
                out.push_back(c.g);
                out.push_back(type == TYPE_RGB ? c.b : c.r);
            }
            ToYuv(c, &y[i], &u[i], &v[i]);
        }
    }
    if (interleaved) {
        return out;
    }
    out = y;
    if (!HasChromaPlanes(type)) {
        return out;
    }
    // Chroma subsampled by averaging the samples each stored one covers.
    const int sx = static_cast<int>(ChromaSampleWidth(type));
    const int sy = static_cast<int>(ChromaSampleHeight(type));
    const int cw = static_cast<int>(ChromaPlaneWidth(type, w));
    const int ch = static_cast<int>(ChromaPlaneHeight(type, h));
    for (const std::vector<uint8_t>* plane : {&u, &v}) {
        for (int r = 0; r < ch; ++r) {
            for (int x = 0; x < cw; ++x) {
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

// Writes `frames` frames, each made by frameAt(n), one after the other. A
// Y4M file's header line is given as `header`; each frame then follows its
// own "FRAME" line.
bool WriteFrames(const std::string& path, int frames, const std::function<std::vector<uint8_t>(int)>& frameAt,
                 const char* header = nullptr) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        perror(path.c_str());
        return false;
    }
    bool ok = !header || fputs(header, f) >= 0;
    for (int n = 0; n < frames && ok; ++n) {
        const std::vector<uint8_t> frame = frameAt(n);
        ok = (!header || fputs("FRAME\n", f) >= 0) && fwrite(frame.data(), 1, frame.size(), f) == frame.size();
    }
    return fclose(f) == 0 && ok;
}

bool WriteSequence(const std::string& path, uint32_t type, int w, int h, int frames) {
    return WriteFrames(path, frames, [&](int n) { return Frame(type, w, h, n); });
}

// The layouts of today's decoders, cameras and capture cards, from the 8-bit
// frames: 10-bit planar 4:2:0 (each sample shifted up by 2, so it shows as
// the 8-bit one), NV12, P010 and packed 4:2:2 (YUYV, UYVY).
enum Packing { PLANAR_10, NV12, P010, YUYV, UYVY };

std::vector<uint8_t> Packed(Packing packing, int w, int h, int frame) {
    const size_t p = size_t(w) * h;
    const std::vector<uint8_t> f = Frame(packing >= YUYV ? TYPE_YUV422 : TYPE_YUV420, w, h, frame);
    std::vector<uint8_t> out;
    auto word = [&](uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    switch (packing) {
    case PLANAR_10:
        for (uint8_t v : f) {
            word(uint32_t{v} << 2);
        }
        break;
    case NV12:
    case P010: {
        const size_t c = ChromaPlaneBytes(TYPE_YUV420, w, h);
        for (size_t i = 0; i < p; ++i) {
            packing == NV12 ? out.push_back(f[i]) : word(uint32_t{f[i]} << 8);
        }
        for (size_t i = 0; i < c; ++i) {
            for (uint8_t v : {f[p + i], f[p + c + i]}) {
                packing == NV12 ? out.push_back(v) : word(uint32_t{v} << 8);
            }
        }
        break;
    }
    default:
        for (size_t i = 0; i < p / 2; ++i) {
            const uint8_t y0 = f[2 * i], y1 = f[2 * i + 1], u = f[p + i], v = f[p + p / 2 + i];
            if (packing == YUYV) {
                out.insert(out.end(), {y0, u, y1, v});
            } else {
                out.insert(out.end(), {u, y0, v, y1});
            }
        }
        break;
    }
    return out;
}

bool WritePackedSequence(const std::string& path, Packing packing, int w, int h, int frames,
                         const char* y4mHeader = nullptr) {
    return WriteFrames(
        path, frames, [&](int n) { return Packed(packing, w, h, n); }, y4mHeader);
}

// The CIF 4:2:0 bars as a decoder might give them back: from frame 30 on,
// the luma of every seventh 16 x 16 block a level or two off, and in frame
// 45 one chroma sample.
bool WriteDecodedSequence(const std::string& path, int w, int h, int frames) {
    return WriteFrames(path, frames, [&](int n) {
        std::vector<uint8_t> frame = Frame(TYPE_YUV420, w, h, n);
        for (int r = 0; n >= 30 && r < h; ++r) {
            for (int x = 0; x < w; ++x) {
                if ((r / 16 * (w / 16) + x / 16 + n) % 7 == 0) {
                    uint8_t& y = frame[size_t(r) * w + x];
                    y = static_cast<uint8_t>(y < 128 ? y + 1 + (x + r) % 2 : y - 1);
                }
            }
        }
        if (n == 45) {
            frame[size_t(w) * h + 100] ^= 4;
        }
        return frame;
    });
}

// A plain 40-byte-header bitmap of 8 (gray) or 24 bits, bottom-up, rows
// padded to 4 bytes; its bfSize and biSizeImage count the padding.
std::vector<uint8_t> Bitmap(int w, int h, int bits) {
    const uint32_t row = static_cast<uint32_t>(PaddedRowBytes(w, bits));
    std::vector<uint8_t> b(static_cast<size_t>(bits == 8 ? Bmp8ImageBytes(w, h) : Bmp24ImageBytes(w, h)));
    BmpFileHeader fileHeader;
    BmpInfoHeader info;
    BuildBmpHeaders(&fileHeader, &info, w, h, bits);
    fileHeader.bfSize = static_cast<uint32_t>(b.size());
    info.biSizeImage = row * h;
    PutBmpHeaders(b.data(), &fileHeader, &info);
    uint8_t* pixels = b.data() + fileHeader.bfOffBits;
    if (bits == 8) {
        PutGrayColourTable(b.data() + BMP_HEADERS_SIZE);
        for (int r = 0; r < h; ++r) {
            uint8_t* out = pixels + size_t(h - 1 - r) * row;
            for (int x = 0; x < w; ++x) {
                const Rgb c = PatternPixel(x, r, w, h, 40);
                out[x] = static_cast<uint8_t>((c.r * 299 + c.g * 587 + c.b * 114) / 1000);
            }
        }
        return b;
    }
    std::vector<uint8_t> rgb;
    for (int r = 0; r < h; ++r) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = PatternPixel(x, r, w, h, 40);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    }
    InterleavedToBitmapRows(w, h, rgb.data(), 1, row, pixels);
    return b;
}

// A packed-format image: per row groups of four pixels, chroma signed and
// shared per group.
std::vector<uint8_t> Mmp(int w, int h) {
    std::vector<uint8_t> b(static_cast<size_t>(MMP_HEADER_SIZE + MmpPixelBytes(w, h)));
    WriteMmpHeader(b.data(), static_cast<uint16_t>(w), static_cast<uint16_t>(h));
    uint8_t* group = b.data() + MMP_HEADER_SIZE;
    const int groups = static_cast<int>(MmpGroupsPerRow(w));
    for (int r = 0; r < h; ++r) {
        for (int g = 0; g < groups; ++g, group += MMP_GROUP_SIZE) {
            uint8_t y[4] = {0, 0, 0, 0};
            int su = 0, sv = 0, n = 0;
            for (int k = 0; k < 4 && 4 * g + k < w; ++k, ++n) {
                uint8_t u, v;
                ToYuv(PatternPixel(4 * g + k, r, w, h, 80), &y[k], &u, &v);
                su += u - 128;
                sv += v - 128;
            }
            PutMmpGroup(group, y[0], y[1], y[2], y[3], static_cast<uint8_t>(su / n),
                        static_cast<uint8_t>(sv / n));
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
        uint32_t type;
    } types[] = {{"gray", TYPE_GRAY},  {"444", TYPE_YUV444}, {"422", TYPE_YUV422}, {"411", TYPE_YUV411},
                 {"420", TYPE_YUV420}, {"rgb", TYPE_RGB},    {"bgr", TYPE_BGR}};
    bool ok = true;
    const std::string qcif = dir + "bars_qcif_", cif = dir + "bars_cif_";
    for (const auto& t : types) {
        const std::string ext = t.type == TYPE_RGB ? ".rgb" : t.type == TYPE_BGR ? ".bgr" : ".yuv";
        const std::string name = t.name + ext;
        ok = ok && WriteSequence(qcif + name, t.type, 176, 144, 90);
        ok = ok && WriteSequence(cif + name, t.type, 352, 288, 60);
    }
    ok = ok && WriteSequence(dir + "bars_1920x1080_420.yuv", TYPE_YUV420, 1920, 1080, 60);
    ok = ok && WritePackedSequence(dir + "bars_qcif_yuv420p10le.yuv", PLANAR_10, 176, 144, 90);
    ok = ok && WritePackedSequence(dir + "bars_qcif_nv12.yuv", NV12, 176, 144, 90);
    ok = ok && WritePackedSequence(dir + "bars_qcif_p010.yuv", P010, 176, 144, 90);
    ok = ok && WritePackedSequence(dir + "bars_qcif_yuyv.yuv", YUYV, 176, 144, 90);
    ok = ok && WritePackedSequence(dir + "bars_qcif_uyvy.yuv", UYVY, 176, 144, 90);
    ok = ok && WriteDecodedSequence(dir + "bars_cif_420_decoded.yuv", 352, 288, 60);
    // Y4M: the header states size, layout and rate, whatever the name says.
    ok = ok && WriteFrames(
                   dir + "bars_cif.y4m", 60, [&](int n) { return Frame(TYPE_YUV420, 352, 288, n); },
                   "YUV4MPEG2 W352 H288 F30000:1001 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n");
    ok = ok && WritePackedSequence(dir + "bars_cif_10bit.y4m", PLANAR_10, 352, 288, 60,
                                   "YUV4MPEG2 W352 H288 F30000:1001 Ip A1:1 C420p10 XCOLORRANGE=LIMITED\n");

    std::vector<uint8_t> raw(64, 0);
    const std::vector<uint8_t> gray = Frame(TYPE_GRAY, 512, 512, 20);
    raw.insert(raw.end(), gray.begin(), gray.end());
    ok = ok && WriteFile(dir + "bars_512x512_gray_header64.raw", raw);
    ok = ok && WriteFile(dir + "bars_352x288_24bit.bmp", Bitmap(352, 288, 24));
    ok = ok && WriteFile(dir + "bars_352x288_8bit.bmp", Bitmap(352, 288, 8));
    ok = ok && WriteFile(dir + "bars_352x288.mmp", Mmp(352, 288));
    return ok ? 0 : 1;
}
