// A Y4M file as the player will open it: the header read from the input (a
// frame source in memory), then the frames walked through the Y4M frame
// source, and again after indexing them in steps where a line was out of
// place. A refusal has a message; every frame offered is read whole,
// nothing past the last; the frames and their lines fit in the input.
#include <stdlib.h>
#include <string.h>

#include "frame_source.h"
#include "fuzz_support.h"
#include "y4m.h"

namespace {

uint8_t Frames[1 << 17];

void Walk(const FrameSource& frames, const Y4mHeader& header, size_t size) {
    const StoredFramePlan plan = {header.layout, header.width, header.height, header.frameBytes, 0};
    const uint32_t count = CountFrames(frames, plan);
    const uint64_t frameBytes = header.frameBytes;
    if (header.headerBytes + count * (frameBytes + header.alphaBytes + 6) > size) {
        Violated("more frames than the input holds");
    }
    // Two frames a read, so each read crosses from one frame into the next
    // (frames too long for the buffer are read in part). A line out of place
    // stops the read; the source then needs an index.
    for (uint32_t n = 0; n < count; n += 2) {
        const uint64_t bytes = (count - n > 1 ? 2 : 1) * frameBytes;
        const size_t want = bytes < sizeof Frames ? static_cast<size_t>(bytes) : sizeof Frames;
        if (frames.read(frames.context, n * frameBytes, Frames, want) != want) {
            if (!Y4mSourceStatus(frames).needsIndex) {
                Violated("a frame offered could not be read");
            }
            return;
        }
    }
    if (frames.read(frames.context, count * frameBytes, Frames, 1) != 0) {
        Violated("a byte past the last frame");
    }
}

} // namespace

// Each input frees only a few small blocks, so a small quarantine still
// catches their use after free, and keeps the memory in use warm: about a
// quarter more executions a second than the default 256 MB.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryBytes bytes = {data, size};
    Y4mHeader header;
    char message[96];
    if (ReadY4mHeader(MemorySource(&bytes), &header, message, sizeof message) != Y4M_OK) {
        if (!message[0]) {
            Violated("a refusal without a message");
        }
        return 0;
    }
    FrameSource frames = Y4mFrameSource(MemorySource(&bytes), header);
    if (!SourceOpen(frames)) {
        abort();
    }
    Walk(frames, header, size);
    if (!Y4mSourceStatus(frames).needsIndex) { // every line at the stride
        CloseSource(&frames);
        return 0;
    }
    Y4mIndexResult step;
    while ((step = Y4mIndexStep(frames, 4)) == Y4M_INDEX_MORE) {
    }
    if (step != Y4M_INDEX_DONE || Y4mSourceStatus(frames).needsIndex) {
        Violated("indexing did not end");
    }
    Walk(frames, header, size);
    CloseSource(&frames);
    return 0;
}
