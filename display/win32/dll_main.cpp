// The library's entry point: set-up at process attach, tear-down at detach.
#include <windows.h>

#include "bitmap_store.h"
#include "conversion_tables.h"
#include "kernel_choice.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        MmxAvailable = DetectMmx();
        VectorLevel = DetectVectorLevel();
        BuildConversionTables();
        // A failure here makes the loader refuse the library.
        return InitBitmapStore() ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
        // Also after a failed attach: nothing is held then, nothing is released twice.
        ReleaseBitmapStore();
        return TRUE;
    default: return TRUE;
    }
}
