#!/usr/bin/env bash
# Makes (or reuses) Qt 6.4.2 for Windows, cross-built with MinGW-w64 from Debian's own qt6-base
# source, and prints the installed tree's path on its last line. The tree lives outside the
# checkout, keyed by the source version, the compiler version and the configure line, so a
# second run on the same machine only checks the key.
#   windows-qt.sh            build or reuse; last line: the Qt prefix, which also holds the
#                            MinGW toolchain file to configure apps with (mingw.cmake)
#   QOR_QT_WIN_CACHE=DIR     where the trees are kept (default /var/cache/qor-flipper)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${QOR_QT_WIN_CACHE:-/var/cache/qor-flipper}
jobs=${QOR_QT_WIN_JOBS:-$(nproc)}

bash "$here/deps.sh" windows >&2

qtver=6.4.2
gccver=$(x86_64-w64-mingw32-g++-posix -dumpversion)
configure_line=(-release -shared -qt-host-path /usr -nomake examples -nomake tests
  -no-opengl -no-dbus -no-icu -no-pkg-config -no-zstd
  -qt-zlib -qt-libpng -qt-pcre -qt-harfbuzz -qt-freetype -no-fontconfig -no-libjpeg -no-gif
  -no-feature-network -no-feature-sql -no-feature-printsupport -no-feature-xml
  -no-feature-concurrent -no-feature-vulkan -no-feature-direct2d -no-feature-tabletevent
  -no-feature-directwrite3)
key=$(printf '%s\n' "$qtver" "$gccver" "${configure_line[@]}" "toolchain-1" | sha256sum | cut -c1-12)
prefix="$cache/qt-$qtver-mingw-$key"

# The MinGW toolchain. Qt's own toolchain file names the one it was built with, which lived
# in a folder that is gone by now: apps hand this copy in (QT_CHAINLOAD_TOOLCHAIN_FILE).
write_toolchain() {
  cat >"$1" <<'TC'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER /usr/bin/x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/x86_64-w64-mingw32-windres)
set(CMAKE_AR /usr/bin/x86_64-w64-mingw32-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/x86_64-w64-mingw32-ranlib CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC
}

# Debian's source of the very Qt the Linux build uses, from the mirrors and with the keys the
# machine already uses for its Debian packages: a deb-src entry beside them, unless one is there.
add_deb_src() {
  . "$here/debian-sources.sh"
  local codename rc=0
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || { echo "no VERSION_CODENAME in /etc/os-release: not Debian?" >&2; exit 1; }
  write_deb_src /etc/apt/sources.list.d/qor-flipper-deb-src.sources "$codename" \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources || rc=$?
  case $rc in
    0) echo "Qt for Windows: deb-src entry written from the system's Debian entries" >&2
       apt-get update -qq >&2 ;;
    1) ;;
    *) exit 1 ;;
  esac
}

if [ -f "$prefix/.complete" ]; then
  [ -f "$prefix/mingw.cmake" ] || write_toolchain "$prefix/mingw.cmake"
  echo "Qt for Windows: reusing $prefix" >&2
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache/src"
work="$cache/work-$key"
rm -rf "$work" "$prefix.tmp"
mkdir -p "$work"
tarball=$(ls "$cache"/src/qt6-base_${qtver}*.orig.tar.xz 2>/dev/null | head -n1 || true)
if [ -z "$tarball" ]; then
  add_deb_src
  (cd "$cache/src" && apt-get source --download-only qt6-base="$qtver"+dfsg-10 >&2 \
    || apt-get source --download-only qt6-base >&2)
  tarball=$(ls "$cache"/src/qt6-base_${qtver}*.orig.tar.xz | head -n1)
fi
echo "Qt for Windows: building from $tarball into $prefix (about 25 minutes on 2 cores)" >&2
tar -xf "$tarball" -C "$work"
src=$(find "$work" -maxdepth 1 -mindepth 1 -type d | head -n1)


write_toolchain "$work/mingw.cmake"
mkdir -p "$work/build"
cd "$work/build"
"$src/configure" -prefix "$prefix.tmp" "${configure_line[@]}" -- -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$work/configure.log" 2>&1 \
  || { tail -n 40 "$work/configure.log" >&2; exit 1; }
cmake --build . -j "$jobs" >"$work/build.log" 2>&1 || { tail -n 60 "$work/build.log" >&2; exit 1; }
cmake --install . --strip >"$work/install.log" 2>&1 || { tail -n 20 "$work/install.log" >&2; exit 1; }
# Configured with the temporary prefix: Qt's tree is relocatable, so moving it is enough.
mv "$prefix.tmp" "$prefix"
write_toolchain "$prefix/mingw.cmake"
touch "$prefix/.complete"
cd /
rm -rf "$work"
echo "$prefix"
