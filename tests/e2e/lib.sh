# Helpers for end-to-end tests that drive the real binary on a private Xvfb
# screen with xdotool. Each test script gets the run-time tree as $1.
set -euo pipefail
source "$THALVEK_SOURCE_DIR/scripts/lib/common.sh"

RUNTIME=$(cd "$1" && pwd)
XVFB_PID= # only a server this script starts is this script's to stop
WORK=$(mktemp -d)
PROGRAM_PID=

fail() {
  echo "FAIL: $*" >&2
  if [ -f "$WORK/out.txt" ]; then echo "--- stdout:" >&2; cat "$WORK/out.txt" >&2; fi
  if [ -f "$WORK/err.txt" ]; then echo "--- stderr:" >&2; tail -n 20 "$WORK/err.txt" >&2; fi
  exit 1
}

e2e_cleanup() {
  [ -n "$PROGRAM_PID" ] && kill -9 "$PROGRAM_PID" 2>/dev/null || true
  stop_xvfb
  rm -rf "$WORK"
}
trap e2e_cleanup EXIT

# launch [BIN_DIR]: starts thalvek with its bin/ as working directory.
launch() {
  local bin=${1:-$RUNTIME/bin}
  (cd "$bin" && exec ./thalvek) >"$WORK/out.txt" 2>"$WORK/err.txt" &
  PROGRAM_PID=$!
}

# launch_with ARG...: starts thalvek from the run-time tree's bin/ with
# these arguments.
launch_with() {
  (cd "$RUNTIME/bin" && exec ./thalvek "$@") >"$WORK/out.txt" 2>"$WORK/err.txt" &
  PROGRAM_PID=$!
}

# wait_exit SECONDS: waits for the program; sets EXIT_STATUS. Fails on timeout.
wait_exit() {
  local limit=$(( ${1:-30} * 5 ))
  for _ in $(seq 1 "$limit"); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || break
    sleep 0.2
  done
  kill -0 "$PROGRAM_PID" 2>/dev/null && fail "the program did not end within ${1:-30} s"
  EXIT_STATUS=0
  wait "$PROGRAM_PID" || EXIT_STATUS=$?
  PROGRAM_PID=
}

# title: the first line of the program window's title.
title() {
  xdotool search --name '^(Thalvek|Hello)' getwindowname 2>/dev/null | head -n 1
}

# window_id: the program window's X id.
window_id() {
  xdotool search --name '^(Thalvek|Hello)' 2>/dev/null | head -n 1
}

# position: the camera's position as the title shows it ("x, y, z").
position() { title | sed -E 's/.*Position = \((.*)\)$/\1/'; }

# wait_position_change FROM: the first position other than FROM, or FROM
# after two minutes (the caller says what not moving means).
wait_position_change() {
  for _ in $(seq 1 1200); do
    p=$(position)
    [ "$p" != "$1" ] && { echo "$p"; return 0; }
    sleep 0.1
  done
  echo "$1"
}

# wait_title REGEX SECONDS: waits until the title matches (extended regex).
wait_title() {
  local limit=$(( ${2:-120} * 5 ))
  for _ in $(seq 1 "$limit"); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended while waiting for a title like $1"
    if title | grep -Eq "$1"; then return 0; fi
    sleep 0.2
  done
  fail "no title like $1 within ${2:-120} s (last: $(title))"
}

# wait_frames N: until the title has been rewritten N times (new frames),
# up to two minutes; fails at once if the program ends.
wait_frames() {
  local seen=0 last now
  last=$(title)
  for _ in $(seq 1 2400); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended while waiting for frames"
    now=$(title)
    if [ "$now" != "$last" ]; then
      seen=$((seen + 1)); last=$now
      [ "$seen" -ge "$1" ] && return 0
    fi
    sleep 0.05
  done
  fail "fewer than $1 frames in two minutes"
}

FRAME_TITLE='^Thalvek, FPS: [0-9]+, Frametime: [0-9]+\.[0-9]{2} ms, Position = \((-?[0-9]+\.[0-9]{2}), (-?[0-9]+\.[0-9]{2}), (-?[0-9]+\.[0-9]{2})\)$'
