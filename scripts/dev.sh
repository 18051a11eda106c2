#!/bin/bash
# Parvel developer entry point, for a Debian 12 machine, run as root.
#   scripts/dev.sh run    install what is needed, build, open the program in a
#                         demo installation with its own Firebird server
#   scripts/dev.sh test   install what is needed, build, run every test
# Both are idempotent: packages already present are not fetched again.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PARVEL_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev librsvg2-bin libxcb1-dev
    firebird3.0-server firebird3.0-utils libfbclient2 firebird-dev
    clang libclang-rt-14-dev
    xvfb xauth imagemagick time iproute2
)

step() { printf '\n==> %s\n' "$*"; }

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
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
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
