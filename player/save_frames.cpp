// Saving a frame as raw bytes or as a bitmap file.
#include "save_frames.h"

#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "frame_access.h"
#include "frame_bitmap.h"
#include "main_window.h"
#include "option_dialogs.h"
#include "player_state.h"

namespace {

// Writes `size` bytes to saveFileName; false, after telling the user, when the
// file cannot be created or written (a partly written file is removed).
bool WriteSaveFile(const uint8_t* bytes, size_t size) {
    FILE* file = fopen(Player.saveFileName, "wb");
    if (!file) {
        ShowError(nullptr, "Cannot create file!");
        return false;
    }
    const bool written = fwrite(bytes, 1, size, file) == size;
    if (fclose(file) != 0 || !written) {
        remove(Player.saveFileName);
        ShowError(nullptr, "Cannot write file!");
        return false;
    }
    return true;
}

} // namespace

void SaveFrame(HWND window, bool asBitmap) {
    if (!RunSaveFrameDialog(window)) {
        return;
    }
    if (!ReadSequenceFrame(Player.currentFrame)) {
        ShowError(nullptr, "Frame number too large!");
        return;
    }
    if (!asBitmap) {
        if (!WriteSaveFile(Player.frameBuffer, Player.sequencePlan.frameBytes)) {
            return;
        }
    } else {
        const size_t size = FrameBitmapBytes();
        uint8_t* image = static_cast<uint8_t*>(malloc(size));
        if (!image) {
            ShowError(nullptr, "Bitmap buffer failure!");
            return;
        }
        BuildFrameBitmap(image);
        const bool saved = WriteSaveFile(image, size);
        free(image);
        if (!saved) {
            return;
        }
    }
    PostDisplayRequest(window, Player.currentFrame);
}
