// The rules of the player's dialogs that need no window: which radio stands
// for which type, the checks of the entries and what a failed open dialog
// means, each giving the message to show.
#ifndef VORLEX_OPTION_RULES_H
#define VORLEX_OPTION_RULES_H

#include <stdint.h>

#include "sequence_layout.h"

struct PlayerState;

// Radio IDC_TYPE_GRAY stands for TYPE_GRAY; IDC_TYPE_YUV444 to IDC_TYPE_BGR
// for TYPE_YUV444 to TYPE_BGR.
uint32_t TypeForRadio(int radioId);
int RadioForType(uint32_t type);

struct SizeMessages {
    const char* missing;   // a field not filled
    const char* tooLarge;  // over 1920 x 1088
    const char* zero;      // a zero width or height
    const char* notGroups; // a width the conversion cannot take whole
};
extern const SizeMessages FrameSizeMessages; // Frame Options
extern const SizeMessages ImageSizeMessages; // Image Option

// Null when width x height is acceptable, else the message. A zero size would
// make every frame "present" with no bytes, and the conversion works in groups
// of four pixels, so both are refused too.
const char* CheckSizeEntry(bool haveWidth, uint32_t width, bool haveHeight, uint32_t height,
                           const SizeMessages& messages);

// Null when the frame-rate text is acceptable: not empty, and a rate that
// gives a usable timer period.
const char* CheckFrameRateEntry(const char* text);

// What each dialog's OK does with the entries read from its fields, in the
// dialogs' order: it writes the settings one after another into the state and
// stops at the first refused entry, so what came before stays written (the
// dialog then stays open, and a Cancel keeps those values).
struct NumberEntry {
    bool filled; // the unsigned dialog-integer conversion succeeded
    uint32_t value;
};
struct DialogVerdict {
    const char* message; // null: accepted, the dialog ends with OK
    int field;           // the control that gets the focus back when refused
};

// Frame Options: the preset; for Custom the size.
DialogVerdict FrameOptionsOk(PlayerState& s, uint32_t preset, NumberEntry width, NumberEntry height);
// Image Option: the type, the size (height first), then the header.
DialogVerdict ImageOptionOk(PlayerState& s, uint32_t type, NumberEntry width, NumberEntry height,
                            NumberEntry header);
// Sequence Option: the layout (a type radio's type with 8 bits, or a layout
// from the "Other:" list), the header, then the frame-rate text.
DialogVerdict SequenceOptionOk(PlayerState& s, const SequenceLayout& layout, NumberEntry header,
                               const char* frameRateText);
// Frame Number: currentFrame.
DialogVerdict FrameNumberOk(PlayerState& s, NumberEntry frame);
// Frame Number and file name: currentFrame, then saveFileName (at most
// SAVE_FILE_NAME_MAX characters).
DialogVerdict SaveFrameOk(PlayerState& s, NumberEntry frame, const char* fileName);

// What the open dialog's extended error (CommDlgExtendedError) means to the
// user: null for 0 (the user cancelled), "File name too long!" when the chosen
// name did not fit the record's buffer, a general message otherwise.
const uint32_t OPEN_DIALOG_NAME_TOO_LONG = 0x3003; // FNERR_BUFFERTOOSMALL
const char* OpenDialogFailure(uint32_t extendedError);

#endif
