#!/bin/sh
# vorlex-compare beside ffmpeg's psnr and ssim filters on the same pairs:
# 60 frames of 1920x1080 4:2:0 at 8 and 10 bits (ffmpeg's test pattern
# against a noisy copy), read from the page cache, best of three runs each.
# Prints a table and whether the goals hold: PSNR at least 5 times ffmpeg's
# rate, SSIM at least 2 times.
#   compare_tool_bench.sh VORLEX_COMPARE FOLDER
set -eu
tool=$1 folder=$2
mkdir -p "$folder"
for fmt in yuv420p yuv420p10le; do
    a="$folder/a_$fmt.yuv" b="$folder/b_$fmt.yuv"
    if [ ! -s "$b" ]; then
        ffmpeg -v error -y -f lavfi -i testsrc=size=1920x1080:rate=30 -frames:v 60 -pix_fmt $fmt -f rawvideo "$a"
        ffmpeg -v error -y -f rawvideo -s 1920x1080 -pix_fmt $fmt -i "$a" -vf noise=alls=12:allf=t \
            -pix_fmt $fmt -f rawvideo "$b"
    fi
done
# Best wall time of three runs of a command, in seconds.
best() {
    t=""
    for run in 1 2 3; do
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || [ $? = 1 ]
        end=$(date +%s.%N)
        t=$(echo "$start $end ${t:-99}" | awk '{d = $2 - $1; print (d < $3) ? d : $3}')
    done
    echo "$t"
}
status=0
echo "| material | metric | vorlex-compare (s) | ffmpeg (s) | ratio | goal |"
echo "|---|---|---|---|---|---|"
for fmt in yuv420p yuv420p10le; do
    a="$folder/a_$fmt.yuv" b="$folder/b_$fmt.yuv"
    layout=$([ $fmt = yuv420p ] && echo 420 || echo yuv420p10le)
    cat "$a" "$b" >/dev/null
    for metric in psnr ssim; do
        ours=$(best "$tool" -s 1920x1080 -l $layout --metrics $metric "$a" "$b")
        theirs=$(best ffmpeg -v error -f rawvideo -s 1920x1080 -pix_fmt $fmt -i "$a" -f rawvideo -s 1920x1080 \
            -pix_fmt $fmt -i "$b" -lavfi "[0:v][1:v]$metric" -f null -)
        goal=$([ $metric = psnr ] && echo 5 || echo 2)
        line=$(echo "$ours $theirs $goal" | awk '{r = $2 / $1; printf "%.3f | %.3f | %.1f | %s", $1, $2, r, (r >= $3) ? "met" : "MISSED"}')
        echo "| $fmt | $metric | $line |"
        case $line in *MISSED*) status=1 ;; esac
    done
done
[ $status = 0 ] && echo "both goals met" || echo "a goal was missed"
