#include "frame_compare.h"

#include <inttypes.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "compare_kernels.h"
#include "unpack_kernels.h"

namespace {

// Planes whose samples lie side by side, as the kernels take them.
bool Contiguous(const FrameGeometry& l, const PlaneGeometry& p) { return p.step == 1 && l.shift == 0; }

// Bytes of the interleaved pixels of an RGB or BGR layout.
size_t InterleavedBytes(const FrameGeometry& l) {
    return static_cast<size_t>(PlaneSamples(l.planes[0]) * 3 * l.sampleBytes);
}

// RGB and BGR: three channels in each 3-sample pixel.
bool Interleaved(const FrameGeometry& l) { return l.planes[0].step == 3; }

void NoteFirst(PlaneDiff* d, uint64_t index, uint32_t width, uint32_t a, uint32_t b) {
    d->hasFirst = true;
    d->firstX = static_cast<uint32_t>(index % width);
    d->firstY = static_cast<uint32_t>(index / width);
    d->firstA = a;
    d->firstB = b;
}

// A plane of its own: the kernels find the first difference, and the sums
// start there, since every sample before it is equal.
void ComparePlanar(const FrameGeometry& l, const PlaneGeometry& p, const uint8_t* a, const uint8_t* b,
                   PlaneDiff* d) {
    const CompareKernels& k = ChosenCompareKernels();
    const uint32_t sb = l.sampleBytes;
    const size_t n = static_cast<size_t>(PlaneSamples(p));
    a += p.offset;
    b += p.offset;
    const size_t first = k.firstDiff(a, b, n * sb) / sb;
    if (first == n) {
        return;
    }
    NoteFirst(d, first, p.width, LittleEndianSample(a + first * sb, sb), LittleEndianSample(b + first * sb, sb));
    DiffSums sums = {0, 0, 0};
    if (sb == 2) {
        k.sums16(a + 2 * first, b + 2 * first, n - first, &sums);
    } else {
        k.sums8(a + first, b + first, n - first, &sums);
    }
    d->sse = sums.sse;
    d->differing = sums.differing;
    d->maxDiff = sums.maxDiff;
}

// Samples [begin, end) of plane p one at a time, added to *sums; the first
// that differs is noted in d when it has none. With `firstOnly`, returns 1
// there at once.
int AddSamples(const FrameGeometry& l, const PlaneGeometry& p, size_t begin, size_t end, const uint8_t* a,
               const uint8_t* b, bool firstOnly, PlaneDiff* d, DiffSums* sums) {
    const size_t pitch = size_t{p.step} * l.sampleBytes;
    uint64_t sse = 0, differing = 0;
    uint32_t maxDiff = sums->maxDiff;
    for (size_t i = begin; i < end; ++i) {
        const size_t at = p.offset + i * pitch;
        const uint32_t x = ValueAt(l, a + at), y = ValueAt(l, b + at);
        const uint32_t diff = x > y ? x - y : y - x;
        if (diff != 0) {
            if (!d->hasFirst) {
                NoteFirst(d, i, p.width, x, y);
                if (firstOnly) {
                    return 1;
                }
            }
            sse += uint64_t{diff} * diff;
            ++differing;
            maxDiff = diff > maxDiff ? diff : maxDiff;
        }
    }
    sums->sse += sse;
    sums->differing += differing;
    sums->maxDiff = maxDiff;
    return 0;
}

void SetSums(PlaneDiff* d, const DiffSums& s) {
    d->sse = s.sse;
    d->differing = s.differing;
    d->maxDiff = s.maxDiff;
}

// A channel of interleaved pixels, from pixel `start` (all before it are
// equal in every channel).
void CompareChannel(const FrameGeometry& l, const PlaneGeometry& p, size_t start, const uint8_t* a,
                    const uint8_t* b, PlaneDiff* d) {
    DiffSums sums = {0, 0, 0};
    AddSamples(l, p, start, static_cast<size_t>(PlaneSamples(p)), a, b, false, d, &sums);
    SetSums(d, sums);
}

// Planes stored together: a plane of words holding their values `shift`
// bits up (P010 luma), two planes alternating sample by sample (NV12 and
// NV21 chroma, P010 chroma in words), or packed 4:2:2, Y U Y V or U Y V Y
// groups holding all three planes. The kernels of interleaved channels sum
// them as stored; for the first differences and the difference picture the
// unpacking kernels turn them into plain runs a strip at a time.
enum { PACKED_WORDS, PACKED_PAIRS, PACKED_GROUPS };
struct PackedPlanes {
    int kind;
    uint32_t plane;  // the first plane held
    uint32_t count;  // planes held: 1, 2 or 3
    uint32_t offset; // bytes from the frame's start to the first unit
    bool swapped;    // pairs: the second plane's sample comes first; groups: U Y V Y
    size_t units;    // words, pairs or groups
};

// Bytes of a strip of one frame unpacked: a few KiB on the stack, so the
// kernels work in the first-level cache and calls share nothing.
const size_t kStripBytes = 8192;

size_t UnitBytes(const PackedPlanes& r, uint32_t sampleBytes) {
    return r.kind == PACKED_GROUPS ? 4 : r.kind == PACKED_PAIRS ? 2 * sampleBytes : sampleBytes;
}

// Whether plane i starts planes stored together, and how. Their units lie
// inside the frame: the kernels read whole units only.
bool PackedAt(const FrameGeometry& l, uint32_t i, PackedPlanes* r) {
    const PlaneGeometry* p = &l.planes[i];
    const uint32_t sb = l.sampleBytes;
    const size_t n = static_cast<size_t>(PlaneSamples(p[0]));
    bool packed = false;
    if (p[0].step == 1 && sb == 2 && l.shift != 0) {
        *r = PackedPlanes{PACKED_WORDS, i, 1, p[0].offset, false, n};
        packed = true;
    } else if (i == 0 && l.planeCount == 3 && sb == 1 && l.shift == 0 && p[0].step == 2 && p[1].step == 4 &&
               p[2].step == 4 && PlaneSamples(p[1]) == PlaneSamples(p[2]) && PlaneSamples(p[1]) <= n / 2) {
        const bool uyvy = p[0].offset == 1 && p[1].offset == 0 && p[2].offset == 2;
        // Groups of two luma samples: an odd last one is left to AddSamples.
        *r = PackedPlanes{PACKED_GROUPS, 0, 3, 0, uyvy, n / 2};
        packed = uyvy || (p[0].offset == 0 && p[1].offset == 1 && p[2].offset == 3);
    } else if (i + 1 < l.planeCount && p[0].step == 2 && p[1].step == 2 && p[0].width == p[1].width &&
               p[0].height == p[1].height && (sb == 2 || l.shift == 0)) {
        const bool swapped = p[0].offset == p[1].offset + sb;
        *r = PackedPlanes{PACKED_PAIRS, i, 2, swapped ? p[1].offset : p[0].offset, swapped, n};
        packed = swapped || p[1].offset == p[0].offset + sb;
    }
    return packed && r->offset + uint64_t{r->units} * UnitBytes(*r, sb) <= l.frameBytes;
}

// Samples of the k-th plane held in one unit: two luma samples in a group.
size_t SamplesPerUnit(const PackedPlanes& r, uint32_t k) { return r.kind == PACKED_GROUPS && k == 0 ? 2 : 1; }

// Where the k-th plane's run starts in a strip of `units` units unpacked:
// the runs follow one another.
size_t RunAt(const PackedPlanes& r, uint32_t k, size_t units, uint32_t sampleBytes) {
    return k == 0 ? 0 : (k + (r.kind == PACKED_GROUPS)) * units * sampleBytes;
}

// Units [from, from + units) of one frame into plain runs at `out`.
void UnpackStrip(const FrameGeometry& l, const PackedPlanes& r, const uint8_t* frame, size_t from,
                 size_t units, uint8_t* out) {
    const UnpackKernels& k = ChosenUnpackKernels();
    const uint32_t sb = l.sampleBytes;
    const uint8_t* in = frame + r.offset + from * UnitBytes(r, sb);
    switch (r.kind) {
    case PACKED_WORDS: k.shiftWords(in, units, l.shift, out); break;
    case PACKED_PAIRS: {
        uint8_t* first = out + RunAt(r, r.swapped ? 1 : 0, units, sb);
        uint8_t* second = out + RunAt(r, r.swapped ? 0 : 1, units, sb);
        if (sb == 2) {
            k.splitWordPairs(in, units, l.shift, first, second);
        } else {
            k.splitPairs(in, units, first, second);
        }
        break;
    }
    default:
        k.splitGroups(in, units, r.swapped, out, out + RunAt(r, 1, units, 1), out + RunAt(r, 2, units, 1));
        break;
    }
}

void AddTo(DiffSums* into, const DiffSums& s) {
    into->sse += s.sse;
    into->differing += s.differing;
    into->maxDiff = s.maxDiff > into->maxDiff ? s.maxDiff : into->maxDiff;
}

// Samples [u x per-unit, (u + 1) x per-unit) of every plane of r, added to
// sums[] one at a time.
void AddUnit(const FrameGeometry& l, const PackedPlanes& r, const uint8_t* a, const uint8_t* b, size_t u,
             DiffSums* sums) {
    for (uint32_t j = 0; j < r.count; ++j) {
        const PlaneGeometry& p = l.planes[r.plane + j];
        const size_t n = static_cast<size_t>(PlaneSamples(p)), end = (u + 1) * SamplesPerUnit(r, j);
        PlaneDiff noted = {}; // has its first: only the sums are added
        noted.hasFirst = true;
        AddSamples(l, p, u * SamplesPerUnit(r, j), end < n ? end : n, a, b, false, &noted, &sums[j]);
    }
}

// Units [from, to) of r added to sums[] plane by plane on the kernels of
// interleaved channels: four bytes (a group, or two pairs) or two words a
// block. With `lumaOnly` the chroma of the groups is left out.
void SumUnits(const FrameGeometry& l, const PackedPlanes& r, const uint8_t* a, const uint8_t* b, size_t from,
              size_t to, bool lumaOnly, DiffSums* sums) {
    const CompareKernels& k = ChosenCompareKernels();
    const uint32_t sb = l.sampleBytes;
    const size_t per = r.kind == PACKED_GROUPS || (r.kind == PACKED_PAIRS && sb == 2) ? 1 : 2;
    const size_t blocks = (to - from) / per, at = r.offset + from * UnitBytes(r, sb);
    DiffSums channels[4] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    if (sb == 2) {
        k.sums16x2(a + at, b + at, blocks, l.shift, channels);
    } else {
        k.sums8x4(a + at, b + at, blocks, channels);
    }
    // The plane (of those r holds) of each channel; -1 for none.
    int planeOf[4] = {0, 0, 0, 0};
    if (r.kind == PACKED_GROUPS) {
        const int y = r.swapped ? 1 : 0; // Y U Y V, or U Y V Y
        planeOf[1 - y] = lumaOnly ? -1 : 1;
        planeOf[3 - y] = lumaOnly ? -1 : 2;
    } else if (r.kind == PACKED_PAIRS) {
        planeOf[0] = planeOf[2] = r.swapped ? 1 : 0;
        planeOf[1] = planeOf[3] = r.swapped ? 0 : 1;
    }
    for (int c = 0; c < 4; ++c) {
        if (planeOf[c] >= 0) {
            AddTo(&sums[planeOf[c]], channels[c]);
        }
    }
    if (from + blocks * per < to) {
        AddUnit(l, r, a, b, to - 1, sums); // an odd last pair or word
    }
}

// Notes in d[j] the first differing sample of each plane j of r that is
// `wanted`, searching the runs of strips from unit `from` on until each is
// found. With `firstOnly`, returns 1 at the first one.
int FindFirsts(const FrameGeometry& l, const PackedPlanes& r, const uint8_t* a, const uint8_t* b, size_t from,
               const bool* wanted, bool firstOnly, PlaneDiff* d) {
    const CompareKernels& k = ChosenCompareKernels();
    const uint32_t sb = l.sampleBytes;
    const size_t strip = kStripBytes / UnitBytes(r, sb);
    uint8_t stripA[kStripBytes], stripB[kStripBytes];
    for (size_t u = from; u < r.units; u += strip) {
        bool searching = false;
        for (uint32_t j = 0; j < r.count; ++j) {
            searching = searching || (wanted[j] && !d[j].hasFirst);
        }
        if (!searching) {
            break;
        }
        const size_t units = r.units - u < strip ? r.units - u : strip;
        UnpackStrip(l, r, a, u, units, stripA);
        UnpackStrip(l, r, b, u, units, stripB);
        for (uint32_t j = 0; j < r.count; ++j) {
            const PlaneGeometry& p = l.planes[r.plane + j];
            const size_t start = u * SamplesPerUnit(r, j), n = static_cast<size_t>(PlaneSamples(p));
            if (!wanted[j] || d[j].hasFirst || start >= n) {
                continue; // packed 4:2:2 of an odd width has more groups than chroma samples
            }
            size_t count = units * SamplesPerUnit(r, j);
            count = count < n - start ? count : n - start;
            const uint8_t* x = stripA + RunAt(r, j, units, sb);
            const uint8_t* y = stripB + RunAt(r, j, units, sb);
            const size_t f = k.firstDiff(x, y, count * sb) / sb;
            if (f < count) {
                NoteFirst(&d[j], start + f, p.width, LittleEndianSample(x + f * sb, sb),
                          LittleEndianSample(y + f * sb, sb));
                if (firstOnly) {
                    return 1;
                }
            }
        }
    }
    return 0;
}

// The planes of r in d[0..r.count) from the first unit whose bytes differ
// (every unit before it is equal in every plane): the sums on the kernels of
// interleaved channels, then the first difference of each plane that has
// one. With `firstOnly`, no sums: returns 1 at the first difference.
int ComparePacked(const FrameGeometry& l, const PackedPlanes& r, const uint8_t* a, const uint8_t* b,
                  bool firstOnly, PlaneDiff* d) {
    const size_t unitBytes = UnitBytes(r, l.sampleBytes);
    const size_t from =
        ChosenCompareKernels().firstDiff(a + r.offset, b + r.offset, r.units * unitBytes) / unitBytes;
    DiffSums sums[MAX_PLANES] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    bool wanted[MAX_PLANES] = {true, true, true};
    if (!firstOnly) {
        // Packed 4:2:2 of an odd width has groups past its last chroma sample.
        const size_t chroma = r.kind == PACKED_GROUPS ? static_cast<size_t>(PlaneSamples(l.planes[1])) : r.units;
        const size_t lumaOnly = from > chroma ? from : chroma;
        SumUnits(l, r, a, b, from, lumaOnly, false, sums);
        SumUnits(l, r, a, b, lumaOnly, r.units, true, sums);
        for (uint32_t j = 0; j < r.count; ++j) {
            wanted[j] = sums[j].differing != 0;
        }
    }
    if (FindFirsts(l, r, a, b, from, wanted, firstOnly, d)) {
        return 1;
    }
    for (uint32_t j = 0; j < r.count; ++j) {
        // What no whole unit holds: the last luma sample of packed 4:2:2 of an odd size.
        const PlaneGeometry& p = l.planes[r.plane + j];
        const size_t n = static_cast<size_t>(PlaneSamples(p)), held = r.units * SamplesPerUnit(r, j);
        if (held < n && AddSamples(l, p, held, n, a, b, firstOnly, &d[j], &sums[j])) {
            return 1;
        }
        SetSums(&d[j], sums[j]);
    }
    return 0;
}

// Samples [begin, end) of plane p of the difference picture one at a time:
// 128 + gain (A - B), clamped.
void DifferenceSamples(const FrameGeometry& l, const PlaneGeometry& p, size_t begin, size_t end,
                       const uint8_t* a, const uint8_t* b, uint32_t gain, uint8_t* out) {
    const size_t pitch = size_t{p.step} * l.sampleBytes;
    for (size_t j = begin; j < end; ++j) {
        const int64_t d = int64_t{ValueAt(l, a + p.offset + j * pitch)} - ValueAt(l, b + p.offset + j * pitch);
        const int64_t v = 128 + int64_t{gain} * d;
        out[j] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

// The difference picture of the planes of r into out[0..r.count), a strip
// at a time, at a gain of 1 << shift.
void DifferencePacked(const FrameGeometry& l, const PackedPlanes& r, const uint8_t* a, const uint8_t* b,
                      uint32_t shift, uint8_t* const* out) {
    const CompareKernels& k = ChosenCompareKernels();
    const uint32_t sb = l.sampleBytes;
    const size_t strip = kStripBytes / UnitBytes(r, sb);
    uint8_t stripA[kStripBytes], stripB[kStripBytes];
    for (size_t u = 0; u < r.units; u += strip) {
        const size_t units = r.units - u < strip ? r.units - u : strip;
        UnpackStrip(l, r, a, u, units, stripA);
        UnpackStrip(l, r, b, u, units, stripB);
        for (uint32_t j = 0; j < r.count; ++j) {
            const size_t start = u * SamplesPerUnit(r, j);
            const size_t n = static_cast<size_t>(PlaneSamples(l.planes[r.plane + j]));
            if (start < n) {
                size_t count = units * SamplesPerUnit(r, j);
                count = count < n - start ? count : n - start;
                (sb == 2 ? k.difference16 : k.difference8)(stripA + RunAt(r, j, units, sb),
                                                           stripB + RunAt(r, j, units, sb), count, shift,
                                                           out[j] + start);
            }
        }
    }
    for (uint32_t j = 0; j < r.count; ++j) {
        const PlaneGeometry& p = l.planes[r.plane + j];
        const size_t held = r.units * SamplesPerUnit(r, j);
        DifferenceSamples(l, p, held, static_cast<size_t>(PlaneSamples(p)), a, b, 1u << shift, out[j]);
    }
}

// The three channels of 8-bit interleaved pixels from pixel `start` on the
// kernels; a channel that differs is then scanned from `start` for its
// first difference.
void CompareInterleaved8(const FrameGeometry& l, size_t start, const uint8_t* a, const uint8_t* b,
                         FrameDiff* diff) {
    const size_t n = static_cast<size_t>(PlaneSamples(l.planes[0]));
    DiffSums sums[3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    ChosenCompareKernels().sums8x3(a + 3 * start, b + 3 * start, n - start, sums);
    for (uint32_t i = 0; i < 3; ++i) {
        const PlaneGeometry& p = l.planes[i];
        const DiffSums& s = sums[p.offset];
        PlaneDiff* d = &diff->planes[i];
        d->sse = s.sse;
        d->differing = s.differing;
        d->maxDiff = s.maxDiff;
        for (size_t at = p.offset + 3 * start; s.differing != 0; at += 3) {
            if (a[at] != b[at]) {
                NoteFirst(d, at / 3, p.width, a[at], b[at]);
                break;
            }
        }
    }
}

} // namespace

std::string Decibels(double db) {
    const bool negative = db < 0;
    // Half up; the magnitude is never negative.
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    const uint64_t hundredths = static_cast<uint64_t>((negative ? -db : db) * 100 + 0.5);
    char text[40];
    snprintf(text, sizeof text, "%s%" PRIu64 ".%02u", negative ? "-" : "", hundredths / 100,
             static_cast<unsigned>(hundredths % 100));
    return text;
}

std::string Number(uint64_t v) {
    char text[24];
    snprintf(text, sizeof text, "%" PRIu64, v);
    return text;
}

void BuildStoredDifference(const FrameGeometry& l, const FramePlan& shown, const uint8_t* a, const uint8_t* b,
                           uint32_t gain, uint8_t* out) {
    const CompareKernels& k = ChosenCompareKernels();
    uint8_t* const planes[MAX_PLANES] = {out, out + shown.uOffset, out + shown.vOffset};
    // The kernels take gains of 1, 4 and 16, the only ones the view has.
    const uint32_t shift = gain == 1 ? 0 : gain == 4 ? 2 : gain == 16 ? 4 : 99;
    for (uint32_t i = 0; i < l.planeCount;) {
        const PlaneGeometry& p = l.planes[i];
        const size_t n = static_cast<size_t>(PlaneSamples(p));
        PackedPlanes r;
        if (shift != 99 && Contiguous(l, p)) {
            (l.sampleBytes == 2 ? k.difference16 : k.difference8)(a + p.offset, b + p.offset, n, shift,
                                                                  planes[i]);
            ++i;
        } else if (shift != 99 && PackedAt(l, i, &r)) {
            DifferencePacked(l, r, a, b, shift, planes + i);
            i += r.count;
        } else {
            DifferenceSamples(l, p, 0, n, a, b, gain, planes[i]);
            ++i;
        }
    }
}

void CompareFrames(const FrameGeometry& l, const uint8_t* a, const uint8_t* b, FrameDiff* diff) {
    memset(diff, 0, sizeof *diff);
    diff->planeCount = l.planeCount;
    size_t start = 0;
    if (Interleaved(l)) {
        const size_t bytes = InterleavedBytes(l);
        start = ChosenCompareKernels().firstDiff(a, b, bytes) / (3 * l.sampleBytes);
    }
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        diff->planes[i].samples = PlaneSamples(l.planes[i]);
    }
    if (Interleaved(l) && l.sampleBytes == 1) {
        CompareInterleaved8(l, start, a, b, diff);
        return;
    }
    for (uint32_t i = 0; i < l.planeCount;) {
        PlaneDiff* d = &diff->planes[i];
        PackedPlanes r;
        if (Contiguous(l, l.planes[i])) {
            ComparePlanar(l, l.planes[i], a, b, d);
            ++i;
        } else if (PackedAt(l, i, &r)) {
            ComparePacked(l, r, a, b, false, d);
            i += r.count;
        } else {
            CompareChannel(l, l.planes[i], Interleaved(l) ? start : 0, a, b, d);
            ++i;
        }
    }
}

int FramesDiffer(const FrameGeometry& l, const uint8_t* a, const uint8_t* b) {
    const CompareKernels& k = ChosenCompareKernels();
    if (Interleaved(l)) {
        const size_t bytes = InterleavedBytes(l);
        return k.firstDiff(a, b, bytes) != bytes;
    }
    for (uint32_t i = 0; i < l.planeCount;) {
        const PlaneGeometry& p = l.planes[i];
        const size_t n = static_cast<size_t>(PlaneSamples(p));
        PlaneDiff d[MAX_PLANES] = {};
        DiffSums sums = {0, 0, 0};
        PackedPlanes r;
        if (Contiguous(l, p)) {
            const size_t bytes = n * l.sampleBytes;
            if (k.firstDiff(a + p.offset, b + p.offset, bytes) != bytes) {
                return 1;
            }
            ++i;
        } else if (PackedAt(l, i, &r)) {
            if (ComparePacked(l, r, a, b, true, d)) {
                return 1;
            }
            i += r.count;
        } else {
            if (AddSamples(l, p, 0, n, a, b, true, d, &sums)) {
                return 1;
            }
            ++i;
        }
    }
    return 0;
}

bool AnyDifference(const FrameDiff& diff) {
    for (uint32_t i = 0; i < diff.planeCount; ++i) {
        if (diff.planes[i].differing != 0) {
            return true;
        }
    }
    return false;
}

int PsnrOf(uint64_t sse, uint64_t samples, uint32_t peak, double* db) {
    if (sse == 0 || samples == 0) {
        return PSNR_IDENTICAL;
    }
    const double p = peak;
    *db = 10.0 * log10(p * p * static_cast<double>(samples) / static_cast<double>(sse));
    return PSNR_VALUE;
}

uint32_t PeakOf(uint32_t bitDepth) { return bitDepth >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << bitDepth) - 1; }

std::string PsnrText(uint64_t sse, uint64_t samples, uint32_t peak) {
    double db = 0;
    return PsnrOf(sse, samples, peak, &db) == PSNR_IDENTICAL ? "identical" : Decibels(db);
}

CompareView ViewAfterTab(CompareView view) { return view == VIEW_A ? VIEW_B : VIEW_A; }

CompareView ViewAfterDifferenceKey(CompareView view) {
    return view == VIEW_DIFFERENCE ? VIEW_A : VIEW_DIFFERENCE;
}

uint32_t RaiseGain(uint32_t gain) { return gain >= 4 ? 16 : gain >= 1 ? 4 * gain : 1; }

uint32_t LowerGain(uint32_t gain) { return gain >= 16 ? 4 : 1; }

int BuildDifferenceFrame(const FrameGeometry& l, const uint8_t* a, const uint8_t* b, uint32_t gain, uint8_t* out) {
    const uint32_t shift = gain == 1 ? 0 : gain == 4 ? 2 : gain == 16 ? 4 : 99;
    if (l.sampleBytes != 1 || shift == 99) {
        return 0;
    }
    // Every byte of an 8-bit frame is a sample of some plane (or unused
    // chroma of an odd 4:2:0 height, which is never shown): one run covers
    // all planes and channels.
    ChosenCompareKernels().difference8(a, b, l.frameBytes, shift, out);
    return 1;
}

std::string FrameDiffText(const FrameGeometry& l, const FrameDiff& diff) {
    std::string text;
    const uint32_t peak = PeakOf(l.bitDepth);
    for (uint32_t i = 0; i < diff.planeCount; ++i) {
        const PlaneDiff& d = diff.planes[i];
        char line[256];
        if (!d.hasFirst) {
            snprintf(line, sizeof line, "%c: identical\n", l.planes[i].name);
        } else {
            snprintf(line, sizeof line,
                     "%c: SSE %" PRIu64 ", max %u, differing %" PRIu64 " of %" PRIu64
                     ", PSNR %s dB, first at (%u, %u): A %u, B %u\n",
                     l.planes[i].name, d.sse, d.maxDiff, d.differing, d.samples,
                     PsnrText(d.sse, d.samples, peak).c_str(), d.firstX, d.firstY, d.firstA, d.firstB);
        }
        text += line;
    }
    return text;
}

std::string FirstDifferenceText(const FrameGeometry& l, uint32_t frame, const FrameDiff& diff) {
    // The first in the frame's byte order: the earliest plane that differs.
    for (uint32_t i = 0; i < diff.planeCount; ++i) {
        const PlaneDiff& d = diff.planes[i];
        if (d.hasFirst) {
            char line[160];
            snprintf(line, sizeof line, "Frame %u: first difference in %c at (%u, %u): A %u, B %u", frame,
                     l.planes[i].name, d.firstX, d.firstY, d.firstA, d.firstB);
            return line;
        }
    }
    return std::string();
}

// Whole frames of `file` after the sequence header.
