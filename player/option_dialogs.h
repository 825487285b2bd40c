// The option dialogs and the commands that run them.
#ifndef VORLEX_OPTION_DIALOGS_H
#define VORLEX_OPTION_DIALOGS_H

#include <windows.h>

// 204: asks for a frame number, then shows that frame.
void RunFrameNumberCommand(HWND window);
// The frame number and file name of a save; true when confirmed.
bool RunSaveFrameDialog(HWND window);
// 301: frame size; the window is refitted.
void RunFrameOptionsCommand(HWND window);
// 302: raw image settings; the image plan is recomputed.
void RunImageOptionCommand(HWND window);
// 303: sequence type, header and frame rate; the timer restarts.
void RunSequenceOptionCommand(HWND window);

#endif
