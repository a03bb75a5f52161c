# The launchers on a stand-in tree whose programs write down where they ran
# and what they got: they run in the tree's bin/ wherever they are started
# from and however they are reached (a link, a moved tree), they say where
# they were started, the value of a path option becomes absolute (a value
# left out is not taken from the next option), every other argument
# arrives as given, and the program's exit status comes back.
set -euo pipefail
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$WORK/pre fix"
mkdir -p "$prefix/bin" "$prefix/lib/thalvek/bin" "$prefix/lib/thalvek/tools"
cp "$THALVEK_LAUNCHERS/thalvek" "$THALVEK_LAUNCHERS/thalvek-record" "$prefix/bin/"
for program in bin/thalvek tools/thalvek-record; do
  cat >"$prefix/lib/thalvek/$program" <<'STUB'
#!/bin/sh
{ pwd; echo "from ${THALVEK_STARTED_IN-nowhere}"; for argument in "$@"; do printf '[%s]\n' "$argument"; done; } >"$REPORT"
exit 7
STUB
  chmod +x "$prefix/lib/thalvek/$program"
done
export REPORT="$WORK/report"

# check LAUNCHER EXPECTED_REPORT ARGUMENTS...: runs the launcher in the
# current folder; it must return the stub's status and pass what is expected.
check() {
  local launcher=$1 expected=$2 status=0
  shift 2
  rm -f "$REPORT"
  "$launcher" "$@" || status=$?
  [ "$status" -eq 7 ] || fail "$launcher $*: exit status $status, not the program's 7"
  diff -u <(printf '%s\n' "$expected") "$REPORT" || fail "$launcher $*: the program got the above"
}

here="$WORK/a folder"
mkdir -p "$here"
cd "$here"
tree=$(cd "$prefix/lib/thalvek" && pwd -P)
check "$prefix/bin/thalvek" "$tree/bin
from $here
[--screenshots]
[$here/shots]
[--screenshots=$here/other shots/x]
[--screenshots]
[/tmp/absolute]
[--screenshots=]
[--screenshots]
[--help]
[--screenshots]
[--window]
[640x360]
[--screenshots=-x]
[--size]
[two words]
[]
[--output]
[relative]
[--benchmark-csv]
[$here/times.csv]
[--screenshots]" \
  --screenshots shots "--screenshots=other shots/x" --screenshots /tmp/absolute --screenshots= \
  --screenshots --help --screenshots --window 640x360 --screenshots=-x --size "two words" "" --output relative \
  --benchmark-csv times.csv --screenshots

check "$prefix/bin/thalvek-record" "$tree/bin
from $here
[--output]
[$here/tour.mp4]
[--output=$here/../b.mp4]
[--screenshots]
[shots]" \
  --output tour.mp4 --output=../b.mp4 --screenshots shots

# Reached through a link from elsewhere, started from the root folder.
ln -s "$prefix/bin/thalvek" "$WORK/thalvek-link"
cd /
check "$WORK/thalvek-link" "$tree/bin
from /
[--screenshots]
[/x]" --screenshots x

# The whole prefix moved, as an unpacked package may be.
mv "$prefix" "$WORK/moved"
moved=$(cd "$WORK/moved/lib/thalvek" && pwd -P)
cd "$here"
check "$WORK/moved/bin/thalvek" "$moved/bin
from $here
[--screenshots]
[$here/s]" --screenshots s

# A launcher without its tree says so and fails.
mkdir "$WORK/alone"
cp "$THALVEK_LAUNCHERS/thalvek" "$WORK/alone/"
status=0
"$WORK/alone/thalvek" 2>"$WORK/err" || status=$?
[ "$status" -eq 127 ] || fail "a launcher without its tree: exit status $status, not 127"
grep -q "no run-time tree" "$WORK/err" || fail "a launcher without its tree says: $(cat "$WORK/err")"
echo "PASS"
