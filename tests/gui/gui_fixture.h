// What the GUI tests of vorlex.exe share: a fresh player per test, the test
// files' folder, test material with the frame number drawn in, the pixels
// the player must show, computed by the real display.dll, and the window
// sizes it must take, as measured.
#ifndef VORLEX_GUI_FIXTURE_H
#define VORLEX_GUI_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "gui_driver.h"

// Menu and control ids of the player, as a user's tools see them.
enum {
    CMD_OPEN_SEQUENCE = 101,
    CMD_OPEN_IMAGE = 102,
    CMD_EXIT = 110,
    CMD_PLAY = 201,
    CMD_STOP = 202,
    CMD_PAUSE = 203,
    CMD_SHOW_FRAME = 204,
    CMD_SAVE_RAW = 205,
    CMD_SAVE_BITMAP = 206,
    CMD_FRAME_OPTIONS = 301,
    CMD_IMAGE_OPTION = 302,
    CMD_SEQUENCE_OPTION = 303,
    CMD_Y_ONLY = 304
};

// The folder of the test files, in Windows form with a trailing backslash
// (set by main from its argument).
extern std::string WorkFolder;
std::string WorkPath(const std::string& name);

// Frames 0 to count-1, back to back, written to WorkPath(name).
std::vector<uint8_t> WriteSequence(const std::string& name, uint32_t type, int w, int h, int count);

// The pixel rows (bottom-up, 3 bytes a pixel) the player must show for
// `frame` of a sequence of `type`, from display.dll's conversion of it:
// chroma made signed, gray as 4:4:4 with neutral colour, the neutral planes
// in Y-only mode. RGB and BGR computed from their bytes.
std::vector<uint8_t> ExpectedFramePixels(uint32_t type, int w, int h, const uint8_t* frame,
                                         bool lumaOnly = false);

// The clipboard's text. While the player may be opening the clipboard, it
// is looked at only now and then: holding it would make the player wait.
std::string ClipboardText();

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a sequence or an image through the open dialog and waits for
    // the title that names it.
    void OpenSequence(const std::string& path);
    void OpenImage(const std::string& path);

    // Runs a dialog command and returns the dialog with `caption`.
    HWND OpenDialog(int command, const char* caption);
    // Presses OK and expects the dialog to close.
    void ConfirmDialog(HWND dialog);
    // Presses OK and expects the dialog's message box with `message`; the
    // dialog stays open.
    void ExpectRefusal(HWND dialog, const char* message);
    void CancelDialog(HWND dialog);

    // Sets the sequence type radio, header and frame rate through Sequence
    // Option (radio 0: leave as it is).
    void SetSequenceOptions(int radio, const char* header, const char* rate);
    // Frame Options: a preset radio; for the custom radio a size.
    void SetFrameSize(int radio, const char* width = nullptr, const char* height = nullptr);
    void SetImageOptions(int radio, const char* width, const char* height, const char* header);

    // Shows frame n through "Show single frame...".
    void ShowFrame(int n);

    // Waits until the window is fitted for a w x h frame, then expects its
    // rectangle and client size (for the frame sizes the suite uses).
    void ExpectFitted(int w, int h);

    // Expects a message box of the main window (no owner) with `message`,
    // and closes it.
    void ExpectPlayerMessage(const char* message);
    // No dialog or message box of the player is open.
    void ExpectNoDialog();

    // Menu states read inside the player; a failed query fails the test.
    bool Grayed(UINT id);
    bool MenuChecked(UINT id);
    bool ControlGrayed();
    // The "&Control" items in the stopped (false) or playing arrangement.
    void ExpectArrangement(bool playing);

    // The frame number on screen of a w x h sequence (-1 when unreadable).
    int FrameOnScreen(int w, int h) { return ReadFrameNumber(player_.window, w, h); }
    // Waits until the frame number on screen satisfies `condition`.
    bool WaitForFrame(int w, int h, const std::function<bool(int)>& condition, DWORD ms = 5000);
    // The frame number on screen once it has not changed for `quietMs`
    // (-1 when it keeps changing for 5 s).
    int SettledFrame(int w, int h, DWORD quietMs = 500);

    // Polls until the w x h client rectangle at (0, 0) shows `pixels`;
    // otherwise says how much and where the screen differs.
    ::testing::AssertionResult Shows(int w, int h, const std::vector<uint8_t>& pixels, DWORD ms = 3000);

    PlayerProcess player_;
};

#endif
