# Minimised, the demo draws nothing and waits for events: it stops rewriting
# its title, uses under 10 % of one core, and when it comes back the tour
# goes on from where it stopped, its first frame with an ordinary frame time
# rather than the time spent hidden. Iconifying needs a window manager.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 640x360x24
WM_PID=
trap '[ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null; e2e_cleanup' EXIT
matchbox-window-manager -use_titlebar no >/dev/null 2>&1 &
WM_PID=$!
# GLFW asks at start-up what the window manager supports: wait until it has
# announced itself.
for _ in $(seq 1 200); do xdotool get_desktop >/dev/null 2>&1 && break; sleep 0.1; done
xdotool get_desktop >/dev/null 2>&1 || fail "the window manager did not start"
# In a window: GLFW iconifies a full-screen window whenever it loses the
# focus, which this window manager may take from it while the scene loads.
launch_with --window 640x360
wait_title "$FRAME_TITLE" 180
wid=$(window_id)

now() { date +%s.%N; }
# cpu_ticks: user and system time of the whole process, all its threads.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$PROGRAM_PID/stat"; }
visible() { xdotool search --onlyvisible --name '^(Thalvek|Hello)' >/dev/null 2>&1; }

echo "step: tour"
p0=$(position)
started=$(now)
hold_key Return
p=$p0
for _ in 1 2 3; do
  next=$(wait_position_change "$p")
  [ "$next" != "$p" ] || fail "the tour did not move the camera ($p)"
  p=$next
done

echo "step: minimise"
xdotool windowminimize "$wid"
for _ in $(seq 1 600); do visible || break; sleep 0.1; done
visible && fail "the window was not minimised"
before_hiding=$(awk -v a="$started" -v b="$(now)" 'BEGIN { print b - a }')
# Drawing stops: the title stays the same for two seconds on end.
last=$(title)
quiet_since=$(now)
for _ in $(seq 1 600); do
  current=$(title)
  if [ "$current" != "$last" ]; then last=$current; quiet_since=$(now); fi
  awk -v a="$quiet_since" -v b="$(now)" 'BEGIN { exit !(b - a >= 2) }' && break
  sleep 0.1
done
awk -v a="$quiet_since" -v b="$(now)" 'BEGIN { exit !(b - a >= 2) }' || fail "it went on drawing while minimised"
hidden_at=$(position)
hid_since=$(now)

echo "step: cpu"
hz=$(getconf CLK_TCK)
t0=$(now); c0=$(cpu_ticks)
sleep 4 # the span the usage is measured over
t1=$(now); c1=$(cpu_ticks)
share=$(awk -v c="$((c1 - c0))" -v hz="$hz" -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", 100 * c / hz / (b - a) }')
echo "cpu while minimised: $share % of one core"
awk -v s="$share" 'BEGIN { exit !(s < 10) }' || fail "minimised, it used $share % of one core"
# Hidden for at least twice as long as the tour ran before: had the hidden
# time counted, the camera would jump further than it went before.
while awk -v a="$hid_since" -v b="$(now)" -v t="$before_hiding" 'BEGIN { exit !(b - a < 2 * t || b - a < 6) }'; do
  sleep 0.2
done
hidden_ms=$(awk -v a="$hid_since" -v b="$(now)" 'BEGIN { printf "%d", 1000 * (b - a) }')

echo "step: restore"
xdotool windowactivate "$wid" 2>/dev/null || xdotool windowmap "$wid"
# The first title that shows a new position, read once for both figures.
back_title=
for _ in $(seq 1 1200); do
  back_title=$(title)
  [ "$(sed -E 's/.*Position = \((.*)\)$/\1/' <<<"$back_title")" != "$hidden_at" ] && break
  sleep 0.05
done
after=$(sed -E 's/.*Position = \((.*)\)$/\1/' <<<"$back_title")
[ "$after" != "$hidden_at" ] || fail "the tour did not go on after the window came back"
ms=$(sed -E 's/.*Frametime: ([0-9.]+) ms.*/\1/' <<<"$back_title")
awk -v ms="$ms" -v h="$hidden_ms" 'BEGIN { exit !(ms < h / 2) }' ||
  fail "the first frame back took $ms ms after $hidden_ms ms hidden"
awk -v p="$p0" -v h="$hidden_at" -v a="$after" 'BEGIN {
  split(p, P, ", "); split(h, H, ", "); split(a, A, ", ");
  for (i = 1; i <= 3; i++) { went += (H[i] - P[i])^2; jump += (A[i] - H[i])^2 }
  exit !(jump < went) }' || fail "the camera jumped from ($hidden_at) to ($after); before hiding it went from ($p0)"

hold_key Escape 1
wait_exit 60
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
echo "PASS"
