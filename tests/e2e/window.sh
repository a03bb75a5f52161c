# The demo in a window beside others: --window opens one of that size; F12
# saves what it shows as a PNG of the framebuffer's size; a resize keeps
# drawing, at the new size, with no GL error; F11 goes full screen and back
# to the same size and place, and two quick presses leave it as it was; a
# picture that cannot be written is named with its reason while the demo
# goes on; F12 pressed twice just before Escape still saves two pictures.
# No window manager: the window keeps exactly the size asked for.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 1280x720x24
shots="$WORK/shots"
mkdir -p "$shots"
launch_with --window 640x360 --screenshots "$shots"
wait_title "$FRAME_TITLE" 180
wid=$(window_id)

# geometry: "WIDTHxHEIGHT+X+Y" of the program's window.
geometry() {
  local WIDTH HEIGHT X Y WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  echo "${WIDTH}x${HEIGHT}+${X}+${Y}"
}
# wait_size WxH: until the window has that size; echoes its geometry.
wait_size() {
  local g
  for _ in $(seq 1 600); do
    g=$(geometry)
    case "$g" in "$1"+*) echo "$g"; return 0 ;; esac
    sleep 0.1
  done
  fail "the window never came to $1 (it is $(geometry))"
}
# screenshot N WxH: F12, then the Nth "Saved" line's file must be a PNG of
# that size with a picture in it.
screenshot() {
  local saved
  xdotool mousemove --window "$wid" 20 20
  hold_key F12
  for _ in $(seq 1 1200); do
    saved=$(grep -c '^Saved ' "$WORK/out.txt" || true)
    [ "$saved" -ge "$1" ] && break
    sleep 0.1
  done
  [ "$saved" -ge "$1" ] || fail "F12 saved no picture ($1)"
  png=$(grep '^Saved ' "$WORK/out.txt" | sed -n "${1}p" | cut -c7-)
  [[ "$png" == "$shots"/thalvek-[0-9]*-[0-9]*.png ]] || fail "unexpected file name: $png"
  size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$png")
  [ "$size" = "$2" ] || fail "$png is $size, not $2"
  # A flat-coloured picture of this size compresses to a few kilobytes.
  bytes=$(stat -c %s "$png")
  [ "$bytes" -gt 20000 ] || fail "$png looks blank ($bytes bytes)"
  # The sky covers whatever the scene leaves, so the clear colour (magenta)
  # shows only where the picture does not fill the window.
  magenta=$(ffmpeg -v error -i "$png" -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 -w3 |
              awk '$1 == 255 && $2 == 0 && $3 == 255 { n++ } END { print n + 0 }')
  [ "$magenta" -lt 100 ] || fail "$png shows the clear colour in $magenta pixels"
}

echo "step: window size"
wait_size 640x360 >/dev/null
echo "step: F12"
screenshot 1 640x360
# It is the window's picture, the right way up and in its own colours: the
# screen shows the same frame or a later one. Here a flipped or red-blue
# swapped picture scores 26-28 dB against the screen, the next frames 37.
"$RUNTIME/tools/thalvek-screenshot" "$WORK/screen.png"
IFS=x+ read -r _ _ x y <<<"$(geometry)"
psnr=$(ffmpeg -hide_banner -i "$png" -i "$WORK/screen.png" -lavfi "[1:v]crop=640:360:$x:$y[s];[0:v][s]psnr" \
         -f null - 2>&1 | sed -n 's/.*average:\([^ ]*\).*/\1/p' | tail -n 1)
[ "$psnr" = inf ] || awk -v p="$psnr" 'BEGIN { exit !(p >= 32) }' ||
  fail "the screenshot is not what the window shows (PSNR $psnr dB)"

echo "step: resize"
xdotool windowsize "$wid" 800 450
placed=$(wait_size 800x450)
wait_frames 2
screenshot 2 800x450

echo "step: F11"
xdotool mousemove --window "$wid" 20 20
# Both presses most likely within one frame: each is one switch.
xdotool key F11 F11
wait_frames 3
[ "$(geometry)" = "$placed" ] || fail "two presses of F11 left the window at $(geometry), not $placed"
hold_key F11
wait_size 1280x720 >/dev/null
wait_frames 1
hold_key F11
back=$(wait_size 800x450)
[ "$back" = "$placed" ] || fail "back from full screen at $back, not $placed"
wait_frames 1

echo "step: unwritable folder"
rm -rf "$shots"
xdotool mousemove --window "$wid" 20 20
hold_key F12
for _ in $(seq 1 1200); do
  grep -q "^Could not save $shots/thalvek-.*\.png: No such file or directory$" "$WORK/err.txt" && break
  sleep 0.1
done
grep -q "^Could not save $shots/thalvek-.*\.png: No such file or directory$" "$WORK/err.txt" ||
  fail "the failed screenshot was not reported"
wait_frames 2

grep -q '^GL ' "$WORK/err.txt" && fail "GL errors: $(grep '^GL ' "$WORK/err.txt" | head -n 3)"

echo "step: F12 twice and Escape, all at once"
mkdir -p "$shots"
saved=$(grep -c '^Saved ' "$WORK/out.txt" || true)
xdotool mousemove --window "$wid" 20 20
xdotool key F12 F12 Escape
wait_exit 60
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
[ "$(grep -c '^Saved ' "$WORK/out.txt")" -eq $((saved + 2)) ] && [ "$(ls "$shots" | wc -l)" -eq 2 ] ||
  fail "F12 twice just before Escape saved $(ls "$shots" | wc -l) pictures, not 2"
echo "PASS"
