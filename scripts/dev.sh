#!/bin/bash
# Parvel developer entry point, for a Debian 12 machine, run as root.
#   scripts/dev.sh run    install what is needed, build, open the program
#   scripts/dev.sh test   install what is needed, build, run every test
# Both are idempotent: packages already present are not fetched again.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PARVEL_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-svg-dev libqt6svg6
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

case "${1:-}" in
run)
    install_packages
    build
    step "open Parvel"
    exec "$BUILD/src/app/parvel"
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
