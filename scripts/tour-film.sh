#!/usr/bin/env bash
# Looks at the camera tour the way a viewer of the recording sees it: one
# frame a second at 640x360, each frame's mean luminance (8-bit luma,
# 0.299 R + 0.587 G + 0.114 B of the decoded RGB values, over 255, whole
# frame), per second and per shot, and on request a contact sheet of the
# fifty frames (10 x 5).
#
#   scripts/tour-film.sh [RUNTIME_DIR] [--video FILE] [--sheet FILE.jpg]
#
# RUNTIME_DIR is a built run-time tree (default build-tests/); its
# tools/thalvek-record records the tour unless --video names a recording
# already made with --fps 1. Without a display it records on a private
# Xvfb screen. It ends with status 1 when the darkest second is below 0.055
# or below 0.7 of the median second: a stretch of the tour a viewer would
# skip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/common.sh"

runtime=$root/build-tests video= sheet=
while [ $# -gt 0 ]; do
  case $1 in
    --video) video=${2:?--video needs a file}; shift 2 ;;
    --sheet) sheet=${2:?--sheet needs a file}; shift 2 ;;
    -*) echo "usage: tour-film.sh [RUNTIME_DIR] [--video FILE] [--sheet FILE.jpg]" >&2; exit 2 ;;
    *) runtime=$1; shift ;;
  esac
done
width=640 height=360

work=$(mktemp -d)
cleanup() { rm -rf "$work"; stop_xvfb; }
trap cleanup EXIT
if [ -z "$video" ]; then
  video=$work/tour.mp4
  [ -n "${DISPLAY:-}" ] || start_xvfb 1280x720x24
  say "Recording the tour at one frame a second"
  "$runtime/tools/thalvek-record" --fps 1 --size ${width}x$height --output "$video" >"$work/record.log" ||
    { cat "$work/record.log" >&2; exit 1; }
fi

# A recording given with --video may have any size.
IFS=x read -r width height < <(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x "$video")

# Frame k shows tour time k + 1 s: the recorder steps the tour before it
# draws. The shots are the tour's script, with its pauses on the last camera.
status=0
ffmpeg -v error -i "$video" -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 -w3 |
  awk -v pixels=$((width * height)) '
    function shot(t) {
      if (t < 11.5) return "opening"
      if (t <= 18) return "pool"
      if (t <= 34) return "orbit"
      if (t <= 42) return "establishing"
      return "drift"
    }
    { r += $1; g += $2; b += $3 }
    ++n == pixels {
      luma[frames++] = (0.299 * r + 0.587 * g + 0.114 * b) / pixels / 255
      n = r = g = b = 0
    }
    END {
      if (frames == 0) { print "no frames decoded" > "/dev/stderr"; exit 1 }
      for (i = 0; i < frames; ++i) {
        t = i + 1; s = shot(t)
        printf "%2d s  %-13s %.4f\n", t, s, luma[i]
        sum[s] += luma[i]; count[s]++
        if (!(s in low) || luma[i] < low[s]) low[s] = luma[i]
        sorted[i] = luma[i]
      }
      for (i = 1; i < frames; ++i)
        for (j = i; j > 0 && sorted[j - 1] > sorted[j]; --j) { x = sorted[j]; sorted[j] = sorted[j - 1]; sorted[j - 1] = x }
      median = frames % 2 ? sorted[(frames - 1) / 2] : (sorted[frames / 2 - 1] + sorted[frames / 2]) / 2
      split("opening pool orbit establishing drift", order, " ")
      print ""
      for (k = 1; k <= 5; ++k)
        if (order[k] in count)
          printf "%-13s mean %.4f  darkest %.4f  (%d s)\n", order[k], sum[order[k]] / count[order[k]], low[order[k]], count[order[k]]
      printf "\nmedian second %.4f, darkest %.4f (%.2f of the median)\n", median, sorted[0], sorted[0] / median
      if (sorted[0] < 0.055 || sorted[0] < 0.7 * median) { print "the darkest second is too dark"; exit 1 }
    }' || status=$?

if [ -n "$sheet" ]; then
  ffmpeg -v error -y -i "$video" -vf "scale=256:-2:flags=area,tile=10x5" -frames:v 1 -q:v 3 "$sheet"
  say "Contact sheet: $sheet"
fi
exit $status
