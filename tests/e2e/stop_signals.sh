# The real binary closed by Ctrl-C (SIGINT), a polite kill (SIGTERM) or its
# terminal closing (SIGHUP): it ends as after Escape, with status 0 and the
# sound device closed, so the WAV file that OpenAL Soft's wave backend
# writes has a complete header, and a picture that F12 asked for just
# before is saved. A second signal that comes before the program has
# finished closing ends it at once.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 640x360x24

heard="$WORK/heard.wav"
printf '[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\nsample-type=int16\n[wave]\nfile=%s\n' "$heard" \
  >"$WORK/wave.conf"
export ALSOFT_CONF="$WORK/wave.conf" ALSOFT_DRIVERS=wave

# A job started in the background of a script has SIGINT ignored, and the
# program leaves an ignored signal ignored; a terminal's Ctrl-C finds the
# default action, and so does its closing unless the job was started with
# nohup.
launch_on_terminal() {
  rm -f "$heard"
  (cd "$RUNTIME/bin" && exec env --default-signal=INT,HUP ./thalvek --screenshots "$WORK") >"$WORK/out.txt" \
    2>"$WORK/err.txt" &
  PROGRAM_PID=$!
  wait_title "$FRAME_TITLE" 180
  # A second of sound written.
  for _ in $(seq 1 600); do
    [ -f "$heard" ] && [ "$(stat -c %s "$heard")" -gt $(( 44100 * 4 + 100 )) ] && return 0
    sleep 0.1
  done
  fail "no sound written to $heard"
}

u32() { od -An -t u4 -j "$2" -N 4 "$1" | tr -d ' '; } # FILE OFFSET, little-endian

# The sizes in the header match the file: the RIFF size and the data chunk's.
expect_complete_wav() {
  local size data
  size=$(stat -c %s "$heard")
  [ "$(head -c 4 "$heard")" = RIFF ] || fail "$heard is not a RIFF file"
  [ "$(u32 "$heard" 4)" -eq $(( size - 8 )) ] || fail "RIFF size $(u32 "$heard" 4), file $size bytes: $1"
  data=$(grep -obUaP 'data' "$heard" | head -n 1 | cut -d: -f1)
  [ -n "$data" ] || fail "no data chunk: $1"
  [ "$(u32 "$heard" $(( data + 4 )))" -eq $(( size - data - 8 )) ] ||
    fail "data size $(u32 "$heard" $(( data + 4 ))), $(( size - data - 8 )) bytes follow: $1"
}

for signal in TERM INT HUP; do
  launch_on_terminal
  # F12 just before the signal (the full-screen window has the keys).
  if [ "$signal" = TERM ]; then xdotool key F12; fi
  kill -s "$signal" "$PROGRAM_PID"
  wait_exit 60
  [ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after SIG$signal"
  expect_complete_wav "after SIG$signal"
  if [ "$signal" = TERM ]; then
    grep -q "^Saved $WORK/thalvek-[0-9-]*\.png\$" "$WORK/out.txt" || fail "F12 just before SIGTERM saved nothing"
  fi
  echo "SIG$signal: status 0, $(stat -c %s "$heard") bytes of WAV with a complete header"
done

# Both signals arrive together, before the program can act on the first.
launch_on_terminal
kill -s STOP "$PROGRAM_PID"
kill -s INT "$PROGRAM_PID"
kill -s TERM "$PROGRAM_PID"
kill -s CONT "$PROGRAM_PID"
wait_exit 30
case "$EXIT_STATUS" in
  130 | 143) echo "two signals: ended by the second (status $EXIT_STATUS)" ;;
  *) fail "exit status $EXIT_STATUS after two signals; the second should end the program at once" ;;
esac
echo "PASS"
