// The five modal dialogs. Each runs its dialog over the main window and
// returns true when it ended with OK; the dialog's rules (option_rules.h)
// have then written the settings, and the caller carries out what follows.
#ifndef VORLEX_OPTION_DIALOGS_H
#define VORLEX_OPTION_DIALOGS_H

#include <windows.h>

struct PlayerState;

bool RunFrameNumberDialog(HWND window, PlayerState& s);    // 14: currentFrame
bool RunSaveFrameDialog(HWND window, PlayerState& s);      // 15: currentFrame and saveFileName
bool RunFrameOptionsDialog(HWND window, PlayerState& s);   // 11: the frame size
bool RunImageOptionDialog(HWND window, PlayerState& s);    // 12: the raw image settings
bool RunSequenceOptionDialog(HWND window, PlayerState& s); // 13: sequence type, header and frame rate

#endif
