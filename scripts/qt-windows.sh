#!/usr/bin/env bash
# Builds Qt 6 for Windows (x86_64, mingw-w64, static) from Debian's qt6-base source, once, into a
# cache outside the work tree, and prints the install prefix as the last line of its output.
# Debian ships no Qt for mingw; a cross-built Qt 6 needs the host's Qt tools of the same version,
# which is why the source is Debian's own 6.4.2 (the qt6-base-dev on the host).
# A finished install carries a stamp file; with the stamp present nothing is rebuilt.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

qt_version=6.4.2
target=x86_64-w64-mingw32
toolchain=$repo/cmake/mingw-w64.cmake

# The wintab.h header is gone from the dfsg source: no tablet events. In 6.4.2 the windows
# platform plugin needs OpenGL to compile; "desktop" loads opengl32 at run time.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_opengl=ON
    -DINPUT_opengl=desktop
    -DINPUT_libpng=qt
    -DINPUT_pcre=qt
    -DINPUT_freetype=qt
    -DINPUT_harfbuzz=qt
    -DFEATURE_system_zlib=OFF
)

cache=${XDG_CACHE_HOME:-$HOME/.cache}/vellicor
# The name changes with the options and the cross-compiler, so a changed build never reuses a stale one.
hash=$(printf '%s\n' "${options[@]}" "$(${target}-g++-posix -dumpversion 2>/dev/null || echo none)" |
    sha256sum | cut -c1-8)
prefix=$cache/qt-$qt_version-$target-static-$hash
stamp=$prefix/.vellicor-installed

if [ -f "$stamp" ]; then
    echo "Qt $qt_version for Windows: reusing $prefix"
    echo "$prefix"
    exit 0
fi

start=$(date +%s)
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
apt_env=(env DEBIAN_FRONTEND=noninteractive)

# apt-get source needs a deb-src line for the suite the binary packages come from.
if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q "^Version: $qt_version"; then
    list=/etc/apt/sources.list.d/vellicor-deb-src.sources
    if [ ! -f "$list" ]; then
        echo "Adding $list"
        printf '%s\n' \
            'Types: deb-src' \
            'URIs: http://deb.debian.org/debian' \
            'Suites: bookworm' \
            'Components: main' \
            'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
            "${sudo[@]}" tee "$list" >/dev/null
    fi
    "${sudo[@]}" "${apt_env[@]}" apt-get update -qq
fi

sources=$cache/qt6-base-source
mkdir -p "$sources"
tarball=$(ls "$sources"/qt6-base_${qt_version}*.orig.tar.xz 2>/dev/null | head -n1 || true)
if [ -z "$tarball" ]; then
    version=$(apt-cache showsrc qt6-base | sed -n "s/^Version: \($qt_version+.*\)/\1/p" | head -n1)
    (cd "$sources" && apt-get source --download-only "qt6-base=$version")
    tarball=$(ls "$sources"/qt6-base_${qt_version}*.orig.tar.xz | head -n1)
fi

work=$cache/qt-$qt_version-$target-build-$hash
src=$work/src
if [ ! -f "$src/CMakeLists.txt" ]; then
    rm -rf "$src"
    mkdir -p "$src"
    echo "Unpacking $(basename "$tarball")"
    tar -xJf "$tarball" -C "$src" --strip-components=1
fi

mkdir -p "$work/build"
cd "$work/build"
if [ ! -f build.ninja ]; then
    cmake -G Ninja "$src" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        "${options[@]}"
fi
# Everything but what the program never uses: the Direct2D platform plugin (a second copy of the
# windows one), the image format plugins (the themes are PNG, which Qt Gui reads itself) and the
# OpenGL widgets, about a fifth of the build. Their folders install nothing.
skipped=(src/plugins/platforms/direct2d src/plugins/imageformats src/openglwidgets)
targets() { # targets <folder>: its "all" target, or its sub-folders' when a skipped one lies inside
    local dir=$1 skip child
    for skip in "${skipped[@]}"; do
        [ "$skip" = "$dir" ] && return
    done
    for skip in "${skipped[@]}"; do
        if [[ $skip == "$dir"/* ]]; then
            for child in $(sed -n "s|^build \($dir/[^/:]*\)/all:.*|\1|p" build.ninja); do
                targets "$child"
            done
            return
        fi
    done
    echo "$dir/all"
}
mapfile -t wanted < <(targets src)
ninja "${wanted[@]}"
for skip in "${skipped[@]}"; do
    : >"$skip/cmake_install.cmake"
done
rm -rf "$prefix"
cmake --install . >/dev/null
touch "$stamp"
# The sources and objects are not needed any more: 2 GB back.
cd "$cache"
rm -rf "$work"

elapsed=$(($(date +%s) - start))
echo "Qt $qt_version for Windows built in $((elapsed / 60)) min $((elapsed % 60)) s: $prefix"
echo "$prefix"
