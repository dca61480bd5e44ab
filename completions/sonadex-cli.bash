# bash completion for sonadex-cli. Genre names come from the program itself,
# so they are always the ones it accepts.

_sonadex_cli_genres()
{
    sonadex-cli genres 2>/dev/null | cut -f2
}

_sonadex_cli()
{
    local cur prev words cword
    _init_completion || return

    local commands="show list set multitag strip rename rename-all history undo genres print config help"
    local fields="--artist --title --album --year --comment --genre --track"
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    case $prev in
        --genre)
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "$(_sonadex_cli_genres)" -- "$cur"))
            COMPREPLY=("${COMPREPLY[@]// /\\ }")
            return ;;
        --format) COMPREPLY=($(compgen -W "csv tsv" -- "$cur")); return ;;
        --page-size) COMPREPLY=($(compgen -W "A4 Letter Legal A3 A5 B5 Executive" -- "$cur")); return ;;
        --columns) COMPREPLY=($(compgen -W "name size artist title album year genre comment" -- "$cur")); return ;;
        --pdf) _filedir pdf; return ;;
        --printer)
            COMPREPLY=($(compgen -W "$(lpstat -e 2>/dev/null)" -- "$cur"))
            [[ -n $COMPREPLY || $cur != -* ]] && return ;;
        --artist | --title | --album | --year | --comment | --track | --pattern | -j | --jobs) return ;;
    esac

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local options
    case $command in
        show) options="--json --format --header" ;;
        list) options="--json --format --header -r --recursive -j --jobs --pattern" ;;
        set) options="--dry-run --strict $fields" ;;
        multitag) options="-r --recursive -j --jobs --dry-run --strict --follow-links $fields" ;;
        strip) options="--dry-run" ;;
        rename) options="--pattern --dry-run" ;;
        rename-all) options="-r --recursive --pattern --dry-run --follow-links" ;;
        history | genres) options="--json" ;;
        undo) options="--dry-run" ;;
        print) options="-r --recursive --columns --page-size --pdf --printer" ;;
        config)
            options="--json"
            if [[ $prev == set ]]; then
                COMPREPLY=($(compgen -W "rename prompt language codepage" -- "$cur"))
                return
            fi
            if [[ $prev == prompt ]]; then
                COMPREPLY=($(compgen -W "TRUE FALSE" -- "$cur"))
                return
            fi
            [[ $cur != -* ]] && COMPREPLY=($(compgen -W "set" -- "$cur")) && return ;;
        help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
        return
    fi
    case $command in
        history | genres | undo) ;;
        list | multitag | rename-all | print) _filedir -d ;;
        *) _filedir mp3 ;;
    esac
} &&
    complete -F _sonadex_cli sonadex-cli
