#include "gui_driver.h"

#include <stdio.h>
#include <string.h>

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

std::string PlayerDirectory() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

// Base address of `module` in process `pid`, or null.
BYTE* RemoteModuleBase(DWORD pid, const char* module) {
    MODULEENTRY32 entry;
    return FindRemoteModule(pid, module, &entry) ? entry.modBaseAddr : nullptr;
}

// What the stub reads: the two functions' addresses in the player's process
// and GetMenuState's arguments. The driver and the player are built for the
// same machine, so pointers have the same size in both.
struct MenuQuery {
    UINT_PTR getMenu;
    UINT_PTR getMenuState;
    UINT_PTR window;
    UINT item;
    UINT flags;
};

// Machine code of a thread procedure taking a MenuQuery*:
//   return GetMenuState(GetMenu(q->window), q->item, q->flags);
#if defined(_WIN64)
static_assert(sizeof(MenuQuery) == 32, "the stub's offsets");
const uint8_t kMenuStub[] = {
    0x53,                   // push rbx
    0x48, 0x83, 0xEC, 0x20, // sub rsp, 32          shadow space; rsp stays 16-aligned
    0x48, 0x89, 0xCB,       // mov rbx, rcx         the query
    0x48, 0x8B, 0x4B, 0x10, // mov rcx, [rbx+16]    window
    0xFF, 0x13,             // call [rbx]           GetMenu
    0x48, 0x89, 0xC1,       // mov rcx, rax         menu
    0x8B, 0x53, 0x18,       // mov edx, [rbx+24]    item
    0x44, 0x8B, 0x43, 0x1C, // mov r8d, [rbx+28]    flags
    0xFF, 0x53, 0x08,       // call [rbx+8]         GetMenuState
    0x48, 0x83, 0xC4, 0x20, // add rsp, 32
    0x5B,                   // pop rbx
    0xC3,                   // ret
};
#else
static_assert(sizeof(MenuQuery) == 20, "the stub's offsets");
const uint8_t kMenuStub[] = {
    0x8B, 0x44, 0x24, 0x04, // mov eax, [esp+4]
    0x53,                   // push ebx
    0x89, 0xC3,             // mov ebx, eax
    0xFF, 0x73, 0x08,       // push dword [ebx+8]   window
    0xFF, 0x13,             // call [ebx]           GetMenu
    0xFF, 0x73, 0x10,       // push dword [ebx+16]  flags
    0xFF, 0x73, 0x0C,       // push dword [ebx+12]  item
    0x50,                   // push eax             menu
    0xFF, 0x53, 0x04,       // call [ebx+4]         GetMenuState
    0x5B,                   // pop ebx
    0xC2, 0x04, 0x00,       // ret 4
};
#endif
// What the call stub reads and writes: one (__stdcall on i686) function of
// two arguments in the player's process, and its result.
struct RemoteCall {
    UINT_PTR function;
    UINT_PTR first;
    UINT_PTR second;
    UINT_PTR result;
};

// Machine code of a thread procedure taking a RemoteCall*:
//   c->result = c->function(c->first, c->second);
#if defined(_WIN64)
const uint8_t kCallStub[] = {
    0x53,                   // push rbx
    0x48, 0x83, 0xEC, 0x20, // sub rsp, 32          shadow space; rsp stays 16-aligned
    0x48, 0x89, 0xCB,       // mov rbx, rcx         the call
    0x48, 0x8B, 0x4B, 0x08, // mov rcx, [rbx+8]     first
    0x48, 0x8B, 0x53, 0x10, // mov rdx, [rbx+16]    second
    0xFF, 0x13,             // call [rbx]           function
    0x48, 0x89, 0x43, 0x18, // mov [rbx+24], rax    result
    0x48, 0x83, 0xC4, 0x20, // add rsp, 32
    0x5B,                   // pop rbx
    0xC3,                   // ret
};
#else
const uint8_t kCallStub[] = {
    0x53,                   // push ebx
    0x8B, 0x5C, 0x24, 0x08, // mov ebx, [esp+8]     the call
    0xFF, 0x73, 0x08,       // push dword [ebx+8]   second
    0xFF, 0x73, 0x04,       // push dword [ebx+4]   first
    0xFF, 0x13,             // call [ebx]           function
    0x89, 0x43, 0x0C,       // mov [ebx+12], eax    result
    0x5B,                   // pop ebx
    0xC2, 0x04, 0x00,       // ret 4
};
#endif

// The data lies after the code, in the same page.
const size_t kDataOffset = 64;
static_assert(sizeof kMenuStub <= kDataOffset && sizeof kCallStub <= kDataOffset,
              "stub and data do not overlap");

// Runs `code` on a thread of the player's process with a copy of `data`
// (placed after the code) as its argument, then reads the data back. False
// when any step fails; *exitCode receives the thread's result.
bool RunInPlayer(const PlayerProcess& player, const uint8_t* code, size_t codeSize, void* data,
                 size_t dataSize, DWORD* exitCode) {
    HANDLE process = player.info.hProcess;
    BYTE* page = static_cast<BYTE*>(
        VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (!page) {
        return false;
    }
    bool ran = false;
    if (WriteProcessMemory(process, page, code, codeSize, nullptr) &&
        WriteProcessMemory(process, page + kDataOffset, data, dataSize, nullptr)) {
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(page),
                                           page + kDataOffset, 0, nullptr);
        if (thread) {
            ran = WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, exitCode) &&
                  ReadProcessMemory(process, page + kDataOffset, data, dataSize, nullptr);
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process, page, 0, MEM_RELEASE);
    return ran;
}

// Address in the player's process of `function` of system DLL `module`: the
// same DLL lies in both processes, with its functions at the same offsets
// from its base.
UINT_PTR RemoteFunction(BYTE* remoteBase, const char* module, const char* function) {
    HMODULE local = GetModuleHandleA(module);
    const BYTE* f = local ? reinterpret_cast<const BYTE*>(GetProcAddress(local, function)) : nullptr;
    if (!remoteBase || !f) {
        return 0;
    }
    return reinterpret_cast<UINT_PTR>(remoteBase) + (f - reinterpret_cast<const BYTE*>(local));
}

} // namespace

bool FindRemoteModule(DWORD pid, const char* module, MODULEENTRY32* entry) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool found = false;
    entry->dwSize = sizeof *entry;
    for (BOOL ok = Module32First(snapshot, entry); ok; ok = Module32Next(snapshot, entry)) {
        if (lstrcmpiA(entry->szModule, module) == 0) {
            found = true;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start > ms) {
            return false;
        }
        Sleep(3);
    }
}

bool LaunchPlayer(PlayerProcess* player, const char* path) {
    ZeroMemory(player, sizeof *player);
    std::string command = "\"" + (path ? std::string(path) : PlayerDirectory() + "vorlex.exe") + "\"";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &player->info)) {
        return false;
    }
    WaitForInputIdle(player->info.hProcess, 10000);
    const DWORD pid = player->info.dwProcessId;
    // Taken once: the module list is the slow part of a menu query.
    player->user32Base = RemoteModuleBase(pid, "user32.dll");
    return player->user32Base && WaitUntil(
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
    DWORD code;
    if (WaitForSingleObject(player->info.hProcess, 0) != WAIT_OBJECT_0) {
        CloseAllDialogs(*player);
        PostMessageA(player->window, WM_CLOSE, 0, 0);
        if (!WaitForExit(*player, 5000, &code)) {
            TerminateProcess(player->info.hProcess, 1);
            WaitForSingleObject(player->info.hProcess, 5000);
        }
    }
    CloseHandle(player->info.hThread);
    CloseHandle(player->info.hProcess);
    ZeroMemory(player, sizeof *player);
}

void PostCommand(const PlayerProcess& player, int id) {
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

UINT MenuState(const PlayerProcess& player, UINT item, UINT flags) {
    MenuQuery query = {RemoteFunction(player.user32Base, "user32.dll", "GetMenu"),
                       RemoteFunction(player.user32Base, "user32.dll", "GetMenuState"),
                       reinterpret_cast<UINT_PTR>(player.window), item, flags};
    DWORD state;
    if (!query.getMenu || !query.getMenuState ||
        !RunInPlayer(player, kMenuStub, sizeof kMenuStub, &query, sizeof query, &state)) {
        return kMenuQueryFailed;
    }
    return state;
}

bool DropFiles(const PlayerProcess& player, const std::vector<std::string>& paths) {
    // A DROPFILES record followed by the NUL-ended names and one more NUL,
    // in fixed global memory of the player's process, as the shell hands it.
    std::vector<BYTE> record(sizeof(DROPFILES), 0);
    for (const std::string& path : paths) {
        record.insert(record.end(), path.begin(), path.end());
        record.push_back(0);
    }
    record.push_back(0);
    DROPFILES* header = reinterpret_cast<DROPFILES*>(record.data());
    header->pFiles = sizeof(DROPFILES);
    header->pt.x = header->pt.y = 10;
    header->fWide = FALSE;

    RemoteCall alloc = {RemoteFunction(RemoteModuleBase(player.info.dwProcessId, "kernel32.dll"), "kernel32.dll",
                                       "GlobalAlloc"),
                        GMEM_FIXED, record.size(), 0};
    DWORD ignored;
    if (!alloc.function || !RunInPlayer(player, kCallStub, sizeof kCallStub, &alloc, sizeof alloc, &ignored) ||
        !alloc.result) {
        return false;
    }
    void* drop = reinterpret_cast<void*>(alloc.result);
    return WriteProcessMemory(player.info.hProcess, drop, record.data(), record.size(), nullptr) &&
           PostMessageA(player.window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

void PressKey(const PlayerProcess& player, UINT key) {
    PostMessageA(player.window, WM_KEYDOWN, key, 1);
    PostMessageA(player.window, WM_KEYUP, key, 0xC0000001);
}

std::vector<HWND> PlayerDialogs(const PlayerProcess& player) {
    return TopLevelWindows(player.info.dwProcessId, kDialogClass);
}

HWND WaitForDialog(const PlayerProcess& player, const char* caption, HWND owner, DWORD ms) {
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

void PressButton(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool WaitUntilGone(HWND window, DWORD ms) {
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
    SetDlgItemTextA(dialog, 0x47c, path.c_str());
    PressButton(dialog, IDOK);
    if (!WaitUntilGone(dialog)) {
        CloseAllDialogs(player);
        return false;
    }
    return true;
}

void SetField(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

std::string Field(HWND dialog, int id) {
    char text[2048] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool ShowsWithin(HWND window, int w, int h, const std::vector<uint8_t>& expected, DWORD ms) {
    return WaitUntil([&] { return ReadClient(window, 0, 0, w, h) == expected; }, ms);
}

int ReadFrameNumber(HWND window, int frameWidth, int frameHeight) {
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

// Chroma plane shape of a YUV type: samples per row and rows.
void ChromaShape(uint32_t type, int w, int h, int* cw, int* ch) {
    *cw = type == TYPE_YUV444 ? w : type == TYPE_YUV411 ? w / 4 : w / 2;
    *ch = type == TYPE_YUV420 ? h / 2 : h;
}

bool IsYuv(uint32_t type) { return type >= TYPE_YUV444 && type <= TYPE_YUV420; }

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
    int cw, ch;
    ChromaShape(type, w, h, &cw, &ch);
    return p + 2 * size_t(cw) * ch;
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
    if (IsYuv(type)) {
        int cw, ch;
        ChromaShape(type, w, h, &cw, &ch);
        // Chroma rows that touch the band hold no colour.
        const int rows = type == TYPE_YUV420 ? (band + 1) / 2 : band;
        const size_t plane = size_t(cw) * ch;
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

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool RunDialog(const PlayerProcess& player, int command, const char* caption, int radio,
               const std::vector<std::pair<int, std::string>>& fields) {
    PostCommand(player, command);
    HWND dialog = WaitForDialog(player, caption, player.window);
    if (!dialog) {
        return false;
    }
    if (radio) {
        PressButton(dialog, radio);
        WaitUntil([&] { return IsDlgButtonChecked(dialog, radio) == BST_CHECKED; });
    }
    for (const auto& field : fields) {
        SetField(dialog, field.first, field.second);
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

// Writes `frames` numbered frames of w x h to `path` unless the file
// already holds them all.
bool WriteNumberedSequence(const std::string& path, int w, int h, int frames) {
    const size_t frameBytes = FrameBytes(TYPE_YUV420, w, h);
    if (FileSize(path) == uint64_t(frameBytes) * frames) {
        return true;
    }
    printf("writing %s (%d frames)\n", path.c_str(), frames);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    bool ok = true;
    for (int n = 0; n < frames && ok; ++n) {
        const std::vector<uint8_t> frame = NumberedFrame(TYPE_YUV420, w, h, n);
        ok = fwrite(frame.data(), 1, frame.size(), f) == frame.size();
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
        if (!WriteNumberedSequence(path, s.w, s.h, s.frames)) {
            fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        paths->push_back(path);
    }
    return 0;
}
