#include "option_rules.h"

#include <string.h>

#include "display.h"
#include "frame_rate.h"
#include "player_state.h"
#include "resource.h"

const SizeMessages FrameSizeMessages = {"Input frame size!", "Frame size too large!",
                                        "Frame size must not be zero!", "Frame width must be a multiple of 4!"};
const SizeMessages ImageSizeMessages = {"Input image size!", "Image size too large!",
                                        "Image size must not be zero!", "Image width must be a multiple of 4!"};

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

namespace {

const DialogVerdict kAccepted = {nullptr, 0};

DialogVerdict Refused(const char* message, int field) {
    DialogVerdict verdict = {message, field};
    return verdict;
}

// Null when the size is acceptable; `field` receives the control to focus.
const char* CheckSize(NumberEntry width, NumberEntry height, const SizeMessages& messages, int widthField,
                      int heightField, int* field) {
    *field = width.filled ? heightField : widthField;
    return CheckSizeEntry(width.filled, width.value, height.filled, height.value, messages);
}

} // namespace

DialogVerdict FrameOptionsOk(PlayerState& s, uint32_t preset, NumberEntry width, NumberEntry height) {
    s.framePreset = preset;
    if (preset != FRAME_PRESET_CUSTOM) {
        return kAccepted;
    }
    int field;
    if (const char* m = CheckSize(width, height, FrameSizeMessages, IDC_CUSTOM_WIDTH, IDC_CUSTOM_HEIGHT, &field)) {
        return Refused(m, field);
    }
    s.frameWidth = width.value;
    s.frameHeight = height.value;
    return kAccepted;
}

DialogVerdict ImageOptionOk(PlayerState& s, uint32_t type, NumberEntry width, NumberEntry height,
                            NumberEntry header) {
    s.imageType = type;
    int field;
    if (const char* m = CheckSize(width, height, ImageSizeMessages, IDC_IMAGE_WIDTH, IDC_IMAGE_HEIGHT, &field)) {
        return Refused(m, field);
    }
    s.imageHeight = height.value;
    s.imageWidth = width.value;
    if (!header.filled) {
        return Refused("Input image header size!", IDC_IMAGE_HEADER);
    }
    s.imageHeader = header.value;
    return kAccepted;
}

DialogVerdict SequenceOptionOk(PlayerState& s, const SequenceLayout& layout, NumberEntry header,
                               const char* frameRateText) {
    s.sequenceType = layout.type;
    s.sequenceBits = layout.bits;
    s.sequencePacking = layout.packing;
    if (!header.filled) {
        return Refused("Input sequence header size!", IDC_SEQUENCE_HEADER);
    }
    s.sequenceHeader = header.value;
    if (const char* m = CheckFrameRateEntry(frameRateText)) {
        return Refused(m, IDC_FRAME_RATE);
    }
    SetFrameRateText(s, frameRateText);
    return kAccepted;
}

DialogVerdict FrameNumberOk(PlayerState& s, NumberEntry frame) {
    if (!frame.filled) {
        return Refused("Input frame number!", IDC_FRAME_NUMBER);
    }
    s.currentFrame = frame.value;
    return kAccepted;
}

DialogVerdict SaveFrameOk(PlayerState& s, NumberEntry frame, const char* fileName) {
    const DialogVerdict number = FrameNumberOk(s, frame);
    if (number.message) {
        return number;
    }
    const size_t n = fileName ? strnlen(fileName, SAVE_FILE_NAME_MAX) : 0;
    if (n > 0) {
        memcpy(s.saveFileName, fileName, n);
    }
    s.saveFileName[n] = '\0';
    if (n == 0) {
        return Refused("Input file name!", IDC_SAVE_FILE_NAME);
    }
    return kAccepted;
}

const char* OpenDialogFailure(uint32_t extendedError) {
    if (extendedError == 0) {
        return nullptr;
    }
    return extendedError == OPEN_DIALOG_NAME_TOO_LONG ? "File name too long!" : "Open dialog failure!";
}
