// Loaded into vorlex.exe by the GUI test driver: what only the player's own
// process can do. Under Wine another process's menu handle is of no use, and
// the names of dropped files must lie in the player's global memory. Each
// export is a thread procedure that the driver starts in the player on a
// record it wrote there (gui_probe.h).
#include <windows.h>

#include "gui_probe.h"

extern "C" DWORD WINAPI ProbeMenuState(void* record) {
    ProbeMenuQuery* query = static_cast<ProbeMenuQuery*>(record);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(query->window));
    query->state = GetMenuState(GetMenu(window), query->item, query->flags);
    return 0;
}

extern "C" DWORD WINAPI ProbeGlobalAlloc(void* record) {
    ProbeGlobalMemory* memory = static_cast<ProbeGlobalMemory*>(record);
    memory->memory = reinterpret_cast<uintptr_t>(GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(memory->bytes)));
    return 0;
}
