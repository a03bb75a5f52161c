# The real binary where sound cannot be had. With no usable output driver it
# says once that it is silent (though every frame moves the listener), runs,
# takes M, and ends with status 0 on Escape. With a music file that is not
# Ogg Vorbis it names the file and runs on.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 1280x720x24

export ALSOFT_DRIVERS=bogus
launch
export ALSOFT_DRIVERS=null
wait_title "$FRAME_TITLE" 180
hold_key m
wait_title "$FRAME_TITLE" 30
hold_key Escape 1
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS without a sound device"
[ "$(grep -cx 'Failed to open AL device' "$WORK/out.txt")" -eq 1 ] || fail "no single 'Failed to open AL device' line"
[ "$(grep -cx 'Sound is off: the demo runs silently.' "$WORK/out.txt")" -eq 1 ] || fail "no single line saying the demo is silent"

tree="$WORK/tree"
mkdir -p "$tree/bin" "$tree/SFX"
cp "$RUNTIME/bin/thalvek" "$tree/bin/"
for d in Shader Data Textures; do ln -s "$RUNTIME/$d" "$tree/$d"; done
for f in "$RUNTIME"/SFX/*; do ln -s "$f" "$tree/SFX/"; done
rm "$tree/SFX/music.ogg"
printf "not a sound %.0s" $(seq 1 300) >"$tree/SFX/music.ogg"
launch "$tree/bin"
wait_title "$FRAME_TITLE" 180
hold_key Escape 1
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS with a corrupt music file"
grep -qx "Failed to read Vorbis file '../SFX/music.ogg'" "$WORK/out.txt" || fail "the corrupt music file is not named"
grep -q 'AL device' "$WORK/out.txt" && fail "the device should have opened"
echo "PASS"
