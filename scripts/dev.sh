#!/bin/bash
# Parvel developer entry point, for a Debian 12 machine, run as root.
#   scripts/dev.sh run    install what is needed, build, open the program in a
#                         demo installation with its own Firebird server
#   scripts/dev.sh test   install what is needed, build, run every test
#   scripts/dev.sh windows
#                         the Windows build: Qt for Windows (built once, kept in
#                         /var/cache/parvel), the program and its tests cross-built,
#                         the tests run under Wine, the zip made and opened under Wine
# Both are idempotent: packages already present are not fetched again.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PARVEL_BUILD_DIR:-$ROOT/build}"
WIN_BUILD="${PARVEL_WIN_BUILD_DIR:-$ROOT/build-win}"

PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev librsvg2-bin libxcb1-dev
    firebird3.0-server firebird3.0-utils libfbclient2 firebird-dev
    clang libclang-rt-14-dev
    xvfb xauth imagemagick time iproute2
)
WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 xdotool xz-utils unzip
)

step() { printf '\n==> %s\n' "$*"; }

install_packages() { # [extra packages...]
    local missing=()
    for p in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if ((${#missing[@]} == 0)); then
        step "packages: all present"
        return
    fi
    step "packages: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    # The server package must not start a system-wide server of its own: the tests
    # and the demo run private servers on their own ports.
    printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d && chmod +x /usr/sbin/policy-rc.d
    apt-get install -y -q --no-install-recommends "${missing[@]}"
    rm -f /usr/sbin/policy-rc.d
}

build() {
    step "configure ($BUILD)"
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    step "build"
    cmake --build "$BUILD" -j "$(nproc)"
}

# The demo: the program in a folder of its own beside a "ruv.ini" that points at a
# private Firebird server on 127.0.0.1 (PARVEL_DEMO_PORT, default 3055), laid out
# as an installation in DEMO/Firebird_2_5 with the three databases. "&Concluir"
# proves the settings against it and writes the file. The server stops with the
# program.
demo() {
    local demo="${PARVEL_DEMO_DIR:-$BUILD/demo}" port="${PARVEL_DEMO_PORT:-3055}"
    # The saves cut the installation root at the first "BIN" of the folder text.
    if [[ ${demo^^} == *BIN* ]]; then demo=/tmp/parvel-demo; fi
    local root="$demo/Firebird_2_5" app="$demo/app"
    step "demo Firebird server ($root, 127.0.0.1:$port)"
    "$ROOT/scripts/firebird-installation" start "$root" "$port"
    # shellcheck disable=SC2064 # the folder is fixed now; the trap runs after return
    trap "'$ROOT/scripts/firebird-installation' stop '$root'" EXIT
    trap 'exit 130' INT TERM
    rm -rf "$app" && mkdir -p "$app"
    cp "$BUILD/src/app/parvel" "$app/parvel"
    printf '%s\r\n' "[RUV]" "Servidor=127.0.0.1" "ServidorTabDef=127.0.0.1" \
        "SO_Servidor=LINUX" "SO_ServidorTabDef=LINUX" \
        "Caminho_Base_Dados=$root/data/" "Caminho_TabDef=$root/data/" \
        "Diretorio_Servidor=$app/" "CaminhoDLLCON=$root/bin/" "PORTACON=$port" \
        "IPDS=127.0.0.1" "IPNET=127.0.0.1" \
        "[RUV_ANEXO]" "Servidor=127.0.0.1" "Caminho_Base_Dados=$root/data/" >"$app/ruv.ini"
    step "open Parvel ($app): press \"&Concluir\""
    "$app/parvel"
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

windows_build() {
    step "Qt for Windows"
    local qt
    qt="$("$ROOT/scripts/qt-windows" | tail -n1)"
    step "configure ($WIN_BUILD)"
    cmake -S "$ROOT" -B "$WIN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$qt"
    step "build"
    cmake --build "$WIN_BUILD" -j "$(nproc)"
    step "package"
    (cd "$WIN_BUILD" && cpack -G ZIP >/dev/null)
    ls -l "$WIN_BUILD"/parvel-*-win64.zip
}

# The Linux tests that the Windows build leaves out: they need the private
# Firebird server (or its installation), which runs on Linux only.
windows_left_out() {
    [[ -d $BUILD ]] || return 0
    local names='s/^ *Test *#[0-9]*: //p'
    comm -23 <(ctest --test-dir "$BUILD" -N | sed -n "$names" | sort) \
        <(ctest --test-dir "$WIN_BUILD" -N | sed -n "$names" | sort) |
        sed 's/^/left out under Wine (needs the Firebird server, Linux only): /'
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
    unzip -q "$zip" -d "$unpacked"
    local wine_env=(WINEPREFIX="$WIN_BUILD/wine" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=')
    env "${wine_env[@]}" WINEPATH= wine "$unpacked"/parvel-*/parvel.exe \
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
    install_packages
    build
    demo
    ;;
test)
    install_packages
    build
    step "tests"
    cd "$BUILD"
    ctest --output-on-failure -j "$(nproc)"
    ;;
windows)
    install_packages "${WINDOWS_PACKAGES[@]}"
    windows_build
    start_display
    step "tests under Wine"
    (cd "$WIN_BUILD" && ctest --output-on-failure -j "$(nproc)")
    windows_left_out
    windows_package_check
    ;;
*)
    echo "usage: $0 run|test|windows" >&2
    exit 2
    ;;
esac
