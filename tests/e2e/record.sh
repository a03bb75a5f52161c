# The recorder end to end, checked with ffprobe and ffmpeg: bad options and a
# missing ffmpeg refused in one line before anything renders; one second
# recorded with the right streams, frames, rate and sound length, and not
# silent; the same frames from a second recording with the same options,
# and from one that starts later;
# and the fire's crackling louder beside it than across the clearing.
# (Stop signals and a dying ffmpeg: record_signals.sh.)
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 640x360x24
RECORD="$RUNTIME/tools/thalvek-record"

# refused PATTERN ARGS...: the recorder ends with an error line that says
# PATTERN, having written nothing and rendered nothing. RECORD_PATH, when
# set, is the recorder's PATH.
refused() {
  local pattern=$1 status=0
  shift
  env PATH="${RECORD_PATH:-$PATH}" "$RECORD" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt" || status=$?
  [ "$status" -ne 0 ] || fail "accepted: $*"
  [ "$(wc -l <"$WORK/err.txt")" -eq 1 ] || fail "not one error line for: $*"
  grep -qF -- "$pattern" "$WORK/err.txt" || fail "the error for '$*' does not say '$pattern'"
  grep -q '^Recording' "$WORK/out.txt" && fail "it started recording: $*"
  [ ! -e "$WORK/refused.mp4" ] || fail "it left a file: $*"
}
refused "--size 0x180" --size 0x180 --output "$WORK/refused.mp4"
refused "--size 40000x180: the H.264 encoder takes at most 16384" --size 40000x180 --output "$WORK/refused.mp4"
refused "cannot write '$WORK/missing/out.mp4'" --output "$WORK/missing/out.mp4"
mkdir "$WORK/no-ffmpeg"
RECORD_PATH="$WORK/no-ffmpeg" refused "ffmpeg is not on PATH" --output "$WORK/refused.mp4"

# stream FILE SELECTOR FIELD: one field of one stream, as ffprobe reads it.
stream() {
  ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of default=noprint_wrappers=1:nokey=1 "$1"
}
# near A B LIMIT: |A - B| < LIMIT.
near() { awk -v a="$1" -v b="$2" -v l="$3" 'BEGIN { d = a - b; exit !((d < 0 ? -d : d) < l) }'; }

"$RECORD" --size 320x180 --length 1 --output "$WORK/one.mp4" >"$WORK/out.txt" 2>"$WORK/err.txt" ||
  fail "a one-second recording failed"
[ "$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$WORK/one.mp4" | sort | tr '\n' ' ')" = "audio video " ] ||
  fail "not one video and one audio stream"
[ "$(stream "$WORK/one.mp4" v:0 codec_name)" = h264 ] || fail "the video is not H.264"
[ "$(stream "$WORK/one.mp4" v:0 width)x$(stream "$WORK/one.mp4" v:0 height)" = 320x180 ] || fail "the video is not 320x180"
[ "$(stream "$WORK/one.mp4" v:0 nb_frames)" = 30 ] || fail "not 30 frames"
[ "$(stream "$WORK/one.mp4" v:0 r_frame_rate)" = 30/1 ] || fail "not 30 frames per second"
[ "$(stream "$WORK/one.mp4" a:0 codec_name)" = aac ] || fail "the sound is not AAC"
sound=$(stream "$WORK/one.mp4" a:0 duration)
near "$sound" 1.0 "$(awk 'BEGIN { print 1 / 30 }')" || fail "the sound lasts $sound s, not 1 s within a frame"
mean=$(ffmpeg -hide_banner -nostats -i "$WORK/one.mp4" -af volumedetect -f null - 2>&1 |
       sed -n 's/.*mean_volume: \(-\{0,1\}[0-9.]*\) dB.*/\1/p')
awk -v m="$mean" 'BEGIN { exit !(m > -50) }' || fail "the sound is silent (mean volume ${mean:-?} dB)"

# The particles draw on the program's unseeded rand() and every step is the
# same, so a second recording must decode to the same frames. A recording
# that starts later steps through the frames before it unrendered, and must
# still show what a recording from the start shows at that frame. Lossless,
# so that no encoder decision (a frame coded alone or from another) can make
# equal pictures differ.
record_lossless() {
  "$RECORD" --lossless --size 160x90 "$@" >"$WORK/out.txt" 2>"$WORK/err.txt" || fail "recording $* failed"
}
record_lossless --length 1 --output "$WORK/whole.mp4"
record_lossless --length 1 --output "$WORK/again.mp4"
record_lossless --start 0.5 --length 0.5 --output "$WORK/late.mp4"
# frames FILE [FIRST]: one checksum per decoded video frame, from frame FIRST.
frames() { ffmpeg -v error -i "$1" -map 0:v -vf "select=gte(n\,${2:-0})" -f framemd5 - | grep -v '^#' | cut -d, -f6; }
[ "$(frames "$WORK/whole.mp4" | wc -l)" -eq 30 ] || fail "framemd5 did not list 30 frames"
[ "$(frames "$WORK/whole.mp4" | sort -u | wc -l)" -gt 1 ] || fail "the frames do not change"
[ "$(frames "$WORK/whole.mp4")" = "$(frames "$WORK/again.mp4")" ] || fail "two recordings differ"
[ "$(frames "$WORK/whole.mp4" 15)" = "$(frames "$WORK/late.mp4")" ] ||
  fail "from --start 0.5 the frames differ from the same frames of a recording from the start"

# The crackling is placed at the fire; the music sits on the listener and is
# as loud everywhere, but little of it lies above 4 kHz, where the cracks and
# the hiss of the fire are (a steep high-pass keeps the music's lower notes
# out). In that band the camera beside the fire (2) hears clearly more than
# the one across the clearing (1), over the same second.
"$RECORD" --size 160x90 --length 1 --camera 2 --output "$WORK/fire.mp4" >"$WORK/out.txt" 2>"$WORK/err.txt" ||
  fail "recording at the fire failed"
"$RECORD" --size 160x90 --length 1 --camera 1 --output "$WORK/far.mp4" >"$WORK/out.txt" 2>"$WORK/err.txt" ||
  fail "recording across the clearing failed"
treble() {
  ffmpeg -hide_banner -nostats -i "$1" -af highpass=f=4000,highpass=f=4000,volumedetect -f null - 2>&1 |
    sed -n 's/.*mean_volume: \(-\{0,1\}[0-9.]*\) dB.*/\1/p'
}
at_fire=$(treble "$WORK/fire.mp4") far=$(treble "$WORK/far.mp4")
awk -v a="$at_fire" -v b="$far" 'BEGIN { exit !(a != "" && b != "" && a > b + 6) }' ||
  fail "above 4 kHz the fire is ${at_fire:-?} dB from beside it and ${far:-?} dB from across the clearing"

echo "PASS"
