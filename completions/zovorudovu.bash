# bash completion for zovorudovu
_zovorudovu()
{
    local cur prev words cword
    _init_completion || return
    local commands="demo run check preview prefs devices notch banner gallery soak help"
    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local command=${words[1]} options=""
    case $command in
        demo) options="--out --scenario --fps --scale --frames --quiet --json-style --help" ;;
        run) options="--trace --frames --fps --scale --snapshot-png --quiet --help" ;;
        check) options="--refs --record --threshold --max-diff-pixels --report --junit --jobs -j --shard --device --quiet --json-style --help" ;;
        preview) options="--device --orientation --settings --scale --trace --record --screenshot-dir --wallpaper --touches-in-screenshots --help" ;;
        prefs) options="--defaults --device --json-style --help" ;;
        devices) options="--json-style --help" ;;
        notch) options="--model --faceid --ipad --screen --json-style --help" ;;
        banner) options="--device --settings --safe-y --title --message --date --icon --png --json-style --help" ;;
        gallery) options="--out --settings --title --message --text --quiet --json-style --help" ;;
        soak) options="--notifications --seed --device --quiet --json-style --help" ;;
        help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    esac
    case $prev in
        --out|--frames|--screenshot-dir) _filedir -d; return ;;
        --record)
            if [[ $command == check ]]; then COMPREPLY=($(compgen -W "missing all failed never" -- "$cur")); else _filedir json; fi
            return ;;
        --refs|--report) _filedir -d; return ;;
        --junit) _filedir xml; return ;;
        --orientation) COMPREPLY=($(compgen -W "portrait landscape" -- "$cur")); return ;;
        --text) COMPREPLY=($(compgen -W "hard" -- "$cur")); return ;;
        --scenario) _filedir json; return ;;
        --settings|--defaults) _filedir plist; return ;;
        --trace) _filedir jsonl; return ;;
        --icon|--png) _filedir png; return ;;
        --wallpaper) _filedir png; COMPREPLY+=($(compgen -W "dusk dark light" -- "$cur")); return ;;
        --json-style) COMPREPLY=($(compgen -W "pretty compact" -- "$cur")); return ;;
        --faceid|--ipad) COMPREPLY=($(compgen -W "yes no" -- "$cur")); return ;;
        --model|--device)
            COMPREPLY=($(compgen -W "$(zovorudovu devices --json-style compact 2>/dev/null | grep -o '"model":"[^"]*"' | cut -d'"' -f4)" -- "$cur"))
            return ;;
        --fps|--scale|--safe-y|--screen|--title|--message|--date|--notifications|--seed|--threshold|--max-diff-pixels|--jobs|-j|--shard) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command == run || $command == check ]]; then
        _filedir json
    elif [[ $command == prefs ]]; then
        _filedir plist
    fi
}
complete -F _zovorudovu zovorudovu
