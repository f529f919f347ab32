#!/usr/bin/env bash
# Installs the build into a temporary root as `cmake --install` does, and checks what lands
# there: the expected files, a desktop entry that passes desktop-file-validate and names the
# installed program and icon, a manual page man reads without a warning, and a program that
# runs from any folder.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config
unset ROWCART_ALIASES
root=$tmp/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null

expected=(usr/bin/rowcart usr/share/applications/rowcart.desktop
    usr/share/bash-completion/completions/rowcart usr/share/man/man1/rowcart.1.gz
    usr/share/icons/hicolor/scalable/apps/rowcart.svg)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/rowcart.png")
done
installed=$(cd "$root" && find . ! -type d | sed 's|^\./||' | sort)
if ! diff -u <(printf '%s\n' "${expected[@]}" | sort) <(echo "$installed"); then
    echo "FAIL: the installed files are not the expected ones (- expected, + installed)"
    exit 1
fi

entry=$root/usr/share/applications/rowcart.desktop
report=$(desktop-file-validate "$entry" 2>&1) || true
if [ -n "$report" ]; then
    echo "FAIL: desktop-file-validate: $report"
    exit 1
fi
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon=$(sed -n 's/^Icon=//p' "$entry")
if [ ! -x "$root/usr/bin/$program" ] ||
    [ ! -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ]; then
    echo "FAIL: the desktop entry starts '$program' with icon '$icon', which were not installed"
    exit 1
fi

page=$root/usr/share/man/man1/rowcart.1.gz
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "FAIL: man warns about the manual page: $warnings"
    exit 1
fi

version=$(cd / && "$root/usr/bin/rowcart" --version)
if [[ $version != "rowcart "* ]]; then
    echo "FAIL: the installed rowcart --version printed: $version"
    exit 1
fi
echo "PASS"
