#include "comparison.h"

#include <inttypes.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "chroma_geometry.h"
#include "compare_kernels.h"
#include "display.h"
#include "file_positions.h"
#include "frame_access.h"
#include "player_state.h"

ComparisonState Comparison;
const char* const NoMoreDifferencesMessage = "No more differences.";

namespace {

uint32_t Saturate32(uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v); }

uint32_t SampleAt(const uint8_t* p, uint32_t sampleBytes) {
    return sampleBytes == 2 ? p[0] | uint32_t{p[1]} << 8 : p[0];
}

// The value of the sample at `p` in a frame of layout l.
uint32_t ValueAt(const CompareLayout& l, const uint8_t* p) { return SampleAt(p, l.sampleBytes) >> l.shift; }

// Planes whose samples lie side by side, as the kernels take them.
bool Contiguous(const CompareLayout& l, const ComparePlane& p) { return p.step == 1 && l.shift == 0; }

uint64_t PlaneSamples(const ComparePlane& p) { return uint64_t{p.width} * p.height; }

// Bytes of the interleaved pixels of an RGB or BGR layout.
size_t InterleavedBytes(const CompareLayout& l) {
    return static_cast<size_t>(PlaneSamples(l.planes[0]) * 3 * l.sampleBytes);
}

// RGB and BGR: three channels in each 3-sample pixel.
bool Interleaved(const CompareLayout& l) { return l.planes[0].step == 3; }

void NoteFirst(PlaneDiff* d, uint64_t index, uint32_t width, uint32_t a, uint32_t b) {
    d->hasFirst = true;
    d->firstX = static_cast<uint32_t>(index % width);
    d->firstY = static_cast<uint32_t>(index / width);
    d->firstA = a;
    d->firstB = b;
}

// A plane of its own: the kernels find the first difference, and the sums
// start there, since every sample before it is equal.
void ComparePlanar(const CompareLayout& l, const ComparePlane& p, const uint8_t* a, const uint8_t* b,
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
    NoteFirst(d, first, p.width, SampleAt(a + first * sb, sb), SampleAt(b + first * sb, sb));
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
void CompareChannel(const CompareLayout& l, const ComparePlane& p, size_t start, const uint8_t* a,
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
void CompareInterleaved8(const CompareLayout& l, size_t start, const uint8_t* a, const uint8_t* b,
                         FrameDiff* diff) {
    const size_t n = static_cast<size_t>(PlaneSamples(l.planes[0]));
    DiffSums sums[3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    ChosenCompareKernels().sums8x3(a + 3 * start, b + 3 * start, n - start, sums);
    for (uint32_t i = 0; i < 3; ++i) {
        const ComparePlane& p = l.planes[i];
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

// The difference picture of frames of an extended layout, from the stored
// values at full depth, in the 8-bit planar layout `shown` of their sampling.
void BuildStoredDifference(const CompareLayout& l, const FramePlan& shown, const uint8_t* a, const uint8_t* b,
                           uint32_t gain, uint8_t* out) {
    const uint32_t offsets[COMPARE_MAX_PLANES] = {0, shown.uOffset, shown.vOffset};
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        const ComparePlane& p = l.planes[i];
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

// Frame n of A and of B as stored, into buffers of `capacity` bytes each.
int ReadComparedPair(uint32_t n, uint8_t* a, uint8_t* b, uint32_t capacity) {
    return ReadStoredFrame(Player.openFile, n, a, capacity) && ReadStoredFrame(Comparison.fileB, n, b, capacity);
}

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

} // namespace

CompareLayout CompareLayoutFor(uint32_t type, uint32_t width, uint32_t height, uint32_t sampleBytes,
                               uint32_t bitDepth) {
    CompareLayout l;
    memset(&l, 0, sizeof l);
    l.sampleBytes = sampleBytes == 2 ? 2 : 1;
    l.bitDepth = l.sampleBytes == 1 ? 8 : bitDepth > 8 && bitDepth <= 16 ? bitDepth : 16;
    const uint32_t sb = l.sampleBytes;
    const FramePlan plan = ComputeFramePlan(width, height, type);
    l.frameBytes = Saturate32(uint64_t{plan.frameBytes} * sb);
    const ComparePlane luma = {0, width, height, 1, 'Y'};
    switch (type) {
    case TYPE_YUV444:
    case TYPE_YUV422:
    case TYPE_YUV411:
    case TYPE_YUV420: {
        const uint32_t cw = ChromaPlaneWidth(type, width), ch = ChromaPlaneHeight(type, height);
        l.planeCount = 3;
        l.planes[0] = luma;
        l.planes[1] = ComparePlane{Saturate32(uint64_t{plan.uOffset} * sb), cw, ch, 1, 'U'};
        l.planes[2] = ComparePlane{Saturate32(uint64_t{plan.vOffset} * sb), cw, ch, 1, 'V'};
        break;
    }
    case TYPE_RGB:
    case TYPE_BGR: {
        const uint32_t red = type == TYPE_RGB ? 0 : 2 * sb, blue = type == TYPE_RGB ? 2 * sb : 0;
        l.planeCount = 3;
        l.planes[0] = ComparePlane{red, width, height, 3, 'R'};
        l.planes[1] = ComparePlane{sb, width, height, 3, 'G'};
        l.planes[2] = ComparePlane{blue, width, height, 3, 'B'};
        break;
    }
    default:
        l.planeCount = 1;
        l.planes[0] = luma;
        break;
    }
    return l;
}

void CompareFrames(const CompareLayout& l, const uint8_t* a, const uint8_t* b, FrameDiff* diff) {
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

int FramesDiffer(const CompareLayout& l, const uint8_t* a, const uint8_t* b) {
    const CompareKernels& k = ChosenCompareKernels();
    if (Interleaved(l)) {
        const size_t bytes = InterleavedBytes(l);
        return k.firstDiff(a, b, bytes) != bytes;
    }
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        const ComparePlane& p = l.planes[i];
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

int ViewAfterTab(int view) { return view == VIEW_A ? VIEW_B : VIEW_A; }

int ViewAfterDifferenceKey(int view) { return view == VIEW_DIFFERENCE ? VIEW_A : VIEW_DIFFERENCE; }

uint32_t RaiseGain(uint32_t gain) { return gain >= 4 ? 16 : gain >= 1 ? 4 * gain : 1; }

uint32_t LowerGain(uint32_t gain) { return gain >= 16 ? 4 : 1; }

int BuildDifferenceFrame(const CompareLayout& l, const uint8_t* a, const uint8_t* b, uint32_t gain,
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

std::string FrameDiffText(const CompareLayout& l, const FrameDiff& diff) {
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

std::string FirstDifferenceText(const CompareLayout& l, uint32_t frame, const FrameDiff& diff) {
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
static uint64_t WholeFramesIn(FILE* file) {
    uint64_t size;
    const uint32_t frameBytes = StoredFrameBytes();
    if (frameBytes == 0 || !OpenFileSize(file, &size) || size < Player.sequenceHeader) {
        return 0;
    }
    return (size - Player.sequenceHeader) / frameBytes;
}

int StartComparison(const char* path) {
    FILE* file = path ? fopen(path, "rb") : nullptr;
    if (!file) {
        return COMPARE_CANNOT_OPEN;
    }
    // A comparison of no frames would have nothing to show or count.
    if (WholeFramesIn(file) == 0) {
        fclose(file);
        return COMPARE_NO_FRAME;
    }
    uint8_t* a = static_cast<uint8_t*>(malloc(SAMPLE_BUFFER_SIZE));
    uint8_t* b = a ? static_cast<uint8_t*>(malloc(SAMPLE_BUFFER_SIZE)) : nullptr;
    if (!b) {
        free(a);
        fclose(file);
        return COMPARE_NO_MEMORY;
    }
    EndComparison();
    Comparison.fileB = file;
    Comparison.frameA = a;
    Comparison.frameB = b;
    Comparison.view = VIEW_A;
    Comparison.gain = 1;
    return COMPARE_STARTED;
}

void EndComparison() {
    if (Comparison.fileB) {
        fclose(Comparison.fileB);
    }
    free(Comparison.frameA);
    free(Comparison.frameB);
    memset(&Comparison, 0, sizeof Comparison);
}

bool ComparisonActive() { return Comparison.fileB != nullptr; }

uint32_t ComparedFrameCount() {
    if (!ComparisonActive()) {
        return 0;
    }
    const uint64_t countB = WholeFramesIn(Comparison.fileB);
    const uint32_t countA = SequenceFrameCount();
    return countB < countA ? static_cast<uint32_t>(countB) : countA;
}

CompareLayout CompareLayoutForStored(const SequenceLayout& layout, uint32_t w, uint32_t h) {
    if (layout.packing == PACKING_PLANAR) {
        return CompareLayoutFor(layout.type, w, h, SampleBytes(layout), layout.bits);
    }
    const bool words = layout.packing == PACKING_P010;
    const uint32_t sb = words ? 2 : 1;
    CompareLayout l = CompareLayoutFor(layout.type, w, h, sb, words ? 10 : 8);
    l.shift = words ? 6 : 0;
    const uint32_t luma = Saturate32(uint64_t{w} * h);
    switch (layout.packing) {
    case PACKING_YUYV:
    case PACKING_UYVY: {
        const uint32_t uFirst = layout.packing == PACKING_UYVY ? 1 : 0;
        l.planes[0] = ComparePlane{uFirst, w, h, 2, 'Y'};
        l.planes[1] = ComparePlane{1 - uFirst, w / 2, h, 4, 'U'};
        l.planes[2] = ComparePlane{3 - uFirst, w / 2, h, 4, 'V'};
        break;
    }
    default: { // chroma pairs after the luma plane
        const uint32_t vFirst = layout.packing == PACKING_NV21 ? 1 : 0;
        l.planes[1] = ComparePlane{Saturate32((uint64_t{luma} + vFirst) * sb), w / 2, h / 2, 2, 'U'};
        l.planes[2] = ComparePlane{Saturate32((uint64_t{luma} + 1 - vFirst) * sb), w / 2, h / 2, 2, 'V'};
        break;
    }
    }
    return l;
}

CompareLayout SequenceCompareLayout() {
    const StoredFramePlan& stored = Player.storedPlan;
    if (IsExtendedLayout(stored.layout)) {
        return CompareLayoutForStored(stored.layout, stored.width, stored.height);
    }
    return CompareLayoutFor(Player.sequenceType, Player.frameWidth, Player.frameHeight, 1, 8);
}

int LoadComparedFrame(uint32_t n, FrameDiff* diff) {
    if (!ComparisonActive() || !Player.frameBuffer || !ReadComparedPair(n, Comparison.frameA, Comparison.frameB, SAMPLE_BUFFER_SIZE)) {
        return 0;
    }
    const CompareLayout layout = SequenceCompareLayout();
    CompareFrames(layout, Comparison.frameA, Comparison.frameB, diff);
    const StoredFramePlan& stored = Player.storedPlan;
    if (IsExtendedLayout(stored.layout)) {
        // The views of an extended layout: each frame unpacked for display,
        // or the difference of the stored values at full depth.
        const FramePlan shown = ComputeFramePlan(stored.width, stored.height, stored.layout.type);
        if (!FramePlanFitsBuffer(shown)) {
            return 0;
        }
        if (Comparison.view == VIEW_DIFFERENCE) {
            BuildStoredDifference(layout, shown, Comparison.frameA, Comparison.frameB, Comparison.gain,
                                  Player.frameBuffer);
        } else {
            UnpackFrame(stored.layout, stored.width, stored.height,
                        Comparison.view == VIEW_B ? Comparison.frameB : Comparison.frameA, Player.frameBuffer);
        }
        return 1;
    }
    const uint32_t bytes = Player.sequencePlan.frameBytes;
    switch (Comparison.view) {
    case VIEW_B: memcpy(Player.frameBuffer, Comparison.frameB, bytes); break;
    case VIEW_DIFFERENCE:
        BuildDifferenceFrame(layout, Comparison.frameA, Comparison.frameB, Comparison.gain, Player.frameBuffer);
        break;
    default: memcpy(Player.frameBuffer, Comparison.frameA, bytes); break;
    }
    return 1;
}

int FindDifferentFrame(uint32_t shown, bool forward, uint32_t* found, FrameDiff* diff) {
    const uint32_t count = ComparedFrameCount();
    const CompareLayout layout = SequenceCompareLayout();
    // From a frame past the end (a file shrank), backwards starts at the last one.
    int64_t n = forward ? int64_t{shown} + 1 : (shown < count ? int64_t{shown} : int64_t{count}) - 1;
    for (; n >= 0 && n < int64_t{count}; n += forward ? 1 : -1) {
        const uint32_t frame = static_cast<uint32_t>(n);
        if (!ReadComparedPair(frame, Comparison.frameA, Comparison.frameB, SAMPLE_BUFFER_SIZE)) {
            return SEARCH_READ_FAILED;
        }
        if (FramesDiffer(layout, Comparison.frameA, Comparison.frameB)) {
            CompareFrames(layout, Comparison.frameA, Comparison.frameB, diff);
            *found = frame;
            return SEARCH_FOUND;
        }
    }
    if (shown < count) {
        ReadComparedPair(shown, Comparison.frameA, Comparison.frameB, SAMPLE_BUFFER_SIZE);
    }
    return SEARCH_NONE;
}

CompareStatistics* StartStatistics() {
    if (!ComparisonActive() || StoredFrameBytes() > SAMPLE_BUFFER_SIZE) {
        return nullptr;
    }
    CompareStatistics* s = static_cast<CompareStatistics*>(calloc(1, sizeof(CompareStatistics)));
    if (!s) {
        return nullptr;
    }
    s->layout = SequenceCompareLayout();
    s->frameCount = ComparedFrameCount();
    // Frames are read as stored; the layout's planes may reach further when
    // a setting changed without new plans.
    s->bufferBytes = (s->layout.frameBytes > StoredFrameBytes() ? s->layout.frameBytes : StoredFrameBytes()) + 1;
    s->a = static_cast<uint8_t*>(malloc(s->bufferBytes));
    s->b = static_cast<uint8_t*>(malloc(s->bufferBytes));
    if (!s->a || !s->b) {
        FreeStatistics(s);
        return nullptr;
    }
    return s;
}

int StepStatistics(CompareStatistics* s) {
    if (s->done >= s->frameCount) {
        return STATS_DONE;
    }
    if (!ReadComparedPair(s->done, s->a, s->b, s->bufferBytes)) {
        return STATS_FAILED;
    }
    if (s->done == s->capacity) {
        const uint64_t wanted = s->capacity < 1024 ? 1024 : 2 * uint64_t{s->capacity};
        const uint32_t capacity = wanted < s->frameCount ? static_cast<uint32_t>(wanted) : s->frameCount;
        const uint64_t bytes = sizeof(FrameStatsRow) * uint64_t{capacity};
        void* rows = bytes <= SIZE_MAX ? realloc(s->rows, static_cast<size_t>(bytes)) : nullptr;
        if (!rows) {
            return STATS_FAILED;
        }
        s->rows = static_cast<FrameStatsRow*>(rows);
        s->capacity = capacity;
    }
    FrameDiff diff;
    CompareFrames(s->layout, s->a, s->b, &diff);
    FrameStatsRow& row = s->rows[s->done];
    memset(&row, 0, sizeof row);
    const uint32_t peak = PeakOf(s->layout.bitDepth);
    for (uint32_t i = 0; i < diff.planeCount; ++i) {
        const PlaneDiff& d = diff.planes[i];
        row.sse[i] = d.sse;
        row.differing += d.differing;
        row.maxDiff = d.maxDiff > row.maxDiff ? d.maxDiff : row.maxDiff;
        s->totalSse[i] += d.sse;
        double db;
        if (PsnrOf(d.sse, d.samples, peak, &db) == PSNR_VALUE) {
            s->psnrSum[i] += db;
            ++s->psnrFrames[i];
        }
    }
    if (row.differing != 0) {
        if (!s->anyDiffering) {
            s->firstDiffering = s->done;
        }
        s->anyDiffering = true;
        s->lastDiffering = s->done;
    }
    ++s->done;
    return s->done == s->frameCount ? STATS_DONE : STATS_MORE;
}

void FreeStatistics(CompareStatistics* s) {
    if (s) {
        free(s->rows);
        free(s->a);
        free(s->b);
        free(s);
    }
}

std::string StatisticsText(const CompareStatistics& s, char separator) {
    const CompareLayout& l = s.layout;
    const uint32_t peak = PeakOf(l.bitDepth);
    const std::string sep(1, separator);
    const char* const eol = "\r\n";
    std::string t = "Frame";
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        t += sep + l.planes[i].name + " PSNR (dB)";
    }
    t += sep + "Max difference" + sep + "Differing samples" + eol;
    for (uint32_t f = 0; f < s.done; ++f) {
        const FrameStatsRow& r = s.rows[f];
        t += Number(f);
        for (uint32_t i = 0; i < l.planeCount; ++i) {
            t += sep + PsnrText(r.sse[i], PlaneSamples(l.planes[i]), peak);
        }
        t += sep + Number(r.maxDiff) + sep + Number(r.differing) + eol;
    }
    t += eol;
    t += "Summary";
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        t += sep + l.planes[i].name;
    }
    t += eol;
    // Identical frames have no finite PSNR: the mean is over the frames in
    // which the plane differs. No frame compared says nothing about either.
    const std::string noFrames = "none";
    t += "Mean PSNR of differing frames (dB)";
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        t += sep + (s.psnrFrames[i] ? Decibels(s.psnrSum[i] / s.psnrFrames[i])
                    : s.done        ? std::string("identical")
                                    : noFrames);
    }
    t += eol;
    t += "PSNR of total squared error (dB)";
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        t += sep + (s.done ? PsnrText(s.totalSse[i], PlaneSamples(l.planes[i]) * s.done, peak) : noFrames);
    }
    t += eol;
    t += "Total squared error";
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        t += sep + Number(s.totalSse[i]);
    }
    t += eol;
    t += "First differing frame" + sep + (s.anyDiffering ? Number(s.firstDiffering) : "none") + eol;
    t += "Last differing frame" + sep + (s.anyDiffering ? Number(s.lastDiffering) : "none") + eol;
    t += "Frames compared" + sep + Number(s.done) + sep + "of" + sep + Number(s.frameCount) + eol;
    return t;
}

int SaveStatisticsCsv(const CompareStatistics& s, const char* path) {
    const std::string text = StatisticsText(s, ',');
    FILE* file = path ? fopen(path, "wb") : nullptr;
    if (!file) {
        return 0;
    }
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    if (fclose(file) != 0 || !written) {
        remove(path);
        return 0;
    }
    return 1;
}
