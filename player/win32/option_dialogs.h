// The five modal dialogs. Each runs its dialog over the main window and
// returns true when it ended with OK; the dialog's rules (option_rules.h)
// have then written the settings, and the caller carries out what follows.
#ifndef VORLEX_OPTION_DIALOGS_H
#define VORLEX_OPTION_DIALOGS_H

#include <windows.h>

bool RunFrameNumberDialog(HWND window);    // 14: currentFrame
bool RunSaveFrameDialog(HWND window);      // 15: currentFrame and saveFileName
bool RunFrameOptionsDialog(HWND window);   // 11: the frame size
bool RunImageOptionDialog(HWND window);    // 12: the raw image settings
bool RunSequenceOptionDialog(HWND window); // 13: sequence type, header and frame rate

#endif
