# Shared by the scripts: progress lines, root/sudo, and a private X server.

say() { printf '\033[1m==> %s\033[0m\n' "$*"; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# start_xvfb WIDTHxHEIGHTxDEPTH [XVFB_OPTION...]: starts Xvfb on a display number the server
# picks itself (no race with other servers), exports DISPLAY and keeps the
# server's pid in XVFB_PID. The pid is not exported: a child script that
# cleans up its own server must never stop its parent's. -noreset: without
# it the server resets whenever its last client disconnects, and a client
# that connects during the reset (parallel tests do) fails to open the
# display. The server gets a session of its own: a Ctrl-C on the terminal
# goes to the whole foreground process group, and X servers end on SIGINT,
# which would take the screen away from a client that handles Ctrl-C itself
# (the recorder finishes its file).
start_xvfb() {
  local screen=${1:-1280x720x24} fifo
  shift || true
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  setsid Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset "$@" 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local number
  read -r -t 20 number <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$number"
  # Wait until the server answers; a client that comes too early fails.
  for _ in $(seq 1 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb on $DISPLAY does not answer" >&2
  return 1
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}

# hold_key KEY [SECONDS]: a press long enough to be seen at software
# rendering frame rates.
hold_key() {
  xdotool keydown "$1"
  sleep "${2:-0.6}"
  xdotool keyup "$1"
}

# configure_release ROOT: installs what is missing and configures the
# Release run-time tree in ROOT/build/ (the demo and its tools, no tests or
# benchmarks), the one tree scripts/run.sh and scripts/record.sh share.
configure_release() {
  "$1/scripts/deps.sh"
  say "Configuring (Release) in build/"
  cmake -S "$1" -B "$1/build" -DCMAKE_BUILD_TYPE=Release \
        -DTHALVEK_BUILD_TESTS=OFF -DTHALVEK_BUILD_BENCH=OFF >/dev/null
}
