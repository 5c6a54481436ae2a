# bash completion for tessary: commands, options, formats, ports, and the allophones' mnemonics.
# Written by tessary-docgen from the commands' table: do not edit.

# File names whole, spaces and all; with arguments, only names under those beginnings.
_tessary_files()
{
    local IFS=$'\n' start
    compopt -o filenames 2>/dev/null
    if [ $# -eq 0 ]; then
        COMPREPLY=($(compgen -f -- "$cur"))
        return
    fi
    COMPREPLY=()
    for start in "$@"; do
        COMPREPLY+=($(compgen -f -- "$start" | grep -F -- "$cur"))
    done
}

_tessary()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "spell codes say render vocab list devices simulate --help --version" -- "$cur"))
        return
    fi
    local command=${COMP_WORDS[1]} options
    # What follows an option that takes a value.
    case "$command $prev" in
    "spell --file" | "codes --file" | "say --file" | "render --output" | "render --file" | "vocab --output" | "simulate --output")
        _tessary_files
        return
        ;;
    "spell --style" | "codes --style" | "say --style" | "render --style" | "vocab --style")
        COMPREPLY=($(compgen -W "conventional clear" -- "$cur"))
        return
        ;;
    "codes --format")
        COMPREPLY=($(compgen -W "dollar hex dec c basic" -- "$cur"))
        return
        ;;
    "say --pace" | "render --pace" | "vocab --prefix" | "vocab --board" | "simulate --mcu" | "simulate --pins" | "simulate --press" | "simulate --level" | "simulate --analog" | "simulate --watch" | "simulate --seconds")
        return
        ;;
    "say --device")
        # The ports that could be a board: by name, then by their stable by-id links.
        _tessary_files /dev/ttyACM /dev/ttyUSB /dev/serial/by-id/
        return
        ;;
    "vocab --format")
        COMPREPLY=($(compgen -W "c arduino json sketch" -- "$cur"))
        return
        ;;
    esac
    case $command in
    spell) options="--lines --json --file --style --alternatives --help" ;;
    codes) options="--format --text --style --lines --json --file --help" ;;
    say) options="--pace --text --style --file --alternatives --device --help" ;;
    render) options="--output --pace --text --style --file --help" ;;
    vocab) options="--format --output --prefix --board --style --no-user-words --force --help" ;;
    list) options="--json --help" ;;
    devices) options="--probe --help" ;;
    simulate) options="--mcu --pins --press --level --analog --watch --seconds --output --play --help" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command in
    codes | say | render)
        # Items are mnemonics unless --text makes them English.
        if [[ " ${COMP_WORDS[*]} " != *" --text "* ]]; then
            COMPREPLY=($(compgen -W "$(tessary list 2>/dev/null | awk '{ print $2 }')" -- "$cur"))
        fi
        ;;
    vocab | simulate)
        _tessary_files
        ;;
    esac
}
complete -F _tessary tessary
