#!/usr/bin/env bash
# The bash completion offers the commands `rowcart --help` lists, each command's options its
# own --help lists, and the aliases of the user's alias file, as bash-completion calls it.
set -uo pipefail
rowcart=$1
completion=$2
if [ ! -r /usr/share/bash-completion/bash_completion ]; then
    echo "SKIP: bash-completion is not installed"
    exit 77
fi
# shellcheck source=/dev/null
source /usr/share/bash-completion/bash_completion
# shellcheck source=../../dist/rowcart.bash
source "$completion"
# Options of the completion being shown are bash's business, and only while it completes.
compopt() { :; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config
unset ROWCART_ALIASES
mkdir -p "$XDG_CONFIG_HOME/rowcart"
printf '; [NOT_AN_ALIAS]\n[DEMO]\nDRIVER=SQLITE\nPATH=demo.db\n\n[SHOP]\nDRIVER=POSTGRES\n' \
    >"$XDG_CONFIG_HOME/rowcart/aliases.conf"

failures=0
# Prints what completing the last word of the given words offers, one a line, sorted.
offered() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _rowcart rowcart "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort
}
# expect_offers WHAT WORDS... < expected lines: each expected line must be offered.
expect_offers() {
    local what=$1 missing
    shift
    missing=$(comm -23 <(sort -u) <(offered "$@"))
    if [ -n "$missing" ]; then
        echo "FAIL: completing '$*' offers no $what: ${missing//$'\n'/ }"
        failures=$((failures + 1))
    fi
}

commands=$("$rowcart" --help |
    awk '/^Commands:/ { listed = 1; next } listed && NF == 0 { exit } listed { print $1 }')
[ -n "$commands" ] || { echo "FAIL: rowcart --help lists no commands"; exit 1; }
expect_offers "command" rowcart "" <<<"$commands"
for command in $commands; do
    "$rowcart" "$command" --help | grep -oE -- '(^|[[:space:],])--?[a-z][a-z-]*' | tr -d ' ,' |
        expect_offers "option of $command" rowcart "$command" -
done
expect_offers "source alias" rowcart move "" <<<$'DEMO:\nSHOP:'
expect_offers "target alias" rowcart move --keys keys.txt DEMO:CUSTOMERS SH <<<"SHOP:"
expect_offers "alias" rowcart exec "" <<<$'DEMO\nSHOP'
if offered rowcart exec "" | grep -q NOT_AN_ALIAS; then
    echo "FAIL: a commented-out section is offered as an alias"
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] && echo "PASS"
exit $((failures > 0))
