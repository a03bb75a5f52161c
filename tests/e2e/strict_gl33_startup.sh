# The real binary on a plain OpenGL 3.3 core driver (Mesa's version and
# extension overrides, set by CTest): every program of the start-up links,
# frames are drawn, and Escape ends it cleanly.
source "$(dirname "$0")/lib.sh" "$1"
[ -n "${MESA_EXTENSION_OVERRIDE:-}" ] || fail "run me through CTest, which sets the driver overrides"
start_xvfb 1280x720x24
launch
wait_title "$FRAME_TITLE" 180
first=$(head -n 1 "$WORK/out.txt")
[[ "$first" == "Using OpenGL 3.3 "* ]] || fail "the context is not a plain 3.3 one: '$first'"
# A few frames: the frame time in the title changes from frame to frame.
t0=$(title)
for _ in $(seq 1 600); do
  [ "$(title)" != "$t0" ] && break
  sleep 0.1
done
[ "$(title)" != "$t0" ] || fail "no second frame"
hold_key Escape 1
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
grep -q "Failed" "$WORK/out.txt" && fail "a start-up step failed"
echo "PASS"
