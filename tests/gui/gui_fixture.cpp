#include "gui_fixture.h"

#include <string.h>

#include "chroma_geometry.h"
#include "display.h"

std::string WorkFolder;

std::string WorkPath(const std::string& name) { return WorkFolder + name; }

std::vector<uint8_t> WriteSequence(const std::string& name, uint32_t type, int w, int h, int count) {
    std::vector<uint8_t> all;
    for (int n = 0; n < count; ++n) {
        const std::vector<uint8_t> frame = NumberedFrame(type, w, h, n);
        all.insert(all.end(), frame.begin(), frame.end());
    }
    EXPECT_TRUE(WriteFileBytes(WorkPath(name), all)) << name;
    return all;
}

std::vector<uint8_t> ExpectedFramePixels(uint32_t type, int w, int h, const uint8_t* frame, bool lumaOnly) {
    const size_t p = size_t(w) * h;
    std::vector<uint8_t> image(54 + 3 * p);
    if (type == TYPE_RGB || type == TYPE_BGR) {
        // Top row first in the file, bottom row first on a bitmap.
        for (int r = 0; r < h; ++r) {
            const uint8_t* in = frame + 3 * size_t(h - 1 - r) * w;
            uint8_t* out = &image[54 + 3 * size_t(r) * w];
            for (int x = 0; x < w; ++x) {
                const bool red = type == TYPE_RGB;
                out[3 * x] = in[3 * x + (red ? 2 : 0)];
                out[3 * x + 1] = in[3 * x + 1];
                out[3 * x + 2] = in[3 * x + (red ? 0 : 2)];
            }
        }
        return std::vector<uint8_t>(image.begin() + 54, image.end());
    }
    std::vector<int8_t> u(p, 0), v(p, 0);
    uint32_t code = TYPE_YUV444;
    if (HasChromaPlanes(type)) {
        code = type;
        if (!lumaOnly) {
            const size_t plane = size_t(ChromaPlaneBytes(type, w, h));
            for (size_t i = 0; i < plane; ++i) {
                u[i] = static_cast<int8_t>(frame[p + i] ^ 0x80);
                v[i] = static_cast<int8_t>(frame[p + plane + i] ^ 0x80);
            }
        }
    }
    ConvertYUV2Bitmap(code, w, h, frame, u.data(), v.data(), image.data());
    return std::vector<uint8_t>(image.begin() + 54, image.end());
}

std::string ClipboardText() {
    Sleep(50);
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

namespace {

// The main window fitted for a w x h frame, measured once under Wine on the
// suite's 1600 x 1200 screen (caption 19, menu bar 19, sizing frame 4, fixed
// frame 3): sized with the sizing frame, its client area comes out 2 pixels
// wider and taller than the frame (QCIF: 184 x 190 outside, 178 x 146
// inside), centred. At 128 wide the menu bar takes two lines, and the player
// grows the window by what the client area lacked.
struct FittedWindow {
    int w, h;
    RECT window;
    SIZE client;
};
const FittedWindow kFitted[] = {
    {128, 96, {732, 521, 868, 679}, {130, 96}},
    {176, 144, {708, 505, 892, 695}, {178, 146}},
    {352, 288, {620, 433, 980, 767}, {354, 290}},
    {512, 512, {540, 321, 1060, 879}, {514, 514}},
};

} // namespace

void PlayerTest::SetUp() { ASSERT_TRUE(LaunchPlayer(&player_)) << "vorlex.exe did not start"; }

void PlayerTest::TearDown() { EndPlayer(&player_); }

void PlayerTest::OpenSequence(const std::string& path) {
    ASSERT_TRUE(OpenThroughDialog(player_, CMD_OPEN_SEQUENCE, path)) << path;
    ASSERT_TRUE(WaitUntil([&] { return WindowText(player_.window) == "Vorlex - " + path; }))
        << WindowText(player_.window);
    // The command's last step before showing frame 0.
    ASSERT_TRUE(WaitUntil([&] { return !ControlGrayed(); }));
}

void PlayerTest::OpenImage(const std::string& path) {
    ASSERT_TRUE(OpenThroughDialog(player_, CMD_OPEN_IMAGE, path)) << path;
    ASSERT_TRUE(WaitUntil([&] { return WindowText(player_.window) == "Vorlex - " + path; }))
        << WindowText(player_.window);
}

HWND PlayerTest::OpenDialog(int command, const char* caption) {
    PostCommand(player_, command);
    HWND dialog = WaitForDialog(player_, caption, player_.window);
    EXPECT_NE(dialog, nullptr) << caption;
    return dialog;
}

void PlayerTest::ConfirmDialog(HWND dialog) {
    PressButton(dialog, IDOK);
    EXPECT_TRUE(WaitUntilGone(dialog)) << "the dialog stayed open";
    if (IsWindow(dialog) && IsWindowVisible(dialog)) {
        EXPECT_EQ(TakeMessageBox(player_, dialog, 100), "") << "refused";
        CloseAllDialogs(player_);
    }
}

void PlayerTest::ExpectRefusal(HWND dialog, const char* message) {
    PressButton(dialog, IDOK);
    EXPECT_EQ(TakeMessageBox(player_, dialog), message);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog closed after: " << message;
}

void PlayerTest::CancelDialog(HWND dialog) {
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntilGone(dialog));
}

void PlayerTest::SetSequenceOptions(int radio, const char* header, const char* rate) {
    HWND dialog = OpenDialog(CMD_SEQUENCE_OPTION, "Sequence Option");
    ASSERT_NE(dialog, nullptr);
    if (radio) {
        PressButton(dialog, radio);
        ASSERT_TRUE(WaitUntil([&] { return Checked(dialog, radio); }));
    }
    if (header) {
        SetField(dialog, 109, header);
    }
    if (rate) {
        SetField(dialog, 110, rate);
    }
    ConfirmDialog(dialog);
}

void PlayerTest::SetFrameSize(int radio, const char* width, const char* height) {
    HWND dialog = OpenDialog(CMD_FRAME_OPTIONS, "Frame Options");
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, radio);
    ASSERT_TRUE(WaitUntil([&] { return Checked(dialog, radio); }));
    if (width) {
        SetField(dialog, 107, width);
    }
    if (height) {
        SetField(dialog, 109, height);
    }
    ConfirmDialog(dialog);
}

void PlayerTest::SetImageOptions(int radio, const char* width, const char* height, const char* header) {
    HWND dialog = OpenDialog(CMD_IMAGE_OPTION, "Image Option");
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, radio);
    ASSERT_TRUE(WaitUntil([&] { return Checked(dialog, radio); }));
    SetField(dialog, 108, width);
    SetField(dialog, 109, height);
    SetField(dialog, 110, header);
    ConfirmDialog(dialog);
}

void PlayerTest::ShowFrame(int n) {
    HWND dialog = OpenDialog(CMD_SHOW_FRAME, "Frame Number");
    ASSERT_NE(dialog, nullptr);
    SetField(dialog, 101, std::to_string(n));
    ConfirmDialog(dialog);
}

void PlayerTest::ExpectFitted(int w, int h) {
    const FittedWindow* fitted = nullptr;
    for (const FittedWindow& f : kFitted) {
        fitted = f.w == w && f.h == h ? &f : fitted;
    }
    ASSERT_NE(fitted, nullptr) << w << "x" << h << " was not measured";
    RECT window;
    // After a dialog has gone its command may still be moving the window.
    WaitUntil([&] {
        GetWindowRect(player_.window, &window);
        return EqualRect(&window, &fitted->window) != FALSE;
    });
    EXPECT_TRUE(EqualRect(&window, &fitted->window)) << w << "x" << h << ": " << window.left << "," << window.top
                                                     << " " << window.right << "," << window.bottom;
    const SIZE client = ClientSize(player_.window);
    EXPECT_EQ(client.cx, fitted->client.cx) << w;
    EXPECT_EQ(client.cy, fitted->client.cy) << h;
}

void PlayerTest::ExpectPlayerMessage(const char* message) {
    EXPECT_EQ(TakeMessageBox(player_, nullptr), message);
}

void PlayerTest::ExpectNoDialog() { EXPECT_TRUE(PlayerDialogs(player_).empty()); }

bool PlayerTest::Grayed(UINT id) {
    const UINT state = MenuState(player_, id);
    EXPECT_NE(state, kMenuQueryFailed) << "menu item " << id;
    return state != kMenuQueryFailed && (state & MF_GRAYED);
}

bool PlayerTest::MenuChecked(UINT id) {
    const UINT state = MenuState(player_, id);
    EXPECT_NE(state, kMenuQueryFailed) << "menu item " << id;
    return state != kMenuQueryFailed && (state & MF_CHECKED);
}

bool PlayerTest::ControlGrayed() {
    const UINT state = MenuState(player_, 1, MF_BYPOSITION);
    EXPECT_NE(state, kMenuQueryFailed) << "the Control entry";
    return state != kMenuQueryFailed && (state & MF_GRAYED);
}

void PlayerTest::ExpectArrangement(bool playing) {
    EXPECT_EQ(Grayed(CMD_PLAY), playing);
    EXPECT_EQ(Grayed(CMD_STOP), !playing);
    EXPECT_EQ(Grayed(CMD_PAUSE), !playing);
    EXPECT_EQ(Grayed(CMD_SHOW_FRAME), playing);
    EXPECT_FALSE(Grayed(CMD_SAVE_RAW));
    EXPECT_FALSE(Grayed(CMD_SAVE_BITMAP));
}

bool PlayerTest::WaitForFrame(int w, int h, const std::function<bool(int)>& condition, DWORD ms) {
    return WaitUntil([&] { return condition(FrameOnScreen(w, h)); }, ms);
}

int PlayerTest::SettledFrame(int w, int h, DWORD quietMs) {
    int frame = FrameOnScreen(w, h);
    DWORD since = GetTickCount();
    const bool settled = WaitUntil(
        [&] {
            const int n = FrameOnScreen(w, h);
            if (n != frame) {
                frame = n;
                since = GetTickCount();
            }
            return GetTickCount() - since >= quietMs;
        },
        5000);
    return settled ? frame : -1;
}

::testing::AssertionResult PlayerTest::Shows(int w, int h, const std::vector<uint8_t>& pixels, DWORD ms) {
    if (ShowsWithin(player_.window, w, h, pixels, ms)) {
        return ::testing::AssertionSuccess();
    }
    const std::vector<uint8_t> seen = ReadClient(player_.window, 0, 0, w, h);
    size_t differ = 0, first = seen.size();
    for (size_t i = 0; i < seen.size() && i < pixels.size(); ++i) {
        if (seen[i] != pixels[i]) {
            first = differ++ == 0 ? i : first;
        }
    }
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << differ << " of " << seen.size() << " bytes differ";
    if (first < seen.size()) {
        const size_t pixel = first / 3;
        failure << "; first at x " << pixel % w << ", row " << h - 1 - int(pixel / w)
                << " from the top: " << int(seen[first]) << " instead of " << int(pixels[first]);
    }
    return failure;
}
