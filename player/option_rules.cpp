#include "option_rules.h"

#include "display.h"
#include "frame_rate.h"
#include "player_state.h"
#include "resource.h"

const SizeMessages FrameSizeMessages = {"Input frame size!", "Frame size too large!",
                                        "Frame size must not be zero!",
                                        "Frame width must be a multiple of 4!"};
const SizeMessages ImageSizeMessages = {"Input image size!", "Image size too large!",
                                        "Image size must not be zero!",
                                        "Image width must be a multiple of 4!"};

// The radios after Gray follow the type codes from TYPE_YUV444 on.
uint32_t TypeForRadio(int radioId) {
    return radioId == IDC_TYPE_GRAY ? uint32_t{TYPE_GRAY}
                                    : static_cast<uint32_t>(radioId - IDC_TYPE_YUV444 + TYPE_YUV444);
}

int RadioForType(uint32_t type) {
    return type >= TYPE_YUV444 ? static_cast<int>(type - TYPE_YUV444) + IDC_TYPE_YUV444 : IDC_TYPE_GRAY;
}

const char* CheckSizeEntry(bool haveWidth, uint32_t width, bool haveHeight, uint32_t height,
                           const SizeMessages& messages) {
    if (!haveWidth || !haveHeight) {
        return messages.missing;
    }
    if (width > MAX_FRAME_WIDTH || height > MAX_FRAME_HEIGHT) {
        return messages.tooLarge;
    }
    if (width == 0 || height == 0) {
        return messages.zero;
    }
    if (width % 4 != 0) {
        return messages.notGroups;
    }
    return nullptr;
}

const char* CheckFrameRateEntry(const char* text) {
    if (!text || !*text) {
        return "Input sequence frame rate!";
    }
    if (!FrameRateUsable(FrameRateFromText(text))) {
        return "Invalid sequence frame rate!";
    }
    return nullptr;
}

const char* OpenDialogFailure(uint32_t extendedError) {
    if (extendedError == 0) {
        return nullptr;
    }
    return extendedError == OPEN_DIALOG_NAME_TOO_LONG ? "File name too long!" : "Open dialog failure!";
}
