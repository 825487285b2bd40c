#include "message_box.h"

void ShowError(HWND owner, const char* text) { MessageBoxA(owner, text, "Vorlex", MB_OK | MB_ICONERROR); }
