# The real binary driven like a user: the loading title, Page Up through the
# cameras, the tour along camera 0's view, R after flying, F3, and Escape.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 1280x720x24
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

position() { title | sed -E 's/.*Position = \((.*)\)$/\1/'; }
wait_position_change() { # FROM SECONDS
  for _ in $(seq 1 $(( $2 * 10 ))); do
    p=$(position)
    [ "$p" != "$1" ] && { echo "$p"; return 0; }
    sleep 0.1
  done
  echo "$1"
}
# wait_position TARGET SECONDS: true once the title shows TARGET.
wait_position() {
  for _ in $(seq 1 $(( $2 * 10 ))); do
    [ "$(position)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# A frame can take longer than a key press at software rendering speeds, and
# two presses within one frame count once: each press waits for its camera.
p0=$(position)
hold_key Prior
p1=$(wait_position_change "$p0" 30)
[ "$p1" != "$p0" ] || fail "Page Up did not change the camera ($p0)"
p=$p1
for _ in 1 2 3 4; do
  hold_key Prior
  p=$(wait_position_change "$p" 30)
done
[ "$p" = "$p0" ] || fail "five Page Ups did not come back to camera 0 ($p vs $p0)"

# The tour starts with camera 0 dollying along its view direction.
hold_key Return
a=$(wait_position_change "$p0" 30)
b=$(wait_position_change "$a" 30)
[ "$a" != "$p0" ] && [ "$b" != "$a" ] || fail "the tour did not move camera 0 ($p0, $a, $b)"
awk -v p="$p0" -v a="$a" -v b="$b" 'BEGIN {
  split(p, P, ", "); split(a, A, ", "); split(b, B, ", ");
  for (i = 1; i <= 3; i++) { u[i] = A[i] - P[i]; v[i] = B[i] - P[i] }
  cx = u[2]*v[3] - u[3]*v[2]; cy = u[3]*v[1] - u[1]*v[3]; cz = u[1]*v[2] - u[2]*v[1];
  lu = sqrt(u[1]^2 + u[2]^2 + u[3]^2); lv = sqrt(v[1]^2 + v[2]^2 + v[3]^2);
  exit (sqrt(cx^2 + cy^2 + cz^2) <= 0.05 * lu * lv + 0.05) ? 0 : 1 }' ||
  fail "the tour's camera 0 left its line ($p0, $a, $b)"
# Enter again stops the tour and resets every camera.
hold_key Return
wait_position "$p0" 30 || fail "stopping the tour did not reset camera 0 ($(position))"

# Fly forward, then R restores the pose. The last frame that saw W held
# can end after the key is up, so wait for the camera to settle first.
# W stays down until a frame has flown with it.
xdotool keydown w
moved=$(wait_position_change "$p0" 30)
sleep 0.5
xdotool keyup w
for _ in $(seq 1 20); do
  sleep 0.5
  now=$(position)
  [ "$now" = "$moved" ] && break
  moved=$now
done
[ "$moved" != "$p0" ] || fail "W did not move the camera"
hold_key r
wait_position "$p0" 30 || fail "R did not restore the pose ($(position) vs $p0)"

# F3 switches to wireframe, which changes the picture.
"$RUNTIME/tools/thalvek-screenshot" "$WORK/before.png"
hold_key F3
for _ in $(seq 1 30); do
  sleep 1
  "$RUNTIME/tools/thalvek-screenshot" "$WORK/after.png"
  cmp -s "$WORK/before.png" "$WORK/after.png" || break
done
cmp -s "$WORK/before.png" "$WORK/after.png" && fail "F3 did not change the picture"

hold_key Escape 1
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
echo "PASS"
