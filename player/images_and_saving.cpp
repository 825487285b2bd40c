// Showing frames and opened images through the display library, and saving a
// frame as raw bytes or as a bitmap file. Every opened file is checked
// against its size before anything is shown: a file that fails a check is
// reported and the window keeps its picture.
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "display.h"
#include "frame_access.h"
#include "main_window.h"
#include "image_checks.h"
#include "option_dialogs.h"
#include "player_state.h"

namespace {

const int8_t* Signed(const uint8_t* p) { return reinterpret_cast<const int8_t*>(p); }

bool IsYuv(uint32_t type) { return type >= TYPE_YUV444 && type <= TYPE_YUV420; }

void ShowRawImage(HWND window) {
    if (!ReadRawImage()) {
        ShowError(nullptr, "Image file too short!");
        return;
    }
    // A gray image keeps its exact values through the library's gray path;
    // only sequence frames go through the YUV conversion as 4:4:4.
    if (Player.imageType == TYPE_GRAY) {
        DisplayImage(window, TYPE_GRAY, Player.imageWidth, Player.imageHeight, Player.frameBuffer);
        return;
    }
    ShowFrameBuffer(window, Player.imageType, Player.imageWidth, Player.imageHeight, Player.imagePlan,
                    false);
}

// Rows of RGB or BGR pixels, top row first, into the bottom-up blue-green-red
// order of a bitmap, in place.
void ToBitmapOrder(uint8_t* pixels, uint32_t width, uint32_t height, bool redFirst) {
    const size_t row = size_t{3} * width;
    if (redFirst) {
        for (size_t i = 0; i < row * height; i += 3) {
            const uint8_t red = pixels[i];
            pixels[i] = pixels[i + 2];
            pixels[i + 2] = red;
        }
    }
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = pixels + top * row;
        uint8_t* b = pixels + bottom * row;
        for (size_t i = 0; i < row; ++i) {
            const uint8_t t = a[i];
            a[i] = b[i];
            b[i] = t;
        }
    }
}

// The bitmap file of the frame in frameBuffer, in `image` of `size` bytes.
void BuildFrameBitmap(uint8_t* image) {
    const uint32_t w = Player.frameWidth, h = Player.frameHeight, type = Player.sequenceType;
    uint8_t* frame = Player.frameBuffer;
    const FramePlan& plan = Player.sequencePlan;
    if (type == TYPE_GRAY) {
        ConvertRaw2Bitmap(w, h, frame, image);
    } else if (type == TYPE_RGB || type == TYPE_BGR) {
        // The frame's own colours, not the bare YUV conversion's headers-only
        // image.
        ToBitmapOrder(frame, w, h, type == TYPE_RGB);
        ConvertRGB2Bitmap(w, h, frame, image);
    } else {
        MakeChromaSigned(plan);
        ConvertYUV2Bitmap(type & 0xFF, w & 0xFFFF, h & 0xFFFF, frame, Signed(frame + plan.uOffset),
                          Signed(frame + plan.vOffset), image);
    }
}

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

void ShowFrameBuffer(HWND window, uint32_t type, uint32_t width, uint32_t height,
                     const FramePlan& plan, bool lumaOnly) {
    uint8_t* frame = Player.frameBuffer;
    if (type == TYPE_GRAY) {
        DisplayYUVimage(window, TYPE_YUV444, width & 0xFFFF, height & 0xFFFF, frame,
                        Signed(Player.neutralU), Signed(Player.neutralV));
    } else if (type == TYPE_RGB || type == TYPE_BGR) {
        DisplayImage(window, type, width, height, frame);
    } else if (IsYuv(type)) {
        MakeChromaSigned(plan);
        const uint8_t* u = lumaOnly ? Player.neutralU : frame + plan.uOffset;
        const uint8_t* v = lumaOnly ? Player.neutralV : frame + plan.vOffset;
        DisplayYUVimage(window, type & 0xFF, width & 0xFFFF, height & 0xFFFF, frame, Signed(u), Signed(v));
    }
}

void ShowOpenedImage(HWND window, int kind) {
    if (kind == IMAGE_FILE_RAW) {
        ShowRawImage(window);
        return;
    }
    uint32_t size = 0;
    switch (ReadWholeImageFile(&size)) {
    case WHOLE_FILE_TOO_LARGE: ShowError(nullptr, "Image file too large!"); return;
    case WHOLE_FILE_FAILED: ShowError(nullptr, "Cannot read image file!"); return;
    }
    if (const char* problem = CheckWholeImageFile(kind, Player.frameBuffer, size)) {
        ShowError(nullptr, problem);
        return;
    }
    DisplayImage(window, static_cast<uint32_t>(kind), 0, 0, Player.frameBuffer);
}

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
        const size_t p = size_t{Player.frameWidth} * Player.frameHeight;
        const size_t size = Player.sequenceType == TYPE_GRAY ? p + 1078 : 3 * p + 54;
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
