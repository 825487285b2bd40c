// The running comparison of the open sequence (A) with a second raw file (B)
// read with the same frame settings: starting and ending it, the frames of
// the current view, the search for the next or previous frame that differs,
// and the statistics of every frame (compare/ does the comparing).
#ifndef VORLEX_COMPARISON_H
#define VORLEX_COMPARISON_H

#include <stdint.h>

#include "frame_compare.h"
#include "player_state.h"
#include "sequence_compare.h"

enum StartResult {
    COMPARE_CANNOT_OPEN = 0, // "Cannot open file for reading!"; nothing changed
    COMPARE_STARTED = 1,
    COMPARE_NO_MEMORY = 2, // the buffers cannot be had; nothing changed
    COMPARE_NO_FRAME = 3,  // B holds no whole frame after the header; nothing changed
    COMPARE_REFUSED = 4    // B's Y4M header was refused or states other frames: messageText
                           // says why; nothing changed
};
// Opens `path` as sequence B, ending a comparison that ran before only when
// the new one can start. Starts in view A with gain 1. B is read with the
// frame settings, unless its Y4M header or (with Settings from file name)
// its name states its own layout: B's frames then compare with A's sample
// by sample, at the higher depth, when they have A's size and sampling;
// otherwise COMPARE_REFUSED. A Y4M file is read through its frame source.
StartResult StartComparison(PlayerState& s, const char* path);

bool ComparisonActive(const PlayerState& s);

// Whole frames both files have with the current frame settings.
uint32_t ComparedFrameCount(const PlayerState& s);

// The geometry of the frames as read: the current sequence settings at 8
// bits, or the stored planes of an extended layout (storedPlan).
FrameGeometry SequenceFrameGeometry(const PlayerState& s);

// The open sequence and B as compare/ reads them: with B's own layout where
// it stated one, and then, if that is not A's, compared in one form.
SequencePair ComparedPair(const PlayerState& s);
SequencePair PairWith(const PlayerState& s, const ComparisonState& c);

// Reads frame n of A and of B into frameA and frameB, compares them into
// *diff, and puts the frame of the current view into frameBuffer, unsigned,
// for the usual display route (which applies Y Only). Returns 0 when either
// frame is missing or no comparison runs; the buffers then hold nothing to
// show.
int LoadComparedFrame(PlayerState& s, uint32_t n, FrameDiff* diff);

// The frame key N (forward) or Shift+N from frame `shown`, into frameA and
// frameB (FindDifferentFrame of sequence_compare.h).
SearchResult FindComparedDifference(PlayerState& s, uint32_t shown, bool forward, uint32_t* found,
                                    FrameDiff* diff);

// Statistics of the running comparison; null when none runs or memory
// cannot be had.
CompareStatistics* StartComparisonStatistics(const PlayerState& s);

#endif
