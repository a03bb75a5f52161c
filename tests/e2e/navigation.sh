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
# wait_frames N: waits until the title (frame time included) has changed N
# times, i.e. about N frames have been drawn.
wait_frames() {
  local seen last now
  seen=0
  last=$(title)
  for _ in $(seq 1 600); do
    now=$(title)
    if [ "$now" != "$last" ]; then seen=$((seen + 1)); last=$now; fi
    [ "$seen" -ge "$1" ] && return 0
    sleep 0.1
  done
  fail "fewer than $1 frames in 60 s"
}
wait_position_is() { # TARGET SECONDS
  for _ in $(seq 1 $(( $2 * 10 ))); do
    [ "$(position)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

p0=$(position)
hold_key Prior
p1=$(wait_position_change "$p0" 10)
[ "$p1" != "$p0" ] || fail "Page Up did not change the camera ($p0)"
# Each press waits for its camera: at a frame a second, two quick presses
# can fall between the same two polls and count once.
previous=$p1
for _ in 1 2 3 4; do
  hold_key Prior
  previous=$(wait_position_change "$previous" 20)
done
wait_position_is "$p0" 20 || fail "five Page Ups did not come back to camera 0 ($(position) vs $p0)"

# The tour starts with camera 0 dollying along its view direction.
hold_key Return
a=$(wait_position_change "$p0" 10)
sleep 1
b=$(wait_position_change "$a" 20)
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
wait_position_is "$p0" 20 || fail "stopping the tour did not reset camera 0 ($(position))"

# Fly forward, then R restores the pose. W is held until a frame has seen
# it (a frame can take longer than a second), and R waits for two more
# frames, so that none of them still sees W held.
xdotool keydown w
moved=$(wait_position_change "$p0" 30)
xdotool keyup w
[ "$moved" != "$p0" ] || fail "W did not move the camera"
wait_frames 2
hold_key r
wait_position_is "$p0" 20 || fail "R did not restore the pose ($(position) vs $p0)"

# F3 switches to wireframe, which changes the picture.
"$RUNTIME/tools/thalvek-screenshot" "$WORK/before.png"
hold_key F3
changed=0
for _ in $(seq 1 20); do
  sleep 1
  "$RUNTIME/tools/thalvek-screenshot" "$WORK/after.png"
  cmp -s "$WORK/before.png" "$WORK/after.png" || { changed=1; break; }
done
[ "$changed" -eq 1 ] || fail "F3 did not change the picture"

hold_key Escape 1
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
echo "PASS"
