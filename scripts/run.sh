#!/usr/bin/env bash
# Builds Thalvek in Release and starts it. With a display it opens the
# full-screen window (Escape quits). Without one ($DISPLAY unset) it shows the
# demo on a virtual screen for about 20 seconds and saves screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/common.sh"

"$root/scripts/deps.sh"
say "Configuring (Release) in build/"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release \
      -DTHALVEK_BUILD_TESTS=OFF -DTHALVEK_BUILD_BENCH=OFF
say "Building"
cmake --build "$root/build" -j "$(nproc)"

if [ -n "${DISPLAY:-}" ]; then
  say "Starting Thalvek (Escape quits)"
  cd "$root/build/bin"
  exec ./thalvek
fi
say "No display: showing the demo on a virtual screen"
exec "$root/scripts/show-headless.sh" "$root/build" "$root/build/screenshots"
