#!/bin/bash
# CTest's CMAKE_CROSSCOMPILING_EMULATOR for the Windows build:
#   wine-run.sh QT_PREFIX PROGRAM.exe [ARGS...]
# runs the program under Wine with the Qt built for Windows, headless.
set -eu

qt=$1
shift

# Unix paths as Wine's drive Z: shows them.
windows_path() {
    local p=${1//\//\\}
    echo "Z:$p"
}

# Prepared by build.sh (wineboot -i) beside the Qt build, shared by the tests.
export WINEPREFIX=${WINEPREFIX:-$(dirname "$qt")/wine}
export WINEDEBUG=-all
# Qt's DLLs and the mingw runtime (libstdc++, libgcc_s, winpthread); Qt finds
# its plugins and translations relative to Qt6Core.dll.
WINEPATH=$(windows_path "$qt/bin")
for dll in libstdc++-6.dll libwinpthread-1.dll; do
    dir=$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")
    WINEPATH+=";$(windows_path "$dir")"
done
export WINEPATH

# Wine passes no QT_* variable to the program; WINEQT_* arrives as QT_*.
for name in $(compgen -e); do
    case $name in
        QT_*) export "WINE$name=${!name}" ;;
    esac
done
# Without a console QtTest on Windows writes its results to the debugger.
export WINEQT_FORCE_STDERR_LOGGING=1
# The offscreen platform on Windows finds fonts only in a folder named here.
export WINEQT_QPA_FONTDIR="$(windows_path /usr/share/fonts/truetype/liberation)"

# wineserver and the other helpers outlive the program and would hold CTest's
# pipe open, so the program's output goes through a file.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
/usr/lib/wine/wine64 "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit "$status"
