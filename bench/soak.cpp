// A long session of vorlex.exe, watched from outside for leaks: it plays
// 10,000 QCIF frames at the shortest timer period, then 600 frames of
// 1920 x 1088, then steps 1,000 frames with the arrow keys. The player's GDI
// objects, USER objects, handles and private bytes are read when playback
// starts and at the end; none may grow.
//
//   soak UNIX_FOLDER     (make bench-soak)
//
// The folder receives the two sequences (about 2.3 GB, made once and kept).
#include <windows.h>

#include <psapi.h>
#include <stdio.h>

#include <string>

#include "display.h"
#include "gui_driver.h"

namespace {

const int kHdW = 1920, kHdH = 1088;

struct Counts {
    DWORD gdiObjects, userObjects, handles;
    SIZE_T privateBytes;
};

Counts Read(const PlayerProcess& player) {
    Counts c = {0, 0, 0, 0};
    HANDLE process = player.info.hProcess;
    c.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    c.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    GetProcessHandleCount(process, &c.handles);
    PROCESS_MEMORY_COUNTERS_EX memory;
    ZeroMemory(&memory, sizeof memory);
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        c.privateBytes = memory.PrivateUsage;
    }
    return c;
}

// Plays the open sequence from frame 0 and waits until it ends by itself.
bool PlayToTheEnd(const PlayerProcess& player, DWORD ms) {
    PostCommand(player, 201);
    return WaitUntil([&] { return MenuState(player, 201) & MF_GRAYED; }, 5000) &&
           WaitUntil([&] { return !(MenuState(player, 201) & MF_GRAYED); }, ms);
}

bool OpenAndShowFrame0(const PlayerProcess& player, const std::string& path, int w, int h) {
    return OpenThroughDialog(player, 101, path) &&
           WaitUntil([&] { return ReadFrameNumber(player.window, w, h) == 0; }, 10000);
}

// One key, then the frame it must show.
bool Step(const PlayerProcess& player, UINT key, int frame) {
    PressKey(player, key);
    return WaitUntil([&] { return ReadFrameNumber(player.window, kHdW, kHdH) == frame; }, 5000);
}

void Row(const char* name, unsigned long long start, unsigned long long end, bool* grew) {
    if (start == 0 && end == 0) {
        printf("| %s | not reported here | | |\n", name);
        return;
    }
    printf("| %s | %llu | %llu | %+lld |\n", name, start, end, static_cast<long long>(end - start));
    *grew = *grew || end > start;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s UNIX_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = WindowsFolder(argv[1]);
    const std::string qcif = folder + "soak_qcif_420.yuv", hd = folder + "soak_1920x1088_420.yuv";
    if (!WriteNumberedSequence(qcif, 176, 144, 10000) || !WriteNumberedSequence(hd, kHdW, kHdH, 600)) {
        fprintf(stderr, "cannot write the sequences into %s\n", folder.c_str());
        return 1;
    }
    PlayerProcess player;
    if (!LaunchPlayer(&player)) {
        fprintf(stderr, "vorlex.exe did not start\n");
        return 1;
    }
    // 1000 frames a second asks for a 1 ms period: the platform's shortest.
    bool ok = RunDialog(player, 303, "Sequence Option", 0, {{110, "1000"}}) &&
              OpenAndShowFrame0(player, qcif, 176, 144);
    const Counts start = Read(player);
    const DWORD began = GetTickCount();
    ok = ok && PlayToTheEnd(player, 600000);
    const DWORD qcifMs = GetTickCount() - began;
    ok = ok && RunDialog(player, 301, "Frame Options", 106, {{107, "1920"}, {109, "1088"}}) &&
         OpenAndShowFrame0(player, hd, kHdW, kHdH);
    const DWORD hdBegan = GetTickCount();
    ok = ok && PlayToTheEnd(player, 600000);
    const DWORD hdMs = GetTickCount() - hdBegan;
    // 1,000 steps: to the last frame and back through 401 of them.
    ok = ok && Step(player, VK_HOME, 0);
    for (int n = 1; ok && n < 600; ++n) {
        ok = Step(player, VK_RIGHT, n);
    }
    for (int n = 598; ok && n >= 198; --n) {
        ok = Step(player, VK_LEFT, n);
    }
    const Counts end = Read(player);
    EndPlayer(&player);
    if (!ok) {
        fprintf(stderr, "the player did not play or step as asked\n");
        return 1;
    }
    printf("10,000 QCIF frames in %.1f s, 600 frames of 1920x1088 in %.1f s, 1,000 key steps\n\n",
           qcifMs / 1000.0, hdMs / 1000.0);
    printf("| count | at the start of playback | at the end | change |\n|---|---|---|---|\n");
    bool grew = false;
    Row("GDI objects", start.gdiObjects, end.gdiObjects, &grew);
    Row("USER objects", start.userObjects, end.userObjects, &grew);
    Row("handles", start.handles, end.handles, &grew);
    Row("private bytes", start.privateBytes, end.privateBytes, &grew);
    printf("\n%s\n", grew ? "GROWN: a count is higher at the end" : "no count grew");
    return grew ? 1 : 0;
}
