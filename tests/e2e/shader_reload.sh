# F9 in the real binary, on a run-time tree with a Shader/ of its own: a
# composition shader edited while the demo runs shows after F9, then a
# broken one is reported with its path and the driver's log while the demo
# goes on drawing with the program it had. Every step waits for the line or
# the picture it needs.
source "$(dirname "$0")/lib.sh" "$1"
tree="$WORK/tree"
mkdir -p "$tree/bin"
cp "$RUNTIME/bin/thalvek" "$tree/bin/"
cp -r "$RUNTIME/Shader" "$tree/Shader"
for d in Data Textures SFX; do ln -s "$RUNTIME/$d" "$tree/$d"; done
start_xvfb 640x360x24
launch "$tree/bin"
wait_title "$FRAME_TITLE" 180

# centre_pixel: the screen's middle pixel as "R G B".
centre_pixel() {
  "$RUNTIME/tools/thalvek-screenshot" "$WORK/shot.png" >/dev/null
  ffmpeg -v error -i "$WORK/shot.png" -vf crop=1:1:320:180 -f rawvideo -pix_fmt rgb24 - | od -An -tu1 | xargs
}
# wait_output TEXT: until standard output has a line TEXT; two minutes.
wait_output() {
  for _ in $(seq 1 1200); do
    grep -qxF "$1" "$WORK/out.txt" && return 0
    kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended while waiting for \"$1\""
    sleep 0.1
  done
  fail "no line \"$1\" within two minutes"
}

echo "step: edited"
[ "$(centre_pixel)" != "64 128 192" ] || fail "the picture is already the test's colour"
cat >"$tree/Shader/textured.frag" <<'EOF'
#version 330 core
in vec2 uv;
out vec4 colour;
void main() { colour = vec4(64.0 / 255.0, 128.0 / 255.0, 192.0 / 255.0, 1.0); }
EOF
hold_key F9
wait_output "Reloaded 12 shader programs"
shown=
for _ in $(seq 1 600); do
  shown=$(centre_pixel)
  [ "$shown" = "64 128 192" ] && break
  sleep 0.2
done
[ "$shown" = "64 128 192" ] || fail "the edited composition never showed (centre $shown)"

echo "step: broken"
printf '#version 330 core\nvoid main() { this is not glsl; }\n' >"$tree/Shader/textured.frag"
hold_key F9
wait_output "Reloaded 11 of 12 shader programs; the others keep their previous version"
grep -A1 -xF "Failed to compile shader ../Shader/textured.frag" "$WORK/out.txt" | tail -n 1 | grep -q error ||
  fail "the failure does not name the file, or the driver's log does not follow"
# Frames go on, drawn by the previous composition program.
before=$(title)
for _ in $(seq 1 1200); do [ "$(title)" != "$before" ] && break; sleep 0.1; done
[ "$(title)" != "$before" ] || fail "no new frame after the failed reload"
[ "$(centre_pixel)" = "64 128 192" ] || fail "the previous program no longer draws (centre $(centre_pixel))"

hold_key Escape 1
wait_exit 60
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS"
echo "PASS"
