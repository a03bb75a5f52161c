# The real binary on a 1280x720 screen: the first line on standard output,
# the frame-rate title, and a held Escape that ends it with status 0.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 1280x720x24
launch
wait_title "$FRAME_TITLE" 180
first=$(head -n 1 "$WORK/out.txt")
[[ "$first" == "Using OpenGL "* ]] || fail "first line is '$first'"
# The whole title, newline included, as the window manager would get it.
full=$(xdotool search --name '^Thalvek, FPS' getwindowname | head -c 400)
[ "$(printf '%s' "$full" | wc -l)" -le 1 ] || fail "title has more than one line break"
hold_key Escape 1
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"
# Loading the generated scene prints nothing else.
[ "$(wc -l <"$WORK/out.txt")" -eq 1 ] || fail "unexpected output on standard output"
echo "PASS"
