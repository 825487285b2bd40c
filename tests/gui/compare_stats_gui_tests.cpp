// What only the statistics dialog's window shows: its two lists hold the
// cells of the copied table in columns wide enough for them, and a click on
// the plot shows its frame in the main window, which the plot then marks
// and "Save plot..." writes as shown.
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display.h"
#include "gui_fixture.h"
#include "test_support.h"

namespace {

const int kW = 176, kH = 144;
const size_t kFrameBytes = size_t(kW) * kH * 3 / 2;

enum {
    CMD_COMPARE = 103,
    CMD_STATISTICS = 105,
    STATS_TABLE = 101,
    STATS_COPY = 104,
    STATS_SUMMARY = 106,
    STATS_PLOT = 107,
    STATS_SAVE_PLOT = 112
};

// The plot's strokes of identical frames and its line of the frame on
// screen (statistics_dialog.cpp).
const COLORREF kIdenticalColour = RGB(0, 160, 160), kShownColour = RGB(255, 128, 0);

using Table = std::vector<std::vector<std::string>>;

// Lines split at CR LF, cells at tabs.
Table Cells(const std::string& text) {
    Table table;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        table.emplace_back();
        for (size_t from = 0;;) {
            const size_t tab = line.find('\t', from);
            table.back().push_back(line.substr(from, tab - from));
            if (tab == std::string::npos) {
                break;
            }
            from = tab + 1;
        }
        at = end == std::string::npos ? text.size() : end + 2;
    }
    return table;
}

class StatsDialogTest : public PlayerTest {
protected:
    // Compares `frames` QCIF frames with a B that differs in `differing`
    // (a few luma samples, more in later frames) and runs the statistics
    // dialog to its end. Null when it did not come or finish.
    HWND RunStatistics(int frames, const std::vector<int>& differing) {
        std::vector<uint8_t> b = WriteSequence("a.yuv", TYPE_YUV420, kW, kH, frames);
        for (int f : differing) {
            for (int i = 0; i <= f; ++i) {
                b[f * kFrameBytes + 3000 + 7 * i] ^= 0x40;
            }
        }
        EXPECT_TRUE(WriteFileBytes(WorkPath("b.yuv"), b));
        OpenSequence(WorkPath("a.yuv"));
        EXPECT_TRUE(OpenThroughDialog(player_, CMD_COMPARE, WorkPath("b.yuv")));
        PostCommand(player_, CMD_STATISTICS);
        HWND stats = WaitForDialog(player_, "Comparison Statistics", player_.window);
        return stats && WaitUntil([&] { return Enabled(stats, STATS_COPY); }, 10000) ? stats : nullptr;
    }

    // The middles of the runs of columns of the plot in which a pixel of
    // rows [top, bottom) (from the top) has `colour`.
    std::vector<int> ColumnsOf(HWND plot, COLORREF colour, int top, int bottom) {
        const SIZE size = ClientSize(plot);
        const std::vector<uint8_t> pixels = ReadClient(plot, size.cx, size.cy);
        std::vector<bool> has(size.cx + 1, false);
        for (int y = top; y < bottom; ++y) {
            const uint8_t* row = &pixels[3 * size_t(size.cy - 1 - y) * size.cx];
            for (int x = 0; x < size.cx; ++x) {
                has[x] = has[x] || (row[3 * x] == GetBValue(colour) && row[3 * x + 1] == GetGValue(colour) &&
                                    row[3 * x + 2] == GetRValue(colour));
            }
        }
        std::vector<int> middles;
        for (int x = 0, start = -1; x <= size.cx; ++x) {
            if (has[x] && start < 0) {
                start = x;
            } else if (!has[x] && start >= 0) {
                middles.push_back((start + x - 1) / 2);
                start = -1;
            }
        }
        return middles;
    }
};

TEST_F(StatsDialogTest, ListsHoldTheCopiedCellsInColumnsThatFitThem) {
    // Frames that differ have PSNR figures, the others "identical", which
    // is wider than a tab stop.
    HWND stats = RunStatistics(8, {1, 2, 6});
    ASSERT_NE(stats, nullptr);
    PressButton(stats, STATS_COPY);
    std::string text;
    ASSERT_TRUE(WaitUntil([&] { return (text = ClipboardText()).find("Summary") != std::string::npos; }));
    const size_t gap = text.find("\r\n\r\n");
    ASSERT_NE(gap, std::string::npos) << text;
    const Table frames = Cells(text.substr(0, gap + 2)), summary = Cells(text.substr(gap + 4));
    ASSERT_EQ(frames.size(), 9u) << text;
    ASSERT_EQ(frames[1][1], "identical");

    for (const auto& list : {std::make_pair(STATS_TABLE, frames), std::make_pair(STATS_SUMMARY, summary)}) {
        SCOPED_TRACE(list.first);
        const Table& table = list.second;
        size_t columns = 0;
        for (const auto& row : table) {
            columns = row.size() > columns ? row.size() : columns;
        }
        HWND control = GetDlgItem(stats, list.first);
        ProbeListCells row;
        ASSERT_TRUE(ReadListRow(player_, control, -1, &row));
        ASSERT_EQ(size_t(row.columns), columns);
        ASSERT_LE(columns, size_t{PROBE_LIST_COLUMNS}) << "the probe reads that many";
        ASSERT_EQ(size_t(row.items), table.size() - 1);
        for (size_t r = 0; r < table.size(); ++r) {
            ASSERT_TRUE(r == 0 || ReadListRow(player_, control, int(r) - 1, &row));
            for (size_t c = 0; c < columns; ++c) {
                const std::string cell = c < table[r].size() ? table[r][c] : "";
                EXPECT_EQ(row.text[c], cell) << "row " << r << ", column " << c;
                // The room a list keeps beside a cell's text: 6 pixels each side.
                EXPECT_LE(row.textWidth[c] + 12, row.width[c])
                    << "\"" << cell << "\" does not fit column " << c << " (row " << r << ")";
                EXPECT_EQ(row.format[c], c ? LVCFMT_RIGHT : LVCFMT_LEFT) << "column " << c;
            }
        }
    }
}

TEST_F(StatsDialogTest, AClickOnThePlotShowsItsFrameWhichThePlotMarksAndSaves) {
    HWND stats = RunStatistics(10, {3, 7});
    ASSERT_NE(stats, nullptr);
    HWND plot = GetDlgItem(stats, STATS_PLOT);
    const SIZE size = ClientSize(plot);
    // Identical frames are strokes in the band at the top; frame 0, on
    // screen, has the line across the plot.
    std::vector<int> identical;
    ASSERT_TRUE(WaitUntil([&] {
        return (identical = ColumnsOf(plot, kIdenticalColour, 0, size.cy / 2)).size() == 8;
    })) << identical.size()
        << " strokes of identical frames";
    std::vector<int> shown;
    EXPECT_TRUE(WaitUntil([&] {
        return (shown = ColumnsOf(plot, kShownColour, size.cy / 2, size.cy)) == std::vector<int>{identical[0]};
    }));

    // Frame 3 lies halfway between frames 2 and 4.
    const int x3 = (identical[2] + identical[3]) / 2;
    PostMessageA(plot, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x3, size.cy / 2));
    PostMessageA(plot, WM_LBUTTONUP, 0, MAKELPARAM(x3, size.cy / 2));
    EXPECT_TRUE(WaitForFrame(kW, kH, [](int n) { return n == 3; }));
    EXPECT_TRUE(WaitUntil([&] {
        shown = ColumnsOf(plot, kShownColour, size.cy / 2, size.cy);
        return shown.size() == 1 && abs(shown[0] - x3) <= 1;
    })) << "the line stands at "
        << (shown.empty() ? -1 : shown[0]) << ", frame 3 at " << x3;

    // Save plot... writes what the screen shows, widened with white to a
    // multiple of 4 pixels.
    PressButton(stats, STATS_SAVE_PLOT);
    HWND save = WaitForDialog(player_, nullptr, stats);
    ASSERT_NE(save, nullptr);
    SetField(save, 0x47c, WorkPath("plot.bmp"));
    PressButton(save, IDOK);
    ASSERT_TRUE(WaitUntilGone(save));
    const int paddedW = (size.cx + 3) & ~3;
    ASSERT_TRUE(
        WaitUntil([&] { return FileSize(WorkPath("plot.bmp")) == 54 + 3 * uint64_t(paddedW) * size.cy; }));
    const std::vector<uint8_t> file = ReadWholeFile(WorkPath("plot.bmp").c_str());
    std::vector<uint8_t> want(file.size()), screen;
    ConvertRGB2Bitmap(paddedW, size.cy, &file[54], want.data());
    EXPECT_EQ(want, file) << "not the library's bitmap of its pixels";
    EXPECT_TRUE(WaitUntil([&] {
        screen = ReadClient(plot, size.cx, size.cy);
        for (int r = 0; r < size.cy; ++r) {
            const uint8_t* saved = &file[54 + 3 * size_t(r) * paddedW];
            if (!std::equal(saved, saved + 3 * size.cx, &screen[3 * size_t(r) * size.cx]) ||
                std::count(saved + 3 * size.cx, saved + 3 * paddedW, 255) != 3 * (paddedW - size.cx)) {
                return false;
            }
        }
        return true;
    })) << "the saved plot differs from the screen";
}

} // namespace
