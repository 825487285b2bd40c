#include "gui_driver.h"

#include <stdio.h>
#include <string.h>

#include <atomic>
#include <mutex>

#include "chroma_geometry.h"
#include "display.h"

namespace {

const char kPlayerClass[] = "VORLEX";
const char kDialogClass[] = "#32770";

bool IsClass(HWND window, const char* name) {
    char buffer[64] = "";
    GetClassNameA(window, buffer, sizeof buffer);
    return strcmp(buffer, name) == 0;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct WindowSearch {
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    if (ProcessOf(window) == search->pid && IsWindowVisible(window) && IsClass(window, search->className)) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const char* className) {
    WindowSearch search = {pid, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Messages to the player's windows wait at most this long for an answer.
const DWORD kAnswerMs = 3000;

bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    *result = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs,
                               result) != 0;
}

// What a watchdog on another thread reads: the last step, and the players
// started and not yet ended (with handles of their own).
std::mutex stateLock;
std::string lastStep;
std::atomic<bool> waitsAbandoned(false);
std::vector<PROCESS_INFORMATION> running;

void Watch(const PROCESS_INFORMATION& info) {
    PROCESS_INFORMATION own = info;
    own.hThread = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), info.hProcess, GetCurrentProcess(), &own.hProcess, 0, FALSE,
                        DUPLICATE_SAME_ACCESS)) {
        std::lock_guard<std::mutex> hold(stateLock);
        running.push_back(own);
    }
}

void Unwatch(DWORD pid) {
    std::lock_guard<std::mutex> hold(stateLock);
    for (size_t i = 0; i < running.size(); ++i) {
        if (running[i].dwProcessId == pid) {
            CloseHandle(running[i].hProcess);
            running.erase(running.begin() + i);
            return;
        }
    }
}

std::string Quoted(HWND window) { return "\"" + WindowText(window) + "\""; }

} // namespace

void SetStep(const std::string& step) {
    std::lock_guard<std::mutex> hold(stateLock);
    lastStep = step;
}

std::string LastStep() {
    std::lock_guard<std::mutex> hold(stateLock);
    return lastStep;
}

void AbandonWaits(bool abandon) { waitsAbandoned = abandon; }

bool WaitsAbandoned() { return waitsAbandoned; }

std::string DescribePlayers() {
    std::lock_guard<std::mutex> hold(stateLock);
    if (running.empty()) {
        return "no player running";
    }
    std::string text;
    for (const PROCESS_INFORMATION& p : running) {
        const std::vector<HWND> windows = TopLevelWindows(p.dwProcessId, kPlayerClass);
        text += (text.empty() ? "" : "; ") + std::string("player ") + std::to_string(p.dwProcessId) + ": ";
        DWORD code = STILL_ACTIVE;
        if (GetExitCodeProcess(p.hProcess, &code) && code != STILL_ACTIVE) {
            text += "ended with exit code " + std::to_string(code);
            continue;
        }
        text += windows.empty() ? "no main window" : "title " + Quoted(windows[0]);
        BOOL debugged = FALSE;
        if (CheckRemoteDebuggerPresent(p.hProcess, &debugged) && debugged) {
            text += ", held by a debugger (it may have crashed)";
        }
        const std::vector<HWND> dialogs = TopLevelWindows(p.dwProcessId, kDialogClass);
        text += dialogs.empty() ? ", no dialog" : ", dialogs:";
        for (HWND dialog : dialogs) {
            text += " " + Quoted(dialog);
        }
    }
    return text;
}

void TerminatePlayers() {
    std::lock_guard<std::mutex> hold(stateLock);
    for (const PROCESS_INFORMATION& p : running) {
        TerminateProcess(p.hProcess, 1);
    }
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (WaitsAbandoned() || GetTickCount() - start > ms) {
            return false;
        }
        Sleep(3);
    }
}

bool LaunchPlayer(PlayerProcess* player, const char* path, const std::string& arguments) {
    ZeroMemory(player, sizeof *player);
    std::string command = "\"" + (path ? std::string(path) : ProgramFolder() + "vorlex.exe") + "\"";
    if (!arguments.empty()) {
        command += " " + arguments;
    }
    SetStep("starting " + command);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &player->info)) {
        return false;
    }
    Watch(player->info);
    SetStep("waiting for the player's main window");
    WaitForInputIdle(player->info.hProcess, 10000);
    const DWORD pid = player->info.dwProcessId;
    return WaitUntil(
        [&] {
            const std::vector<HWND> windows = TopLevelWindows(pid, kPlayerClass);
            player->window = windows.empty() ? nullptr : windows[0];
            return player->window != nullptr;
        },
        10000);
}

bool WaitForExit(const PlayerProcess& player, DWORD ms, DWORD* exitCode) {
    if (WaitForSingleObject(player.info.hProcess, ms) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(player.info.hProcess, exitCode);
    return true;
}

void EndPlayer(PlayerProcess* player) {
    if (!player->info.hProcess) {
        return;
    }
    SetStep("ending the player");
    DWORD code;
    if (WaitForSingleObject(player->info.hProcess, 0) != WAIT_OBJECT_0) {
        CloseAllDialogs(*player);
        PostMessageA(player->window, WM_CLOSE, 0, 0);
        if (!WaitForExit(*player, 5000, &code)) {
            TerminateProcess(player->info.hProcess, 1);
            WaitForSingleObject(player->info.hProcess, 5000);
        }
    }
    Unwatch(player->info.dwProcessId);
    CloseHandle(player->info.hThread);
    CloseHandle(player->info.hProcess);
    ZeroMemory(player, sizeof *player);
}

void PostCommand(const PlayerProcess& player, int id) {
    SetStep("posting command " + std::to_string(id));
    PostMessageA(player.window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::string WindowText(HWND window) {
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

SIZE ClientSize(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetClientRect(window, &r);
    SIZE s = {r.right, r.bottom};
    return s;
}

void PressKey(const PlayerProcess& player, UINT key) {
    SetStep("pressing key " + std::to_string(key));
    PostMessageA(player.window, WM_KEYDOWN, key, 1);
    PostMessageA(player.window, WM_KEYUP, key, 0xC0000001);
}

std::vector<HWND> PlayerDialogs(const PlayerProcess& player) {
    return TopLevelWindows(player.info.dwProcessId, kDialogClass);
}

HWND WaitForDialog(const PlayerProcess& player, const char* caption, HWND owner, DWORD ms) {
    SetStep(caption ? "waiting for dialog \"" + std::string(caption) + "\"" : "waiting for a dialog");
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND dialog : PlayerDialogs(player)) {
                if (GetWindow(dialog, GW_OWNER) == owner && (!caption || WindowText(dialog) == caption)) {
                    found = dialog;
                    return true;
                }
            }
            return false;
        },
        ms);
    return found;
}

std::string MessageBoxText(HWND box) { return Field(box, 0xFFFF); }

void PressButton(HWND dialog, int id) {
    SetStep("pressing button " + std::to_string(id) + " of " + Quoted(dialog));
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool WaitUntilGone(HWND window, DWORD ms) {
    SetStep("waiting for " + Quoted(window) + " to close");
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, ms);
}

std::string TakeMessageBox(const PlayerProcess& player, HWND owner, DWORD ms) {
    HWND box = WaitForDialog(player, "Vorlex", owner, ms);
    if (!box) {
        return "";
    }
    const std::string text = MessageBoxText(box);
    PressButton(box, IDOK);
    WaitUntilGone(box);
    return text;
}

void CloseAllDialogs(const PlayerProcess& player) {
    SetStep("closing the player's dialogs");
    for (int round = 0; round < 10; ++round) {
        const std::vector<HWND> dialogs = PlayerDialogs(player);
        if (dialogs.empty()) {
            return;
        }
        for (HWND dialog : dialogs) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        WaitUntil([&] { return PlayerDialogs(player).size() < dialogs.size(); }, 1000);
    }
}

bool OpenThroughDialog(const PlayerProcess& player, int command, const std::string& path) {
    PostCommand(player, command);
    HWND dialog = WaitForDialog(player, "Open", player.window);
    if (!dialog) {
        return false;
    }
    SetField(dialog, 0x47c, path);
    PressButton(dialog, IDOK);
    if (!WaitUntilGone(dialog)) {
        CloseAllDialogs(player);
        return false;
    }
    return true;
}

bool SetField(HWND dialog, int id, const std::string& text) {
    SetStep("setting field " + std::to_string(id) + " of " + Quoted(dialog) + " to \"" + text + "\"");
    DWORD_PTR ignored;
    return SendBounded(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &ignored);
}

std::string Field(HWND dialog, int id) {
    SetStep("reading field " + std::to_string(id) + " of " + Quoted(dialog));
    char text[2048] = "";
    DWORD_PTR length;
    if (!SendBounded(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), &length)) {
        return "";
    }
    text[sizeof text - 1] = '\0';
    return text;
}

bool Checked(HWND dialog, int id) {
    SetStep("reading button " + std::to_string(id) + " of " + Quoted(dialog));
    DWORD_PTR state;
    return SendBounded(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool ChooseListItem(HWND dialog, int id, int index) {
    SetStep("choosing item " + std::to_string(index) + " of list " + std::to_string(id) + " of " +
            Quoted(dialog));
    HWND list = GetDlgItem(dialog, id);
    DWORD_PTR chosen;
    return SendBounded(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &chosen) && int(chosen) == index &&
           PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

HWND PlayerWindow(const PlayerProcess& player, const char* className) {
    const std::vector<HWND> windows = TopLevelWindows(player.info.dwProcessId, className);
    return windows.empty() ? nullptr : windows[0];
}

bool ShowsWithin(HWND window, int w, int h, const std::vector<uint8_t>& expected, DWORD ms) {
    SetStep("waiting for the expected " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
    return WaitUntil([&] { return ReadClient(window, 0, 0, w, h) == expected; }, ms);
}

int ReadFrameNumber(HWND window, int frameWidth, int frameHeight) {
    SetStep("reading the frame number on the screen");
    const int bw = frameWidth / 32, bh = frameHeight / 16;
    const std::vector<uint8_t> row = ReadClient(window, 0, bh / 2, 16 * bw, 1);
    int n = 0;
    for (int bit = 0; bit < 16; ++bit) {
        const uint8_t* p = &row[3 * size_t(bit * bw + bw / 2)];
        const int level = (p[0] + p[1] + p[2]) / 3;
        if (level > 160) {
            n = n << 1 | 1;
        } else if (level < 96) {
            n <<= 1;
        } else {
            return -1;
        }
    }
    // All white is the window's background, not a frame.
    return n == 0xFFFF ? -1 : n;
}

void DrawFrameNumber(uint8_t* luma, int w, int h, int n) {
    const int bw = w / 32, bh = h / 16;
    for (int r = 0; r < bh; ++r) {
        for (int bit = 0; bit < 16; ++bit) {
            const uint8_t value = (n >> (15 - bit)) & 1 ? 235 : 16;
            memset(luma + size_t(r) * w + size_t(bit) * bw, value, bw);
        }
    }
}

namespace {

// A small fast generator: the content only has to differ between pixels
// and frames.
struct Noise {
    uint32_t state;
    uint8_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<uint8_t>(state >> 11);
    }
};

} // namespace

size_t FrameBytes(uint32_t type, int w, int h) {
    const size_t p = size_t(w) * h;
    if (type == TYPE_GRAY) {
        return p;
    }
    if (type == TYPE_RGB || type == TYPE_BGR || type == TYPE_YUV444) {
        return 3 * p;
    }
    return p + 2 * size_t(ChromaPlaneBytes(type, w, h));
}

std::vector<uint8_t> NumberedFrame(uint32_t type, int w, int h, int n) {
    std::vector<uint8_t> frame(FrameBytes(type, w, h));
    Noise noise = {0x9E3779B9u * uint32_t(n + 1) | 1};
    for (uint8_t& b : frame) {
        b = noise.Next();
    }
    const int band = h / 16;
    if (type == TYPE_RGB || type == TYPE_BGR) {
        std::vector<uint8_t> luma(size_t(w) * band);
        DrawFrameNumber(luma.data(), w, band * 16, n);
        for (size_t i = 0; i < luma.size(); ++i) {
            memset(&frame[3 * i], luma[i] > 128 ? 255 : 0, 3);
        }
        return frame;
    }
    DrawFrameNumber(frame.data(), w, h, n);
    if (HasChromaPlanes(type)) {
        const size_t cw = ChromaPlaneWidth(type, w);
        // Chroma rows that touch the band hold no colour.
        const int rows = int(ChromaPlaneHeight(type, band + ChromaSampleHeight(type) - 1));
        const size_t plane = size_t(ChromaPlaneBytes(type, w, h));
        for (size_t offset : {size_t(w) * h, size_t(w) * h + plane}) {
            memset(&frame[offset], 128, size_t(cw) * rows);
        }
    }
    return frame;
}

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool RunDialog(const PlayerProcess& player, int command, const char* caption, int radio,
               const std::vector<std::pair<int, std::string>>& fields,
               const std::vector<std::pair<int, int>>& lists) {
    PostCommand(player, command);
    HWND dialog = WaitForDialog(player, caption, player.window);
    if (!dialog) {
        return false;
    }
    if (radio) {
        PressButton(dialog, radio);
        WaitUntil([&] { return Checked(dialog, radio); });
    }
    for (const auto& field : fields) {
        SetField(dialog, field.first, field.second);
    }
    for (const auto& list : lists) {
        ChooseListItem(dialog, list.first, list.second);
    }
    PressButton(dialog, IDOK);
    return WaitUntilGone(dialog);
}

std::string WindowsFolder(const std::string& unixPath) {
    std::string folder = WindowsPath(unixPath);
    if (folder.empty() || folder.back() != '\\') {
        folder += '\\';
    }
    return folder;
}

namespace {

// Frame n of a numbered sequence in its form.
std::vector<uint8_t> FormedFrame(int w, int h, int n, int form) {
    std::vector<uint8_t> frame = NumberedFrame(TYPE_YUV420, w, h, n);
    if (form == SEQUENCE_NUMBERS_DIFFER || (form == SEQUENCE_NUMBERS_DIFFER_BUT_EVERY_FOURTH && n % 4 != 3)) {
        for (int r = 0; r < h / 16; ++r) {
            for (int x = 0; x < 16 * (w / 32); ++x) {
                uint8_t& y = frame[size_t(r) * w + x];
                y = y > 128 ? uint8_t(y - 16) : uint8_t(y + 16);
            }
        }
    } else if (form == SEQUENCE_10_BIT) {
        std::vector<uint8_t> words;
        for (uint8_t v : frame) {
            words.insert(words.end(), {uint8_t(v << 2), uint8_t(v >> 6)});
        }
        return words;
    }
    return frame;
}

// Writes `frames` numbered frames of w x h to `path` unless the file
// already holds them all.
bool WriteNumberedSequence(const std::string& path, int w, int h, int frames, int form) {
    const size_t frameBytes = FrameBytes(TYPE_YUV420, w, h) * (form == SEQUENCE_10_BIT ? 2 : 1);
    const bool y4m = form == SEQUENCE_Y4M_60;
    const std::string header = "YUV4MPEG2 W" + std::to_string(w) + " H" + std::to_string(h) + " F60:1 C420jpeg\n";
    const char line[] = "FRAME\n";
    if (FileSize(path) == (y4m ? header.size() : 0) + uint64_t(frameBytes + (y4m ? 6 : 0)) * frames) {
        return true;
    }
    printf("writing %s (%d frames)\n", path.c_str(), frames);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    bool ok = !y4m || fputs(header.c_str(), f) >= 0;
    for (int n = 0; n < frames && ok; ++n) {
        const std::vector<uint8_t> frame = FormedFrame(w, h, n, form);
        ok = (!y4m || fputs(line, f) >= 0) && fwrite(frame.data(), 1, frame.size(), f) == frame.size();
    }
    return fclose(f) == 0 && ok;
}

} // namespace

int PrepareWorkFolder(int argc, char** argv, const std::vector<NumberedSequence>& sequences,
                      std::string* folder, std::vector<std::string>* paths) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s UNIX_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string windowsFolder = WindowsFolder(argv[1]);
    if (folder) {
        *folder = windowsFolder;
    }
    for (const NumberedSequence& s : sequences) {
        const std::string path = windowsFolder + s.name;
        if (!WriteNumberedSequence(path, s.w, s.h, s.frames, s.form)) {
            fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        paths->push_back(path);
    }
    return 0;
}
