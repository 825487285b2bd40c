// The Inspector: an owned, modeless tool window beside the main window that
// shows what the playback rules give as its text (playback.h). The main
// window's own geometry never changes for it.
#ifndef VORLEX_INSPECTOR_H
#define VORLEX_INSPECTOR_H

#include <windows.h>

struct PlayerState;

// Shows or hides the Inspector as inspector.shown says (creating it beside
// `mainWindow` the first time) and renews its text.
void UpdateInspector(HWND mainWindow, const PlayerState& s);

#endif
