#!/usr/bin/env bash
# Records the camera tour, picture and sound, as an MP4 file: installs what
# is missing (ffmpeg included), builds Thalvek in Release (in build/, as
# scripts/run.sh does) and runs tools/thalvek-record with the arguments
# given. Without a display it records on a private virtual screen, so it
# works on a machine without a GPU, a screen or a sound card.
#
#   scripts/record.sh [OPTIONS]      (scripts/record.sh --help lists them)
#
# The default output is build/tour.mp4 at 1280x720; --output FILE and
# --size WxH change them. Ctrl-C stops early and still leaves a playable file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/common.sh"

configure_release "$root"
say "Building the recorder"
cmake --build "$root/build" --target thalvek_record -j "$(nproc)"

# The picture size asked for (the last --size wins, as in the tool).
width=1280 height=720
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  case ${args[i]} in
    --size=*) size=${args[i]#--size=} ;;
    --size) size=${args[i + 1]:-} ;;
    *) continue ;;
  esac
  if [[ $size =~ ^([0-9]+)x([0-9]+)$ ]]; then
    width=${BASH_REMATCH[1]} height=${BASH_REMATCH[2]}
  fi
done

record=("$root/build/tools/thalvek-record" --output "$root/build/tour.mp4" "$@")
help=0
for arg in "$@"; do [[ $arg == --help || $arg == -h ]] && help=1; done
if [ -n "${DISPLAY:-}" ] || [ "$help" -eq 1 ]; then
  exec "${record[@]}"
fi
# A screen at least as big as the picture, so the whole window is on it; a
# size beyond any GL's limits is the recorder's to refuse.
clamp() { local v=$(( $1 > $2 ? $1 : $2 )); echo $(( v < 16384 ? v : 16384 )); }
screen_width=$(clamp "$width" 1280)
screen_height=$(clamp "$height" 720)
start_xvfb "${screen_width}x${screen_height}x24"
trap stop_xvfb EXIT
say "No display: recording on the virtual screen $DISPLAY"
"${record[@]}"
