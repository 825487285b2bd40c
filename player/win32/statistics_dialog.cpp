#include "statistics_dialog.h"

#include <commdlg.h>
#include <string.h>

#include <string>

#include "comparison.h"
#include "message_box.h"
#include "progress_dialog.h"
#include "resource.h"

namespace {

// Asks the dialog to compare the next frames.
const UINT WM_STEP_STATISTICS = WM_APP + 1;
// Frames are compared for this long between looks at the message queue, so
// the progress shows and Cancel answers.
const DWORD kSliceMs = 40;

struct StatisticsDialog {
    CompareStatistics* stats;
    bool finished;
};

void ShowState(HWND dialog, const StatisticsDialog& d, const char* failure) {
    char line[96];
    if (failure) {
        wsprintfA(line, "%s", failure);
    } else if (d.finished) {
        wsprintfA(line, "%u frames compared.", d.stats->done);
    } else {
        wsprintfA(line, "Frame %u of %u", d.stats->done, d.stats->frameCount);
    }
    SetDlgItemTextA(dialog, IDC_STATS_STATE, line);
    InvalidateRect(GetDlgItem(dialog, IDC_STATS_PROGRESS), nullptr, FALSE);
}

void Finish(HWND dialog, StatisticsDialog* d, const char* failure) {
    d->finished = true;
    ShowState(dialog, *d, failure);
    SetDlgItemTextA(dialog, IDC_STATS_TABLE, StatisticsText(*d->stats, '\t').c_str());
    EnableWindow(GetDlgItem(dialog, IDC_STATS_COPY), TRUE);
    EnableWindow(GetDlgItem(dialog, IDC_STATS_SAVE), TRUE);
    SetDlgItemTextA(dialog, IDCANCEL, "Close");
}

void Step(HWND dialog, StatisticsDialog* d) {
    const DWORD start = GetTickCount();
    int result = STATS_MORE;
    while (result == STATS_MORE && GetTickCount() - start < kSliceMs) {
        result = StepStatistics(d->stats);
    }
    if (result == STATS_MORE) {
        ShowState(dialog, *d, nullptr);
        PostMessageA(dialog, WM_STEP_STATISTICS, 0, 0);
        return;
    }
    Finish(dialog, d, result == STATS_FAILED ? "A frame could not be read; the table ends there." : nullptr);
}

void CopyTable(HWND dialog, const StatisticsDialog& d) {
    const std::string text = StatisticsText(*d.stats, '\t');
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory) {
        return;
    }
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    // Another program may hold the clipboard for a moment; wait a little.
    bool open = false;
    for (int tries = 0; tries < 20 && !(open = OpenClipboard(dialog) != FALSE); ++tries) {
        Sleep(10);
    }
    if (!open) {
        GlobalFree(memory);
        ShowError(dialog, "Cannot open the clipboard!");
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_TEXT, memory)) {
        GlobalFree(memory);
    }
    CloseClipboard();
}

void SaveTable(HWND dialog, const StatisticsDialog& d) {
    char path[MAX_PATH] = "comparison.csv";
    OPENFILENAMEA record;
    ZeroMemory(&record, sizeof record);
    record.lStructSize = sizeof record;
    record.hwndOwner = dialog;
    record.lpstrFilter = "CSV files (*.csv)\0*.csv\0All Files\0*.*\0";
    record.lpstrFile = path;
    record.nMaxFile = sizeof path;
    record.lpstrDefExt = "csv";
    record.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    if (GetSaveFileNameA(&record) && !SaveStatisticsCsv(*d.stats, path)) {
        ShowError(dialog, "Cannot write file!");
    }
}

INT_PTR CALLBACK StatisticsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        ShowState(dialog, *reinterpret_cast<StatisticsDialog*>(lParam), nullptr);
        PostMessageA(dialog, WM_STEP_STATISTICS, 0, 0);
        return TRUE;
    }
    StatisticsDialog* d = reinterpret_cast<StatisticsDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!d) {
        return FALSE; // messages before WM_INITDIALOG
    }
    switch (message) {
    case WM_STEP_STATISTICS:
        if (!d->finished) {
            Step(dialog, d);
        }
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == IDC_STATS_PROGRESS) {
            DrawProgressBar(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), d->stats->done,
                            d->stats->frameCount);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_STATS_COPY: CopyTable(dialog, *d); return TRUE;
        case IDC_STATS_SAVE: SaveTable(dialog, *d); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

void RunStatisticsDialog(HWND owner, const PlayerState& s) {
    StatisticsDialog record = {StartComparisonStatistics(s), false};
    if (!record.stats) {
        if (ComparisonActive(s)) {
            ShowError(nullptr, "Frame buffer failure!");
        }
        return;
    }
    DialogBoxParamA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)),
                    MAKEINTRESOURCEA(IDD_COMPARISON_STATISTICS), owner, StatisticsProc,
                    reinterpret_cast<LPARAM>(&record));
    FreeStatistics(record.stats);
}
