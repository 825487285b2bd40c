// 64-bit positions and sizes of open files, in every build: sequences of
// several GiB are common. Used by every reader of raw frames.
#ifndef VORLEX_FILE_POSITIONS_H
#define VORLEX_FILE_POSITIONS_H

#include <stdint.h>
#include <stdio.h>

// Positions `f` at byte `position` from its start; 0 on failure.
int SeekFromStart(FILE* f, uint64_t position);

// Size of the open file as the file system reports it; 0 on failure.
int OpenFileSize(FILE* f, uint64_t* size);

#endif
