#include "statistics_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <string.h>

#include <string>
#include <vector>

#include "comparison.h"
#include "message_box.h"
#include "player_state.h"
#include "progress_dialog.h"
#include "resource.h"
#include "stats_plot.h"
#include "window_place.h"

namespace {

// Asks the dialog to compare the next frames.
const UINT WM_STEP_STATISTICS = WM_APP + 1;
// Frames are compared for this long between looks at the message queue, so
// the progress shows and Cancel answers.
const DWORD kSliceMs = 40;
const char kPlotClass[] = "VORLEX_STATS_PLOT";
// Room beside a cell's text in its column: the lists' own margins and more.
const int kCellMargin = 16;

const COLORREF kAxisColour = RGB(0, 0, 0);
const COLORREF kGridColour = RGB(225, 225, 225);
const COLORREF kBandColour = RGB(244, 244, 244);
const COLORREF kIdenticalColour = RGB(0, 160, 160);
const COLORREF kShownColour = RGB(255, 128, 0);

struct StatisticsDialog {
    CompareStatistics* stats;
    const PlayerState* player; // its frameShown is marked on the plot
    HWND owner;
    bool finished;
    StatisticsTable cells; // what the lists show, once finished
    PlotMetric metric;
    HBITMAP plotImage; // the plot without the frame mark, drawn once
};

// The open dialog: at most one, as it is modal.
HWND g_dialog;

StatisticsDialog* RecordOf(HWND dialog) {
    return reinterpret_cast<StatisticsDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// ---- The lists ----

// Fills a report list with rows[1..] through LVN_GETDISPINFO; rows[0]
// names the columns. Each column is as wide as its widest cell, the first
// left-aligned (the list keeps it so), the numbers after it right-aligned.
void FillList(HWND list, const std::vector<StatisticsRow>& rows) {
    size_t columns = 0;
    for (const StatisticsRow& row : rows) {
        columns = row.size() > columns ? row.size() : columns;
    }
    std::vector<int> widths(columns, 0);
    HDC dc = GetDC(list);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    for (const StatisticsRow& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            SIZE size;
            if (GetTextExtentPoint32A(dc, row[c].c_str(), static_cast<int>(row[c].size()), &size) &&
                size.cx > widths[c]) {
                widths[c] = size.cx;
            }
        }
    }
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (size_t c = 0; c < columns; ++c) {
        LVCOLUMNA column;
        ZeroMemory(&column, sizeof column);
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = c ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = widths[c] + kCellMargin;
        column.pszText = const_cast<char*>(c < rows[0].size() ? rows[0][c].c_str() : "");
        column.iSubItem = static_cast<int>(c);
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageA(list, LVM_SETITEMCOUNT, rows.size() - 1, 0);
}

// A list asks for the text of a cell.
void GiveCellText(const StatisticsDialog& d, const NMHDR* header) {
    const std::vector<StatisticsRow>& rows = header->idFrom == IDC_STATS_TABLE ? d.cells.frames : d.cells.summary;
    const bool wide = header->code == LVN_GETDISPINFOW;
    // Both records begin alike; only the text's characters differ.
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item;
    if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0) {
        return;
    }
    const size_t r = static_cast<size_t>(item.iItem) + 1, c = static_cast<size_t>(item.iSubItem);
    const char* text = item.iItem >= 0 && r < rows.size() && c < rows[r].size() ? rows[r][c].c_str() : "";
    if (wide) {
        WCHAR* out = reinterpret_cast<LVITEMW&>(item).pszText;
        int i = 0;
        for (; text[i] && i + 1 < item.cchTextMax; ++i) {
            out[i] = static_cast<unsigned char>(text[i]);
        }
        out[i] = 0;
    } else {
        lstrcpynA(item.pszText, text, item.cchTextMax);
    }
}

// ---- The plot ----

COLORREF SeriesColour(const CompareStatistics& s, uint32_t series) {
    switch (series < s.layout.planeCount ? s.layout.planes[series].name : 'A') {
    case 'Y': return RGB(0, 0, 0);
    case 'U':
    case 'B': return RGB(0, 0, 224);
    case 'V':
    case 'R': return RGB(224, 0, 0);
    case 'G': return RGB(0, 150, 0);
    default: return RGB(150, 0, 170);
    }
}

int TextWidth(HDC dc, const std::string& text) {
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

const char kIdenticalLabel[] = "identical";

// The axes and the plot's rectangle in a w x h area, for the font selected
// into `dc`.
PlotRect PlotGeometry(HDC dc, int w, int h, const StatisticsDialog& d, PlotAxes* axes) {
    *axes = PlotAxesOf(*d.stats, d.metric);
    int labelWidth = TextWidth(dc, kIdenticalLabel);
    for (uint32_t i = 0; i < PlotTickCount(*axes); ++i) {
        const int width = TextWidth(dc, PlotLabel(*axes, PlotTick(*axes, i)));
        labelWidth = width > labelWidth ? width : labelWidth;
    }
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    return PlotRectIn(w, h, labelWidth, metrics.tmHeight);
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void Dot(HDC dc, int x, int y, HBRUSH brush) {
    RECT r = {x - 1, y - 1, x + 2, y + 2};
    FillRect(dc, &r, brush);
}

void Text(HDC dc, int x, int y, UINT align, const std::string& text) {
    SetTextAlign(dc, align);
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// The axes, their labels, the band of identical frames and the legend.
void DrawAxes(HDC dc, const StatisticsDialog& d, const PlotAxes& a, const PlotRect& r, int textHeight) {
    HPEN grid = CreatePen(PS_SOLID, 1, kGridColour);
    HGDIOBJ oldPen = SelectObject(dc, grid);
    for (uint32_t i = 0; i < PlotTickCount(a); ++i) {
        const double value = PlotTick(a, i);
        const int y = PlotY(a, r, value);
        Line(dc, r.left, y, r.right + 1, y);
        Text(dc, r.left - 6, y - textHeight / 2, TA_RIGHT | TA_TOP, PlotLabel(a, value));
    }
    HBRUSH band = CreateSolidBrush(kBandColour);
    RECT bandRect = {r.left + 1, r.top, r.right + 1, r.top + PLOT_TOP_BAND};
    FillRect(dc, &bandRect, band);
    DeleteObject(band);
    Text(dc, r.left - 6, PlotTopY(r) - textHeight / 2, TA_RIGHT | TA_TOP, kIdenticalLabel);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    Line(dc, r.left, r.top, r.left, r.bottom + 1);
    Line(dc, r.left, r.bottom, r.right + 1, r.bottom);
    for (uint32_t f = 0; f < a.frames; f += a.frameStep) {
        const int x = PlotX(a, r, f);
        Line(dc, x, r.bottom, x, r.bottom + 4);
        Text(dc, x, r.bottom + 6, TA_CENTER | TA_TOP, Number(f));
        if (f > UINT32_MAX - a.frameStep) {
            break;
        }
    }
    // Identical frames: a stroke each in the band, once per column, over
    // the axis too.
    HBRUSH identical = CreateSolidBrush(kIdenticalColour);
    int lastX = -1;
    for (uint32_t f = 0; f < a.frames; ++f) {
        const int x = PlotX(a, r, f);
        if (x != lastX && FrameIdentical(*d.stats, f)) {
            RECT stroke = {x - 1, PlotTopY(r) - 5, x + 2, PlotTopY(r) + 6};
            FillRect(dc, &stroke, identical);
            lastX = x;
        }
    }
    DeleteObject(identical);
    // The legend above: the measure, then a short line per series.
    int x = r.left;
    Text(dc, x, 2, TA_LEFT | TA_TOP, d.metric == PLOT_PSNR ? "PSNR (dB):" : "SSIM:");
    x += TextWidth(dc, "PSNR (dB):") + 12;
    for (uint32_t i = 0; i < PlotSeriesCount(*d.stats, d.metric); ++i) {
        HPEN pen = CreatePen(PS_SOLID, 2, SeriesColour(*d.stats, i));
        SelectObject(dc, pen);
        Line(dc, x, 2 + textHeight / 2, x + 16, 2 + textHeight / 2);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        DeleteObject(pen);
        const std::string name = PlotSeriesName(*d.stats, i);
        Text(dc, x + 20, 2, TA_LEFT | TA_TOP, name);
        x += 20 + TextWidth(dc, name) + 14;
    }
    SelectObject(dc, oldPen);
    DeleteObject(grid);
}

// A line per series through its finite values; a value alone, an infinite
// one in a frame that differs (in the band) and every value of a sparse
// plot get a dot.
void DrawSeries(HDC dc, const StatisticsDialog& d, const PlotAxes& a, const PlotRect& r) {
    const bool sparse = a.frames <= static_cast<uint32_t>(r.right - r.left) / 8;
    std::vector<POINT> run;
    for (uint32_t i = 0; i < PlotSeriesCount(*d.stats, d.metric); ++i) {
        const COLORREF colour = SeriesColour(*d.stats, i);
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        HBRUSH brush = CreateSolidBrush(colour);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        run.clear();
        int lastTopX = -1;
        for (uint32_t f = 0; f <= a.frames; ++f) {
            double value = 0;
            const PlotValueKind kind = f < a.frames ? PlotValue(*d.stats, d.metric, i, f, &value) : PLOT_NO_VALUE;
            if (kind == PLOT_FINITE) {
                run.push_back({PlotX(a, r, f), PlotY(a, r, value)});
                if (sparse) {
                    Dot(dc, run.back().x, run.back().y, brush);
                }
                continue;
            }
            if (run.size() == 1) {
                Dot(dc, run[0].x, run[0].y, brush);
            } else if (run.size() > 1) {
                Polyline(dc, run.data(), static_cast<int>(run.size()));
            }
            run.clear();
            // An identical frame has its stroke; a plane identical in a
            // frame that differs has a dot.
            if (kind == PLOT_TOP && PlotX(a, r, f) != lastTopX && !FrameIdentical(*d.stats, f)) {
                lastTopX = PlotX(a, r, f);
                Dot(dc, lastTopX, PlotTopY(r), brush);
            }
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        DeleteObject(brush);
    }
}

// The whole plot but the frame on screen, on white.
void DrawPlot(HDC dc, int w, int h, const StatisticsDialog& d) {
    RECT all = {0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!d.finished) {
        return;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kAxisColour);
    if (!PlotHasValues(*d.stats, d.metric)) {
        const char* text = d.metric == PLOT_SSIM && d.stats->done ? "No SSIM: a plane is under 8 x 8 samples"
                                                                  : "No frames compared";
        DrawTextA(dc, text, -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    PlotAxes axes;
    const PlotRect r = PlotGeometry(dc, w, h, d, &axes);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    DrawAxes(dc, d, axes, r, metrics.tmHeight);
    DrawSeries(dc, d, axes, r);
}

// The frame on screen: a line across the plot below the band and its
// number at the right of the legend.
void DrawShownFrame(HDC dc, int w, int h, const StatisticsDialog& d) {
    const uint32_t shown = d.player->frameShown;
    if (!d.finished || shown >= d.stats->done || !PlotHasValues(*d.stats, d.metric)) {
        return;
    }
    PlotAxes axes;
    const PlotRect r = PlotGeometry(dc, w, h, d, &axes);
    const int x = PlotX(axes, r, shown);
    HPEN pen = CreatePen(PS_SOLID, 1, kShownColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Line(dc, x, r.top + PLOT_TOP_BAND, x, r.bottom);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kShownColour);
    Text(dc, r.right, 2, TA_RIGHT | TA_TOP, "frame " + Number(shown) + " on screen");
}

HFONT DialogFont(HWND plot) {
    return reinterpret_cast<HFONT>(SendMessageA(GetParent(plot), WM_GETFONT, 0, 0));
}

// The plot drawn once, then the frame mark over a copy of it: both on
// bitmaps, as the saved plot is drawn.
void PaintPlot(HWND plot, StatisticsDialog* d) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(plot, &paint);
    RECT client;
    GetClientRect(plot, &client);
    const int w = client.right, h = client.bottom;
    HDC image = CreateCompatibleDC(dc);
    HDC shown = CreateCompatibleDC(dc);
    const bool draw = !d->plotImage;
    if (draw) {
        d->plotImage = CreateCompatibleBitmap(dc, w, h);
    }
    HBITMAP composed = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ oldImage = SelectObject(image, d->plotImage);
    HGDIOBJ oldShown = SelectObject(shown, composed);
    HGDIOBJ oldFont = SelectObject(image, DialogFont(plot));
    HGDIOBJ oldShownFont = SelectObject(shown, DialogFont(plot));
    if (draw) {
        DrawPlot(image, w, h, *d);
    }
    BitBlt(shown, 0, 0, w, h, image, 0, 0, SRCCOPY);
    DrawShownFrame(shown, w, h, *d);
    BitBlt(dc, 0, 0, w, h, shown, 0, 0, SRCCOPY);
    SelectObject(image, oldFont);
    SelectObject(shown, oldShownFont);
    SelectObject(image, oldImage);
    SelectObject(shown, oldShown);
    DeleteObject(composed);
    DeleteDC(image);
    DeleteDC(shown);
    EndPaint(plot, &paint);
}

// The plot is drawn again at its next paint.
void RenewPlot(HWND dialog, StatisticsDialog* d) {
    if (d->plotImage) {
        DeleteObject(d->plotImage);
        d->plotImage = nullptr;
    }
    InvalidateRect(GetDlgItem(dialog, IDC_STATS_PLOT), nullptr, FALSE);
}

void ClickPlot(HWND plot, const StatisticsDialog& d, int x, int y) {
    if (!d.finished || !PlotHasValues(*d.stats, d.metric)) {
        return;
    }
    RECT client;
    GetClientRect(plot, &client);
    HDC dc = GetDC(plot);
    HGDIOBJ oldFont = SelectObject(dc, DialogFont(plot));
    PlotAxes axes;
    const PlotRect r = PlotGeometry(dc, client.right, client.bottom, d, &axes);
    SelectObject(dc, oldFont);
    ReleaseDC(plot, dc);
    const int64_t frame = PlotFrameAt(*d.stats, d.metric, axes, r, x, y);
    if (frame >= 0) {
        PostMessageA(d.owner, WM_PLOT_FRAME_CHOSEN, static_cast<WPARAM>(frame), 0);
    }
}

LRESULT CALLBACK PlotProc(HWND plot, UINT message, WPARAM wParam, LPARAM lParam) {
    StatisticsDialog* d = RecordOf(GetParent(plot));
    switch (message) {
    case WM_ERASEBKGND: return 1; // the paint covers it all
    case WM_PAINT:
        if (d) {
            PaintPlot(plot, d);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        if (d) {
            ClickPlot(plot, *d, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        }
        return 0;
    }
    return DefWindowProcA(plot, message, wParam, lParam);
}

// Writes the plot as shown through the library's bitmap writer, white
// columns added on the right up to a width that is a multiple of 4 (bitmap
// rows without padding).
bool WritePlot(HWND dialog, const StatisticsDialog& d, const char* path) {
    HWND plot = GetDlgItem(dialog, IDC_STATS_PLOT);
    RECT client;
    GetClientRect(plot, &client);
    const int w = client.right, h = client.bottom, paddedW = (w + 3) & ~3;
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = paddedW;
    info.bmiHeader.biHeight = h; // bottom row first, as bitmap files store it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!image || w <= 0 || h <= 0) {
        if (image) {
            DeleteObject(image);
        }
        return false;
    }
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = SelectObject(memory, image);
    HGDIOBJ oldFont = SelectObject(memory, DialogFont(plot));
    RECT all = {0, 0, paddedW, h};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawPlot(memory, w, h, d);
    DrawShownFrame(memory, w, h, d);
    GdiFlush();
    const bool written = SavePlotBitmap(path, static_cast<uint32_t>(paddedW), static_cast<uint32_t>(h),
                                        static_cast<const uint8_t*>(bits)) != 0;
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    DeleteObject(image);
    return written;
}

// ---- The dialog ----

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
    d->cells = StatisticsCells(*d->stats);
    FillList(GetDlgItem(dialog, IDC_STATS_TABLE), d->cells.frames);
    FillList(GetDlgItem(dialog, IDC_STATS_SUMMARY), d->cells.summary);
    for (int id : {IDC_STATS_COPY, IDC_STATS_SAVE, IDC_STATS_SAVE_PLOT}) {
        EnableWindow(GetDlgItem(dialog, id), TRUE);
    }
    SetDlgItemTextA(dialog, IDCANCEL, "Close");
    RenewPlot(dialog, d);
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

// The save dialog; false when the user cancelled.
bool ChooseSavePath(HWND dialog, char* path, DWORD size, const char* filter, const char* extension) {
    OPENFILENAMEA record;
    ZeroMemory(&record, sizeof record);
    record.lStructSize = sizeof record;
    record.hwndOwner = dialog;
    record.lpstrFilter = filter;
    record.lpstrFile = path;
    record.nMaxFile = size;
    record.lpstrDefExt = extension;
    record.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    return GetSaveFileNameA(&record) != FALSE;
}

void SaveTable(HWND dialog, const StatisticsDialog& d) {
    char path[MAX_PATH] = "comparison.csv";
    if (ChooseSavePath(dialog, path, sizeof path, "CSV files (*.csv)\0*.csv\0All Files\0*.*\0", "csv") &&
        !SaveStatisticsCsv(*d.stats, path)) {
        ShowError(dialog, "Cannot write file!");
    }
}

void SavePlot(HWND dialog, const StatisticsDialog& d) {
    char path[MAX_PATH] = "comparison.bmp";
    if (ChooseSavePath(dialog, path, sizeof path, "Bitmap files (*.bmp)\0*.bmp\0All Files\0*.*\0", "bmp") &&
        !WritePlot(dialog, d, path)) {
        ShowError(dialog, "Cannot write file!");
    }
}

// Beside the main window, so the frame a click shows stays in sight.
void Place(HWND dialog, HWND owner) {
    RECT own, self, work;
    GetWindowRect(owner, &own);
    GetWindowRect(dialog, &self);
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
    const ScreenRect place = PlaceBeside({work.left, work.top, work.right, work.bottom},
                                         {own.left, own.top, own.right, own.bottom}, self.right - self.left,
                                         self.bottom - self.top);
    SetWindowPos(dialog, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK StatisticsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        StatisticsDialog* d = reinterpret_cast<StatisticsDialog*>(lParam);
        g_dialog = dialog;
        Place(dialog, d->owner);
        CheckRadioButton(dialog, IDC_STATS_PSNR, IDC_STATS_SSIM, IDC_STATS_PSNR);
        ShowState(dialog, *d, nullptr);
        PostMessageA(dialog, WM_STEP_STATISTICS, 0, 0);
        return TRUE;
    }
    StatisticsDialog* d = RecordOf(dialog);
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
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == LVN_GETDISPINFOA || header->code == LVN_GETDISPINFOW) {
            GiveCellText(*d, header);
            return TRUE;
        }
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_STATS_COPY: CopyTable(dialog, *d); return TRUE;
        case IDC_STATS_SAVE: SaveTable(dialog, *d); return TRUE;
        case IDC_STATS_SAVE_PLOT: SavePlot(dialog, *d); return TRUE;
        case IDC_STATS_PSNR:
        case IDC_STATS_SSIM: {
            const PlotMetric metric = IsDlgButtonChecked(dialog, IDC_STATS_SSIM) ? PLOT_SSIM : PLOT_PSNR;
            if (metric != d->metric) {
                d->metric = metric;
                RenewPlot(dialog, d);
            }
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    case WM_DESTROY: g_dialog = nullptr; return FALSE;
    }
    return FALSE;
}

void RegisterPlotClass(HINSTANCE instance) {
    WNDCLASSA plotClass;
    if (GetClassInfoA(instance, kPlotClass, &plotClass)) {
        return;
    }
    ZeroMemory(&plotClass, sizeof plotClass);
    plotClass.lpfnWndProc = PlotProc;
    plotClass.hInstance = instance;
    plotClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    plotClass.lpszClassName = kPlotClass;
    RegisterClassA(&plotClass);
}

} // namespace

void RunStatisticsDialog(HWND owner, const PlayerState& s) {
    StatisticsDialog record = {StartComparisonStatistics(s), &s, owner, false, {}, PLOT_PSNR, nullptr};
    if (!record.stats) {
        if (ComparisonActive(s)) {
            ShowError(nullptr, "Frame buffer failure!");
        }
        return;
    }
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    RegisterPlotClass(instance);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_COMPARISON_STATISTICS), owner, StatisticsProc,
                    reinterpret_cast<LPARAM>(&record));
    g_dialog = nullptr;
    if (record.plotImage) {
        DeleteObject(record.plotImage);
    }
    FreeStatistics(record.stats);
}

void StatisticsFrameShown() {
    if (StatisticsDialog* d = g_dialog ? RecordOf(g_dialog) : nullptr) {
        if (d->finished) {
            InvalidateRect(GetDlgItem(g_dialog, IDC_STATS_PLOT), nullptr, FALSE);
        }
    }
}
