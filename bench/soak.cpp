// A long session of vorlex.exe, watched from outside for leaks: it plays
// 10,000 QCIF frames at the shortest timer period, then 600 frames of
// 1920 x 1088, then steps 1,000 frames with the arrow keys; then it compares
// the QCIF frames with a second sequence, plays all 10,000 in the difference
// view with the Inspector open, presses N 1,000 times, and runs the
// statistics dialog to its end 200 times, clicking its plot and closing it.
// The player's GDI objects, USER objects, handles and private bytes are read
// when each of the three sessions starts and ends; none may grow within a
// session.
//
//   soak UNIX_FOLDER     (make bench-soak)
//
// The folder receives the three sequences (about 2.6 GB, made once and
// kept).
#include <windows.h>

#include <psapi.h>
#include <stdint.h>
#include <stdio.h>
#include <winternl.h>

#include <string>
#include <utility>
#include <vector>

#include "display.h"
#include "gui_driver.h"

namespace {

const int kHdW = 1920, kHdH = 1088, kQcifW = 176, kQcifH = 144;
const int kNPresses = 1000, kStatisticsRuns = 200, kWarmUpRuns = 20;

// A count and where it came from; no source: not reported here. Each count
// comes from the platform's own call. Where that reports nothing (Wine 8
// implements neither GetGuiResources nor the handle and memory counts of
// another process), it comes from what the platform keeps about the process.
struct Count {
    unsigned long long value;
    const char* source;
};

struct Counts {
    Count gdiObjects, userObjects, handles, privateBytes;
};

// One entry of the GDI handle table the platform keeps in each process and
// points to from the process environment block (Wine's layout).
struct GdiTableEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique; // bit 7: a stock object
    uint8_t type;    // 0: a free entry; kRegionType: a region
    uint8_t flags;
    uint64_t user;
};
static_assert(sizeof(GdiTableEntry) == 24, "Wine's entry: the same in both editions");
const int kGdiTableEntries = 0x10000;
// Neither the player nor the library makes regions; the platform keeps the
// update regions of windows there, more or fewer as windows come and go.
const uint8_t kRegionType = 4;
#ifdef _WIN64
const size_t kGdiTableInPeb = 0xF8;
#else
const size_t kGdiTableInPeb = 0x94;
#endif

Count GdiObjects(HANDLE process) {
    if (DWORD n = GetGuiResources(process, GR_GDIOBJECTS)) {
        return {n, "GetGuiResources"};
    }
    PROCESS_BASIC_INFORMATION basic;
    ULONG length;
    void* table = nullptr;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0 ||
        !ReadProcessMemory(process, reinterpret_cast<BYTE*>(basic.PebBaseAddress) + kGdiTableInPeb, &table,
                           sizeof table, nullptr) ||
        !table) {
        return {0, nullptr};
    }
    std::vector<GdiTableEntry> entries(kGdiTableEntries);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof entries[0], nullptr)) {
        return {0, nullptr};
    }
    unsigned long long n = 0;
    for (const GdiTableEntry& e : entries) {
        n += e.type != 0 && e.type != kRegionType && !(e.unique & 0x80);
    }
    return {n, "its GDI handle table, stock objects and regions left out"};
}

BOOL CALLBACK CountWindow(HWND window, LPARAM record) {
    auto* counted = reinterpret_cast<std::pair<DWORD, unsigned long long>*>(record);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    counted->second += pid == counted->first;
    return TRUE;
}

BOOL CALLBACK CountWindowAndChildren(HWND window, LPARAM record) {
    CountWindow(window, record);
    EnumChildWindows(window, CountWindow, record);
    return TRUE;
}

Count UserObjects(const PlayerProcess& player) {
    if (DWORD n = GetGuiResources(player.info.hProcess, GR_USEROBJECTS)) {
        return {n, "GetGuiResources"};
    }
    std::pair<DWORD, unsigned long long> counted(player.info.dwProcessId, 0);
    EnumWindows(CountWindowAndChildren, reinterpret_cast<LPARAM>(&counted));
    return {counted.second, "its windows (EnumWindows)"};
}

// Without a count, every handle value is tried: one the process has can be
// duplicated, any other is refused as invalid.
Count Handles(HANDLE process) {
    DWORD n = 0;
    if (GetProcessHandleCount(process, &n) && n) {
        return {n, "GetProcessHandleCount"};
    }
    unsigned long long found = 0;
    for (uintptr_t value = 4; value < 0x40000; value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS)) {
            CloseHandle(copy);
            ++found;
        } else if (GetLastError() != ERROR_INVALID_HANDLE) {
            ++found;
        }
    }
    return {found, "DuplicateHandle on every handle value"};
}

Count PrivateBytes(HANDLE process, DWORD pid) {
    PROCESS_MEMORY_COUNTERS_EX memory;
    ZeroMemory(&memory, sizeof memory);
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) &&
        memory.PrivateUsage) {
        return {memory.PrivateUsage, "GetProcessMemoryInfo"};
    }
    std::vector<BYTE> list(4 << 20);
    ULONG length = 0;
    if (NtQuerySystemInformation(SystemProcessInformation, list.data(), static_cast<ULONG>(list.size()),
                                 &length) != 0) {
        return {0, nullptr};
    }
    for (size_t at = 0;;) {
        const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&list[at]);
        if (reinterpret_cast<uintptr_t>(p->UniqueProcessId) == pid) {
            return {p->VirtualMemoryCounters.PagefileUsage, "its pagefile usage (NtQuerySystemInformation)"};
        }
        if (!p->NextEntryOffset) {
            return {0, nullptr};
        }
        at += p->NextEntryOffset;
    }
}

Counts Read(const PlayerProcess& player) {
    HANDLE process = player.info.hProcess;
    return {GdiObjects(process), UserObjects(player), Handles(process),
            PrivateBytes(process, player.info.dwProcessId)};
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

// One key, then the frame of a w x h sequence it must show.
bool Step(const PlayerProcess& player, UINT key, int frame, int w = kHdW, int h = kHdH) {
    PressKey(player, key);
    return WaitUntil([&] { return ReadFrameNumber(player.window, w, h) == frame; }, 5000);
}

// The plot shows its black axes.
bool PlotDrawn(HWND plot, const SIZE& size) {
    const std::vector<uint8_t> pixels = ReadClient(plot, size.cx, size.cy);
    for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
        if ((pixels[i] | pixels[i + 1] | pixels[i + 2]) == 0) {
            return true;
        }
    }
    return false;
}

// File > Comparison statistics... run to its end and its plot drawn, a
// click in the middle of the plot (which shows the frame it picks) and
// Close.
bool RunStatistics(const PlayerProcess& player) {
    PostCommand(player, 105);
    HWND dialog = WaitForDialog(player, "Comparison Statistics", player.window, 5000);
    if (!dialog || !WaitUntil([&] { return Enabled(dialog, 104); }, 120000)) {
        return false;
    }
    HWND plot = GetDlgItem(dialog, 107);
    const SIZE size = ClientSize(plot);
    if (!WaitUntil([&] { return PlotDrawn(plot, size); }, 5000)) {
        return false;
    }
    PostMessageA(plot, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(size.cx / 2, size.cy / 2));
    PostMessageA(plot, WM_LBUTTONUP, 0, MAKELPARAM(size.cx / 2, size.cy / 2));
    PressButton(dialog, IDCANCEL);
    return WaitUntil([&] { return !IsWindow(dialog); }, 5000);
}

// The six readings: start and end of the QCIF playback, of the 1920 x 1088
// session and of the comparison.
const int kReadings = 6;
struct Readings {
    Counts at[kReadings];
};

// A count grows when it is higher at the end of a session than at its
// start. Memory may move by a few pages without a leak; more than 64 KiB
// counts as growth. Between the sessions the player opens dialogs, first
// shows a larger frame, starts a comparison and first opens the statistics
// dialog, which may raise counts once; those steps are shown but not judged.
void Row(const char* name, Count Counts::*field, const Readings& r, unsigned long long slack, bool* grew) {
    const Count* c[kReadings];
    for (int i = 0; i < kReadings; ++i) {
        c[i] = &(r.at[i].*field);
        if (!c[i]->source) {
            printf("| %s | not reported here | | | | | | | |\n", name);
            return;
        }
    }
    long long growth[kReadings / 2];
    for (int i = 0; i < kReadings / 2; ++i) {
        growth[i] = static_cast<long long>(c[2 * i + 1]->value - c[2 * i]->value);
        *grew = *grew || growth[i] > static_cast<long long>(slack);
    }
    printf("| %s | %llu | %llu | %llu | %llu | %llu | %llu | %+lld / %+lld / %+lld | %s |\n", name,
           c[0]->value, c[1]->value, c[2]->value, c[3]->value, c[4]->value, c[5]->value, growth[0], growth[1],
           growth[2], c[0]->source);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths;
    if (const int status = PrepareWorkFolder(
            argc, argv,
            {{"soak_qcif_420.yuv", kQcifW, kQcifH, 10000, SEQUENCE_PLAIN},
             {"soak_1920x1088_420.yuv", kHdW, kHdH, 600, SEQUENCE_PLAIN},
             {"soak_qcif_420_compared.yuv", kQcifW, kQcifH, 10000, SEQUENCE_NUMBERS_DIFFER_BUT_EVERY_FOURTH}},
            nullptr, &paths)) {
        return status;
    }
    const std::string& qcif = paths[0];
    const std::string& hd = paths[1];
    const std::string& compared = paths[2];
    PlayerProcess player;
    if (!LaunchPlayer(&player)) {
        fprintf(stderr, "vorlex.exe did not start\n");
        return 1;
    }
    // 1000 frames a second asks for a 1 ms period: the platform's shortest.
    bool ok = RunDialog(player, 303, "Sequence Option", 0, {{110, "1000"}}) &&
              OpenAndShowFrame0(player, qcif, kQcifW, kQcifH);
    // Play is offered. This first query runs a thread of ours in the player,
    // which leaves memory of its own there: it comes before the first reading.
    ok = ok && !(MenuState(player, 201) & MF_GRAYED);
    Readings r;
    r.at[0] = Read(player);
    const DWORD began = GetTickCount();
    ok = ok && PlayToTheEnd(player, 600000);
    const DWORD qcifMs = GetTickCount() - began;
    r.at[1] = Read(player);
    ok = ok && RunDialog(player, 301, "Frame Options", 106, {{107, "1920"}, {109, "1088"}}) &&
         OpenAndShowFrame0(player, hd, kHdW, kHdH);
    r.at[2] = Read(player);
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
    r.at[3] = Read(player);

    // The comparison of the QCIF frames, in the difference view at gain 16,
    // where a frame that differs shows its number as A does. The
    // statistics dialog runs kWarmUpRuns times before the first reading.
    ok = ok && RunDialog(player, 301, "Frame Options", 102, {}) &&
         OpenAndShowFrame0(player, qcif, kQcifW, kQcifH) && OpenThroughDialog(player, 103, compared);
    for (UINT key : {UINT('D'), UINT(VK_ADD), UINT(VK_ADD)}) {
        PressKey(player, key);
    }
    // The platform makes a few objects once, on one of the dialog's first
    // uses (two fonts and a bitmap under Wine). Home after a dialog comes
    // after what its click asked for: once frame 0 shows, the player has
    // done it all and is idle.
    ok = ok && WaitUntil([&] { return ReadFrameNumber(player.window, kQcifW, kQcifH) == 0; }, 5000);
    for (int i = 0; ok && i < kWarmUpRuns; ++i) {
        ok = RunStatistics(player);
    }
    ok = ok && Step(player, VK_HOME, 0, kQcifW, kQcifH);
    r.at[4] = Read(player);
    const DWORD comparedBegan = GetTickCount();
    ok = ok && PlayToTheEnd(player, 600000);
    const DWORD comparedMs = GetTickCount() - comparedBegan;
    // N from frame 0: the k-th press shows the k-th frame that differs, k + k / 3.
    const DWORD nBegan = GetTickCount();
    ok = ok && Step(player, VK_HOME, 0, kQcifW, kQcifH);
    for (int k = 1; ok && k <= kNPresses; ++k) {
        ok = Step(player, 'N', k + k / 3, kQcifW, kQcifH);
    }
    const DWORD nMs = GetTickCount() - nBegan;
    const DWORD statisticsBegan = GetTickCount();
    for (int i = 0; ok && i < kStatisticsRuns; ++i) {
        ok = RunStatistics(player);
    }
    const DWORD statisticsMs = GetTickCount() - statisticsBegan;
    ok = ok && Step(player, VK_HOME, 0, kQcifW, kQcifH);
    r.at[5] = Read(player);
    EndPlayer(&player);
    if (!ok) {
        fprintf(stderr, "the player did not play, step, compare or run its statistics as asked (at: %s)\n",
                LastStep().c_str());
        return 1;
    }
    printf("10,000 QCIF frames in %.1f s, 600 frames of 1920x1088 in %.1f s, 1,000 key steps\n",
           qcifMs / 1000.0, hdMs / 1000.0);
    printf("compared: 10,000 frames in the difference view in %.1f s, %d N presses in %.1f s, %d statistics "
           "dialogs of 10,000 frames in %.1f s (%.2f s each)\n\n",
           comparedMs / 1000.0, kNPresses, nMs / 1000.0, kStatisticsRuns, statisticsMs / 1000.0,
           statisticsMs / 1000.0 / kStatisticsRuns);
    printf("| count | QCIF start | QCIF end | 1920x1088 start | end | comparison start | end | growth (QCIF / "
           "1920x1088 / comparison) | read from |\n"
           "|---|---|---|---|---|---|---|---|---|\n");
    bool grew = false;
    Row("GDI objects", &Counts::gdiObjects, r, 0, &grew);
    Row("USER objects", &Counts::userObjects, r, 0, &grew);
    Row("handles", &Counts::handles, r, 0, &grew);
    Row("private bytes", &Counts::privateBytes, r, 64 << 10, &grew);
    printf("\n%s\n",
           grew ? "GROWN: a count is higher at the end of a session than at its start" : "no count grew");
    return grew ? 1 : 0;
}
