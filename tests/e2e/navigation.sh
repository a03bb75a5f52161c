# The real binary driven like a user: the loading title, Page Up through the
# cameras, the tour along camera 0's view, R after flying, F3, and Escape.
source "$(dirname "$0")/lib.sh" "$1"
# Without auto-repeat a key held down is one press however long it is held,
# so each switch key is held until the program shows its effect: at software
# rendering speed a frame can outlast any fixed press, and a press released
# before the next frame polls, or overtaken by a repeat (which records no new
# press), goes unseen.
start_xvfb 1280x720x24 -r
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
position_is() { [ "$(position)" = "$1" ]; }
position_is_not() { [ "$(position)" != "$1" ]; }
# until_seen SECONDS CHECK...: polls the check until it holds.
until_seen() {
  local seconds=$1; shift
  for _ in $(seq 1 $(( seconds * 10 ))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
# press KEY CHECK...: holds a switch key until the check holds.
press() {
  local key=$1 seen=0; shift
  xdotool keydown "$key"
  until_seen 30 "$@" && seen=1
  xdotool keyup "$key"
  [ "$seen" -eq 1 ]
}

p0=$(position)
for i in 1 2 3 4 5; do
  before=$(position)
  press Prior position_is_not "$before" || fail "Page Up $i did not change the camera ($before)"
done
[ "$(position)" = "$p0" ] || fail "five Page Ups did not come back to camera 0 ($(position) vs $p0)"

# The tour starts with camera 0 dollying along its view direction; Enter
# again stops it and resets every camera.
press Return position_is_not "$p0" || fail "Enter did not start the tour ($p0)"
tour=$(position)
press Return position_is "$p0" || fail "stopping the tour did not reset camera 0 ($(position))"

# Fly forward (a held key, read every frame) until the camera moves: along
# the view direction, the line the tour took. Then R restores the pose. The
# last frame that saw W held can end after the key is up, so wait for the
# camera to settle first.
xdotool keydown w
until_seen 30 position_is_not "$p0" || { xdotool keyup w; fail "W did not move the camera"; }
xdotool keyup w
moved=$(position)
for _ in $(seq 1 20); do
  sleep 0.5
  now=$(position)
  [ "$now" = "$moved" ] && break
  moved=$now
done
awk -v p="$p0" -v a="$tour" -v b="$moved" 'BEGIN {
  split(p, P, ", "); split(a, A, ", "); split(b, B, ", ");
  for (i = 1; i <= 3; i++) { u[i] = A[i] - P[i]; v[i] = B[i] - P[i] }
  cx = u[2]*v[3] - u[3]*v[2]; cy = u[3]*v[1] - u[1]*v[3]; cz = u[1]*v[2] - u[2]*v[1];
  lu = sqrt(u[1]^2 + u[2]^2 + u[3]^2); lv = sqrt(v[1]^2 + v[2]^2 + v[3]^2);
  exit (sqrt(cx^2 + cy^2 + cz^2) <= 0.05 * lu * lv + 0.05) ? 0 : 1 }' ||
  fail "the tour's camera 0 left its view line ($p0, $tour, $moved)"
press r position_is "$p0" || fail "R did not restore the pose ($(position) vs $p0)"

# F3 switches to wireframe, which changes the picture.
"$RUNTIME/tools/thalvek-screenshot" "$WORK/before.png"
picture_changed() {
  "$RUNTIME/tools/thalvek-screenshot" "$WORK/after.png" && ! cmp -s "$WORK/before.png" "$WORK/after.png"
}
press F3 picture_changed || fail "F3 did not change the picture"

hold_key Escape 1
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
echo "PASS"
