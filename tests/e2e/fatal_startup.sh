# The shell's fatal start-up paths: their message, exit status 255 (-1), and
# no wait for a key when standard input is not a terminal.
source "$(dirname "$0")/lib.sh" "$1"

# No X display at all: GLFW cannot initialise.
(cd "$RUNTIME/bin" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 30 ./thalvek </dev/null) \
  >"$WORK/out.txt" 2>"$WORK/err.txt" && status=0 || status=$?
[ "$status" -eq 255 ] || fail "no display: status $status"
[ "$(cat "$WORK/out.txt")" = "GLFW failed" ] || fail "no display: stdout '$(cat "$WORK/out.txt")'"

# An 8-bit screen offers no OpenGL visual: the window cannot be made.
start_xvfb 640x480x8
(cd "$RUNTIME/bin" && timeout 30 ./thalvek </dev/null) \
  >"$WORK/out.txt" 2>"$WORK/err.txt" && status=0 || status=$?
[ "$status" -eq 255 ] || fail "8-bit screen: status $status"
[ "$(cat "$WORK/out.txt")" = "No window ..." ] || fail "8-bit screen: stdout '$(cat "$WORK/out.txt")'"
stop_xvfb

# No scene file. It is read on a worker thread from the start, while the
# window is made, but its failure is told where it always was: after the
# OpenGL version.
start_xvfb 640x480x24
tree="$WORK/tree"
mkdir -p "$tree/bin"
cp "$RUNTIME/bin/thalvek" "$tree/bin/"
for d in Shader Textures SFX; do ln -s "$RUNTIME/$d" "$tree/$d"; done
(cd "$tree/bin" && timeout 60 ./thalvek </dev/null) >"$WORK/out.txt" 2>"$WORK/err.txt" && status=0 || status=$?
[ "$status" -eq 255 ] || fail "no scene file: status $status"
head -n 1 "$WORK/out.txt" | grep -q '^Using OpenGL ' || fail "no scene file: stdout '$(cat "$WORK/out.txt")'"
[ "$(tail -n +2 "$WORK/out.txt")" = "$(printf "Couldn't open file\n../Data/ThalvekF.dae: No such file or directory")" ] ||
  fail "no scene file: stdout '$(cat "$WORK/out.txt")'"
echo "PASS"
