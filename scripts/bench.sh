#!/usr/bin/env bash
# Builds Thalvek in Release with its benchmark and times whole frames of the
# generated scene on a private Xvfb screen (CPU clock after glFinish).
#
#   scripts/bench.sh [WIDTH HEIGHT [FRAMES]]     (default 1280 720 20)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/common.sh"

"$root/scripts/deps.sh"
say "Configuring (Release) in build-bench/"
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release
say "Building"
cmake --build "$root/build-bench" -j "$(nproc)" --target thalvek thalvek_bench
start_xvfb 1280x720x24
trap stop_xvfb EXIT
cd "$root/build-bench/bin"
export ALSOFT_DRIVERS=null
say "Timing frames on $DISPLAY ($(nproc) cores)"
"$root/build-bench/tools/thalvek-bench" "$@"
