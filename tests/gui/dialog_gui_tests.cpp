// The option dialogs as a user meets them: what they show when opened, every
// refused entry with its message (the dialog staying open), what a refused
// OK leaves written (seen by opening the dialog again), and what their OK
// changes in the window.
#include <string>
#include <vector>

#include "display.h"
#include "gui_fixture.h"

namespace {

const int kQcifW = 176, kQcifH = 144;

// Exactly one of the radios first..last is checked: `checked`.
void ExpectRadio(HWND dialog, int first, int last, int checked) {
    for (int id = first; id <= last; ++id) {
        EXPECT_EQ(Checked(dialog, id), id == checked) << "radio " << id;
    }
}

TEST_F(PlayerTest, FrameOptionsDefaultsRefusalsAndARefusedCustomSize) {
    HWND dialog = OpenDialog(CMD_FRAME_OPTIONS, "Frame Options");
    ASSERT_NE(dialog, nullptr);
    ExpectRadio(dialog, 101, 106, 102); // QCIF
    for (int id : {107, 108, 109, 110}) {
        EXPECT_FALSE(Enabled(dialog, id)) << id;
    }
    EXPECT_EQ(Field(dialog, 107), "");
    EXPECT_EQ(Field(dialog, 109), "");

    PressButton(dialog, 106);
    // The click enables the four controls one by one, in another process.
    EXPECT_TRUE(WaitUntil([&] {
        return Enabled(dialog, 107) && Enabled(dialog, 108) && Enabled(dialog, 109) && Enabled(dialog, 110);
    }));
    ExpectRefusal(dialog, "Input frame size!");
    struct {
        const char* width;
        const char* height;
        const char* message;
    } refusals[] = {
        // One entry per message; the order of the checks and their limits
        // are tested without a window.
        {"1921", "1088", "Frame size too large!"},
        {"0", "144", "Frame size must not be zero!"},
        {"174", "144", "Frame width must be a multiple of 4!"},
    };
    for (const auto& r : refusals) {
        SetField(dialog, 107, r.width);
        SetField(dialog, 109, r.height);
        ExpectRefusal(dialog, r.message);
    }
    CancelDialog(dialog);
    ExpectFitted(kQcifW, kQcifH);

    // The refused OK stored the custom preset; the fields start empty again.
    dialog = OpenDialog(CMD_FRAME_OPTIONS, "Frame Options");
    ASSERT_NE(dialog, nullptr);
    ExpectRadio(dialog, 101, 106, 106);
    EXPECT_TRUE(Enabled(dialog, 107));
    EXPECT_EQ(Field(dialog, 107), "");
    EXPECT_EQ(Field(dialog, 109), "");
    CancelDialog(dialog);

    // ... and left the frame size as it was: a QCIF sequence still fits.
    const std::vector<uint8_t> file = WriteSequence("still qcif.yuv", TYPE_YUV420, kQcifW, kQcifH, 1);
    OpenSequence(WorkPath("still qcif.yuv"));
    ExpectFitted(kQcifW, kQcifH);
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, file.data())));
}

TEST_F(PlayerTest, FrameSizeChangesResizeTheWindow) {
    SetFrameSize(106, "352", "288");
    ExpectFitted(352, 288);
    const std::vector<uint8_t> file = WriteSequence("custom cif.yuv", TYPE_YUV420, 352, 288, 1);
    OpenSequence(WorkPath("custom cif.yuv"));
    EXPECT_TRUE(Shows(352, 288, ExpectedFramePixels(TYPE_YUV420, 352, 288, file.data())));

    SetFrameSize(101); // SQCIF
    ExpectFitted(128, 96);

    // The largest custom size is taken; a window wider than the screen is
    // placed at the top-left corner.
    SetFrameSize(106, "1920", "1088");
    ExpectNoDialog();
    RECT r;
    const bool atCorner = WaitUntil([&] {
        GetWindowRect(player_.window, &r);
        return r.left == 0 && r.top == 0;
    });
    EXPECT_TRUE(atCorner) << r.left << "," << r.top;
}

TEST_F(PlayerTest, ImageOptionDefaultsRefusalsAndWhatARefusedOkLeaves) {
    HWND dialog = OpenDialog(CMD_IMAGE_OPTION, "Image Option");
    ASSERT_NE(dialog, nullptr);
    ExpectRadio(dialog, 101, 107, 101); // Gray
    EXPECT_EQ(Field(dialog, 108), "512");
    EXPECT_EQ(Field(dialog, 109), "512");
    EXPECT_EQ(Field(dialog, 110), "64");

    PressButton(dialog, 103); // 4:2:2
    ASSERT_TRUE(WaitUntil([&] { return Checked(dialog, 103); }));
    struct {
        const char* width;
        const char* height;
        const char* message;
    } refusals[] = {
        {"", "512", "Input image size!"},
        {"512", "1089", "Image size too large!"},
        {"0", "512", "Image size must not be zero!"},
        {"510", "512", "Image width must be a multiple of 4!"},
    };
    for (const auto& r : refusals) {
        SetField(dialog, 108, r.width);
        SetField(dialog, 109, r.height);
        ExpectRefusal(dialog, r.message);
    }
    // A valid size is stored before the empty header is refused.
    SetField(dialog, 108, "176");
    SetField(dialog, 109, "144");
    SetField(dialog, 110, "");
    ExpectRefusal(dialog, "Input image header size!");
    CancelDialog(dialog);

    dialog = OpenDialog(CMD_IMAGE_OPTION, "Image Option");
    ASSERT_NE(dialog, nullptr);
    ExpectRadio(dialog, 101, 107, 103);
    EXPECT_EQ(Field(dialog, 108), "176");
    EXPECT_EQ(Field(dialog, 109), "144");
    EXPECT_EQ(Field(dialog, 110), "64");
    CancelDialog(dialog);
}

TEST_F(PlayerTest, SequenceOptionDefaultsRefusalsAndWhatARefusedOkLeaves) {
    HWND dialog = OpenDialog(CMD_SEQUENCE_OPTION, "Sequence Option");
    ASSERT_NE(dialog, nullptr);
    ExpectRadio(dialog, 101, 107, 105); // "Y:U:V = 4:1:1", type 103
    EXPECT_EQ(Field(dialog, 109), "0");
    EXPECT_EQ(Field(dialog, 110), "30.0");

    PressButton(dialog, 101); // Gray
    ASSERT_TRUE(WaitUntil([&] { return Checked(dialog, 101); }));
    SetField(dialog, 109, "");
    ExpectRefusal(dialog, "Input sequence header size!");
    SetField(dialog, 109, "100");
    SetField(dialog, 110, "");
    ExpectRefusal(dialog, "Input sequence frame rate!");
    SetField(dialog, 110, "abc");
    ExpectRefusal(dialog, "Invalid sequence frame rate!");
    CancelDialog(dialog);

    // Type and header were stored; the frame rate was not.
    dialog = OpenDialog(CMD_SEQUENCE_OPTION, "Sequence Option");
    ASSERT_NE(dialog, nullptr);
    ExpectRadio(dialog, 101, 107, 101);
    EXPECT_EQ(Field(dialog, 109), "100");
    EXPECT_EQ(Field(dialog, 110), "30.0");
    CancelDialog(dialog);
}

TEST_F(PlayerTest, FrameNumberDialogsShowRefuseAndStoreTheNumber) {
    WriteSequence("numbers.yuv", TYPE_YUV420, kQcifW, kQcifH, 10);
    OpenSequence(WorkPath("numbers.yuv"));
    ShowFrame(7);
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n == 7; }));

    HWND dialog = OpenDialog(CMD_SHOW_FRAME, "Frame Number");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Field(dialog, 101), "7");
    SetField(dialog, 101, "");
    ExpectRefusal(dialog, "Input frame number!");
    CancelDialog(dialog);

    // The save dialog: the file name is empty until a first save; a valid
    // number is stored before an empty name is refused.
    dialog = OpenDialog(CMD_SAVE_RAW, "Frame Number");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Field(dialog, 101), "7");
    EXPECT_EQ(Field(dialog, 102), "");
    SetField(dialog, 101, "");
    ExpectRefusal(dialog, "Input frame number!");
    SetField(dialog, 101, "3");
    ExpectRefusal(dialog, "Input file name!");
    CancelDialog(dialog);

    dialog = OpenDialog(CMD_SHOW_FRAME, "Frame Number");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Field(dialog, 101), "3");
    CancelDialog(dialog);
    EXPECT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n == 7; })) << "a cancelled dialog shows nothing";
    ExpectNoDialog();
}

} // namespace
