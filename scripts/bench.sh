#!/usr/bin/env bash
# Builds Thalvek in Release with its benchmark and profiles the generated
# scene on a private Xvfb screen: start-up to the first frame by phase, then
# the median of every pass and of the whole frame from each camera, and the
# floor (the same frames drawn with a plain textured program, no effects)
# that every figure is also given as a multiple of. CPU clock after glFinish.
# --plot FILE.svg also draws the profile as stacked bars per camera with
# gnuplot (bench/profile.gp).
#
#   scripts/bench.sh [--csv FILE] [--pictures DIR] [--plot FILE.svg] [--overlay] [--cpu-clock]
#                    [WIDTH HEIGHT [FRAMES]]   (default 1280 720 20)
# --overlay also gives what the F1 overlay costs a whole frame. --cpu-clock
# times the passes on the process's CPU clock, for a machine busy with
# other work.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/common.sh"

# The benchmark runs in bin/ of the run-time tree: files named here are
# taken from where the script was started.
args=() sizes=() csv= plot=
while [ $# -gt 0 ]; do
  case "$1" in
    --csv | --pictures | --plot)
      [ $# -ge 2 ] || { echo "$1 needs a path" >&2; exit 2; }
      case "$1" in
        --csv) csv=$(realpath -m "$2") ;;
        --plot) plot=$(realpath -m "$2") ;;
        *) args+=("$1" "$(realpath -m "$2")") ;;
      esac
      shift 2 ;;
    --overlay | --cpu-clock) args+=("$1"); shift ;;
    *) args+=("$1"); sizes+=("$1"); shift ;;
  esac
done
# The screen holds the window whatever size is asked for.
screen_width=$(( ${sizes[0]:-1280} > 1280 ? ${sizes[0]:-1280} : 1280 ))
screen_height=$(( ${sizes[1]:-720} > 720 ? ${sizes[1]:-720} : 720 ))

"$root/scripts/deps.sh"
say "Configuring (Release) in build-bench/"
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release
say "Building"
cmake --build "$root/build-bench" -j "$(nproc)" --target thalvek thalvek_bench
start_xvfb "${screen_width}x${screen_height}x24"
work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
# The chart is drawn from the CSV, written to a scratch file when none is
# asked for.
[ -n "$plot" ] && [ -z "$csv" ] && csv="$work/profile.csv"
[ -n "$csv" ] && args=(--csv "$csv" "${args[@]}")
cd "$root/build-bench/bin"
export ALSOFT_DRIVERS=null
say "Profiling on $DISPLAY ($(nproc) cores; $(uptime | sed 's/.*load/load/'))"
"$root/build-bench/tools/thalvek-bench" "${args[@]}"
if [ -n "$plot" ]; then
  gnuplot -e "csv='$csv'; svg='$plot'" "$root/bench/profile.gp"
  say "Chart: $plot"
fi
