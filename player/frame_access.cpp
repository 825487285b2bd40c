#include "frame_access.h"

#include <stdio.h>

#include "file_positions.h"
#include "player_state.h"
#include "sequence_layout.h"

namespace {

// Reads the plan's frameBytes from `position` into frameBuffer; non-zero when
// all of them arrived. A plan that does not fit the buffer reads nothing.
int ReadPlannedBytes(uint64_t position, const FramePlan& plan) {
    if (!Player.openFile || !Player.frameBuffer || !FramePlanFitsBuffer(plan)) {
        return 0;
    }
    if (!SeekFromStart(Player.openFile, position)) {
        return 0;
    }
    return fread(Player.frameBuffer, 1, plan.frameBytes, Player.openFile) == plan.frameBytes;
}

} // namespace

static bool ExtendedFrames() { return IsExtendedLayout(Player.storedPlan.layout); }

uint32_t StoredFrameBytes() {
    return ExtendedFrames() ? Player.storedPlan.frameBytes : Player.sequencePlan.frameBytes;
}

const uint8_t* StoredFrame() { return ExtendedFrames() ? Player.sampleBuffer : Player.frameBuffer; }

uint64_t SequenceFramePosition(uint32_t n) {
    // At most (2^32 - 1) + (2^32 - 1)^2 < 2^64: never wraps.
    return uint64_t{Player.sequenceHeader} + uint64_t{n} * StoredFrameBytes();
}

uint32_t SequenceFrameCount() {
    uint64_t size;
    const uint32_t frameBytes = StoredFrameBytes();
    if (!Player.openFile || frameBytes == 0 || !OpenFileSize(Player.openFile, &size) ||
        size < Player.sequenceHeader) {
        return 0;
    }
    const uint64_t count = (size - Player.sequenceHeader) / frameBytes;
    return count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
}

int ReadStoredFrame(FILE* file, uint32_t n, uint8_t* dst, uint32_t capacity) {
    const uint32_t bytes = StoredFrameBytes();
    if (!file || !dst || bytes > capacity || !SeekFromStart(file, SequenceFramePosition(n))) {
        return 0;
    }
    return fread(dst, 1, bytes, file) == bytes;
}

int ReadSequenceFrame(uint32_t n) {
    if (!ExtendedFrames()) {
        return ReadPlannedBytes(SequenceFramePosition(n), Player.sequencePlan);
    }
    // An extended layout: read as stored, then unpacked into frameBuffer.
    const StoredFramePlan& stored = Player.storedPlan;
    const FramePlan shown = ComputeFramePlan(stored.width, stored.height, stored.layout.type);
    if (!Player.openFile || !Player.frameBuffer || !FramePlanFitsBuffer(shown)) {
        return 0;
    }
    if (!Player.sampleBuffer) {
        Player.sampleBuffer = static_cast<uint8_t*>(PlayerBufferAllocator(SAMPLE_BUFFER_SIZE));
    }
    if (!ReadStoredFrame(Player.openFile, n, Player.sampleBuffer, SAMPLE_BUFFER_SIZE)) {
        return 0;
    }
    UnpackFrame(stored.layout, stored.width, stored.height, Player.sampleBuffer, Player.frameBuffer);
    return 1;
}

int SampleBufferMissing() {
    return ExtendedFrames() && !Player.sampleBuffer;
}

int ReadRawImage() {
    return ReadPlannedBytes(Player.imageHeader, Player.imagePlan);
}

int ReadWholeImageFile(uint32_t* byteCount) {
    uint32_t count = 0;
    int result = WHOLE_FILE_FAILED;
    uint64_t size;
    if (Player.openFile && Player.frameBuffer && OpenFileSize(Player.openFile, &size)) {
        if (size > FRAME_BUFFER_SIZE) {
            result = WHOLE_FILE_TOO_LARGE;
        } else if (SeekFromStart(Player.openFile, 0)) {
            count = static_cast<uint32_t>(
                fread(Player.frameBuffer, 1, static_cast<size_t>(size), Player.openFile));
            result = count == size ? WHOLE_FILE_READ : WHOLE_FILE_FAILED;
        }
    }
    if (byteCount) {
        *byteCount = count;
    }
    return result;
}
