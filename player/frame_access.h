// Reading frames and images from the player's open input file into its
// frameBuffer.
//
// File positions are 64-bit in every build: sequences of several GiB are
// common, and frame n of a sequence lies at sequenceHeader + n x frameBytes.
// Every read reports failure when no file is open or there is no buffer.
#ifndef VORLEX_FRAME_ACCESS_H
#define VORLEX_FRAME_ACCESS_H

#include <stdint.h>

#include "display.h"
#include "frame_source.h"
#include "y4m.h"

struct PlayerState;

// Bytes of one frame as stored in the file: sequencePlan's frameBytes, or
// storedPlan's for an extended layout.
uint32_t StoredFrameBytes(const PlayerState& s);

// The frame last read as it is stored in the file (StoredFrameBytes long):
// frameBuffer, or sampleBuffer for an extended layout.
const uint8_t* StoredFrame(const PlayerState& s);

// Where frames of the open sequence lie: the stored plan, with the header
// setting as it is now (0 for a Y4M file's frame source).
StoredFramePlan ReadingPlan(const PlayerState& s);

// Byte position of frame n: sequenceHeader + n x StoredFrameBytes().
uint64_t SequenceFramePosition(const PlayerState& s, uint32_t n);

// Number of whole frames of the open sequence (0 without an open file), at
// most 0xFFFFFFFF.
uint32_t SequenceFrameCount(const PlayerState& s);

// Reads frame n of the open sequence into frameBuffer (a frame of an
// extended layout into sampleBuffer, then unpacked into frameBuffer).
// Non-zero when the frame is present: all its bytes arrived. Otherwise the
// buffer holds whatever arrived, which must not be shown.
int ReadSequenceFrame(PlayerState& s, uint32_t n);

// Non-zero when frames are of an extended layout and the buffer they are
// read into could not be obtained (ReadSequenceFrame asks for it again on
// each read).
int SampleBufferMissing(const PlayerState& s);

// The frames of a Y4M sequence are found by their lines. Where a line is not
// at its place, the open sequence or sequence B needs an index of them
// before more of its frames can be read: IndexFrames indexes up to `count`
// more frames of the first that needs it (DONE when neither does), and
// IndexProgress says how far the two have been read, of how much.
bool FramesNeedIndex(const PlayerState& s);
Y4mIndexResult IndexFrames(PlayerState& s, uint32_t count);
void IndexProgress(const PlayerState& s, uint64_t* scanned, uint64_t* total);

// Reads the raw image (imagePlan's frameBytes from byte imageHeader) into
// frameBuffer. Returns 0 when fewer bytes arrived: the file is too short and
// the buffer holds a partly stale image.
int ReadRawImage(PlayerState& s);

enum WholeFileResult {
    WHOLE_FILE_FAILED = 0,   // no file, its size unknown, or fewer bytes arrived
    WHOLE_FILE_READ = 1,     // all of it is in frameBuffer
    WHOLE_FILE_TOO_LARGE = 2 // larger than frameBuffer: nothing was read
};

// Reads the whole open file, from its start, into frameBuffer. *byteCount
// receives the number of bytes that arrived (0 when nothing was read).
int ReadWholeImageFile(PlayerState& s, uint32_t* byteCount);

// What a file opened as an image is, by its name: the image types of the
// library for bitmap and MMP files, 3 for a raw image (file_names.h).
enum ImageFileKind {
    IMAGE_FILE_BMP = TYPE_BMP,
    IMAGE_FILE_MMP = TYPE_MMP,
    IMAGE_FILE_RAW = 3 // read with the raw image settings, whatever imageType is
};

#endif
