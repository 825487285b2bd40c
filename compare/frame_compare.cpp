#include "frame_compare.h"

#include <inttypes.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "compare_kernels.h"

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

// A channel of interleaved pixels, from pixel `start` (all before it are
// equal in every channel).
void CompareChannel(const FrameGeometry& l, const PlaneGeometry& p, size_t start, const uint8_t* a,
                    const uint8_t* b, PlaneDiff* d) {
    const uint32_t sb = l.sampleBytes;
    const size_t n = static_cast<size_t>(PlaneSamples(p));
    const size_t pitch = size_t{p.step} * sb;
    uint64_t sse = 0, differing = 0;
    uint32_t maxDiff = 0;
    for (size_t i = start; i < n; ++i) {
        const size_t at = p.offset + i * pitch;
        const uint32_t x = ValueAt(l, a + at), y = ValueAt(l, b + at);
        const uint32_t diff = x > y ? x - y : y - x;
        if (diff != 0) {
            if (!d->hasFirst) {
                NoteFirst(d, i, p.width, x, y);
            }
            sse += uint64_t{diff} * diff;
            ++differing;
            maxDiff = diff > maxDiff ? diff : maxDiff;
        }
    }
    d->sse = sse;
    d->differing = differing;
    d->maxDiff = maxDiff;
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
    const uint32_t offsets[MAX_PLANES] = {0, shown.uOffset, shown.vOffset};
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        const PlaneGeometry& p = l.planes[i];
        const size_t n = static_cast<size_t>(PlaneSamples(p));
        const size_t pitch = size_t{p.step} * l.sampleBytes;
        uint8_t* plane = out + offsets[i];
        for (size_t j = 0; j < n; ++j) {
            const int64_t d = int64_t{ValueAt(l, a + p.offset + j * pitch)} - ValueAt(l, b + p.offset + j * pitch);
            const int64_t v = 128 + int64_t{gain} * d;
            plane[j] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
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
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        PlaneDiff* d = &diff->planes[i];
        if (Contiguous(l, l.planes[i])) {
            ComparePlanar(l, l.planes[i], a, b, d);
        } else {
            CompareChannel(l, l.planes[i], Interleaved(l) ? start : 0, a, b, d);
        }
    }
}

int FramesDiffer(const FrameGeometry& l, const uint8_t* a, const uint8_t* b) {
    const CompareKernels& k = ChosenCompareKernels();
    if (Interleaved(l)) {
        const size_t bytes = InterleavedBytes(l);
        return k.firstDiff(a, b, bytes) != bytes;
    }
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        const PlaneGeometry& p = l.planes[i];
        const size_t n = static_cast<size_t>(PlaneSamples(p));
        if (Contiguous(l, p)) {
            const size_t bytes = n * l.sampleBytes;
            if (k.firstDiff(a + p.offset, b + p.offset, bytes) != bytes) {
                return 1;
            }
            continue;
        }
        const size_t pitch = size_t{p.step} * l.sampleBytes;
        for (size_t j = 0; j < n; ++j) {
            if (ValueAt(l, a + p.offset + j * pitch) != ValueAt(l, b + p.offset + j * pitch)) {
                return 1;
            }
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

uint32_t PeakOf(uint32_t bitDepth) {
    return bitDepth >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << bitDepth) - 1;
}

std::string PsnrText(uint64_t sse, uint64_t samples, uint32_t peak) {
    double db = 0;
    return PsnrOf(sse, samples, peak, &db) == PSNR_IDENTICAL ? "identical" : Decibels(db);
}

CompareView ViewAfterTab(CompareView view) { return view == VIEW_A ? VIEW_B : VIEW_A; }

CompareView ViewAfterDifferenceKey(CompareView view) { return view == VIEW_DIFFERENCE ? VIEW_A : VIEW_DIFFERENCE; }

uint32_t RaiseGain(uint32_t gain) { return gain >= 4 ? 16 : gain >= 1 ? 4 * gain : 1; }

uint32_t LowerGain(uint32_t gain) { return gain >= 16 ? 4 : 1; }

int BuildDifferenceFrame(const FrameGeometry& l, const uint8_t* a, const uint8_t* b, uint32_t gain,
                         uint8_t* out) {
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
