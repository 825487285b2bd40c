// Work on the player's process: its module list, and the probe DLL that
// answers inside it what another process cannot ask (menu states, global
// memory for dropped files, the cells of a list).
//
// Wine carries out VirtualAllocEx and CreateRemoteThread on another process
// inside that process and waits for it without a bound, so every such step
// runs on a worker thread that the caller stops waiting for after a few
// seconds. A worker owns a copy of its job and its own handle of the
// player's process; a job whose worker was given up on is never freed, and
// neither is a record a thread in the player may still use.
#include "gui_driver.h"

#include <string.h>

#include "gui_probe.h"

namespace {

const DWORD kRemoteMs = 5000;

// The probe's page in the player: the DLL's path, then the calls' record.
const size_t kPageBytes = 4096, kRecordOffset = 2048;
static_assert(sizeof(ProbeMenuQuery) <= kPageBytes - kRecordOffset &&
                  sizeof(ProbeGlobalMemory) <= kPageBytes - kRecordOffset &&
                  sizeof(ProbeListCells) <= kPageBytes - kRecordOffset,
              "a record fits its place");

struct RemoteJob {
    void (*work)(RemoteJob* job);
    HANDLE process; // the job's own handle, set by RunJob
    DWORD pid;
    char module[MAX_PATH];   // FindModule: its file name
    MODULEENTRY32 entry;     // FindModule: what was found
    BYTE* remote;            // AllocatePage: the page; WriteAndCall: where `bytes` go
    UINT_PTR function;       // WriteAndCall: a thread procedure there, or 0 to only write
    std::vector<BYTE> bytes; // WriteAndCall: written, and read back after the thread
    bool ok;
};

DWORD WINAPI RunWorker(void* job) {
    RemoteJob* own = static_cast<RemoteJob*>(job);
    own->work(own);
    return 0;
}

// Runs `job` on a worker thread with its own handle of `process` (may be
// null) and copies the finished job back. False when the work failed or did
// not finish within kRemoteMs; the worker is then left to itself.
bool RunJob(RemoteJob* job, HANDLE process) {
    RemoteJob* own = new RemoteJob(*job);
    own->process = nullptr;
    if (process && !DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &own->process, 0,
                                    FALSE, DUPLICATE_SAME_ACCESS)) {
        delete own;
        return false;
    }
    HANDLE thread = CreateThread(nullptr, 0, RunWorker, own, 0, nullptr);
    const bool finished = thread && WaitForSingleObject(thread, kRemoteMs) == WAIT_OBJECT_0;
    if (thread) {
        CloseHandle(thread);
    }
    if (thread && !finished) {
        return false;
    }
    if (own->process) {
        CloseHandle(own->process);
    }
    *job = *own;
    job->process = nullptr;
    delete own;
    return finished && job->ok;
}

void FindModule(RemoteJob* job) {
    job->ok = false;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, job->pid);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    job->entry.dwSize = sizeof job->entry;
    for (BOOL more = Module32First(snapshot, &job->entry); more; more = Module32Next(snapshot, &job->entry)) {
        if (lstrcmpiA(job->entry.szModule, job->module) == 0) {
            job->ok = true;
            break;
        }
    }
    CloseHandle(snapshot);
}

void AllocatePage(RemoteJob* job) {
    job->remote = static_cast<BYTE*>(VirtualAllocEx(job->process, nullptr, kPageBytes,
                                                    MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    job->ok = job->remote != nullptr;
}

void WriteAndCall(RemoteJob* job) {
    job->ok = WriteProcessMemory(job->process, job->remote, job->bytes.data(), job->bytes.size(), nullptr);
    if (!job->ok || !job->function) {
        return;
    }
    HANDLE thread =
        CreateRemoteThread(job->process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(job->function),
                           job->remote, 0, nullptr);
    job->ok = thread && WaitForSingleObject(thread, kRemoteMs) == WAIT_OBJECT_0 &&
              ReadProcessMemory(job->process, job->remote, job->bytes.data(), job->bytes.size(), nullptr);
    if (thread) {
        CloseHandle(thread);
    }
}

// Where `local`, code of a DLL loaded here, lies in process `pid`: the same
// DLL is loaded there, with its code at the same offset from its base.
UINT_PTR RemoteAddress(DWORD pid, const void* local) {
    HMODULE module = nullptr;
    char path[MAX_PATH] = "";
    if (!local ||
        !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<const char*>(local), &module) ||
        !GetModuleFileNameA(module, path, sizeof path)) {
        return 0;
    }
    const char* name = strrchr(path, '\\');
    MODULEENTRY32 entry;
    if (!FindRemoteModule(pid, name ? name + 1 : path, &entry)) {
        return 0;
    }
    return reinterpret_cast<UINT_PTR>(entry.modBaseAddr) +
           (static_cast<const BYTE*>(local) - reinterpret_cast<const BYTE*>(module));
}

bool PlayerGone(const PlayerProcess& player) {
    return WaitsAbandoned() || WaitForSingleObject(player.info.hProcess, 0) != WAIT_TIMEOUT;
}

// Loads gui_probe.dll (beside this program) into the player: LoadLibraryA
// run there on a remote thread. Once per player, whether it works or not.
bool LoadProbe(const PlayerProcess& player) {
    RemoteProbe& probe = player.probe;
    if (probe.menuState || probe.failed) {
        return !probe.failed;
    }
    probe.failed = true;
    SetStep("loading gui_probe.dll into the player");
    const std::string path = ProgramFolder() + "gui_probe.dll";
    // Loaded here too: the exports' offsets from its base are the same there.
    HMODULE local = LoadLibraryA(path.c_str());
    const DWORD pid = player.info.dwProcessId;
    const UINT_PTR loadLibrary = RemoteAddress(
        pid, reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    RemoteJob page = {};
    page.work = AllocatePage;
    if (!local || !loadLibrary || path.size() >= kRecordOffset || !RunJob(&page, player.info.hProcess)) {
        return false;
    }
    probe.page = page.remote;
    RemoteJob load = {};
    load.work = WriteAndCall;
    load.remote = probe.page;
    load.function = loadLibrary;
    load.bytes.assign(path.c_str(), path.c_str() + path.size() + 1);
    if (!RunJob(&load, player.info.hProcess)) {
        return false;
    }
    probe.menuState = RemoteAddress(pid, reinterpret_cast<const void*>(GetProcAddress(local, "ProbeMenuState")));
    probe.globalAlloc =
        RemoteAddress(pid, reinterpret_cast<const void*>(GetProcAddress(local, "ProbeGlobalAlloc")));
    probe.listRow = RemoteAddress(pid, reinterpret_cast<const void*>(GetProcAddress(local, "ProbeListRow")));
    probe.failed = !probe.menuState || !probe.globalAlloc || !probe.listRow;
    return !probe.failed;
}

// Runs the probe's `procedure` in the player on a copy of `record` and reads
// the record back. A call given up on ends the probe's use for this player:
// its thread may still use the record, and the player does not answer.
bool CallProbe(const PlayerProcess& player, UINT_PTR RemoteProbe::*procedure, void* record, size_t bytes,
               const std::string& step) {
    RemoteProbe& probe = player.probe;
    if (PlayerGone(player) || !LoadProbe(player)) {
        return false;
    }
    SetStep(step);
    RemoteJob call = {};
    call.work = WriteAndCall;
    call.remote = probe.page + kRecordOffset;
    call.function = probe.*procedure;
    call.bytes.assign(static_cast<BYTE*>(record), static_cast<BYTE*>(record) + bytes);
    if (!RunJob(&call, player.info.hProcess)) {
        probe.failed = true;
        return false;
    }
    memcpy(record, call.bytes.data(), bytes);
    return true;
}

} // namespace

bool FindRemoteModule(DWORD pid, const char* module, MODULEENTRY32* entry) {
    RemoteJob find = {};
    find.work = FindModule;
    find.pid = pid;
    lstrcpynA(find.module, module, sizeof find.module);
    if (!RunJob(&find, nullptr)) {
        return false;
    }
    *entry = find.entry;
    return true;
}

UINT MenuState(const PlayerProcess& player, UINT item, UINT flags) {
    ProbeMenuQuery query = {reinterpret_cast<uintptr_t>(player.window), item, flags, kMenuQueryFailed};
    const std::string step = "reading the state of menu item " + std::to_string(item) +
                             (flags & MF_BYPOSITION ? " (by position)" : "") + " in the player";
    return CallProbe(player, &RemoteProbe::menuState, &query, sizeof query, step) ? query.state
                                                                                  : kMenuQueryFailed;
}

bool ReadListRow(const PlayerProcess& player, HWND list, int item, ProbeListCells* row) {
    ZeroMemory(row, sizeof *row);
    row->window = reinterpret_cast<uintptr_t>(list);
    row->item = item;
    return CallProbe(player, &RemoteProbe::listRow, row, sizeof *row,
                     "reading row " + std::to_string(item) + " of a list in the player");
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

    ProbeGlobalMemory memory = {record.size(), 0};
    if (!CallProbe(player, &RemoteProbe::globalAlloc, &memory, sizeof memory,
                   "allocating global memory for dropped files in the player") ||
        !memory.memory) {
        return false;
    }
    SetStep("writing the dropped files' names into the player");
    RemoteJob write = {};
    write.work = WriteAndCall;
    write.remote = reinterpret_cast<BYTE*>(static_cast<uintptr_t>(memory.memory));
    write.bytes = record;
    if (PlayerGone(player) || !RunJob(&write, player.info.hProcess)) {
        return false;
    }
    SetStep("posting WM_DROPFILES with " + std::to_string(paths.size()) + " files");
    return PostMessageA(player.window, WM_DROPFILES, reinterpret_cast<WPARAM>(write.remote), 0);
}
