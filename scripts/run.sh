#!/usr/bin/env bash
# Builds Thalvek in Release and starts it. With a display it opens the
# full-screen window (Escape quits); the arguments go to the program
# (scripts/run.sh --window 1280x720). Without one ($DISPLAY unset) it shows
# the demo on a virtual screen for about 20 seconds and saves screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/common.sh"

configure_release "$root"
say "Building"
cmake --build "$root/build" -j "$(nproc)"

if [ -n "${DISPLAY:-}" ]; then
  say "Starting Thalvek (Escape quits)"
  cd "$root/build/bin"
  exec ./thalvek "$@"
fi
say "No display: showing the demo on a virtual screen"
exec "$root/scripts/show-headless.sh" "$root/build" "$root/build/screenshots"
