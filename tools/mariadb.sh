# Sourced by test.sh: a throw-away MariaDB server on 127.0.0.1 and a free port, its data in a
# folder of its own under /tmp. Exports ROWCART_MARIADB_HOST, _PORT, _USER and _SOCKET for the
# ODBC tests and benchmarks. Needs pgcluster_free_port from tools/pgcluster.sh.
mariadb_start() {
    local server=/usr/sbin/mariadbd
    if [ ! -x "$server" ] || ! command -v mariadb-install-db >/dev/null; then
        echo "MariaDB server not found; MariaDB tests will be skipped"
        return 0
    fi
    MARIADB_DIR=$(mktemp -d /tmp/rowcart-mariadb.XXXXXX)
    local as_user=()
    if [ "$(id -u)" -eq 0 ]; then
        chown mysql: "$MARIADB_DIR"
        as_user=(--user=mysql)
    fi
    if ! mariadb-install-db --no-defaults --datadir="$MARIADB_DIR/data" "${as_user[@]}" \
        --auth-root-authentication-method=normal --skip-test-db >"$MARIADB_DIR/install.log" 2>&1
    then
        echo "MariaDB data folder could not be made (see $MARIADB_DIR/install.log); MariaDB tests will be skipped"
        return 0
    fi
    local port
    port=$(pgcluster_free_port)
    # Double quotes name identifiers, as in the other engines; text compares by its bytes.
    "$server" --no-defaults --datadir="$MARIADB_DIR/data" "${as_user[@]}" \
        --bind-address=127.0.0.1 --port="$port" --socket="$MARIADB_DIR/socket" \
        --pid-file="$MARIADB_DIR/pid" --log-error="$MARIADB_DIR/log" \
        --sql-mode=ANSI_QUOTES,STRICT_TRANS_TABLES,NO_ENGINE_SUBSTITUTION \
        --character-set-server=utf8mb4 --collation-server=utf8mb4_bin --local-infile=1 \
        --innodb-flush-log-at-trx-commit=0 --innodb-buffer-pool-size=128M \
        --skip-name-resolve >/dev/null 2>&1 &
    local i up=0
    for i in $(seq 1 60); do
        if mariadb-admin --no-defaults --protocol=tcp -h 127.0.0.1 -P "$port" -u root ping \
            >/dev/null 2>&1; then
            up=1
            break
        fi
        sleep 0.5
    done
    if [ "$up" -eq 0 ]; then
        echo "MariaDB test server did not start; MariaDB tests will be skipped"
        return 0
    fi
    export ROWCART_MARIADB_HOST=127.0.0.1 ROWCART_MARIADB_PORT=$port ROWCART_MARIADB_USER=root
    export ROWCART_MARIADB_SOCKET=$MARIADB_DIR/socket
    echo "MariaDB test server on 127.0.0.1:$port"
}

mariadb_stop() {
    [ -n "${MARIADB_DIR:-}" ] || return 0
    if [ -f "$MARIADB_DIR/pid" ]; then
        local pid
        pid=$(cat "$MARIADB_DIR/pid")
        kill "$pid" 2>/dev/null || true
        local i
        for i in $(seq 1 40); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.25
        done
        kill -9 "$pid" 2>/dev/null || true
    fi
    rm -rf "$MARIADB_DIR"
}
