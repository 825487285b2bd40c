#include "comparison.h"

#include <stdlib.h>
#include <string.h>

#include "frame_access.h"

StartResult StartComparison(PlayerState& s, const char* path) {
    FrameSource file = s.files.open ? s.files.open(s.files.context, path) : FrameSource{};
    if (!SourceOpen(file)) {
        return COMPARE_CANNOT_OPEN;
    }
    // A comparison of no frames would have nothing to show or count.
    if (CountFrames(file, ReadingPlan(s)) == 0) {
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
    SequencePair pair = {s.openFile, s.comparison.fileB, ReadingPlan(s), SequenceFrameGeometry(s)};
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
