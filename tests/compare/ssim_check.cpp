// SSIM and PSNR of the frames of two raw files, for the test against
// ffmpeg's ssim and psnr filters:
//     ssim_check A.raw B.raw LAYOUT WIDTH HEIGHT
// LAYOUT is a layout word (yuv420p, gray10le, nv12, p010, yuyv...).
// Prints a line per frame pair:
//     n:1|<FrameSsimText>|<each plane's SSIM and All, %.17g>|<per plane:
//     name SSE samples PSNR(%.17g or inf) PsnrText>,...
// Every kernel level the processor has computes each frame; exits 1 when
// any two differ.
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "frame_compare.h"
#include "processor.h"
#include "ssim.h"

int main(int argc, char** argv) {
    SequenceLayout layout;
    if (argc != 6 || !LayoutForWord(argv[3], &layout)) {
        fprintf(stderr, "usage: ssim_check A.raw B.raw LAYOUT WIDTH HEIGHT\n");
        return 2;
    }
    const FrameGeometry l = StoredFrameGeometry(layout, uint32_t(atoi(argv[4])), uint32_t(atoi(argv[5])));
    FILE* fa = fopen(argv[1], "rb");
    FILE* fb = fopen(argv[2], "rb");
    if (!fa || !fb) {
        fprintf(stderr, "cannot open the files\n");
        return 1;
    }
    std::vector<uint8_t> a(l.frameBytes), b(l.frameBytes);
    int status = 0;
    for (uint32_t n = 1;
         fread(a.data(), 1, a.size(), fa) == a.size() && fread(b.data(), 1, b.size(), fb) == b.size(); ++n) {
        FrameSsim ssim[KERNELS_AVX2 + 1];
        for (int level = KERNELS_SCALAR; level <= DetectKernelLevel(); ++level) {
            SelectKernelLevel(level);
            bool same = SsimOfFrames(l, a.data(), b.data(), &ssim[level]) == SSIM_VALUE;
            for (uint32_t i = 0; i < l.planeCount; ++i) {
                same = same && ssim[level].planes[i] == ssim[0].planes[i];
            }
            if (!same || ssim[level].all != ssim[0].all) {
                fprintf(stderr, "frame %u: level %d differs from the scalar one, or no value\n", n, level);
                status = 1;
            }
        }
        FrameDiff diff;
        CompareFrames(l, a.data(), b.data(), &diff);
        printf("n:%u|%s|", n, FrameSsimText(l, ssim[0]).c_str());
        for (uint32_t i = 0; i < l.planeCount; ++i) {
            printf("%.17g ", ssim[0].planes[i]);
        }
        printf("%.17g|", ssim[0].all);
        for (uint32_t i = 0; i < l.planeCount; ++i) {
            const PlaneDiff& d = diff.planes[i];
            double db = 0;
            char psnr[32] = "inf";
            if (PsnrOf(d.sse, d.samples, PeakOf(l.bitDepth), &db) == PSNR_VALUE) {
                snprintf(psnr, sizeof psnr, "%.17g", db);
            }
            printf("%s%c %llu %llu %s %s", i ? "," : "", l.planes[i].name,
                   static_cast<unsigned long long>(d.sse), static_cast<unsigned long long>(d.samples), psnr,
                   PsnrText(d.sse, d.samples, PeakOf(l.bitDepth)).c_str());
        }
        printf("\n");
    }
    fclose(fa);
    fclose(fb);
    return status;
}
