// Settings read from file names: a table of the names test material really
// has, and names whose digits must not be taken for settings.
#include <gtest/gtest.h>

#include <string>

#include "display.h"
#include "file_names.h"

namespace {

TEST(NameSettings, RealWorldNames) {
    const uint32_t kNoType = 0;
    struct {
        const char* path;
        uint32_t w, h;    // 0: no size
        const char* rate; // null: no rate
        uint32_t type, bits;
        int packing;
        const char* title;
    } cases[] = {
        {"C:\\seq\\BasketballDrive_1920x1080_50.yuv", 1920, 1080, "50", kNoType, 0, 0,
         " [1920x1080, 50 fps from the name]"},
        {"Kimono1_1920x1080_24.yuv", 1920, 1080, "24", kNoType, 0, 0, nullptr},
        {"foreman_cif.yuv", 352, 288, nullptr, kNoType, 0, 0, " [352x288 from the name]"},
        {"/data/akiyo_QCIF.yuv", 176, 144, nullptr, kNoType, 0, 0, nullptr},
        {"ducks_take_off_1080p50.yuv", 1920, 1080, "50", kNoType, 0, 0, nullptr},
        {"park_joy_720p.y4m.yuv", 1280, 720, nullptr, kNoType, 0, 0, nullptr},
        {"Tango_1920x1080_60fps_10bit_420.yuv", 1920, 1080, "60", TYPE_YUV420, 10, PACKING_PLANAR,
         " [1920x1080, 4:2:0 10-bit, 60 fps from the name]"},
        {"out_1920x1080_10bit_420.yuv", 1920, 1080, nullptr, TYPE_YUV420, 10, PACKING_PLANAR, nullptr},
        {"decoded_yuv420p10le_3840x2160.yuv", 3840, 2160, nullptr, TYPE_YUV420, 10, PACKING_PLANAR, nullptr},
        {"cam_640x480_29.97fps_nv12.raw", 640, 480, "29.97", TYPE_YUV420, 8, PACKING_NV12,
         " [640x480, NV12, 29.97 fps from the name]"},
        {"hw_1280x720_NV21.yuv", 1280, 720, nullptr, TYPE_YUV420, 8, PACKING_NV21, nullptr},
        {"gpu_P010_1920x1080.yuv", 1920, 1080, nullptr, TYPE_YUV420, 10, PACKING_P010, nullptr},
        {"capture_720x576_50Hz_uyvy.yuv", 720, 576, "50", TYPE_YUV422, 8, PACKING_UYVY, nullptr},
        {"capture_yuy2_cif.yuv", 352, 288, nullptr, TYPE_YUV422, 8, PACKING_YUYV, nullptr},
        {"depth_gray16le_512x512.raw", 512, 512, nullptr, TYPE_GRAY, 16, PACKING_PLANAR, nullptr},
        {"mono_y8_qcif.yuv", 176, 144, nullptr, TYPE_GRAY, 8, PACKING_PLANAR, " [176x144, Gray from the name]"},
        // In names, 420 is 2 x 2 chroma (type 103) and 411 a sample per 4
        // pixels of a row (type 102), whatever the dialog's labels say.
        {"bars_qcif_411.yuv", 176, 144, nullptr, TYPE_YUV411, 8, PACKING_PLANAR, nullptr},
        {"bars_1920x1080_420.yuv", 1920, 1080, nullptr, TYPE_YUV420, 8, PACKING_PLANAR, nullptr},
        {"bars_cif_444_12b.yuv", 352, 288, nullptr, TYPE_YUV444, 12, PACKING_PLANAR, nullptr},
        {"BARS_CIF_RGB.rgb", 352, 288, nullptr, TYPE_RGB, 8, PACKING_PLANAR, nullptr},
        // A depth is not a layout of its own, and RGB has no 10-bit form.
        {"clip_10bit.yuv", 0, 0, nullptr, kNoType, 0, 0, ""},
        {"clip_rgb_10bit.rgb", 0, 0, nullptr, TYPE_RGB, 8, PACKING_PLANAR, nullptr},
        // Digits in dates, versions and counters are not settings; a bare
        // number is a rate only right after a size.
        {"run_2023-05-17_v1.2_0042.yuv", 0, 0, nullptr, kNoType, 0, 0, ""},
        {"encoder_r3000_x264_50.yuv", 0, 0, nullptr, kNoType, 0, 0, ""},
        {"foreman_cif_30.yuv", 352, 288, nullptr, kNoType, 0, 0, nullptr},
        {"big_1920x1080_1000.yuv", 1920, 1080, nullptr, kNoType, 0, 0, nullptr},
        {"notes_4cifs_ciff_qcif2.yuv", 0, 0, nullptr, kNoType, 0, 0, ""},
        {"C:\\cif_1920x1080\\clip.yuv", 0, 0, nullptr, kNoType, 0, 0, ""}, // only the last component
        {"first_352x288_then_176x144_25_30fps.yuv", 352, 288, "30", kNoType, 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        NameSettings s;
        const int any = ReadNameSettings(c.path, &s);
        EXPECT_EQ(any != 0, c.w != 0 || c.rate != nullptr || c.type != kNoType);
        EXPECT_EQ(s.hasSize, c.w != 0);
        if (c.w) {
            EXPECT_EQ(s.width, c.w);
            EXPECT_EQ(s.height, c.h);
        }
        EXPECT_EQ(s.hasRate, c.rate != nullptr);
        if (c.rate) {
            EXPECT_STREQ(s.rateText, c.rate);
        }
        EXPECT_EQ(s.hasLayout, c.type != kNoType);
        if (c.type != kNoType) {
            EXPECT_EQ(s.type, c.type);
            EXPECT_EQ(s.bits, c.bits);
            EXPECT_EQ(s.packing, c.packing);
        }
        if (c.title) {
            char title[96];
            DescribeNameSettings(s, title, sizeof title);
            EXPECT_STREQ(title, c.title);
        }
    }
}

TEST(NameSettings, PresetWordsNameTheirPreset) {
    const char* const words[] = {"x_sqcif.yuv", "x_QCIF.yuv", "x_cif.yuv", "x_4cif.yuv", "x_16CIF.yuv"};
    for (int i = 0; i < 5; ++i) {
        NameSettings s;
        ReadNameSettings(words[i], &s);
        EXPECT_EQ(s.preset, i) << words[i];
    }
    NameSettings s;
    ReadNameSettings("x_352x288.yuv", &s);
    EXPECT_EQ(s.preset, -1);
    EXPECT_EQ(ReadNameSettings(nullptr, &s), 0);
}

} // namespace
