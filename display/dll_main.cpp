// The library's entry point: set up at process attach.
#include <windows.h>

#include "conversion_tables.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        MmxAvailable = DetectMmx();
        BuildConversionTables();
    }
    return TRUE;
}
