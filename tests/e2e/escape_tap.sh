# A tap of Escape much shorter than a frame still ends the program.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 1280x720x24
launch
wait_title "$FRAME_TITLE" 180
xdotool key Escape
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after a tap of Escape"
echo "PASS"
