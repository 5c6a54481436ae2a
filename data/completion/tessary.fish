# fish completion for tessary: commands, options, formats, and the allophones' mnemonics.
set -l commands spell codes say render vocab list devices simulate
complete -c tessary -f
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a spell -d 'the allophone spelling of English text'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a codes -d 'the code string of the items'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a say -d 'play the items through the sample set'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a render -d 'write the items\' sound to a WAV file'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a vocab -d 'a firmware header of a vocabulary file'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a list -d 'the 64 allophones'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a devices -d 'the serial ports that could be a bridge'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -l version -d 'the version'
complete -c tessary -l help -d 'the help'

complete -c tessary -n '__fish_seen_subcommand_from codes' -l format -x -a 'dollar hex dec c basic'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l format -x -a 'c arduino json sketch'
complete -c tessary -n '__fish_seen_subcommand_from render vocab simulate' -l output -r -F
complete -c tessary -n '__fish_seen_subcommand_from spell codes say render' -l file -r -F
complete -c tessary -n '__fish_seen_subcommand_from codes say render' -l text -d 'the items are English text'
complete -c tessary -n '__fish_seen_subcommand_from say render' -l pace -x -d 'one sample every MS'
complete -c tessary -n '__fish_seen_subcommand_from spell codes' -l lines -d 'each line on its own'
complete -c tessary -n '__fish_seen_subcommand_from spell codes list' -l json -d 'JSON output'
complete -c tessary -n '__fish_seen_subcommand_from spell say' -l alternatives -d 'the ways to spell a word'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -F
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l prefix -x -d 'the prefix of every name'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l no-user-words -d 'spell without the user\'s word list'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l force -d 'write a sketch over files you changed'
complete -c tessary -n '__fish_seen_subcommand_from say' -l device -r -a '(__fish_complete_path /dev/tty; __fish_complete_path /dev/serial/by-id/)' -d 'a real chip on the board at this port'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a simulate -d 'runs firmware on a simulated ATmega328P with the chip'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -F
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l pins -x -d 'where the chip\'s lines are'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l seconds -x -d 'how long'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l play -d 'play what the chip said'
complete -c tessary -n '__fish_seen_subcommand_from devices' -l probe -d 'ask each port for a bridge (resets most boards)'
complete -c tessary -n '__fish_seen_subcommand_from codes say render; and not __fish_seen_argument -l text' -a '(tessary list 2>/dev/null | awk \'{ print $2 }\')'
