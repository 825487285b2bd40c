// What only the real window shows of comparing, of the Inspector, of the
// extended layouts and of settings read from a file name: the menus and keys
// that reach the rules, the pixels of each view and layout, the Inspector's
// text, the statistics dialog's clipboard, and the title.
#include <string>
#include <vector>

#include "display.h"
#include "gui_fixture.h"
#include "magnifier.h"
#include "sequence_layout.h"

namespace {

const int kQcifW = 176, kQcifH = 144;
const size_t kQcifBytes = size_t(kQcifW) * kQcifH * 3 / 2;

enum {
    CMD_COMPARE = 103,
    CMD_END_COMPARISON = 104,
    CMD_STATISTICS = 105,
    CMD_SETTINGS_FROM_NAME = 305,
    CMD_INSPECTOR = 306,
    RADIO_OTHER = 108,
    LIST_OTHER = 111,
    STATS_COPY = 104
};

class CompareTest : public PlayerTest {
protected:
    HWND Inspector() { return PlayerWindow(player_, "VORLEX_INSPECTOR"); }
    std::string InspectorText() {
        HWND inspector = Inspector();
        return inspector ? Field(inspector, 1) : "";
    }
    // Waits until the Inspector's text holds `part`.
    ::testing::AssertionResult InspectorSays(const std::string& part) {
        if (WaitUntil([&] { return InspectorText().find(part) != std::string::npos; })) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "the Inspector says:\n" << InspectorText();
    }
    // Sequence Option with "Other:" and item `index` of its list.
    void ChooseOtherLayout(int index) {
        HWND dialog = OpenDialog(CMD_SEQUENCE_OPTION, "Sequence Option");
        ASSERT_NE(dialog, nullptr);
        PressButton(dialog, RADIO_OTHER);
        ASSERT_TRUE(WaitUntil([&] { return Checked(dialog, RADIO_OTHER); }));
        ASSERT_TRUE(ChooseListItem(dialog, LIST_OTHER, index));
        ConfirmDialog(dialog);
    }
};

// The difference picture of two 4:2:0 frames at gain k, as planes to show.
std::vector<uint8_t> DifferenceFrame(const uint8_t* a, const uint8_t* b, int k) {
    std::vector<uint8_t> d(kQcifBytes);
    for (size_t i = 0; i < d.size(); ++i) {
        const int v = 128 + k * (a[i] - b[i]);
        d[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
    return d;
}

TEST_F(CompareTest, NFindsTheOneDifferingSampleOfFrame17AndEachViewShowsIt) {
    const std::vector<uint8_t> a = WriteSequence("reference.yuv", TYPE_YUV420, kQcifW, kQcifH, 20);
    std::vector<uint8_t> b = a;
    const size_t u = 17 * kQcifBytes + size_t(kQcifW) * kQcifH + 5 * (kQcifW / 2) + 10; // U at (10, 5)
    b[u] = uint8_t(a[u] + 3);
    ASSERT_TRUE(WriteFileBytes(WorkPath("decoded.yuv"), b));
    OpenSequence(WorkPath("reference.yuv"));
    EXPECT_TRUE(Grayed(CMD_END_COMPARISON));
    ASSERT_TRUE(OpenThroughDialog(player_, CMD_COMPARE, WorkPath("decoded.yuv")));

    // A comparison opens the Inspector beside the window, which keeps its size.
    ASSERT_TRUE(WaitUntil([&] { return Inspector() != nullptr; })) << "no Inspector";
    EXPECT_TRUE(InspectorSays("Frame 0"));
    EXPECT_TRUE(InspectorSays("V  identical"));
    EXPECT_TRUE(MenuChecked(CMD_INSPECTOR));
    EXPECT_FALSE(Grayed(CMD_END_COMPARISON));
    ExpectFitted(kQcifW, kQcifH);

    PressKey(player_, 'N');
    const std::string found = "Frame 17: first difference in U at (10, 5): A " + std::to_string(a[u]) +
                              ", B " + std::to_string(b[u]);
    EXPECT_TRUE(InspectorSays(found));
    EXPECT_TRUE(InspectorSays("SSE 9, 1 of 6336 differ"));
    EXPECT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n == 17; }));
    PressKey(player_, 'N');
    EXPECT_TRUE(InspectorSays("No more differences."));
    ExpectNoDialog();

    // D, then + twice: 128 + 16 (A - B); Tab goes to A, then B.
    const uint8_t* a17 = &a[17 * kQcifBytes];
    const uint8_t* b17 = &b[17 * kQcifBytes];
    PressKey(player_, 'D');
    EXPECT_TRUE(Shows(kQcifW, kQcifH,
                      ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, DifferenceFrame(a17, b17, 1).data())));
    PressKey(player_, VK_ADD);
    PressKey(player_, VK_ADD);
    EXPECT_TRUE(Shows(kQcifW, kQcifH,
                      ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, DifferenceFrame(a17, b17, 16).data())));
    PressKey(player_, VK_TAB);
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, a17)));
    PressKey(player_, VK_TAB);
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, b17)));

    // The statistics of all 20 frames, copied as tab-separated text.
    PostCommand(player_, CMD_STATISTICS);
    HWND stats = WaitForDialog(player_, "Comparison Statistics", player_.window);
    ASSERT_NE(stats, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(stats, STATS_COPY); }, 10000));
    PressButton(stats, STATS_COPY);
    std::string table;
    EXPECT_TRUE(WaitUntil([&] { return (table = ClipboardText()).find("\t") != std::string::npos; })) << table;
    EXPECT_NE(table.find("\r\n17\t"), std::string::npos) << table;
    // Every line ends in one CR LF: a spreadsheet shows no empty rows.
    for (size_t at = table.find('\n'); at != std::string::npos; at = table.find('\n', at + 1)) {
        ASSERT_TRUE(at >= 2 && table[at - 1] == '\r' && table[at - 2] != '\r') << "line end at " << at;
    }
    EXPECT_NE(table.find("\r\n16\t"), std::string::npos) << table;
    PressButton(stats, IDCANCEL);
    EXPECT_TRUE(WaitUntilGone(stats));

    PostCommand(player_, CMD_END_COMPARISON);
    EXPECT_TRUE(WaitUntil([&] { return Grayed(CMD_END_COMPARISON); }));
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, a17)));
    PostCommand(player_, CMD_INSPECTOR);
    EXPECT_TRUE(WaitUntil([&] { return Inspector() == nullptr; }));
}

// The magnifier draws the stored difference under the mouse: A - B = 1 at
// luma (80, 0) of frame 3, 0 beside it, read back from the screen.
TEST_F(CompareTest, TheMagnifierShowsTheDifferenceUnderTheMouse) {
    std::vector<uint8_t> a = WriteSequence("a.yuv", TYPE_YUV420, kQcifW, kQcifH, 5);
    const size_t at = 3 * kQcifBytes + 80;
    a[at] = 100;
    std::vector<uint8_t> b = a;
    b[at] = 99;
    ASSERT_TRUE(WriteFileBytes(WorkPath("a.yuv"), a));
    ASSERT_TRUE(WriteFileBytes(WorkPath("b.yuv"), b));
    OpenSequence(WorkPath("a.yuv"));
    ASSERT_TRUE(OpenThroughDialog(player_, CMD_COMPARE, WorkPath("b.yuv")));
    ASSERT_TRUE(WaitUntil([&] { return Inspector() != nullptr; })) << "no Inspector";
    PressKey(player_, 'N');
    EXPECT_TRUE(InspectorSays("Frame 3: first difference in Y at (80, 0)"));
    PressKey(player_, 'D');
    EXPECT_TRUE(InspectorSays("view difference"));
    // The pointer there, and the move the window would get from it.
    POINT p = {80, 0};
    ClientToScreen(player_.window, &p);
    SetCursorPos(p.x, p.y);
    PostMessageA(player_.window, WM_MOUSEMOVE, 0, MAKELPARAM(80, 0));
    EXPECT_TRUE(InspectorSays("Y  A 100  B 99  A-B +1"));

    // A block's pixels as drawn: ink black, the rest white.
    auto block = [](int32_t value) {
        uint8_t ink[MAGNIFIER_BLOCK][MAGNIFIER_BLOCK];
        MagnifierBlockInk(value, ink);
        std::vector<uint8_t> pixels;
        for (int y = MAGNIFIER_BLOCK - 1; y >= 0; --y) { // bottom row first
            for (int x = 0; x < MAGNIFIER_BLOCK; ++x) {
                pixels.insert(pixels.end(), 3, ink[y][x] ? 0 : 255);
            }
        }
        return pixels;
    };
    HWND magnifier = GetDlgItem(Inspector(), 2);
    ASSERT_NE(magnifier, nullptr);
    const int centre = 4 * (MAGNIFIER_BLOCK + 1) + 1, right = centre + MAGNIFIER_BLOCK + 1;
    EXPECT_TRUE(WaitUntil([&] {
        return ReadClient(magnifier, centre, centre, MAGNIFIER_BLOCK, MAGNIFIER_BLOCK) == block(1) &&
               ReadClient(magnifier, right, centre, MAGNIFIER_BLOCK, MAGNIFIER_BLOCK) == block(0);
    })) << "the centre block does not show 1, or the one right of it 0";
}

// The "Other:" list's items, in the order of the layout table: planar 4:2:0,
// 4:2:2, 4:4:4 and gray with 10, 12 and 16 bits (0 to 11), NV12, NV21, P010,
// YUYV and UYVY (12 to 16). Each shows as its sampling type.
const int kOtherItems = EXTENDED_LAYOUT_COUNT;
uint32_t ShownType(int item) { return ExtendedLayouts[item].type; }

// An 8-bit planar frame of the item's sampling stored in its layout. Deep
// samples carry low bits under the rounding, so each shows as the 8-bit one.
std::vector<uint8_t> Stored(int item, const std::vector<uint8_t>& planar, int w, int h) {
    const size_t p = size_t(w) * h;
    std::vector<uint8_t> out;
    auto word = [&](uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    if (item < 12) {
        static const int kBits[] = {10, 12, 16};
        const int bits = kBits[item % 3];
        for (size_t i = 0; i < planar.size(); ++i) {
            word(uint32_t(planar[i]) << (bits - 8) | (i & 1));
        }
    } else if (item < 15) {
        const size_t c = p / 4;
        for (size_t i = 0; i < p; ++i) {
            item == 14 ? word(uint32_t(planar[i]) << 8) : out.push_back(planar[i]);
        }
        for (size_t i = 0; i < c; ++i) {
            const uint8_t u = planar[p + i], v = planar[p + c + i];
            for (uint8_t s : {item == 13 ? v : u, item == 13 ? u : v}) {
                item == 14 ? word(uint32_t(s) << 8 | (i & 1) << 6) : out.push_back(s);
            }
        }
    } else {
        for (size_t i = 0; i < p / 2; ++i) {
            const uint8_t y0 = planar[2 * i], y1 = planar[2 * i + 1], u = planar[p + i],
                          v = planar[p + p / 2 + i];
            if (item == 15) {
                out.insert(out.end(), {y0, u, y1, v});
            } else {
                out.insert(out.end(), {u, y0, v, y1});
            }
        }
    }
    return out;
}

TEST_F(CompareTest, OtherLayoutsShowAsTheir8BitFormsAndCompareAtFullDepth) {
    for (int item = 0; item < kOtherItems; ++item) {
        SCOPED_TRACE(item);
        const uint32_t type = ShownType(item);
        const std::vector<uint8_t> planar = NumberedFrame(type, kQcifW, kQcifH, item);
        const std::string name = "layout " + std::to_string(item) + ".raw";
        ASSERT_TRUE(WriteFileBytes(WorkPath(name), Stored(item, planar, kQcifW, kQcifH)));
        ChooseOtherLayout(item);
        OpenSequence(WorkPath(name));
        EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(type, kQcifW, kQcifH, planar.data())));
    }

    // Two 10-bit frames one level apart in one sample look the same at 8
    // bits; the comparison finds the level.
    const std::vector<uint8_t> planar = NumberedFrame(TYPE_YUV420, kQcifW, kQcifH, 3);
    std::vector<uint8_t> a = Stored(0, planar, kQcifW, kQcifH);
    a[2 * 500] &= 0xFC;
    std::vector<uint8_t> b = a;
    b[2 * 500] |= 1;
    ASSERT_TRUE(WriteFileBytes(WorkPath("ten bit a.yuv"), a));
    ASSERT_TRUE(WriteFileBytes(WorkPath("ten bit b.yuv"), b));
    ChooseOtherLayout(0);
    OpenSequence(WorkPath("ten bit a.yuv"));
    ASSERT_TRUE(OpenThroughDialog(player_, CMD_COMPARE, WorkPath("ten bit b.yuv")));
    EXPECT_TRUE(InspectorSays("SSE 1, 1 of 25344 differ"));
    EXPECT_TRUE(InspectorSays("first (148, 2): A " + std::to_string(a[1000] | a[1001] << 8)));
    PressKey(player_, VK_TAB); // B looks as A does
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, planar.data())));
}

TEST_F(CompareTest, SettingsFromTheFileNameWhenTheItemIsChecked) {
    const std::vector<uint8_t> planar = NumberedFrame(TYPE_YUV420, 352, 288, 0);
    std::vector<uint8_t> nv12(planar.begin(), planar.begin() + 352 * 288);
    for (size_t i = 0; i < 352u * 288 / 4; ++i) {
        nv12.insert(nv12.end(), {planar[352 * 288 + i], planar[352 * 288 * 5 / 4 + i]});
    }
    const std::string name = WorkPath("camera_352x288_25fps_nv12.yuv");
    ASSERT_TRUE(WriteFileBytes(name, nv12));
    EXPECT_FALSE(MenuChecked(CMD_SETTINGS_FROM_NAME)) << "unchecked at start";
    PostCommand(player_, CMD_SETTINGS_FROM_NAME);
    ASSERT_TRUE(WaitUntil([&] { return MenuChecked(CMD_SETTINGS_FROM_NAME); }));
    ASSERT_TRUE(DropFiles(player_, {name}));
    EXPECT_TRUE(WaitUntil([&] {
        return WindowText(player_.window) == "Vorlex - " + name + " [352x288, NV12, 25 fps from the name]";
    })) << WindowText(player_.window);
    ExpectFitted(352, 288);
    EXPECT_TRUE(Shows(352, 288, ExpectedFramePixels(TYPE_YUV420, 352, 288, planar.data())));
}

} // namespace
