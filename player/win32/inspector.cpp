#include "inspector.h"

#include <string.h>

#include <string>
#include <vector>

#include "display.h"
#include "magnifier.h"
#include "playback.h"
#include "resource.h"

namespace {

const char kClassName[] = "VORLEX_INSPECTOR";
const char kMagnifierClass[] = "VORLEX_MAGNIFIER";
// The text above, the magnifier below it.
const int kWidth = 340, kHeight = 300 + MAGNIFIER_SIDE + 4;
const int kTextId = 1;      // the text's control id, by which tools read it
const int kMagnifierId = 2; // the magnifier's

HWND g_inspector;
HWND g_text;
HWND g_magnifier;
std::string g_shownText;
bool g_hasCells; // the magnifier shows g_cells, else nothing
MagnifierCells g_cells;

// Draws the cells through one bitmap in memory, so the blocks never flicker
// as they follow the mouse; an empty magnifier is the window's face colour.
void PaintMagnifier(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (g_hasCells) {
        std::vector<uint32_t> pixels(size_t{MAGNIFIER_SIDE} * MAGNIFIER_SIDE);
        MagnifierPicture(g_cells, pixels.data());
        BITMAPINFO info;
        ZeroMemory(&info, sizeof info);
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = MAGNIFIER_SIDE;
        info.bmiHeader.biHeight = -MAGNIFIER_SIDE; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, MAGNIFIER_SIDE, MAGNIFIER_SIDE, 0, 0, 0, MAGNIFIER_SIDE, pixels.data(),
                          &info, DIB_RGB_COLORS);
    } else {
        RECT r;
        GetClientRect(window, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK MagnifierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: return 1; // WM_PAINT covers it all
    case WM_PAINT: PaintMagnifier(window); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Arrange(int width, int height) {
    const int top = height - 4 - MAGNIFIER_SIDE;
    MoveWindow(g_text, 4, 4, width - 8, top - 8, TRUE);
    MoveWindow(g_magnifier, 4, top, MAGNIFIER_SIDE, MAGNIFIER_SIDE, TRUE);
}

LRESULT CALLBACK InspectorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: Arrange(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_CLOSE:
        // Closing it is the same as Options > Inspector.
        PostMessageA(GetWindow(window, GW_OWNER), WM_COMMAND, MAKEWPARAM(IDM_INSPECTOR, 0), 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Beside the main window: to its right, else to its left; a window as wide
// as the screen gets it at the screen's right edge, away from the top-left
// corner of the picture.
void Place(HWND mainWindow) {
    RECT r;
    GetWindowRect(mainWindow, &r);
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    int x = r.right + 4;
    if (x + kWidth > screen) {
        x = r.left - kWidth - 4 >= 0 ? r.left - kWidth - 4 : screen - kWidth;
    }
    SetWindowPos(g_inspector, nullptr, x, r.top, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Create(HWND mainWindow) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = InspectorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    windowClass.lpfnWndProc = MagnifierProc;
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = kMagnifierClass;
    RegisterClassA(&windowClass);
    g_inspector = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "Inspector",
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, kWidth, kHeight,
                                  mainWindow, nullptr, instance, nullptr);
    if (!g_inspector) {
        return false;
    }
    RECT client;
    GetClientRect(g_inspector, &client);
    g_text = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 4, 4,
                             client.right - 8, client.bottom - 8, g_inspector,
                             reinterpret_cast<HMENU>(kTextId), instance, nullptr);
    SendMessageA(g_text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
    g_magnifier =
        CreateWindowExA(0, kMagnifierClass, "", WS_CHILD | WS_VISIBLE, 0, 0, MAGNIFIER_SIDE, MAGNIFIER_SIDE,
                        g_inspector, reinterpret_cast<HMENU>(kMagnifierId), instance, nullptr);
    Arrange(client.right, client.bottom);
    Place(mainWindow);
    return true;
}

} // namespace

void UpdateInspector(HWND mainWindow, const PlayerState& s) {
    if (!s.inspector.shown) {
        if (g_inspector) {
            ShowWindow(g_inspector, SW_HIDE);
        }
        return;
    }
    if (!g_inspector && !Create(mainWindow)) {
        return;
    }
    // A static control shows its lines with carriage returns.
    std::string text;
    for (char c : InspectorText(s, GetBitmap(mainWindow), GetBitmapSize(mainWindow))) {
        if (c == '\n') {
            text += '\r';
        }
        text += c;
    }
    if (text != g_shownText) {
        g_shownText = text;
        SetWindowTextA(g_text, text.c_str());
    }
    // The magnifier around the sample under the mouse, redrawn when a cell changes.
    MagnifierCells cells;
    const bool hasCells = s.inspector.pointing &&
                          MagnifierOf(s, s.inspector.x, s.inspector.y, s.inspector.magnifierPlane, &cells);
    if (hasCells != g_hasCells || (hasCells && memcmp(&cells, &g_cells, sizeof cells) != 0)) {
        g_hasCells = hasCells;
        if (hasCells) {
            memcpy(&g_cells, &cells, sizeof cells);
        }
        InvalidateRect(g_magnifier, nullptr, FALSE);
    }
    if (!IsWindowVisible(g_inspector)) {
        Place(mainWindow);
        ShowWindow(g_inspector, SW_SHOWNOACTIVATE);
    }
}
