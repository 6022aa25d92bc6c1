#!/bin/bash
# Cross-builds Kelvaro for Windows on Debian 12 (as root) and runs its tests
# under Wine. Qt for Windows is built once into a cache outside the work tree.
#   packaging/windows/build.sh               every stage: deps qt configure build
#                                            test package try
#   packaging/windows/build.sh build test    only the stages named, in order
# KELVARO_WINDOWS_CACHE moves the cache (default /var/cache/kelvaro-windows).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
toolchain=$here/mingw-w64-x86_64.cmake
cache=${KELVARO_WINDOWS_CACHE:-/var/cache/kelvaro-windows}
jobs=$(nproc)

packages=(
    cmake ninja-build perl dpkg-dev xz-utils
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n fonts-liberation
    wine wine64 fonts-wine
    nsis zip unzip xvfb xauth imagemagick
)

# Only what the program uses. OpenGL goes off through INPUT_opengl: the
# feature alone leaves dynamic OpenGL on, and the Windows plugin then fails to
# compile. Debian's +dfsg source has no wintab.h, hence no tablet events.
# Without Direct2D Qt 6.4 leaves the DirectWrite font database out of Qt Gui,
# which qwindows.dll needs.
qt_options=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DFEATURE_pkg_config=OFF
    -DINPUT_opengl=no
    -DFEATURE_vulkan=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_androiddeployqt=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_direct2d=ON
    -DFEATURE_direct2d1_1=OFF
)

# Private apt state: a deb-src twin of the system's own entries, so that the
# system's lists stay as they are.
apt_dir=$cache/apt
apt_private() {
    apt-get -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" -o Dir::Etc::SourceList=/dev/null \
        -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" "$@"
}

stage_deps() {
    if dpkg -s "${packages[@]}" >/dev/null 2>&1; then
        echo "all packages present"
        return
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${packages[@]}"
}

# Sets qt_version (Debian's, the same as the host tools'), qt_prefix and
# qt_key, which names what the build depends on.
find_qt() {
    qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
    qt_key=$(printf '%s\n' "qtbase $qt_version" "${qt_options[@]}" \
        "$(dpkg-query -W -f='${Package} ${Version}\n' g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev)" \
        "$(cat "$toolchain")")
    local hash
    hash=$(printf '%s' "$qt_key" | sha256sum | cut -c1-12)
    qt_prefix=$cache/qt-${qt_version%%[+-]*}-$hash
}

# Debian's qt6-base source of that version, downloaded once into the cache.
fetch_qt_source() {
    local dir=$cache/source/qt6-base-$qt_version
    qt_dsc=$dir/qt6-base_${qt_version#*:}.dsc
    [ -f "$qt_dsc" ] && return
    rm -rf "$apt_dir/sources.list.d"
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    local list
    for list in /etc/apt/sources.list.d/*.sources; do
        grep -q '^Suites:.*\bbookworm\b' "$list" || continue
        sed -E 's/^Types:.*/Types: deb-src/' "$list" >"$apt_dir/sources.list.d/$(basename "$list")"
    done
    if [ -z "$(ls "$apt_dir/sources.list.d")" ]; then
        echo "no deb822 entry for bookworm in /etc/apt/sources.list.d to take the sources from" >&2
        return 1
    fi
    apt_private update
    rm -rf "$dir.part"
    mkdir -p "$dir.part"
    chown _apt "$dir.part" 2>/dev/null || true
    (cd "$dir.part" && apt_private source --download-only "qt6-base=$qt_version")
    mv "$dir.part" "$dir"
}

stage_qt() {
    find_qt
    if [ -f "$qt_prefix/.built" ]; then
        echo "Qt $qt_version for Windows: $qt_prefix"
        return
    fi
    fetch_qt_source
    local work=$qt_prefix.work
    rm -rf "$qt_prefix" "$work"
    mkdir -p "$work"
    # Its signature cannot be checked without Debian's keyring (apt checked
    # the files against the signed index); the warning would only be noise.
    dpkg-source -x "$qt_dsc" "$work/src" >"$work/unpack.log" 2>&1 || { cat "$work/unpack.log"; return 1; }
    cmake -S "$work/src" -B "$work/build" "${qt_options[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$qt_prefix"
    cmake --build "$work/build" --parallel "$jobs"
    cmake --install "$work/build"
    # Qt's translations are the same on every system.
    mkdir -p "$qt_prefix/translations"
    cp /usr/share/qt6/translations/qtbase_ru.qm "$qt_prefix/translations/"
    rm -rf "$work"
    # Last, so that an interrupted build is never taken for a finished one.
    printf '%s\n' "$qt_key" >"$qt_prefix/.built"
    # Builds with other options or versions are of no further use.
    find "$cache" -mindepth 1 -maxdepth 1 -name 'qt-*' ! -name "$(basename "$qt_prefix")" -exec rm -rf {} +
    echo "Qt $qt_version for Windows: $qt_prefix ($(du -sh "$qt_prefix" | cut -f1))"
}

stage_configure() {
    find_qt
    KELVARO_WINDOWS_QT=$qt_prefix cmake --preset windows
}

stage_build() {
    cmake --build --preset windows --parallel "$jobs"
}

# A new Wine prefix. No Mono or Gecko: nothing here needs them, and Wine
# would try to download them.
make_prefix() {
    export WINEPREFIX=$1 WINEDEBUG=-all
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d" wineboot -i >/dev/null 2>&1
    wineserver -w
}

# One Wine prefix beside the Qt build, made once; the tests share it.
init_wine() {
    export WINEPREFIX=$cache/wine WINEDEBUG=-all
    [ -f "$WINEPREFIX/.initialised" ] && return
    make_prefix "$WINEPREFIX"
    touch "$WINEPREFIX/.initialised"
}

stage_test() {
    find_qt
    init_wine
    local status=0
    ctest --preset windows || status=$?
    # Lets Wine's helpers go now rather than outlive the run.
    wineserver -w
    return "$status"
}

stage_package() {
    rm -f build-windows/kelvaro-*-win64.zip build-windows/kelvaro-*-win64-setup.exe
    (cd build-windows && cpack -C Release)
    ls -l build-windows/kelvaro-*-win64.zip build-windows/kelvaro-*-win64-setup.exe
}

# A playlist with Cyrillic names, in a folder whose name has Cyrillic letters
# and a space.
make_playlist() {
    mkdir -p "$1"
    {
        printf '#EXTM3U\r\n'
        local i
        for i in $(seq 1 140); do
            printf '#EXTINF:-1 group-title="Эфир",Канал номер %d\r\nhttp://example.invalid/%d.m3u8\r\n' "$i" "$i"
        done
    } >"$1/список каналов.m3u"
}

# Runs the program on the playlist until its working copy is whole (the
# playlist has loaded), then ends it. The working copy is looked for in the
# temporary folder, which has a Cyrillic name and a space too.
try_program() {
    local program=$1 playlist=$2 temp=$3 log=$4
    rm -rf "$temp"
    mkdir -p "$temp"
    # The packages hold the windows platform only, as Windows needs: the
    # program gets a display of its own.
    WINEQT_FORCE_STDERR_LOGGING=1 xvfb-run -a -s '-screen 0 1280x1024x24' \
        /usr/lib/wine/wine64 "$program" "$(windows_path "$playlist")" >"$log" 2>&1 &
    local copy= i
    for i in $(seq 1 60); do
        copy=$(find "$temp" -name temp.kelv -size +8k 2>/dev/null | head -n1)
        [ -n "$copy" ] && grep -q 'Канал номер 140' "$copy" && break
        copy=
        sleep 1
    done
    wineserver -k || true
    wait || true
    if [ -z "$copy" ]; then
        echo "$program did not load the playlist:" >&2
        cat "$log" >&2
        return 1
    fi
    echo "$program loaded the playlist ($(grep -c EXTINF "$copy") channels)"
}

windows_path() {
    local p=${1//\//\\}
    echo "Z:$p"
}

# The packages as a user takes them: the zip unpacked into a folder with a
# Cyrillic name, the installer run silently, the installed program started
# and uninstalled again; in a Wine prefix of its own.
stage_try() {
    local work=$cache/try
    rm -rf "$work"
    make_prefix "$work/wine"
    local temp="$work/Временные файлы"
    /usr/lib/wine/wine64 reg add 'HKCU\Environment' /v TEMP /d "$(windows_path "$temp")" /f >/dev/null
    /usr/lib/wine/wine64 reg add 'HKCU\Environment' /v TMP /d "$(windows_path "$temp")" /f >/dev/null
    wineserver -w
    make_playlist "$work/Мои плейлисты"
    local playlist="$work/Мои плейлисты/список каналов.m3u"

    local portable="$work/Программы Kelvaro"
    mkdir -p "$portable"
    (cd "$portable" && unzip -q "$source_dir"/build-windows/kelvaro-*-win64.zip)
    try_program "$(ls -d "$portable"/kelvaro-*-win64)/kelvaro.exe" "$playlist" "$temp" "$work/portable.log"

    /usr/lib/wine/wine64 "$source_dir"/build-windows/kelvaro-*-win64-setup.exe /S
    wineserver -w
    local installed=$WINEPREFIX/drive_c/Program\ Files/Kelvaro
    [ -f "$installed/kelvaro.exe" ] || { echo "the installer put no kelvaro.exe into $installed" >&2; return 1; }
    /usr/lib/wine/wine64 reg query 'HKLM\Software\Classes\Kelvaro.Playlist\shell\open\command' | grep -q kelvaro.exe \
        || { echo "no \"Open with\" entry" >&2; return 1; }
    ls "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kelvaro/"*.lnk >/dev/null \
        || { echo "no Start menu entry" >&2; return 1; }
    try_program "$installed/kelvaro.exe" "$playlist" "$temp" "$work/installed.log"

    /usr/lib/wine/wine64 "$installed/Uninstall.exe" /S
    wineserver -w
    local i
    for i in $(seq 1 30); do
        [ -e "$installed/kelvaro.exe" ] || break
        sleep 1
    done
    [ ! -e "$installed/kelvaro.exe" ] || { echo "the uninstaller left $installed/kelvaro.exe" >&2; return 1; }
    ! /usr/lib/wine/wine64 reg query 'HKLM\Software\Classes\Kelvaro.Playlist' >/dev/null 2>&1 \
        || { echo "the uninstaller left the \"Open with\" entry" >&2; return 1; }
    wineserver -w
    rm -rf "$work"
    echo "zip, installer and uninstaller work"
}

# docs/screenshot-windows.png and -150.png: the portable program under Wine's
# own display driver on Xvfb, at 96 and at 144 dots per inch. Not among the
# default stages; run it when the window changes.
stage_screenshots() {
    local work=$cache/screenshots
    rm -rf "$work"
    make_prefix "$work/wine"
    make_playlist "$work/Мои плейлисты"
    (cd "$work" && unzip -q "$source_dir"/build-windows/kelvaro-*-win64.zip)
    local program dpi name
    program=$(ls -d "$work"/kelvaro-*-win64)/kelvaro.exe
    for dpi in 96 144; do
        name=screenshot-windows.png
        [ "$dpi" = 96 ] || name=screenshot-windows-150.png
        xvfb-run -a -s '-screen 0 1400x1000x24' bash -c '
            set -eu
            /usr/lib/wine/wine64 reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$3" /f >/dev/null
            wineserver -w
            /usr/lib/wine/wine64 "$1" "$2" >/dev/null 2>&1 &
            sleep 25
            import -window root "$4"
            wineserver -k || true
        ' _ "$program" "$(windows_path "$work/Мои плейлисты/список каналов.m3u")" "$dpi" "$work/$name"
        convert "$work/$name" -trim +repage "$source_dir/docs/$name"
        echo "docs/$name"
    done
    rm -rf "$work"
}

run_stage() {
    stage=$1 stage_start=$SECONDS
    echo "== $stage"
    "stage_$stage"
    echo "== $stage: $((SECONDS - stage_start)) s"
    stage=
}
trap '[ -z "${stage:-}" ] || echo "== $stage: failed after $((SECONDS - stage_start)) s"' EXIT

# The presets are read from the current folder.
cd "$source_dir"

stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(deps qt configure build test package try)
for name in "${stages[@]}"; do
    run_stage "$name"
done
