# Shared by scripts/run and scripts/test: install what is missing, then configure and build.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${VL48_BUILD_DIR:-$ROOT/build}

# Debian packages the project needs to build, test and show its window, to compile and check its
# translations (qt6-tools-dev, qt6-l10n-tools: lupdate, lrelease), and to check what it installs
# (desktop-file-validate, appstreamcli), and for the records database Qt SQL's SQLite and
# PostgreSQL drivers with a PostgreSQL server that the tests start themselves; Qt Charts for the
# window's trend of the readings, help2man for the manual pages made from the programs' --help,
# and man-db (man, lexgrog; groff with it) to check that they render: it is only "standard",
# absent from minimal systems and containers.
PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev
          qt6-tools-dev qt6-l10n-tools libgl-dev libgtest-dev googletest xvfb xauth
          fonts-dejavu-core desktop-file-utils appstream libqt6sql6-sqlite libqt6sql6-psql
          postgresql poppler-utils qt6-charts-dev help2man man-db)
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

# A PostgreSQL server of the tests' own: a cluster in a temporary folder, listening only on a Unix
# socket in that folder (no TCP port, so nothing else on the machine can reach it or clash with
# it), run as the unprivileged postgres user when the tests run as root (the server refuses to
# run as root). Its superuser is vl48, trusted on that socket. Exports VL48_TEST_PGHOST (the
# socket's folder), VL48_TEST_PGDATA and VL48_TEST_PGBIN, which the records tests use to
# reach, stop and start it; stop_test_postgres ends it and removes the folder.
start_test_postgres() {
    local bin
    bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
    [ -x "$bin/initdb" ] || { echo "PostgreSQL's initdb is not installed"; return 1; }
    PG_TEST_DIR=$(mktemp -d /tmp/vl48-pg.XXXXXX)
    chmod 755 "$PG_TEST_DIR"
    local as=()
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres: "$PG_TEST_DIR"
        as=(runuser -u postgres --)
    fi
    "${as[@]}" "$bin/initdb" -D "$PG_TEST_DIR/data" -U vl48 --auth=trust -E UTF8 \
        --no-instructions >"$PG_TEST_DIR/initdb.log" 2>&1 ||
        { cat "$PG_TEST_DIR/initdb.log"; return 1; }
    "${as[@]}" "$bin/pg_ctl" -D "$PG_TEST_DIR/data" -l "$PG_TEST_DIR/server.log" -w \
        -o "-c listen_addresses='' -c unix_socket_directories='$PG_TEST_DIR' -c port=5432" \
        start >/dev/null || { cat "$PG_TEST_DIR/server.log"; return 1; }
    export VL48_TEST_PGHOST=$PG_TEST_DIR VL48_TEST_PGDATA=$PG_TEST_DIR/data VL48_TEST_PGBIN=$bin
    echo "PostgreSQL for the tests: socket in $PG_TEST_DIR"
}

stop_test_postgres() {
    [ -n "${PG_TEST_DIR:-}" ] || return 0
    local as=()
    [ "$(id -u)" -eq 0 ] && as=(runuser -u postgres --)
    "${as[@]}" "$VL48_TEST_PGBIN/pg_ctl" -D "$PG_TEST_DIR/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$PG_TEST_DIR"
    PG_TEST_DIR=
}
