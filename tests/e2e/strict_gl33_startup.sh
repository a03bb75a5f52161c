# The real binary on a plain OpenGL 3.3 core driver, which CTest picks: Mesa
# held to 3.3 by its overrides, or softpipe, which is one. The context is a
# 3.3 one, every program of the start-up links, frames are drawn without an
# error from the driver, and Escape ends it cleanly. THALVEK_E2E_SCREEN sets
# the screen (and so the window) size; the limits are generous, as a frame
# of the whole scene takes softpipe 13 to 20 s of CPU time.
source "$(dirname "$0")/lib.sh" "$1"
[ -n "${MESA_EXTENSION_OVERRIDE:-}" ] || [ "${GALLIUM_DRIVER:-}" = softpipe ] ||
  fail "run me through CTest, which sets the driver"
start_xvfb "${THALVEK_E2E_SCREEN:-1280x720x24}"
launch
wait_title "$FRAME_TITLE" 600
first=$(head -n 1 "$WORK/out.txt")
[[ "$first" == "Using OpenGL 3.3 "* ]] || fail "the context is not a plain 3.3 one: '$first'"
# A few frames: the frame time in the title changes from frame to frame.
t0=$(title)
for _ in $(seq 1 6000); do
  [ "$(title)" != "$t0" ] && break
  sleep 0.1
done
[ "$(title)" != "$t0" ] || fail "no second frame"
xdotool key Escape
wait_exit 600
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
grep -q "Failed" "$WORK/out.txt" && fail "a start-up step failed"
# Debug builds print what the driver reports through KHR_debug.
grep -q "^GL error" "$WORK/err.txt" && fail "the driver reported an error"
echo "PASS"
