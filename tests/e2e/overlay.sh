# The F1 overlay in the real binary: F1 covers the top left of the screen,
# a second F1 gives the picture back, and F10 changes the switches the
# overlay shows. Compares the screen's top-left corner, where the overlay
# lists the switches, between screenshots. After a key, three new titles:
# the frame that saw the key may have had its title already, and a frame
# writes its title before its picture reaches the screen.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 640x360x24
launch
wait_title "$FRAME_TITLE" 180


# corner NAME: a screenshot's top-left corner, where the overlay's switch
# rows are (the lights' rows below them change every frame), as raw RGB;
# no wider than the switches' panel, beside which the picture shows.
corner() {
  "$RUNTIME/tools/thalvek-screenshot" "$WORK/$1.png"
  ffmpeg -loglevel error -i "$WORK/$1.png" -vf "crop=200:128:8:8" -f rawvideo -pix_fmt rgb24 -y "$WORK/$1.rgb"
}
same() { cmp -s "$WORK/$1.rgb" "$WORK/$2.rgb"; }
# changed A B: how many colour values differ by more than 8 steps. The fire
# light's flicker moves the lit trees behind the corner by a step or so
# from frame to frame; the overlay changes them far more.
changed() {
  cmp -l "$WORK/$1.rgb" "$WORK/$2.rgb" | awk '
    function octal(s,  n, i) { n = 0; for (i = 1; i <= length(s); i++) n = n * 8 + substr(s, i, 1); return n }
    { d = octal($2) - octal($3); if (d < 0) d = -d; if (d > 8) n++ }
    END { print n + 0 }'
}

wait_frames 2
corner plain
wait_frames 1
corner plain-again
[ "$(changed plain plain-again)" -eq 0 ] || fail "the top left of the picture changes by itself; the test needs a still corner"

echo "step: F1 shows the overlay"
hold_key F1
wait_frames 3
corner shown
[ "$(changed plain shown)" -gt 10000 ] || fail "F1 did not change the top left of the screen"

echo "step: F1 again hides it"
hold_key F1
wait_frames 3
corner hidden
[ "$(changed plain hidden)" -eq 0 ] || fail "a second F1 did not restore the top left of the screen"

echo "step: F10 changes the switches shown"
hold_key F1
wait_frames 3
corner before
wait_frames 1
corner before-again
same before before-again || fail "the overlay's switch rows change without a key"
hold_key F10
wait_frames 3
corner after
same before after && fail "F10 did not change the switches the overlay shows"

echo "step: escape"
hold_key Escape 1
wait_exit 60
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
echo "PASS"
