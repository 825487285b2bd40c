#include "comparison.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "frame_access.h"

namespace {

// "352x288 4:2:0 10-bit"
void DescribeFrames(const StoredFramePlan& plan, char* text, size_t size) {
    char layout[32];
    DescribeLayout(plan.layout, layout, sizeof layout);
    snprintf(text, size, "%ux%u %s", static_cast<unsigned>(plan.width), static_cast<unsigned>(plan.height),
             layout);
}

// B as a Y4M file: its frame source when its header states the frames A is
// read with; otherwise `file` is closed and messageText says why.
StartResult OpenY4mB(PlayerState& s, FrameSource* file, Y4mResult read, const Y4mHeader& header) {
    if (read != Y4M_OK) {
        CloseSource(file);
        return COMPARE_REFUSED;
    }
    const StoredFramePlan a = ReadingPlan(s);
    const StoredFramePlan b = {header.layout, header.width, header.height, header.frameBytes, 0};
    if (b.width != a.width || b.height != a.height || b.layout.type != a.layout.type ||
        b.layout.bits != a.layout.bits || b.layout.packing != a.layout.packing) {
        char stated[48], shown[48];
        DescribeFrames(b, stated, sizeof stated);
        DescribeFrames(a, shown, sizeof shown);
        snprintf(s.messageText, sizeof s.messageText,
                 "The Y4M header of sequence B states %s frames; the open sequence has %s frames!", stated,
                 shown);
        CloseSource(file);
        return COMPARE_REFUSED;
    }
    *file = Y4mFrameSource(*file, header);
    if (!SourceOpen(*file)) {
        return COMPARE_NO_MEMORY;
    }
    // The first frame is found now when the lines must be indexed, so a file
    // without one is refused; the rest are indexed before they are shown.
    if (Y4mIndexStep(*file, 1) == Y4M_INDEX_NO_MEMORY) {
        CloseSource(file);
        return COMPARE_NO_MEMORY;
    }
    return COMPARE_STARTED;
}

} // namespace

StartResult StartComparison(PlayerState& s, const char* path) {
    FrameSource file = s.files.open ? s.files.open(s.files.context, path) : FrameSource{};
    if (!SourceOpen(file)) {
        return COMPARE_CANNOT_OPEN;
    }
    Y4mHeader header;
    const Y4mResult read = ReadY4mHeader(file, &header, s.messageText, sizeof s.messageText);
    if (read != Y4M_NOT_Y4M) {
        const StartResult opened = OpenY4mB(s, &file, read, header);
        if (opened != COMPARE_STARTED) {
            return opened;
        }
    }
    StoredFramePlan planB = ReadingPlan(s);
    planB.header = IsY4mSource(file) ? 0 : s.sequenceHeader;
    // A comparison of no frames would have nothing to show or count.
    if (CountFrames(file, planB) == 0) {
        CloseSource(&file);
        return COMPARE_NO_FRAME;
    }
    uint8_t* a = static_cast<uint8_t*>(malloc(SAMPLE_BUFFER_SIZE));
    uint8_t* b = a ? static_cast<uint8_t*>(malloc(SAMPLE_BUFFER_SIZE)) : nullptr;
    if (!b) {
        free(a);
        CloseSource(&file);
        return COMPARE_NO_MEMORY;
    }
    EndComparison(s);
    ComparisonState& c = s.comparison;
    c.fileB = file;
    c.frameA = a;
    c.frameB = b;
    c.view = VIEW_A;
    c.gain = 1;
    return COMPARE_STARTED;
}

bool ComparisonActive(const PlayerState& s) { return SourceOpen(s.comparison.fileB); }

FrameGeometry SequenceFrameGeometry(const PlayerState& s) {
    const StoredFramePlan& stored = s.storedPlan;
    if (IsExtendedLayout(stored.layout)) {
        return StoredFrameGeometry(stored.layout, stored.width, stored.height);
    }
    return FrameGeometryOf(s.sequenceType, s.frameWidth, s.frameHeight, 1, 8);
}

SequencePair ComparedPair(const PlayerState& s) {
    const uint64_t headerB = IsY4mSource(s.comparison.fileB) ? 0 : s.sequenceHeader;
    SequencePair pair = {s.openFile, s.comparison.fileB, ReadingPlan(s), SequenceFrameGeometry(s), headerB};
    return pair;
}

uint32_t ComparedFrameCount(const PlayerState& s) {
    return ComparisonActive(s) ? PairFrameCount(ComparedPair(s)) : 0;
}

int LoadComparedFrame(PlayerState& s, uint32_t n, FrameDiff* diff) {
    ComparisonState& c = s.comparison;
    const SequencePair pair = ComparedPair(s);
    if (!ComparisonActive(s) || !s.frameBuffer ||
        !ReadFramePair(pair, n, c.frameA, c.frameB, SAMPLE_BUFFER_SIZE)) {
        return 0;
    }
    const FrameGeometry& layout = pair.geometry;
    CompareFrames(layout, c.frameA, c.frameB, diff);
    const StoredFramePlan& stored = s.storedPlan;
    if (IsExtendedLayout(stored.layout)) {
        // The views of an extended layout: each frame unpacked for display,
        // or the difference of the stored values at full depth.
        const FramePlan shown = ComputeFramePlan(stored.width, stored.height, stored.layout.type);
        if (!FramePlanFitsBuffer(shown)) {
            return 0;
        }
        if (c.view == VIEW_DIFFERENCE) {
            BuildStoredDifference(layout, shown, c.frameA, c.frameB, c.gain, s.frameBuffer);
        } else {
            UnpackFrame(stored.layout, stored.width, stored.height, c.view == VIEW_B ? c.frameB : c.frameA,
                        s.frameBuffer);
        }
        return 1;
    }
    const uint32_t bytes = s.sequencePlan.frameBytes;
    switch (c.view) {
    case VIEW_B: memcpy(s.frameBuffer, c.frameB, bytes); break;
    case VIEW_DIFFERENCE: BuildDifferenceFrame(layout, c.frameA, c.frameB, c.gain, s.frameBuffer); break;
    default: memcpy(s.frameBuffer, c.frameA, bytes); break;
    }
    return 1;
}

SearchResult FindComparedDifference(PlayerState& s, uint32_t shown, bool forward, uint32_t* found,
                                    FrameDiff* diff) {
    if (!ComparisonActive(s)) {
        return SEARCH_NONE;
    }
    return FindDifferentFrame(ComparedPair(s), shown, forward, s.comparison.frameA, s.comparison.frameB,
                              SAMPLE_BUFFER_SIZE, found, diff);
}

CompareStatistics* StartComparisonStatistics(const PlayerState& s) {
    if (!ComparisonActive(s) || StoredFrameBytes(s) > SAMPLE_BUFFER_SIZE) {
        return nullptr;
    }
    return StartStatistics(ComparedPair(s));
}
