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

p0=$(position)
hold_key Prior
p1=$(wait_position_change "$p0" 10)
[ "$p1" != "$p0" ] || fail "Page Up did not change the camera ($p0)"
for _ in 1 2 3 4; do hold_key Prior; sleep 0.3; done
sleep 1
[ "$(position)" = "$p0" ] || fail "five Page Ups did not come back to camera 0 ($(position) vs $p0)"

# The tour starts with camera 0 dollying along its view direction.
hold_key Return
a=$(wait_position_change "$p0" 10)
sleep 2
b=$(position)
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
sleep 1
[ "$(position)" = "$p0" ] || fail "stopping the tour did not reset camera 0 ($(position))"

# Fly forward, then R restores the pose. The last frame that saw W held
# can end after the key is up, so wait for the camera to settle first.
hold_key w 1
moved=$(position)
for _ in $(seq 1 20); do
  sleep 0.5
  now=$(position)
  [ "$now" = "$moved" ] && break
  moved=$now
done
[ "$moved" != "$p0" ] || fail "W did not move the camera"
hold_key r
sleep 1
[ "$(position)" = "$p0" ] || fail "R did not restore the pose ($(position) vs $p0)"

# F3 switches to wireframe, which changes the picture.
"$RUNTIME/tools/thalvek-screenshot" "$WORK/before.png"
hold_key F3
sleep 1.5
"$RUNTIME/tools/thalvek-screenshot" "$WORK/after.png"
cmp -s "$WORK/before.png" "$WORK/after.png" && fail "F3 did not change the picture"

hold_key Escape 1
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
echo "PASS"
