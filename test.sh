#!/usr/bin/env bash
# Installs what is missing, builds, starts a throw-away PostgreSQL and MariaDB on loopback and runs
# every test.
set -euo pipefail
ROWCART_ROOT=$(cd "$(dirname "$0")" && pwd)
cd "$ROWCART_ROOT"
source tools/deps.sh
rowcart_install_deps
rowcart_build build Debug

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

source tools/pgcluster.sh
source tools/mariadb.sh
trap 'pgcluster_stop; mariadb_stop' EXIT
pgcluster_start
mariadb_start

cd build
ctest --output-on-failure -j "$(nproc)"
