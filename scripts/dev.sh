#!/bin/bash
# Parvel developer entry point, for a Debian 12 machine, run as root.
#   scripts/dev.sh run    install what the program and its demo need, build the
#                         program, open it in a demo installation with its own
#                         Firebird server (needs a display)
#   scripts/dev.sh test   install what the tests need, build everything, run
#                         every test
#   scripts/dev.sh windows
#                         the Windows builds, with Qt for Windows built once and kept
#                         in /var/cache/parvel: the 32-bit program and its zip (what
#                         operators install), and a 64-bit build of the same sources
#                         whose tests run under Wine and whose zip is opened there
# Both are idempotent: packages already present are not fetched again.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PARVEL_BUILD_DIR:-$ROOT/build}"
WIN_BUILD="${PARVEL_WIN_BUILD_DIR:-$ROOT/build-win}"
WIN32_BUILD="${PARVEL_WIN32_BUILD_DIR:-$ROOT/build-win32}"

BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev librsvg2-bin
    libxcb1-dev qt6-translations-l10n openssl)
FIREBIRD_PACKAGES=(firebird3.0-server firebird3.0-utils libfbclient2 firebird-dev)
# The tests' Firebird 4 server runs in a minimal Debian trixie that its script
# makes once with debootstrap (scripts/firebird-test-server).
FIREBIRD4_PACKAGES=(debootstrap)
# Locales of Brazilian machines, which the tester's locale runs start under: the
# program keeps the language of the first and switches the second to UTF-8.
# Without them the C library falls back to C.UTF-8 and those runs fail.
TEST_LOCALES=("pt_BR.UTF-8 UTF-8" "pt_BR ISO-8859-1")
# The program operators install is 32-bit, like the RUV programs and the client
# library they load. The tests run a 64-bit build under a 64-bit Wine: machines of
# the kind CI runs on execute no 32-bit code at all (see DEVELOPERS.md).
WINDOWS_PACKAGES=(
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 xdotool xz-utils unzip xvfb xauth imagemagick firebird-dev
    # The program's icon packed from its SVG, and read back from the program.
    icoutils
    # Wine's compiler, for the tests' stand-ins of the Firebird client and its
    # service tool, which forward to the machine's 64-bit Linux client.
    wine64-tools
)

step() { printf '\n==> %s\n' "$*"; }
fail() {
    printf 'dev.sh: %s\n' "$*" >&2
    exit 1
}

install_packages() {
    step "packages: $*"
    "$ROOT/scripts/install-packages" "$@"
}

# configure, then build the targets named (all when none is)
build() {
    step "configure ($BUILD)"
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    local targets=()
    (($# == 0)) || targets=(--target "$@")
    step "build ${*:-everything}"
    cmake --build "$BUILD" -j "$(nproc)" "${targets[@]}"
}

# Qt aborts without a display; say so before anything starts.
need_display() {
    local hint="run it in a desktop session, or under a virtual display:
    apt-get install xvfb && xvfb-run -a scripts/dev.sh run"
    [[ -n ${DISPLAY:-} ]] || fail "no display (DISPLAY is not set): $hint"
    if [[ $DISPLAY =~ ^:([0-9]+) && ! -S /tmp/.X11-unix/X${BASH_REMATCH[1]} ]]; then
        fail "no X server answers on DISPLAY=$DISPLAY: $hint"
    fi
}

# An X server of our own for Wine, on the first free display; stopped on exit.
start_display() {
    local fifo
    fifo="$(mktemp -u)"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$(head -n1 "$fifo")"
    rm -f "$fifo"
    trap 'kill "$XVFB_PID" 2>/dev/null' EXIT
}

# run_suite FOLDER: the tests of the build in FOLDER (a suite without tests is an
# error, never a pass), then the tests it skipped, by name and with their reason.
run_suite() {
    local folder="$1" status=0
    (cd "$folder" && ctest --output-on-failure --no-tests=error -j "$(nproc)" \
        --output-log "$folder/ctest-console.log") || status=$?
    list_skipped "$folder"
    return "$status"
}

# CTest's own skips (a skip return code, a disabled test) from its summary, and
# QtTest's QSKIP lines ("SKIP   : Class::function(row) reason") from each test's
# output in LastTest.log.
list_skipped() {
    local folder="$1" skipped
    skipped="$(
        sed -n '/^The following tests did not run:/,/^$/s/^[[:space:]]*[0-9]* - \(.*\) (\(.*\))$/\1: \2/p' \
            "$folder/ctest-console.log" 2>/dev/null || true
        awk '/^[0-9]+\/[0-9]+ Test: / { name = $3 }
             /^SKIP   : / { sub(/^SKIP   : /, ""); print name ": " $0 }' \
            "$folder/Testing/Temporary/LastTest.log" 2>/dev/null || true
    )"
    step "skipped tests ($folder)"
    if [[ -n $skipped ]]; then
        printf '%s\n' "$skipped" | sed 's/^/skipped: /'
    else
        echo "none"
    fi
}

# windows_build ARCH FOLDER [CMAKE_ARGUMENTS...]: Qt for ARCH, then the build and
# its zip in FOLDER.
windows_build() {
    local arch="$1" folder="$2" qt
    shift 2
    step "Qt for Windows ($arch)"
    qt="$("$ROOT/scripts/qt-windows" "$arch" | tail -n1)"
    step "configure ($folder)"
    cmake -S "$ROOT" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-$arch.cmake" -DCMAKE_PREFIX_PATH="$qt" "$@"
    step "build ($arch)"
    cmake --build "$folder" -j "$(nproc)"
    step "package ($arch)"
    (cd "$folder" && cpack -G ZIP >/dev/null)
    ls -l "$folder"/parvel-*.zip
}

# The Linux tests that the Windows build leaves out (the README says why: most
# need the private Firebird server, which runs on Linux only).
windows_left_out() {
    [[ -d $BUILD ]] || return 0
    local names='s/^ *Test *#[0-9]*: //p'
    comm -23 <(ctest --test-dir "$BUILD" -N | sed -n "$names" | sort) \
        <(ctest --test-dir "$WIN_BUILD" -N | sed -n "$names" | sort) |
        sed 's/^/left out under Wine (Linux only): /'
}

# The zip unpacked into a fresh folder and the program opened from there under
# Wine until its main screen shows; a picture of it goes to
# $WIN_BUILD/parvel-wine.png. Wine's own font engine draws no text in line edits,
# so the program is told to use FreeType (a Qt option, not one of the program's).
windows_package_check() {
    step "the package under Wine"
    local unpacked zip
    zip="$(ls "$WIN_BUILD"/parvel-*-win64.zip)"
    unpacked="$(mktemp -d)"
    unzip -l "$zip"
    unzip -q "$zip" -d "$unpacked"
    # A prefix of its own: the tests' prefix sets the offscreen platform.
    local wine_env=(WINEPREFIX="$WIN_BUILD/wine-desktop" WINEDEBUG=-all
        WINEDLLOVERRIDES='mscoree,mshtml=')
    # Typed as "parvel", the prompt finds the console twin parvel.com first.
    echo "parvel --version, typed at a console in the unpacked folder:"
    (cd "$unpacked" && env "${wine_env[@]}" WINEPATH= wine cmd.exe /c parvel --version)
    env "${wine_env[@]}" WINEPATH= wine "$unpacked"/parvel.exe \
        -platform windows:fontengine=freetype &
    local app=$!
    if timeout 60 xdotool search --sync --onlyvisible --name 'Configura' >/dev/null; then
        sleep 3
        import -window root "$WIN_BUILD/parvel-wine.png"
        echo "main screen shown: $WIN_BUILD/parvel-wine.png"
    else
        echo "the main screen did not show within 60 s" >&2
        env "${wine_env[@]}" wineserver -k
        return 1
    fi
    env "${wine_env[@]}" wineserver -k
    wait "$app" 2>/dev/null || true
    rm -rf "$unpacked"
}

case "${1:-}" in
run)
    need_display
    install_packages "${BUILD_PACKAGES[@]}" "${FIREBIRD_PACKAGES[@]}"
    build parvel
    printf '\nIn the window, "Concluir" (Alt+C) proves the settings against the demo server\n'
    printf 'and writes "ruv.ini"; "Sair" or Esc closes it and stops the server.\n'
    "$ROOT/scripts/demo" "$BUILD" "${PARVEL_DEMO_PORT:-3055}" "$BUILD/src/app/parvel"
    ;;
test)
    install_packages "${BUILD_PACKAGES[@]}" "${FIREBIRD_PACKAGES[@]}" "${FIREBIRD4_PACKAGES[@]}"
    step "locales: ${TEST_LOCALES[*]}"
    "$ROOT/scripts/install-locales" "${TEST_LOCALES[@]}"
    build
    step "tests"
    run_suite "$BUILD"
    ;;
windows)
    install_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
    windows_build i686 "$WIN32_BUILD" -DBUILD_TESTING=OFF
    windows_build x86_64 "$WIN_BUILD"
    # Read, never run: the 32-bit package cannot run on the machines CI uses.
    step "the packages' files and the libraries they load"
    "$ROOT/scripts/windows-package-check" "$WIN32_BUILD"/parvel-*-win32.zip \
        "$WIN_BUILD"/parvel-*-win64.zip
    start_display
    step "tests under Wine"
    run_suite "$WIN_BUILD"
    windows_left_out
    windows_package_check
    ;;
*)
    echo "usage: $0 run|test|windows" >&2
    exit 2
    ;;
esac
