#!/usr/bin/env bash
# Cross-builds Qt 6.4.2 (qtbase: Core, Gui, Widgets, Test, the windows,
# offscreen and minimal platform plugins; qtsvg: Svg and the SVG image and
# icon plugins) for x86_64-w64-mingw32 from Debian 12's own qt6-base and
# qt6-svg source packages, against Debian's native Qt 6.4.2 host tools
# (qt6-base-dev-tools). About 50 minutes on 2 cores.
#   build-qt.sh PREFIX [WORKDIR]
# Needs: g++-mingw-w64-x86-64-posix, cmake, ninja-build, qt6-base-dev-tools,
# dpkg-dev (apt-get source, apt-get download). Changes nothing on the system: the source list
# and package lists live in WORKDIR.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(realpath -m "$1")
work=$(realpath -m "${2:-$prefix.work}")
src=qtbase-everywhere-src-6.4.2
svg=qtsvg-everywhere-src-6.4.2
mkdir -p "$work" && cd "$work"
if [ ! -d $src ] || [ ! -d $svg ]; then
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources)" > src.sources
  mkdir -p lists/partial
  apt=(-o Dir::Etc::SourceList="$work/src.sources" -o Dir::Etc::SourceParts=/dev/null -o Dir::State::Lists="$work/lists")
  apt-get -qq "${apt[@]}" update
  [ -d $src ] || { apt-get -qq "${apt[@]}" source --download-only qt6-base && tar xJf qt6-base_6.4.2*.orig.tar.xz; }
  [ -d $svg ] || { apt-get -qq "${apt[@]}" source --download-only qt6-svg && tar xJf qt6-svg_6.4.2*.orig.tar.xz; }
fi
# Debian's source drops the bundled Wintab header that the Windows platform
# plugin includes: take Wine's (LGPL, Debian's libwine-dev, unpacked here
# without installing it) and give it the naming macros it uses.
wintab=$src/src/3rdparty/wintab
if [ ! -f $wintab/wintab.h ]; then
  [ -f libwine-dev.deb ] || { apt-get download libwine-dev >/dev/null && mv libwine-dev_*.deb libwine-dev.deb; }
  rm -rf libwine && dpkg-deb -x libwine-dev.deb libwine
  mkdir -p $wintab
  cp libwine/usr/include/wine/wine/windows/pktdef.h $wintab/
  {
    cat <<'PRELUDE'
#ifndef API
# define API WINAPI /* the calling convention name of the original Wintab header */
#endif
#ifndef DECL_WINELIB_TYPE_AW
# ifdef UNICODE
#  define WINELIB_NAME_AW(func) func##W
# else
#  define WINELIB_NAME_AW(func) func##A
# endif
# define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
PRELUDE
    cat libwine/usr/include/wine/wine/windows/wintab.h
  } > $wintab/wintab.h
fi
# Without OpenGL, Qt 6.4's Windows window code still takes a dynamic-GL branch.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  $src/src/plugins/platforms/windows/qwindowswindow.cpp
[ -f build/build.ninja ] || cmake -S $src -B build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/../mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_vulkan=OFF -DFEATURE_xml=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF -DFEATURE_openssl=OFF \
  -DFEATURE_testlib=ON -DFEATURE_widgets=ON -DFEATURE_gui=ON > configure.log 2>&1 ||
  { tail -40 configure.log; exit 1; }
cmake --build build -j"${JOBS:-$(nproc)}" > build.log 2>&1 || { tail -40 build.log; exit 1; }
cmake --install build > install.log
# Qt SVG, unchanged, into the same prefix: it draws the style sheets' pictures.
[ -f build-svg/build.ninja ] || cmake -S $svg -B build-svg -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/../mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF > configure-svg.log 2>&1 || { tail -40 configure-svg.log; exit 1; }
cmake --build build-svg -j"${JOBS:-$(nproc)}" > build-svg.log 2>&1 || { tail -40 build-svg.log; exit 1; }
cmake --install build-svg > install-svg.log
echo "Qt for Windows installed in $prefix"
