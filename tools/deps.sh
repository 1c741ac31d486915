#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing for one purpose, and nothing else.
#   deps.sh play   build and run the game
#   deps.sh windows  cross-build for Windows and run it under Wine (adds what the end-to-end
#                  run of the zip starts and reads the screen with: Xvfb, openbox, xdotool,
#                  ImageMagick and tesseract, since Wine has no accessibility bus)
#   deps.sh test   build and run every test (adds clang for the fuzzer and the tools that the
#                  end-to-end and sound tests start themselves, and the Debian packaging
#                  tools the package test runs)
set -euo pipefail

build=(cmake ninja-build g++ pkgconf qt6-base-dev qt6-multimedia-dev libgl-dev libsndfile1-dev
       fonts-liberation fonts-wine)
windows=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine64 dpkg-dev xz-utils perl
         xvfb openbox xdotool x11-utils imagemagick tesseract-ocr python3)
test_extra=(clang clang-format-14 libclang-rt-14-dev llvm
            xvfb xauth xdotool libxtst6 x11-utils imagemagick openbox
            at-spi2-core dbus-x11 python3-pyatspi
            pulseaudio pulseaudio-utils sox
            dpkg-dev lintian appstream desktop-file-utils file)

case "${1:-}" in
  play) want=("${build[@]}") ;;
  test) want=("${build[@]}" "${test_extra[@]}") ;;
  windows) want=(cmake ninja-build qt6-base-dev "${windows[@]}") ;;
  *) echo "usage: $0 play|test|windows" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
