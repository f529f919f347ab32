# Sourced by run.sh and test.sh: installs the Debian packages Rowcart needs when any is missing.
rowcart_packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins
    libgtest-dev librapidcheck-dev libsqlite3-dev libpq-dev xvfb xauth poppler-utils imagemagick
    fonts-dejavu-core postgresql unixodbc-dev libsqliteodbc odbc-postgresql odbc-mariadb
    mariadb-server mariadb-client clang libclang-rt-dev sqlite3 firebird3.0-utils
    firebird3.0-server-core scdoc librsvg2-bin desktop-file-utils bash-completion dpkg-dev)

rowcart_install_deps() {
    local missing=()
    for p in "${rowcart_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# rowcart_configure DIR TYPE [CMAKE OPTION...]
rowcart_configure() {
    local dir=$1 type=$2
    shift 2
    cmake -S "$ROWCART_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
}

# rowcart_build DIR TYPE [CMAKE OPTION...]: configures and builds every target.
rowcart_build() {
    rowcart_configure "$@"
    cmake --build "$1" -j "$(nproc)"
}
