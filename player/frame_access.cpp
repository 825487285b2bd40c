#include "frame_access.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "file_positions.h"
#include "player_state.h"

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

void CloseInputFile() {
    if (Player.openFile) {
        fclose(Player.openFile);
        Player.openFile = nullptr;
    }
}

int OpenInputFile(const char* path) {
    // The new file is opened before the old one is closed: a file that cannot
    // be opened leaves the player showing and reading what it had.
    FILE* file = path ? fopen(path, "rb") : nullptr;
    if (!file) {
        return 0;
    }
    CloseInputFile();
    Player.openFile = file;
    return 1;
}

uint64_t SequenceFramePosition(uint32_t n) {
    // At most (2^32 - 1) + (2^32 - 1)^2 < 2^64: never wraps.
    return uint64_t{Player.sequenceHeader} + uint64_t{n} * Player.sequencePlan.frameBytes;
}

uint32_t SequenceFrameCount() {
    uint64_t size;
    const uint32_t frameBytes = Player.sequencePlan.frameBytes;
    if (!Player.openFile || frameBytes == 0 || !OpenFileSize(Player.openFile, &size) ||
        size < Player.sequenceHeader) {
        return 0;
    }
    const uint64_t count = (size - Player.sequenceHeader) / frameBytes;
    return count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
}

int64_t FrameForKey(int key, uint32_t shown, uint32_t count) {
    if (count == 0) {
        return -1;
    }
    switch (key) {
    case FRAME_KEY_NEXT: return uint64_t{shown} + 1 < count ? int64_t{shown} + 1 : -1;
    // From a frame past the end (the file shrank), back to the last one.
    case FRAME_KEY_PREVIOUS: return shown > 0 ? std::min(int64_t{shown} - 1, int64_t{count} - 1) : -1;
    case FRAME_KEY_FIRST: return 0;
    case FRAME_KEY_LAST: return int64_t{count} - 1;
    default: return -1;
    }
}

int ReadSequenceFrame(uint32_t n) {
    return ReadPlannedBytes(SequenceFramePosition(n), Player.sequencePlan);
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

int ClassifyImageFile(const char* path) {
    if (!path) {
        return IMAGE_FILE_RAW;
    }
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            name = p + 1;
        }
    }
    const char* dot = strrchr(name, '.');
    if (!dot || strlen(dot) != 4) {
        return IMAGE_FILE_RAW;
    }
    // ASCII upper case: the process locale must not change the answer.
    char ext[5];
    for (int i = 0; i < 5; ++i) {
        const char c = dot[i];
        ext[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (strcmp(ext, ".BMP") == 0 || strcmp(ext, ".DIB") == 0) {
        return IMAGE_FILE_BMP;
    }
    if (strcmp(ext, ".MMP") == 0) {
        return IMAGE_FILE_MMP;
    }
    return IMAGE_FILE_RAW;
}
