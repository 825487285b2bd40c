// The five modal dialogs and the commands that run them. Each dialog has one
// function, one dialog procedure and one small record, passed as the dialog's
// parameter and kept in DWLP_USER. Settings are written only by OK; values
// written before a refused entry stay written, and the dialog stays open.
#include "option_dialogs.h"

#include <string.h>
#include <windows.h>

#include "frame_rate.h"
#include "main_window.h"
#include "option_rules.h"
#include "player_state.h"
#include "resource.h"

namespace {

// ---- Shared helpers ----

template <typename Record>
Record* RecordOf(HWND dialog) {
    return reinterpret_cast<Record*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

template <typename Record>
Record* KeepRecord(HWND dialog, LPARAM lParam) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return reinterpret_cast<Record*>(lParam);
}

// The platform's unsigned dialog-integer conversion: false for a field that
// is empty or holds no number.
bool ReadNumber(HWND dialog, int id, uint32_t* value) {
    BOOL ok = FALSE;
    const UINT number = GetDlgItemInt(dialog, id, &ok, FALSE);
    *value = number;
    return ok != FALSE;
}

// Reports a refused entry over the dialog and puts the focus on the field.
void Refuse(HWND dialog, int field, const char* message) {
    ShowError(dialog, message);
    SetFocus(GetDlgItem(dialog, field));
}

void EnableControls(HWND dialog, const int* ids, int count, bool enabled) {
    for (int i = 0; i < count; ++i) {
        EnableWindow(GetDlgItem(dialog, ids[i]), enabled);
    }
}

// ---- Frame Options (11) ----

struct FrameOptionsDialog {
    uint32_t pendingPreset;
};

const int kCustomControls[] = {IDC_CUSTOM_WIDTH, IDC_CUSTOM_WIDTH_LABEL, IDC_CUSTOM_HEIGHT,
                               IDC_CUSTOM_HEIGHT_LABEL};

void EnableCustomSize(HWND dialog, bool enabled) { EnableControls(dialog, kCustomControls, 4, enabled); }

void FrameOptionsOk(HWND dialog, FrameOptionsDialog* record) {
    Player.framePreset = record->pendingPreset;
    if (Player.framePreset != FRAME_PRESET_CUSTOM) {
        EndDialog(dialog, 1);
        return;
    }
    uint32_t width, height;
    const bool haveWidth = ReadNumber(dialog, IDC_CUSTOM_WIDTH, &width);
    const bool haveHeight = ReadNumber(dialog, IDC_CUSTOM_HEIGHT, &height);
    if (const char* message = CheckSizeEntry(haveWidth, width, haveHeight, height, FrameSizeMessages)) {
        Refuse(dialog, haveWidth ? IDC_CUSTOM_HEIGHT : IDC_CUSTOM_WIDTH, message);
        return;
    }
    Player.frameWidth = width;
    Player.frameHeight = height;
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK FrameOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        FrameOptionsDialog* record = KeepRecord<FrameOptionsDialog>(dialog, lParam);
        record->pendingPreset = Player.framePreset;
        CheckRadioButton(dialog, IDC_PRESET_FIRST, IDC_PRESET_CUSTOM,
                         IDC_PRESET_FIRST + static_cast<int>(Player.framePreset));
        EnableCustomSize(dialog, Player.framePreset == FRAME_PRESET_CUSTOM);
        return TRUE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    FrameOptionsDialog* record = RecordOf<FrameOptionsDialog>(dialog);
    const int id = LOWORD(wParam);
    if (id >= IDC_PRESET_FIRST && id <= IDC_PRESET_CUSTOM && HIWORD(wParam) == BN_CLICKED) {
        record->pendingPreset = static_cast<uint32_t>(id - IDC_PRESET_FIRST);
        EnableCustomSize(dialog, id == IDC_PRESET_CUSTOM);
        return TRUE;
    }
    if (id == IDOK) {
        FrameOptionsOk(dialog, record);
        return TRUE;
    }
    if (id == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

// ---- Image Option (12) and Sequence Option (13): a type radio each ----

// One procedure serves both: the record says how to fill the other fields
// and what OK does with them.
struct TypeDialog {
    uint32_t pendingType;
    void (*fill)(HWND dialog);
    void (*ok)(HWND dialog, TypeDialog* record);
};

void FillImageOption(HWND dialog) {
    SetDlgItemInt(dialog, IDC_IMAGE_WIDTH, Player.imageWidth, FALSE);
    SetDlgItemInt(dialog, IDC_IMAGE_HEIGHT, Player.imageHeight, FALSE);
    SetDlgItemInt(dialog, IDC_IMAGE_HEADER, Player.imageHeader, FALSE);
}

void ImageOptionOk(HWND dialog, TypeDialog* record) {
    Player.imageType = record->pendingType;
    uint32_t width, height, header;
    const bool haveWidth = ReadNumber(dialog, IDC_IMAGE_WIDTH, &width);
    const bool haveHeight = ReadNumber(dialog, IDC_IMAGE_HEIGHT, &height);
    if (const char* message = CheckSizeEntry(haveWidth, width, haveHeight, height, ImageSizeMessages)) {
        Refuse(dialog, haveWidth ? IDC_IMAGE_HEIGHT : IDC_IMAGE_WIDTH, message);
        return;
    }
    Player.imageHeight = height;
    Player.imageWidth = width;
    if (!ReadNumber(dialog, IDC_IMAGE_HEADER, &header)) {
        Refuse(dialog, IDC_IMAGE_HEADER, "Input image header size!");
        return;
    }
    Player.imageHeader = header;
    EndDialog(dialog, 1);
}

void FillSequenceOption(HWND dialog) {
    SetDlgItemInt(dialog, IDC_SEQUENCE_HEADER, Player.sequenceHeader, FALSE);
    SendDlgItemMessageA(dialog, IDC_FRAME_RATE, EM_LIMITTEXT, FRAME_RATE_TEXT_MAX, 0);
    SetDlgItemTextA(dialog, IDC_FRAME_RATE, Player.frameRateText);
}

void SequenceOptionOk(HWND dialog, TypeDialog* record) {
    Player.sequenceType = record->pendingType;
    uint32_t header;
    if (!ReadNumber(dialog, IDC_SEQUENCE_HEADER, &header)) {
        Refuse(dialog, IDC_SEQUENCE_HEADER, "Input sequence header size!");
        return;
    }
    Player.sequenceHeader = header;
    char text[FRAME_RATE_TEXT_MAX + 1];
    GetDlgItemTextA(dialog, IDC_FRAME_RATE, text, sizeof text);
    if (const char* message = CheckFrameRateEntry(text)) {
        Refuse(dialog, IDC_FRAME_RATE, message);
        return;
    }
    SetFrameRateText(text);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK TypeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        TypeDialog* record = KeepRecord<TypeDialog>(dialog, lParam);
        CheckRadioButton(dialog, IDC_TYPE_GRAY, IDC_TYPE_BGR, RadioForType(record->pendingType));
        record->fill(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    TypeDialog* record = RecordOf<TypeDialog>(dialog);
    const int id = LOWORD(wParam);
    if (id >= IDC_TYPE_GRAY && id <= IDC_TYPE_BGR && HIWORD(wParam) == BN_CLICKED) {
        record->pendingType = TypeForRadio(id);
        return TRUE;
    }
    switch (id) {
    case IDOK: record->ok(dialog, record); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    }
    return FALSE;
}

// ---- Frame Number (14) and Frame Number with file name (15) ----

struct FrameNumberDialog {
    bool withFileName;
};

void FrameNumberOk(HWND dialog, FrameNumberDialog* record) {
    uint32_t frame;
    if (!ReadNumber(dialog, IDC_FRAME_NUMBER, &frame)) {
        Refuse(dialog, IDC_FRAME_NUMBER, "Input frame number!");
        return;
    }
    Player.currentFrame = frame;
    if (record->withFileName) {
        GetDlgItemTextA(dialog, IDC_SAVE_FILE_NAME, Player.saveFileName, sizeof Player.saveFileName);
        if (Player.saveFileName[0] == '\0') {
            Refuse(dialog, IDC_SAVE_FILE_NAME, "Input file name!");
            return;
        }
    }
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK FrameNumberProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        FrameNumberDialog* record = KeepRecord<FrameNumberDialog>(dialog, lParam);
        SetDlgItemInt(dialog, IDC_FRAME_NUMBER, Player.currentFrame, FALSE);
        if (record->withFileName) {
            SendDlgItemMessageA(dialog, IDC_SAVE_FILE_NAME, EM_LIMITTEXT, SAVE_FILE_NAME_MAX, 0);
            SetDlgItemTextA(dialog, IDC_SAVE_FILE_NAME, Player.saveFileName);
        }
        return TRUE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case IDOK: FrameNumberOk(dialog, RecordOf<FrameNumberDialog>(dialog)); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    }
    return FALSE;
}

template <typename Record>
bool RunDialog(HWND owner, int resource, DLGPROC procedure, Record* record) {
    return DialogBoxParamA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)),
                           MAKEINTRESOURCEA(resource), owner, procedure,
                           reinterpret_cast<LPARAM>(record)) == 1;
}

} // namespace

void RunFrameNumberCommand(HWND window) {
    FrameNumberDialog record = {false};
    if (RunDialog(window, IDD_FRAME_NUMBER, FrameNumberProc, &record)) {
        PostDisplayRequest(window, Player.currentFrame);
    }
}

bool RunSaveFrameDialog(HWND window) {
    FrameNumberDialog record = {true};
    return RunDialog(window, IDD_SAVE_FRAME, FrameNumberProc, &record);
}

void RunFrameOptionsCommand(HWND window) {
    FrameOptionsDialog record = {0};
    if (RunDialog(window, IDD_FRAME_OPTIONS, FrameOptionsProc, &record)) {
        ApplyFramePreset();
        FitWindowToFrame(window, Player.frameWidth, Player.frameHeight, true);
    }
}

void RunImageOptionCommand(HWND window) {
    TypeDialog record = {Player.imageType, FillImageOption, ImageOptionOk};
    if (RunDialog(window, IDD_IMAGE_OPTION, TypeDialogProc, &record)) {
        Player.imagePlan = ComputeFramePlan(Player.imageWidth, Player.imageHeight, Player.imageType);
    }
}

void RunSequenceOptionCommand(HWND window) {
    TypeDialog record = {Player.sequenceType, FillSequenceOption, SequenceOptionOk};
    if (RunDialog(window, IDD_SEQUENCE_OPTION, TypeDialogProc, &record)) {
        Player.sequencePlan = ComputeFramePlan(Player.frameWidth, Player.frameHeight, Player.sequenceType);
        RestartPlaybackTimer(window);
    }
}
