#include "test_support.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <sys/types.h>
#include <unistd.h>
#endif

#include "bmp_headers.h"
#include "chroma_geometry.h"
#include "display.h"
#include "image_sizes.h"
#include "mmp_header.h"

namespace {

size_t PageSize() {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
#else
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

} // namespace

GuardedBuffer::GuardedBuffer(size_t size) : size_(size) {
    const size_t page = PageSize();
    const size_t usable = (size + page - 1) / page * page;
    mapped_ = usable + page;
#if defined(_WIN32)
    base_ = VirtualAlloc(nullptr, mapped_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD old;
    if (!base_ || !VirtualProtect(static_cast<uint8_t*>(base_) + usable, page, PAGE_NOACCESS, &old)) {
        abort();
    }
#else
    base_ = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base_ == MAP_FAILED || mprotect(static_cast<uint8_t*>(base_) + usable, page, PROT_NONE) != 0) {
        abort();
    }
#endif
    data_ = static_cast<uint8_t*>(base_) + usable - size;
}

GuardedBuffer::~GuardedBuffer() {
#if defined(_WIN32)
    VirtualFree(base_, 0, MEM_RELEASE);
#else
    munmap(base_, mapped_);
#endif
}

int ExactTruncatedProduct(int i, double factor) {
    // factor = m x 2^(e - 53) exactly, with m a 53-bit integer.
    int e;
    const double fraction = frexp(factor, &e);
    const int64_t m = static_cast<int64_t>(ldexp(fraction, 53));
    int64_t p = i * m; // exact: 8 + 53 bits
    const bool negative = p < 0;
    uint64_t a = static_cast<uint64_t>(negative ? -p : p);
    // Round to 53 significant bits, ties to even.
    int bits = 0;
    while (bits < 64 && (a >> bits) != 0) {
        ++bits;
    }
    if (bits > 53) {
        const int shift = bits - 53;
        uint64_t q = a >> shift;
        const uint64_t rest = a & ((uint64_t{1} << shift) - 1);
        const uint64_t half = uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (q & 1))) {
            ++q;
        }
        a = q << shift;
    }
    // Scale by 2^(e - 53) and truncate toward zero.
    const int scale = e - 53;
    const uint64_t magnitude = scale >= 0 ? a << scale : (-scale >= 64 ? 0 : a >> -scale);
    return negative ? -static_cast<int>(magnitude) : static_cast<int>(magnitude);
}

const ReferenceTables& Reference() {
    static const ReferenceTables tables = [] {
        ReferenceTables t;
        for (int i = 0; i < 256; ++i) {
            t.redFromV[i] = ExactTruncatedProduct(i - 128, 1.402);
            t.blueFromU[i] = ExactTruncatedProduct(i - 128, 1.772);
            t.greenFromU[i] = ExactTruncatedProduct(i - 128, -0.34414);
            t.greenFromV[i] = ExactTruncatedProduct(i - 128, -0.71414);
            t.lumaFromY[i] = ExactTruncatedProduct(i, 1.1643835616438356);
        }
        return t;
    }();
    return tables;
}

namespace {
uint8_t Clamp(int s) { return static_cast<uint8_t>(s < 0 ? 0 : s > 255 ? 255 : s); }
} // namespace

Bgr ReferencePixel(uint8_t y, int8_t u, int8_t v) {
    const ReferenceTables& t = Reference();
    const int l = t.lumaFromY[y];
    return Bgr{Clamp(l + t.blueFromU[u + 128]), Clamp(l + t.greenFromU[u + 128] + t.greenFromV[v + 128]),
               Clamp(l + t.redFromV[v + 128])};
}

const MatrixFactors& StandardMatrixFactors(uint32_t matrix) {
    static const MatrixFactors factors[] = {
        {1.596026785714286, 2.017232142857143, -0.39176229009491365, -0.8129676472377707, true},
        {1.4020000000000001, 1.772, -0.34413628620102216, -0.7141362862010221, false},
        {1.7927410714285714, 2.112401785714286, -0.21324861427372968, -0.532909328559444, true},
        {1.5748, 1.8556, -0.1873242729306488, -0.46812427293064884, false},
        {1.6786741071428573, 2.1417723214285713, -0.18732610421934257, -0.6504243185050569, true},
        {1.4746000000000001, 1.8814, -0.16455312684365778, -0.5713531268436578, false}};
    return factors[matrix - 1];
}

Bgr ReferencePixel(uint8_t y, int8_t u, int8_t v, uint32_t matrix) {
    if (matrix == 0) {
        return ReferencePixel(y, u, v);
    }
    const MatrixFactors& f = StandardMatrixFactors(matrix);
    const int l = f.limited ? ExactTruncatedProduct(y - 16, 1.1643835616438356) : y;
    return Bgr{Clamp(l + ExactTruncatedProduct(u, f.blue)),
               Clamp(l + ExactTruncatedProduct(u, f.greenU) + ExactTruncatedProduct(v, f.greenV)),
               Clamp(l + ExactTruncatedProduct(v, f.red))};
}

size_t ChromaIndex(uint32_t code, uint32_t w, uint32_t x, uint32_t r) {
    // Pixel (x, r) uses the sample after the whole chroma samples and rows
    // that lie left of and above it.
    return size_t{ChromaPlaneHeight(code, r)} * ChromaPlaneWidth(code, w) + ChromaPlaneWidth(code, x);
}

void ReferencePixelRows(uint32_t code, uint32_t w, uint32_t h, const uint8_t* y, const int8_t* u,
                        const int8_t* v, uint8_t* pixels, uint32_t matrix) {
    const uint32_t rows = code == TYPE_YUV420 ? h & ~1u : h;
    for (uint32_t r = 0; r < rows; ++r) {
        uint8_t* out = pixels + size_t{h - 1 - r} * 3 * w;
        for (uint32_t x = 0; x < w; ++x) {
            const size_t c = ChromaIndex(code, w, x, r);
            const Bgr p = ReferencePixel(y[size_t{r} * w + x], u[c], v[c], matrix);
            out[3 * x] = p.b;
            out[3 * x + 1] = p.g;
            out[3 * x + 2] = p.r;
        }
    }
}

void FillRandom(uint8_t* p, size_t n, std::mt19937& rng) {
    for (size_t i = 0; i < n; ++i) {
        p[i] = static_cast<uint8_t>(rng() >> 24);
    }
}

GuardedCopy::GuardedCopy(const std::vector<uint8_t>& data) : buffer(data.size()) {
    if (!data.empty()) {
        memcpy(buffer.data(), data.data(), data.size());
    }
}

std::vector<uint8_t> ClassicBmp(int w, int h, int bits, uint32_t clrUsed, std::mt19937& rng) {
    const uint32_t entries = ImageColourCount(clrUsed, bits);
    const size_t rowBytes = static_cast<size_t>(PaddedRowBytes(w, bits));
    std::vector<uint8_t> file(54 + 4 * entries + rowBytes * h);
    FillRandom(file.data(), file.size(), rng);
    BmpFileHeader fileHeader;
    BmpInfoHeader info;
    BuildBmpHeaders(&fileHeader, &info, w, h, bits);
    fileHeader.bfSize = static_cast<uint32_t>(file.size());
    fileHeader.bfOffBits = 54 + 4 * entries;
    info.biClrUsed = clrUsed;
    PutBmpHeaders(file.data(), &fileHeader, &info);
    if (bits == 8) {
        for (size_t i = 54 + 4 * entries; i < file.size(); ++i) {
            file[i] = static_cast<uint8_t>(file[i] % entries);
        }
    }
    return file;
}

std::vector<uint8_t> PackMmpGroup(uint8_t y0, uint8_t y1, uint8_t y2, uint8_t y3, uint8_t u, uint8_t v) {
    std::vector<uint8_t> group(MMP_GROUP_SIZE);
    PutMmpGroup(group.data(), y0, y1, y2, y3, u, v);
    return group;
}

std::vector<uint8_t> RandomMmpFile(int w, int h, std::mt19937& rng, std::vector<uint8_t>* picture) {
    std::vector<uint8_t> file(16);
    FillRandom(file.data(), 12, rng);
    file[12] = static_cast<uint8_t>(w);
    file[13] = static_cast<uint8_t>(w >> 8);
    file[14] = static_cast<uint8_t>(h);
    file[15] = static_cast<uint8_t>(h >> 8);
    picture->assign(3 * size_t(w) * h, 0);
    for (int r = 0; r < h; ++r) {
        for (int x = 0; x < w; x += 4) {
            uint8_t s[6];
            FillRandom(s, 6, rng);
            const std::vector<uint8_t> group = PackMmpGroup(s[0], s[1], s[2], s[3], s[4], s[5]);
            file.insert(file.end(), group.begin(), group.end());
            for (int i = 0; i < 4; ++i) {
                const Bgr p = ReferencePixel(s[i], static_cast<int8_t>(s[4]), static_cast<int8_t>(s[5]));
                uint8_t* d = &(*picture)[3 * (size_t(h - 1 - r) * w + x + i)];
                d[0] = p.b;
                d[1] = p.g;
                d[2] = p.r;
            }
        }
    }
    return file;
}

std::vector<ToolFile> ToolFileManifest() {
    std::vector<ToolFile> files;
    FILE* f = fopen("manifest.txt", "r");
    if (!f) {
        return files;
    }
    char kind[16], name[256], decoding[256], label[256];
    int w, h;
    while (fscanf(f, "%15s %255s %255s %d %d %255s", kind, name, decoding, &w, &h, label) == 6) {
        files.push_back({kind, name, decoding, label, w, h});
    }
    fclose(f);
    return files;
}

std::vector<uint8_t> ReadWholeFile(const std::string& name) {
    std::vector<uint8_t> bytes;
    FILE* f = fopen(name.c_str(), "rb");
    if (!f) {
        return bytes;
    }
    uint8_t chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) {
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    fclose(f);
    return bytes;
}

TempFile::TempFile() {
#if defined(_WIN32)
    char folder[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder || GetTempFileNameA(folder, "vlx", 0, path_) == 0) {
        abort();
    }
#else
    const char* folder = getenv("TMPDIR");
    if (!folder || !*folder) {
        folder = "/tmp";
    }
    snprintf(path_, sizeof path_, "%s/vorlex-test-XXXXXX", folder);
    const int fd = mkstemp(path_);
    if (fd < 0) {
        abort();
    }
    close(fd);
#endif
}

TempFile::~TempFile() { remove(path_); }

bool TempFile::WriteAt(uint64_t position, const void* data, size_t n) {
    FILE* f = fopen(path_, "r+b");
    if (!f) {
        return false;
    }
#if defined(_WIN32)
    bool ok = _fseeki64(f, static_cast<__int64>(position), SEEK_SET) == 0;
#else
    bool ok = fseeko(f, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
    ok = ok && (n == 0 || fwrite(data, 1, n, f) == n);
    return fclose(f) == 0 && ok;
}

bool TempFile::Resize(uint64_t size) {
#if defined(_WIN32)
    HANDLE h = CreateFileA(path_, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool ok = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    return CloseHandle(h) && ok;
#else
    return truncate(path_, static_cast<off_t>(size)) == 0;
#endif
}

namespace {

template <typename Sample>
std::vector<int> Enlarged(const Sample* s, uint32_t w, uint32_t h, int low, int high) {
    auto at = [&](int64_t x, int64_t y) { return x < 0 || y < 0 || x >= w || y >= h ? 0 : int(s[y * w + x]); };
    std::vector<int> t(size_t{4} * w * h);
    for (int64_t y = 0; y < 2 * int64_t{h}; ++y) {
        for (int64_t x = 0; x < 2 * int64_t{w}; ++x) {
            const int64_t sx = x / 2, sy = y / 2, dx = x % 2 ? 1 : -1, dy = y % 2 ? 1 : -1;
            int q = (9 * at(sx, sy) + 3 * at(sx + dx, sy) + 3 * at(sx, sy + dy) + at(sx + dx, sy + dy)) / 16;
            t[y * 2 * w + x] = q < low ? low : q > high ? high : q;
        }
    }
    return t;
}

} // namespace

std::vector<int> ReferenceEnlarge(const uint8_t* s, uint32_t w, uint32_t h) {
    return Enlarged(s, w, h, 0, 255);
}

std::vector<int> ReferenceEnlarge(const int8_t* s, uint32_t w, uint32_t h) {
    return Enlarged(s, w, h, -128, 127);
}

std::vector<uint8_t> ReferenceDoubleSizeImage(uint32_t code, uint32_t w, uint32_t h, const uint8_t* y,
                                              const int8_t* u, const int8_t* v) {
    const uint32_t cw = ChromaPlaneWidth(code, w), ch = ChromaPlaneHeight(code, h);
    const std::vector<int> ly = ReferenceEnlarge(y, w, h);
    const std::vector<int> lu = ReferenceEnlarge(u, cw, ch);
    const std::vector<int> lv = ReferenceEnlarge(v, cw, ch);
    const std::vector<uint8_t> y2(ly.begin(), ly.end());
    const std::vector<int8_t> u2(lu.begin(), lu.end()), v2(lv.begin(), lv.end());
    std::vector<uint8_t> image(static_cast<size_t>(Rgb24ImageBytes(2 * w, 2 * h)), 0);
    WriteBmpHeaders(image.data(), 2 * w, 2 * h, 24);
    ReferencePixelRows(code, 2 * w, 2 * h, y2.data(), u2.data(), v2.data(), image.data() + 54);
    return image;
}
