// vorlex.exe: the entry point and the main window. The window turns its
// messages into the events of the playback rules (playback.h) and carries
// out what they return: the title, the window's size, the timer, the menu
// drawn from the state, the library call that shows a picture, the display
// request it posts itself, and messages to the user. A click on the
// statistics dialog's plot arrives as a message posted to it.
#include <windows.h>

#include <cderr.h>
#include <commctrl.h>
#include <shellapi.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include "command_line.h"
#include "display.h"
#include "frame_access.h"
#include "inspector.h"
#include "message_box.h"
#include "option_dialogs.h"
#include "option_rules.h"
#include "playback.h"
#include "player_state.h"
#include "progress_dialog.h"
#include "resource.h"
#include "statistics_dialog.h"

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
// show frame wParam of the sequence, asked for by a command (1) or by
// playback (2). Low word zero: show the image just opened, whose kind (1
// bitmap, 2 MMP, 3 raw) is the high word.
const UINT WM_DISPLAY_REQUEST = WM_USER;

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

// The menu as last drawn, so that a tick that changes nothing draws
// nothing; `g_menuDrawn` is false until the first drawing.
MenuLook g_menuShown;
bool g_menuDrawn;
// The player's state: everything the rules read and change.
PlayerState g_player;

// The largest client area a window can have inside the screen's work area
// (the screen less the task bar): the limit of a zoom.
void MeasureWorkArea() {
    RECT work;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
    const int w = work.right - work.left - 2 * GetSystemMetrics(SM_CXFRAME);
    const int h = work.bottom - work.top - 2 * GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CYMENU) -
                  GetSystemMetrics(SM_CYCAPTION);
    g_player.workWidth = static_cast<uint32_t>(w > 1 ? w : 1);
    g_player.workHeight = static_cast<uint32_t>(h > 1 ? h : 1);
}

void EnableItem(HMENU menu, UINT id, bool enabled) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CheckItem(HMENU menu, UINT id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// Draws the menu from the state; the menu bar is redrawn when its "&Control"
// entry changes.
void DrawMenu(HWND window) {
    const MenuLook look = MenuFor(g_player);
    if (g_menuDrawn && memcmp(&look, &g_menuShown, sizeof look) == 0) {
        return;
    }
    HMENU menu = GetMenu(window);
    EnableItem(menu, IDM_PLAY, look.playEnabled);
    EnableItem(menu, IDM_STOP, look.stopEnabled);
    EnableItem(menu, IDM_PAUSE, look.pauseEnabled);
    EnableItem(menu, IDM_SHOW_FRAME, look.showFrameEnabled);
    EnableItem(menu, IDM_SAVE_RAW, look.saveEnabled);
    EnableItem(menu, IDM_SAVE_BITMAP, look.saveEnabled);
    CheckItem(menu, IDM_PAUSE, look.pauseChecked);
    CheckItem(menu, IDM_Y_ONLY, look.lumaOnlyChecked);
    CheckItem(menu, IDM_SETTINGS_FROM_NAME, look.settingsFromNameChecked);
    EnableItem(menu, IDM_COMPARE, look.compareEnabled);
    EnableItem(menu, IDM_END_COMPARISON, look.comparisonEnabled);
    EnableItem(menu, IDM_COMPARISON_STATISTICS, look.comparisonEnabled);
    CheckItem(menu, IDM_INSPECTOR, look.inspectorChecked);
    CheckMenuRadioItem(menu, IDM_ZOOM_FIRST, IDM_ZOOM_LAST, IDM_ZOOM_FIRST + look.zoomChecked, MF_BYCOMMAND);
    CheckMenuRadioItem(menu, IDM_MATRIX_FIRST, IDM_MATRIX_LAST, IDM_MATRIX_FIRST + look.matrixChecked,
                       MF_BYCOMMAND);
    if (!g_menuDrawn || look.controlEnabled != g_menuShown.controlEnabled) {
        EnableMenuItem(menu, kControlMenuPosition,
                       MF_BYPOSITION | (look.controlEnabled ? MF_ENABLED : MF_GRAYED));
        DrawMenuBar(window);
    }
    g_menuShown = look;
    g_menuDrawn = true;
}

// Sizes the window so its client area is width x height and centres it on
// the screen; with `remeasure`, grows it once more when the menu bar took
// more than a pixel of that height.
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

// The size of the player's own picture (zoomed, or in a standard's colour
// matrix) while it is the one on screen; otherwise the library's image is.
DisplayCall g_picture;

// Paints the picture from the player's buffer, which only grows: a paint
// between a rule that rebuilt it and the display call still reads inside it.
void PaintPicture(HDC dc) {
    if (!g_player.zoomed || size_t{4} * g_picture.width * g_picture.height > g_player.zoomedBytes) {
        return;
    }
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(g_picture.width);
    info.bmiHeader.biHeight = static_cast<LONG>(g_picture.height); // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, g_picture.width, g_picture.height, 0, 0, 0, g_picture.height, g_player.zoomed,
                      &info, DIB_RGB_COLORS);
}

void Display(HWND window, const DisplayCall& c) {
    if (c.call != DISPLAY_NOTHING) {
        g_picture.call = DISPLAY_NOTHING;
    }
    switch (c.call) {
    case DISPLAY_YUV_IMAGE: DisplayYUVimage(window, c.type, c.width, c.height, c.data, c.u, c.v); break;
    case DISPLAY_IMAGE: DisplayImage(window, c.type, c.width, c.height, c.data); break;
    case DISPLAY_BMP24: DisplayBMP24(window, c.width, c.height, c.data); break;
    case DISPLAY_PICTURE:
        g_picture = c;
        if (HDC dc = GetDC(window)) {
            PaintPicture(dc);
            ReleaseDC(window, dc);
        }
        break;
    case DISPLAY_NOTHING: break;
    }
}

// Carries out what an event asks of the window, in the order the rules give.
void Carry(HWND window, const WindowActions& a) {
    if (a.setTitle) {
        SetWindowTextA(window, g_player.title);
    }
    if (a.fitWindow) {
        FitWindowToFrame(window, a.fitWidth, a.fitHeight, true);
    }
    if (a.restartTimer) {
        KillTimer(window, kPlaybackTimer);
        SetTimer(window, kPlaybackTimer, g_player.timerPeriod, nullptr);
    }
    DrawMenu(window);
    Display(window, a.display);
    if (a.display.call != DISPLAY_NOTHING) {
        StatisticsFrameShown();
    }
    if (a.updateInspector) {
        UpdateInspector(window, g_player);
    }
    if (a.requestFrame) {
        PostMessageA(window, WM_DISPLAY_REQUEST, a.frame, MAKELPARAM(a.source, 0));
    }
    if (a.requestImage) {
        PostMessageA(window, WM_DISPLAY_REQUEST, 0, MAKELPARAM(0, a.requestImage));
    }
    if (a.message) {
        ShowError(nullptr, a.message);
    }
    if (a.indexFrames && !IndexingRuns()) {
        Carry(window, FramesIndexed(g_player, RunIndexing(window, g_player)));
    }
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

void OpenSequenceCommand(HWND window) {
    if (ChooseFile()) {
        Carry(window, OpenSequence(g_player, g_fileName));
    }
}

void OpenImageCommand(HWND window) {
    if (ChooseFile()) {
        Carry(window, OpenImage(g_player, g_fileName));
    }
}

// A file dropped on the window opens as its menu command would open it; of
// several files, the first.
void OpenDroppedFiles(HWND window, HDROP drop) {
    if (IndexingRuns()) {
        DragFinish(drop);
        return;
    }
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
    Carry(window, OpenDroppedFile(g_player, path));
}

void CompareCommand(HWND window) {
    if (MenuFor(g_player).compareEnabled && ChooseFile()) {
        Carry(window, CompareWithSequence(g_player, g_fileName));
    }
}

void StatisticsCommand(HWND window) {
    if (ComparisonActive(g_player)) {
        RunStatisticsDialog(window, g_player);
    }
}

// The mouse over the client area; the Inspector reads out the pixel under it.
void OnMouseMove(HWND window, LPARAM where) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
    const int x = static_cast<short>(LOWORD(where)), y = static_cast<short>(HIWORD(where));
    Carry(window, PointerMoved(g_player, x >= 0 && y >= 0, static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
}

void ShowSingleFrameCommand(HWND window) {
    if (CanShowSingleFrame(g_player) && RunFrameNumberDialog(window, g_player)) {
        Carry(window, FrameNumberAccepted(g_player));
    }
}

void SaveFrameCommand(HWND window, bool asBitmap) {
    if (CanSaveFrame(g_player) && RunSaveFrameDialog(window, g_player)) {
        Carry(window, SaveFrameAccepted(g_player, asBitmap));
    }
}

void FrameOptionsCommand(HWND window) {
    if (RunFrameOptionsDialog(window, g_player)) {
        Carry(window, FrameOptionsAccepted(g_player));
    }
}

void ImageOptionCommand(HWND window) {
    if (RunImageOptionDialog(window, g_player)) {
        Carry(window, ImageOptionAccepted(g_player));
    }
}

void SequenceOptionCommand(HWND window) {
    if (RunSequenceOptionDialog(window, g_player)) {
        Carry(window, SequenceOptionAccepted(g_player));
    }
}

void Key(HWND window, FrameKey key) { Carry(window, PressKey(g_player, key, SequenceFrameCount(g_player))); }

// vorlex.exe [options] [A [B]]: the settings, then A as a dropped file, then
// B compared with it. Bad arguments get the usage; nothing else changes.
void StartFromCommandLine(HWND window, int argc, char** argv) {
    if (argc <= 1) {
        return;
    }
    CommandLine line;
    static char message[1024];
    if (!ParseCommandLine(argc - 1, argv + 1, &line, message, sizeof message)) {
        ShowError(nullptr, message);
        return;
    }
    Carry(window, ApplyCommandLine(g_player, line));
    if (line.files[0]) {
        Carry(window, OpenDroppedFile(g_player, line.files[0]));
    }
    if (line.files[1]) {
        Carry(window, CompareWithSecondFile(g_player, line.files[1]));
    }
}

// ---- Message handlers ----

BOOL OnCreate(HWND window, LPCREATESTRUCT) {
    if (!InitPlayerState(g_player)) {
        ShowError(nullptr, "Frame buffer failure!");
        g_bufferFailure = true;
        return FALSE;
    }
    FitWindowToFrame(window, g_player.frameWidth, g_player.frameHeight, false);
    MeasureWorkArea();
    SetUpOpenFileRecord(window);
    SetTimer(window, kPlaybackTimer, g_player.timerPeriod, nullptr);
    DragAcceptFiles(window, TRUE);
    return TRUE;
}

void OnCommand(HWND window, int id, HWND, UINT) {
    switch (id) {
    case IDM_OPEN_SEQUENCE: OpenSequenceCommand(window); break;
    case IDM_OPEN_IMAGE: OpenImageCommand(window); break;
    case IDM_EXIT: PostMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_COMPARE: CompareCommand(window); break;
    case IDM_END_COMPARISON: Carry(window, EndComparisonCommand(g_player)); break;
    case IDM_COMPARISON_STATISTICS: StatisticsCommand(window); break;
    case IDM_INSPECTOR: Carry(window, ToggleInspector(g_player)); break;
    case IDM_PLAY: Carry(window, PlayCommand(g_player)); break;
    case IDM_STOP: Carry(window, StopCommand(g_player)); break;
    case IDM_PAUSE: Carry(window, PauseCommand(g_player)); break;
    case IDM_SHOW_FRAME: ShowSingleFrameCommand(window); break;
    case IDM_SAVE_RAW: SaveFrameCommand(window, false); break;
    case IDM_SAVE_BITMAP: SaveFrameCommand(window, true); break;
    case IDM_FRAME_OPTIONS: FrameOptionsCommand(window); break;
    case IDM_IMAGE_OPTION: ImageOptionCommand(window); break;
    case IDM_SEQUENCE_OPTION: SequenceOptionCommand(window); break;
    case IDM_Y_ONLY: Carry(window, ToggleLumaOnly(g_player)); break;
    case IDM_SETTINGS_FROM_NAME: Carry(window, ToggleSettingsFromName(g_player)); break;
    case IDK_NEXT_FRAME: Key(window, FRAME_KEY_NEXT); break;
    case IDK_PREVIOUS_FRAME: Key(window, FRAME_KEY_PREVIOUS); break;
    case IDK_FIRST_FRAME: Key(window, FRAME_KEY_FIRST); break;
    case IDK_LAST_FRAME: Key(window, FRAME_KEY_LAST); break;
    case IDK_PLAY_PAUSE: Key(window, KEY_PLAY_PAUSE); break;
    case IDK_FLIP_VIEW: Carry(window, PressCompareKey(g_player, KEY_FLIP_VIEW)); break;
    case IDK_DIFFERENCE_VIEW: Carry(window, PressCompareKey(g_player, KEY_DIFFERENCE_VIEW)); break;
    case IDK_GAIN_UP: Carry(window, PressCompareKey(g_player, KEY_GAIN_UP)); break;
    case IDK_GAIN_DOWN: Carry(window, PressCompareKey(g_player, KEY_GAIN_DOWN)); break;
    case IDK_NEXT_DIFFERENCE: Carry(window, PressCompareKey(g_player, KEY_NEXT_DIFFERENCE)); break;
    case IDK_PREVIOUS_DIFFERENCE: Carry(window, PressCompareKey(g_player, KEY_PREVIOUS_DIFFERENCE)); break;
    case IDK_MAGNIFY_Y: Carry(window, ChooseMagnifierPlane(g_player, 0)); break;
    case IDK_MAGNIFY_U: Carry(window, ChooseMagnifierPlane(g_player, 1)); break;
    case IDK_MAGNIFY_V: Carry(window, ChooseMagnifierPlane(g_player, 2)); break;
    case IDK_ZOOM_OUT: Carry(window, StepZoom(g_player, -1)); break;
    case IDK_ZOOM_IN: Carry(window, StepZoom(g_player, 1)); break;
    default:
        if (id >= IDM_ZOOM_FIRST && id <= IDM_ZOOM_LAST) {
            Carry(window, ChooseZoom(g_player, static_cast<uint32_t>(id - IDM_ZOOM_FIRST)));
        } else if (id >= IDM_MATRIX_FIRST && id <= IDM_MATRIX_LAST) {
            Carry(window, ChooseColourMatrix(g_player, static_cast<uint32_t>(id - IDM_MATRIX_FIRST)));
        }
        break;
    }
}

// While frame lines are indexed, ticks and display requests wait: what asked
// for the index is carried out after it.
void OnTimer(HWND window, UINT id) {
    if (id == kPlaybackTimer && !IndexingRuns()) {
        Carry(window, TimerTick(g_player));
    }
}

void OnDisplayRequest(HWND window, WPARAM frame, LPARAM what) {
    if (IndexingRuns()) {
        return;
    }
    if (LOWORD(what) != 0) {
        Carry(window, ShowSequenceFrame(g_player, static_cast<uint32_t>(frame),
                                        static_cast<FrameRequestSource>(LOWORD(what))));
    } else {
        Carry(window, ShowOpenedImage(g_player, HIWORD(what)));
    }
}

void OnPaint(HWND window) {
    if (g_picture.call == DISPLAY_PICTURE) {
        PAINTSTRUCT paint;
        PaintPicture(BeginPaint(window, &paint));
        EndPaint(window, &paint);
    } else {
        WinPaint(window);
    }
}

void OnDestroy(HWND window) {
    KillTimer(window, kPlaybackTimer);
    ReleasePlayerState(g_player);
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window, reinterpret_cast<LPCREATESTRUCT>(lParam)) ? 0 : -1;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_TIMER: OnTimer(window, static_cast<UINT>(wParam)); return 0;
    case WM_DISPLAY_REQUEST: OnDisplayRequest(window, wParam, lParam); return 0;
    case WM_PLOT_FRAME_CHOSEN:
        Carry(window, ShowFrameFromPlot(g_player, static_cast<uint32_t>(wParam)));
        return 0;
    case WM_MOUSEMOVE: OnMouseMove(window, lParam); return 0;
    case WM_MOUSELEAVE: Carry(window, PointerMoved(g_player, false, 0, 0)); return 0;
    case WM_DROPFILES: OpenDroppedFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_PAINT:
        if (g_player.sequenceOpened || g_player.imageOpened) {
            OnPaint(window);
            return 0;
        }
        break;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE: MeasureWorkArea(); break;
    case WM_DESTROY: OnDestroy(window); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // The statistics dialog's lists.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
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
    DrawMenu(window);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    StartFromCommandLine(window, __argc, __argv);

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
