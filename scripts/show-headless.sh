#!/usr/bin/env bash
# Shows the demo without a display: runs bin/thalvek of a built run-time tree
# on a private 1280x720 Xvfb screen, starts the camera tour with Enter, saves
# PNG screenshots at fixed moments of the tour, and ends the program by
# holding Escape.
#
#   scripts/show-headless.sh RUNTIME_DIR [OUTPUT_DIR]
#
# THALVEK_SHOW_MOMENTS: seconds into the tour at which to take screenshots
# (default "2 13 19": the opening dolly, the still across the pool, the orbit
# around the fire).
# THALVEK_SHOW_KEYS: keys to press once the first frame is up, before the
# tour starts (for example "F1" for the overlay; default none).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/common.sh"

runtime=$(cd "${1:?usage: show-headless.sh RUNTIME_DIR [OUTPUT_DIR]}" && pwd)
out=${2:-$runtime/screenshots}
moments=${THALVEK_SHOW_MOMENTS:-2 13 19}
mkdir -p "$out"
rm -f "$out"/shot-*.png

start_xvfb 1280x720x24
program=
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT

say "Starting Thalvek on the virtual screen $DISPLAY"
cd "$runtime/bin"
./thalvek &
program=$!

# The first frame rewrites the title from "Thalvek" to the frame-rate title.
for _ in $(seq 1 600); do
  if ! kill -0 "$program" 2>/dev/null; then
    wait "$program" && status=0 || status=$?
    program=
    echo "Thalvek ended before its first frame (status $status)" >&2
    exit 1
  fi
  if xdotool search --name '^Thalvek, FPS' >/dev/null 2>&1; then break; fi
  sleep 0.2
done

for key in ${THALVEK_SHOW_KEYS:-}; do
  say "Pressing $key"
  hold_key "$key"
done
say "Starting the camera tour"
hold_key Return
start=$(date +%s.%N)
for moment in $moments; do
  now=$(date +%s.%N)
  wait_for=$(awk -v s="$start" -v m="$moment" -v n="$now" 'BEGIN { d = s + m - n; print (d > 0 ? d : 0) }')
  sleep "$wait_for"
  shot=$(printf '%s/shot-%05.1fs.png' "$out" "$moment")
  "$runtime/tools/thalvek-screenshot" "$shot"
  title=$(xdotool search --name '^Thalvek' getwindowname 2>/dev/null | head -n 1 || true)
  say "Saved $shot  [$title]"
done

say "Holding Escape"
hold_key Escape 1
status=0
for _ in $(seq 1 150); do
  kill -0 "$program" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$program" 2>/dev/null; then
  echo "Thalvek did not end after Escape" >&2
  exit 1
fi
wait "$program" || status=$?
program=
say "Thalvek ended with status $status"
say "Screenshots are in $out"
exit "$status"
