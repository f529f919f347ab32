#!/usr/bin/env bash
# Installs what is missing, builds, starts a throw-away PostgreSQL and MariaDB on loopback and runs
# every test. --sanitize: the same in build-sanitize/, built by clang with ASan + UBSan (and the
# fuzz targets); any sanitizer report fails its test.
set -euo pipefail
ROWCART_ROOT=$(cd "$(dirname "$0")" && pwd)
cd "$ROWCART_ROOT"
source tools/deps.sh
rowcart_install_deps
build=build
if [ "${1:-}" = --sanitize ]; then
    build=build-sanitize
    rowcart_build "$build" Debug -DCMAKE_CXX_COMPILER=clang++ -DROWCART_FUZZ=ON
    export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$ROWCART_ROOT/tools/lsan.supp:print_suppressions=0
else
    rowcart_build "$build" Debug
fi

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

source tools/pgcluster.sh
source tools/mariadb.sh
trap 'pgcluster_stop; mariadb_stop' EXIT
pgcluster_start
mariadb_start

cd "$build"
ctest --output-on-failure -j "$(nproc)"
