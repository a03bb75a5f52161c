# The shell's fatal start-up paths: their message, exit status 255 (-1), and
# no wait for a key when standard input is not a terminal.
source "$(dirname "$0")/lib.sh" "$1"

# No X display at all: GLFW cannot initialise.
(cd "$RUNTIME/bin" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 30 ./thalvek </dev/null) \
  >"$WORK/out.txt" 2>"$WORK/err.txt" && status=0 || status=$?
[ "$status" -eq 255 ] || fail "no display: status $status"
[ "$(cat "$WORK/out.txt")" = "GLFW failed" ] || fail "no display: stdout '$(cat "$WORK/out.txt")'"

# An 8-bit screen offers no OpenGL visual: the window cannot be made.
start_xvfb 640x480x8
(cd "$RUNTIME/bin" && timeout 30 ./thalvek </dev/null) \
  >"$WORK/out.txt" 2>"$WORK/err.txt" && status=0 || status=$?
[ "$status" -eq 255 ] || fail "8-bit screen: status $status"
[ "$(cat "$WORK/out.txt")" = "No window ..." ] || fail "8-bit screen: stdout '$(cat "$WORK/out.txt")'"
echo "PASS"
