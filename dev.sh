#!/usr/bin/env bash
# Tolvane developer entry point.
#   ./dev.sh run    build and start Tolvane
#   ./dev.sh test   build and run every test (unit, QML, X11, system, fuzz regression)
#   ./dev.sh bench  build and print the benchmark tables
#   ./dev.sh package  build and make the Debian package build/tolvane_<version>_<arch>.deb
# Each installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
BUILD_DIR=${TOLVANE_BUILD_DIR:-build}

PACKAGES_BUILD=(
    build-essential cmake ninja-build pkg-config clang
    libxdamage-dev qtbase5-dev qtbase5-dev-tools qtdeclarative5-dev qtdeclarative5-dev-tools qtquickcontrols2-5-dev
    libqt5websockets5-dev libqt5x11extras5-dev qttools5-dev-tools
    qml-module-qtquick2 qml-module-qtquick-controls2 qml-module-qtquick-layouts
    qml-module-qtquick-window2 qml-module-qtquick-templates2 qml-module-qtgraphicaleffects
    qml-module-qtqml-models2
    libx11-dev libxtst-dev libxcb-xfixes0-dev libxcb-res0-dev libprotobuf-dev protobuf-compiler libssl-dev
    libkf5guiaddons-dev libwayland-dev libxkbcommon-dev qtwayland5
    fonts-roboto fonts-font-awesome fonts-noto-cjk python3-fontforge librsvg2-bin
    adwaita-icon-theme hicolor-icon-theme libgl1-mesa-dri
)
PACKAGES_TEST=(
    qml-module-qttest xvfb xauth openbox xdotool xclip x11-utils imagemagick
    dbus dbus-x11 libclang-rt-14-dev trayer iproute2 netcat-openbsd tcpdump
    mousepad xterm xfce4-terminal pcmanfm
    sway wl-clipboard wtype tesseract-ocr tesseract-ocr-eng
    kwin-wayland xdg-desktop-portal xdg-desktop-portal-kde mutter xwayland
    desktop-file-utils appstream lintian clang-format
)
# What cpack -G DEB runs: dpkg-shlibdeps, and file to find the binaries.
PACKAGES_DEB=(dpkg-dev file)

ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    # ccache, where a developer has it, makes rebuilds across checkouts cheap.
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # TOLVANE_WERROR=ON (CI sets it) turns compiler warnings into errors.
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
        -DTOLVANE_WERROR="${TOLVANE_WERROR:-OFF}" >/dev/null
    cmake --build "$BUILD_DIR"
}

# Sourced (by bench/compare) for the package lists and the build step alone.
[ "${BASH_SOURCE[0]}" != "$0" ] && return 0

case "${1:-}" in
run)
    ensure_packages "${PACKAGES_BUILD[@]}"
    build
    exec "$BUILD_DIR/bin/tolvane"
    ;;
test)
    ensure_packages "${PACKAGES_BUILD[@]}" "${PACKAGES_TEST[@]}" "${PACKAGES_DEB[@]}"
    # CI (TOLVANE_CHECK_FORMAT=ON) first checks the formatting of the files the branch changed.
    [ "${TOLVANE_CHECK_FORMAT:-OFF}" = ON ] && tools/check_format.sh
    build
    exec tests/run-in-session.sh ctest --test-dir "$BUILD_DIR" --output-on-failure \
        --no-tests=error -j"$(nproc)" "${@:2}"
    ;;
bench)
    ensure_packages "${PACKAGES_BUILD[@]}" "${PACKAGES_TEST[@]}"
    build
    exec tests/run-in-session.sh "$BUILD_DIR/bin/tolvane_bench" "${@:2}"
    ;;
package)
    ensure_packages "${PACKAGES_BUILD[@]}" "${PACKAGES_DEB[@]}"
    build
    cd "$BUILD_DIR"
    exec cpack -G DEB
    ;;
*)
    echo "usage: $0 run|test|bench|package" >&2
    exit 2
    ;;
esac
