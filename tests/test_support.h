// Helpers shared by the tests: buffers that fault on any access past their end,
// an exact reference of the conversion tables, and a per-pixel reference of the
// YUV conversion written straight from the geometry rules.
#ifndef VORLEX_TEST_SUPPORT_H
#define VORLEX_TEST_SUPPORT_H

#include <stddef.h>
#include <stdint.h>

#include <random>
#include <string>
#include <vector>

// `size` usable bytes placed right against an inaccessible page, so a read or
// write past the end faults at once.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    uint8_t* data() { return data_; }
    int8_t* signedData() { return reinterpret_cast<int8_t*>(data_); }
    size_t size() const { return size_; }

private:
    void* base_;
    size_t mapped_;
    uint8_t* data_;
    size_t size_;
};

// trunc(i x factor) with the product rounded once to double, computed in
// integer arithmetic from the double's exact value: no floating point unit,
// so it is independent of x87 or SSE and of compiler flags.
int ExactTruncatedProduct(int i, double factor);

struct ReferenceTables {
    int redFromV[256], blueFromU[256], greenFromU[256], greenFromV[256], lumaFromY[256];
};
const ReferenceTables& Reference();

struct Bgr {
    uint8_t b, g, r;
};
Bgr ReferencePixel(uint8_t y, int8_t u, int8_t v);

// The factors of a standard colour matrix (codes 1 to 6): red, blue, greenU
// and greenV, which limited range has scaled by 255/224 and then reads luma
// as (y - 16) x 255/219. They are the double values of the expressions in
// Kr and Kb, written out (a native test recomputes them), so that the
// reference is the same where doubles are computed in extended precision.
struct MatrixFactors {
    double red, blue, greenU, greenV;
    bool limited;
};
const MatrixFactors& StandardMatrixFactors(uint32_t matrix);

// ReferencePixel of a colour matrix (0 being ReferencePixel's own).
Bgr ReferencePixel(uint8_t y, int8_t u, int8_t v, uint32_t matrix);

// Index of the chroma sample that pixel (x, r) of a w-wide frame uses.
size_t ChromaIndex(uint32_t code, uint32_t w, uint32_t x, uint32_t r);

// Pixel rows (from offset 54) of the 24-bit image of a frame whose width is a
// multiple of 4, computed pixel by pixel; for 103 with an odd height the
// first stored row keeps the bytes of `pixels` as given.
void ReferencePixelRows(uint32_t code, uint32_t w, uint32_t h, const uint8_t* y, const int8_t* u,
                        const int8_t* v, uint8_t* pixels, uint32_t matrix = 0);

// The 2x enlargement written out per target sample from its rule:
//   T[2y+a][2x+b] = (9 S + 3 S(x+dx) + 3 S(y+dy) + S(x+dx, y+dy)) / 16
// neighbours outside the plane 0, division truncating, result limited to
// [low, high]. Returns the 2w x 2h target samples as ints.
std::vector<int> ReferenceEnlarge(const uint8_t* s, uint32_t w, uint32_t h);
std::vector<int> ReferenceEnlarge(const int8_t* s, uint32_t w, uint32_t h);

// The whole 24-bit image the double-size view must give for a w x h frame:
// each plane enlarged by ReferenceEnlarge, then converted per pixel at
// 2w x 2h.
std::vector<uint8_t> ReferenceDoubleSizeImage(uint32_t code, uint32_t w, uint32_t h, const uint8_t* y,
                                              const int8_t* u, const int8_t* v);

void FillRandom(uint8_t* p, size_t n, std::mt19937& rng);

// `data` copied to the very end of a guarded buffer: reading past it faults.
struct GuardedCopy {
    GuardedBuffer buffer;
    explicit GuardedCopy(const std::vector<uint8_t>& data);
    const uint8_t* get() { return buffer.data(); }
};

// A classic bitmap file (40-byte header, the table, padded bottom-up rows) of
// random colours and rows: `clrUsed` colours, or with 0 the full table up to
// 8 bits; 8-bit indices stay inside the table.
std::vector<uint8_t> ClassicBmp(int w, int h, int bits, uint32_t clrUsed, std::mt19937& rng);

// One MMP group, packed by PutMmpGroup from the format's byte-by-byte table
// (the other way round from the unpacker's word arithmetic).
std::vector<uint8_t> PackMmpGroup(uint8_t y0, uint8_t y1, uint8_t y2, uint8_t y3, uint8_t u, uint8_t v);

// A w x h MMP file (w a multiple of 4) of random samples; `picture` receives
// the 24-bit rows the reference conversion gives for it (bottom row first,
// 3 x w bytes each, no padding).
std::vector<uint8_t> RandomMmpFile(int w, int h, std::mt19937& rng, std::vector<uint8_t>* picture);

// The bitmap files that make_bmp_files.py writes with ImageMagick and Pillow,
// listed in manifest.txt in the current folder: files to show, with the
// writing tool's own decoding, and files to refuse.
struct ToolFile {
    std::string kind, name, decoding, label; // kind "show" or "refuse"
    int w, h;
};
std::vector<ToolFile> ToolFileManifest();

// The whole file, or nothing when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& name);

// A new, empty file with a unique name in the system's temporary folder,
// removed when the object goes. Writes use 64-bit positions; positions beyond
// the end leave a hole, so a file of several GiB costs only what is written.
class TempFile {
public:
    TempFile();
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* path() const { return path_; }
    // Writes n bytes at `position`, extending the file as needed.
    bool WriteAt(uint64_t position, const void* data, size_t n);
    // Sets the file's size (a hole when it grows).
    bool Resize(uint64_t size);

private:
    char path_[1024];
};

#endif
