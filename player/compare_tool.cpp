#include "compare_tool.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "command_line.h"
#include "comparison.h"
#include "frame_access.h"
#include "playback.h"
#include "player_state.h"

namespace {

// The file as the player reads it: a Y4M file through its frame source,
// its frame lines indexed; otherwise the file itself. Each thread opens its
// own, so reads never share a file position.
FrameSource OpenForThread(const char* path) {
    FrameSource file = OpenFileSource(path);
    Y4mHeader header;
    if (ReadY4mHeader(file, &header, nullptr, 0) != Y4M_OK) {
        return file;
    }
    FrameSource frames = Y4mFrameSource(file, header);
    while (Y4mIndexStep(frames, 1u << 16) == Y4M_INDEX_MORE) {
    }
    return frames;
}

// What the player's rules say of an event: trouble when they give a
// message (named with the file), after indexing when they ask for it.
bool Carried(PlayerState& s, WindowActions a, const char* which, FILE* err) {
    if (a.indexFrames) {
        while (IndexFrames(s, 1u << 16) == Y4M_INDEX_MORE) {
        }
        a = FramesIndexed(s, INDEX_FINISHED);
        if (a.message) { // a damaged frame line: the frames before it count
            fprintf(err, "vorlex-compare: %s: %s\n", which, a.message);
        }
        return true;
    }
    if (a.message) {
        fprintf(err, "vorlex-compare: %s: %s\n", which, a.message);
        return false;
    }
    return true;
}

struct Worker {
    SequencePair pair;
    std::vector<uint8_t> a, b, scratch;
};

// Measures frames first .. first + count - 1 on `threads` threads, each
// with its own sources and buffers; ok[i] says whether frame first + i was
// read.
void MeasureAll(const SequencePair& shared, const char* pathA, const char* pathB, bool withSsim,
                uint32_t first, uint32_t count, unsigned threads, uint32_t bufferBytes,
                std::vector<FrameStatsRow>* rows, std::vector<char>* ok) {
    std::atomic<uint32_t> next(0);
    std::vector<Worker> workers(threads);
    auto work = [&](Worker* w) {
        for (uint32_t i; (i = next.fetch_add(1)) < count;) {
            (*ok)[i] = static_cast<char>(MeasureFrame(w->pair, withSsim, first + i, w->a.data(), w->b.data(),
                                                      bufferBytes, &(*rows)[i]));
        }
    };
    std::vector<std::thread> running;
    for (Worker& w : workers) {
        w.pair = shared;
        w.pair.a = OpenForThread(pathA);
        w.pair.b = OpenForThread(pathB);
        w.a.resize(bufferBytes);
        w.b.resize(bufferBytes);
        w.scratch.resize(shared.scratch ? shared.scratchBytes : 0);
        w.pair.scratch = shared.scratch ? w.scratch.data() : nullptr;
    }
    for (unsigned t = 1; t < threads; ++t) {
        running.emplace_back(work, &workers[t]);
    }
    work(&workers[0]);
    for (std::thread& t : running) {
        t.join();
    }
    for (Worker& w : workers) {
        CloseSource(&w.pair.a);
        CloseSource(&w.pair.b);
    }
}

// "identical: 60 frames" or "differ: 12 of 60 frames, first 3, last 58;
// PSNR of total: Y 43.21 dB, U 50.02 dB, V identical; mean SSIM 0.998765".
void Summarize(const CompareStatistics& st, FILE* err) {
    if (!st.anyDiffering) {
        fprintf(err, "identical: %u frames\n", static_cast<unsigned>(st.done));
        return;
    }
    uint32_t differing = 0;
    for (uint32_t i = 0; i < st.done; ++i) {
        differing += st.rows[i].differing != 0;
    }
    std::string line = "differ: " + Number(differing) + " of " + Number(st.done) + " frames, first " +
                       Number(st.firstDiffering) + ", last " + Number(st.lastDiffering) + "; PSNR of total:";
    const uint32_t peak = PeakOf(st.layout.bitDepth);
    for (uint32_t i = 0; i < st.layout.planeCount; ++i) {
        const std::string psnr = PsnrText(st.totalSse[i], PlaneSamples(st.layout.planes[i]) * st.done, peak);
        line += std::string(i ? ", " : " ") + st.layout.planes[i].name + " " + psnr +
                (st.totalSse[i] ? " dB" : "");
    }
    if (st.withSsim && st.ssimFrames == st.done && st.done) {
        line += "; mean SSIM " + SsimValueText(st.ssimAllSum / st.done);
    }
    fprintf(err, "%s\n", line.c_str());
}

} // namespace

int RunCompareTool(int argc, const char* const* argv, FILE* out, FILE* err, unsigned threads) {
    CommandLine line;
    static char message[2048];
    if (!ParseCommandLine(argc, argv, &line, message, sizeof message, COMPARE_COMMAND_LINE)) {
        fprintf(err, "vorlex-compare: %s\n", message);
        return COMPARE_TROUBLE;
    }
    PlayerState s{};
    if (!InitPlayerState(s)) {
        fprintf(err, "vorlex-compare: not enough memory\n");
        return COMPARE_TROUBLE;
    }
    int status = COMPARE_TROUBLE;
    CompareStatistics* st = nullptr;
    ApplyCommandLine(s, line);
    if (Carried(s, OpenSequence(s, line.files[0]), line.files[0], err) &&
        Carried(s, CompareWithSequence(s, line.files[1]), line.files[1], err) &&
        (st = StartComparisonStatistics(s)) != nullptr) {
        st->withSsim = line.ssim;
        if (line.hasFrames) {
            LimitStatistics(st, line.first, line.count);
        }
        if (st->frameCount == 0) {
            fprintf(err, "vorlex-compare: no frame from frame %u: the sequences have %u\n",
                    static_cast<unsigned>(line.first), static_cast<unsigned>(PairFrameCount(st->pair)));
            FreeStatistics(st);
            ReleasePlayerState(s);
            return COMPARE_TROUBLE;
        }
        std::vector<FrameStatsRow> rows(st->frameCount);
        std::vector<char> ok(st->frameCount, 0);
        MeasureAll(st->pair, line.files[0], line.files[1], line.ssim, st->first, st->frameCount,
                   threads ? threads : 1, st->bufferBytes, &rows, &ok);
        bool read = true;
        for (uint32_t i = 0; i < st->frameCount && read; ++i) {
            read = ok[i] && AddStatisticsRow(st, rows[i]) != STATS_FAILED;
        }
        if (!read) {
            fprintf(err, "vorlex-compare: frame %u could not be read; the table ends there\n",
                    static_cast<unsigned>(st->first + st->done));
        }
        const std::string csv = StatisticsText(*st, ',');
        if (line.output ? SaveStatisticsCsv(*st, line.output)
                        : fwrite(csv.data(), 1, csv.size(), out) == csv.size() && fflush(out) == 0) {
            Summarize(*st, err);
            status = !read ? COMPARE_TROUBLE : st->anyDiffering ? COMPARE_DIFFERENT : COMPARE_IDENTICAL;
        } else {
            fprintf(err, "vorlex-compare: %s: cannot write the table\n", line.output ? line.output : "output");
        }
    } else if (ComparisonActive(s)) {
        fprintf(err, "vorlex-compare: not enough memory\n");
    }
    FreeStatistics(st);
    ReleasePlayerState(s);
    return status;
}
