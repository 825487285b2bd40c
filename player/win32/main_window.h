// What the main window shares with the dialogs: messages to the user.
#ifndef VORLEX_MAIN_WINDOW_H
#define VORLEX_MAIN_WINDOW_H

#include <windows.h>

// A modal message box in the system's style: caption "Vorlex", error icon,
// OK. `owner` is null for the main window's messages, the dialog for a
// refused entry.
void ShowError(HWND owner, const char* text);

#endif
