# Sourced by test.sh: a throw-away PostgreSQL cluster on 127.0.0.1 and a free port.
# Exports ROWCART_PG_PORT and ROWCART_PG_HOST for the tests that need a server.
pgcluster_start() {
    local bin
    bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$bin" ]; then
        echo "PostgreSQL server binaries not found; PostgreSQL tests will be skipped"
        return 0
    fi
    PGCLUSTER_DIR=$(mktemp -d /tmp/rowcart-pg.XXXXXX)
    local run=()
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres: "$PGCLUSTER_DIR"
        run=(runuser -u postgres --)
    fi
    PGCLUSTER_RUN=("${run[@]}")
    "${run[@]}" "$bin/initdb" -D "$PGCLUSTER_DIR/data" -U rowcart -A trust --no-sync -E UTF8 \
        --locale=C.UTF-8 >/dev/null
    local port
    port=$(pgcluster_free_port)
    "${run[@]}" "$bin/pg_ctl" -D "$PGCLUSTER_DIR/data" -l "$PGCLUSTER_DIR/log" -w -s \
        -o "-h 127.0.0.1 -p $port -k $PGCLUSTER_DIR -c fsync=off -c full_page_writes=off" start
    PGCLUSTER_BIN=$bin
    export ROWCART_PG_HOST=127.0.0.1 ROWCART_PG_PORT=$port ROWCART_PG_USER=rowcart
    export ROWCART_PG_BIN=$bin ROWCART_PG_DATA=$PGCLUSTER_DIR/data
    echo "PostgreSQL test cluster on 127.0.0.1:$port"
}

pgcluster_stop() {
    [ -n "${PGCLUSTER_DIR:-}" ] || return 0
    "${PGCLUSTER_RUN[@]}" "$PGCLUSTER_BIN/pg_ctl" -D "$PGCLUSTER_DIR/data" -m immediate -s stop \
        >/dev/null 2>&1 || true
    rm -rf "$PGCLUSTER_DIR"
}

pgcluster_free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 30000))
        # A refused connection means nobody listens there.
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
    done
}
