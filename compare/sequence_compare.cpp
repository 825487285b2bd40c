#include "sequence_compare.h"

#include <stdlib.h>
#include <string.h>

#include "file_io.h"
#include "ssim.h"

const char* const NoMoreDifferencesMessage = "No more differences.";

bool PairMixed(const SequencePair& pair) { return !SameLayout(pair.plan.layout, pair.layoutB); }

StoredFramePlan PlanOfB(const SequencePair& pair) {
    StoredFramePlan plan = pair.plan;
    plan.header = pair.headerB;
    if (PairMixed(pair)) {
        plan.layout = pair.layoutB;
        plan.frameBytes = Saturate32(LayoutFrameBytes(pair.layoutB, plan.width, plan.height));
    }
    return plan;
}

FrameGeometry ComparedGeometry(const SequenceLayout& a, const SequenceLayout& b, uint32_t width, uint32_t height) {
    SequenceLayout both = a;
    CompareLayoutOf(a, b, &both);
    return StoredFrameGeometry(both, width, height);
}

namespace {

// Frame n of one side of a mixed pair, copied into the compared form.
int ReadCopied(const SequencePair& pair, const FrameSource& source, const StoredFramePlan& plan, uint32_t n,
               uint8_t* dst, uint32_t capacity) {
    const FrameGeometry& to = pair.geometry;
    if (SameLayout(plan.layout, SequenceLayout{plan.layout.type, to.bitDepth, PACKING_PLANAR})) {
        return ReadFrame(source, plan, n, dst, capacity);
    }
    if (to.frameBytes > capacity ||
        !ReadFrame(source, plan, n, pair.scratch, pair.scratch ? pair.scratchBytes : 0)) {
        return 0;
    }
    const FrameGeometry from = StoredFrameGeometry(plan.layout, plan.width, plan.height);
    CopySamples(from, pair.scratch, to, to.bitDepth - plan.layout.bits, dst);
    return 1;
}

} // namespace

namespace {

// A mixed pair whose samplings differ (A's settings changed since) has no
// frames to compare.
bool Comparable(const SequencePair& pair) {
    SequenceLayout both;
    return CompareLayoutOf(pair.plan.layout, pair.layoutB, &both);
}

} // namespace

uint32_t PairFrameCount(const SequencePair& pair) {
    if (!Comparable(pair)) {
        return 0;
    }
    const uint32_t a = CountFrames(pair.a, pair.plan), b = CountFrames(pair.b, PlanOfB(pair));
    return a < b ? a : b;
}

int ReadFramePair(const SequencePair& pair, uint32_t n, uint8_t* a, uint8_t* b, uint32_t capacity) {
    if (!Comparable(pair)) {
        return 0;
    }
    if (PairMixed(pair)) {
        return ReadCopied(pair, pair.a, pair.plan, n, a, capacity) &&
               ReadCopied(pair, pair.b, PlanOfB(pair), n, b, capacity);
    }
    return ReadFrame(pair.a, pair.plan, n, a, capacity) && ReadFrame(pair.b, PlanOfB(pair), n, b, capacity);
}

SearchResult FindDifferentFrame(const SequencePair& pair, uint32_t shown, bool forward, uint8_t* a,
                                uint8_t* b, uint32_t capacity, uint32_t* found, FrameDiff* diff) {
    const uint32_t count = PairFrameCount(pair);
    const FrameGeometry& layout = pair.geometry;
    // From a frame past the end (a file shrank), backwards starts at the last one.
    int64_t n = forward ? int64_t{shown} + 1 : (shown < count ? int64_t{shown} : int64_t{count}) - 1;
    for (; n >= 0 && n < int64_t{count}; n += forward ? 1 : -1) {
        const uint32_t frame = static_cast<uint32_t>(n);
        if (!ReadFramePair(pair, frame, a, b, capacity)) {
            return SEARCH_READ_FAILED;
        }
        if (FramesDiffer(layout, a, b)) {
            CompareFrames(layout, a, b, diff);
            *found = frame;
            return SEARCH_FOUND;
        }
    }
    if (shown < count) {
        ReadFramePair(pair, shown, a, b, capacity);
    }
    return SEARCH_NONE;
}

CompareStatistics* StartStatistics(const SequencePair& pair) {
    CompareStatistics* s = static_cast<CompareStatistics*>(calloc(1, sizeof(CompareStatistics)));
    if (!s) {
        return nullptr;
    }
    s->pair = pair;
    s->layout = pair.geometry;
    s->withSsim = true;
    s->frameCount = PairFrameCount(pair);
    // Frames are read as stored; the geometry's planes may reach further when
    // a setting changed without new plans.
    const uint32_t stored = pair.plan.frameBytes;
    s->bufferBytes = Saturate32(uint64_t{s->layout.frameBytes > stored ? s->layout.frameBytes : stored} + 1);
    s->a = static_cast<uint8_t*>(malloc(s->bufferBytes));
    s->b = static_cast<uint8_t*>(malloc(s->bufferBytes));
    if (PairMixed(pair)) {
        // A scratch frame of its own, so the frames on screen stay.
        const uint32_t b = PlanOfB(pair).frameBytes;
        s->pair.scratchBytes = stored > b ? stored : b;
        s->scratch = static_cast<uint8_t*>(malloc(s->pair.scratchBytes));
        s->pair.scratch = s->scratch;
    }
    if (!s->a || !s->b || (PairMixed(pair) && !s->scratch)) {
        FreeStatistics(s);
        return nullptr;
    }
    return s;
}

int MeasureFrame(const SequencePair& pair, bool withSsim, uint32_t n, uint8_t* a, uint8_t* b,
                 uint32_t capacity, FrameStatsRow* row) {
    memset(row, 0, sizeof *row);
    if (!ReadFramePair(pair, n, a, b, capacity)) {
        return 0;
    }
    FrameDiff diff;
    CompareFrames(pair.geometry, a, b, &diff);
    for (uint32_t i = 0; i < diff.planeCount; ++i) {
        const PlaneDiff& d = diff.planes[i];
        row->sse[i] = d.sse;
        row->differing += d.differing;
        row->maxDiff = d.maxDiff > row->maxDiff ? d.maxDiff : row->maxDiff;
    }
    if (withSsim) {
        FrameSsim ssim;
        const int result = SsimOfFrames(pair.geometry, a, b, &ssim);
        if (result == SSIM_NO_MEMORY) {
            return 0;
        }
        row->hasSsim = result == SSIM_VALUE;
        for (uint32_t i = 0; row->hasSsim && i < ssim.planeCount; ++i) {
            row->ssim[i] = ssim.planes[i];
        }
        row->ssimAll = row->hasSsim ? ssim.all : 0;
    }
    return 1;
}

StepResult AddStatisticsRow(CompareStatistics* s, const FrameStatsRow& row) {
    if (s->done >= s->frameCount) {
        return STATS_DONE;
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
    s->rows[s->done] = row;
    const uint32_t peak = PeakOf(s->layout.bitDepth);
    for (uint32_t i = 0; i < s->layout.planeCount; ++i) {
        s->totalSse[i] += row.sse[i];
        double db;
        if (PsnrOf(row.sse[i], PlaneSamples(s->layout.planes[i]), peak, &db) == PSNR_VALUE) {
            s->psnrSum[i] += db;
            ++s->psnrFrames[i];
        }
        s->ssimSum[i] += row.hasSsim ? row.ssim[i] : 0;
    }
    if (row.hasSsim) {
        s->ssimAllSum += row.ssimAll;
        ++s->ssimFrames;
    }
    const uint32_t frame = s->first + s->done;
    if (row.differing != 0) {
        if (!s->anyDiffering) {
            s->firstDiffering = frame;
        }
        s->anyDiffering = true;
        s->lastDiffering = frame;
    }
    ++s->done;
    return s->done == s->frameCount ? STATS_DONE : STATS_MORE;
}

StepResult StepStatistics(CompareStatistics* s) {
    if (s->done >= s->frameCount) {
        return STATS_DONE;
    }
    FrameStatsRow row;
    if (!MeasureFrame(s->pair, s->withSsim, s->first + s->done, s->a, s->b, s->bufferBytes, &row)) {
        return STATS_FAILED;
    }
    return AddStatisticsRow(s, row);
}

void LimitStatistics(CompareStatistics* s, uint32_t first, uint32_t count) {
    const uint32_t total = PairFrameCount(s->pair);
    s->first = first < total ? first : total;
    s->frameCount = count < total - s->first ? count : total - s->first;
}

void FreeStatistics(CompareStatistics* s) {
    if (s) {
        free(s->rows);
        free(s->a);
        free(s->b);
        free(s->scratch);
        free(s);
    }
}

namespace {

// A frame's SSIM cells, per plane and of all, with the dB of all: six
// decimals as ffmpeg prints them, "nan" where a plane has no 8 x 8 window.
void AddSsimCells(uint32_t planes, bool has, const double* ssim, double all, StatisticsRow* row) {
    for (uint32_t i = 0; i < planes; ++i) {
        row->push_back(has ? SsimValueText(ssim[i]) : "nan");
    }
    double db = 0;
    row->push_back(has ? SsimValueText(all) : "nan");
    row->push_back(!has ? "nan" : SsimDecibels(all, &db) == SSIM_DB_INFINITE ? "inf" : SsimValueText(db));
}

} // namespace

StatisticsTable StatisticsCells(const CompareStatistics& s) {
    const FrameGeometry& l = s.layout;
    const uint32_t peak = PeakOf(l.bitDepth);
    StatisticsTable t;
    StatisticsRow row = {"Frame"};
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        row.push_back(std::string(1, l.planes[i].name) + " PSNR (dB)");
    }
    if (s.withSsim) {
        for (uint32_t i = 0; i < l.planeCount; ++i) {
            row.push_back(std::string(1, l.planes[i].name) + " SSIM");
        }
        row.push_back("All SSIM");
        row.push_back("All SSIM (dB)");
    }
    row.push_back("Max difference");
    row.push_back("Differing samples");
    t.frames.reserve(size_t{s.done} + 1);
    t.frames.push_back(row);
    for (uint32_t f = 0; f < s.done; ++f) {
        const FrameStatsRow& r = s.rows[f];
        row.assign(1, Number(uint64_t{s.first} + f));
        for (uint32_t i = 0; i < l.planeCount; ++i) {
            row.push_back(PsnrText(r.sse[i], PlaneSamples(l.planes[i]), peak));
        }
        if (s.withSsim) {
            AddSsimCells(l.planeCount, r.hasSsim, r.ssim, r.ssimAll, &row);
        }
        row.push_back(Number(r.maxDiff));
        row.push_back(Number(r.differing));
        t.frames.push_back(row);
    }
    const auto perPlane = [&](const char* label, const auto& cell) {
        row.assign(1, label);
        for (uint32_t i = 0; i < l.planeCount; ++i) {
            row.push_back(cell(i));
        }
        t.summary.push_back(row);
    };
    perPlane("Summary", [&](uint32_t i) { return std::string(1, l.planes[i].name); });
    // Identical frames have no finite PSNR: the mean is over the frames in
    // which the plane differs. No frame compared says nothing about either.
    const std::string noFrames = "none";
    perPlane("Mean PSNR of differing frames (dB)", [&](uint32_t i) {
        return s.psnrFrames[i] ? Decibels(s.psnrSum[i] / s.psnrFrames[i])
               : s.done        ? std::string("identical")
                               : noFrames;
    });
    perPlane("PSNR of total squared error (dB)", [&](uint32_t i) {
        return s.done ? PsnrText(s.totalSse[i], PlaneSamples(l.planes[i]) * s.done, peak) : noFrames;
    });
    perPlane("Total squared error", [&](uint32_t i) { return Number(s.totalSse[i]); });
    if (s.withSsim) {
        // As ffmpeg's final line: the mean of the frames' values, the dB of
        // that mean.
        double mean[MAX_PLANES] = {0, 0, 0};
        const uint32_t n = s.ssimFrames;
        for (uint32_t i = 0; i < l.planeCount && n; ++i) {
            mean[i] = s.ssimSum[i] / n;
        }
        row.assign(1, "Mean SSIM");
        if (s.done) {
            AddSsimCells(l.planeCount, n == s.done, mean, n ? s.ssimAllSum / n : 0, &row);
        }
        t.summary.push_back(row);
    }
    t.summary.push_back({"First differing frame", s.anyDiffering ? Number(s.firstDiffering) : noFrames});
    t.summary.push_back({"Last differing frame", s.anyDiffering ? Number(s.lastDiffering) : noFrames});
    t.summary.push_back({"Frames compared", Number(s.done), "of", Number(s.frameCount)});
    if (PairMixed(s.pair)) {
        t.summary.push_back(DepthNoteCells(s.pair));
    }
    return t;
}

StatisticsRow DepthNoteCells(const SequencePair& pair) {
    const uint32_t depth = pair.geometry.bitDepth;
    StatisticsRow row = {"Compared at", Number(depth) + " bits"};
    const struct {
        const char* name;
        uint32_t bits;
    } sides[] = {{"A", pair.plan.layout.bits}, {"B", pair.layoutB.bits}};
    for (const auto& side : sides) {
        if (side.bits < depth) {
            row.push_back(std::string(side.name) + " shifted left by " + Number(depth - side.bits));
        }
    }
    return row;
}

namespace {

void JoinRows(const std::vector<StatisticsRow>& rows, char separator, std::string* text) {
    for (const StatisticsRow& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            if (c) {
                *text += separator;
            }
            *text += row[c];
        }
        *text += "\r\n";
    }
}

} // namespace

std::string StatisticsText(const CompareStatistics& s, char separator) {
    const StatisticsTable t = StatisticsCells(s);
    std::string text;
    JoinRows(t.frames, separator, &text);
    text += "\r\n";
    JoinRows(t.summary, separator, &text);
    return text;
}

int SaveStatisticsCsv(const CompareStatistics& s, const char* path) {
    const std::string text = StatisticsText(s, ',');
    return WriteWholeFile(path, text.data(), text.size()) == WRITE_DONE;
}
