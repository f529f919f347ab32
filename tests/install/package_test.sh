#!/usr/bin/env bash
# Builds the Debian package of this build with CPack, checks that its dependencies name the
# packages of the libraries the program links and that this system satisfies them, then
# installs it into a scratch dpkg root, runs it there and removes it, which must leave nothing
# behind. The scratch root keeps the system's own packages out of it (a Rowcart installed by
# the user included), and works without root. Skipped where there is no dpkg.
set -euo pipefail
build=$1
version=$2
for tool in dpkg dpkg-deb dpkg-shlibdeps dpkg-query; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: no $tool here"
        exit 77
    fi
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config
unset ROWCART_ALIASES

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
made=("$tmp"/out/rowcart_"$version"_*.deb)
deb=${made[0]}
if [ ! -f "$deb" ]; then
    ls "$tmp/out"
    echo "FAIL: no rowcart_${version}_*.deb"
    exit 1
fi

root=$tmp/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
scratch_dpkg() {
    dpkg --root="$root" --log=/dev/null --force-not-root --force-depends "$@"
}
scratch_dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; echo "FAIL: dpkg -i"; exit 1; }
installed=$(cd / && "$root/usr/bin/rowcart" --version | head -n 1)
if [ "$installed" != "rowcart $version" ]; then
    echo "FAIL: the installed rowcart --version printed '$installed'"
    exit 1
fi
# Each library the program names must come with a package that Depends names, and this system
# must satisfy Depends.
depends=$(dpkg-deb -f "$deb" Depends)
named=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/[[:space:]]//g')
needed=$(objdump -p "$root/usr/bin/rowcart" | awk '$1 == "NEEDED" { print $2 }')
failed=0
while read -r library _ path _; do
    grep -qxF "$library" <<<"$needed" || continue
    owner=
    # dpkg knows a file by the path its package gave, with or without the /usr that merged
    # directories add.
    for candidate in "$path" "/usr${path#/usr}" "${path#/usr}"; do
        owner=$(dpkg-query -S "$candidate" 2>/dev/null | sed -n '1s/:.*//p') && [ -n "$owner" ] && break
    done
    if [ -z "$owner" ] || ! grep -qxF "$owner" <<<"$named"; then
        echo "FAIL: $library ($path) comes from '$owner', which Depends ($depends) does not name"
        failed=1
    fi
done < <(ldd "$root/usr/bin/rowcart")
if ! dpkg-checkbuilddeps -d "$depends" /dev/null 2>"$tmp/unmet"; then
    echo "FAIL: this system does not satisfy Depends: $(cat "$tmp/unmet")"
    failed=1
fi
[ "$failed" -eq 0 ] || exit 1

scratch_dpkg -r rowcart >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; echo "FAIL: dpkg -r"; exit 1; }
left=$(cd "$root" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/lib/dpkg' ! -path './var/lib/dpkg/*')
if [ -n "$left" ]; then
    echo "FAIL: dpkg -r left behind: $left"
    exit 1
fi
status=$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${db:Status-Status}' rowcart 2>/dev/null) || true
if [ -n "$status" ] && [ "$status" != not-installed ]; then
    echo "FAIL: after dpkg -r, dpkg still holds rowcart as $status"
    exit 1
fi
echo "PASS"
