#!/usr/bin/env bash
# Builds Thalvek with its tests (Debug, warnings as errors) in build-tests/
# and runs the whole suite with CTest on a private Xvfb screen. OpenAL uses
# its silent null backend.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/common.sh"

"$root/scripts/deps.sh"
say "Configuring (Debug, warnings as errors) in build-tests/"
cmake -S "$root" -B "$root/build-tests" -DCMAKE_BUILD_TYPE=Debug -DTHALVEK_WERROR=ON
say "Building"
cmake --build "$root/build-tests" -j "$(nproc)"

start_xvfb 1280x720x24
trap stop_xvfb EXIT
say "Running the tests on $DISPLAY"
cd "$root/build-tests"
export ALSOFT_DRIVERS=null
ctest --output-on-failure -j "$(nproc)" "$@"
