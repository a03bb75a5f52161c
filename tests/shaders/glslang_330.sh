# Each file of Shader/ must declare "#version 330 core" on its first line and
# compile under glslangValidator, which checks it against that version and
# picks the stage from the extension (.vert, .geom, .frag; any other name is
# an error). A file built in variants (#ifdef NAME) is checked once more
# with each such name defined. Every failure is listed before the test fails.
set -euo pipefail
shaders="$THALVEK_SOURCE_DIR/Shader"
command -v glslangValidator >/dev/null || { echo "FAIL: no glslangValidator (package glslang-tools)"; exit 1; }
failed=0 checked=0
for file in "$shaders"/*; do
  checked=$((checked + 1))
  first=$(head -n 1 "$file")
  if [ "$first" != "#version 330 core" ]; then
    echo "FAIL: $file declares '$first', not '#version 330 core'"
    failed=$((failed + 1))
  elif ! output=$(glslangValidator "$file" 2>&1); then
    echo "FAIL: $file"
    echo "$output"
    failed=$((failed + 1))
  else
    for name in $(sed -nE 's/^#if(n)?def +([A-Za-z_][A-Za-z0-9_]*).*/\2/p' "$file" | sort -u); do
      if ! output=$(glslangValidator -l "-D$name" "$file" 2>&1); then
        echo "FAIL: $file with $name defined"
        echo "$output"
        failed=$((failed + 1))
      fi
    done
  fi
done
[ "$checked" -gt 0 ] || { echo "FAIL: no files in $shaders"; exit 1; }
[ "$failed" -eq 0 ] || { echo "$failed of $checked shader files fail"; exit 1; }
echo "PASS: $checked shader files are valid GLSL 3.30"
