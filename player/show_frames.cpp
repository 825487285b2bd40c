// Showing frames and opened images through the display library.
#include "show_frames.h"

#include <windows.h>

#include "display.h"
#include "frame_access.h"
#include "image_checks.h"
#include "main_window.h"
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
