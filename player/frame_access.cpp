#include "frame_access.h"

#include "player_state.h"
#include "sequence_layout.h"

namespace {

// Reads the plan's frameBytes from `position` into frameBuffer; non-zero when
// all of them arrived. A plan that does not fit the buffer reads nothing.
int ReadPlannedBytes(PlayerState& s, uint64_t position, const FramePlan& plan) {
    return s.frameBuffer && FramePlanFitsBuffer(plan) &&
           ReadSourceBytes(s.openFile, position, s.frameBuffer, plan.frameBytes);
}

bool ExtendedFrames(const PlayerState& s) { return IsExtendedLayout(s.storedPlan.layout); }

} // namespace

uint32_t StoredFrameBytes(const PlayerState& s) {
    return ExtendedFrames(s) ? s.storedPlan.frameBytes : s.sequencePlan.frameBytes;
}

StoredFramePlan ReadingPlan(const PlayerState& s) {
    StoredFramePlan plan = s.storedPlan;
    plan.frameBytes = StoredFrameBytes(s);
    plan.header = IsY4mSource(s.openFile) ? 0 : s.sequenceHeader;
    return plan;
}

const uint8_t* StoredFrame(const PlayerState& s) {
    return ExtendedFrames(s) ? s.sampleBuffer : s.frameBuffer;
}

uint64_t SequenceFramePosition(const PlayerState& s, uint32_t n) { return FramePosition(ReadingPlan(s), n); }

uint32_t SequenceFrameCount(const PlayerState& s) { return CountFrames(s.openFile, ReadingPlan(s)); }

int ReadSequenceFrame(PlayerState& s, uint32_t n) {
    if (!ExtendedFrames(s)) {
        return ReadPlannedBytes(s, SequenceFramePosition(s, n), s.sequencePlan);
    }
    // An extended layout: read as stored, then unpacked into frameBuffer.
    const StoredFramePlan& stored = s.storedPlan;
    const FramePlan shown = ComputeFramePlan(stored.width, stored.height, stored.layout.type);
    if (!SourceOpen(s.openFile) || !s.frameBuffer || !FramePlanFitsBuffer(shown)) {
        return 0;
    }
    if (!s.sampleBuffer) {
        s.sampleBuffer = static_cast<uint8_t*>(PlayerBufferAllocator(SAMPLE_BUFFER_SIZE));
    }
    if (!ReadFrame(s.openFile, ReadingPlan(s), n, s.sampleBuffer, s.sampleBuffer ? SAMPLE_BUFFER_SIZE : 0)) {
        return 0;
    }
    UnpackFrame(stored.layout, stored.width, stored.height, s.sampleBuffer, s.frameBuffer);
    return 1;
}

int SampleBufferMissing(const PlayerState& s) { return ExtendedFrames(s) && !s.sampleBuffer; }

bool FramesNeedIndex(const PlayerState& s) {
    return Y4mSourceStatus(s.openFile).needsIndex || Y4mSourceStatus(s.comparison.fileB).needsIndex;
}

Y4mIndexResult IndexFrames(PlayerState& s, uint32_t count) {
    const FrameSource& first = Y4mSourceStatus(s.openFile).needsIndex ? s.openFile : s.comparison.fileB;
    const Y4mIndexResult result = Y4mIndexStep(first, count);
    return result == Y4M_INDEX_DONE && FramesNeedIndex(s) ? Y4M_INDEX_MORE : result;
}

void IndexProgress(const PlayerState& s, uint64_t* scanned, uint64_t* total) {
    *scanned = 0;
    *total = 0;
    for (const FrameSource* source : {&s.openFile, &s.comparison.fileB}) {
        const Y4mStatus status = Y4mSourceStatus(*source);
        if (status.isY4m) {
            *scanned += status.scanned;
            *total += status.fileBytes;
        }
    }
}

int ReadRawImage(PlayerState& s) { return ReadPlannedBytes(s, s.imageHeader, s.imagePlan); }

int ReadWholeImageFile(PlayerState& s, uint32_t* byteCount) {
    uint32_t count = 0;
    int result = WHOLE_FILE_FAILED;
    uint64_t size;
    if (SourceOpen(s.openFile) && s.frameBuffer && s.openFile.size(s.openFile.context, &size)) {
        if (size > FRAME_BUFFER_SIZE) {
            result = WHOLE_FILE_TOO_LARGE;
        } else {
            count = static_cast<uint32_t>(s.openFile.read(s.openFile.context, 0, s.frameBuffer,
                                                          static_cast<size_t>(size)));
            result = count == size ? WHOLE_FILE_READ : WHOLE_FILE_FAILED;
        }
    }
    if (byteCount) {
        *byteCount = count;
    }
    return result;
}
