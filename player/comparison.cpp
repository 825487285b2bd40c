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

// Frame n of A and of B as stored, into buffers of `capacity` bytes each.
int ReadComparedPair(uint32_t n, uint8_t* a, uint8_t* b, uint32_t capacity) {
    return ReadStoredFrame(Player.openFile, n, a, capacity) && ReadStoredFrame(Comparison.fileB, n, b, capacity);
}

uint64_t WholeFramesIn(FILE* file) {
    uint64_t size;
    const uint32_t frameBytes = StoredFrameBytes();
    if (frameBytes == 0 || !OpenFileSize(file, &size) || size < Player.sequenceHeader) {
        return 0;
    }
    return (size - Player.sequenceHeader) / frameBytes;
}

} // namespace

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

FrameGeometry SequenceFrameGeometry() {
    const StoredFramePlan& stored = Player.storedPlan;
    if (IsExtendedLayout(stored.layout)) {
        return StoredFrameGeometry(stored.layout, stored.width, stored.height);
    }
    return FrameGeometryOf(Player.sequenceType, Player.frameWidth, Player.frameHeight, 1, 8);
}

int LoadComparedFrame(uint32_t n, FrameDiff* diff) {
    if (!ComparisonActive() || !Player.frameBuffer || !ReadComparedPair(n, Comparison.frameA, Comparison.frameB, SAMPLE_BUFFER_SIZE)) {
        return 0;
    }
    const FrameGeometry layout = SequenceFrameGeometry();
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
    const FrameGeometry layout = SequenceFrameGeometry();
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
    s->layout = SequenceFrameGeometry();
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
    const FrameGeometry& l = s.layout;
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
