# Shared by scripts/run and scripts/test: install what is missing, then configure and build.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${VL48_BUILD_DIR:-$ROOT/build}

# Debian packages the project needs to build, test and show its window, to compile and check its
# translations (qt6-tools-dev, qt6-l10n-tools: lupdate, lrelease), and to check what it installs
# (desktop-file-validate, appstreamcli).
PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev
          qt6-tools-dev qt6-l10n-tools libgl-dev libgtest-dev googletest xvfb xauth
          fonts-dejavu-core desktop-file-utils appstream)
# What the sanitized and the fuzzing builds need on top: clang with its sanitizer and libFuzzer
# runtimes, and llvm-symbolizer (package llvm) for readable stack traces in the reports.
SANITIZER_PACKAGES=(clang libclang-rt-14-dev llvm)

# Installs the packages named (default: PACKAGES) that are missing.
ensure_packages() {
    local wanted=("$@") missing=() p
    [ ${#wanted[@]} -eq 0 ] && wanted=("${PACKAGES[@]}")
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

build() {
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$BUILD_DIR"
}
