#!/usr/bin/env bash
# Prints the prefix of a Qt 6 for x86_64-w64-mingw32, unpacking or building
# it first when needed.
#   windows-qt.sh [--no-build]
# FP_WINDOWS_QT names an unpacked prefix (with lib/cmake/Qt6) or a tarball of
# one (top folder qt6-mingw/). Unset, it defaults to the tarball in
# ../shared/toolchains beside the checkout; when that is missing too, qtbase is
# cross-built from Debian's source into the cache (about 50 minutes on 2
# cores), unless --no-build, which then prints nothing and fails. Every Qt
# must have Qt SVG (the dialog's pictures); a prefix without it is refused.
# FP_CACHE: where unpacked and built Qt prefixes go (default .cache/).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cache=${FP_CACHE:-$root/.cache}
source=${FP_WINDOWS_QT:-$root/../shared/toolchains/qt6.4.2-mingw-w64-x86_64.tar.xz}

has_svg() {
  [ -f "$1/lib/cmake/Qt6Svg/Qt6SvgConfig.cmake" ] && [ -f "$1/plugins/imageformats/qsvg.dll" ] ||
    { echo "windows-qt: $1 has no Qt SVG (lib/cmake/Qt6Svg, plugins/imageformats/qsvg.dll): use a newer" \
           "qt6.4.2-mingw-w64-x86_64.tar.xz or cmake/windows/build-qt.sh" >&2; exit 1; }
}

if [ -d "$source" ]; then
  [ -d "$source/lib/cmake/Qt6" ] || { echo "windows-qt: $source is not a Qt prefix (no lib/cmake/Qt6)" >&2; exit 1; }
  has_svg "$source"
  echo "$source"
elif [ -f "$source" ]; then
  unpacked=$cache/qt6-mingw
  stamp="$(realpath "$source") $(stat -c %s-%Y "$source")"
  if [ "$(cat "$unpacked/.unpacked-from" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$unpacked" && mkdir -p "$cache"
    echo "windows-qt: unpacking $source" >&2
    tar -C "$cache" -xJf "$source"
    [ -d "$unpacked/lib/cmake/Qt6" ] || { echo "windows-qt: $source holds no qt6-mingw/ prefix" >&2; exit 1; }
    has_svg "$unpacked"
    echo "$stamp" > "$unpacked/.unpacked-from"
  fi
  echo "$unpacked"
elif [ -n "${FP_WINDOWS_QT:-}" ]; then
  echo "windows-qt: FP_WINDOWS_QT=$FP_WINDOWS_QT does not exist" >&2
  exit 1
else
  built=$cache/qt6-mingw-built
  # A prefix built before Qt SVG was part of it gets Qt SVG on top.
  if [ ! -f "$built/lib/cmake/Qt6Svg/Qt6SvgConfig.cmake" ]; then
    [ "${1:-}" = --no-build ] && exit 1
    echo "windows-qt: no Qt for Windows at hand; cross-building qtbase and qtsvg from Debian's source (about 50 minutes on 2 cores)" >&2
    "$root/cmake/windows/build-qt.sh" "$built" "$cache/qt6-mingw-work" >&2
  fi
  echo "$built"
fi
