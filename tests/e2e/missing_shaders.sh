# A run-time tree without Shader/: the first program cannot be built, which
# is fatal with its message and status 255 (-1).
source "$(dirname "$0")/lib.sh" "$1"
tree="$WORK/tree"
mkdir -p "$tree/bin"
cp "$RUNTIME/bin/thalvek" "$tree/bin/"
for d in Data Textures SFX; do [ -e "$RUNTIME/$d" ] && ln -s "$RUNTIME/$d" "$tree/$d"; done
start_xvfb 1280x720x24
(cd "$tree/bin" && timeout 60 ./thalvek </dev/null) >"$WORK/out.txt" 2>"$WORK/err.txt" && status=0 || status=$?
[ "$status" -eq 255 ] || fail "status $status"
grep -qx "Failed to open shader-file" "$WORK/out.txt" || fail "no 'Failed to open shader-file' line"
grep -qxF "../Shader/PhongSMap.vert: No such file or directory (working directory: $tree/bin)" "$WORK/out.txt" ||
  fail "the second line does not name the path, the reason and the working directory"
[[ "$(head -n 1 "$WORK/out.txt")" == "Using OpenGL "* ]] || fail "the GL version line must come first"
echo "PASS"
