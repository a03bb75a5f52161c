# The real binary on a scene that combines files a user's own scene could
# bring (see HostileTree.cpp): each bad file is reported with its reason, the
# good ones load, the program runs, and a held Escape ends it with status 0.
source "$(dirname "$0")/lib.sh" "$1"
tree="$WORK/tree"
"$RUNTIME/tools/thalvek-hostile-tree" "$RUNTIME" "$tree" || fail "could not write the hostile tree"
start_xvfb 1280x720x24
launch "$tree/bin"
wait_title "$FRAME_TITLE" 240
hold_key Escape 2
wait_exit 60
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"

# The fixed first line, then "<path>: <reason>".
expect_failure() {
  grep -qxF "Failed to open file '$1'" "$WORK/out.txt" || fail "no failure line for $1"
  grep -qx -- "$1: $2" "$WORK/out.txt" || fail "no line '$1: $2'"
}
expect_failure ../Textures/new/aaa "only jpg, jpeg and png files are used as colour textures"
expect_failure ../Textures/new/huge.png "60000 x 60000 pixels, more than the [0-9]* this driver takes in either direction"
expect_failure ../Textures/new/folder.png "Is a directory"
expect_failure ../Textures/skybox/nightsky_up.png \
  "face -Y is 512 x 512 pixels, face +X 1024 x 1024 pixels; the six faces must be square and of one size"
grep -qx "Failed to load textures for skybox" "$WORK/out.txt" || fail "the sky did not say it failed"
# Nothing about the files that are good, however they are named or stored.
! grep -q "granite\|grey16\|bump" "$WORK/out.txt" || fail "a good texture was reported"

# Every start-up message, in the order it has always come, though the scene
# file is read while the window is made and the textures and their mip
# levels are made on worker threads: the driver's version first, then the
# scene's textures in the order of their tables, then the sky's.
head -n 1 "$WORK/out.txt" | grep -q '^Using OpenGL ' || fail "the first line does not name the OpenGL version"
tail -n +2 "$WORK/out.txt" | sed 's/more than the [0-9]* this/more than the N this/' >"$WORK/messages.txt"
cat >"$WORK/expected.txt" <<'EOF'
Failed to open file '../Textures/new/aaa'
../Textures/new/aaa: only jpg, jpeg and png files are used as colour textures
Failed to open file '../Textures/new/folder.png'
../Textures/new/folder.png: Is a directory
Failed to open file '../Textures/new/huge.png'
../Textures/new/huge.png: 60000 x 60000 pixels, more than the N this driver takes in either direction
Failed to open file '../Textures/skybox/nightsky_up.png'
../Textures/skybox/nightsky_up.png: face -Y is 512 x 512 pixels, face +X 1024 x 1024 pixels; the six faces must be square and of one size
Failed to load textures for skybox
EOF
diff "$WORK/expected.txt" "$WORK/messages.txt" >&2 || fail "the start-up messages changed or came in another order"
echo "PASS"
