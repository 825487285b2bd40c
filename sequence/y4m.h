// Y4M sequences: a header line "YUV4MPEG2 " with space-separated tags, then
// frames, each a line "FRAME" (with optional parameters) and the frame's
// planes as a raw file stores them. The header gives the size, the layout
// and the rate; the frames are then read through a frame source that holds
// only the samples, frame after frame, so the raw sequence rules apply.
#ifndef VORLEX_Y4M_H
#define VORLEX_Y4M_H

#include <stddef.h>
#include <stdint.h>

#include "frame_source.h"
#include "sequence_layout.h"

enum {
    Y4M_LINE_LIMIT = 4096, // bytes of a header or frame line, its newline included
    Y4M_MAX_SIDE = 16384,  // largest width and height: a frame stays below 2^31 bytes
    Y4M_TEXT_SIZE = 24,    // room for a kept tag value; longer ones are cut
};

enum Y4mResult {
    Y4M_OK,
    Y4M_NOT_Y4M,          // the file does not start with "YUV4MPEG2 "
    Y4M_SHORT,            // the file ends inside the header line
    Y4M_LINE_TOO_LONG,    // no newline within Y4M_LINE_LIMIT bytes
    Y4M_BAD_HEADER,       // a zero byte in the header line
    Y4M_NO_SIZE,          // W or H missing
    Y4M_BAD_SIZE,         // W or H not a number, 0, or above Y4M_MAX_SIDE
    Y4M_BAD_RATE,         // F not "n:d" with n and d both 0 or both positive
    Y4M_BAD_COLOUR,       // a C value this reader does not know
    Y4M_BAD_TAG,          // a tag letter this reader does not know
    Y4M_REPEATED_TAG,     // W, H, F, C, I or A given twice
    Y4M_SIZE_NOT_SAMPLED, // chroma planes would not be whole (an odd width of 4:2:0)
};

struct Y4mHeader {
    uint32_t width, height;
    // The rate as the exact fraction rateNum / rateDen; 0:0 when not given.
    uint32_t rateNum, rateDen;
    SequenceLayout layout;           // what is shown: planar, 8 to 16 bits
    uint32_t alpha;                  // 1: a fourth (alpha) plane follows, stored but not shown
    uint32_t frameBytes;             // one frame's colour planes: what the frame source gives a frame
    uint32_t alphaBytes;             // the alpha plane after them in the file, skipped (0 without)
    uint32_t headerBytes;            // the header line with its newline: where the first frame's line starts
    char colour[Y4M_TEXT_SIZE];      // the C value as written ("" when absent)
    char interlace[Y4M_TEXT_SIZE];   // the I value
    char aspect[Y4M_TEXT_SIZE];      // the A value
    char colourRange[Y4M_TEXT_SIZE]; // the value of XCOLORRANGE=
};

// Reads and checks the header at the start of `file`. On Y4M_OK *header is
// filled and message is ""; otherwise message (of `size` bytes) says what
// was refused, naming the value: "Unsupported Y4M colour space 'xyz'!".
Y4mResult ReadY4mHeader(const FrameSource& file, Y4mHeader* header, char* message, size_t size);

// A frame source of the frames of a Y4M file: frame n is bytes
// [n x frameBytes, (n + 1) x frameBytes) of it, its colour planes without
// the frame line (and without the alpha plane), so a StoredFramePlan of the
// header's layout, header 0 and frameBytes reads the file as a raw sequence.
// It owns `file` (closing it closes the file) and is empty when no memory
// could be had (the file is then closed).
//
// Frames are first taken to follow each other at a fixed stride, with lines
// "FRAME\n"; the line is checked before every frame read. Where a line is
// not at its place, the frames must be found by reading the lines one after
// the other: the source then needs an index, and offers only the frames
// indexed so far until Y4mIndexStep has run to the end. A line that is not a
// frame line ends the sequence at the frame before it (damaged); a last
// frame cut short is missing, as in a raw file.
FrameSource Y4mFrameSource(FrameSource file, const Y4mHeader& header);

struct Y4mStatus {
    int isY4m;                   // 0: not a Y4M frame source (the rest is 0)
    int needsIndex;              // frames beyond `frames` may exist: run Y4mIndexStep
    int damaged;                 // a damaged frame line ended the sequence early
    uint32_t frames;             // frames the source holds now
    uint64_t scanned, fileBytes; // how far indexing has read, of how much (progress)
};
Y4mStatus Y4mSourceStatus(const FrameSource& frames);

// True for a source made by Y4mFrameSource.
inline bool IsY4mSource(const FrameSource& frames) { return Y4mSourceStatus(frames).isY4m != 0; }

enum Y4mIndexResult { Y4M_INDEX_DONE, Y4M_INDEX_MORE, Y4M_INDEX_NO_MEMORY };

// Indexes up to `count` more frames of a source that needs an index. DONE
// when every frame is indexed (or none is needed); MORE while frames remain;
// NO_MEMORY when the index could not grow (the frames found stay).
Y4mIndexResult Y4mIndexStep(const FrameSource& frames, uint32_t count);

#endif
