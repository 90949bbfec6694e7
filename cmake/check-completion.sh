#!/usr/bin/env bash
# Checks vl48-cli's bash completion against the program itself, by running the completion
# function as bash runs it (COMP_WORDS, COMP_CWORD) and comparing what it offers with what
# "vl48-cli --help" and "vl48-cli COMMAND --help" print:
#   check-completion.sh COMPLETION-FILE VL48-CLI VL48-SIM
# - every command of the program's command list, and nothing else, for the command word;
# - for every command, exactly the long options its --help lists, and a value after each option
#   that takes one not taken for the command;
# - the ports after -p as the program lists them, a simulator's port link first;
# - configuration files (*.vl4) and folders where a command takes one, not other files;
# - the fixed values of --output for check-output.
# A command or an option added to the program and not to the completion fails it.
set -euo pipefail
completion=$(realpath "$1") cli=$(realpath "$2") sim=$(realpath "$3")

work=$(mktemp -d)
sim_pid=
trap '[ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
# Simulators' links live in $TMPDIR/vl48-sim: only this check's own simulator is seen.
export TMPDIR=$work
mkdir -p "$work/files/folder"
touch "$work/files/boiler.vl4" "$work/files/production.csv"
failures=0

# What the completion offers when the last word is being typed, one per line, in its order.
offered() {
    (cd "$work/files" && bash --norc --noprofile -c '
        source "$1" || exit 1
        shift
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        _vl48_cli
        printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$cli" "$@")
}

expect() {
    local what=$1 want=$2 got=$3
    if [ "$want" != "$got" ]; then
        echo "completion of $what: expected"
        sed 's/^/    /' <<<"$want"
        echo "  offered"
        sed 's/^/    /' <<<"$got"
        failures=$((failures + 1))
    fi
}

offered "" >/dev/null || { echo "the completion does not load in bash"; exit 1; }
help=$("$cli" --help)
commands=$(awk '/^Commands:$/ { on = 1; next } on && /^$/ { exit } on && /^  [^ ]/ { print $1 }' \
    <<<"$help")
[ "$(wc -l <<<"$commands")" -gt 5 ] || { echo "no command list in $cli --help"; exit 1; }
expect "the command" "$(sort <<<"$commands")" "$(offered "" | sort)"

valued=
for command in $commands; do
    # The long names in the option column of the command's help ("-p, --port <PORT>"), with "="
    # after those that take a value.
    text=$("$cli" "$command" --help 2>/dev/null)
    options=$(awk '
        /^Options:$/ { on = 1; next }
        on && /^$/ { exit }
        on && /^  -/ {
            line = substr($0, 3)
            if (at = match(line, /  /)) line = substr(line, 1, at - 1)
            n = split(line, names, /, /)
            for (i = 1; i <= n; i++) {
                if (names[i] !~ /^--/) continue
                if (at = index(names[i], " ")) names[i] = substr(names[i], 1, at - 1) "="
                print names[i]
            }
        }' <<<"$text" | sort -u)
    [ -n "$options" ] || { echo "no options in $cli $command --help"; exit 1; }
    expect "$command's options" "$(tr -d = <<<"$options" | sort)" "$(offered "$command" -- | sort)"
    valued+=$(sed -n "s/=$//p" <<<"$options")$'\n'
done
# An option's value is never taken for the command (--db takes one only when it is an address).
for option in $(sort -u <<<"$valued" | grep -vx -e "" -e --db); do
    expect "the command after $option VALUE" "$(sort <<<"$commands")" \
        "$(offered "$option" VALUE "" | sort)"
done

expect "write's configuration file" $'boiler.vl4\nfolder' \
    "$(offered write -p /dev/ttyS0 "" | sort)"
expect "check-output's --output" $'current\nvoltage' "$(offered check-output --output "")"

# A simulator's port link comes first, as "vl48-cli ports" lists it.
coproc SIM { exec "$sim" </dev/null; }
sim_pid=$SIM_PID
read -r -t 60 link <&"${SIM[0]}" || { echo "the simulator did not start"; exit 1; }
expect "identify's -p (first port)" "$link" "$(offered identify -p "" | head -1)"
expect "--port=, its start typed" "$link" "$(offered identify --port = "${link%-*}" | head -1)"

[ $failures -eq 0 ] || { echo "completion: $failures checks failed"; exit 1; }
echo "completion: $(wc -w <<<"$commands") commands and their options as the program's help," \
    "ports, files and values"
