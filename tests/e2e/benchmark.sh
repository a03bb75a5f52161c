# --benchmark: the tour played for --benchmark-length seconds, in real time,
# then the summary and exit 0. The CSV's frame times add up to the length
# within the last frame, each row's tour time is the sum of the frame times
# before it, and the summary's average is rows / seconds. Escape ends a run
# early with status 1, keeping the rows so far; until then an earlier file
# of that name stays whole; no other key does anything (Enter would stop
# the tour). A CSV that cannot be written is refused before any window
# opens.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 640x360x24
csv="$WORK/f.csv"
header="frame,tour_time_s,frame_time_ms,camera"
help_line="Try 'thalvek --help' for more information."

launch_with --benchmark --window 640x360 --benchmark-csv "$csv" --benchmark-length 2
wait_exit 300
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after a whole run"
[ "$(head -n 1 "$csv")" = "$header" ] || fail "CSV header: $(head -n 1 "$csv")"
rows=$(($(wc -l <"$csv") - 1))
[ "$rows" -ge 2 ] || fail "$rows rows"
# frame_rows LENGTH_MS: the CSV's rows count up from 0, each row's tour time
# is the sum of the frame times before it, and with a LENGTH_MS the frame
# times add up to it within the last frame.
frame_rows() {
  tail -n +2 "$csv" | awk -F, -v length_ms="${1:-}" '
    $1 != NR - 1 { print "row " NR ": frame " $1; bad = 1 }
    { d = $2 * 1000 - sum; if (d < 0) d = -d; if (d > 0.1) { print "row " NR ": tour " $2 " s after " sum " ms"; bad = 1 } }
    { sum += $3; last = $3 }
    END {
      printf "%d frames, %.3f ms, the last %.3f ms\n", NR, sum, last
      if (length_ms != "" && (sum < length_ms || sum - last >= length_ms)) {
        print "the frames do not add up to " length_ms " ms"; bad = 1
      }
      exit bad
    }'
}
frame_rows 2000 || fail "frame times"
grep -qx "Frames: $rows in [0-9.]* s" "$WORK/out.txt" || fail "the summary does not count $rows frames"
grep -qx "Window: 640x360" "$WORK/out.txt" || fail "no window size in the summary"
grep -qx "Render scale: 1" "$WORK/out.txt" || fail "no render scale in the summary"
grep -q "^Renderer: ." "$WORK/out.txt" && grep -q "^OpenGL version: ." "$WORK/out.txt" || fail "no renderer"
for line in "1% low: [0-9.]* fps" "99th percentile frame time: [0-9.]* ms" "Shortest frame time: [0-9.]* ms" \
  "Longest frame time: [0-9.]* ms"; do
  grep -qx "$line" "$WORK/out.txt" || fail "no '$line' in the summary"
done
average=$(sed -n 's/^Average: \([0-9.]*\) fps$/\1/p' "$WORK/out.txt")
tail -n +2 "$csv" | awk -F, -v shown="$average" '
  { sum += $3 }
  END { expected = NR / (sum / 1000); d = shown - expected; if (d < 0) d = -d; exit !(shown != "" && d <= 0.01) }' ||
  fail "average '$average' fps is not $rows rows / their seconds"
ls "$WORK" | grep -q '\.part$' && fail "a temporary file was left: $(ls "$WORK")"
grep -q '^GL ' "$WORK/err.txt" && fail "GL errors: $(grep '^GL ' "$WORK/err.txt" | head -n 3)"

echo "step: Enter and F1, then Escape"
printf 'an earlier run\n' >"$csv"
launch_with --benchmark --window 320x180 --benchmark-csv "$csv"
wait_title "$FRAME_TITLE" 180
xdotool mousemove --window "$(window_id)" 20 20
# Enter would stop the tour and its clock.
hold_key Return
hold_key F1
wait_frames 2
[ "$(cat "$csv")" = "an earlier run" ] || fail "the earlier file changed while the benchmark ran"
xdotool key Escape
wait_exit 60
[ "$EXIT_STATUS" -eq 1 ] || fail "exit status $EXIT_STATUS after Escape"
grep -Eqx 'Benchmark stopped after [0-9]+\.[0-9] s' "$WORK/err.txt" || fail "no stop message"
[ "$(head -n 1 "$csv")" = "$header" ] && [ "$(wc -l <"$csv")" -ge 3 ] || fail "the rows so far were not kept"
grep -q '^Frames:' "$WORK/out.txt" && fail "a summary for a stopped run"
frame_rows || fail "the tour did not run on through Enter"

echo "step: a CSV that cannot be written"
(cd "$RUNTIME/bin" && exec ./thalvek --benchmark --benchmark-csv "$WORK/missing/f.csv") \
  >"$WORK/out.txt" 2>"$WORK/err.txt" && status=0 || status=$?
[ "$status" -eq 2 ] && [ ! -s "$WORK/out.txt" ] || fail "status $status; stdout: $(cat "$WORK/out.txt")"
[ "$(cat "$WORK/err.txt")" = "thalvek: cannot write '$WORK/missing/f.csv': No such file or directory"$'\n'"$help_line" ] ||
  fail "refusal: $(cat "$WORK/err.txt")"
echo "PASS"
