// Loaded into vorlex.exe by the GUI test driver: what only the player's own
// process can do. Under Wine another process's menu handle is of no use, the
// names of dropped files must lie in the player's global memory, and so must
// the records through which a list gives its cells. Each
// export is a thread procedure that the driver starts in the player on a
// record it wrote there (gui_probe.h).
#include <windows.h>

#include <commctrl.h>

#include "gui_probe.h"

extern "C" DWORD WINAPI ProbeMenuState(void* record) {
    ProbeMenuQuery* query = static_cast<ProbeMenuQuery*>(record);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(query->window));
    query->state = GetMenuState(GetMenu(window), query->item, query->flags);
    return 0;
}

extern "C" DWORD WINAPI ProbeGlobalAlloc(void* record) {
    ProbeGlobalMemory* memory = static_cast<ProbeGlobalMemory*>(record);
    memory->memory = reinterpret_cast<uintptr_t>(GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(memory->bytes)));
    return 0;
}

extern "C" DWORD WINAPI ProbeListRow(void* record) {
    ProbeListCells* row = static_cast<ProbeListCells*>(record);
    HWND list = reinterpret_cast<HWND>(static_cast<uintptr_t>(row->window));
    row->items = static_cast<int32_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    row->columns = static_cast<int32_t>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int c = 0; c < row->columns && c < PROBE_LIST_COLUMNS; ++c) {
        char* text = row->text[c];
        text[0] = '\0';
        LVCOLUMNA column;
        ZeroMemory(&column, sizeof column);
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = PROBE_CELL_CHARS;
        SendMessageA(list, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
        row->width[c] = column.cx;
        row->format[c] = column.fmt & LVCFMT_JUSTIFYMASK;
        if (row->item >= 0) {
            LVITEMA item;
            ZeroMemory(&item, sizeof item);
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = PROBE_CELL_CHARS;
            SendMessageA(list, LVM_GETITEMTEXTA, row->item, reinterpret_cast<LPARAM>(&item));
        }
        text[PROBE_CELL_CHARS - 1] = '\0';
        row->textWidth[c] =
            static_cast<int32_t>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
    }
    return 0;
}
