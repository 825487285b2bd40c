// Files on disk: 64-bit positions and sizes of open files, in every build
// (sequences of several GiB are common), and writing a whole file.
#ifndef VORLEX_FILE_IO_H
#define VORLEX_FILE_IO_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// Positions `f` at byte `position` from its start; 0 on failure.
int SeekFromStart(FILE* f, uint64_t position);

// Size of the open file as the file system reports it; 0 on failure.
int OpenFileSize(FILE* f, uint64_t* size);

// Writes n bytes as the whole file at `path`; a file that cannot be written
// in full is removed, so no partial file is left behind.
enum WriteResult { WRITE_DONE = 0, WRITE_CANNOT_CREATE = 1, WRITE_FAILED = 2 };
int WriteWholeFile(const char* path, const void* data, size_t n);

#endif
