# bash completion for tolvane
_tolvane()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands="show hide toggle quick-paste list print copy paste add delete clear pause resume status --help --version"
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return
    fi
    case ${COMP_WORDS[1]} in
        quick-paste) COMPREPLY=($(compgen -W "--pin" -- "$cur")) ;;
        list) COMPREPLY=($(compgen -W "--json" -- "$cur")) ;;
        print) COMPREPLY=($(compgen -W "--html" -- "$cur")) ;;
        copy) COMPREPLY=($(compgen -W "--line" -- "$cur")) ;;
        *) COMPREPLY=() ;;
    esac
}
complete -F _tolvane tolvane
