// vorlex.exe: the entry point and the main window: menu and its states,
// opening and playing a sequence on timer 1001, the display request by which
// the window asks itself to show a frame or an image, painting and shutting
// down.
#include <windows.h>

#include <cderr.h>
#include <shellapi.h>
#include <stddef.h>

#include "display.h"
#include "frame_access.h"
#include "frame_rate.h"
#include "main_window.h"
#include "option_dialogs.h"
#include "option_rules.h"
#include "player_state.h"
#include "resource.h"
#include "save_frames.h"
#include "show_frames.h"

namespace {

const char kClassName[] = "VORLEX";
const char kTitle[] = "Vorlex";
const UINT_PTR kPlaybackTimer = 1001;
const int kControlMenuPosition = 1;
// The open dialog's record in its original form, without the fields added
// later: 76 bytes in 32-bit code, 136 in 64-bit code (the dialog refuses any
// other size).
const DWORD kOpenFileNameSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
#if defined(_WIN64)
static_assert(kOpenFileNameSize == 136, "original open-file record, 64-bit");
#else
static_assert(kOpenFileNameSize == 76, "original open-file record, 32-bit");
#endif
const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST; // 0x1804

static_assert(OPEN_DIALOG_NAME_TOO_LONG == FNERR_BUFFERTOOSMALL, "the dialog's error for a name too long");

// The display request the window posts itself. lParam's low word non-zero:
// show frame wParam of the sequence. Low word zero: show the image just
// opened, whose kind (1 bitmap, 2 MMP, 3 raw) is the high word.
const UINT WM_DISPLAY_REQUEST = WM_USER;
LPARAM SequenceFrameRequest() { return MAKELPARAM(1, 0); }
LPARAM OpenedImageRequest(int kind) { return MAKELPARAM(0, kind); }
bool IsSequenceFrameRequest(LPARAM what) { return LOWORD(what) != 0; }
int RequestedImageKind(LPARAM what) { return HIWORD(what); }

HINSTANCE g_instance;
bool g_bufferFailure;

// The open-file record shared by both open commands; unset (lStructSize 0)
// when the filter string could not be loaded.
OPENFILENAMEA g_openFile;
char g_filter[256];
// The longest path the ANSI calls take.
char g_fileName[MAX_PATH];
char g_fileTitle[MAX_PATH];

void SetUpOpenFileRecord(HWND window) {
    const int length = LoadStringA(g_instance, IDS_OPEN_FILTER, g_filter, sizeof g_filter);
    if (length <= 0) {
        return;
    }
    // The last character separates the pairs; NULs take its place.
    const char separator = g_filter[length - 1];
    for (int i = 0; i < length; ++i) {
        if (g_filter[i] == separator) {
            g_filter[i] = '\0';
        }
    }
    ZeroMemory(&g_openFile, sizeof g_openFile);
    g_openFile.lStructSize = kOpenFileNameSize;
    g_openFile.hwndOwner = window;
    g_openFile.lpstrFilter = g_filter;
    g_openFile.nFilterIndex = 1;
    g_openFile.lpstrFile = g_fileName;
    g_openFile.nMaxFile = sizeof g_fileName;
    g_openFile.lpstrFileTitle = g_fileTitle;
    g_openFile.nMaxFileTitle = sizeof g_fileTitle;
    g_openFile.Flags = kOpenFlags;
}

// Places a window of outer size w x h in the middle of the screen, or at
// (0, 0) when the screen is not larger.
void PlaceWindow(HWND window, int w, int h) {
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    int x = 0, y = 0;
    if (screenW > w && screenH > h) {
        x = (screenW - w) / 2;
        y = (screenH - h) / 2;
    }
    MoveWindow(window, x, y, w, h, TRUE);
}

void SetControlMenuEnabled(HWND window, bool enabled) {
    EnableMenuItem(GetMenu(window), kControlMenuPosition,
                   MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(window);
}

void SetPauseChecked(HWND window, bool checked) {
    CheckMenuItem(GetMenu(window), IDM_PAUSE, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void ApplyArrangement(HWND window, bool playing) {
    HMENU menu = GetMenu(window);
    const UINT onWhilePlaying = MF_BYCOMMAND | (playing ? MF_ENABLED : MF_GRAYED);
    const UINT onWhileStopped = MF_BYCOMMAND | (playing ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(menu, IDM_PLAY, onWhileStopped);
    EnableMenuItem(menu, IDM_STOP, onWhilePlaying);
    EnableMenuItem(menu, IDM_PAUSE, onWhilePlaying);
    EnableMenuItem(menu, IDM_SHOW_FRAME, onWhileStopped);
    EnableMenuItem(menu, IDM_SAVE_RAW, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(menu, IDM_SAVE_BITMAP, MF_BYCOMMAND | MF_ENABLED);
}

// Playback ends: the flag, the stopped arrangement and a Pause item that no
// longer claims to be paused.
void StopPlayback(HWND window) {
    Player.playing = false;
    ApplyArrangement(window, false);
    SetPauseChecked(window, false);
}

void SetFileTitle(HWND window, const char* path) {
    char title[sizeof kTitle + 3 + sizeof g_fileName];
    wsprintfA(title, "Vorlex - %s", path);
    SetWindowTextA(window, title);
}

// Runs the open dialog; the chosen path is left in g_fileName. False when the
// user cancelled or the dialog failed (the user is told why).
bool ChooseFile() {
    if (g_openFile.lStructSize == 0) {
        return false;
    }
    g_fileName[0] = '\0';
    if (!GetOpenFileNameA(&g_openFile)) {
        if (const char* failure = OpenDialogFailure(CommDlgExtendedError())) {
            ShowError(nullptr, failure);
        }
        return false;
    }
    return true;
}

// Opens `path` as the input file; a file that cannot be opened is reported
// and the previous file, title and picture stay.
bool OpenChosenFile(const char* path) {
    if (!OpenInputFile(path)) {
        ShowError(nullptr, "Cannot open file for reading!");
        return false;
    }
    return true;
}

void OpenSequenceFile(HWND window, const char* path) {
    if (!OpenChosenFile(path)) {
        return;
    }
    Player.sequenceOpened = true;
    if (Player.playing) {
        StopPlayback(window);
    }
    SetFileTitle(window, path);
    FitWindowToFrame(window, Player.frameWidth, Player.frameHeight, true);
    SetControlMenuEnabled(window, true);
    ApplyArrangement(window, false);
    SetPauseChecked(window, false);
    Player.currentFrame = 0;
    Player.frameShown = 0;
    PostDisplayRequest(window, 0);
}

void OpenImageFile(HWND window, const char* path) {
    if (!OpenChosenFile(path)) {
        return;
    }
    if (Player.playing) {
        StopPlayback(window);
    }
    SetControlMenuEnabled(window, false);
    Player.imageOpened = true;
    const int kind = ClassifyImageFile(path);
    SetFileTitle(window, path);
    FitWindowToFrame(window, Player.imageWidth, Player.imageHeight, true);
    PostMessageA(window, WM_DISPLAY_REQUEST, 0, OpenedImageRequest(kind));
}

void OpenSequence(HWND window) {
    if (ChooseFile()) {
        OpenSequenceFile(window, g_fileName);
    }
}

void OpenImage(HWND window) {
    if (ChooseFile()) {
        OpenImageFile(window, g_fileName);
    }
}

void Play(HWND window) {
    Player.currentFrame = 0;
    Player.playing = true;
    SetPauseChecked(window, false);
    PostDisplayRequest(window, 0);
    ApplyArrangement(window, true);
}

void Pause(HWND window) {
    if (Player.playing) {
        Player.playing = false;
        SetPauseChecked(window, true);
    } else {
        Player.playing = true;
        SetPauseChecked(window, false);
        PostDisplayRequest(window, Player.currentFrame);
    }
}

bool ControlMenuEnabled(HWND window) {
    return !(GetMenuState(GetMenu(window), kControlMenuPosition, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
}

// Right, Left, Home and End: with a sequence open, show the next, previous,
// first or last frame through the same path as "Show single frame...". While
// playing, the first press pauses as Control > Pause does. Stepping while
// paused leaves playback to resume after the frame stepped to.
void StepFrame(HWND window, int key) {
    if (!ControlMenuEnabled(window)) {
        return;
    }
    if (Player.playing) {
        Pause(window);
    }
    const int64_t target = FrameForKey(key, Player.frameShown, SequenceFrameCount());
    if (target < 0) {
        return;
    }
    const uint32_t n = static_cast<uint32_t>(target);
    const bool paused = GetMenuState(GetMenu(window), IDM_PAUSE, MF_BYCOMMAND) & MF_CHECKED;
    Player.currentFrame = paused ? n + 1 : n;
    PostDisplayRequest(window, n);
}

// Space: Play when stopped, Pause (or resume) when playing or paused.
void PlayOrPause(HWND window) {
    if (!ControlMenuEnabled(window)) {
        return;
    }
    if (GetMenuState(GetMenu(window), IDM_PLAY, MF_BYCOMMAND) & MF_GRAYED) {
        Pause(window);
    } else {
        Play(window);
    }
}

// A file dropped on the window opens as File > Open image... would open it
// when its name is that of a bitmap or MMP file, otherwise as File > Open
// sequence...; of several files, the first.
void OpenDroppedFile(HWND window, HDROP drop) {
    char path[MAX_PATH];
    const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
    const bool fits = length > 0 && length < sizeof path && DragQueryFileA(drop, 0, path, sizeof path) == length;
    DragFinish(drop);
    if (!fits) {
        if (length >= sizeof path) {
            ShowError(nullptr, "File name too long!");
        }
        return;
    }
    if (ClassifyImageFile(path) == IMAGE_FILE_RAW) {
        OpenSequenceFile(window, path);
    } else {
        OpenImageFile(window, path);
    }
}

void ToggleLumaOnly(HWND window) {
    Player.lumaOnly = !Player.lumaOnly;
    CheckMenuItem(GetMenu(window), IDM_Y_ONLY,
                  MF_BYCOMMAND | (Player.lumaOnly ? MF_CHECKED : MF_UNCHECKED));
}

// Shows frame n of the open sequence; a missing frame ends playback silently
// or, outside playback, is reported.
void ShowSequenceFrame(HWND window, uint32_t n) {
    if (!ReadSequenceFrame(n)) {
        if (Player.playing) {
            StopPlayback(window);
        } else {
            ShowError(nullptr, "Frame number too large!");
        }
        return;
    }
    ShowFrameBuffer(window, Player.sequenceType, Player.frameWidth, Player.frameHeight,
                    Player.sequencePlan, Player.lumaOnly);
    Player.frameShown = n;
    if (Player.playing) {
        ++Player.currentFrame;
    }
}

// ---- Message handlers ----

BOOL OnCreate(HWND window, LPCREATESTRUCT) {
    if (!InitPlayerState()) {
        ShowError(nullptr, "Frame buffer failure!");
        g_bufferFailure = true;
        return FALSE;
    }
    FitWindowToFrame(window, Player.frameWidth, Player.frameHeight, false);
    SetUpOpenFileRecord(window);
    SetTimer(window, kPlaybackTimer, Player.timerPeriod, nullptr);
    DragAcceptFiles(window, TRUE);
    return TRUE;
}

void OnCommand(HWND window, int id, HWND, UINT) {
    switch (id) {
    case IDM_OPEN_SEQUENCE: OpenSequence(window); break;
    case IDM_OPEN_IMAGE: OpenImage(window); break;
    case IDM_EXIT: PostMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_PLAY: Play(window); break;
    case IDM_STOP: StopPlayback(window); break;
    case IDM_PAUSE: Pause(window); break;
    case IDM_SHOW_FRAME: RunFrameNumberCommand(window); break;
    case IDM_SAVE_RAW: SaveFrame(window, false); break;
    case IDM_SAVE_BITMAP: SaveFrame(window, true); break;
    case IDM_FRAME_OPTIONS: RunFrameOptionsCommand(window); break;
    case IDM_IMAGE_OPTION: RunImageOptionCommand(window); break;
    case IDM_SEQUENCE_OPTION: RunSequenceOptionCommand(window); break;
    case IDM_Y_ONLY: ToggleLumaOnly(window); break;
    case IDK_NEXT_FRAME: StepFrame(window, FRAME_KEY_NEXT); break;
    case IDK_PREVIOUS_FRAME: StepFrame(window, FRAME_KEY_PREVIOUS); break;
    case IDK_FIRST_FRAME: StepFrame(window, FRAME_KEY_FIRST); break;
    case IDK_LAST_FRAME: StepFrame(window, FRAME_KEY_LAST); break;
    case IDK_PLAY_PAUSE: PlayOrPause(window); break;
    }
}

void OnTimer(HWND window, UINT id) {
    if (id == kPlaybackTimer && Player.playing) {
        PostDisplayRequest(window, Player.currentFrame);
    }
}

void OnDisplayRequest(HWND window, WPARAM frame, LPARAM what) {
    if (IsSequenceFrameRequest(what)) {
        ShowSequenceFrame(window, static_cast<uint32_t>(frame));
    } else {
        ShowOpenedImage(window, RequestedImageKind(what));
    }
}

void OnPaint(HWND window) { WinPaint(window); }

void OnDestroy(HWND window) {
    KillTimer(window, kPlaybackTimer);
    ReleasePlayerState();
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, reinterpret_cast<LPCREATESTRUCT>(lParam)) ? 0 : -1;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(window, static_cast<UINT>(wParam));
        return 0;
    case WM_DISPLAY_REQUEST:
        OnDisplayRequest(window, wParam, lParam);
        return 0;
    case WM_DROPFILES:
        OpenDroppedFile(window, reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_PAINT:
        if (Player.sequenceOpened || Player.imageOpened) {
            OnPaint(window);
            return 0;
        }
        break;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void ShowError(HWND owner, const char* text) { MessageBoxA(owner, text, kTitle, MB_OK | MB_ICONERROR); }

void PostDisplayRequest(HWND window, uint32_t frame) {
    PostMessageA(window, WM_DISPLAY_REQUEST, frame, SequenceFrameRequest());
}

void RestartPlaybackTimer(HWND window) {
    KillTimer(window, kPlaybackTimer);
    Player.timerPeriod = TimerPeriodFor(Player.frameRate);
    SetTimer(window, kPlaybackTimer, Player.timerPeriod, nullptr);
}

void FitWindowToFrame(HWND window, uint32_t width, uint32_t height, bool remeasure) {
    const int w = static_cast<int>(width) + 2 * GetSystemMetrics(SM_CXFRAME);
    int h = static_cast<int>(height) + 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYMENU) +
            GetSystemMetrics(SM_CYCAPTION);
    PlaceWindow(window, w, h);
    if (!remeasure) {
        return;
    }
    // A menu bar that wrapped into two lines steals client height: grow by
    // what is missing, once. One pixel short is not corrected.
    RECT client;
    GetClientRect(window, &client);
    if (client.bottom < static_cast<LONG>(height) - 1) {
        h += static_cast<int>(height) - client.bottom;
        PlaceWindow(window, w, h);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VORLEX));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) {
        return 0;
    }
    g_instance = instance;

    HWND window = CreateWindowExA(0, kClassName, kTitle, WS_CAPTION | WS_SYSMENU, 0, 0, CW_USEDEFAULT,
                                  CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) {
        // Without its buffers the program cannot work: it ends, and says so
        // in its exit code.
        return g_bufferFailure ? 1 : 0;
    }
    SetMenu(window, LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAIN_MENU)));
    SetControlMenuEnabled(window, false);
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    // The keys are translated here only: a dialog or message box runs its
    // own loop, so no key acts while one is open.
    HACCEL keys = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_FRAME_KEYS));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(window, keys, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
