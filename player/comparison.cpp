#include "comparison.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "file_names.h"
#include "frame_access.h"

namespace {

// "352x288 4:2:0 10-bit"
void DescribeFrames(const StoredFramePlan& plan, char* text, size_t size) {
    char layout[32];
    DescribeLayout(plan.layout, layout, sizeof layout);
    snprintf(text, size, "%ux%u %s", static_cast<unsigned>(plan.width), static_cast<unsigned>(plan.height),
             layout);
}

// True when B's frames, w x h of `layout` as B's `origin` states them,
// compare with A's; otherwise messageText says why not.
bool Comparable(PlayerState& s, uint32_t w, uint32_t h, const SequenceLayout& layout, const char* origin) {
    const StoredFramePlan a = ReadingPlan(s);
    SequenceLayout both;
    if (w == a.width && h == a.height && CompareLayoutOf(a.layout, layout, &both)) {
        return true;
    }
    char stated[48], shown[48];
    DescribeFrames(StoredFramePlan{layout, w, h, 0, 0}, stated, sizeof stated);
    DescribeFrames(a, shown, sizeof shown);
    snprintf(s.messageText, sizeof s.messageText,
             "The %s of sequence B states %s frames; the open sequence has %s frames!", origin, stated, shown);
    return false;
}

// B as a Y4M file: its frame source, when its header states frames that
// compare with A's; otherwise `file` is closed and messageText says why.
StartResult OpenY4mB(PlayerState& s, FrameSource* file, Y4mResult read, const Y4mHeader& header) {
    if (read != Y4M_OK || !Comparable(s, header.width, header.height, header.layout, "Y4M header")) {
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
    // B's own layout, where its header or (when asked for) its name states
    // one; otherwise B is read as A is, now and after a setting changes.
    bool stated = false;
    SequenceLayout layoutB = {};
    Y4mHeader header;
    const Y4mResult read = ReadY4mHeader(file, &header, s.messageText, sizeof s.messageText);
    NameSettings named;
    if (read != Y4M_NOT_Y4M) {
        const StartResult opened = OpenY4mB(s, &file, read, header);
        if (opened != COMPARE_STARTED) {
            return opened;
        }
        stated = true;
        layoutB = header.layout;
    } else if (s.settingsFromName && ReadNameSettings(path, &named) && (named.hasLayout || named.hasSize)) {
        const StoredFramePlan a = ReadingPlan(s);
        stated = named.hasLayout;
        layoutB = named.hasLayout ? SequenceLayout{named.type, named.bits, named.packing} : a.layout;
        if (!Comparable(s, named.hasSize ? named.width : a.width, named.hasSize ? named.height : a.height,
                        layoutB, "name")) {
            CloseSource(&file);
            return COMPARE_REFUSED;
        }
    }
    ComparisonState probe = {};
    probe.fileB = file;
    probe.layoutB = layoutB;
    probe.layoutStated = stated;
    // A comparison of no frames would have nothing to show or count.
    if (CountFrames(file, PlanOfB(PairWith(s, probe))) == 0) {
        CloseSource(&file);
        return COMPARE_NO_FRAME;
    }
    uint8_t* a = static_cast<uint8_t*>(malloc(SAMPLE_BUFFER_SIZE));
    uint8_t* b = a ? static_cast<uint8_t*>(malloc(SAMPLE_BUFFER_SIZE)) : nullptr;
    // Frames of two layouts are read into a third buffer, then copied.
    uint8_t* scratch = b && stated ? static_cast<uint8_t*>(malloc(SAMPLE_BUFFER_SIZE)) : nullptr;
    if (!b || (stated && !scratch)) {
        free(a);
        free(b);
        CloseSource(&file);
        return COMPARE_NO_MEMORY;
    }
    EndComparison(s);
    ComparisonState& c = s.comparison;
    c.fileB = file;
    c.frameA = a;
    c.frameB = b;
    c.scratch = scratch;
    c.layoutB = layoutB;
    c.layoutStated = stated;
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

SequencePair PairWith(const PlayerState& s, const ComparisonState& c) {
    const StoredFramePlan plan = ReadingPlan(s);
    const uint64_t headerB = IsY4mSource(c.fileB) ? 0 : s.sequenceHeader;
    SequencePair pair = {s.openFile, c.fileB,     plan,      SequenceFrameGeometry(s),
                         headerB,    plan.layout, c.scratch, SAMPLE_BUFFER_SIZE};
    if (c.layoutStated) {
        pair.layoutB = c.layoutB;
    }
    if (PairMixed(pair)) {
        pair.geometry = ComparedGeometry(plan.layout, pair.layoutB, plan.width, plan.height);
    }
    return pair;
}

SequencePair ComparedPair(const PlayerState& s) { return PairWith(s, s.comparison); }

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
    if (PairMixed(pair)) {
        // Both frames are planes at the compared depth: unpacked for
        // display, or their difference.
        const SequenceLayout both = {stored.layout.type, layout.bitDepth, PACKING_PLANAR};
        const FramePlan shown = ComputeFramePlan(stored.width, stored.height, both.type);
        if (!FramePlanFitsBuffer(shown)) {
            return 0;
        }
        const uint8_t* frame = c.view == VIEW_B ? c.frameB : c.frameA;
        if (c.view == VIEW_DIFFERENCE) {
            BuildStoredDifference(layout, shown, c.frameA, c.frameB, c.gain, s.frameBuffer);
        } else if (IsExtendedLayout(both)) {
            UnpackFrame(both, stored.width, stored.height, frame, s.frameBuffer);
        } else {
            memcpy(s.frameBuffer, frame, shown.frameBytes);
        }
        return 1;
    }
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
