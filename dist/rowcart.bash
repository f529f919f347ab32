# bash completion for rowcart: its commands, their options, and the aliases of the alias file.

# The aliases in the user's alias file, one a line, in file order.
_rowcart_aliases() {
    local file=${ROWCART_ALIASES:-${XDG_CONFIG_HOME:-$HOME/.config}/rowcart/aliases.conf}
    [[ -r $file ]] || return 0
    local line
    while IFS= read -r line || [[ -n $line ]]; do
        line=${line%$'\r'}
        [[ $line =~ ^[[:space:]]*\[(.+)\][[:space:]]*$ ]] && printf '%s\n' "${BASH_REMATCH[1]}"
    done <"$file"
}

# Offers the aliases starting with $cur, each followed by $1 (":" where a table name follows).
_rowcart_complete_aliases() {
    local suffix=$1 alias
    while IFS= read -r alias; do
        [[ $alias == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$alias")$suffix")
    done < <(_rowcart_aliases)
    [[ -n $suffix ]] && compopt -o nospace
}

_rowcart() {
    local cur prev words cword
    # Keep FROM_ALIAS:TABLE one word.
    _init_completion -n : || return

    if ((cword == 1)); then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help --version' -- "$cur"))
        else
            COMPREPLY=($(compgen -W 'move copy script exec help' -- "$cur"))
        fi
        return
    fi

    local command=${words[1]} options takesValue
    case $command in
        move)
            options='--keys --map --commit-every --typed --on-error --on-duplicate --create
                --dry-run --password-file --quiet --help'
            ;;
        copy)
            options='--tables --create --on-duplicate --commit-every --typed --on-error --dry-run
                --password-file --quiet --help'
            ;;
        script)
            options='--dialect --divider --commit-every -o --output --keys --map --on-error
                --password-file --quiet --help'
            ;;
        exec)
            options='--divider --password-file --quiet --help'
            ;;
        help)
            ((cword == 2)) && COMPREPLY=($(compgen -W 'move copy script exec' -- "$cur"))
            return
            ;;
        *)
            return
            ;;
    esac
    takesValue='--keys|--map|--commit-every|--on-error|--on-duplicate|--tables|--password-file|--dialect|--divider|-o|--output'

    case $prev in
        --keys | --password-file | -o | --output)
            _filedir
            return
            ;;
        --on-error)
            COMPREPLY=($(compgen -W 'stop skip' -- "$cur"))
            return
            ;;
        --on-duplicate)
            COMPREPLY=($(compgen -W 'error skip update' -- "$cur"))
            return
            ;;
        --dialect)
            COMPREPLY=($(compgen -W 'ansi oracle interbase' -- "$cur"))
            return
            ;;
        --map | --commit-every | --divider | --tables)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # Which argument this is: words that are neither options nor their values.
    local i position=0
    for ((i = 2; i < cword; i++)); do
        if [[ ${words[i]} == -* ]]; then
            [[ ${words[i]} != *=* && ${words[i]} == @($takesValue) ]] && ((i++))
        else
            ((position++))
        fi
    done

    case $command:$position in
        move:0 | move:1 | script:0)
            [[ $cur == *:* ]] || _rowcart_complete_aliases :
            ;;
        exec:0 | copy:0 | copy:1)
            _rowcart_complete_aliases ''
            ;;
        exec:1)
            _filedir
            ;;
    esac
}
complete -F _rowcart rowcart
