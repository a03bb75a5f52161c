#!/usr/bin/env bash
# Builds Thalvek in Release into build/ and makes the Debian package
# build/thalvek_<version>_<arch>.deb with CPack. Installs whatever Debian
# packages are missing first. The package's path is the last line printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/common.sh"

configure_release "$root"
# Debian's flags for packaged programs, with all its hardening (fortified
# functions, stack protector, relocations read-only and bound at start),
# without -g: the packaged executables are stripped. Asked from the source
# folder, so that the file-prefix map in them stays the same and a second
# run rebuilds nothing.
buildflags() { (cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"); }
debian_flags() {
  local word kept=()
  for word in $(buildflags "$1") ${2:+$(buildflags "$2")}; do
    [ "$word" = -g ] || kept+=("$word")
  done
  echo "${kept[*]}"
}
cmake -B "$root/build" -DCMAKE_C_FLAGS="$(debian_flags CFLAGS CPPFLAGS)" \
      -DCMAKE_CXX_FLAGS="$(debian_flags CXXFLAGS CPPFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(debian_flags LDFLAGS)" >/dev/null
say "Building"
cmake --build "$root/build" -j "$(nproc)"
say "Packaging"
output=$(cd "$root/build" && cpack -G DEB) || { echo "$output" >&2; exit 1; }
package=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$output")
[ -f "$package" ] || { echo "$output" >&2; echo "cpack named no package" >&2; exit 1; }
echo "$package"
