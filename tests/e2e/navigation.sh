# The real binary driven like a user: the loading title, Page Up through the
# cameras, the tour along camera 0's view, R after flying, F3, and Escape.
# Every step waits for the state it needs (the camera position or new frames
# in the title), so a slow, loaded machine only makes it slower. A small
# screen keeps the frames short: what is checked here does not depend on it.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 640x360x24
launch

# While the scene loads the title is "Thalvek".
seen_loading=0
for _ in $(seq 1 400); do
  t=$(title || true)
  if [ "$t" = "Thalvek" ]; then seen_loading=1; break; fi
  case "$t" in Thalvek,*) break ;; esac
  sleep 0.02
done
[ "$seen_loading" -eq 1 ] || fail "never saw the title \"Thalvek\" while loading"
wait_title "$FRAME_TITLE" 180

# wait_position TARGET: until the camera is at TARGET; fails after two minutes.
wait_position() {
  for _ in $(seq 1 1200); do
    [ "$(position)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "the camera never came to ($1), it is at ($(position))"
}

echo "step: cameras"
p0=$(position)
previous=$p0
for i in 1 2 3 4; do
  hold_key Prior
  next=$(wait_position_change "$previous")
  [ "$next" != "$previous" ] || fail "Page Up $i did not change the camera ($previous)"
  previous=$next
done
hold_key Prior
wait_position "$p0"

echo "step: tour"
# The tour starts with camera 0 dollying along its view direction.
hold_key Return
a=$(wait_position_change "$p0")
b=$(wait_position_change "$a")
[ "$a" != "$p0" ] && [ "$b" != "$a" ] || fail "the tour did not move camera 0 ($p0, $a, $b)"
awk -v p="$p0" -v a="$a" -v b="$b" 'BEGIN {
  split(p, P, ", "); split(a, A, ", "); split(b, B, ", ");
  for (i = 1; i <= 3; i++) { u[i] = A[i] - P[i]; v[i] = B[i] - P[i] }
  cx = u[2]*v[3] - u[3]*v[2]; cy = u[3]*v[1] - u[1]*v[3]; cz = u[1]*v[2] - u[2]*v[1];
  lu = sqrt(u[1]^2 + u[2]^2 + u[3]^2); lv = sqrt(v[1]^2 + v[2]^2 + v[3]^2);
  exit (sqrt(cx^2 + cy^2 + cz^2) <= 0.05 * lu * lv + 0.05) ? 0 : 1 }' ||
  fail "the tour's camera 0 left its line ($p0, $a, $b)"
# Enter again stops the tour and resets every camera; it stays put.
hold_key Return
wait_position "$p0"
wait_frames 2
[ "$(position)" = "$p0" ] || fail "the camera moved after the tour stopped ($(position))"

echo "step: flight"
# Fly forward; once W is up the camera stops at once, and R restores the pose.
# W stays down until a frame has flown with it: with the water's mirrored
# pass a frame can outlast a one-second press.
xdotool keydown w
moved=$(wait_position_change "$p0")
xdotool keyup w
[ "$moved" != "$p0" ] || fail "W did not move the camera"
wait_frames 1
stopped=$(position)
wait_frames 2
[ "$(position)" = "$stopped" ] || fail "the camera went on moving after W was released"
hold_key r
wait_position "$p0"

echo "step: wireframe"
# F3 switches to wireframe, which changes the picture.
"$RUNTIME/tools/thalvek-screenshot" "$WORK/before.png"
hold_key F3
wait_frames 2
"$RUNTIME/tools/thalvek-screenshot" "$WORK/after.png"
cmp -s "$WORK/before.png" "$WORK/after.png" && fail "F3 did not change the picture"

echo "step: escape"
hold_key Escape 1
wait_exit 60
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
echo "PASS"
