# The command line as the program takes it: --version, --help and --version
# that cannot write their answer, and the refusals that only the display
# can judge (a monitor that is not there, a window beyond
# the driver's limits): status 2, the problem and the pointer to --help on
# standard error, nothing on standard output.
source "$(dirname "$0")/lib.sh" "$1"
start_xvfb 640x360x24

# run ARG...: the program with these arguments; sets STATUS, OUT and ERR.
run() {
  (cd "$RUNTIME/bin" && timeout 60 ./thalvek "$@" </dev/null) >"$WORK/out.txt" 2>"$WORK/err.txt" &&
    STATUS=0 || STATUS=$?
  OUT=$(cat "$WORK/out.txt")
  ERR=$(cat "$WORK/err.txt")
}
help_line="Try 'thalvek --help' for more information."

run --version
[ "$STATUS" -eq 0 ] && [ "$OUT" = "Thalvek 0.3.0" ] && [ -z "$ERR" ] || fail "--version: $STATUS '$OUT' '$ERR'"

for option in --help --version; do
  status=0
  (cd "$RUNTIME/bin" && ./thalvek "$option" >/dev/full 2>"$WORK/err.txt") || status=$?
  [ "$status" -eq 1 ] && [ "$(cat "$WORK/err.txt")" = "thalvek: cannot write to standard output: No space left on device" ] ||
    fail "$option >/dev/full: status $status, '$(cat "$WORK/err.txt")'"
done

run --window 640x360 --bogus
[ "$STATUS" -eq 2 ] && [ -z "$OUT" ] || fail "--bogus: status $STATUS"
[ "$ERR" = "thalvek: unknown option '--bogus'"$'\n'"$help_line" ] || fail "--bogus: '$ERR'"

run --monitor 9
[ "$STATUS" -eq 2 ] && [ -z "$OUT" ] || fail "--monitor 9: status $STATUS"
[ "$ERR" = "thalvek: no monitor 9 (this display has 1 monitor)"$'\n'"$help_line" ] || fail "--monitor 9: '$ERR'"

run --window 40000x400
[ "$STATUS" -eq 2 ] && [ -z "$OUT" ] || fail "--window 40000x400: status $STATUS"
[[ "$ERR" =~ ^"thalvek: window size 40000x400 is beyond this driver's limit of "[0-9]+x[0-9]+$'\n'"$help_line"$ ]] ||
  fail "--window 40000x400: '$ERR'"
echo "PASS"
