#!/usr/bin/env bash
# Builds Thalvek with its tests under AddressSanitizer (leak checker on) and
# UndefinedBehaviorSanitizer in build-sanitize/ (Debug, warnings as errors)
# and runs the whole suite there, but for the runs on other GL drivers and
# on the strict 3.3 driver, on a private Xvfb screen, as scripts/test.sh
# does for the plain build. Extra args go to ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/common.sh"

"$root/scripts/deps.sh"
say "Configuring (Debug, sanitizers, warnings as errors) in build-sanitize/"
cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DTHALVEK_WERROR=ON \
      -DTHALVEK_SANITIZE=ON -DTHALVEK_BUILD_BENCH=OFF
say "Building"
cmake --build "$root/build-sanitize" -j "$(nproc)"

start_xvfb 1280x720x24
trap stop_xvfb EXIT
say "Running the tests under the sanitizers on $DISPLAY"
cd "$root/build-sanitize"
export ALSOFT_DRIVERS=null
# Every error ends the process with a report; leaks are checked at exit.
# Nothing is suppressed: the GL driver's memory, which it keeps past the
# close of its display, stays reachable because the sanitized executables
# never unload a library (cmake/sanitizers/KeepLibrariesLoaded.c).
export ASAN_OPTIONS=detect_leaks=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The runs on the other GL drivers (labels driver-*) and on the driver cut
# down to plain 3.3 (label strict-gl33) stay with scripts/test.sh: they
# check the drivers, and here they would take their minutes again through
# the same code of ours.
ctest --output-on-failure -j "$(nproc)" -LE '^(driver-.*|strict-gl33)$' "$@"
