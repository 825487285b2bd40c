#include "progress_dialog.h"

#include "frame_access.h"
#include "resource.h"

namespace {

const UINT WM_STEP_INDEX = WM_APP + 2;
// Indexing runs this long before the dialog shows, and this long between
// looks at the message queue once it does.
const DWORD kQuietMs = 500;
const DWORD kSliceMs = 40;
// Frames indexed a call: small enough to look at the clock often.
const uint32_t kFramesPerStep = 256;

bool g_indexing;

struct IndexDialog {
    PlayerState* player;
    IndexOutcome outcome;
};

// Indexes until done or `ms` have passed; MORE while frames remain.
Y4mIndexResult IndexFor(PlayerState& s, DWORD ms) {
    const DWORD start = GetTickCount();
    Y4mIndexResult result = Y4M_INDEX_MORE;
    while (result == Y4M_INDEX_MORE && GetTickCount() - start < ms) {
        result = IndexFrames(s, kFramesPerStep);
    }
    return result;
}

void ShowIndexState(HWND dialog, const PlayerState& s) {
    uint64_t scanned, total;
    IndexProgress(s, &scanned, &total);
    char line[96];
    wsprintfA(line, "Finding the frames: %u%%", static_cast<unsigned>(total ? (scanned * 100) / total : 100));
    SetDlgItemTextA(dialog, IDC_INDEX_STATE, line);
    InvalidateRect(GetDlgItem(dialog, IDC_INDEX_PROGRESS), nullptr, FALSE);
}

INT_PTR CALLBACK IndexProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        ShowIndexState(dialog, *reinterpret_cast<IndexDialog*>(lParam)->player);
        PostMessageA(dialog, WM_STEP_INDEX, 0, 0);
        return TRUE;
    }
    IndexDialog* d = reinterpret_cast<IndexDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!d) {
        return FALSE;
    }
    switch (message) {
    case WM_STEP_INDEX: {
        const Y4mIndexResult result = IndexFor(*d->player, kSliceMs);
        if (result == Y4M_INDEX_MORE) {
            ShowIndexState(dialog, *d->player);
            PostMessageA(dialog, WM_STEP_INDEX, 0, 0);
        } else {
            d->outcome = result == Y4M_INDEX_DONE ? INDEX_FINISHED : INDEX_NO_MEMORY;
            EndDialog(dialog, 1);
        }
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wParam == IDC_INDEX_PROGRESS) {
            uint64_t scanned, total;
            IndexProgress(*d->player, &scanned, &total);
            DrawProgressBar(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), scanned, total);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            d->outcome = INDEX_CANCELLED;
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

void DrawProgressBar(const DRAWITEMSTRUCT* item, uint64_t done, uint64_t total) {
    RECT r = item->rcItem;
    FrameRect(item->hDC, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
    const uint64_t whole = total ? total : 1;
    const uint64_t part = done < whole ? done : whole;
    RECT filled = r;
    // In two steps, so a width times a byte count of several GiB stays in 64 bits.
    const uint64_t width = static_cast<uint32_t>(r.right - r.left);
    filled.right =
        r.left + static_cast<LONG>(width * (part / (whole / 4096 + 1)) / (whole / (whole / 4096 + 1)));
    FillRect(item->hDC, &filled, GetSysColorBrush(COLOR_HIGHLIGHT));
    RECT rest = r;
    rest.left = filled.right;
    FillRect(item->hDC, &rest, GetSysColorBrush(COLOR_WINDOW));
}

IndexOutcome RunIndexing(HWND owner, PlayerState& s) {
    g_indexing = true;
    IndexDialog record = {&s, INDEX_FINISHED};
    switch (IndexFor(s, kQuietMs)) {
    case Y4M_INDEX_DONE: break;
    case Y4M_INDEX_NO_MEMORY: record.outcome = INDEX_NO_MEMORY; break;
    case Y4M_INDEX_MORE:
        record.outcome = INDEX_CANCELLED; // unless the dialog sees the end
        DialogBoxParamA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)),
                        MAKEINTRESOURCEA(IDD_Y4M_INDEX), owner, IndexProc, reinterpret_cast<LPARAM>(&record));
        break;
    }
    g_indexing = false;
    return record.outcome;
}

bool IndexingRuns() { return g_indexing; }
