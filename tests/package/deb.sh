# The Debian package made from this build's install rules: it builds, its
# Depends come from the libraries the executables link, lintian finds no
# error in it, and unpacked into a folder its commands work from anywhere:
# thalvek draws frames started from the root folder and quits on Escape,
# thalvek-record writes its file where it was asked, relative to where it
# was started.
source "$THALVEK_SOURCE_DIR/tests/e2e/lib.sh" "$1"

cpack --config "$THALVEK_CPACK_CONFIG" -B "$WORK/cpack" >"$WORK/cpack.txt" 2>&1 ||
  { cat "$WORK/cpack.txt" >&2; fail "cpack failed"; }
shopt -s nullglob
packages=("$WORK"/cpack/*.deb)
[ ${#packages[@]} -eq 1 ] || fail "cpack made ${#packages[@]} packages"
deb=${packages[0]}
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "thalvek_${version}_$(dpkg --print-architecture).deb" ] ||
  fail "the package is called $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libglfw3 libglew2.2 libassimp5 libfreeimage3 libvorbisfile3 libopenal1; do
  grep -Eq "(^|[,|] ?)$library( |,|$)" <<<"$depends" || fail "Depends has no $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = "ffmpeg" ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"

lintian --fail-on error "$deb" >"$WORK/lintian.txt" 2>&1 ||
  { cat "$WORK/lintian.txt" >&2; fail "lintian found errors"; }
cat "$WORK/lintian.txt"

dpkg-deb -x "$deb" "$WORK/root"
desktop-file-validate "$WORK/root/usr/share/applications/thalvek.desktop" ||
  fail "the desktop entry does not validate"

start_xvfb 1280x720x24
(cd / && exec "$WORK/root/usr/bin/thalvek") >"$WORK/out.txt" 2>"$WORK/err.txt" &
PROGRAM_PID=$!
wait_title "$FRAME_TITLE" 180
hold_key Escape 1
wait_exit 30
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after Escape"

mkdir "$WORK/videos"
(cd "$WORK/videos" && "$WORK/root/usr/bin/thalvek-record" --output clip.mp4 --size 160x90 --length 0.1) \
  >"$WORK/out.txt" 2>"$WORK/err.txt" || fail "thalvek-record failed"
[ -s "$WORK/videos/clip.mp4" ] || fail "thalvek-record wrote no clip.mp4 where it was started"
echo "PASS"
