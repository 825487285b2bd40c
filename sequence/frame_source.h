// Where sequences are read from: a frame source is bytes that can be sized
// and read at any 64-bit position, opened by whoever owns it (a file on disk
// for the program, frames in memory for tests). A stored frame plan says
// where frame n lies in it. The player, the comparison and the tools read
// frames only through these.
#ifndef VORLEX_FRAME_SOURCE_H
#define VORLEX_FRAME_SOURCE_H

#include <stddef.h>
#include <stdint.h>

#include "sequence_layout.h"

struct FrameSource {
    void* context; // null: no source
    // The source's length in bytes; 0 when it cannot be told.
    int (*size)(void* context, uint64_t* bytes);
    // Reads up to n bytes at `position` into dst; returns how many arrived.
    size_t (*read)(void* context, uint64_t position, uint8_t* dst, size_t n);
    void (*close)(void* context);
};

inline bool SourceOpen(const FrameSource& source) { return source.context != nullptr; }

// Closes the source, if open, and leaves it empty; safe to call again.
void CloseSource(FrameSource* source);

// A file opened for reading raw bytes; an empty source when it cannot be
// opened.
FrameSource OpenFileSource(const char* path);

// Bytes in memory that the caller keeps alive while the source is open.
struct MemoryBytes {
    const uint8_t* data;
    size_t size;
};
FrameSource MemorySource(const MemoryBytes* bytes);

// Reads exactly n bytes at `position`; non-zero when all of them arrived.
int ReadSourceBytes(const FrameSource& source, uint64_t position, uint8_t* dst, size_t n);

// How frames lie in a source: after `header` bytes, frameBytes each, every
// frame a w x h frame of `layout` as stored.
struct StoredFramePlan {
    SequenceLayout layout;
    uint32_t width, height;
    uint32_t frameBytes; // held at 0xFFFFFFFF when it would pass 32 bits
    uint64_t header;
};

// Byte position of frame n: header + n x frameBytes.
uint64_t FramePosition(const StoredFramePlan& plan, uint32_t n);

// Whole frames in the source (0 without a source), at most 0xFFFFFFFF.
uint32_t CountFrames(const FrameSource& source, const StoredFramePlan& plan);

// Reads frame n, as stored (plan.frameBytes long), into dst of `capacity`
// bytes. Non-zero when all of it arrived; nothing is read into a buffer too
// small for it.
int ReadFrame(const FrameSource& source, const StoredFramePlan& plan, uint32_t n, uint8_t* dst,
              uint32_t capacity);

#endif
