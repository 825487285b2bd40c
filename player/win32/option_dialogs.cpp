// The five modal dialogs. Three procedures serve them: Frame Options; Image
// Option and Sequence Option (a type radio each); the two Frame Number
// dialogs. Each keeps a small record, passed as the dialog's parameter and
// held in DWLP_USER. OK reads the fields and hands them to the dialog's rules
// (option_rules.h), which write the settings in order and name a refused
// entry; the dialog then stays open with the focus on that field.
#include "option_dialogs.h"

#include <windows.h>

#include <string.h>

#include "message_box.h"
#include "option_rules.h"
#include "player_state.h"
#include "resource.h"
#include "sequence_layout.h"

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

// The platform's unsigned dialog-integer conversion: not filled for a field
// that is empty or holds no number.
NumberEntry ReadNumber(HWND dialog, int id) {
    BOOL ok = FALSE;
    const UINT number = GetDlgItemInt(dialog, id, &ok, FALSE);
    NumberEntry entry = {ok != FALSE, number};
    return entry;
}

// Ends the dialog with OK, or reports the refused entry over the dialog and
// puts the focus on its field.
void Conclude(HWND dialog, const DialogVerdict& verdict) {
    if (!verdict.message) {
        EndDialog(dialog, 1);
        return;
    }
    ShowError(dialog, verdict.message);
    SetFocus(GetDlgItem(dialog, verdict.field));
}

void EnableControls(HWND dialog, const int* ids, int count, bool enabled) {
    for (int i = 0; i < count; ++i) {
        EnableWindow(GetDlgItem(dialog, ids[i]), enabled);
    }
}

// ---- Frame Options (11) ----

struct FrameOptionsDialog {
    PlayerState* player;
    uint32_t pendingPreset;
};

const int kCustomControls[] = {IDC_CUSTOM_WIDTH, IDC_CUSTOM_WIDTH_LABEL, IDC_CUSTOM_HEIGHT,
                               IDC_CUSTOM_HEIGHT_LABEL};

void EnableCustomSize(HWND dialog, bool enabled) { EnableControls(dialog, kCustomControls, 4, enabled); }

INT_PTR CALLBACK FrameOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        FrameOptionsDialog* record = KeepRecord<FrameOptionsDialog>(dialog, lParam);
        const uint32_t preset = record->player->framePreset;
        record->pendingPreset = preset;
        CheckRadioButton(dialog, IDC_PRESET_FIRST, IDC_PRESET_CUSTOM,
                         IDC_PRESET_FIRST + static_cast<int>(preset));
        EnableCustomSize(dialog, preset == FRAME_PRESET_CUSTOM);
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
        Conclude(dialog,
                 FrameOptionsOk(*record->player, record->pendingPreset, ReadNumber(dialog, IDC_CUSTOM_WIDTH),
                                ReadNumber(dialog, IDC_CUSTOM_HEIGHT)));
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
// and what OK does with them. Sequence Option also offers the extended
// layouts: its "Other:" radio and the list beside it.
struct TypeDialog {
    PlayerState* player;
    uint32_t pendingType;
    // Index in ExtendedLayouts while "Other:" is chosen, else -1; an index of
    // EXTENDED_LAYOUT_COUNT is `current`: a layout not in the list (a Y4M
    // file's 9-bit samples, say), offered after it so OK keeps it.
    int pendingLayout;
    bool offersLayouts;
    void (*fill)(HWND dialog, const PlayerState& s);
    void (*ok)(HWND dialog, TypeDialog* record);
    SequenceLayout current;
};

int LayoutEntries(const TypeDialog& record) {
    return IsExtendedLayout(record.current) && ExtendedLayoutIndex(record.current) < 0
               ? EXTENDED_LAYOUT_COUNT + 1
               : EXTENDED_LAYOUT_COUNT;
}

SequenceLayout PendingLayout(const TypeDialog& record) {
    if (record.pendingLayout == EXTENDED_LAYOUT_COUNT) {
        return record.current;
    }
    if (record.pendingLayout >= 0) {
        return ExtendedLayouts[record.pendingLayout];
    }
    SequenceLayout layout = {record.pendingType, 8, PACKING_PLANAR};
    return layout;
}

void FillLayoutList(HWND dialog, const TypeDialog& record) {
    for (const char* label : ExtendedLayoutLabels) {
        SendDlgItemMessageA(dialog, IDC_OTHER_LAYOUT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
    }
    if (LayoutEntries(record) > EXTENDED_LAYOUT_COUNT) {
        char label[48];
        DescribeLayout(record.current, label, sizeof label - 10);
        strcat(label, " (current)");
        SendDlgItemMessageA(dialog, IDC_OTHER_LAYOUT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
    }
    const int shown = record.pendingLayout >= 0 ? record.pendingLayout : 0;
    SendDlgItemMessageA(dialog, IDC_OTHER_LAYOUT, CB_SETCURSEL, static_cast<WPARAM>(shown), 0);
}

void FillImageOption(HWND dialog, const PlayerState& s) {
    SetDlgItemInt(dialog, IDC_IMAGE_WIDTH, s.imageWidth, FALSE);
    SetDlgItemInt(dialog, IDC_IMAGE_HEIGHT, s.imageHeight, FALSE);
    SetDlgItemInt(dialog, IDC_IMAGE_HEADER, s.imageHeader, FALSE);
}

void PressImageOptionOk(HWND dialog, TypeDialog* record) {
    Conclude(dialog, ImageOptionOk(*record->player, record->pendingType, ReadNumber(dialog, IDC_IMAGE_WIDTH),
                                   ReadNumber(dialog, IDC_IMAGE_HEIGHT), ReadNumber(dialog, IDC_IMAGE_HEADER)));
}

void FillSequenceOption(HWND dialog, const PlayerState& s) {
    SetDlgItemInt(dialog, IDC_SEQUENCE_HEADER, s.sequenceHeader, FALSE);
    SendDlgItemMessageA(dialog, IDC_FRAME_RATE, EM_LIMITTEXT, FRAME_RATE_TEXT_MAX, 0);
    SetDlgItemTextA(dialog, IDC_FRAME_RATE, s.frameRateText);
}

void PressSequenceOptionOk(HWND dialog, TypeDialog* record) {
    char rate[FRAME_RATE_TEXT_MAX + 1];
    GetDlgItemTextA(dialog, IDC_FRAME_RATE, rate, sizeof rate);
    Conclude(dialog, SequenceOptionOk(*record->player, PendingLayout(*record),
                                      ReadNumber(dialog, IDC_SEQUENCE_HEADER), rate));
}

INT_PTR CALLBACK TypeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        TypeDialog* record = KeepRecord<TypeDialog>(dialog, lParam);
        const int last = record->offersLayouts ? IDC_TYPE_OTHER : IDC_TYPE_BGR;
        CheckRadioButton(dialog, IDC_TYPE_GRAY, last,
                         record->pendingLayout >= 0 ? IDC_TYPE_OTHER : RadioForType(record->pendingType));
        if (record->offersLayouts) {
            FillLayoutList(dialog, *record);
        }
        record->fill(dialog, *record->player);
        return TRUE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    TypeDialog* record = RecordOf<TypeDialog>(dialog);
    const int id = LOWORD(wParam);
    if (id >= IDC_TYPE_GRAY && id <= IDC_TYPE_BGR && HIWORD(wParam) == BN_CLICKED) {
        record->pendingType = TypeForRadio(id);
        record->pendingLayout = -1;
        return TRUE;
    }
    if (record->offersLayouts && ((id == IDC_TYPE_OTHER && HIWORD(wParam) == BN_CLICKED) ||
                                  (id == IDC_OTHER_LAYOUT && HIWORD(wParam) == CBN_SELCHANGE))) {
        // Choosing from the list chooses "Other:" too.
        const LRESULT chosen = SendDlgItemMessageA(dialog, IDC_OTHER_LAYOUT, CB_GETCURSEL, 0, 0);
        record->pendingLayout = chosen >= 0 && chosen < LayoutEntries(*record) ? static_cast<int>(chosen) : 0;
        CheckRadioButton(dialog, IDC_TYPE_GRAY, IDC_TYPE_OTHER, IDC_TYPE_OTHER);
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
    PlayerState* player;
    bool withFileName;
};

void PressFrameNumberOk(HWND dialog, FrameNumberDialog* record) {
    const NumberEntry frame = ReadNumber(dialog, IDC_FRAME_NUMBER);
    if (!record->withFileName) {
        Conclude(dialog, FrameNumberOk(*record->player, frame));
        return;
    }
    char name[SAVE_FILE_NAME_MAX + 1];
    GetDlgItemTextA(dialog, IDC_SAVE_FILE_NAME, name, sizeof name);
    Conclude(dialog, SaveFrameOk(*record->player, frame, name));
}

INT_PTR CALLBACK FrameNumberProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        FrameNumberDialog* record = KeepRecord<FrameNumberDialog>(dialog, lParam);
        SetDlgItemInt(dialog, IDC_FRAME_NUMBER, record->player->currentFrame, FALSE);
        if (record->withFileName) {
            SendDlgItemMessageA(dialog, IDC_SAVE_FILE_NAME, EM_LIMITTEXT, SAVE_FILE_NAME_MAX, 0);
            SetDlgItemTextA(dialog, IDC_SAVE_FILE_NAME, record->player->saveFileName);
        }
        return TRUE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case IDOK: PressFrameNumberOk(dialog, RecordOf<FrameNumberDialog>(dialog)); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    }
    return FALSE;
}

template <typename Record>
bool RunDialog(HWND owner, int resource, DLGPROC procedure, Record* record) {
    return DialogBoxParamA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)),
                           MAKEINTRESOURCEA(resource), owner, procedure, reinterpret_cast<LPARAM>(record)) == 1;
}

} // namespace

bool RunFrameNumberDialog(HWND window, PlayerState& s) {
    FrameNumberDialog record = {&s, false};
    return RunDialog(window, IDD_FRAME_NUMBER, FrameNumberProc, &record);
}

bool RunSaveFrameDialog(HWND window, PlayerState& s) {
    FrameNumberDialog record = {&s, true};
    return RunDialog(window, IDD_SAVE_FRAME, FrameNumberProc, &record);
}

bool RunFrameOptionsDialog(HWND window, PlayerState& s) {
    FrameOptionsDialog record = {&s, 0};
    return RunDialog(window, IDD_FRAME_OPTIONS, FrameOptionsProc, &record);
}

bool RunImageOptionDialog(HWND window, PlayerState& s) {
    TypeDialog record = {&s, s.imageType, -1, false, FillImageOption, PressImageOptionOk, {}};
    return RunDialog(window, IDD_IMAGE_OPTION, TypeDialogProc, &record);
}

bool RunSequenceOptionDialog(HWND window, PlayerState& s) {
    const SequenceLayout current = SequenceSettingsLayout(s);
    TypeDialog record = {&s,     s.sequenceType,     ExtendedLayoutIndex(current),
                         true,   FillSequenceOption, PressSequenceOptionOk,
                         current};
    if (LayoutEntries(record) > EXTENDED_LAYOUT_COUNT) {
        record.pendingLayout = EXTENDED_LAYOUT_COUNT;
    }
    return RunDialog(window, IDD_SEQUENCE_OPTION, TypeDialogProc, &record);
}
