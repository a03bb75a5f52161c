# The real binary heard through OpenAL Soft's wave backend: the campfire's
# crackling plays from the start, and the camera at the fire hears it louder
# than from the far end of the clearing, where the demo starts. The music is
# replaced by a file that fails to load, so the crackling is all there is.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 640x360x24

tree="$WORK/tree"
mkdir -p "$tree/bin" "$tree/SFX"
cp "$RUNTIME/bin/thalvek" "$tree/bin/"
for d in Shader Data Textures; do ln -s "$RUNTIME/$d" "$tree/$d"; done
ln -s "$RUNTIME/SFX/crackling.ogg" "$tree/SFX/"
printf "no music %.0s" $(seq 1 300) >"$tree/SFX/music.ogg"

heard="$WORK/heard.wav"
printf '[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\nsample-type=int16\n[wave]\nfile=%s\n' "$heard" \
  >"$WORK/wave.conf"
export ALSOFT_CONF="$WORK/wave.conf" ALSOFT_DRIVERS=wave

# The fire, as the scene assembly places it, and how far the camera is from it.
fire="-0.2681 3.1945 31.7771"
distance_to_fire() {
  echo "$1 $fire" | tr -d ',' | awk '{ printf "%.1f", sqrt(($1-$4)^2 + ($2-$5)^2 + ($3-$6)^2) }'
}

launch "$tree/bin"
wait_title "$FRAME_TITLE" 180
far=$(position)
awk -v d="$(distance_to_fire "$far")" 'BEGIN { exit !(d > 20) }' || fail "the demo should start far from the fire ($far)"
echo "far: $far, $(distance_to_fire "$far") from the fire"
# Listen from there (what is recorded is real time).
sleep 5

# Page Up until the selected camera is the one that orbits the fire.
here=$far
for _ in 1 2 3 4 5; do
  hold_key Prior
  here=$(wait_position_change "$here")
  awk -v d="$(distance_to_fire "$here")" 'BEGIN { exit !(d < 7) }' && break
done
awk -v d="$(distance_to_fire "$here")" 'BEGIN { exit !(d < 7) }' || fail "no camera near the fire (last at $here)"
echo "near: $here, $(distance_to_fire "$here") from the fire"
sleep 5

hold_key Escape 1
wait_exit 60
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS"
grep -qx "Failed to read Vorbis file '../SFX/music.ogg'" "$WORK/out.txt" || fail "the music should have been left out"
[ -s "$heard" ] || fail "nothing was recorded"

# RMS of 16-bit stereo samples at 44.1 kHz: SECONDS seconds from START
# seconds into the recording (a negative START counts from its end).
data=$(( $(grep -obUaP 'data' "$heard" | head -n 1 | cut -d: -f1) + 8 ))
bytes=$(( $(stat -c %s "$heard") - data ))
rms() { # START SECONDS
  local start
  start=$(awk -v s="$1" -v total="$bytes" 'BEGIN { o = int(s * 44100) * 4; if (s < 0) o += total; print o }')
  od -An -v -t d2 -j $(( data + start )) -N $(( $2 * 44100 * 4 )) "$heard" |
    awk '{ for (i = 1; i <= NF; i++) { sum += $i * $i; n++ } } END { printf "%.1f", n ? sqrt(sum / n) : 0 }'
}
seconds=$(( bytes / (44100 * 4) ))
[ "$seconds" -ge 10 ] || fail "only $seconds s recorded"
quiet=$(rms 0.5 3)
loud=$(rms -3.5 3)
echo "crackling RMS far $quiet, near $loud"
awk -v q="$quiet" 'BEGIN { exit !(q > 0) }' || fail "nothing heard from the far end: the crackling did not play"
awk -v q="$quiet" -v l="$loud" 'BEGIN { exit !(l > 2 * q) }' || fail "not louder at the fire (far $quiet, near $loud)"
echo "PASS"
