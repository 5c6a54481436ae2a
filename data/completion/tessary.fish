# fish completion for tessary: commands, options, formats, and the allophones' mnemonics.
# Written by tessary-docgen from the commands' table: do not edit.
set -l commands spell codes say render vocab list devices simulate
complete -c tessary -f
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a spell -d 'the allophone spelling of the text (--alternatives TEXT: other ways)'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a codes -d 'the code string of the items (--format dollar, hex, dec, c, basic)'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a say -d 'plays the items through the sample set'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a render -d 'writes the items\' sound to a WAV file (--output FILE.wav, or - )'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a vocab -d 'a header of every entry of a vocabulary file (--format c, arduino, json)'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a list -d 'the 64 allophones: code, mnemonic, example word, time on the chip'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a devices -d 'the serial ports that could be a bridge to a real chip (--probe asks)'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -a simulate -d 'runs firmware on a simulated Arduino board with the chip on its pins'
complete -c tessary -n "not __fish_seen_subcommand_from $commands" -l version -d 'the version'
complete -c tessary -l help -d 'the help'

complete -c tessary -n '__fish_seen_subcommand_from spell' -l lines -d 'each line on its own'
complete -c tessary -n '__fish_seen_subcommand_from spell' -l json -d 'JSON output'
complete -c tessary -n '__fish_seen_subcommand_from spell' -l file -r -F -d 'the text from a file'
complete -c tessary -n '__fish_seen_subcommand_from spell' -l style -x -a 'conventional clear' -d 'how text is spelled'
complete -c tessary -n '__fish_seen_subcommand_from spell' -l alternatives -d 'the ways to spell the text'

complete -c tessary -n '__fish_seen_subcommand_from codes' -l format -x -a 'dollar hex dec c basic' -d 'the format'
complete -c tessary -n '__fish_seen_subcommand_from codes' -l text -d 'the items are English text'
complete -c tessary -n '__fish_seen_subcommand_from codes' -l style -x -a 'conventional clear' -d 'how text is spelled'
complete -c tessary -n '__fish_seen_subcommand_from codes' -l lines -d 'each line on its own'
complete -c tessary -n '__fish_seen_subcommand_from codes' -l json -d 'JSON output'
complete -c tessary -n '__fish_seen_subcommand_from codes' -l file -r -F -d 'the items from a file'
complete -c tessary -n '__fish_seen_subcommand_from codes; and not __fish_seen_argument -l text' -a '(tessary list 2>/dev/null | awk \'{ print $2 }\')'

complete -c tessary -n '__fish_seen_subcommand_from say' -l pace -x -d 'one sample every MS milliseconds'
complete -c tessary -n '__fish_seen_subcommand_from say' -l text -d 'the items are English text'
complete -c tessary -n '__fish_seen_subcommand_from say' -l style -x -a 'conventional clear' -d 'how text is spelled'
complete -c tessary -n '__fish_seen_subcommand_from say' -l file -r -F -d 'the items from a file'
complete -c tessary -n '__fish_seen_subcommand_from say' -l alternatives -d 'play each way to spell the text'
complete -c tessary -n '__fish_seen_subcommand_from say' -l device -r -a '(__fish_complete_path /dev/tty; __fish_complete_path /dev/serial/by-id/)' -d 'a real chip on the board at this port'
complete -c tessary -n '__fish_seen_subcommand_from say; and not __fish_seen_argument -l text' -a '(tessary list 2>/dev/null | awk \'{ print $2 }\')'

complete -c tessary -n '__fish_seen_subcommand_from render' -l output -r -F -d 'the WAV file'
complete -c tessary -n '__fish_seen_subcommand_from render' -l pace -x -d 'one sample every MS milliseconds'
complete -c tessary -n '__fish_seen_subcommand_from render' -l text -d 'the items are English text'
complete -c tessary -n '__fish_seen_subcommand_from render' -l style -x -a 'conventional clear' -d 'how text is spelled'
complete -c tessary -n '__fish_seen_subcommand_from render' -l file -r -F -d 'the items from a file'
complete -c tessary -n '__fish_seen_subcommand_from render; and not __fish_seen_argument -l text' -a '(tessary list 2>/dev/null | awk \'{ print $2 }\')'

complete -c tessary -n '__fish_seen_subcommand_from vocab' -l format -x -a 'c arduino json sketch' -d 'the form'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l output -r -F -d 'the header file, or the sketch folder'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l prefix -x -d 'the prefix of every name'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l board -x -d 'the board whose flash it must fit'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l style -x -a 'conventional clear' -d 'how text is spelled'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l no-user-words -d 'spell without the user\'s word list'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -l force -d 'write a sketch over files you changed'
complete -c tessary -n '__fish_seen_subcommand_from vocab' -F

complete -c tessary -n '__fish_seen_subcommand_from list' -l json -d 'JSON output'

complete -c tessary -n '__fish_seen_subcommand_from devices' -l probe -d 'ask each port for a bridge (resets most boards)'

complete -c tessary -n '__fish_seen_subcommand_from simulate' -l mcu -x -d 'the MCU'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l pins -x -d 'where the chip\'s lines are'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l press -x -d 'a button pressed, PIN@SECONDS'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l level -x -d 'a level on a pin, PIN=0|1@SECONDS'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l analog -x -d 'an analog reading, PIN=0..1023@SECONDS'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l watch -x -d 'pins whose changes are printed'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l seconds -x -d 'how long, in simulated seconds'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l output -r -F -d 'a WAV file of what the chip said'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -l play -d 'play what the chip said'
complete -c tessary -n '__fish_seen_subcommand_from simulate' -F
