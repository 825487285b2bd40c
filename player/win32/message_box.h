// Messages to the user, from the main window and its dialogs.
#ifndef VORLEX_MESSAGE_BOX_H
#define VORLEX_MESSAGE_BOX_H

#include <windows.h>

// A modal message box in the system's style: caption "Vorlex", error icon,
// OK. `owner` is null for the main window's messages, the dialog for a
// refused entry.
void ShowError(HWND owner, const char* text);

#endif
