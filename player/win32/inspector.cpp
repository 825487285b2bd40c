#include "inspector.h"

#include <string>

#include "display.h"
#include "playback.h"
#include "resource.h"

namespace {

const char kClassName[] = "VORLEX_INSPECTOR";
const int kWidth = 340, kHeight = 300;
const int kTextId = 1; // the text's control id, by which tools read it

HWND g_inspector;
HWND g_text;
std::string g_shownText;

LRESULT CALLBACK InspectorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: MoveWindow(g_text, 4, 4, LOWORD(lParam) - 8, HIWORD(lParam) - 8, TRUE); return 0;
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
    g_inspector = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "Inspector", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                  0, 0, kWidth, kHeight, mainWindow, nullptr, instance, nullptr);
    if (!g_inspector) {
        return false;
    }
    RECT client;
    GetClientRect(g_inspector, &client);
    g_text = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 4, 4,
                             client.right - 8, client.bottom - 8, g_inspector,
                             reinterpret_cast<HMENU>(kTextId), instance, nullptr);
    SendMessageA(g_text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
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
    if (!IsWindowVisible(g_inspector)) {
        Place(mainWindow);
        ShowWindow(g_inspector, SW_SHOWNOACTIVATE);
    }
}
