// Starts a vorlex.exe given by its Windows path, as a user would from an
// unpacked release archive, and checks that it comes up: its main window
// appears with the title "Vorlex" and the "&Control" entry greyed, the
// display.dll it loaded is the one beside it, and it ends with exit code 0
// when closed. Exit code 0 when all of that holds.
//   start_player.exe C:\folder\vorlex.exe
#include <windows.h>

#include <stdio.h>

#include "gui_driver.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s PATH_OF_VORLEX_EXE\n", argv[0]);
        return 2;
    }
    PlayerProcess player;
    if (!LaunchPlayer(&player, argv[1])) {
        fprintf(stderr, "FAIL: %s did not start or showed no main window\n", argv[1]);
        EndPlayer(&player);
        return 1;
    }
    int status = 0;
    const std::string title = WindowText(player.window);
    if (title != "Vorlex") {
        fprintf(stderr, "FAIL: the main window's title is \"%s\"\n", title.c_str());
        status = 1;
    }
    const UINT control = MenuState(player, 1, MF_BYPOSITION);
    if (control == kMenuQueryFailed || !(control & MF_GRAYED)) {
        fprintf(stderr, "FAIL: the Control menu is not greyed at start\n");
        status = 1;
    }
    std::string beside(argv[1]);
    beside.replace(beside.find_last_of("\\/") + 1, std::string::npos, "display.dll");
    MODULEENTRY32 library;
    if (!FindRemoteModule(player.info.dwProcessId, "display.dll", &library)) {
        library.szExePath[0] = '\0';
    }
    if (lstrcmpiA(library.szExePath, beside.c_str()) != 0) {
        fprintf(stderr, "FAIL: the player loaded \"%s\", not the display.dll beside it\n", library.szExePath);
        status = 1;
    }
    PostMessageA(player.window, WM_CLOSE, 0, 0);
    DWORD code = 1;
    if (!WaitForExit(player, 5000, &code) || code != 0) {
        fprintf(stderr, "FAIL: the player did not end with exit code 0\n");
        status = 1;
    }
    EndPlayer(&player);
    if (status == 0) {
        printf("OK: %s started, showed its window and ended\n", argv[1]);
    }
    return status;
}
