# bash completion for vantrel-cli                                  -*- shell-script -*-

_vantrel_cli_devices()
{
    local IFS=$'\n'
    COMPREPLY=($(compgen -W "$(ls -d /dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM* /dev/ttyS* 2>/dev/null)" -- "$cur"))
}

# The values an option takes; returns 1 for an option without values.
_vantrel_cli_option_value()
{
    local command=$1 option=$2
    case $option in
        --format)
            if [[ $command == album ]]; then
                COMPREPLY=($(compgen -W 'jpeg jpg bmp png' -- "$cur"))
            else
                COMPREPLY=($(compgen -W 'jpeg jpg bmp png dvf' -- "$cur"))
            fi
            ;;
        --name) COMPREPLY=($(compgen -W 'number timecode recorded' -- "$cur")) ;;
        --size) COMPREPLY=($(compgen -W '0 1 2 3 4' -- "$cur")) ;;
        --colors) COMPREPLY=($(compgen -W '24 8 4 1' -- "$cur")) ;;
        --correction) COMPREPLY=($(compgen -W 'none movement field' -- "$cur")) ;;
        --system) COMPREPLY=($(compgen -W 'ntsc pal' -- "$cur")) ;;
        --wide) COMPREPLY=($(compgen -W 'squeeze letterbox' -- "$cur")) ;;
        --mask) COMPREPLY=($(compgen -W 'black white' -- "$cur")) ;;
        --rate) COMPREPLY=($(compgen -W '0 1 2 3' -- "$cur")) ;;
        --port) COMPREPLY=($(compgen -W '1 2 3 4' -- "$cur")) ;;
        --id) COMPREPLY=($(compgen -W '1 2 3 4 5 6 7 8 9' -- "$cur")) ;;
        --device) _vantrel_cli_devices ;;
        --quality | --interval | --count | --timecode | --title | --select) COMPREPLY=() ;;
        -o)
            case $command in
                capture) _filedir dvf ;;
                import) _filedir dvf ;;
                album) [[ ${words[2]} == export ]] && _filedir -d || _filedir zal ;;
                html) _filedir '@(htm|html)' ;;
                auto) _filedir -d ;;
                *) _filedir ;;
            esac
            ;;
        *) return 1 ;;
    esac
    return 0
}

_vantrel_cli()
{
    local cur prev words cword
    _init_completion || return

    local commands='album auto capture convert html import info ports power scan set-id setting status step thumbnail transport udev-rule'
    local line='--device --port --id --help'
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local command=${words[1]}
    # An album's own command comes first: album list|pack|unpack|export.
    local subcommand=${words[2]}
    if [[ $command == album ]] && ((cword == 2)); then
        COMPREPLY=($(compgen -W 'list pack unpack export --help' -- "$cur"))
        return
    fi
    _vantrel_cli_option_value "$command" "$prev" && return

    local options
    case $command in
        album)
            case $subcommand in
                pack) options='-o --force --help' ;;
                unpack) options='-o --help' ;;
                export) options='-o --format --select --name --force --help' ;;
                *) options='--help' ;;
            esac
            ;;
        auto) options="--timecode --interval --count --rate -o $line" ;;
        capture) options="--rate -o $line" ;;
        convert) options='-o --format --size --quality --colors --correction --force --help' ;;
        html) options='-o --title --select --force --help' ;;
        import) options='-o --system --wide --mask --force --help' ;;
        scan | set-id) options='--device --port --help' ;;
        status | step | power | transport) options=$line ;;
        setting) options='--delete --help' ;;
        *) options='--help' ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    case $command in
        info | convert | thumbnail) _filedir dvf ;;
        import) _filedir '@(jpg|jpeg|bmp)' ;;
        html) _filedir zal ;;
        album) [[ $subcommand == pack ]] && _filedir dvf || _filedir zal ;;
        transport) COMPREPLY=($(compgen -W 'play pause stop ff rew slow slowrev search searchrev revplay' -- "$cur")) ;;
        step) COMPREPLY=($(compgen -W 'fwd rev' -- "$cur")) ;;
        udev-rule)
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "$(ls -d /dev/serial/by-id/* 2>/dev/null)" -- "$cur"))
            ;;
        power) COMPREPLY=($(compgen -W 'on off' -- "$cur")) ;;
        setting)
            ((cword == 2)) && COMPREPLY=($(compgen -W 'INIT AUTO Setup Directories History Ports' -- "$cur"))
            ;;
    esac
} && complete -F _vantrel_cli vantrel-cli

# ex: filetype=sh
