// Drives vorlex.exe from outside, as a user would: starts it, posts menu
// commands, fills and confirms its dialogs and the open-file dialog, reads
// titles, menu states, message boxes and the pixels on the screen.
//
// Under Wine menus are per-process objects, so menu states are read inside
// the player's process by the probe DLL (gui_probe.dll), which the driver
// loads there. Anything that may start a modal loop is posted, never sent.
//
// No call waits without a bound: messages to the player's windows are sent
// with a timeout, and work on its process that Wine carries out inside it
// (allocating memory, starting a thread) runs on a worker thread that the
// driver stops waiting for. Each action records what it is doing (SetStep)
// for a watchdog on another thread; once the watchdog has ended the player
// (AbandonWaits), every wait gives up at once.
#ifndef VORLEX_GUI_DRIVER_H
#define VORLEX_GUI_DRIVER_H

#include <windows.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <functional>
#include <string>
#include <vector>

#include "gui_probe.h"
#include "screen_pixels.h"

// The probe DLL in a player's process, loaded on first use and kept: a page
// in the player's memory for the DLL's path and the calls' record (never
// freed), and the probe's thread procedures there.
struct RemoteProbe {
    BYTE* page;
    UINT_PTR menuState;
    UINT_PTR globalAlloc;
    UINT_PTR listRow;
    bool failed; // loading or a call failed: not used again for this player
};

struct PlayerProcess {
    PROCESS_INFORMATION info;
    HWND window;
    mutable RemoteProbe probe; // loaded by the first query, which does not change the player
};

// What the driver is doing or waiting for, in a few words.
void SetStep(const std::string& step);
std::string LastStep();

// After AbandonWaits(true) every wait of the driver gives up at once, until
// AbandonWaits(false): a watchdog has ended the player being waited for.
void AbandonWaits(bool abandon);
bool WaitsAbandoned();

// What the players started and not yet ended show: title and dialogs.
std::string DescribePlayers();
// Ends those players at once.
void TerminatePlayers();

// The folder of this program, with a trailing backslash: vorlex.exe and
// gui_probe.dll lie there.
std::string ProgramFolder();

// Starts vorlex.exe (the one beside this program, or the one at `path`), with
// `arguments` on its command line, and waits for its main window of class
// "VORLEX" in that process. False when it does not appear in time.
bool LaunchPlayer(PlayerProcess* player, const char* path = nullptr, const std::string& arguments = "");

// The entry of `module` (by file name) in process `pid`'s module list; false
// also when the list could not be read within a few seconds.
bool FindRemoteModule(DWORD pid, const char* module, MODULEENTRY32* entry);

// Ends the player: posts WM_CLOSE and waits; terminates it when it does not
// end in time. Closes the handles.
void EndPlayer(PlayerProcess* player);

// True when the process ended within `ms`; *exitCode receives its code.
bool WaitForExit(const PlayerProcess& player, DWORD ms, DWORD* exitCode);

// Polls `condition` every few milliseconds until it holds or `ms` passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD ms = 3000);

void PostCommand(const PlayerProcess& player, int id);

std::string WindowText(HWND window);
SIZE ClientSize(HWND window);

// GetMenuState of the main window's menu, run inside the player's process:
// by command id, or by position (MF_BYPOSITION) for the menu-bar entries.
// 0xFFFFFFFF when the query fails.
const UINT kMenuQueryFailed = 0xFFFFFFFF;
UINT MenuState(const PlayerProcess& player, UINT item, UINT flags = MF_BYCOMMAND);

// Row `item` (-1: the column names) of a report list in the player, read
// inside its process, where the list gives its cells (gui_probe.h). False
// when the query fails.
bool ReadListRow(const PlayerProcess& player, HWND list, int item, ProbeListCells* row);

// Runs a dialog command, checks `radio` (when not 0), sets the fields,
// chooses the drop-down lists' items and presses OK. True when the dialog
// came and went.
bool RunDialog(const PlayerProcess& player, int command, const char* caption, int radio,
               const std::vector<std::pair<int, std::string>>& fields,
               const std::vector<std::pair<int, int>>& lists = {});

// Drops files on the player's window as the shell does: a WM_DROPFILES
// message with the names in global memory of the player's process.
bool DropFiles(const PlayerProcess& player, const std::vector<std::string>& paths);

// Presses and releases a key (a virtual-key code) in the player's window.
void PressKey(const PlayerProcess& player, UINT key);

// Visible top-level dialog-class (#32770) windows of the player's process.
std::vector<HWND> PlayerDialogs(const PlayerProcess& player);

// Waits for a visible #32770 window of the player titled `caption` (any
// title when null) and owned by `owner`.
HWND WaitForDialog(const PlayerProcess& player, const char* caption, HWND owner, DWORD ms = 3000);

// A message box's text (its static control 0xFFFF).
std::string MessageBoxText(HWND box);

// Presses button `id` of a dialog by posting a click (a sent one would wait
// for any message box the click raises).
void PressButton(HWND dialog, int id);
// Waits until `window` is destroyed or hidden.
bool WaitUntilGone(HWND window, DWORD ms = 3000);

// Waits for a message box owned by `owner` (null: none), returns its text
// and closes it. Empty when none came.
std::string TakeMessageBox(const PlayerProcess& player, HWND owner, DWORD ms = 3000);

// Closes every dialog and message box the player shows (Cancel, then OK).
void CloseAllDialogs(const PlayerProcess& player);

// Runs one of the open commands (101 sequence, 102 image) through the real
// open-file dialog with a Windows path. False when the dialog did not come
// or did not accept the path (it is then cancelled).
bool OpenThroughDialog(const PlayerProcess& player, int command, const std::string& path);

// Field helpers for another process's dialog, by messages sent with a
// timeout: a field that does not answer reads as empty and unchecked.
bool SetField(HWND dialog, int id, const std::string& text);
std::string Field(HWND dialog, int id);
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
// Chooses item `index` of the drop-down list `id` of a dialog, as a user's
// choice does: the list changes and the dialog hears of it.
bool ChooseListItem(HWND dialog, int id, int index);

// The first visible top-level window of class `className` of the player's
// process (its tool windows), or null.
HWND PlayerWindow(const PlayerProcess& player, const char* className);

// Polls until the client rectangle at (0, 0) shows `expected`.
bool ShowsWithin(HWND window, int w, int h, const std::vector<uint8_t>& expected, DWORD ms = 3000);

// The frame number drawn by NumberedPlane: 16 blocks of w/32 x h/16 pixels in
// the top-left corner, most significant first, white for 1. -1 when the
// blocks are not clearly black or white, or all white (the background).
int ReadFrameNumber(HWND window, int frameWidth, int frameHeight);

// Draws frame number n into a w-wide luma plane as ReadFrameNumber reads it
// (Y 235 for 1, 16 for 0).
void DrawFrameNumber(uint8_t* luma, int w, int h, int n);

// Bytes of one frame of an image type (3 gray, 100 to 103 YUV, 104 RGB,
// 105 BGR).
size_t FrameBytes(uint32_t type, int w, int h);

// One frame in the file layout of `type`: random content with frame number
// n drawn into the top band (DrawFrameNumber), whose colour is neutral.
std::vector<uint8_t> NumberedFrame(uint32_t type, int w, int h, int n);

// "Z:\..." form of a Unix path, as Wine names it.
std::string WindowsPath(const std::string& unixPath);
// The same for a folder, ending in a backslash.
std::string WindowsFolder(const std::string& unixPath);

// Writes a whole file (test_support's ReadWholeFile reads one back).
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);
// Size of a file; 0 when it does not exist.
uint64_t FileSize(const std::string& path);

// A sequence of numbered 4:2:0 frames (NumberedFrame) that a benchmark plays,
// as they are, as the second sequence of a comparison whose difference view
// at gain 16 shows the numbers (their blocks 16 levels darker or lighter,
// all else equal), the same with every fourth frame (n % 4 == 3) left as
// it is, in 10 bits (each sample shifted up by 2), or as a Y4M file at 60
// fps.
enum SequenceForm {
    SEQUENCE_PLAIN,
    SEQUENCE_NUMBERS_DIFFER,
    SEQUENCE_10_BIT,
    SEQUENCE_Y4M_60,
    SEQUENCE_NUMBERS_DIFFER_BUT_EVERY_FOURTH
};
struct NumberedSequence {
    const char* name;
    int w, h, frames;
    int form;
};

// The one argument of the GUI test program and the player benchmarks: the
// Unix path of their work folder. Sets *folder (when not null) to its
// Windows form, with a trailing backslash, and writes each of `sequences`
// there unless its file already holds all its frames (benchmarks keep their
// large sequences); their paths go to *paths. Returns 0, or after saying
// what is wrong the exit code: 2 for wrong arguments, 1 when a sequence
// could not be written.
int PrepareWorkFolder(int argc, char** argv, const std::vector<NumberedSequence>& sequences,
                      std::string* folder, std::vector<std::string>* paths);

#endif
