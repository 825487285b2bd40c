// What the main window shares with the commands defined beside it: the
// display request, messages to the user, fitting the window to a frame and
// the playback timer.
#ifndef VORLEX_MAIN_WINDOW_H
#define VORLEX_MAIN_WINDOW_H

#include <windows.h>

#include "player_state.h"

// A modal message box in the system's style: caption "Vorlex", error icon,
// OK. `owner` is null for the main window's messages, the dialog for a
// refused entry.
void ShowError(HWND owner, const char* text);

// Asks for frame `frame` of the open sequence to be shown: the window posts
// itself a display request, so commands and ticks never draw directly.
void PostDisplayRequest(HWND window, uint32_t frame);

// Sizes the window so its client area is width x height and centres it on
// the screen; with `remeasure`, grows it once more when the menu bar took
// more than a pixel of that height.
void FitWindowToFrame(HWND window, uint32_t width, uint32_t height, bool remeasure);

// Restarts timer 1001 with the period of the current frame rate.
void RestartPlaybackTimer(HWND window);

#endif
