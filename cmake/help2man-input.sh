#!/usr/bin/env bash
# What help2man reads as a program's --help and --version: the program's own texts, with the
# layout help2man turns into sections (the manual pages, cmake/CommandLineDocs.cmake).
#   help2man-input.sh PROGRAM --help|--version
# The texts themselves are the program's; only their layout changes:
# - "usage:" and "options:" headings capitalised, so that they become SYNOPSIS and OPTIONS;
# - the command list's synopsis on one line with its summary indented under it, a tagged
#   paragraph for each command, in a section COMMANDS;
# - "Exit codes:" a section EXIT STATUS, each code a tagged paragraph;
# - "commands on stdin" a section CONSOLE COMMANDS;
# - for a program with commands, OPTIONS gathered from every command's --help, each option once,
#   with the commands that take it when not all of them do.
# Prints nothing and fails when the program does, so that help2man fails the build.
set -euo pipefail
program=$1 option=$2

if [ "$option" != --help ]; then
    exec "$program" "$option"
fi

help=$("$program" --help)

awk '
function flush(   i) {
    if (tag == "") return
    gsub(/  +/, " ", tag)
    print "  " tag
    for (i = 1; i <= n; i++) printf "%20s%s\n", "", lines[i]
    tag = ""; n = 0
}
mode == "commands" && /^$/ { flush(); mode = ""; print; next }
mode == "commands" && /^  [^ ]/ { flush(); tag = substr($0, 3); next }
mode == "commands" && /^       +[^ ]/ && n == 0 { sub(/^ +/, ""); tag = tag " " $0; next }
mode == "commands" { sub(/^ +/, ""); lines[++n] = $0; next }
mode == "exit" && /^$/ { mode = ""; print; next }
mode == "exit" && /^ *[0-9]+  |^     +[^ ]/ { print " " $0; next }
/^[Uu]sage:/ { sub(/^usage:/, "Usage:"); print; next }
/^options:$/ { print "Options:"; next }
/^Commands:$/ { print "*Commands*"; mode = "commands"; next }
/^Exit codes:$/ { print "*Exit status*"; mode = "exit"; next }
/^commands on stdin/ { print "*Console commands*"; next }
{ print }
END { flush() }
' <<<"$help"

# The commands' names: the first word of each entry of the command list.
commands=$(awk '/^Commands:$/ { on = 1; next } on && /^$/ { exit } on && /^  [^ ]/ { print $1 }' \
    <<<"$help")
[ -n "$commands" ] || exit 0

# Every option of every command, as one line "names<TAB>description", in the order met.
declare -A takenBy=()
order=()
count=0
for command in $commands; do
    count=$((count + 1))
    text=$("$program" "$command" --help 2>/dev/null)
    while IFS= read -r entry; do
        [ -n "$entry" ] || continue
        [ -n "${takenBy[$entry]+set}" ] || order+=("$entry")
        takenBy[$entry]+=" $command"
    done < <(awk '
        function flush() { if (entry != "") print entry; entry = "" }
        /^Options:$/ { on = 1; next }
        on && /^$/ { flush(); exit }
        on && /^  -/ {
            flush()
            line = substr($0, 3)
            # A name too long for the column has its description on the lines after it.
            if (at = match(line, /  +/))
                entry = substr(line, 1, at - 1) "\t" substr(line, at + RLENGTH)
            else
                entry = line "\t"
            next
        }
        on { sub(/^ +/, ""); entry = entry (entry ~ /\t$/ ? "" : " ") $0 }
        END { flush() }' <<<"$text")
done

echo
echo "Options:"
printf '  %s\n%20s%s\n' "--version" "" "Show the program's version and exit."
for entry in "${order[@]}"; do
    names=${entry%%$'\t'*} text=${entry#*$'\t'}
    users=(${takenBy[$entry]})
    if [ ${#users[@]} -lt "$count" ]; then
        list=${users[*]}
        text+=" (${list// /, })"
    fi
    printf '  %s\n%20s%s\n' "$names" "" "$text"
done
