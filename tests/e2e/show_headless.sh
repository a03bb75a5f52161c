# The run command's no-display path: PNG screenshots of the demo that are
# not blank, and a clean end through Escape.
source "$(dirname "$0")/lib.sh" "$1"
out="$WORK/shots"
env -u DISPLAY THALVEK_SHOW_MOMENTS="1 3" bash "$THALVEK_SOURCE_DIR/scripts/show-headless.sh" "$RUNTIME" "$out" \
  >"$WORK/out.txt" 2>&1 || fail "show-headless.sh failed"
count=$(ls "$out"/shot-*.png 2>/dev/null | wc -l)
[ "$count" -eq 2 ] || fail "expected 2 screenshots, found $count"
for shot in "$out"/shot-*.png; do
  # A flat-coloured 1280x720 PNG compresses to a few kilobytes.
  size=$(stat -c %s "$shot")
  [ "$size" -gt 40000 ] || fail "$shot looks blank ($size bytes)"
done
grep -q "Screenshots are in $out" "$WORK/out.txt" || fail "the folder is not named at the end"
echo "PASS"
