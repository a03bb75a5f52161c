#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Thalvek
# need, skipping those already present. Safe to run again.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

packages=(
  build-essential cmake pkg-config git
  libglfw3-dev libglew-dev libglm-dev libassimp-dev libfreeimage-dev
  libvorbis-dev libopenal-dev libx11-dev libgl1-mesa-dri
  # the F1 overlay: Dear ImGui with its GLFW and OpenGL 3 backends; stb for its pkg-config file
  libimgui-dev libstb-dev
  libgtest-dev
  xvfb xauth xdotool
  # the minimised-window test needs a window manager to iconify the demo
  matchbox-window-manager
  # xdg-user-dir: the default folder for F12's screenshots
  xdg-user-dirs
  # thalvek-record encodes through ffmpeg; the tests read its files with ffprobe
  ffmpeg
  # scripts/package.sh: CPack finds the executables with file and their
  # Depends with dpkg-shlibdeps (dpkg-dev, which also gives the build flags);
  # the package's tests check it with lintian and desktop-file-validate
  dpkg-dev file lintian desktop-file-utils
  # scripts/bench.sh --plot draws the profile's chart
  gnuplot-nox
  # the check of every shader file against GLSL 3.30
  glslang-tools
  # the tests on zink, which runs on the Vulkan driver lavapipe
  mesa-vulkan-drivers
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  say "All packages present"
  exit 0
fi
say "Installing: ${missing[*]}"
as_root apt-get update
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
