// Work the user waits for: the progress bar the player's dialogs draw, and
// indexing the frame lines of Y4M files with its own small dialog.
#ifndef VORLEX_PROGRESS_DIALOG_H
#define VORLEX_PROGRESS_DIALOG_H

#include <stdint.h>
#include <windows.h>

#include "playback.h"

// Fills an owner-drawn static control `done` / `total` of its width.
void DrawProgressBar(const DRAWITEMSTRUCT* item, uint64_t done, uint64_t total);

// Indexes the frame lines the open sequences need (IndexFrames). When that
// takes over half a second, a dialog owned by `owner` shows the progress
// with Cancel. True while it runs: the window then leaves its display
// requests, its timer and dropped files alone.
IndexOutcome RunIndexing(HWND owner, PlayerState& s);
bool IndexingRuns();

#endif
